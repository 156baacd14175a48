// Round results in the window: the results box on the board from the round's end until the next
// deal (and beside the winner), clear of everything the board already shows at any scale; the
// score sheet window by key and menu, by keyboard and screen reader, growing with its window.
// PELVO_SHOT_DIR=<folder> also writes pictures of both for a person to look at.

#include "client/mainwindow/Support.h"

#include "client/ScoreSheetAction.h"
#include "client/board/Board.h"
#include "client/board/RoundResultsBox.h"
#include "client/chat/ChatPanel.h"
#include "client/sound/PhraseBar.h"
#include "host/TServer.h"
#include "protocol/Messages.h"
#include "session/Announcer.h"
#include "session/PlayerRecord.h"
#include "session/Replay.h"
#include "windows/Tscoresheet.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QTableWidget>
#include <QTest>

using namespace pelvo;
using namespace pelvo::test;
using pelvo::board::RoundResultsBox;

namespace {

class RoundResultsWindow : public TchatTest {
protected:
    void feed(Tchat& w, QByteArray frame) {
        if (frame.endsWith('\xff')) frame.chop(1);
        ASSERT_EQ(w.session().handleLine(QString::fromUtf8(frame)), CommandTable::Outcome::Handled)
            << frame.constData();
    }
    void seatAndStart(Tchat& w) {
        w.session().setTransport([](const QByteArray&) { return true; });
        feed(w, msg::sendlogininfo(1));
        feed(w, msg::newplayerinfo(1, "Anna"));
        feed(w, msg::newplayerinfo(3, "Bartholomew"));
        feed(w, msg::startgameNotice("Anna", 2, true, true));
    }
    // A round that Bartholomew (seat 3) goes out of with 14 while Klot scores 7 and Kling -2.
    void penaltyRound(Tchat& w) {
        feed(w, msg::roundstarting(1, 37));
        feed(w, msg::mycards(1, {5, 18, 31, 44, 53, 12, 25, 38, 51}));
        feed(w, msg::nextplayer(1, 3));
        feed(w, msg::postscores(1, 32, 32, {5, 18, 31, 44, 53, 12, 25, 38, 12}));
        feed(w, msg::postscores(2, 7, 7, {13, 2, 37, 4, 5, 22, 7, 8, 9}));
        feed(w, msg::postscores(3, 14, 14, {1, 14, 27, 40, 41, 42, 11, 11, 11}));
        feed(w, msg::postscores(4, -2, -2, {53, 26, 53, 13, 26, 39, 52, 1, 1}));
        feed(w, msg::penalty(3, 39));
    }
    RoundResultsBox* box(Tchat& w) { return w.board()->findChild<RoundResultsBox*>(); }
    QStringList summaries(Tchat& w) {
        QStringList out;
        for (const ChatLine& line : w.session().chat().lines())
            if (line.text.startsWith("Round ") || line.text.startsWith("Tie breaker"))
                out << line.text;
        return out;
    }
    void shot(QWidget* widget, const QString& name) {
        const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
        if (dir.isEmpty()) return;
        QDir().mkpath(dir);
        const QString ratio = QString::number(widget->devicePixelRatioF());
        EXPECT_TRUE(widget->grab().save(dir + "/" + name + "-dpr" + ratio + ".png"));
    }
    // The box overlaps nothing the board shows, nor the chat and phrases laid over the board.
    void expectClear(Tchat& w) {
        Board* b = w.board();
        const QRect mine = box(w)->geometry();
        for (QWidget* part : b->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (part == box(w) || part->isHidden() || part == b->announcement()) continue;
            if (part->objectName() == "focus_ring") continue;
            EXPECT_FALSE(mine.intersects(part->geometry()))
                << qPrintable(part->objectName()) << " at scale " << b->scale();
        }
        // The hidden markers of the seats beside it may show in any round.
        for (int seat = 1; seat <= 4; ++seat)
            EXPECT_FALSE(mine.intersects(b->image_penalty(seat)->geometry())) << seat;
        const QRect onClient = mine.translated(b->pos());
        EXPECT_FALSE(onClient.intersects(w.chat()->geometry()));
        EXPECT_FALSE(onClient.intersects(w.phraseBar()->geometry()));
    }
};

TEST_F(RoundResultsWindow, APenaltyRoundIsExplainedAndKeptUntilTheNextDeal) {
    Tchat w({});
    seatAndStart(w);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    penaltyRound(w);

    ASSERT_TRUE(box(w)->isVisible());
    const RoundResultsBox::Shown& shown = box(w)->shown();
    EXPECT_EQ(shown.title, "Round 1 of 2");
    EXPECT_EQ(shown.outcome, "Bartholomew went out but Klot and Kling scored lower: +25.");
    EXPECT_EQ(shown.row.seats[3].total, 39);
    EXPECT_EQ(w.board()->label_score(3)->text(), "39"); // the box and the label agree
    EXPECT_EQ(summaries(w), QStringList{"Round 1 of 2: Anna +32 = 32, Klot +7 = 7, Bartholomew "
                                        "+14 +25 = 39, Kling -2 = -2. Bartholomew went out but "
                                        "Klot and Kling scored lower: +25."});
    expectClear(w);
    shot(&w, "results-penalty");

    // Chat and the pause change nothing; the next round's deal takes the results down.
    feed(w, msg::chatRelay("2", "Klot", "well played|clBlack"));
    EXPECT_TRUE(box(w)->isVisible());
    feed(w, msg::roundstarting(2, 12));
    EXPECT_TRUE(box(w)->isHidden());
    EXPECT_EQ(summaries(w).size(), 1);

    // A round without a penalty says who went out, and stays up beside the winner.
    feed(w, msg::nextplayer(2, 2));
    feed(w, msg::postscores(1, 10, 42, {}));
    feed(w, msg::postscores(2, 3, 10, {}));
    feed(w, msg::postscores(3, 3, 42, {}));
    EXPECT_TRUE(box(w)->isHidden()) << "told before Kling's score is in";
    feed(w, msg::postscores(4, 20, 18, {}));
    ASSERT_TRUE(box(w)->isVisible());
    EXPECT_EQ(box(w)->shown().outcome, "Klot went out.");
    EXPECT_EQ(summaries(w).last(), "Round 2 of 2: Anna +10 = 42, Klot +3 = 10, Bartholomew +3 = "
                                   "42, Kling +20 = 18. Klot went out.");
    feed(w, msg::winner("Klot"));
    EXPECT_TRUE(box(w)->isVisible());
    EXPECT_FALSE(
        box(w)->geometry().intersects(w.board()->findChild<QWidget*>("panel_winner")->geometry()));
    expectClear(w);
    shot(&w, "results-winner");

    // At twice the size it is still clear of everything, and painted for its size.
    const QSize client(2 * 765 + 4, 2 * 542 + 4);
    w.resize(client + (w.size() - w.centralWidget()->size()));
    ASSERT_TRUE(waitFor([&] { return w.board()->scale() == 2.0; }));
    EXPECT_EQ(box(w)->size(), RoundResultsBox::designPlace.size() * w.board()->scale());
    expectClear(w);
    shot(&w, "results-winner-zoom2");
}

TEST_F(RoundResultsWindow, TheScoreSheetOpensByKeyAndReadsByKeyboardAndScreenReader) {
    Tchat w({});
    seatAndStart(w);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    penaltyRound(w);
    feed(w, msg::roundstarting(2, 12));

    // The key works wherever the table has the focus; the menu holds the same item.
    EXPECT_TRUE(
        w.menuBar()->findChild<QMenu*>("View1")->actions().contains(w.scoreSheet()->action()));
    w.activateWindow();
    // Typed into the chat entry, S is a letter like any other.
    w.chat()->mychat()->setFocus();
    QTest::keyClick(w.chat()->mychat(), Qt::Key_S);
    EXPECT_EQ(w.scoreSheet()->window(), nullptr);
    EXPECT_TRUE(w.chat()->mychat()->text().endsWith("s"));
    QTest::keyClick(w.board(), Qt::Key_S);
    Tscoresheet* sheet = w.scoreSheet()->window();
    ASSERT_TRUE(sheet && sheet->isVisible());
    QTableWidget* grid = sheet->grid();
    ASSERT_EQ(grid->rowCount(), 1);
    ASSERT_EQ(grid->columnCount(), 4);
    EXPECT_EQ(grid->horizontalHeaderItem(2)->text(), "Bartholomew");
    EXPECT_EQ(grid->verticalHeaderItem(0)->text(), "Round 1");
    const QTableWidgetItem* paid = grid->item(0, 2);
    EXPECT_EQ(paid->data(Tscoresheet::PointsRole).toInt(), 14);
    EXPECT_EQ(paid->data(Tscoresheet::TotalRole).toInt(), 39);
    EXPECT_TRUE(paid->data(Tscoresheet::PenaltyRole).toBool());
    EXPECT_TRUE(paid->data(Tscoresheet::WentOutRole).toBool());
    EXPECT_EQ(paid->data(Qt::AccessibleTextRole).toString(),
              "Bartholomew, round 1: 14 points, went out, penalty 25, 39 in all");
    EXPECT_EQ(paid->toolTip(), "Bartholomew went out but Klot and Kling scored lower: +25.");
    EXPECT_FALSE(grid->item(0, 1)->data(Tscoresheet::PenaltyRole).toBool());

    // The sheet follows the game while it is open: a second round's scores come in.
    feed(w, msg::nextplayer(2, 2));
    for (int seat = 1; seat <= 4; ++seat) feed(w, msg::postscores(seat, seat, 50 + seat, {}));
    ASSERT_EQ(grid->rowCount(), 2);
    EXPECT_EQ(grid->item(1, 3)->data(Tscoresheet::TotalRole).toInt(), 54);
    EXPECT_EQ(sheet->caption()->text(), "Scores: Round 2 of 2");
    feed(w, msg::winner("Klot"));
    EXPECT_EQ(sheet->caption()->text(), "Final scores: Klot has Won the Game!");

    // By keyboard: the arrows walk the cells, Escape closes the window.
    sheet->activateWindow();
    grid->setFocus();
    grid->setCurrentCell(0, 0);
    QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClick(grid, Qt::Key_Down);
    EXPECT_EQ(grid->currentRow(), 1);
    EXPECT_EQ(grid->currentColumn(), 1);
    EXPECT_EQ(grid->accessibleName(), "Score sheet");
    shot(sheet, "scoresheet");

    // Twice the window, twice the text.
    const int text = grid->font().pixelSize();
    sheet->resize(Tscoresheet::designSize * 2);
    ASSERT_TRUE(waitFor([&] { return sheet->textScale() > 1.9; }));
    EXPECT_EQ(grid->font().pixelSize(), 2 * text);
    shot(sheet, "scoresheet-large");
    QTest::keyClick(grid, Qt::Key_Escape);
    EXPECT_FALSE(sheet->isVisible());
}

// The sheet window's cells as the sheet's rows: what a player reads off it.
QList<RoundScores> readSheet(Tscoresheet& window) {
    QList<RoundScores> rows;
    QTableWidget* grid = window.grid();
    for (int row = 0; row < grid->rowCount(); ++row) {
        RoundScores r;
        for (int column = 0; column < grid->columnCount(); ++column) {
            const QTableWidgetItem* cell = grid->item(row, column);
            if (!cell->data(Tscoresheet::TotalRole).isValid()) continue;
            SeatScore& s = r.seats[std::size_t(window.seatOfColumn(column))];
            s = {true, cell->data(Tscoresheet::PointsRole).toInt(),
                 cell->data(Tscoresheet::TotalRole).toInt(),
                 cell->data(Tscoresheet::PenaltyRole).toBool()};
            if (cell->data(Tscoresheet::WentOutRole).toBool())
                r.wentOut = window.seatOfColumn(column);
        }
        rows << r;
    }
    return rows;
}

// Only what the host posted: scores, totals, penalties.
bool sameScores(const RoundScores& a, const RoundScores& b) {
    return a.seats == b.seats;
}

} // namespace

// A whole hosted game with computer players: the sheet holds exactly the scores and penalties
// the table host posted, round by round, in the window and in the record's viewer.
TEST_F(RoundResultsWindow, AFiveRoundGamesSheetIsWhatTheHostPostedLiveAndReplayed) {
    Tchat live({});
    live.server()->botSpeed = [] { return 2; };
    live.server()->seed(2027);
    live.show();
    ASSERT_TRUE(waitFor([&] { return live.state().connected && live.state().myseat == 1; }));

    // The host's notices as they arrive, read here on their own.
    QList<RoundScores> posted;
    QObject::connect(&live.session(), &ClientSession::lineReceived, [&](const QString& line) {
        const QStringList f = line.split('+');
        if (f[0] == "CMD_postscores") {
            const int seat = f[1].toInt();
            if (posted.isEmpty() || posted.last().seats[std::size_t(seat)].posted)
                posted << RoundScores{};
            posted.last().seats[std::size_t(seat)] = {true, f[2].toInt(), f[3].toInt(), false};
        } else if (f[0] == "CMD_penalty") {
            SeatScore& s = posted.last().seats[std::size_t(f[1].toInt())];
            s.penalty = true;
            s.total = f[2].toInt();
        }
    });
    QStringList heard;
    QObject::connect(&live.board()->announcer(), &Announcer::announced,
                     [&](const QString& text) { heard << text; });

    live.session().startGame("You", "5", 1, 1);
    ASSERT_TRUE(waitFor([&] { return live.server()->table().gameRunning; }));
    live.session().justWatch(); // the computer plays the own seat too
    ASSERT_TRUE(waitFor([&] { return live.session().table().status == "Game Over!"; }, 120000));
    drain(live);

    const ScoreSheet& sheet = live.session().table().sheet;
    ASSERT_GE(posted.size(), 5);
    ASSERT_EQ(sheet.rows().size(), posted.size());
    int penalties = 0;
    for (qsizetype i = 0; i < posted.size(); ++i) {
        EXPECT_TRUE(sameScores(sheet.rows()[i], posted[i])) << "round " << i + 1;
        penalties += sheet.rows()[i].penaltySeat() != 0;
    }
    for (int s = 1; s <= 4; ++s) {
        EXPECT_EQ(sheet.total(s), live.server()->table().seats[s].total) << s;
        EXPECT_EQ(live.board()->label_score(s)->text(), QString::number(sheet.total(s)));
    }
    // One chat line and one announcement per round, the announcement's totals the labels'.
    EXPECT_EQ(summaries(live).size(), posted.size());
    const QStringList told = heard.filter(" is over.");
    EXPECT_EQ(told.size(), posted.size());
    for (int s = 1; s <= 4; ++s)
        EXPECT_TRUE(told.last().contains(QStringLiteral(", %1 in all.").arg(sheet.total(s))))
            << told.last().toStdString();
    std::cout << "rounds " << posted.size() << ", penalties " << penalties << std::endl;

    live.scoreSheet()->action()->trigger();
    Tscoresheet* window = live.scoreSheet()->window();
    ASSERT_TRUE(window && window->isVisible());
    const QList<RoundScores> read = readSheet(*window);
    ASSERT_EQ(read.size(), posted.size());
    for (qsizetype i = 0; i < posted.size(); ++i)
        EXPECT_TRUE(sameScores(read[i], posted[i])) << "round " << i + 1;
    shot(window, "scoresheet-game");

    // The viewer shows the same sheet at the record's end, and only the rounds played so far
    // anywhere before it, whichever way it steps.
    ASSERT_TRUE(waitFor([&] { return !live.recorder()->lastRecord().isEmpty(); }));
    Tchat viewer({"--replay", live.recorder()->lastRecord()});
    viewer.show();
    ASSERT_TRUE(waitFor([&] { return viewer.replay() && viewer.replay()->count() > 0; }));
    viewer.replay()->seek(viewer.replay()->count());
    EXPECT_EQ(viewer.session().table().sheet.rows(), sheet.rows());
    viewer.scoreSheet()->action()->trigger();
    Tscoresheet* replayed = viewer.scoreSheet()->window();
    ASSERT_TRUE(replayed);
    EXPECT_EQ(readSheet(*replayed).size(), posted.size());
    const QList<int> marks = viewer.replay()->roundMarks();
    ASSERT_GE(marks.size(), 3);
    viewer.replay()->seek(marks[2]);
    const QList<RoundScores> early = readSheet(*replayed);
    EXPECT_EQ(early.size(), 2);
    for (qsizetype i = 0; i < early.size(); ++i) EXPECT_TRUE(sameScores(early[i], posted[i]));
    viewer.replay()->seek(viewer.replay()->count());
    EXPECT_EQ(readSheet(*replayed).size(), posted.size());
}
