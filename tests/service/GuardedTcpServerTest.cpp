// The guarded listener under an HTTP server: connections over a cap are refused or make room,
// stalled ones are closed, a trickle cannot outlive the lifetime bound, and a released
// connection is left alone.
#include "service/GuardedTcpServer.h"

#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

using pelvo::GuardedTcpServer;

namespace {

struct Server {
    QHttpServer http;
    GuardedTcpServer* guard;

    explicit Server(GuardedTcpServer::Limits limits) : guard(new GuardedTcpServer(limits)) {
        http.route("/x", [] { return QString("fine"); });
        EXPECT_TRUE(guard->listen(QHostAddress::LocalHost, 0));
        http.bind(guard);
    }
    quint16 port() const { return guard->serverPort(); }
};

std::unique_ptr<QTcpSocket> connectFrom(const char* from, quint16 port) {
    auto socket = std::make_unique<QTcpSocket>();
    EXPECT_TRUE(socket->bind(QHostAddress(QString(from)), 0)) << from;
    socket->connectToHost(QHostAddress::LocalHost, port);
    EXPECT_TRUE(socket->waitForConnected(5000)) << from;
    return socket;
}

bool closedSoon(QTcpSocket& socket, int ms = 5000) {
    return QTest::qWaitFor([&] { return socket.state() == QAbstractSocket::UnconnectedState; }, ms);
}

bool answered(QTcpSocket& socket) {
    socket.write("GET /x HTTP/1.1\r\nHost: t\r\n\r\n");
    QByteArray got;
    (void)QTest::qWaitFor(
        [&] {
            got += socket.readAll();
            return got.contains("fine");
        },
        5000);
    return got.startsWith("HTTP/1.1 200") && got.contains("fine");
}

} // namespace

TEST(GuardedTcpServer, CapsRefuseOrMakeRoomAndHonestRequestsAreServed) {
    Server server({.maxConnections = 6, .maxPerAddress = 3, .idleMs = 60'000, .lifetimeMs = 0});
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < 3; ++i) held.push_back(connectFrom("127.0.0.2", server.port()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.guard->connections() == 3; }, 5000));

    // A fourth from the same address is closed at once; the three stay.
    auto fourth = connectFrom("127.0.0.2", server.port());
    EXPECT_TRUE(closedSoon(*fourth));
    EXPECT_EQ(server.guard->refused(), 1u);
    for (auto& s : held) EXPECT_EQ(s->state(), QAbstractSocket::ConnectedState);

    for (int i = 0; i < 3; ++i) held.push_back(connectFrom("127.0.0.3", server.port()));
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.guard->connections() == 6; }, 5000));

    // At the total cap, a newcomer closes the quietest held connection (once it has been quiet
    // a while) and is served.
    QTest::qWait(1100);
    auto honest = connectFrom("127.0.0.1", server.port());
    EXPECT_TRUE(answered(*honest));
    EXPECT_EQ(server.guard->evicted(), 1u);
    EXPECT_TRUE(closedSoon(*held.front()));
    EXPECT_LE(server.guard->connections(), 6);

    // The counts follow connections that end: all close, all are forgotten.
    held.clear();
    honest.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.guard->connections() == 0; }, 5000));
    auto again = connectFrom("127.0.0.2", server.port());
    EXPECT_TRUE(answered(*again));
}

TEST(GuardedTcpServer, StalledAndTricklingConnectionsCloseButReleasedOnesStay) {
    Server server({.maxConnections = 64, .maxPerAddress = 8, .idleMs = 600, .lifetimeMs = 2000});
    auto silent = connectFrom("127.0.0.2", server.port());
    auto halfRequest = connectFrom("127.0.0.3", server.port());
    halfRequest->write("GET /x HTTP/1.1\r\nHost: t\r\n");
    auto trickle = connectFrom("127.0.0.4", server.port());
    trickle->write("GET /x HTTP/1.1\r\n");
    auto released = connectFrom("127.0.0.5", server.port());
    ASSERT_TRUE(QTest::qWaitFor([&] { return server.guard->connections() == 4; }, 5000));
    EXPECT_TRUE(server.guard->release(released->localAddress(), released->localPort()));
    EXPECT_FALSE(server.guard->release(QHostAddress("127.0.0.9"), 1));

    // One byte of a header every 100 ms keeps the idle bound happy, never the lifetime bound.
    int sent = 0;
    for (int i = 0; i < 100 && trickle->state() == QAbstractSocket::ConnectedState; ++i) {
        trickle->write("X");
        ++sent;
        QTest::qWait(100);
    }
    EXPECT_EQ(trickle->state(), QAbstractSocket::UnconnectedState) << "trickled " << sent;
    EXPECT_GT(sent, 6) << "closed before the idle bound passed";
    EXPECT_TRUE(closedSoon(*silent));
    EXPECT_TRUE(closedSoon(*halfRequest));
    EXPECT_EQ(server.guard->timedOut(), 3u);

    // The released connection outlived both bounds and still works.
    EXPECT_EQ(released->state(), QAbstractSocket::ConnectedState);
    EXPECT_TRUE(answered(*released));
    EXPECT_EQ(server.guard->connections(), 1);
}

TEST(GuardedTcpServer, AReleasedWebSocketOutlivesTheBoundsAndIsForgottenWhenItCloses) {
    Server server({.maxConnections = 64, .maxPerAddress = 8, .idleMs = 300, .lifetimeMs = 600});
    // This Qt upgrades only a path with a route whose handler writes nothing.
    server.http.route("/ws", [](const QHttpServerRequest&, QHttpServerResponder&&) {});
    std::vector<std::unique_ptr<QWebSocket>> upgraded;
    bool releaseThem = true;
    QObject::connect(&server.http, &QAbstractHttpServer::newWebSocketConnection, [&] {
        while (server.http.hasPendingWebSocketConnections()) {
            auto ws = server.http.nextPendingWebSocketConnection();
            if (releaseThem) {
                EXPECT_TRUE(server.guard->release(ws->peerAddress(), ws->peerPort()));
            }
            QWebSocket* raw = ws.get();
            QObject::connect(raw, &QWebSocket::textMessageReceived,
                             [raw](const QString& text) { raw->sendTextMessage(text); });
            upgraded.push_back(std::move(ws));
        }
    });
    const auto open = [&](QWebSocket& client) {
        client.open(QUrl(QString("ws://127.0.0.1:%1/ws").arg(server.port())));
        return QTest::qWaitFor([&] { return client.state() == QAbstractSocket::ConnectedState; },
                               5000);
    };

    QWebSocket kept;
    ASSERT_TRUE(open(kept));
    QTest::qWait(1500); // past both bounds, without a byte
    QString echoed;
    QObject::connect(&kept, &QWebSocket::textMessageReceived,
                     [&](const QString& text) { echoed = text; });
    kept.sendTextMessage("still here");
    EXPECT_TRUE(QTest::qWaitFor([&] { return echoed == "still here"; }, 5000));
    EXPECT_EQ(server.guard->connections(), 1);
    EXPECT_EQ(server.guard->timedOut(), 0u);

    // One not released is closed by the lifetime bound like any other connection.
    releaseThem = false;
    QWebSocket dropped;
    ASSERT_TRUE(open(dropped));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return dropped.state() == QAbstractSocket::UnconnectedState; }, 5000));
    EXPECT_EQ(server.guard->timedOut(), 1u);

    // The server side going away is noticed although the socket no longer signals the guard.
    kept.close();
    upgraded.clear();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.guard->connections() == 0; }, 5000));
}
