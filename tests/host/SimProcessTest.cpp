// pelvo-sim as a process: the outcome figures it prints are the same whether it builds every
// message (and reads the scores from them) or builds none and counts the engine's score events.

#include "support/TestEnv.h"

// Qt
#include <QProcess>
#include <QRegularExpression>
#include <QStringList>

#include <gtest/gtest.h>

using pelvo::test::programPath;

namespace {

// The simulator's report; empty when it did not finish well.
QStringList simulate(const QStringList& arguments) {
    QProcess sim;
    sim.start(programPath("tools/sim/pelvo-sim"), arguments);
    if (!sim.waitForFinished(120000) || sim.exitStatus() != QProcess::NormalExit ||
        sim.exitCode() != 0)
        return {};
    return QString::fromUtf8(sim.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
}

// The lines that describe the games, not the speed or the messages.
QStringList outcomes(const QStringList& report) {
    QStringList out;
    for (const QString& line : report)
        if (!line.startsWith(u"games per second") && !line.startsWith(u"messages") &&
            !line.startsWith(u"frame digest"))
            out << line;
    return out;
}

TEST(SimProcessTest, OutcomesAreTheSameWithAndWithoutFrames) {
    const QStringList common{"--games",  "150", "--seed",   "31",
                             "--rounds", "4",   "--levels", "expert,classic,expert,classic"};
    const QStringList quiet = simulate(common);
    const QStringList digested = simulate(common + QStringList{"--digest"});
    ASSERT_FALSE(quiet.isEmpty());
    ASSERT_FALSE(digested.isEmpty());

    EXPECT_EQ(outcomes(quiet), outcomes(digested));
    EXPECT_TRUE(quiet.filter(u"messages").isEmpty()); // nothing was built to count
    EXPECT_EQ(digested.filter(u"frame digest").size(), 1);
    EXPECT_EQ(digested.filter(QRegularExpression(QStringLiteral("^messages +[1-9]"))).size(), 1);
    // Every seat's line is there, with games won.
    EXPECT_EQ(
        quiet.filter(QRegularExpression(QStringLiteral("^ +[1-4]  (Classic|Expert) "))).size(), 4);
}

TEST(SimProcessTest, TheSameSeedGivesTheSameDigest) {
    const QStringList run{"--games", "60", "--seed", "8", "--digest"};
    const QStringList a = simulate(run), b = simulate(run);
    ASSERT_FALSE(a.isEmpty());
    EXPECT_EQ(a.filter(u"frame digest"), b.filter(u"frame digest"));
    EXPECT_NE(a.filter(u"frame digest"),
              simulate({"--games", "60", "--seed", "9", "--digest"}).filter(u"frame digest"));
}

} // namespace
