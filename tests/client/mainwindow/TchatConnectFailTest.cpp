// A connection that cannot be made is never silent: the window says what happened and what to
// try, then ends; a port taken when hosting offers to join the table running there.

#include "client/mainwindow/Support.h"

#include "host/TServer.h"
#include "net/TSock.h"
#include "session/TableChoice.h"
#include "windows/HostOrJoin.h"

#include <QComboBox>
#include <QSignalSpy>

// POSIX
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class ConnectFailTest : public TchatTest {
protected:
    void SetUp() override {
        TchatTest::SetUp();
        previousQuestion = setQuestionHandler([this](QWidget*, const QString& text) {
            questions << text;
            return answer;
        });
    }
    void TearDown() override {
        setQuestionHandler(previousQuestion);
        TchatTest::TearDown();
    }
    // Joins with `address` and waits for the window to end; returns the messages it showed.
    QStringList joinAndEnd(const QString& address, int timeoutMs = 20000) {
        Tchat w({"Anna", address, "false"});
        w.session().connection().setConnectTimeout(timeoutMs);
        QSignalSpy closed(&w, &Tchat::mainWindowClosed);
        w.show();
        EXPECT_TRUE(waitFor([&] { return closed.count() == 1; }, 10000)) << qPrintable(chatText(w));
        EXPECT_FALSE(w.isVisible());
        return messages;
    }
    QString p() const { return QString::number(port); }

    QStringList questions;
    bool answer = true;
    QuestionHandler previousQuestion;
};

} // namespace

TEST_F(ConnectFailTest, NothingListeningAtTheAddress) {
    EXPECT_EQ(joinAndEnd("127.0.0.1"),
              QStringList("Nothing answers at 127.0.0.1 port " + p() +
                          ". Is the table running, and does its firewall let port " + p() +
                          " in?"));
}

TEST_F(ConnectFailTest, AConnectionTakenAndDroppedBeforeTheGameIsRefused) {
    host.listen(QHostAddress::LocalHost, port);
    QObject::connect(&host, &QTcpServer::newConnection, [&] {
        QTcpSocket* peer = host.nextPendingConnection();
        peer->abort(); // no greeting: not a table, or one that turns us away
    });
    EXPECT_EQ(joinAndEnd("127.0.0.1"),
              QStringList("127.0.0.1 port " + p() +
                          " refused the connection: it let us in and closed again before the "
                          "game began. Is that the address and port of a Pelvo table?"));
}

TEST_F(ConnectFailTest, ANameNoLookupFinds) {
    EXPECT_EQ(joinAndEnd("no-such-table.invalid"),
              QStringList("No computer named no-such-table.invalid was found. Check the spelling "
                          "of the address, or use its number (for example 192.168.1.20)."));
}

TEST_F(ConnectFailTest, NoGreetingInTimeFromASocketThatNeverAccepts) {
    // A listening socket that never accepts: the system completes the connection, no table
    // ever speaks.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(fd, 1), 0);
    EXPECT_EQ(joinAndEnd("127.0.0.1", 300),
              QStringList("No table answered at 127.0.0.1 port " + p() +
                          " within 0.3 seconds. Is the address right, is the table running, and "
                          "does its firewall let port " +
                          p() + " in?"));
    ::close(fd);
}

TEST_F(ConnectFailTest, APortInUseWhenHostingOffersToJoinTheTableRunningThere) {
    TServer table(TServer::Options{.windowless = true});
    table.Sock1->setPortName(p());
    table.Sock1->setListen(true);

    Tchat w({"Anna", "10.0.0.5", "true"});
    QSignalSpy closed(&w, &Tchat::mainWindowClosed);
    w.show();
    ASSERT_TRUE(waitFor([&] { return w.seatCaption(1) == "Anna"; })) << qPrintable(chatText(w));
    // The old words first, where they always were; then the offer.
    EXPECT_EQ(messages, QStringList("Listen - Error Binding Socket"));
    EXPECT_EQ(questions,
              QStringList("Port " + p() +
                          " is already in use on this computer, perhaps by a Pelvo table that is "
                          "running. Join the table running here instead?"));
    EXPECT_FALSE(w.state().ishost);
    EXPECT_EQ(w.sock()->HostName(), "127.0.0.1");
    EXPECT_EQ(closed.count(), 0);
}

TEST_F(ConnectFailTest, DecliningTheOfferEndsTheProgram) {
    TServer table(TServer::Options{.windowless = true});
    table.Sock1->setPortName(p());
    table.Sock1->setListen(true);
    answer = false;
    {
        Tchat w({"Anna", "127.0.0.1", "true"});
        QSignalSpy closed(&w, &Tchat::mainWindowClosed);
        w.show();
        ASSERT_TRUE(waitFor([&] { return closed.count() == 1; }));
        EXPECT_EQ(questions.size(), 1);
    }
    // A solo start on a taken port offers the same; "Yes" opens the dialog to choose a name,
    // with the table on this computer as the address; closing the dialog ends the program.
    answer = true;
    Tchat solo({});
    QSignalSpy closed(&solo, &Tchat::mainWindowClosed);
    solo.show();
    ASSERT_TRUE(waitFor([&] { return solo.hostOrJoin() && solo.hostOrJoin()->isVisible(); }));
    EXPECT_EQ(questions.size(), 2);
    EXPECT_EQ(solo.hostOrJoin()->choice(), (TableChoice{"", false, "127.0.0.1", port}));
    solo.hostOrJoin()->reject();
    EXPECT_TRUE(waitFor([&] { return closed.count() == 1; }));
}
