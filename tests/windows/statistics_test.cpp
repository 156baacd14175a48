// The statistics window over a folder of game records: a clear word while there are none, the
// counts and the plot once there are, and a reset that asks first and moves only what it counted.
// PELVO_SHOT_DIR=<folder> also writes pictures of the window, empty and with games.
#include "windows/MessageBox.h"
#include "windows/Tstatistics.h"
#include "windows/TotalsPlot.h"

#include "protocol/GameRecord.h"
#include "protocol/Messages.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

// A two-seat game at seat 1 against an Expert computer: my round scores and the other seat's.
QByteArray gameRecord(const QList<int>& mine, const QList<int>& theirs, bool penaltyForMe) {
    RecordWriter w(GameRecord::Kind::Player);
    const auto host = [&](QByteArray frame) {
        frame.chop(1);
        w.add(0, record::fromHost, frame);
    };
    host(msg::sendlogininfo(1));
    host(msg::newplayerinfo(1, "Ann"));
    host(msg::startgameNotice("Ann", int(mine.size()), false, false));
    host("CMD_action+0+Computer players: Expert.|clBlue\xff");
    int a = 0, b = 0;
    for (qsizetype r = 0; r < mine.size(); ++r) {
        host(msg::postscores(1, mine[r], a += mine[r], {1, 2, 3, 4, 5, 6, 7, 8, 9}));
        host(msg::postscores(2, theirs[r], b += theirs[r], {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    }
    if (penaltyForMe) host(msg::penalty(1, a += 25));
    host(msg::winner(a < b ? "Ann" : "Klot"));
    return w.finish(1000, "game-over");
}

class StatisticsWindow : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        folder = home.filePath("games");
        previousQuestion = setQuestionHandler([this](QWidget*, const QString& text) {
            questions << text;
            return answer;
        });
        previousMessage =
            setMessageBoxHandler([this](QWidget*, const QString& text) { messages << text; });
    }
    void TearDown() override {
        setQuestionHandler(previousQuestion);
        setMessageBoxHandler(previousMessage);
    }
    void add(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(folder);
        QFile f(QDir(folder).filePath(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    void shot(QWidget& w, const QString& name) {
        const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
        if (dir.isEmpty()) return;
        QDir().mkpath(dir);
        EXPECT_TRUE(w.grab().save(dir + "/" + name + "-dpr" +
                                  QString::number(w.devicePixelRatioF()) + ".png"));
    }
    QTemporaryDir home;
    QString folder;
    bool answer = false;
    QStringList questions, messages;
    QuestionHandler previousQuestion;
    MessageBoxHandler previousMessage;
};

TEST_F(StatisticsWindow, SaysSoWhileNothingIsCounted) {
    Tstatistics w(folder);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_TRUE(w.findChild<QLabel*>("label_empty")->isVisible());
    EXPECT_FALSE(w.findChild<QTableWidget*>("grid_tally")->isVisible());
    EXPECT_FALSE(w.findChild<TotalsPlot*>("plot_totals")->isVisible());
    EXPECT_FALSE(w.findChild<QPushButton*>("button_reset")->isEnabled());
    shot(w, "statistics-empty");
    w.button_resetClick();
    EXPECT_TRUE(questions.isEmpty()) << "nothing to reset, nothing asked";
}

TEST_F(StatisticsWindow, ShowsTheCountsAndResetsOnlyWhenAskedAndAnswered) {
    add("2026-03-01_2000_Ann-Klot.pelvo-game", gameRecord({10, 4, 20}, {30, 12, 25}, false));
    add("2026-03-02_2000_Ann-Klot.pelvo-game", gameRecord({-2, 15, 9}, {5, 6, 7}, true));
    add("2026-03-03_2000_Ann-Klot.pelvo-game", gameRecord({3, 5, 8, 1}, {9, 9, 9, 9}, false));
    add("2026-03-04_2000_Ann-Klot.pelvo-game", gameRecord({2, 2, 2}, {20, 20, 20}, false));
    add("2026-03-05_2000_Ann-Klot_host.pelvo-game", "pelvo-game 1 host\n0 end game-over\n");
    add("2026-03-06_2000_broken.pelvo-game", "pelvo-game 1 player\n0 host CMD_startgame+\\x");

    Tstatistics w(folder);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    EXPECT_FALSE(w.findChild<QLabel*>("label_empty")->isVisible());
    const QString summary = w.findChild<QLabel*>("label_summary")->text();
    // Won 1, 3, 4 (totals 34, 17, 6), lost 2 (22 + 25): 104 in 4 games; 79 in 13 rounds.
    EXPECT_TRUE(summary.contains("Games played: 4, won: 3 (75 %).")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Longest winning streak: 2.")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Rounds: 13, average 6.1, best -2.")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Game totals: average 26.0, best 6.")) << summary.toStdString();
    EXPECT_TRUE(summary.contains("Penalties taken: 1.")) << summary.toStdString();
    auto* table = w.findChild<QTableWidget*>("grid_tally");
    ASSERT_EQ(table->rowCount(), 2);
    EXPECT_EQ(table->verticalHeaderItem(0)->text(), "2 players");
    EXPECT_EQ(table->verticalHeaderItem(1)->text(), "Expert computers");
    EXPECT_EQ(table->item(1, 0)->text(), "4");
    EXPECT_EQ(table->item(1, 1)->text(), "3");
    EXPECT_TRUE(w.findChild<QLabel*>("label_passed")->text().startsWith("2 records"));
    EXPECT_TRUE(w.findChild<TotalsPlot*>("plot_totals")
                    ->accessibleDescription()
                    .endsWith("34 won, 47, 17 won, 6 won"));
    shot(w, "statistics");

    // Asked and declined: nothing moves.
    answer = false;
    w.findChild<QPushButton*>("button_reset")->click();
    ASSERT_EQ(questions.size(), 1);
    EXPECT_TRUE(questions[0].contains("The 4 game records")) << questions[0].toStdString();
    EXPECT_EQ(w.statistics().all.played, 4);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 6);

    // Answered: the four counted records go aside, the others stay, the window starts afresh.
    answer = true;
    w.findChild<QPushButton*>("button_reset")->click();
    EXPECT_TRUE(messages.isEmpty()) << messages.join(' ').toStdString();
    EXPECT_TRUE(w.statistics().empty());
    EXPECT_TRUE(w.findChild<QLabel*>("label_empty")->isVisible());
    EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
    const QStringList aside = QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    ASSERT_EQ(aside.size(), 1);
    EXPECT_EQ(QDir(QDir(folder).filePath(aside[0])).entryList(QDir::Files).size(), 4);
}

} // namespace
