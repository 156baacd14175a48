#include "SoundTestSupport.h"

#include "client/sound/SoundOptions.h"
#include "client/sound/SoundPlayer.h"

#include <QAction>
#include <QMenu>

#include <gtest/gtest.h>

using namespace pelvo;
using pelvo::soundtest::RecordingContext;

namespace {

struct SoundOptionsTest : ::testing::Test {
    RecordingContext ctx;
    SoundOptions opts{ctx};
    QAction* item(const char* name) { return opts.findChild<QAction*>(name); }
};

TEST_F(SoundOptionsTest, EventSoundsFollowPlaySoundsButClipsDoNot) {
    opts.playsounds("turnnew");
    EXPECT_EQ(opts.player().lastRequested(), "turnnew");
    EXPECT_EQ(opts.player().requestCount(), 1);

    item("PlaySounds1")->trigger();
    ASSERT_FALSE(opts.playSounds());
    opts.playsounds("lastturn");
    EXPECT_EQ(opts.player().requestCount(), 1);
    EXPECT_EQ(opts.player().lastRequested(), "turnnew");

    opts.playclip("wave13");
    EXPECT_EQ(opts.player().lastRequested(), "wave13");
    // A name without a clip is asked for all the same; it just plays nothing.
    opts.playclip("nosuchclip");
    EXPECT_EQ(opts.player().requestCount(), 3);
}

TEST_F(SoundOptionsTest, MenuItemsInOrderWithDesignStates) {
    QMenu options;
    opts.addOptionsItems(&options);
    const QList<QAction*> top = options.actions();
    ASSERT_EQ(top.size(), 4);
    EXPECT_EQ(top[0]->objectName(), "PlaySounds1");
    EXPECT_EQ(top[0]->text(), "Play Sounds");
    EXPECT_TRUE(top[0]->isChecked());
    EXPECT_EQ(top[1]->objectName(), "PlayerPhraseSounds1");
    EXPECT_EQ(top[1]->text(), "Player Phrase Sounds");
    EXPECT_TRUE(top[1]->isChecked());
    EXPECT_EQ(top[2]->objectName(), "TurnSound1");
    EXPECT_EQ(top[2]->text(), "Turn Sound");
    EXPECT_EQ(top[3]->objectName(), "BotSpeed1");
    EXPECT_EQ(top[3]->text(), "Bot and Delay Speed");

    const QList<QAction*> turn = top[2]->menu()->actions();
    ASSERT_EQ(turn.size(), 2);
    EXPECT_EQ(turn[0]->objectName(), "Classic1");
    EXPECT_TRUE(turn[0]->isChecked());
    EXPECT_EQ(turn[1]->objectName(), "New1");
    const QList<QAction*> speed = top[3]->menu()->actions();
    ASSERT_EQ(speed.size(), 3);
    EXPECT_EQ(speed[0]->text(), "Slow");
    EXPECT_EQ(speed[1]->objectName(), "Normal1");
    EXPECT_TRUE(speed[1]->isChecked());
    EXPECT_EQ(speed[2]->objectName(), "Fast1");

    EXPECT_EQ(opts.turnSound(), 0);
    EXPECT_EQ(opts.botSpeed(), 0) << "no speed until the settings are loaded";
}

TEST_F(SoundOptionsTest, EveryClickChangesTheOptionAndWritesTheSettings) {
    item("PlayerPhraseSounds1")->trigger();
    EXPECT_FALSE(opts.playerPhraseSounds());
    EXPECT_EQ(ctx.saves, 1);
    item("PlayerPhraseSounds1")->trigger();
    EXPECT_TRUE(opts.playerPhraseSounds());

    item("New1")->trigger();
    EXPECT_EQ(opts.turnSound(), 1);
    EXPECT_TRUE(item("New1")->isChecked());
    EXPECT_FALSE(item("Classic1")->isChecked());

    for (const auto& [name, ms] : {std::pair{"Fast1", 500}, {"Slow1", 2000}, {"Normal1", 1000}}) {
        item(name)->trigger();
        EXPECT_EQ(opts.botSpeed(), ms) << name;
        EXPECT_TRUE(item(name)->isChecked()) << name;
    }
    EXPECT_FALSE(item("Slow1")->isChecked());
    EXPECT_EQ(ctx.saves, 6);
}

TEST_F(SoundOptionsTest, LoadedValuesOutsideTheChoicesFallBackWithoutSaving) {
    opts.setBotSpeed(2000);
    EXPECT_TRUE(item("Slow1")->isChecked());
    opts.setBotSpeed(750);
    EXPECT_EQ(opts.botSpeed(), 1000);
    EXPECT_TRUE(item("Normal1")->isChecked());
    opts.setTurnSound(1);
    opts.setTurnSound(2);
    EXPECT_EQ(opts.turnSound(), 0);
    EXPECT_TRUE(item("Classic1")->isChecked());
    opts.setPlaySounds(false);
    EXPECT_FALSE(item("PlaySounds1")->isChecked());
    EXPECT_EQ(ctx.saves, 0);
}

} // namespace
