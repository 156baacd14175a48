// A whole solo game played the way a person plays it: the real main window hosts in process,
// three computer seats, the real loopback socket, and every move made by clicking the board.

#include "client/board/Board.h"
#include "client/mainwindow/Support.h"

#include "host/TServer.h"
#include "windows/Tgamestart.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>
#include <QToolButton>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class SoloGame : public TchatTest {
protected:
    Board* board = nullptr;
    Tchat* w = nullptr;

    QWidget* widget(const char* name) const { return board->findChild<QWidget*>(name); }
    const TableModel& table() const { return w->session().table(); }
    QString status() const { return board->label_status()->text(); }
    int me() const { return w->state().myseat; }
    void click(QWidget* target) { QTest::mouseClick(target, Qt::LeftButton); }
    bool gameOver() const { return status() == "Game Over!"; }
    // An own card still face down, or 0.
    int faceDownCard() const {
        for (int g = 1; g <= 9; ++g)
            if (board->card(me(), g)->property("picture").toInt() == 0) return g;
        return 0;
    }
};

TEST_F(SoloGame, PlaysToGameOverByClicking) {
    Tchat window({});
    w = &window;
    board = w->board();
    w->server()->botSpeed = [] { return 3; };
    w->server()->seed(20261208); // the same deals every run, so pictures compare
    w->show();
    ASSERT_TRUE(waitFor([&] { return w->state().connected && me() == 1; }));
    ASSERT_TRUE(waitFor([&] { return board->label_playername(1)->text() == "You"; }));

    // The start button opens the options; three rounds, both computer seats.
    click(board->button_start());
    Tgamestart* options = w->gamestart();
    ASSERT_TRUE(options->isVisible());
    auto* down = options->findChild<QToolButton*>("UpDown1_down");
    click(down);
    click(down);
    EXPECT_EQ(options->rounds(), 3);
    // A fresh settings file leaves the computer boxes unticked.
    for (const char* box : {"image_bot3", "image_bot4"})
        if (options->boxTag(box) == 0) click(options->findChild<QWidget*>(box));
    click(options->findChild<QAbstractButton*>("button_start"));
    EXPECT_FALSE(options->isVisible());

    const QString shots = qEnvironmentVariable("PELVO_SHOT_DIR"); // pictures for a person
    int turns = 0, flips = 0, rounds = 0;
    QString lastRound;
    while (!gameOver()) {
        const bool ready = waitFor(
            [&] {
                const TableModel& t = table();
                const bool flipPhase = t.turnSeat == me() && t.flipsLeft > 0;
                const bool myTurn = t.turnSeat == me() && t.flipsLeft <= 0 &&
                                    status().startsWith("Your Turn.") && t.drawPick == Pick::Open;
                return gameOver() || flipPhase || myTurn;
            },
            30000);
        ASSERT_TRUE(ready) << "stuck at: " << status().toStdString();
        if (gameOver()) break;
        if (board->label_roundnum()->text() != lastRound) {
            lastRound = board->label_roundnum()->text();
            ++rounds;
        }

        if (table().flipsLeft > 0) {
            // Two different face-down cards; a second click on the same one changes nothing.
            const int first = faceDownCard();
            click(board->card(me(), first));
            click(board->card(me(), first));
            EXPECT_EQ(table().flipsLeft, 1);
            click(board->card(me(), first == 9 ? 1 : first + 1));
            EXPECT_EQ(table().flipsLeft, 0);
            flips += 2;
            ASSERT_TRUE(waitFor(
                [&] { return board->card(me(), first)->property("picture").toInt() != 0; }));
            continue;
        }

        ++turns;
        const int target = faceDownCard() ? faceDownCard() : 1 + turns % 9;
        if (turns % 3 == 1) {
            // Take the top discard into the grid.
            click(widget("image_discard"));
            EXPECT_FALSE(widget("image_idiscard")->isHidden());
            click(board->card(me(), target));
            ASSERT_TRUE(waitFor([&] { return status() == "You play the top discard."; }));
        } else {
            click(widget("image_draw"));
            ASSERT_TRUE(waitFor([&] { return table().drawPick == Pick::Picked; }));
            EXPECT_FALSE(widget("image_idraw")->isHidden());
            if (turns % 3 == 2 && faceDownCard() != 0) {
                click(widget("image_discard")); // throw it away
                ASSERT_TRUE(waitFor([&] { return status() == "You discarded the drawn card."; }));
            } else {
                click(board->card(me(), target));
                ASSERT_TRUE(waitFor([&] { return status() == "You used the drawn card."; }));
            }
        }
        EXPECT_EQ(table().turnSeat, 0);
        EXPECT_FALSE(widget("image_hand")->isHidden());
        if (turns == 4 && !shots.isEmpty()) w->grab().save(shots + "/window-playing.png");
        ASSERT_LT(turns, 500) << "the game does not end";
    }

    if (!shots.isEmpty()) w->grab().save(shots + "/window-gameover.png");
    EXPECT_FALSE(widget("panel_winner")->isHidden());
    const QString banner = board->findChild<QLabel*>("label_winner1")->text();
    EXPECT_TRUE(banner.endsWith("Won the Game!")) << banner.toStdString();
    EXPECT_FALSE(board->button_start()->isHidden()) << "the host may start again";
    EXPECT_GE(rounds, 3);
    EXPECT_GE(flips, 6);
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
    for (int s = 2; s <= 4; ++s)
        EXPECT_EQ(board->label_playername(s)->text(), w->state().seatnames[s]);
}

} // namespace
