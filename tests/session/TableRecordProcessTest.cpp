// pelvo-table --record and --deal as processes: two tables dealt from the same number, each with
// two pelvo-bot players, write host records that re-run to the same notices and deal the same
// first round; pelvo-sim --verify agrees, and finds a changed record out.

#include "support/TestEnv.h"

#include "host/HostRecord.h"

// Qt
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using pelvo::test::freePort;
using pelvo::test::programPath;

namespace {

// Runs a table with two bots until their game is over; returns the table's record file.
QString playAtTable(const QString& folder, int seed) {
    const QString port = QString::number(freePort());
    QProcess table;
    table.setProcessChannelMode(QProcess::MergedChannels);
    table.start(programPath("src/pelvo-table"),
                {"--port", port, "--bot-speed", "2", "--deal", "1234567", "--record", folder});
    if (!QTest::qWaitFor([&] { return table.bytesAvailable() > 0; }, 10000)) return {};
    const QStringList common{"127.0.0.1", "--port", port, "--think", "0", "--games", "1"};
    QProcess host, guest;
    host.start(programPath("src/pelvo-bot"), QStringList{"Ann"} + common +
                                                 QStringList{"--start-after", "2", "--rounds", "3",
                                                             "--seed", QString::number(seed)});
    QTest::qWait(300); // the first to arrive holds slot 1
    guest.start(programPath("src/pelvo-bot"),
                QStringList{"Bo"} + common + QStringList{"--seed", QString::number(seed + 7)});
    const bool over = QTest::qWaitFor(
        [&] {
            return host.state() == QProcess::NotRunning && guest.state() == QProcess::NotRunning;
        },
        120000);
    table.terminate();
    table.waitForFinished(10000);
    if (!over) return {};
    const QStringList files = QDir(folder).entryList({"*_host.pelvo-game"}, QDir::Files);
    return files.size() == 1 ? QDir(folder).filePath(files[0]) : QString();
}

QList<QByteArray> firstRound(const pelvo::GameRecord& r) {
    QList<QByteArray> out;
    for (const pelvo::RecordEvent& e : r.events) {
        if (e.text.startsWith("dealt ")) out << e.text;
        if (e.who == "to1" && e.text.startsWith("CMD_roundstarting+1+")) out << e.text;
        if (e.text.startsWith("CMD_roundstarting+2+")) break;
    }
    return out;
}

} // namespace

TEST(TableRecord, TwoTablesFromOneDealNumberRecordGamesThatReRunAndDealAlike) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString a = playAtTable(dir.filePath("a"), 1);
    const QString b = playAtTable(dir.filePath("b"), 2);
    ASSERT_FALSE(a.isEmpty());
    ASSERT_FALSE(b.isEmpty());
    EXPECT_TRUE(a.endsWith("_Ann-Bo-Klick-Kling_host.pelvo-game")) << a.toStdString();

    const pelvo::GameRecord ra = pelvo::readRecordFile(a), rb = pelvo::readRecordFile(b);
    ASSERT_TRUE(ra.ok()) << ra.error.toStdString();
    ASSERT_TRUE(rb.ok()) << rb.error.toStdString();
    EXPECT_EQ(pelvo::recordDeal(ra), 1234567u);
    EXPECT_EQ(ra.events.back().text, "game-over");
    EXPECT_EQ(firstRound(ra).size(), 5);
    EXPECT_EQ(firstRound(ra), firstRound(rb));

    QProcess verify;
    verify.start(programPath("tools/sim/pelvo-sim"), {"--verify", a});
    ASSERT_TRUE(verify.waitForFinished(60000));
    EXPECT_EQ(verify.exitCode(), 0) << verify.readAllStandardError().toStdString();
    EXPECT_TRUE(verify.readAllStandardOutput().contains("all the same"));

    // One card of one notice changed: the check fails and names the line.
    QFile file(a);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray bytes = file.readAll();
    file.close();
    const qsizetype at = bytes.indexOf(" to2 CMD_heflipped+");
    ASSERT_GT(at, 0);
    const qsizetype end = bytes.indexOf('\n', at);
    bytes[end - 2] = bytes[end - 2] == '1' ? '2' : '1';
    const QString changed = dir.filePath("changed.pelvo-game");
    QFile out(changed);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(bytes);
    out.close();
    verify.start(programPath("tools/sim/pelvo-sim"), {"--verify", changed});
    ASSERT_TRUE(verify.waitForFinished(60000));
    EXPECT_EQ(verify.exitCode(), 1);
    const int line = int(bytes.left(at).count('\n')) + 1;
    EXPECT_TRUE(verify.readAllStandardError().contains(QString("Line %1: ").arg(line).toUtf8()));
}
