// pelvo-table against clients that try what an honest one never does: joining a computer's seat
// to learn its hidden cards through a reclaim, writing lines of their own into the operator's
// log, and holding a seat without ever logging in. The table's own stderr is read as an
// operator would.
#include "TableProcess.h"

#include <gtest/gtest.h>

using namespace pelvo::test;

namespace {

struct LoggedTable {
    TableProcess table;
    QByteArray err;

    bool start(QStringList args) {
        table.port = freePort();
        args << "--port" << QString::number(table.port);
        return table.start(args);
    }
    QByteArray log() {
        err += table.process.readAllStandardError();
        return err;
    }
    bool waitLog(const QByteArray& text, int ms = 10000) {
        return QTest::qWaitFor([&] { return log().contains(text); }, ms);
    }
};

// One sample of the table's metrics, fetched as any scraper would.
double metric(quint16 port, const QByteArray& sample) {
    QTcpSocket s;
    s.connectToHost(QHostAddress::LocalHost, port);
    if (!s.waitForConnected(5000)) return -1;
    s.write("GET /metrics HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    QByteArray all;
    // The uptime is the last sample.
    const bool whole = QTest::qWaitFor(
        [&] {
            all += s.readAll();
            return all.contains("\npelvo_table_uptime_seconds ") && all.endsWith('\n');
        },
        10000);
    if (!whole) return -1;
    for (const QByteArray& line : all.split('\n'))
        if (line.startsWith(sample + ' ')) return line.mid(sample.size() + 1).trimmed().toDouble();
    return -1;
}

QByteArray frameStarting(const RawClient& c, const QByteArray& prefix) {
    for (const QByteArray& f : c.frames)
        if (f.startsWith(prefix)) return f;
    return {};
}

} // namespace

TEST(HostileSeats, AReclaimIntoAComputersSeatShowsNoHiddenCardAndTheOperatorSeesIt) {
    LoggedTable t;
    const quint16 metrics = freePort();
    ASSERT_TRUE(t.start({"--bot-speed", "1000", "--reserve-seconds", "400", "--metrics-port",
                         QString::number(metrics)}));
    RawClient anna;
    ASSERT_TRUE(anna.connectTo(t.table.port));
    ASSERT_EQ(anna.login("Anna"), 1);
    anna.send("CMD_startgame+Anna+3+1+1+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.count("CMD_heflipped+2+") == 2; }, 5000));

    // Eve joins at seat 2, which the computer plays, and is given a reclaim token.
    RawClient eve;
    ASSERT_TRUE(eve.connectTo(t.table.port));
    ASSERT_EQ(eve.login("Eve"), 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return eve.count("CMD_reclaimtoken+") == 1; }, 5000));
    const QByteArray token = frameStarting(eve, "CMD_reclaimtoken+").split('+').value(1);
    eve.socket.abort();
    ASSERT_TRUE(anna.waitFor("CMD_playerdisconnected+2+Eve"));

    // She comes back with it: the seat is hers again, but what she is shown of it is only
    // what everyone sees.
    RawClient back;
    ASSERT_TRUE(back.connectTo(t.table.port));
    ASSERT_TRUE(back.waitFrames(1));
    const QByteArray slot = back.frames.first().split('+').value(1);
    back.send("CMD_reclaimseat+" + slot + "+" + token + "+1.0.1+Eve\xFF");
    ASSERT_TRUE(back.waitFor("CMD_seatreclaimed+2"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return back.count("CMD_seatstate+2+") == 1; }, 5000));
    const QList<QByteArray> f = frameStarting(back, "CMD_seatstate+2+").split('+');
    ASSERT_EQ(f.size(), 6 + 18);
    int hidden = 0;
    for (int p = 0; p < 9; ++p) {
        const QByteArray code = f[6 + 2 * p], up = f[7 + 2 * p];
        if (up == "1") continue;
        ++hidden;
        EXPECT_EQ(code, "0") << "position " << p + 1;
    }
    EXPECT_GE(hidden, 1);

    // The operator sees the reclaim, and a token that no seat waits for as the login it is.
    EXPECT_TRUE(t.waitLog("pelvo-table event=reclaim slot=2 from=" + slot +
                          " name=\"Eve\" addr=127.0.0.1\n"))
        << t.log().toStdString();
    EXPECT_EQ(metric(metrics, "pelvo_table_connections{kind=\"logging_in\"}"), 0);
    EXPECT_EQ(metric(metrics, "pelvo_table_connections{kind=\"player\"}"), 2);
    EXPECT_EQ(metric(metrics, "pelvo_table_logins_total"), 3);
    EXPECT_EQ(metric(metrics, "pelvo_table_reclaims_total"), 1);
    RawClient guess;
    ASSERT_TRUE(guess.connectTo(t.table.port));
    ASSERT_TRUE(guess.waitFrames(1));
    const QByteArray other = guess.frames.first().split('+').value(1);
    guess.send("CMD_reclaimseat+" + other + "+" + QByteArray(32, 'a') + "+1.0.1+Mal\xFF");
    EXPECT_TRUE(
        t.waitLog("pelvo-table event=login slot=" + other + " name=\"Mal\" addr=127.0.0.1\n"))
        << t.log().toStdString();
    EXPECT_EQ(metric(metrics, "pelvo_table_connections{kind=\"logging_in\"}"), 0);
    EXPECT_EQ(metric(metrics, "pelvo_table_logins_total"), 4);
}

TEST(HostileSeats, NothingAPlayerSendsBecomesALineOfTheOperatorsLog) {
    LoggedTable t;
    ASSERT_TRUE(t.start({"--bot-speed", "3"}));
    RawClient mal;
    ASSERT_TRUE(mal.connectTo(t.table.port));
    ASSERT_EQ(mal.login("Mal\r\x1b[2Kpelvo-table event=exit status=0"), 1);
    for (const QByteArray& forged :
         {QByteArray("CMD_flipcard+1+\npelvo-table event=exit status=0+"),
          QByteArray("CMD_flipcard+1+\r\x1b[1Apelvo-table event=exit status=0+"),
          QByteArray("CMD_chat+\x1b]0;x\x07\n+hi|clRed"),
          QByteArray("CMD_kickhim+1+\xe2\x80\xae\n9+")})
        mal.send(forged + '\xFF');
    mal.send("CMD_chat+1+done|clRed\xFF");
    ASSERT_TRUE(
        mal.waitFor("CMD_chat+1+Mal\r\x1b[2Kpelvo-table event=exit status=0 chats: done|clRed"));
    ASSERT_TRUE(t.table.stop());
    const QByteArray log = t.log();
    // The table's one real exit line ends the log; no player wrote another, nor any control.
    qsizetype exits = 0;
    for (const QByteArray& line : log.split('\n'))
        exits += line.startsWith("pelvo-table event=exit");
    EXPECT_EQ(exits, 1) << log.toStdString();
    EXPECT_TRUE(log.endsWith("pelvo-table event=exit status=0\n")) << log.toStdString();
    // The malformed numbers were reported, escaped.
    EXPECT_TRUE(log.contains(R"(not a number: "\npelvo-table event=exit status=0")"))
        << log.toStdString();
    for (const char control : {'\r', '\x1b', '\x07'})
        EXPECT_FALSE(log.contains(control)) << int(control) << log.toStdString();
    EXPECT_FALSE(log.contains("\xe2\x80\xae"));
}

TEST(HostileSeats, AConnectionThatNeverLogsInDoesNotStallTheOpeningFlips) {
    LoggedTable t;
    ASSERT_TRUE(t.start({"--bot-speed", "3"}));
    ProtocolPlayer anna("Anna");
    ASSERT_TRUE(anna.client.connectTo(t.table.port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.slot == 1; }, 5000));
    RawClient silent;
    ASSERT_TRUE(silent.connectTo(t.table.port));
    ASSERT_TRUE(silent.waitFor("CMD_sendlogininfo+2"));

    anna.client.send("CMD_startgame+Anna+3+1+1+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.over; }, 60000))
        << anna.client.frames.size() << " frames, last: "
        << anna.client.frames.value(anna.client.frames.size() - 1).toStdString();
    // Seat 2 was played by the computer throughout, flips and turns, beside the silent holder.
    EXPECT_GE(anna.client.count("CMD_heflipped+2+"), 2 * 3);
    EXPECT_EQ(silent.socket.state(), QAbstractSocket::ConnectedState);
}
