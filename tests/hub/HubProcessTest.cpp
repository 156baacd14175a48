// pelvo-hub over real HTTP and WebSocket, starting real pelvo-table processes: tables made,
// listed, found by code, played at; the lobby's live list and chat; a hub killed and started
// again under a running game; tables that fall silent; listings that must be refused.

#include "host/TableProcess.h"
#include "hub/HubProcess.h"
#include "hub/LobbyClient.h"
#include "protocol/Discovery.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QUdpSocket>

#include <gtest/gtest.h>

namespace pelvo::test {
namespace {

// The pid of the pelvo-table serving `port` (a table a killed hub left behind), or 0.
pid_t tableOnPort(quint16 port) {
    const QByteArray wanted = QByteArray("--port\0", 7) + QByteArray::number(port) + '\0';
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        QFile cmdline("/proc/" + entry + "/cmdline");
        if (!cmdline.open(QIODevice::ReadOnly)) continue;
        const QByteArray args = cmdline.readAll();
        if (args.contains("pelvo-table") && args.contains(wanted)) return pid_t(entry.toInt());
    }
    return 0;
}

QJsonObject createBody(const QString& name, bool isPrivate, const QString& level = "classic") {
    return QJsonObject{{"name", name}, {"private", isPrivate}, {"level", level}};
}

TEST(HubProcess, TablesAreStartedListedFoundByCodeAndClosedWithTheHub) {
    HubProcess hub;
    const quint16 metricsPort = freePort();
    ASSERT_TRUE(hub.start({"--metrics-port", QString::number(metricsPort)}))
        << hub.log().toStdString();
    Http http;
    EXPECT_EQ(http.get(hub.url("/healthz")).status, 200);
    EXPECT_EQ(http.get(QStringLiteral("http://127.0.0.1:%1/healthz").arg(metricsPort)).status, 200);

    LobbyClient watcher;
    ASSERT_TRUE(watcher.open(hub.port));
    ASSERT_TRUE(watcher.waitType("tables"));
    ASSERT_TRUE(watcher.waitType("history"));
    EXPECT_TRUE(watcher.ofType("tables")[0].value("tables").toArray().isEmpty());

    const HttpAnswer made =
        http.post(hub.url("/v1/tables"), createBody("Bo's table", false, "expert"));
    ASSERT_EQ(made.status, 201) << made.body.constData();
    const QJsonObject pub = made.json();
    EXPECT_FALSE(pub.contains("code"));
    EXPECT_EQ(pub.value("address").toString(), "127.0.0.1");
    const auto port = quint16(pub.value("port").toInt());
    // Listening when the answer arrives: a player gets in at once.
    ProtocolPlayer anna("Anna");
    ASSERT_TRUE(anna.client.connectTo(port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+1+Anna"));

    const HttpAnswer secret = http.post(hub.url("/v1/tables"), createBody("Family", true));
    ASSERT_EQ(secret.status, 201) << secret.body.constData();
    const QString code = secret.json().value("code").toString();
    ASSERT_EQ(code.size(), 6);
    for (const QChar c : code)
        EXPECT_TRUE(QStringLiteral("23456789ABCDEFGHJKLMNPQRSTUVWXYZ").contains(c));

    // Only the public table is listed, with its player seated (the table reported the change).
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const QJsonArray list = tablesOf(http, hub);
            return list.size() == 1 && list[0].toObject().value("seats_taken").toInt() == 1;
        },
        10000))
        << QJsonDocument(tablesOf(http, hub)).toJson().constData();
    const QJsonObject listedTable = tablesOf(http, hub)[0].toObject();
    EXPECT_EQ(listedTable.value("id"), pub.value("id"));
    EXPECT_EQ(listedTable.value("name").toString(), "Bo's table");
    EXPECT_EQ(listedTable.value("level").toString(), "expert");
    EXPECT_EQ(listedTable.value("seats_free").toInt(), 3);
    EXPECT_FALSE(listedTable.value("playing").toBool());
    // The lobby saw it come, without asking.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            const auto lists = watcher.ofType("tables");
            return lists.last().value("tables").toArray().size() == 1;
        },
        10000));
    for (const auto& list : watcher.ofType("tables"))
        for (const auto& t : list.value("tables").toArray())
            EXPECT_FALSE(t.toObject().value("private").toBool());

    // Friends type the code in any case; a wrong or malformed code is simply unknown.
    const HttpAnswer found = http.get(hub.url("/v1/codes/" + code.toLower()));
    ASSERT_EQ(found.status, 200);
    EXPECT_EQ(found.json().value("port"), secret.json().value("port"));
    EXPECT_EQ(found.json().value("name").toString(), "Family");
    QString other = code;
    other[0] = other[0] == QLatin1Char('Z') ? QLatin1Char('Y') : QLatin1Char('Z');
    for (const QString& wrong :
         {other, QStringLiteral("K7QF2"), QStringLiteral("K0QF2M"), QStringLiteral("%2e%2e%2f")}) {
        const HttpAnswer miss = http.get(hub.url("/v1/codes/" + wrong));
        EXPECT_EQ(miss.status, 404) << wrong.toStdString();
        if (!wrong.startsWith('%')) {
            EXPECT_EQ(miss.error(), "unknown_code");
        }
    }

    const QByteArray metrics =
        http.get(QStringLiteral("http://127.0.0.1:%1/metrics").arg(metricsPort)).body;
    EXPECT_TRUE(metrics.contains("pelvo_hub_tables 2\n")) << metrics.constData();
    EXPECT_TRUE(metrics.contains("pelvo_hub_tables_running 2\n"));
    EXPECT_TRUE(metrics.contains("pelvo_hub_lobby_connections 1\n"));
    // The tables' reports hold no connection between them (all tables on the hub's machine
    // share one address and its connection cap): the lobby's and this test's are all there are.
    const QRegularExpression held("pelvo_hub_http_connections (\\d+)\n");
    const auto match = held.match(QString::fromUtf8(metrics));
    ASSERT_TRUE(match.hasMatch());
    EXPECT_LE(match.captured(1).toInt(), 3) << metrics.constData();

    // Stopping the hub closes the tables it started, in order: the player is told.
    ASSERT_TRUE(hub.stop(SIGTERM));
    EXPECT_EQ(hub.process.exitCode(), 0);
    EXPECT_TRUE(anna.client.waitClosed(10000));
    EXPECT_TRUE(anna.client.raw.contains("closing")) << anna.client.raw.right(200).constData();
    EXPECT_TRUE(hub.log().contains("pelvo-hub event=stop signal=TERM tables=closed"));
    EXPECT_EQ(hub.log().count("pelvo-table event=exit status=0"), 2) << hub.log().toStdString();
    EXPECT_TRUE(watcher.waitClosed());
}

TEST(HubProcess, LobbyChatReachesEveryoneAndNewcomersGetTheHistory) {
    HubProcess hub;
    ASSERT_TRUE(hub.start());
    LobbyClient bo, cy;
    ASSERT_TRUE(bo.open(hub.port));
    ASSERT_TRUE(bo.waitType("history"));
    bo.chat("Bo", "anyone\tfor a game?\n");
    bo.chat("Bo", QString(401, QLatin1Char('x')));
    bo.chat(QString(65, QLatin1Char('n')), "hi");
    bo.socket.sendTextMessage("{\"type\":\"chat\",\"name\":\"Bo\",\"text\":\"<b>bold</b>\"}");
    ASSERT_TRUE(bo.waitType("chat", 2));
    ASSERT_TRUE(bo.waitType("error", 2));
    EXPECT_EQ(bo.ofType("chat")[0].value("text").toString(), "anyone for a game?");
    EXPECT_EQ(bo.ofType("chat")[1].value("text").toString(), "<b>bold</b>"); // text, as sent
    EXPECT_EQ(bo.ofType("error")[0].value("error").toString(), "bad_request");

    ASSERT_TRUE(cy.open(hub.port));
    ASSERT_TRUE(cy.waitType("history"));
    const QJsonArray lines = cy.ofType("history")[0].value("lines").toArray();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0].toObject().value("name").toString(), "Bo");
    EXPECT_TRUE(lines[0].toObject().value("time").toString().endsWith("Z"));
    cy.chat("Cy", "me!");
    ASSERT_TRUE(bo.waitType("chat", 3));
    EXPECT_EQ(bo.ofType("chat")[2].value("name").toString(), "Cy");

    // A socket on another path is not the lobby.
    LobbyClient lost;
    lost.open(hub.port, "/v1/elsewhere");
    EXPECT_TRUE(lost.waitClosed());
}

// A lobby window on the same network finds the hub by the table search sent to the hub's port.
TEST(HubProcess, AnswersTheTableSearchOnItsOwnPort) {
    HubProcess hub;
    ASSERT_TRUE(hub.start());
    QUdpSocket searcher;
    ASSERT_TRUE(searcher.bind(QHostAddress::LocalHost, 0));
    searcher.writeDatagram(QByteArray("not a query"), QHostAddress::LocalHost, hub.port);
    searcher.writeDatagram(discovery::query(), QHostAddress::LocalHost, hub.port);
    ASSERT_TRUE(QTest::qWaitFor([&] { return searcher.hasPendingDatagrams(); }, 5000));
    QByteArray datagram(int(searcher.pendingDatagramSize()), Qt::Uninitialized);
    searcher.readDatagram(datagram.data(), datagram.size());
    const auto found = discovery::readAnswer(datagram);
    ASSERT_TRUE(found.has_value());
    EXPECT_EQ(found->port, hub.port);
    EXPECT_EQ(found->tableName, "Pelvo hub");
    QTest::qWait(200);
    EXPECT_FALSE(searcher.hasPendingDatagrams()) << "only the query is answered";
}

TEST(HubProcess, AKilledHubComesBackAndListsTheRunningGameAgain) {
    HubProcess hub;
    // Reports every 3 s, so the table is back in the list well within 15 s.
    hub.extraArgs = {"--silence-seconds", "9"};
    ASSERT_TRUE(hub.start({"--table-bot-speed", "100"}));
    Http http;
    const HttpAnswer made = http.post(hub.url("/v1/tables"), createBody("Late night", false));
    ASSERT_EQ(made.status, 201);
    const QString id = made.json().value("id").toString();
    const auto port = quint16(made.json().value("port").toInt());
    const HttpAnswer secret = http.post(hub.url("/v1/tables"), createBody("Friends", true));
    ASSERT_EQ(secret.status, 201);
    const QString code = secret.json().value("code").toString();

    ProtocolPlayer anna("Anna"), bo("Bo");
    ASSERT_TRUE(anna.client.connectTo(port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+1+Anna"));
    ASSERT_TRUE(bo.client.connectTo(port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+2+Bo"));
    anna.client.send("CMD_startgame+Anna+2+1+1+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.client.count("CMD_mycards+") > 0; }, 10000));

    ASSERT_TRUE(hub.stop(SIGKILL));
    EXPECT_FALSE(anna.over) << "the game should outlast the hub's restart";
    const pid_t orphan = tableOnPort(port);
    const pid_t friends = tableOnPort(quint16(secret.json().value("port").toInt()));
    ASSERT_NE(orphan, 0);
    ASSERT_NE(friends, 0);

    HubProcess again;
    again.port = hub.port;
    again.firstTablePort = hub.firstTablePort;
    again.extraArgs = hub.extraArgs;
    ASSERT_TRUE(again.start());
    QElapsedTimer sinceRestart;
    sinceRestart.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return listed(http, again, id); }, 15000))
        << again.log().toStdString();
    // The private table's code works again too: it came back with the table's report.
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return http.get(again.url("/v1/codes/" + code)).status == 200; },
                        int(std::max<qint64>(0, 15000 - sinceRestart.elapsed()))));
    EXPECT_LT(sinceRestart.elapsed(), 15000);
    const QJsonObject table = tablesOf(http, again)[0].toObject();
    EXPECT_EQ(table.value("port").toInt(), port);
    EXPECT_EQ(table.value("seats_taken").toInt(), 2);

    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.over && bo.over; }, 120000));
    EXPECT_EQ(anna.winner, bo.winner);
    EXPECT_TRUE(again.log().contains("event=table_adopted id=" + id));
    // The new hub did not start them and leaves them be.
    for (const pid_t left : {orphan, friends}) {
        ::kill(left, SIGTERM);
        (void)QTest::qWaitFor([&] { return ::kill(left, 0) != 0; }, 10000);
    }
}

TEST(HubProcess, ListingsElsewhereAreCheckedKeyedAndDroppedWhenSilent) {
    HubProcess hub;
    ASSERT_TRUE(hub.start({"--silence-seconds", "3"}));
    Http http;

    // Nothing answers there: refused.
    const HttpAnswer nobody =
        http.post(hub.url("/v1/register"),
                  QJsonObject{{"name", "Ghost"}, {"port", int(freePort())}, {"level", "classic"}});
    EXPECT_EQ(nobody.status, 422);
    EXPECT_EQ(nobody.error(), "not_reachable");
    EXPECT_TRUE(tablesOf(http, hub).isEmpty());

    TableProcess home;
    home.port = freePort();
    ASSERT_TRUE(
        home.start({"--port", QString::number(home.port), "--name", "Home", "--hub", hub.url("")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return tablesOf(http, hub).size() == 1; }, 10000));
    const QJsonObject table = tablesOf(http, hub)[0].toObject();
    const QString id = table.value("id").toString();
    EXPECT_EQ(table.value("port").toInt(), home.port);
    EXPECT_EQ(table.value("name").toString(), "Home");

    // Only the key's holder changes or removes it.
    const QJsonObject forged{{"name", "Pwned"},   {"port", int(home.port)}, {"seats_taken", 4},
                             {"seats_free", 0},   {"watchers", 0},          {"playing", true},
                             {"level", "expert"}, {"private", false}};
    for (const QByteArray& key : {QByteArray("wrong-key-wrong-key-wrong"), QByteArray()}) {
        const HttpAnswer refused = http.post(hub.url("/v1/tables/" + id + "/report"), forged, key);
        EXPECT_EQ(refused.status, 403);
        EXPECT_EQ(refused.error(), "wrong_key");
    }
    EXPECT_EQ(http.send("DELETE", hub.url("/v1/tables/" + id), {}, "nope-nope-nope-nope").status,
              403);
    EXPECT_EQ(tablesOf(http, hub)[0].toObject().value("name").toString(), "Home");

    // A table that stops reporting leaves the list, and is back once it reports again.
    ::kill(pid_t(home.process.processId()), SIGSTOP);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tablesOf(http, hub).isEmpty(); }, 10000));
    ::kill(pid_t(home.process.processId()), SIGCONT);
    EXPECT_TRUE(QTest::qWaitFor([&] { return listed(http, hub, id); }, 10000))
        << hub.log().toStdString();
}

TEST(HubProcess, ATableNobodyComesToIsClosed) {
    HubProcess hub;
    ASSERT_TRUE(hub.start({"--idle-seconds", "2"}));
    Http http;
    const HttpAnswer made = http.post(hub.url("/v1/tables"), createBody("Empty", false));
    ASSERT_EQ(made.status, 201);
    const QString id = made.json().value("id").toString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return tablesOf(http, hub).isEmpty(); }, 15000));
    EXPECT_TRUE(hub.log().contains("pelvo-hub event=table_idle id=" + id));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return hub.log().contains("pelvo-hub event=table_ended id=" + id); }, 5000));
    EXPECT_TRUE(hub.log().contains("pelvo-table event=exit status=0"));
}

} // namespace
} // namespace pelvo::test
