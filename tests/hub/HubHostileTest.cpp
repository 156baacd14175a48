// The hub faces the internet: malformed, oversized and deeply nested requests, a flood of table
// starts, join-code guessing, a chat flood and connections that never finish a request. Each
// meets its limit while honest clients from other addresses are served as before.

#include "hub/HubProcess.h"
#include "hub/LobbyClient.h"

#include <QRandomGenerator>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace pelvo::test {
namespace {

// One raw HTTP exchange from a chosen loopback address (Linux answers on all of 127/8), so one
// machine can play several homes. Status 0: the connection closed without an answer.
HttpAnswer rawHttp(quint16 port, const QByteArray& request, const QString& from = "127.0.0.1") {
    QTcpSocket socket;
    socket.bind(QHostAddress(from), 0);
    socket.connectToHost(QHostAddress::LocalHost, port);
    HttpAnswer answer;
    if (!socket.waitForConnected(5000)) return answer;
    socket.write(request);
    QByteArray in;
    (void)QTest::qWaitFor(
        [&] {
            in += socket.readAll();
            const qsizetype end = in.indexOf("\r\n\r\n");
            if (end < 0) return socket.state() != QAbstractSocket::ConnectedState;
            const qsizetype at = in.toLower().indexOf("content-length:");
            const qsizetype length =
                at < 0 ? 0 : in.mid(at + 15, in.indexOf('\r', at) - at - 15).trimmed().toInt();
            return in.size() >= end + 4 + length ||
                   socket.state() != QAbstractSocket::ConnectedState;
        },
        10000);
    if (in.startsWith("HTTP/1.")) answer.status = in.mid(9, 3).toInt();
    answer.body = in.mid(in.indexOf("\r\n\r\n") + 4);
    return answer;
}

QByteArray post(const QByteArray& path, const QByteArray& body) {
    return "POST " + path +
           " HTTP/1.1\r\nHost: hub\r\nContent-Type: application/json\r\n"
           "Content-Length: " +
           QByteArray::number(body.size()) + "\r\n\r\n" + body;
}

QByteArray get(const QByteArray& path) {
    return "GET " + path + " HTTP/1.1\r\nHost: hub\r\n\r\n";
}

QByteArray createBody(const QByteArray& name, bool isPrivate = false) {
    return "{\"name\":\"" + name + "\",\"private\":" + (isPrivate ? "true" : "false") + "}";
}

TEST(HubHostile, MalformedOversizedAndDeepRequestsAreRefusedAndTheHubServesOn) {
    HubProcess hub;
    hub.env.insert("PELVO_HTTP_IDLE_MS", "2000");
    ASSERT_TRUE(hub.start());
    const QByteArray deep = QByteArray(1000, '[') + QByteArray(1000, ']');
    const struct {
        QByteArray request;
        int status;
    } cases[] = {
        {post("/v1/tables", "{\"name\":\"" + QByteArray(5000, 'x') + "\"}"), 413},
        {post("/v1/tables", "{"), 400},
        {post("/v1/tables", "[]"), 400},
        {post("/v1/tables", "{\"name\":" + deep + "}"), 400},
        {post("/v1/tables", "{\"a\":{\"b\":{\"c\":{\"d\":{\"e\":1}}}},\"name\":\"x\"}"), 400},
        {post("/v1/tables", "{\"name\":5}"), 400},
        {post("/v1/tables", "{\"name\":\"   \\u0000\\u0007  \"}"), 400},
        {post("/v1/tables", createBody(QByteArray(65, 'n'))), 400},
        {post("/v1/tables", "{\"name\":\"x\",\"level\":\"godlike\"}"), 400},
        {post("/v1/tables", "{\"name\":\"x\",\"private\":\"yes\"}"), 400},
        {post("/v1/register", "{\"name\":\"x\",\"port\":70000}"), 400},
        {post("/v1/register", "{\"name\":\"x\",\"port\":1.5}"), 400},
        {post("/v1/register", "{\"name\":\"x\",\"port\":7772,\"seats_taken\":9,\"seats_free\":0,"
                              "\"watchers\":0}"),
         400},
        {post("/v1/tables/../../etc/passwd/report", "{}"), 404},
        // An unknown id with no key is not listed again.
        {post("/v1/tables/abc/report", "{\"name\":\"x\",\"port\":7772,\"seats_taken\":0,"
                                       "\"seats_free\":4,\"watchers\":0}"),
         403},
        {get("/v1/codes/" + QByteArray(5000, 'A')), 404},
        {get("/nowhere"), 404},
        {"BREW /v1/tables HTTP/1.1\r\nHost: hub\r\n\r\n", 0},
    };
    for (const auto& c : cases) {
        const HttpAnswer answer = rawHttp(hub.port, c.request);
        if (c.status) {
            EXPECT_EQ(answer.status, c.status) << c.request.left(80).constData();
            EXPECT_FALSE(answer.body.isEmpty()) << c.request.left(80).constData();
        }
    }
    // A header that never ends is cut off, not buffered without end.
    const HttpAnswer endless =
        rawHttp(hub.port, "GET /v1/tables HTTP/1.1\r\nX: " + QByteArray(2 * 1024 * 1024, 'x'));
    EXPECT_EQ(endless.status, 0);
    // Nor is a body of many megabytes.
    const HttpAnswer huge =
        rawHttp(hub.port, post("/v1/tables", "{\"name\":\"" + QByteArray(8 << 20, 'x') + "\"}"));
    EXPECT_EQ(huge.status, 0);

    Http http;
    EXPECT_EQ(http.get(hub.url("/healthz")).status, 200);
    EXPECT_EQ(http.post(hub.url("/v1/tables"), QJsonObject{{"name", "Still here"}}).status, 201);
    EXPECT_EQ(tablesOf(http, hub).size(), 1);
}

TEST(HubHostile, FloodsGuessesAndStalledConnectionsMeetTheirLimitsWhileOthersAreServed) {
    HubProcess hub;
    // Stalled connections are closed after a second of silence in this test.
    hub.env.insert("PELVO_HTTP_IDLE_MS", "1000");
    hub.env.insert("PELVO_HTTP_LIFETIME_MS", "3000");
    ASSERT_TRUE(hub.start({"--max-tables", "6", "--tables-per-address", "4"}));

    // One address asks for eight tables: it gets four.
    int made = 0, refused = 0;
    QByteArray code;
    for (int i = 0; i < 8; ++i) {
        const HttpAnswer a =
            rawHttp(hub.port, post("/v1/tables", createBody("Flood", i == 0)), "127.0.0.2");
        if (a.status == 201) ++made;
        if (a.status == 429) ++refused;
        if (i == 0) code = a.json().value("code").toString().toLatin1();
    }
    EXPECT_EQ(made, 4);
    EXPECT_EQ(refused, 4);
    ASSERT_EQ(code.size(), 6);
    // Another home gets the two left, then the hub is full.
    EXPECT_EQ(rawHttp(hub.port, post("/v1/tables", createBody("Home")), "127.0.0.3").status, 201);
    EXPECT_EQ(rawHttp(hub.port, post("/v1/tables", createBody("Home")), "127.0.0.3").status, 201);
    const HttpAnswer full = rawHttp(hub.port, post("/v1/tables", createBody("Home")), "127.0.0.3");
    EXPECT_EQ(full.status, 503);
    EXPECT_EQ(full.error(), "hub_full");

    // Guessing codes: after ten tries the guesser is only told to wait, even for a real code,
    // while a friend elsewhere finds the table.
    int unknown = 0, limited = 0;
    for (int i = 0; i < 40; ++i) {
        QByteArray guess;
        for (int k = 0; k < 6; ++k)
            guess += "23456789ABCDEFGHJKLMNPQRSTUVWXYZ"[QRandomGenerator::global()->bounded(32)];
        const int status = rawHttp(hub.port, get("/v1/codes/" + guess), "127.0.0.4").status;
        unknown += status == 404;
        limited += status == 429;
    }
    EXPECT_EQ(unknown, 10);
    EXPECT_EQ(limited, 30);
    EXPECT_EQ(rawHttp(hub.port, get("/v1/codes/" + code), "127.0.0.4").status, 429);
    EXPECT_EQ(rawHttp(hub.port, get("/v1/codes/" + code.toLower()), "127.0.0.5").status, 200);

    // Connections that start a request and never finish it: the address's share is held, the
    // rest refused, and all are closed once they have been silent a second.
    std::vector<std::unique_ptr<QTcpSocket>> stalled;
    for (int i = 0; i < 60; ++i) {
        auto s = std::make_unique<QTcpSocket>();
        s->bind(QHostAddress("127.0.0.6"), 0);
        s->connectToHost(QHostAddress::LocalHost, hub.port);
        s->write("GET /v1/tables HTTP/1.1\r\nHost: hu");
        stalled.push_back(std::move(s));
    }
    const auto open = [&] {
        return std::count_if(stalled.begin(), stalled.end(), [](const auto& s) {
            return s->state() == QAbstractSocket::ConnectedState;
        });
    };
    QTest::qWait(300);
    EXPECT_LT(open(), 60);
    Http http;
    EXPECT_EQ(http.get(hub.url("/v1/tables")).status, 200); // an honest client meanwhile
    EXPECT_TRUE(QTest::qWaitFor([&] { return open() == 0; }, 10000)) << open() << " still open";

    // The lobby: sixteen connections from one address, not seventeen; a chat flood is cut
    // short and its sender closed, and the others' chat goes on.
    std::vector<std::unique_ptr<LobbyClient>> lobby;
    for (int i = 0; i < 17; ++i) {
        lobby.push_back(std::make_unique<LobbyClient>());
        lobby.back()->open(hub.port);
    }
    ASSERT_TRUE(lobby[16]->waitClosed());
    for (int i = 0; i < 16; ++i) EXPECT_FALSE(lobby[i]->closed) << i;
    LobbyClient& flooder = *lobby[0];
    LobbyClient& honest = *lobby[1];
    for (int i = 0; i < 40; ++i) flooder.chat("Spam", QString::number(i));
    ASSERT_TRUE(flooder.waitClosed());
    EXPECT_GE(flooder.ofType("error").size(), 20);
    honest.chat("Bo", "hello");
    ASSERT_TRUE(lobby[2]->waitType("chat", 6));
    const auto lines = lobby[2]->ofType("chat");
    EXPECT_EQ(lines.size(), 6); // five of the flood, then Bo's
    EXPECT_EQ(lines.last().value("text").toString(), "hello");

    EXPECT_EQ(http.get(hub.url("/healthz")).status, 200);
    const QByteArray log = hub.log().toUtf8();
    EXPECT_FALSE(log.contains("Segmentation")) << log.constData();
}

} // namespace
} // namespace pelvo::test
