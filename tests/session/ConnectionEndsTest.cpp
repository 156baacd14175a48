// Why a connection ended, in the player's words, and our client at a host that knows only the
// described catalogue: it logs in and plays as before, sends nothing new, and says when the
// connection is lost.

// own
#include "host/TServer.h"
#include "support/SessionEdit.h"
#include "net/TSock.h"
#include "session/ClientSession.h"
#include "session/SeatKeys.h"
#include "support/TestEnv.h"

// Qt
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// std
#include <memory>

namespace pelvo {
namespace {

class ConnectionEnds : public ::testing::Test {
protected:
    quint16 port = test::freePort();
    void SetUp() override { qputenv("PELVO_PORT", QByteArray::number(port)); }
    void TearDown() override { qunsetenv("PELVO_PORT"); }

    struct Player {
        ClientSession session;
        QStringList messages;
        int closes = 0;
        explicit Player(const QString& name, const QString& tokenFolder = QString()) {
            QObject::connect(&session, &ClientSession::message,
                             [this](const QString& text) { messages << text; });
            QObject::connect(&session, &ClientSession::closeRequested, [this] { ++closes; });
            session.connection().setTokenFolder(tokenFolder);
            session.connectToHost("127.0.0.1", name);
        }
    };
    // The host has taken the login: the own seat is announced.
    static bool seated(Player& p) {
        return QTest::qWaitFor(
            [&] {
                const int s = p.session.state().myseat;
                return s >= 1 && s <= TableSeats &&
                       p.session.table().seats[std::size_t(s)].occupant == Occupant::Player;
            },
            5000);
    }
};

TEST_F(ConnectionEnds, ARemovedPlayerAndAClosedTableAreToldWhy) {
    TServer server(TServer::Options{.windowless = true});
    server.botSpeed = [] { return 1000; };
    server.Sock1->setListen(true);
    QTemporaryDir keys;
    Player anna("Anna");
    ASSERT_TRUE(seated(anna));
    Player bo("Bo", keys.filePath("bo"));
    ASSERT_TRUE(seated(bo));
    Player cy("Cy", keys.filePath("cy"));
    ASSERT_TRUE(seated(cy));
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.session.state().ishost; }, 5000));
    EXPECT_FALSE(bo.session.state().ishost);
    // In a game each keeps its token; a seat lost either way takes the stored token with it.
    const auto stored = [&](const char* who) {
        return QFile::exists(
            seatkeys::pathOf(keys.filePath(who), "127.0.0.1", QString::number(port)));
    };
    anna.session.startGame("Anna", "3", 1, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return stored("bo") && stored("cy"); }, 5000));

    // Only the one who runs the table removes; the removed one is told before it ends.
    test::edit(bo.session)->ishost = true; // a client that claims the rights is not obeyed
    bo.session.remove(1);
    anna.session.remove(2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo.closes == 1; }, 5000));
    EXPECT_EQ(bo.messages, QStringList{"The table's host removed you."});
    EXPECT_EQ(anna.closes, 0);
    EXPECT_FALSE(stored("bo"));
    EXPECT_TRUE(stored("cy"));
    // The others read it as a removal, once, and not as a departure of Bo's own.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return cy.session.table().seats[2].occupant == Occupant::Computer; }, 5000));
    QStringList told;
    for (const ChatLine& line : cy.session.chat().lines()) told << line.text;
    EXPECT_EQ(told.filter("Bo ").join('|'), "Bo is Connected.|Bo was removed from the table.");

    server.closeAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.closes == 1 && cy.closes == 1; }, 5000));
    EXPECT_EQ(anna.messages, QStringList{"The table has closed."});
    EXPECT_EQ(cy.messages, QStringList{"The table has closed."});
    EXPECT_FALSE(stored("cy"));
}

// A host built to the described catalogue only, scripted: it answers the login and deals.
class OriginalHost {
public:
    QTcpServer server;
    QTcpSocket* peer = nullptr;
    QList<QByteArray> received;

    explicit OriginalHost(quint16 port) {
        server.listen(QHostAddress::LocalHost, port);
        QObject::connect(&server, &QTcpServer::newConnection, [this] {
            peer = server.nextPendingConnection();
            QObject::connect(peer, &QTcpSocket::readyRead, [this] {
                for (const QByteArray& f : peer->readAll().split('\xFF'))
                    if (!f.isEmpty()) received << f;
            });
            send("CMD_sendlogininfo+2");
        });
    }
    void send(const QByteArray& frame) {
        peer->write(frame + '\xFF');
        peer->flush();
    }
    bool got(const QByteArray& prefix, int ms = 5000) {
        return QTest::qWaitFor(
            [&] {
                for (const QByteArray& f : received)
                    if (f.startsWith(prefix)) return true;
                return false;
            },
            ms);
    }
};

TEST_F(ConnectionEnds, OurClientPlaysAtAnOriginalHostAndSaysWhenTheConnectionIsLost) {
    QTemporaryDir folder;
    // A token left from another table at this address: the original host never answers the
    // reclaim, so the ordinary login follows.
    ASSERT_TRUE(
        seatkeys::save(folder.path(), "127.0.0.1", QString::number(port), QString(32, u'a')));
    OriginalHost host(port);
    Player bo("Bo", folder.path());
    ASSERT_TRUE(host.got("CMD_reclaimseat+2+"));
    ASSERT_TRUE(host.got("CMD_logininfo+2+1.0.1+Bo", ClientSession::ReclaimPatience + 3000));
    EXPECT_FALSE(
        QFile::exists(seatkeys::pathOf(folder.path(), "127.0.0.1", QString::number(port))));

    host.send("CMD_newplayerinfo+2+Bo");
    host.send("CMD_existingplayers+1+Old");
    host.send("CMD_startgame+Old+3+t+t+");
    host.send("CMD_roundstarting+1+5+");
    host.send("CMD_mycards+2+1+1+2+2+3+3+4+4+5+5+6+6+7+7+8+8+9+9");
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo.session.table().flipsLeft == 2; }, 5000));
    bo.session.chooseCell(4);
    ASSERT_TRUE(host.got("CMD_flipcard+2+4+"));
    host.send("CMD_heflipped+2+4+4+");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bo.session.table().seats[2].cards[4].picture == 4; }, 5000));

    // The host goes away without a word: no token, so no reconnect; the player is told.
    host.peer->abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo.closes == 1; }, 5000));
    EXPECT_EQ(bo.messages, QStringList{"The connection to the table was lost."});
    EXPECT_FALSE(bo.session.reconnecting());
    // Everything it sent after the first login try is in the described catalogue.
    for (const QByteArray& f : host.received.mid(1))
        EXPECT_TRUE(f.startsWith("CMD_logininfo+") || f.startsWith("CMD_flipcard+"))
            << f.toStdString();
}

} // namespace
} // namespace pelvo
