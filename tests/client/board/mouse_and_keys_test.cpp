// The keys a desktop card game player expects (Ctrl+N and F2 for a new game, Esc to close a
// window) and the focus ring that stays out of a mouse player's way: the real main window
// hosting its own table.

#include "client/board/Board.h"
#include "client/mainwindow/Support.h"

#include "host/TServer.h"
#include "windows/Tabout.h"
#include "windows/Tdownload.h"
#include "windows/Tgamestart.h"
#include "windows/Thelp.h"
#include "windows/Tphrases.h"
#include "windows/Tspylist.h"
#include "windows/Ttallylist.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTest>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class MouseAndKeys : public TchatTest {
protected:
    std::unique_ptr<Tchat> w;
    Board* board = nullptr;

    const TableModel& table() const { return w->session().table(); }
    int me() const { return w->state().myseat; }
    bool ringShown() const { return board->focusRing()->isVisible(); }

    void open() {
        w = std::make_unique<Tchat>(QStringList{});
        board = w->board();
        w->server()->botSpeed = [] { return 3; };
        w->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
        ASSERT_TRUE(waitFor([&] { return w->state().connected && me() == 1; }));
    }
    static void activate(QWidget* window) {
        window->activateWindow();
        ASSERT_TRUE(waitFor([&] { return QApplication::activeWindow() == window; }));
    }
    static void key(QWidget* window, int k, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QWidget* target = QApplication::focusWidget() ? QApplication::focusWidget() : window;
        QTest::keyClick(target, Qt::Key(k), mods);
    }
};

TEST_F(MouseAndKeys, NewGameKeysOpenTheOptionsAndEscClosesEveryWindow) {
    open();
    // The first window a solo player meets closes with Esc like the rest.
    if (w->download()->isVisible()) {
        activate(w->download());
        key(w->download(), Qt::Key_Escape);
        ASSERT_TRUE(waitFor([&] { return !w->download()->isVisible(); }));
        EXPECT_TRUE(w->isVisible());
    }
    activate(w.get());
    Tgamestart* options = w->gamestart();
    for (const QKeySequence& keys :
         {QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::Key_F2)}) {
        QTest::keySequence(w.get(), keys);
        ASSERT_TRUE(waitFor([&] { return options->isVisible(); })) << keys.toString().toStdString();
        activate(options);
        key(options, Qt::Key_Escape);
        ASSERT_TRUE(waitFor([&] { return !options->isVisible(); }));
        EXPECT_TRUE(table().startShown) << "Esc starts no game";
        activate(w.get());
    }

    const std::pair<const char*, QWidget*> windows[] = {{"Help2", w->help()},
                                                        {"About1", w->about()},
                                                        {"SpyList1", w->spylist()},
                                                        {"PrhaseList1", w->phrasesEditor()},
                                                        {"ViewTally1", w->tallylist()}};
    for (const auto& [item, window] : windows) {
        w->findChild<QAction*>(item)->trigger();
        ASSERT_TRUE(waitFor([&] { return window->isVisible(); })) << item;
        activate(window);
        key(window, Qt::Key_Escape);
        EXPECT_TRUE(waitFor([&] { return !window->isVisible(); })) << item;
        activate(w.get());
    }
    EXPECT_TRUE(w->isVisible()) << "Esc never closes the table";

    // Where the player may not start a game, neither key opens the options.
    w->findChild<QAction*>("StartGame1")->setEnabled(false);
    QTest::keySequence(w.get(), QKeySequence(Qt::Key_F2));
    QTest::qWait(50);
    EXPECT_FALSE(options->isVisible());
}

// A game by mouse shows no ring, even where the keyboard focus sits; a key brings it to the
// focused place, and the next click takes it away again.
TEST_F(MouseAndKeys, FocusRingShowsOnlyWhileTheKeyboardIsUsed) {
    open();
    if (w->download()->isVisible()) w->download()->hide();
    activate(w.get());
    QTest::mouseClick(board->findChild<QWidget*>("button_start"), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return w->gamestart()->isVisible(); }));
    QTest::mouseClick(w->gamestart()->findChild<QWidget*>("button_start"), Qt::LeftButton);
    activate(w.get());
    ASSERT_TRUE(waitFor([&] { return table().turnSeat == me() && table().flipsLeft > 0; }, 20000));
    EXPECT_TRUE(board->focusTargets().contains(QApplication::focusWidget()))
        << "the keyboard is ready on the table";
    EXPECT_FALSE(ringShown());

    QTest::mouseClick(board->card(me(), 1), Qt::LeftButton);
    QTest::mouseClick(board->card(me(), 5), Qt::LeftButton);
    ASSERT_TRUE(waitFor([&] { return table().flipsLeft <= 0; }));
    QTest::qWait(100);
    EXPECT_FALSE(ringShown()) << "a mouse game shows no ring";
    const QString shot = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (!shot.isEmpty()) w->grab().save(shot + "/focus-ring-mouse.png");

    key(w.get(), Qt::Key_Left); // the discard pile
    ASSERT_TRUE(ringShown());
    QWidget* focused = QApplication::focusWidget();
    EXPECT_EQ(focused->objectName(), "image_discard");
    EXPECT_TRUE(board->focusRing()->geometry().contains(focused->geometry()));
    if (!shot.isEmpty()) w->grab().save(shot + "/focus-ring-after-key.png");

    QTest::mouseClick(board->card(me(), 9), Qt::LeftButton);
    EXPECT_FALSE(ringShown()) << "a click hides the ring again";
    key(w.get(), Qt::Key_Right);
    EXPECT_TRUE(ringShown());
}

} // namespace
