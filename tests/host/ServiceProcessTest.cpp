// pelvo-table run as a service: its metrics over real HTTP follow a game as it is played, its
// operator events are one key=value line each on stderr, and a stop signal tells the players
// why the table goes before it closes and exits 0.
#include "TableProcess.h"

#include <QMap>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <csignal>
#include <memory>

using namespace pelvo::test;

namespace {

struct HttpAnswer {
    int status = 0;
    QByteArray body;
    QByteArray type;
};

HttpAnswer httpGet(quint16 port, const QString& path) {
    static QNetworkAccessManager manager;
    QNetworkRequest request(QUrl(QString("http://127.0.0.1:%1%2").arg(port).arg(path)));
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    HttpAnswer answer;
    if (!QTest::qWaitFor([&] { return reply->isFinished(); }, 10000)) return answer;
    answer.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    answer.body = reply->readAll();
    answer.type = reply->header(QNetworkRequest::ContentTypeHeader).toByteArray();
    return answer;
}

// Sample name (with labels) to value.
QMap<QString, double> scrape(quint16 port) {
    QMap<QString, double> values;
    const HttpAnswer answer = httpGet(port, "/metrics");
    if (answer.status != 200) return values;
    for (const QByteArray& line : answer.body.split('\n')) {
        if (line.isEmpty() || line.startsWith('#')) continue;
        const qsizetype space = line.lastIndexOf(' ');
        values[QString::fromUtf8(line.left(space))] = line.mid(space + 1).toDouble();
    }
    return values;
}

// pelvo-table with its metrics on a second free port, stderr kept apart.
struct ServiceTable {
    TableProcess table;
    quint16 metricsPort = freePort();
    QString log;

    bool start(const QString& botSpeed) {
        table.port = freePort();
        return table.start({"--port", QString::number(table.port), "--bot-speed", botSpeed,
                            "--metrics-port", QString::number(metricsPort)});
    }
    QStringList events() {
        log += QString::fromUtf8(table.process.readAllStandardError());
        QStringList lines;
        for (const QString& line : log.split('\n', Qt::SkipEmptyParts))
            if (line.startsWith("pelvo-table event=")) lines << line;
        return lines;
    }
    bool hasEvent(const QString& line) { return events().contains(line); }
};

} // namespace

TEST(Service, MetricsFollowAGameAsItIsPlayed) {
    ServiceTable service;
    ASSERT_TRUE(service.start("20"));
    const quint16 port = service.metricsPort;

    const HttpAnswer health = httpGet(port, "/healthz");
    EXPECT_EQ(health.status, 200);
    EXPECT_EQ(health.body, "ok\n");
    EXPECT_EQ(httpGet(port, "/nothing-here").status, 404);
    const HttpAnswer first = httpGet(port, "/metrics");
    EXPECT_EQ(first.status, 200);
    EXPECT_TRUE(first.type.startsWith("text/plain; version=0.0.4")) << first.type.constData();

    auto idle = scrape(port);
    EXPECT_EQ(idle["pelvo_table_connections_accepted_total"], 0);
    EXPECT_EQ(idle["pelvo_table_games_started_total"], 0);
    EXPECT_EQ(idle["pelvo_table_frames_sent_total"], 0);

    ProtocolPlayer anna("Anna"), bo("Bo");
    ASSERT_TRUE(anna.client.connectTo(service.table.port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+1+Anna"));
    ASSERT_TRUE(bo.client.connectTo(service.table.port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+2+Bo"));
    auto seated = scrape(port);
    EXPECT_EQ(seated["pelvo_table_connections{kind=\"player\"}"], 2);
    EXPECT_EQ(seated["pelvo_table_connections_accepted_total"], 2);
    EXPECT_EQ(seated["pelvo_table_logins_total"], 2);
    EXPECT_EQ(seated["pelvo_table_game_running"], 0);
    // Two logins in; each player told of himself and of the other.
    EXPECT_GE(seated["pelvo_table_frames_received_total"], 2);
    EXPECT_GE(seated["pelvo_table_frames_sent_total"], 5);

    // One round; seats 3 and 4 are played by the computer.
    anna.client.send("CMD_startgame+Anna+1+1+1+\xFF");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return anna.client.count("CMD_startgame+Anna+1+") == 1; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.moves >= 1; }, 20000));
    auto playing = scrape(port);
    EXPECT_EQ(playing["pelvo_table_games_started_total"], 1);
    EXPECT_EQ(playing["pelvo_table_game_running"], 1);
    EXPECT_EQ(playing["pelvo_table_computer_seats"], 2);
    EXPECT_EQ(playing["pelvo_table_games_finished_total"], 0);
    EXPECT_GT(playing["pelvo_table_frames_received_total"],
              seated["pelvo_table_frames_received_total"]);
    EXPECT_GT(playing["pelvo_table_frames_sent_total"], seated["pelvo_table_frames_sent_total"]);

    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.over && bo.over; }, 60000));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return scrape(port)["pelvo_table_games_finished_total"] == 1; }, 5000));
    auto done = scrape(port);
    EXPECT_EQ(done["pelvo_table_game_running"], 0);
    EXPECT_EQ(done["pelvo_table_computer_seats"], 0);
    EXPECT_EQ(done["pelvo_table_games_started_total"], 1);
    EXPECT_GT(done["pelvo_table_frames_sent_total"], playing["pelvo_table_frames_sent_total"]);
    // Every frame a player was sent is counted (both read all of theirs by now).
    EXPECT_EQ(done["pelvo_table_frames_sent_total"],
              double(anna.client.frames.size() + bo.client.frames.size()));
    EXPECT_GT(done["pelvo_table_uptime_seconds"], 0);

    // The game's beginning and end, as the operator reads them.
    const QStringList events = service.events();
    const QRegularExpression start(
        R"re(^pelvo-table event=game_start by=1 rounds=1 people=2 computers=2$)re");
    const QRegularExpression end(
        R"re(^pelvo-table event=game_end winner="(Anna|Bo|Klick|Kling)" seat=[1-4] rounds=[1-9]$)re");
    EXPECT_EQ(events.filter(start).size(), 1) << events.join('\n').toStdString();
    EXPECT_EQ(events.filter(end).size(), 1) << events.join('\n').toStdString();
    EXPECT_TRUE(
        events.first().startsWith(QString("pelvo-table event=listening port=%1 metrics_port=%2")
                                      .arg(service.table.port)
                                      .arg(port)));
}

TEST(Service, EventsAreKeyValueLinesAndAStopSignalClosesTheTableInOrder) {
    for (int signal : {SIGTERM, SIGHUP}) {
        ServiceTable service;
        ASSERT_TRUE(service.start("5"));
        const quint16 game = service.table.port;

        RawClient anna, bo, flooder, giant;
        ASSERT_TRUE(anna.connectTo(game));
        ASSERT_EQ(anna.login("Anna"), 1);
        ASSERT_TRUE(bo.connectTo(game));
        ASSERT_EQ(bo.login("Bo \"the\" \\Bold\\"), 2);
        ASSERT_TRUE(service.hasEvent(
            R"(pelvo-table event=login slot=2 name="Bo \"the\" \\Bold\\" addr=127.0.0.1)"))
            << service.events().join('\n').toStdString();

        // Lines faster than the table takes them, and a frame that never ends.
        ASSERT_TRUE(flooder.connectTo(game));
        ASSERT_EQ(flooder.login("Flo"), 3);
        flooder.send(QByteArray("CMD_chat+3+la\xFF").repeated(400));
        EXPECT_TRUE(flooder.waitClosed());
        ASSERT_TRUE(giant.connectTo(game));
        ASSERT_TRUE(giant.waitFrames(1));
        giant.send(QByteArray(70 * 1024, 'x'));
        EXPECT_TRUE(giant.waitClosed());
        auto closed = scrape(service.metricsPort);
        EXPECT_EQ(closed["pelvo_table_connections_closed_total{reason=\"flood\"}"], 1);
        EXPECT_EQ(closed["pelvo_table_connections_closed_total{reason=\"oversized\"}"], 1);
        EXPECT_TRUE(service.hasEvent(
            R"(pelvo-table event=close slot=3 reason=flood name="Flo" addr=127.0.0.1)"))
            << service.events().join('\n').toStdString();
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                return service.hasEvent(
                    R"(pelvo-table event=close slot=3 reason=oversized name="" addr=127.0.0.1)");
            },
            5000))
            << service.events().join('\n').toStdString();

        // The player with the rights removes someone: one line for it, not a disconnect.
        RawClient cy;
        ASSERT_TRUE(cy.connectTo(game));
        ASSERT_EQ(cy.login("Cy"), 3);
        anna.send("CMD_kickhim+1+3+\xFF");
        EXPECT_TRUE(cy.waitClosed());
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                return service.hasEvent(
                    R"(pelvo-table event=kick slot=3 name="Cy" addr=127.0.0.1 by=1)");
            },
            5000))
            << service.events().join('\n').toStdString();
        EXPECT_EQ(
            scrape(service.metricsPort)["pelvo_table_connections_closed_total{reason=\"kicked\"}"],
            1);
        // A connection the table closed itself is told once, with the reason.
        for (const char* gone : {"Cy", "Flo"})
            EXPECT_EQ(service.events()
                          .filter(QString("event=disconnect slot=3 name=\"%1\"").arg(gone))
                          .size(),
                      0);

        // The stop: everyone is told, in the chat line every client shows, then closed.
        ASSERT_TRUE(service.table.stop(signal));
        EXPECT_EQ(service.table.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(service.table.process.exitCode(), 0);
        for (RawClient* c : {&anna, &bo}) {
            EXPECT_TRUE(c->waitClosed());
            ASSERT_FALSE(c->frames.isEmpty());
            EXPECT_TRUE(c->frames.last().startsWith("CMD_action+0+The table is closing.|"))
                << c->frames.last().constData();
            EXPECT_EQ(c->count("CMD_action+0+The table is closing."), 1);
        }

        const QStringList events = service.events();
        const QString name = signal == SIGTERM ? "TERM" : "HUP";
        EXPECT_TRUE(events.contains("pelvo-table event=stop signal=" + name))
            << events.join('\n').toStdString();
        EXPECT_TRUE(events.contains("pelvo-table event=closing connections=2"));
        EXPECT_EQ(events.last(), "pelvo-table event=exit status=0");
        EXPECT_TRUE(events.contains("pelvo-table event=connect slot=1 addr=127.0.0.1"));
        // Every line is the program, the event and key=value fields, nothing else.
        const QRegularExpression shape(
            R"(^pelvo-table event=[a-z_]+( [a-z_]+=([^ "=]+|"([^"\\]|\\.)*"))*$)");
        for (const QString& line : events)
            EXPECT_TRUE(shape.match(line).hasMatch()) << line.toStdString();
    }
}
