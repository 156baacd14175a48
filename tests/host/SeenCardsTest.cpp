// The cards seen that the engine keeps up to date as cards move, against a fresh count of the
// table after every move of whole games: four and three seats, both levels, reshuffles included.
#include "host/Engine.h"
#include "rules/ExpertRules.h"

#include <gtest/gtest.h>

#include <QString>

#include <cstdint>
#include <utility>

using namespace pelvo;

namespace {

class CountChecker : public Outbox {
public:
    Engine* engine = nullptr;
    bool shortShoe = false;
    int checks = 0;
    int mismatches = 0;
    int reshuffled = 0;
    QByteArray firstMismatch;

    // Every move and every flip tells the onlooker: check the count each time.
    void send(int, const QByteArray& frame) override {
        Table& t = engine->table;
        // The round's notice goes out between the shuffle and the deal that clears the grids.
        // A short shoe has the discard pile shuffled back into the draw pile within the round.
        if (frame.startsWith("CMD_roundstarting+")) {
            if (shortShoe) t.drawLimit = 100;
            return;
        }
        ++checks;
        if (t.drawLimit < PileCells && t.drawPos == 1) ++reshuffled;
        if (engine->seenCards() == expert::SeenCards::countedFrom(t)) return;
        if (++mismatches == 1) firstMismatch = frame;
    }
};

TEST(SeenCardsTest, KeptCountEqualsARecountAfterEveryMove) {
    const std::array<BotLevel, Seats + 1> mixes[] = {
        {BotLevel::Classic, BotLevel::Expert, BotLevel::Expert, BotLevel::Expert, BotLevel::Expert},
        {BotLevel::Classic, BotLevel::Classic, BotLevel::Expert, BotLevel::Classic,
         BotLevel::Expert},
        {BotLevel::Classic, BotLevel::Classic, BotLevel::Classic, BotLevel::Classic,
         BotLevel::Classic},
    };
    CountChecker checker;
    Random random, bots;
    int games = 0;
    for (const auto& levels : mixes) {
        for (int g = 0; g < 60; ++g) {
            Engine::Hooks hooks;
            hooks.dealSource = [g] { return std::uint64_t(1000 + g); };
            hooks.botSpeed = [] { return 1; };
            hooks.botLevels = [levels] { return levels; };
            Engine engine(checker, random, bots, Engine::Options{}, std::move(hooks));
            checker.engine = &engine;
            checker.shortShoe = g % 2 == 1;
            engine.table.slotCount = 5;
            engine.table.seats[5].inUse = true;
            // Every third game without seat 4: its grid is never counted. Every other game
            // with a short shoe.
            const QString seat4 = g % 3 == 0 ? QStringLiteral("0") : QStringLiteral("1");
            engine.startgame(QStringLiteral("t"), QStringLiteral("9"), QStringLiteral("1"), seat4);
            for (int tick = 0; tick < 200000 && engine.table.gameRunning; ++tick)
                if (!engine.advanceClock()) break;
            EXPECT_FALSE(engine.table.gameRunning);
            ++games;
        }
    }
    EXPECT_EQ(checker.mismatches, 0) << "first after " << checker.firstMismatch.constData();
    EXPECT_GT(checker.checks, games * 100);
    EXPECT_GT(checker.reshuffled, 0);
}

TEST(SeenCardsTest, ASeatOutOfTheGameStillCountsItsOwnCards) {
    // A hint to an onlooker asks for a seat out of the game: the count leaves its grid out, the
    // decision must not, and so decides as if the seat were in.
    Table t;
    Random deal(7);
    shufflecards(t, deal);
    int next = 2;
    for (int s = 1; s <= Seats; ++s)
        for (int p = 1; p <= GridCells; ++p)
            t.seats[s].cards[p] = Cell{t.drawPile[next++], p % 3 != 0 ? 1 : 0};
    for (int c = 2; c <= 40; ++c) t.discardPile[c] = t.drawPile[next++];
    t.discardCount = 40;
    t.drawPos = next;
    int differs = 0;
    for (int round = 0; round < 50; ++round, t.drawPos = ++next) {
        for (int s = 1; s <= Seats; ++s) t.seats[s].inGame = true;
        const expert::SeenCards all = expert::SeenCards::countedFrom(t);
        Random a(round), b(round);
        const ComputerMove play = expert::choosePlay(t, 2, a, all);
        const ComputerMove drawn = expert::chooseAfterDraw(t, 2, a, all);
        t.seats[2].inGame = false;
        const expert::SeenCards others = expert::SeenCards::countedFrom(t);
        differs += !(others == all);
        EXPECT_EQ(expert::choosePlay(t, 2, b, others), play);
        EXPECT_EQ(expert::chooseAfterDraw(t, 2, b), drawn);
    }
    EXPECT_EQ(differs, 50);
}

TEST(SeenCardsTest, ADecisionDoesNotDependOnTheDecisionBefore) {
    // A decision after one on a table that differs in a single respect (somebody went out, a
    // seat left the game, another card turned or thrown, another seat deciding) comes out as
    // after one on an unrelated table.
    Table t, previous;
    Random deal(11);
    int differs = 0;
    for (int round = 0; round < 300; ++round) {
        shufflecards(t, deal);
        int next = 2;
        for (int s = 1; s <= Seats; ++s) {
            t.seats[s].inGame = true;
            for (int p = 1; p <= GridCells; ++p)
                t.seats[s].cards[p] = Cell{t.drawPile[next++], int(deal.below(3) != 0)};
        }
        t.seats[2].cards[1 + deal.below(GridCells)].faceUp = 0;
        t.discardCount = 1 + deal.below(30);
        for (int c = 1; c <= t.discardCount; ++c) t.discardPile[c] = t.drawPile[next++];
        t.drawPos = next;
        t.wentOut = 0;
        if (round % 5 == 1) {
            // Every seat but 3 waits to go out with low cards, and seat 3 shows nothing: only its
            // being in the game differs, and with it whether everybody waits. A 6 in hand is
            // worth neither laying down nor, with the others this low, going out with.
            const int low[GridCells] = {1, 2, 13, 14, 3, 15, 26, 27, 28};
            for (int s = 1; s <= Seats; ++s)
                for (int p = 1; p <= GridCells; ++p)
                    t.seats[s].cards[p] =
                        s == 3 ? Cell{t.seats[s].cards[p].code, 0} : Cell{low[p - 1], int(p != 5)};
            t.discardPile[t.discardCount] = 6;
            t.drawPile[t.drawPos] = 19;
        }
        const Table before = t;

        Table other = t;
        int seat = 2;
        switch (round % 5) {
        case 0:
            other.wentOut = 3;
            break;
        case 1:
            other.seats[3].inGame = false;
            break;
        case 2:
            for (int p = 1; p <= GridCells; ++p) other.seats[4].cards[p].faceUp = 1;
            break;
        case 3:
            other.discardPile[++other.discardCount] = other.drawPile[next];
            break;
        default:
            seat = 3;
            break;
        }
        const expert::SeenCards seen = expert::SeenCards::countedFrom(before);
        const expert::SeenCards otherSeen = expert::SeenCards::countedFrom(other);
        for (const bool afterDraw : {false, true}) {
            const auto decide = [&](const Table& table, int s, const expert::SeenCards& cards) {
                Random random{std::uint64_t(round)};
                return afterDraw ? expert::chooseAfterDraw(table, s, random, cards)
                                 : expert::choosePlay(table, s, random, cards);
            };
            // Each after a decision on an unrelated table, then each right after the other.
            const auto freshly = [&](const Table& table, int s, const expert::SeenCards& cards) {
                Random none;
                expert::choosePlay(previous, 1, none);
                return decide(table, s, cards);
            };
            const ComputerMove mine = freshly(before, 2, seen);
            const ComputerMove theirs = freshly(other, seat, otherSeen);
            differs += !(mine == theirs);
            EXPECT_EQ(decide(other, seat, otherSeen), theirs) << "round " << round;
            EXPECT_EQ(decide(before, 2, seen), mine) << "round " << round;
            EXPECT_EQ(decide(other, seat, otherSeen), theirs) << "round " << round;
        }
        previous = before;
    }
    // The tables differed in ways that matter.
    EXPECT_GT(differs, 100);
}

} // namespace
