// Tables answer searches of the network: a query on the game port's UDP side gets one answer
// that describes the table, sent to the asker only; everything else is dropped and the
// responder goes on. Only 127.0.0.1 is ever asked.

#include "RawClient.h"
#include "TableProcess.h"
#include "host/DiscoveryResponder.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "support/TestEnv.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTest>
#include <QTimer>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

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

// A sender on another loopback address, sending queries from a timer while the test waits.
struct Flooder {
    QUdpSocket socket;
    QTimer timer;
    int sent = 0, answers = 0;
    Flooder(const char* from, quint16 port, int perTick, int total) {
        EXPECT_TRUE(socket.bind(QHostAddress(QString(from)), 0)) << from;
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams()) answers += socket.receiveDatagram().isValid();
        });
        QObject::connect(&timer, &QTimer::timeout, [=, this] {
            for (int n = 0; n < perTick && sent < total; ++n, ++sent)
                socket.writeDatagram(discovery::query(), QHostAddress::LocalHost, port);
            if (sent >= total) timer.stop();
        });
        timer.start(1);
    }
};

TEST(DiscoveryResponder, OneSendersFloodLeavesAnHonestSearcherItsAnswers) {
    const quint16 port = freePort();
    DiscoveryResponder responder([&] { return discovery::TableInfo{"T", "H", 0, 4, false, port}; });
    ASSERT_TRUE(responder.start(port));
    QElapsedTimer clock;
    clock.start();
    Flooder flood("127.0.0.2", port, 20, 6000);
    Asker honest;
    int honestAnswers = 0;
    for (int round = 0; round < 4; ++round) {
        QTest::qWait(300);
        honestAnswers += honest.ask(port).has_value();
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return !flood.timer.isActive(); }, 60000));
    QTest::qWait(100);
    const qint64 seconds = clock.elapsed() / 1000 + 1;
    EXPECT_EQ(honestAnswers, 4);
    EXPECT_GT(flood.answers, 0);
    EXPECT_LE(flood.answers, DiscoveryResponder::MaxAnswersPerSender * seconds);
    std::printf("flood: %d queries from one sender in %lld ms, %d answered to it; honest "
                "searcher answered %d of 4\n",
                flood.sent, clock.elapsed(), flood.answers, honestAnswers);
}

TEST(DiscoveryResponder, ManySendersTogetherStayWithinTheTotalBudget) {
    const quint16 port = freePort();
    DiscoveryResponder responder([&] { return discovery::TableInfo{"T", "H", 0, 4, false, port}; });
    ASSERT_TRUE(responder.start(port));
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<Flooder>> floods;
    for (int i = 2; i < 14; ++i)
        floods.push_back(std::make_unique<Flooder>(
            QByteArray("127.0.0." + QByteArray::number(i)).constData(), port, 5, 300));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::none_of(floods.begin(), floods.end(),
                                [](const auto& f) { return f->timer.isActive(); });
        },
        60000));
    QTest::qWait(100);
    const qint64 seconds = clock.elapsed() / 1000 + 1;
    int answers = 0;
    for (const auto& f : floods) {
        answers += f->answers;
        EXPECT_LE(f->answers, DiscoveryResponder::MaxAnswersPerSender * seconds);
    }
    EXPECT_GE(answers, DiscoveryResponder::MaxAnswersPerSecond);
    EXPECT_LE(answers, DiscoveryResponder::MaxAnswersPerSecond * seconds);
}
