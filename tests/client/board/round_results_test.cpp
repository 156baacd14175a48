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
#include "protocol/Messages.h"
#include "windows/Tscoresheet.h"

#include <QAction>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
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

} // namespace
