// A whole solo game played from the keyboard alone: the real main window hosting in process, and
// every step a key sent to whatever has the keyboard focus, as a keyboard would. No mouse event
// reaches any widget.

#include "client/board/Board.h"
#include "client/mainwindow/Support.h"

#include "host/TServer.h"
#include "session/Announcer.h"
#include "windows/Tdownload.h"
#include "windows/Tgamestart.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace pelvo;
using namespace pelvo::test;

namespace {

// Counts every mouse press, release and click anywhere in the program.
class MouseWatch : public QObject {
public:
    int events = 0;

protected:
    bool eventFilter(QObject*, QEvent* e) override {
        switch (e->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
            ++events;
            break;
        default:
            break;
        }
        return false;
    }
};

class KeyboardGame : public TchatTest {
protected:
    Board* board = nullptr;
    Tchat* w = nullptr;

    const TableModel& table() const { return w->session().table(); }
    int me() const { return w->state().myseat; }
    QString status() const { return board->label_status()->text(); }
    // A key pressed on the keyboard: it goes where the focus is.
    void press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget();
        ASSERT_NE(target, nullptr) << "nothing has the keyboard";
        QTest::keyClick(target, Qt::Key(key), mods);
    }
    // The digit key that chooses grid position `g` (number pad layout).
    static int digitFor(int g) {
        for (int digit = 1; digit <= 9; ++digit)
            if (Board::positionForDigit(digit) == g) return Qt::Key_0 + digit;
        return 0;
    }
    int faceDownCard() const {
        for (int g = 1; g <= 9; ++g)
            if (table().seats[std::size_t(me())].cards[std::size_t(g)].picture == 0) return g;
        return 0;
    }
    // Walks the focus ring to grid position g with the arrows, from wherever it is.
    void ringTo(int g) {
        for (int i = 0; i < 4; ++i) press(Qt::Key_Up);
        press(Qt::Key_Left); // the discard pile
        const int row = (g - 1) % 3 + 1, column = (g - 1) / 3 + 1;
        for (int i = 0; i < row; ++i) press(Qt::Key_Down);
        for (int i = 1; i < column; ++i) press(Qt::Key_Right);
        ASSERT_EQ(QApplication::focusWidget(), board->card(me(), g));
        ASSERT_TRUE(board->focusRing()->isVisible());
        EXPECT_TRUE(board->focusRing()->geometry().contains(board->card(me(), g)->geometry()));
    }
};

TEST_F(KeyboardGame, PlaysAWholeSoloGameWithKeysOnly) {
    MouseWatch mouse;
    qApp->installEventFilter(&mouse);
    Tchat window({});
    w = &window;
    board = w->board();
    w->server()->botSpeed = [] { return 3; };
    w->server()->seed(20261209);
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
    ASSERT_TRUE(waitFor([&] { return w->state().connected && me() == 1; }));

    // The download window offers the solo game; Enter takes its default button.
    if (w->download()->isVisible()) {
        w->download()->activateWindow();
        ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == w->download(); }));
        press(Qt::Key_Return);
        ASSERT_TRUE(waitFor([&] { return !w->download()->isVisible(); }));
    }
    w->activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == w; }));
    ASSERT_TRUE(board->focusTargets().contains(QApplication::focusWidget()))
        << "the keyboard starts on the table";

    // Enter opens the game options while Start shows; there the keys set rounds and computers.
    ASSERT_TRUE(table().startShown);
    press(Qt::Key_Return);
    Tgamestart* options = w->gamestart();
    ASSERT_TRUE(waitFor([&] { return options->isVisible(); }));
    options->activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == options; }));
    press(Qt::Key_Down);
    press(Qt::Key_Down);
    EXPECT_EQ(options->rounds(), 3);
    if (options->boxTag("image_bot3") == 0) press(Qt::Key_3);
    EXPECT_EQ(options->boxTag("image_bot3"), 1);
    press(Qt::Key_Return);
    ASSERT_TRUE(waitFor([&] { return !options->isVisible(); }));
    w->activateWindow();
    ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == w; }));
    board->focusTargets().at(1)->setFocus(); // back where the keyboard left the table

    // The moves are checked by what a screen reader hears: the status line moves on too fast.
    QStringList news;
    QObject::connect(&board->announcer(), &Announcer::announced, board,
                     [&news](const QString& text) { news << text; });
    const auto heard = [&news](const QString& start) {
        return waitFor([&] {
            for (const QString& line : news)
                if (line.startsWith(start)) return true;
            return false;
        });
    };
    int turns = 0, flips = 0;
    const auto over = [&] { return !table().winnerText.isEmpty(); };
    while (!over()) {
        const bool ready = waitFor(
            [&] {
                const TableModel& t = table();
                return over() || (t.turnSeat == me() && t.flipsLeft > 0) ||
                       (t.turnSeat == me() && t.turnMarkerSeat == me() && t.flipsLeft <= 0 &&
                        t.drawPick == Pick::Open && t.discardPick == Pick::Open);
            },
            30000);
        ASSERT_TRUE(ready) << "stuck at: " << status().toStdString();
        if (over()) break;

        if (table().flipsLeft > 0) {
            const int first = faceDownCard();
            press(digitFor(first), Qt::KeypadModifier); // the number pad
            const int second = first == 9 ? 1 : first + 1;
            press(digitFor(second)); // the row above the letters
            EXPECT_EQ(table().flipsLeft, 0);
            flips += 2;
            ASSERT_TRUE(waitFor([&] {
                return table().seats[std::size_t(me())].cards[std::size_t(first)].picture != 0;
            }));
            continue;
        }

        ++turns;
        news.clear();
        const int target = faceDownCard() ? faceDownCard() : 1 + turns % 9;
        switch (turns % 4) {
        case 0: // T, then a digit
            press(Qt::Key_T);
            ASSERT_TRUE(table().discardInHand);
            press(digitFor(target));
            ASSERT_TRUE(heard("You took the " + speech::cardName(table().discardPicture) +
                              " from the discard pile and put it in " + speech::cellName(target)))
                << news.join(" | ").toStdString();
            break;
        case 1: // the ring: Space on the discard pile, then Enter on a card
            for (int i = 0; i < 4; ++i) press(Qt::Key_Up);
            press(Qt::Key_Left);
            ASSERT_EQ(QApplication::focusWidget()->objectName(), "image_discard");
            press(Qt::Key_Space);
            ASSERT_TRUE(table().discardInHand);
            ringTo(target);
            press(Qt::Key_Return);
            ASSERT_TRUE(heard("You took the " + speech::cardName(table().discardPicture) +
                              " from the discard pile and put it in " + speech::cellName(target)))
                << news.join(" | ").toStdString();
            break;
        case 2: // D, then X throws the drawn card away
            press(Qt::Key_D);
            ASSERT_TRUE(waitFor([&] { return table().drawPick == Pick::Picked; }));
            press(Qt::Key_T); // T does not throw a drawn card away
            EXPECT_EQ(table().drawPick, Pick::Picked);
            press(Qt::Key_X);
            ASSERT_TRUE(heard("You drew the " + speech::cardName(table().drawPicture) +
                              " and threw it on the discard pile."));
            break;
        case 3: // D, then a digit on the number pad
            press(Qt::Key_D);
            ASSERT_TRUE(waitFor([&] { return table().drawPick == Pick::Picked; }));
            press(digitFor(target), Qt::KeypadModifier);
            ASSERT_TRUE(heard("You took the " + speech::cardName(table().drawPicture) +
                              " from the draw pile and put it in " + speech::cellName(target)))
                << news.join(" | ").toStdString();
            break;
        }
        ASSERT_LT(turns, 500) << "the game does not end";
    }

    EXPECT_FALSE(board->findChild<QWidget*>("panel_winner")->isHidden());
    EXPECT_TRUE(board->findChild<QLabel*>("label_winner1")->text().endsWith("Won the Game!"));
    EXPECT_TRUE(waitFor([&] {
        return board->announcement()->accessibleName().endsWith(table().winnerText);
    })) << board->announcement()->accessibleName().toStdString();
    EXPECT_GE(flips, 6);
    EXPECT_GE(turns, 4);
    EXPECT_EQ(mouse.events, 0) << "a mouse event reached the program";
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
    qApp->removeEventFilter(&mouse);
}

// The number keys read as the number pad: 7 8 9 the top row, 1 2 3 the bottom row.
TEST(KeyboardLayout, DigitsFollowTheNumberPad) {
    QList<int> seen;
    for (int digit = 1; digit <= 9; ++digit) seen << Board::positionForDigit(digit);
    // Positions run down the columns: 1 2 3 the left column top to bottom.
    EXPECT_EQ(seen, QList<int>({3, 6, 9, 2, 5, 8, 1, 4, 7}));
    EXPECT_EQ(Board::positionForDigit(0), 0);
    EXPECT_EQ(Board::positionForDigit(10), 0);
}

} // namespace
