#include "windows/Tgamestart.h"
#include "support/SessionEdit.h"

#include "session/ClientSession.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

class GameStart : public ::testing::Test {
protected:
    // The session's way out is replaced by a list; "saves" counts the started signals.
    struct Recorder {
        ClientSession session;
        const ClientState& st = session.state();
        QList<QByteArray> frames;
        int saves = 0;
        Recorder() {
            session.setTransport([this](const QByteArray& f) {
                frames << f;
                return true;
            });
        }
    } ctx;
    Tgamestart dialog{ctx.session};

    GameStart() {
        QObject::connect(&dialog, &Tgamestart::started, [this] { ++ctx.saves; });
    }

    QLineEdit* field() { return dialog.findChild<QLineEdit*>("edit_playtoscore"); }
    QToolButton* arrow(const char* name) { return dialog.findChild<QToolButton*>(name); }
    QAbstractButton* box(const char* name) { return dialog.findChild<QAbstractButton*>(name); }
};

TEST_F(GameStart, DesignState) {
    EXPECT_EQ(dialog.windowTitle(), "Pelvo - Game Start");
    EXPECT_EQ(dialog.size(), QSize(257, 209));
    EXPECT_FALSE(dialog.isModal());
    ASSERT_NE(field(), nullptr);
    EXPECT_TRUE(field()->isReadOnly());
    EXPECT_EQ(field()->text(), "5");
    EXPECT_EQ(dialog.rounds(), 5);
    EXPECT_EQ(dialog.boxTag("image_bot3"), 1);
    EXPECT_EQ(dialog.boxTag("image_bot4"), 1);
    EXPECT_EQ(box("image_bot3")->size(), QSize(36, 30));
    QStringList texts;
    for (QLabel* l : dialog.findChildren<QLabel*>()) texts << l->text();
    for (const char* t : {"Game Options", "Rounds:", "Bot for Player 3", "Bot for Player 4"})
        EXPECT_TRUE(texts.contains(t)) << t;
    auto* heading = dialog.findChild<QLabel*>("label_heading");
    EXPECT_TRUE(heading->font().bold() && heading->font().underline());
}

TEST_F(GameStart, StartSendsTheExactRequestHidesAndSaves) {
    ctx.session.setPlayer("You", "127.0.0.1");
    dialog.show();
    QTest::mouseClick(dialog.findChild<QAbstractButton*>("button_start"), Qt::LeftButton);
    ASSERT_EQ(ctx.frames.size(), 1);
    EXPECT_EQ(ctx.frames[0], QByteArray("CMD_startgame+You+5+1+1+\xFF"));
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(ctx.saves, 1);

    ctx.session.setPlayer("Zoë", "127.0.0.1");
    dialog.setRounds(9);
    dialog.changebox("image_bot4", 0);
    dialog.button_startClick();
    EXPECT_EQ(ctx.frames[1], QByteArray("CMD_startgame+Zo\xC3\xAB+9+1+0+\xFF"));
}

TEST_F(GameStart, SpinnerStaysWithinThreeToNine) {
    for (int i = 0; i < 10; ++i) arrow("UpDown1_up")->click();
    EXPECT_EQ(field()->text(), "9");
    EXPECT_FALSE(arrow("UpDown1_up")->isEnabled());
    for (int i = 0; i < 10; ++i) QTest::keyClick(field(), Qt::Key_Down);
    EXPECT_EQ(field()->text(), "3");
    EXPECT_EQ(dialog.rounds(), 3);
    EXPECT_FALSE(arrow("UpDown1_down")->isEnabled());
    QTest::keyClicks(field(), "7");
    EXPECT_EQ(field()->text(), "3") << "the field cannot be typed into";
    dialog.setRounds(42);
    EXPECT_EQ(dialog.rounds(), 9);
    dialog.setRounds(-1);
    EXPECT_EQ(field()->text(), "3");
}

TEST_F(GameStart, BoxesToggleAndFollowTheSettings) {
    const QImage ticked = box("image_bot3")->grab().toImage();
    QTest::mouseClick(box("image_bot3"), Qt::LeftButton);
    EXPECT_EQ(dialog.boxTag("image_bot3"), 0);
    EXPECT_EQ(box("image_bot3")->property("Tag").toInt(), 0);
    EXPECT_FALSE(box("image_bot3")->isChecked());
    EXPECT_NE(box("image_bot3")->grab().toImage(), ticked);
    EXPECT_EQ(dialog.boxTag("image_bot4"), 1) << "boxes are independent";
    QTest::mouseClick(box("image_bot3"), Qt::LeftButton, {}, QPoint(1, 1)); // the whole picture
    EXPECT_EQ(dialog.boxTag("image_bot3"), 1);
    EXPECT_EQ(box("image_bot3")->grab().toImage(), ticked);

    // Settings without the keys read as 0: both unticked.
    dialog.changebox("image_bot3", 0);
    dialog.changebox("image_bot4", 0);
    EXPECT_EQ(dialog.boxTag("image_bot3") + dialog.boxTag("image_bot4"), 0);
    dialog.changebox("image_bot4", 7); // only two pictures exist
    EXPECT_EQ(dialog.boxTag("image_bot4"), 0);
    dialog.changebox("image_nothing", 1);
}

// The dialog without a mouse: Tab walks rounds, both boxes and Start, each named with its role;
// Space ticks, Enter starts from any of them, Esc cancels.
TEST_F(GameStart, KeyboardAndScreenReader) {
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    const QList<std::pair<QString, QAccessible::Role>> expected = {
        {"Rounds", QAccessible::EditableText},
        {"Bot for Player 3", QAccessible::CheckBox},
        {"Bot for Player 4", QAccessible::CheckBox},
        {"Start", QAccessible::Button}};
    QList<std::pair<QString, QAccessible::Role>> walked;
    for (int i = 0; i < 5; ++i) {
        QAccessibleInterface* a =
            QAccessible::queryAccessibleInterface(QApplication::focusWidget());
        ASSERT_NE(a, nullptr);
        walked.append({a->text(QAccessible::Name), a->role()});
        if (walked.size() == expected.size()) break;
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    EXPECT_EQ(walked, expected);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), field()) << "Tab comes round, never to the arrows";

    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); // Bot for Player 3
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(dialog.boxTag("image_bot3"), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    EXPECT_EQ(dialog.rounds(), 6) << "Up changes the rounds from a box too";
    EXPECT_EQ(QApplication::focusWidget(), box("image_bot3"));
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(box("image_bot3"));
    EXPECT_FALSE(a->state().checked);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(ctx.frames.size(), 1);
    EXPECT_EQ(ctx.frames[0], QByteArray("CMD_startgame++6+0+1+\xFF"));
    EXPECT_TRUE(dialog.isHidden());

    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_TRUE(dialog.isHidden());
    EXPECT_EQ(ctx.frames.size(), 1) << "Esc starts nothing";
    EXPECT_EQ(ctx.saves, 1);
}

} // namespace

namespace {

TEST(GameStartShot, Picture) {
    const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set PELVO_SHOT_DIR to write the picture";
    ClientSession session;
    Tgamestart dialog(session);
    dialog.changebox("image_bot4", 0);
    // Shown and active, as a player first sees it: no key pressed yet.
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    EXPECT_TRUE(dialog.grab().save(dir + "/gamestart.png"));
    // After Tab, the keyboard's place shows.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_TRUE(dialog.grab().save(dir + "/gamestart-tab.png"));
}

} // namespace
