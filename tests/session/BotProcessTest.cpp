// pelvo-bot as a process: four of them fill a dedicated table and play a whole game.

#include "support/TestEnv.h"

// Qt
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

// std
#include <array>
#include <memory>

namespace {

using pelvo::test::freePort;
using pelvo::test::programPath;

// A program whose standard output is collected as it comes.
class Program {
public:
    explicit Program(const QString& path, const QStringList& args) {
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(path, args);
    }
    ~Program() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    QString output() {
        text += QString::fromLocal8Bit(process.readAll());
        return text;
    }
    bool says(const QString& what, int ms = 10000) {
        return QTest::qWaitFor([&] { return output().contains(what); }, ms);
    }

    QProcess process;
    QString text;
};

TEST(BotProcess, FourBotsPlayAWholeGameAtADedicatedTable) {
    const QString port = QString::number(freePort());
    Program table(programPath("src/pelvo-table"), {"--port", port, "--bot-speed", "2"});
    ASSERT_TRUE(table.says("listening")) << table.output().toStdString();

    const QStringList common{"127.0.0.1", "--port", port, "--think", "0", "--games", "1"};
    std::array<std::unique_ptr<Program>, 4> bots;
    const QStringList names{"Ann", "Bo", "Cy", "Di"};
    // The first to arrive holds slot 1 and with it the right to start the game.
    bots[0] = std::make_unique<Program>(
        programPath("src/pelvo-bot"),
        QStringList{names[0]} + common +
            QStringList{"--start-after", "4", "--rounds", "3", "--seed", "1"});
    ASSERT_TRUE(bots[0]->says("seated in slot 1")) << bots[0]->output().toStdString();
    for (int i = 1; i < 4; ++i) {
        bots[i] = std::make_unique<Program>(programPath("src/pelvo-bot"),
                                            QStringList{names[i]} + common +
                                                QStringList{"--seed", QString::number(i + 1)});
        ASSERT_TRUE(bots[i]->says(QString("seated in slot %1").arg(i + 1)))
            << bots[i]->output().toStdString();
    }
    // A fifth connection only looks on, and says so.
    Program onlooker(programPath("src/pelvo-bot"), QStringList{"Eve"} + common);
    EXPECT_TRUE(onlooker.says("Eve: watching from slot 5")) << onlooker.output().toStdString();
    EXPECT_FALSE(onlooker.output().contains("seated in"));

    QString verdict;
    for (auto& bot : bots) {
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return bot->process.state() == QProcess::NotRunning; }, 120000))
            << bot->output().toStdString();
        EXPECT_EQ(bot->process.exitCode(), 0) << bot->output().toStdString();
        const QString out = bot->output();
        const qsizetype at = out.indexOf("game over: ");
        ASSERT_GE(at, 0) << out.toStdString();
        const QString line = out.mid(at + 11).section('\n', 0, 0);
        // Each sees the same winner; the winner reads it in the first person.
        const QString who = line.startsWith("You have") ? QString() : line.section(' ', 0, 0);
        if (!who.isEmpty()) {
            EXPECT_TRUE(names.contains(who)) << line.toStdString();
            if (verdict.isEmpty()) verdict = who;
            EXPECT_EQ(who, verdict);
        }
    }
    EXPECT_FALSE(verdict.isEmpty()) << "every bot claims the win";
}

TEST(BotProcess, AnExpertBotPlaysAGameAgainstExpertComputerSeats) {
    const QString port = QString::number(freePort());
    Program table(programPath("src/pelvo-table"),
                  {"--port", port, "--bot-speed", "2", "--bot-level", "Expert"});
    ASSERT_TRUE(table.says("listening")) << table.output().toStdString();
    Program bot(programPath("src/pelvo-bot"),
                {"Ann", "127.0.0.1", "--port", port, "--think", "0", "--games", "1", "--level",
                 "expert", "--start-after", "1", "--rounds", "3", "--seed", "1"});
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bot.process.state() == QProcess::NotRunning; }, 120000))
        << bot.output().toStdString();
    EXPECT_EQ(bot.process.exitCode(), 0) << bot.output().toStdString();
    EXPECT_TRUE(bot.output().contains("game over: ")) << bot.output().toStdString();

    Program refused(programPath("src/pelvo-table"), {"--port", port, "--bot-level", "godlike"});
    ASSERT_TRUE(refused.process.waitForFinished(10000));
    EXPECT_EQ(refused.process.exitCode(), 2);
    EXPECT_TRUE(refused.output().contains("not a bot level")) << refused.output().toStdString();
}

TEST(BotProcess, BadArgumentsAreRefusedWithAReason) {
    const struct {
        QStringList args;
        const char* says;
    } cases[] = {
        {{"Ann"}, "usage"},
        {{"Ann", "127.0.0.1", "--level", "godlike"}, "unknown level"},
        {{"Ann", "127.0.0.1", "--port", "70000"}, "--port takes a number"},
        {{"Ann", "127.0.0.1", "--rounds", "12"}, "--rounds takes a number"},
        {{"Ann", "127.0.0.1", "--seed", "x"}, "--seed takes a whole number"},
    };
    for (const auto& c : cases) {
        Program bot(programPath("src/pelvo-bot"), c.args);
        ASSERT_TRUE(bot.process.waitForFinished(10000));
        EXPECT_EQ(bot.process.exitCode(), 2) << c.says;
        EXPECT_TRUE(bot.output().contains(c.says)) << bot.output().toStdString();
    }
}

} // namespace
