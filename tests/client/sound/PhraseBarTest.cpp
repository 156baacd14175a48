#include "SoundTestSupport.h"
#include "support/SessionEdit.h"

#include "client/sound/PhraseBar.h"
#include "client/sound/SoundOptions.h"
#include "client/sound/SoundPlayer.h"

#include <QAction>
#include <QMenu>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

using namespace pelvo;
using pelvo::soundtest::RecordingContext;

namespace {

QByteArray wire(const char* text) {
    return QByteArray(text) + char(0xFF);
}

struct PhraseBarTest : ::testing::Test {
    RecordingContext ctx;
    SoundOptions sounds{ctx.session};
    PhraseBar bar{ctx.session};

    PhraseBarTest() {
        test::edit(ctx.session)->myseat = 2;
        QObject::connect(&ctx.session, &ClientSession::clip, &sounds, &SoundOptions::playclip);
    }
    void playasound(const char* payload) {
        ctx.session.handleLine(QStringLiteral("CMD_playasound+") + QLatin1String(payload));
    }
    QAction* item(const char* name) { return bar.popupSounds()->findChild<QAction*>(name); }
    QToolButton* button(int n) {
        return bar.findChild<QToolButton*>(QStringLiteral("b_phrase%1").arg(n));
    }
};

TEST_F(PhraseBarTest, PhraseTextBecomesSaysOrMeAction) {
    bar.setCooldown(0);
    const struct {
        QString phrase;
        QByteArray frame;
    } cases[] = {
        {"Way To Go!", wire("CMD_action+2+says: Way To Go!|clRed")},
        {"/me waves", wire("CMD_action+2+waves|clRed")},
        {"/mewaves", wire("CMD_action+2+says: /mewaves|clRed")},
        {"/me", wire("CMD_action+2+says: /me|clRed")},
        {"", wire("CMD_action+2+says: |clRed")},
    };
    for (const auto& c : cases) {
        ctx.frames.clear();
        bar.setPhrase(4, c.phrase);
        bar.b_phrase1Click(4);
        ASSERT_EQ(ctx.frames.size(), 1) << c.phrase.toStdString();
        EXPECT_EQ(ctx.frames[0], c.frame) << c.phrase.toStdString();
    }
}

TEST_F(PhraseBarTest, ButtonsCarryDesignPhrasesAndSendOnClick) {
    bar.show();
    for (int n = 1; n <= 10; ++n) {
        ASSERT_NE(button(n), nullptr) << n;
        EXPECT_EQ(button(n)->size(), QSize(25, 19));
        EXPECT_FALSE(button(n)->icon().isNull());
    }
    EXPECT_EQ(button(9)->toolTip(), "Good Game Everyone!");
    EXPECT_EQ(button(10)->toolTip(), "Chatter Sounds");
    EXPECT_LT(button(1)->x(), button(2)->x());

    ctx.setColour(0x00FF8000); // no colour name: written as hex
    QTest::mouseClick(button(3), Qt::LeftButton);
    ASSERT_EQ(ctx.frames.size(), 1);
    EXPECT_EQ(ctx.frames[0], wire("CMD_action+2+says: Nice Try!|$00FF8000"));
}

TEST_F(PhraseBarTest, CooldownLetsOnlyTheFirstOfQuickClicksThrough) {
    bar.b_phrase1Click(1);
    bar.b_phrase1Click(1);
    bar.b_phrase1Click(2); // any button, not just the same one
    ASSERT_EQ(ctx.frames.size(), 1);
    EXPECT_FALSE(ctx.session.phraseReady());
}

TEST_F(PhraseBarTest, CooldownEndsAndTheNextClickSends) {
    bar.setCooldown(20);
    bar.b_phrase1Click(1);
    ASSERT_FALSE(ctx.session.phraseReady());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ctx.session.phraseReady(); }, 5000));
    bar.b_phrase1Click(7);
    ASSERT_EQ(ctx.frames.size(), 2);
    EXPECT_EQ(ctx.frames[1], wire("CMD_action+2+says: Thanks!|clRed"));
}

TEST_F(PhraseBarTest, RefusedSendKeepsButtonsReadyAndIgnoresConnected) {
    test::edit(ctx.session)->connected = false; // phrase buttons do not look at it
    ctx.socketAccepts = false;
    bar.b_phrase1Click(1);
    EXPECT_TRUE(ctx.session.phraseReady());
    ctx.socketAccepts = true;
    bar.b_phrase1Click(1);
    EXPECT_EQ(ctx.frames.size(), 1);
    EXPECT_FALSE(ctx.session.phraseReady());
}

TEST_F(PhraseBarTest, ChatterMenuItems) {
    const QList<QAction*> items = bar.popupSounds()->actions();
    ASSERT_EQ(items.size(), 21);
    EXPECT_EQ(bar.popupSounds()->objectName(), "popup_sounds");
    EXPECT_EQ(items[0]->objectName(), "Cancel1");
    EXPECT_EQ(items[0]->text(), "<Cancel>");
    EXPECT_EQ(items[0]->data().toInt(), 0);
    for (int n = 1; n <= 20; ++n) {
        EXPECT_EQ(items[n]->objectName(), QStringLiteral("wave%1").arg(n));
        EXPECT_EQ(items[n]->data().toInt(), n);
        EXPECT_EQ(items[n]->toolTip(), items[n]->text());
    }
    EXPECT_EQ(items[5]->text(), "Where have you been?");
    EXPECT_EQ(items[20]->text(), "Crying");
}

TEST_F(PhraseBarTest, ChatterRequestOnlyForARealItemWhileConnected) {
    item("wave4")->trigger();
    EXPECT_TRUE(ctx.frames.isEmpty()) << "not connected yet";
    test::edit(ctx.session)->connected = true;
    item("Cancel1")->trigger();
    EXPECT_TRUE(ctx.frames.isEmpty());
    item("wave4")->trigger();
    item("wave4")->trigger(); // chatter sounds have no cool-down
    ASSERT_EQ(ctx.frames.size(), 2);
    EXPECT_EQ(ctx.frames[0], wire("CMD_playasound+2+wave4+"));
    EXPECT_TRUE(ctx.session.phraseReady());
}

TEST_F(PhraseBarTest, AnyMouseButtonReleasedOnTheSpeakerOpensTheMenuAtItsCorner) {
    bar.move(40, 30);
    bar.show();
    QToolButton* b = button(10);
    QTest::mouseRelease(b, Qt::RightButton, {}, QPoint(5, 5));
    QMenu* menu = bar.popupSounds();
    ASSERT_TRUE(menu->isVisible());
    EXPECT_EQ(menu->pos(), b->mapToGlobal(QPoint(25, 19)));
    EXPECT_TRUE(ctx.frames.isEmpty());
    menu->hide();
}

TEST_F(PhraseBarTest, ReceivedChatterSoundPlaysEvenWithEventSoundsOff) {
    sounds.setPlaySounds(false);
    playasound("2+wave4+");
    EXPECT_EQ(sounds.player().lastRequested(), "wave4");
    EXPECT_TRUE(ctx.lines.isEmpty());
}

TEST_F(PhraseBarTest, WithPhraseSoundsOffTheChatterBecomesASystemLine) {
    sounds.setPlayerPhraseSounds(false);
    playasound("2+wave4+");
    ASSERT_EQ(ctx.lines.size(), 1);
    EXPECT_EQ(ctx.lines[0].first, "0+Anna: <Chatter Sound> Thank You");
    EXPECT_EQ(ctx.lines[0].second, ctx.st.syscolour);
    EXPECT_EQ(sounds.player().requestCount(), 0);

    // No name label, no such item, no fields: nothing at all.
    for (const char* bad : {"5+wave4+", "0+wave4+", "x+wave4+", "2+wave21+", "2+Honk+", "2", ""})
        playasound(bad);
    EXPECT_EQ(ctx.lines.size(), 1);
}

} // namespace
