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
    SoundOptions opts{ctx.session};
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
    auto describe = [](const QList<QAction*>& items) {
        QStringList out;
        for (const QAction* a : items)
            out << a->objectName() + u' ' + a->text() + (a->isChecked() ? " *" : "");
        return out;
    };
    const QList<QAction*> top = options.actions();
    EXPECT_EQ(
        describe(top),
        QStringList({"PlaySounds1 Play Sounds *", "PlayerPhraseSounds1 Player Phrase Sounds *",
                     "TurnSound1 Turn Sound", "BotSpeed1 Bot and Delay Speed"}));
    ASSERT_EQ(top.size(), 4);
    EXPECT_EQ(describe(top[2]->menu()->actions()), QStringList({"Classic1 Classic *", "New1 New"}));
    EXPECT_EQ(describe(top[3]->menu()->actions()),
              QStringList({"Slow1 Slow", "Normal1 Normal *", "Fast1 Fast"}));
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
