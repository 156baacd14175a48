// The hub client over real HTTP and WebSocket connections on loopback, against a peer that
// answers what each case needs: every failure arrives typed, oversized and malformed answers
// are refused, and the lobby's live connection passes on only what it understood.

#include "session/HubClient.h"
#include "support/TestEnv.h"

// Qt
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>
#include <QWebSocket>
#include <QWebSocketServer>

#include <gtest/gtest.h>

// std
#include <optional>
#include <variant>

namespace pelvo {
namespace {

// Answers every request with one status and body; `silent` answers nothing.
class CannedHttp : public QObject {
public:
    int status = 200;
    QByteArray body;
    bool silent = false;
    QList<QByteArray> requests;

    CannedHttp() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server_.nextPendingConnection()) {
                connect(s, &QTcpSocket::readyRead, this, [this, s] { answer(s); });
                connect(s, &QTcpSocket::disconnected, s, &QObject::deleteLater);
            }
        });
    }
    QUrl url() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()));
    }

private:
    void answer(QTcpSocket* s) {
        QByteArray& request = pending_[s];
        request += s->readAll();
        const qsizetype end = request.indexOf("\r\n\r\n");
        if (end < 0 || silent) return;
        requests << request.left(end);
        s->write("HTTP/1.1 " + QByteArray::number(status) +
                 " X\r\nContent-Type: application/json"
                 "\r\nContent-Length: " +
                 QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
        s->disconnectFromHost();
        pending_.remove(s);
    }
    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

using Outcome =
    std::variant<std::monostate, QList<hub::Table>, hub::Created, hub::CodeTarget, hub::Error>;

template <class Start> Outcome run(Start start) {
    Outcome out;
    start(out);
    EXPECT_TRUE(QTest::qWaitFor([&] { return out.index() != 0; }, 15000));
    return out;
}

hub::Failure failureOf(const Outcome& o) {
    EXPECT_TRUE(std::holds_alternative<hub::Error>(o));
    return std::holds_alternative<hub::Error>(o) ? std::get<hub::Error>(o).kind
                                                 : hub::Failure::Refused;
}

struct HubClientTest : ::testing::Test {
    CannedHttp http;
    HubClient client;
    void SetUp() override { client.setHub(http.url()); }

    Outcome list() {
        return run([&](Outcome& out) {
            client.listTables([&](const QList<hub::Table>& t) { out = t; },
                              [&](const hub::Error& e) { out = e; });
        });
    }
    Outcome create(bool isPrivate) {
        return run([&](Outcome& out) {
            client.createTable(
                "Anna's", isPrivate, "classic", [&](const hub::Created& c) { out = c; },
                [&](const hub::Error& e) { out = e; });
        });
    }
    Outcome code(const QString& c) {
        return run([&](Outcome& out) {
            client.lookUpCode(
                c, [&](const hub::CodeTarget& t) { out = t; },
                [&](const hub::Error& e) { out = e; });
        });
    }
};

TEST_F(HubClientTest, EveryKindOfFailureArrivesTyped) {
    http.body = R"({"tables":[]})";
    EXPECT_TRUE(std::holds_alternative<QList<hub::Table>>(list()));

    http.status = 503;
    http.body = R"({"error":"hub_full","message":"All 200 tables are taken."})";
    const Outcome full = create(false);
    EXPECT_EQ(failureOf(full), hub::Failure::Full);
    EXPECT_EQ(std::get<hub::Error>(full).hubMessage, "All 200 tables are taken.");
    EXPECT_TRUE(http.requests.last().startsWith("POST /v1/tables "));

    http.status = 429;
    http.body = R"({"error":"too_many_tables","message":""})";
    EXPECT_EQ(failureOf(create(true)), hub::Failure::TooManyTables);
    http.body = R"({"error":"rate_limited"})";
    EXPECT_EQ(failureOf(code("K7QF2M")), hub::Failure::RateLimited);

    // On the code path a 404 is an unknown code, with or without the hub's words; a code that
    // cannot be one is not even asked for.
    http.status = 404;
    http.body = "not json";
    const int asked = int(http.requests.size());
    EXPECT_EQ(failureOf(code("k7qf-2m")), hub::Failure::CodeUnknown);
    EXPECT_TRUE(http.requests.last().startsWith("GET /v1/codes/K7QF2M "));
    EXPECT_EQ(failureOf(code("../../etc")), hub::Failure::CodeUnknown);
    EXPECT_EQ(int(http.requests.size()), asked + 1);
    EXPECT_EQ(failureOf(list()), hub::Failure::TableGone);

    // Another service at the address, a wrong shape, a private table without its code, and an
    // answer larger than any the hub gives, are all a bad answer.
    http.status = 200;
    http.body = "<html>hello</html>";
    EXPECT_EQ(failureOf(list()), hub::Failure::BadAnswer);
    http.status = 201;
    http.body = R"({"id":"t1","address":"127.0.0.1","port":7781})";
    EXPECT_TRUE(std::holds_alternative<hub::Created>(create(false)));
    EXPECT_EQ(failureOf(create(true)), hub::Failure::BadAnswer);
    http.status = 200;
    http.body = R"({"tables":[],"x":")" + QByteArray(hub::MaxAnswerBytes + 10, 'x') + "\"}";
    EXPECT_EQ(failureOf(list()), hub::Failure::BadAnswer);
    http.status = 302;
    http.body = "{}";
    EXPECT_EQ(failureOf(list()), hub::Failure::BadAnswer);
}

TEST_F(HubClientTest, NoHubIsUnreachable) {
    // Nothing listens: refused at once. Something listens and never answers: the time-out.
    client.setHub(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(test::freePort())));
    EXPECT_EQ(failureOf(list()), hub::Failure::Unreachable);
    client.setHub(http.url());
    client.setTimeout(300);
    http.silent = true;
    EXPECT_EQ(failureOf(list()), hub::Failure::Unreachable);
}

// The live connection: tables and chat arrive as sent; junk and unknown kinds are dropped and
// the connection goes on; an oversized message ends it, and it is made again.
TEST(HubLobby, LiveMessagesArePassedOnOnlyWhenUnderstood) {
    QWebSocketServer server("hub", QWebSocketServer::NonSecureMode);
    ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
    QList<QWebSocket*> peers;
    QStringList heard;
    QObject::connect(&server, &QWebSocketServer::newConnection, [&] {
        QWebSocket* peer = server.nextPendingConnection();
        QObject::connect(peer, &QWebSocket::textMessageReceived,
                         [&](const QString& m) { heard << m; });
        peers << peer;
        if (peers.size() > 1) return;
        peer->sendTextMessage("not json");
        peer->sendTextMessage(R"({"type":"tables","tables":[{"id":"x"}]})");
        peer->sendTextMessage(R"({"type":"launch","program":"/bin/sh"})");
        peer->sendTextMessage(R"({"type":"history","lines":[{"name":"Bo","text":"hi"}]})");
        peer->sendTextMessage(
            R"({"type":"tables","tables":[{"id":"t1","name":"A","address":"127.0.0.1","port":7781,)"
            R"("seats_taken":1,"seats_free":3,"watchers":2,"playing":true,"level":"classic","private":false}]})");
        peer->sendTextMessage(R"({"type":"chat","name":"Cy","text":"<a href=x>y</a>"})");
    });

    HubClient client;
    client.setHub(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(server.serverPort())));
    QList<QList<hub::Table>> tables;
    QList<hub::ChatLine> lines;
    int connects = 0;
    QObject::connect(&client, &HubClient::tablesChanged, [&](const auto& t) { tables << t; });
    QObject::connect(&client, &HubClient::historyReceived, [&](const auto& l) { lines += l; });
    QObject::connect(&client, &HubClient::chatReceived, [&](const auto& l) { lines << l; });
    QObject::connect(&client, &HubClient::lobbyConnectedChanged, [&](bool on) { connects += on; });
    client.openLobby();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lines.size() == 2; }, 10000));
    ASSERT_EQ(tables.size(), 1);
    EXPECT_EQ(tables[0].first().watchers, 2);
    EXPECT_EQ(lines[0], (hub::ChatLine{"Bo", "hi", ""}));
    EXPECT_EQ(lines[1].text, "<a href=x>y</a>");

    EXPECT_TRUE(client.sendChat("Anna", "hello"));
    EXPECT_FALSE(client.sendChat("Anna", "   "));
    ASSERT_TRUE(QTest::qWaitFor([&] { return heard.size() == 1; }, 5000));
    EXPECT_EQ(heard[0], R"({"name":"Anna","text":"hello","type":"chat"})");

    // A message larger than any the hub sends ends the connection unread; the client connects
    // again by itself.
    peers.first()->sendTextMessage("{\"type\":\"chat\",\"name\":\"Z\",\"text\":\"" +
                                   QString(hub::MaxAnswerBytes + 1, u'z') + "\"}");
    ASSERT_TRUE(QTest::qWaitFor([&] { return connects == 2; }, 10000));
    client.closeLobby();
    EXPECT_FALSE(client.lobbyConnected());
}

} // namespace
} // namespace pelvo
