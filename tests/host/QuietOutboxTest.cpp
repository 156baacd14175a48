// An outbox that wants no frames gets none built, and the game it hears about is the very game
// a listening outbox sees: the same scores as events, the same table at the end.

#include "host/HostSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace pelvo;
using namespace pelvo::test;

namespace {

struct Score {
    int seat, roundScore, total;
    bool penalty;
    friend bool operator==(const Score&, const Score&) = default;
};

class ScoreOutbox : public RecordingOutbox {
public:
    bool frames = true;
    std::vector<Score> scores;
    bool wantsFrames() const override { return frames; }
    void roundScored(int seat, int roundScore, int total) override {
        scores.push_back({seat, roundScore, total, false});
    }
    void penalised(int seat, int total) override { scores.push_back({seat, 0, total, true}); }
};

struct Played {
    std::string table;
    std::int64_t clock = 0;
};

// Three rounds between computers of both levels, dealt from `deal`, with one onlooker.
Played play(ScoreOutbox& outbox, std::uint64_t deal) {
    Random random, bots;
    Engine::Hooks hooks;
    hooks.dealSource = [deal] { return deal; };
    hooks.botSpeed = [] { return 1; };
    hooks.botLevels = [] {
        return std::array<BotLevel, Seats + 1>{BotLevel::Classic, BotLevel::Expert,
                                               BotLevel::Classic, BotLevel::Expert,
                                               BotLevel::Classic};
    };
    Engine engine(outbox, random, bots, Engine::Options{}, std::move(hooks));
    engine.table.slotCount = 5;
    engine.table.seats[5].inUse = true;
    // A connection that has not logged in: the computer plays the seat, which is sent its own
    // cards and draws as well.
    engine.table.seats[2].inUse = true;
    engine.startgame(QStringLiteral("test"), QStringLiteral("3"), QStringLiteral("1"),
                     QStringLiteral("1"));
    playOut(engine);
    EXPECT_FALSE(engine.table.gameRunning);
    return {dump(engine.table), engine.clock()};
}

// The scores the frames to the onlooker tell, in the events' form.
std::vector<Score> scoresInFrames(const RecordingOutbox& outbox) {
    std::vector<Score> out;
    for (const QString& line : outbox.to(5)) {
        const QStringList f = line.split(u'+');
        if (f[0] == u"CMD_postscores")
            out.push_back({f[1].toInt(), f[2].toInt(), f[3].toInt(), false});
        if (f[0] == u"CMD_penalty") out.push_back({f[1].toInt(), 0, f[2].toInt(), true});
    }
    return out;
}

TEST(QuietOutboxTest, TheSameGameIsPlayedWhetherOrNotFramesAreBuilt) {
    for (std::uint64_t deal : {3u, 41u, 977u}) {
        SCOPED_TRACE(deal);
        ScoreOutbox heard, quiet;
        quiet.frames = false;
        const Played loud = play(heard, deal);
        const Played still = play(quiet, deal);

        EXPECT_TRUE(quiet.sent.empty());
        EXPECT_TRUE(heard.commandsTo(2).contains(QStringLiteral("CMD_drawacard")));
        EXPECT_TRUE(heard.commandsTo(2).contains(QStringLiteral("CMD_mycards")));
        EXPECT_EQ(loud.table, still.table);
        EXPECT_EQ(loud.clock, still.clock);
        ASSERT_GE(heard.scores.size(), 12u); // four seats, three rounds at least
        EXPECT_EQ(heard.scores, quiet.scores);
        EXPECT_EQ(heard.scores, scoresInFrames(heard));
    }
}

TEST(QuietOutboxTest, AListeningTableWithNobodyConnectedKeepsItsChatForAJoiner) {
    // Moves are not built for nobody, but host lines still go into the chat a joiner gets.
    ScoreOutbox outbox;
    Random random(5);
    Engine engine(outbox, random, Engine::Options{.windowless = true},
                  Engine::Hooks{.dealSource = [] { return std::uint64_t(12); },
                                .botSpeed = [] { return 1; }});
    engine.startgame(QStringLiteral("x"), QStringLiteral("1"), QStringLiteral("1"),
                     QStringLiteral("1"));
    playOut(engine);
    EXPECT_TRUE(outbox.sent.empty());
    ASSERT_GE(outbox.scores.size(), 4u);

    const int slot = join(engine, QStringLiteral("Late"));
    EXPECT_TRUE(outbox.to(slot).join(u'\n').contains(u"Deal 12."));
}

} // namespace
