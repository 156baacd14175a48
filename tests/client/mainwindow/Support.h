#pragma once
// Helpers for the main window tests: an isolated environment, a fake table host on loopback,
// and waiting for the event loop.

#include "windows/MessageBox.h"
#include "client/Tchat.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace pelvo::test {

// Runs the event loop until `done` holds or 5 s pass; returns the final value of `done`.
template <typename Pred> bool waitFor(Pred done, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// Every test gets its own game port and settings folder; message boxes are recorded.
class TchatTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        port = freePort();
        qputenv("PELVO_PORT", QByteArray::number(port));
        qputenv("PELVO_HOME", home.path().toUtf8());
        previous =
            setMessageBoxHandler([this](QWidget*, const QString& text) { messages.append(text); });
        // A question nobody answers would hold the test for ever (a port another test took
        // meanwhile asks one): it is noted and answered "No".
        previousQuestionHandler = setQuestionHandler([this](QWidget*, const QString& text) {
            messages.append(text);
            return false;
        });
    }
    void TearDown() override {
        setMessageBoxHandler(previous);
        setQuestionHandler(previousQuestionHandler);
    }

    // A table host stand-in on the game port; returns the client's connection.
    QTcpSocket* acceptClient() {
        if (!host.isListening()) host.listen(QHostAddress::LocalHost, port);
        if (!waitFor([&] { return host.hasPendingConnections(); })) return nullptr;
        return host.nextPendingConnection();
    }
    static QByteArray readUntil(QTcpSocket* peer, qsizetype bytes) {
        QByteArray got;
        waitFor([&] {
            got += peer->readAll();
            return got.size() >= bytes;
        });
        return got;
    }

    QTemporaryDir home;
    quint16 port = 0;
    QTcpServer host;
    QStringList messages;
    MessageBoxHandler previous;
    QuestionHandler previousQuestionHandler;
};

// The chat view's plain text.
QString chatText(Tchat& w);
// Dispatches queued lines until the queue is empty.
void drain(Tchat& w);

} // namespace pelvo::test
