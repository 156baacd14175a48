#pragma once
// A lobby WebSocket client that keeps every message it gets, parsed.

#include <QHostAddress>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>
#include <QWebSocket>

namespace pelvo::test {

class LobbyClient {
public:
    QWebSocket socket;
    QList<QJsonObject> messages;
    bool closed = false;

    LobbyClient() {
        QObject::connect(&socket, &QWebSocket::textMessageReceived, [this](const QString& text) {
            messages << QJsonDocument::fromJson(text.toUtf8()).object();
        });
        QObject::connect(&socket, &QWebSocket::disconnected, [this] { closed = true; });
    }
    bool open(quint16 port, const QString& path = "/v1/lobby") {
        socket.open(QUrl(QStringLiteral("ws://127.0.0.1:%1%2").arg(port).arg(path)));
        return QTest::qWaitFor(
                   [&] { return socket.state() == QAbstractSocket::ConnectedState || closed; },
                   10000) &&
               !closed;
    }
    void chat(const QString& name, const QString& text) {
        socket.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{"type", "chat"}, {"name", name}, {"text", text}})
                .toJson(QJsonDocument::Compact)));
    }
    QList<QJsonObject> ofType(const QString& type) const {
        QList<QJsonObject> out;
        for (const auto& m : messages)
            if (m.value("type").toString() == type) out << m;
        return out;
    }
    bool waitType(const QString& type, qsizetype count = 1, int ms = 10000) {
        return QTest::qWaitFor([&] { return ofType(type).size() >= count; }, ms);
    }
    bool waitClosed(int ms = 10000) {
        return QTest::qWaitFor([&] { return closed; }, ms);
    }
};

} // namespace pelvo::test
