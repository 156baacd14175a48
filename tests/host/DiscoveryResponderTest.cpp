// Tables answer searches of the network: a query on the game port's UDP side gets one answer
// that describes the table, sent to the asker only; everything else is dropped and the
// responder goes on. Only 127.0.0.1 is ever asked.

#include "RawClient.h"
#include "TableProcess.h"
#include "host/DiscoveryResponder.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "support/TestEnv.h"

#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace pelvo;
using namespace pelvo::test;

namespace {

// A searching window's side: a UDP socket on loopback that sends and collects answers.
struct Asker {
    QUdpSocket socket;
    QList<QByteArray> answers;
    Asker() {
        EXPECT_TRUE(socket.bind(QHostAddress::LocalHost, 0));
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams()) answers << socket.receiveDatagram().data();
        });
    }
    void send(const QByteArray& datagram, quint16 port) {
        socket.writeDatagram(datagram, QHostAddress::LocalHost, port);
    }
    std::optional<discovery::TableInfo> ask(quint16 port) {
        const qsizetype before = answers.size();
        send(discovery::query(), port);
        if (!QTest::qWaitFor([&] { return answers.size() > before; }, 5000)) return std::nullopt;
        return discovery::readAnswer(answers.last());
    }
};

} // namespace

TEST(DiscoveryResponder, AnswersWhatTheTableHoldsAsPlayersComeAndAGameStarts) {
    TServer server;
    server.botSpeed = [] { return 2; };
    const quint16 port = freePort();
    server.Sock1->setPortName(QString::number(port));
    server.Sock1->setListen(true);
    DiscoveryResponder responder(
        [&] { return DiscoveryResponder::describeTable(server.table(), "Anna", port, "den"); });
    ASSERT_TRUE(responder.start(port));

    Asker asker;
    auto empty = asker.ask(port);
    ASSERT_TRUE(empty);
    EXPECT_EQ(*empty, (discovery::TableInfo{"Anna", "den", 0, 4, false, port}));

    RawClient anna, bo, spy;
    ASSERT_TRUE(anna.connectTo(port));
    ASSERT_EQ(anna.login("Anna"), 1);
    ASSERT_TRUE(bo.connectTo(port));
    ASSERT_EQ(bo.login("Bo"), 2);
    auto two = asker.ask(port);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->seatsTaken, 2);
    EXPECT_FALSE(two->gameRunning);

    anna.send("CMD_startgame+Anna+3+0+0+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.count("CMD_startgame+") == 1; }, 5000));
    auto playing = asker.ask(port);
    ASSERT_TRUE(playing);
    EXPECT_TRUE(playing->gameRunning);
    EXPECT_EQ(responder.answered(), 3);
    EXPECT_EQ(responder.dropped(), 0);
}

TEST(DiscoveryResponder, MalformedDatagramsAreDroppedWithoutAnswerAndItGoesOn) {
    const quint16 port = freePort();
    int described = 0;
    DiscoveryResponder responder([&] {
        ++described;
        return discovery::TableInfo{"T", "H", 0, 4, false, port};
    });
    ASSERT_TRUE(responder.start(port));
    Asker asker;
    const QByteArray junk[] = {
        QByteArray(),
        QByteArray("hello"),
        discovery::query() + "x",
        discovery::query().left(5),
        discovery::answer({"T", "H", 0, 4, false, port}), // an answer never starts a reply loop
        QByteArray(8000, '\xFF'),
        discovery::query() + QByteArray(4000, '\0'), // too long to be a query, cut on reading
        QByteArray("\x00\x01\x02", 3),
    };
    for (const QByteArray& datagram : junk) asker.send(datagram, port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return responder.dropped() == int(std::size(junk)); }, 5000))
        << responder.dropped();
    QTest::qWait(50);
    EXPECT_TRUE(asker.answers.isEmpty());
    EXPECT_EQ(described, 0);

    auto answer = asker.ask(port);
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->tableName, "T");
    EXPECT_EQ(asker.answers.size(), 1);
}

TEST(DiscoveryResponder, TheDedicatedTableAnswersWithItsNameAndSeats) {
    TableProcess table;
    table.port = freePort();
    ASSERT_TRUE(table.start({"--port", QString::number(table.port), "--name", "Back Room"}));
    Asker asker;
    auto before = asker.ask(table.port);
    ASSERT_TRUE(before);
    EXPECT_EQ(before->tableName, "Back Room");
    EXPECT_EQ(before->port, table.port);
    EXPECT_EQ(before->seatsTaken, 0);

    RawClient bo;
    ASSERT_TRUE(bo.connectTo(table.port));
    ASSERT_EQ(bo.login("Bo"), 1);
    auto after = asker.ask(table.port);
    ASSERT_TRUE(after);
    EXPECT_EQ(after->seatsTaken, 1);
    EXPECT_FALSE(after->hostName.isEmpty());
}

TEST(DiscoveryResponder, AFloodOfQueriesGetsOnlyTheAnswersOfItsBudget) {
    const quint16 port = freePort();
    DiscoveryResponder responder([&] { return discovery::TableInfo{"T", "H", 0, 4, false, port}; });
    ASSERT_TRUE(responder.start(port));
    Asker asker;
    constexpr int flood = 3 * DiscoveryResponder::MaxAnswersPerSecond;
    for (int n = 0; n < flood; ++n) asker.send(discovery::query(), port);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return responder.answered() + responder.dropped() == flood; }, 5000));
    EXPECT_GE(responder.answered(), DiscoveryResponder::MaxAnswersPerSecond);
    EXPECT_LT(responder.answered(), flood);
}
