// The computer players' decisions as pure functions: what a seat does depends only on what a
// seated player can see, and a few positions with one sensible move.
#include "HostSupport.h"
#include "rules/ComputerRules.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>
#include <random>
#include <utility>
#include <vector>

using namespace pelvo;
using namespace pelvo::test;

namespace {

// Hands out scripted picks first, then seeded ones, and keeps every pick as (n, result).
class RecordingRandom : public ScriptedRandom {
public:
    std::vector<std::pair<int, int>> picks;
    using ScriptedRandom::ScriptedRandom;
    int below(int n) override {
        const int v = ScriptedRandom::below(n);
        picks.emplace_back(n, v);
        return v;
    }
};

struct Decision {
    ComputerMove move;
    std::vector<std::pair<int, int>> picks;
    bool operator==(const Decision&) const = default;
};

void PrintTo(const Decision& d, std::ostream* os) {
    *os << "move " << int(d.move.kind) << " at " << d.move.position << ", picks";
    for (const auto& [n, v] : d.picks) *os << ' ' << v << '/' << n;
}

enum class Ask { Flip, Play, AfterDraw };

Decision decide(const Table& t, Ask ask, int seat, std::uint64_t seed,
                BotLevel level = BotLevel::Classic) {
    RecordingRandom random(seed);
    Decision d;
    switch (ask) {
    case Ask::Flip:
        d.move = chooseFlip(level, t, seat, random);
        break;
    case Ask::Play:
        d.move = choosePlay(level, t, seat, random);
        break;
    case Ask::AfterDraw:
        d.move = chooseAfterDraw(level, t, seat, random);
        break;
    }
    d.picks = std::move(random.picks);
    return d;
}

// A table mid-round with pairs and near-finished grids common enough to reach every rule.
Table randomTable(std::mt19937& rng) {
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    // Few distinct values half of the time, so that columns pair up.
    constexpr int pool[] = {1, 14, 5, 18, 10, 23, 13, 26, 53, 11, 12, 2};
    auto code = [&] { return pick(2) ? pool[pick(12)] : 1 + pick(53); };
    Table t;
    for (int c = 1; c <= PileCells; ++c) t.drawPile[c] = 1 + pick(53);
    for (int s = 1; s <= Seats; ++s) {
        Seat& seat = t.seats[s];
        seat.inGame = pick(5) != 0;
        const int down = pick(3) == 0 ? 1 : pick(10); // one face-down card is a case of its own
        std::array<int, 9> order{1, 2, 3, 4, 5, 6, 7, 8, 9};
        std::shuffle(order.begin(), order.end(), rng);
        for (int p = 1; p <= GridCells; ++p) seat.cards[p] = Cell{code(), 1};
        for (int i = 0; i < down; ++i) seat.cards[order[i]].faceUp = 0;
    }
    t.discardCount = pick(10) == 0 ? 0 : 1 + pick(40);
    for (int c = 1; c <= t.discardCount; ++c) t.discardPile[c] = code();
    t.drawPos = 1 + pick(PileCells);
    t.drawPile[t.drawPos] = code();
    t.wentOut = pick(3) == 0 ? 1 + pick(Seats) : 0;
    return t;
}

// Everything a seated player cannot see, changed: face-down codes shuffled among themselves and
// partly swapped for cards from the draw pile or unknown ones, the piles below their visible
// cards reshuffled (the discard pile only unless `discardsSeen`: a player who watched the round
// saw every discard), and the host's own bookkeeping rewritten.
void scrambleHidden(Table& t, std::mt19937& rng, bool discardsSeen = false) {
    auto pick = [&](int n) { return int(rng() % unsigned(n)); };
    std::vector<int*> hidden;
    for (int s = 1; s <= Slots; ++s)
        for (int p = 1; p <= GridCells; ++p)
            if (!t.seats[s].isUp(p)) hidden.push_back(&t.seats[s].cards[p].code);
    std::vector<int> codes;
    for (int* c : hidden) codes.push_back(*c);
    std::shuffle(codes.begin(), codes.end(), rng);
    for (std::size_t i = 0; i < hidden.size(); ++i) {
        int& c = *hidden[i];
        c = codes[i];
        if (pick(3) == 0) {
            const int cell = 1 + pick(PileCells);
            if (cell != t.drawPos) std::swap(c, t.drawPile[cell]);
        } else if (pick(4) == 0) {
            c = NoCard; // what a remote player holds for a card it has not seen
        }
    }
    for (int c = 1; c <= PileCells; ++c)
        if (c != t.drawPos) t.drawPile[c] = pick(54);
    if (!discardsSeen)
        for (int c = 1; c < t.discardCount; ++c) t.discardPile[c] = pick(54);
    t.drawLimit = pick(PileCells + 1);
    for (int s = 1; s <= Slots; ++s) {
        Seat& seat = t.seats[s];
        seat.inUse = pick(2);
        seat.watching = pick(2);
        seat.flipsLeft = pick(3);
        seat.total = pick(200);
        seat.roundScore = pick(100);
        seat.name = QStringLiteral("x%1").arg(pick(100));
    }
    t.currentPlayer = pick(5);
    t.turnState = TurnState(pick(4));
    t.gameRunning = pick(2);
    t.roundNumber = pick(10);
    t.roundsToPlay = pick(10);
    t.delayTicks = pick(5);
    t.botTicks = pick(5);
    t.slotCount = pick(10);
}

} // namespace

TEST(ComputerRulesTest, DecisionsDependOnlyOnWhatASeatedPlayerSees) {
    std::mt19937 rng(20240611);
    std::array<int, 6> kinds{};
    int withPicks = 0;
    for (int round = 0; round < 4000; ++round) {
        const Table table = randomTable(rng);
        for (int seat = 0; seat <= Seats + 1; ++seat) {
            for (Ask ask : {Ask::Flip, Ask::Play, Ask::AfterDraw}) {
                const std::uint64_t seed = rng();
                const Decision d = decide(table, ask, seat, seed);
                ++kinds[d.move.kind];
                withPicks += !d.picks.empty();
                if (seat < 1 || seat > Seats) {
                    EXPECT_EQ(d, Decision{}) << "seat " << seat;
                    continue;
                }
                if (d.move.kind == ComputerMove::Flip) {
                    ASSERT_FALSE(table.seats[seat].isUp(d.move.position));
                }
                if (d.move.kind != ComputerMove::None && d.move.kind != ComputerMove::DrawCard &&
                    d.move.kind != ComputerMove::DiscardDrawn) {
                    ASSERT_GE(d.move.position, 1);
                    ASSERT_LE(d.move.position, GridCells);
                }
                for (int variant = 0; variant < 3; ++variant) {
                    Table other = table;
                    scrambleHidden(other, rng);
                    ASSERT_EQ(decide(other, ask, seat, seed), d)
                        << "round " << round << " seat " << seat << " ask " << int(ask);
                }
            }
        }
    }
    // Every kind of move came up, and the generator was in play: the comparison above had
    // something to compare.
    for (int kind = ComputerMove::Flip; kind <= ComputerMove::DiscardDrawn; ++kind)
        EXPECT_GT(kinds[kind], 500) << "kind " << kind;
    EXPECT_GT(withPicks, 10000);
}

TEST(ComputerRulesTest, ExpertDecisionsDependOnlyOnWhatASeatedPlayerSees) {
    std::mt19937 rng(20261208);
    std::array<int, 6> kinds{};
    for (int round = 0; round < 3000; ++round) {
        const Table table = randomTable(rng);
        for (int seat = 0; seat <= Seats + 1; ++seat) {
            for (Ask ask : {Ask::Flip, Ask::Play, Ask::AfterDraw}) {
                const std::uint64_t seed = rng();
                const Decision d = decide(table, ask, seat, seed, BotLevel::Expert);
                ++kinds[d.move.kind];
                if (seat < 1 || seat > Seats) {
                    EXPECT_EQ(d, Decision{}) << "seat " << seat;
                    continue;
                }
                switch (d.move.kind) {
                case ComputerMove::Flip:
                case ComputerMove::ReplaceDraw:
                    ASSERT_GE(d.move.position, 1);
                    ASSERT_LE(d.move.position, GridCells);
                    if (d.move.kind == ComputerMove::Flip) {
                        ASSERT_FALSE(table.seats[seat].isUp(d.move.position));
                    }
                    break;
                case ComputerMove::ReplaceDiscard:
                    ASSERT_GE(d.move.position, 1);
                    ASSERT_LE(d.move.position, GridCells);
                    ASSERT_NE(table.discardTop(), NoCard); // nothing to take from an empty pile
                    break;
                default:
                    break;
                }
                for (int variant = 0; variant < 3; ++variant) {
                    Table other = table;
                    scrambleHidden(other, rng, true);
                    ASSERT_EQ(decide(other, ask, seat, seed, BotLevel::Expert), d)
                        << "round " << round << " seat " << seat << " ask " << int(ask);
                }
            }
        }
    }
    for (int kind = ComputerMove::Flip; kind <= ComputerMove::DiscardDrawn; ++kind)
        EXPECT_GT(kinds[kind], 300) << "kind " << kind;
}

namespace {

class ComputerRulesPosition : public ::testing::Test {
protected:
    Table t;
    RecordingRandom random{5};

    void SetUp() override {
        for (int s = 1; s <= Seats; ++s) {
            t.seats[s].inGame = true;
            setGrid(t.seats[s], {1, 2, 3, 4, 5, 6, 7, 8, 9}, allDown);
        }
        t.discardCount = 1;
        t.drawPos = 50;
    }
    void discardTop(int code) { t.discardPile[1] = code; }
    void drawn(int code) { t.drawPile[50] = code; }
};

constexpr int K = 13, Q = 12, Jk = 11;

} // namespace

TEST_F(ComputerRulesPosition, ACardThatCompletesAColumnIsTakenAtOnce) {
    // Two face-up 7s over the last face-down card; seat 2 shows only kings (estimated 0), which
    // would stop a card laid face down as the last one, but a pair is laid regardless.
    setGrid(t.seats[1], {7, 20, 3, 10, 10, 9, 8, 4, 6}, {1, 1, 0, 1, 1, 1, 1, 1, 1});
    setGrid(t.seats[2], {K, 26, 39, 52, K, 26, 39, 52, K}, allUp);
    discardTop(33);
    EXPECT_EQ(choosePlay(t, 1, random), (ComputerMove{ComputerMove::ReplaceDiscard, 3}));
    drawn(46);
    EXPECT_EQ(chooseAfterDraw(t, 1, random), (ComputerMove{ComputerMove::ReplaceDraw, 3}));
    EXPECT_TRUE(random.picks.empty());
}

TEST_F(ComputerRulesPosition, AHighDiscardIsLeftForADraw) {
    // A face-up 9 and a face-up jack, the rest face down: a 10 is too high to replace anything
    // or to lie face down, and a jack is never paired with the jack.
    setGrid(t.seats[1], {9, 2, 3, Jk, 5, 6, 7, 8, 9}, {1, 0, 0, 1, 0, 0, 0, 0, 0});
    for (int code : {10, 24}) {
        for (int limit : {0, 1, 2}) {
            discardTop(code);
            random.picks.clear();
            random.script = {limit};
            EXPECT_EQ(choosePlay(t, 1, random), (ComputerMove{ComputerMove::DrawCard, 0}))
                << "code " << code << " limit pick " << limit;
            // Only the low-card limit was drawn; no search for a face-down place.
            EXPECT_EQ(random.picks, (std::vector<std::pair<int, int>>{{3, limit}}));
        }
    }
}

TEST_F(ComputerRulesPosition, ADrawnCourtCardThatFitsNowhereIsDiscarded) {
    // Queens and jacks are worth most and never pair; nothing face up is higher than a jack.
    setGrid(t.seats[1], {Jk, 2, 3, 10, 5, 6, 7, 8, 9}, {1, 0, 0, 1, 0, 0, 0, 0, 0});
    for (int code : {Q, 25, Jk, 37}) {
        drawn(code);
        EXPECT_EQ(chooseAfterDraw(t, 1, random), (ComputerMove{ComputerMove::DiscardDrawn, 0}))
            << "code " << code;
    }
    EXPECT_TRUE(random.picks.empty());
    // A king is worth nothing: it replaces the face-up jack instead.
    drawn(K);
    EXPECT_EQ(chooseAfterDraw(t, 1, random), (ComputerMove{ComputerMove::ReplaceDraw, 1}));
}

// ---- Expert ------------------------------------------------------------------------------------

TEST_F(ComputerRulesPosition, ExpertTakesTheCardThatFinishesAColumn) {
    // Two face-up 7s over a face-up queen: a third 7 takes the queen's place, whether it lies
    // on the discard pile or was just drawn.
    setGrid(t.seats[1], {7, 20, Q, 10, 5, 6, 7, 8, 9}, {1, 1, 1, 1, 0, 0, 1, 0, 0});
    discardTop(33);
    EXPECT_EQ(choosePlay(BotLevel::Expert, t, 1, random),
              (ComputerMove{ComputerMove::ReplaceDiscard, 3}));
    drawn(46);
    EXPECT_EQ(chooseAfterDraw(BotLevel::Expert, t, 1, random),
              (ComputerMove{ComputerMove::ReplaceDraw, 3}));
}

TEST_F(ComputerRulesPosition, ExpertThrowsAwayACourtCardThatPairsNothing) {
    setGrid(t.seats[1], {Jk, 2, 3, 10, 5, 6, 7, 8, 9}, {1, 0, 0, 1, 0, 0, 1, 0, 0});
    for (int code : {Q, 25, 38}) {
        drawn(code);
        EXPECT_EQ(chooseAfterDraw(BotLevel::Expert, t, 1, random),
                  (ComputerMove{ComputerMove::DiscardDrawn, 0}))
            << "code " << code;
    }
    // A king is worth nothing: it takes the jack's place.
    drawn(K);
    EXPECT_EQ(chooseAfterDraw(BotLevel::Expert, t, 1, random),
              (ComputerMove{ComputerMove::ReplaceDraw, 1}));
}

TEST_F(ComputerRulesPosition, ExpertGoesOutOnlyWhenNobodyIsLikelyLower) {
    // Seat 1 shows 10s, 9s and 8s over its last face-down card (position 9); seat 2 shows
    // eight kings, which finish two columns: it will end far lower. Turning the last card with
    // an ace would cost the penalty; the ace replaces a 10 instead.
    setGrid(t.seats[1], {10, 9, 8, 23, 22, 21, 36, 35, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 0});
    setGrid(t.seats[2], {K, 26, 39, 52, K, 26, 39, 52, 5}, {1, 1, 1, 1, 1, 1, 1, 1, 0});
    for (int s : {3, 4})
        setGrid(t.seats[s], {10, 23, 3, 4, 5, 6, 7, 8, 9}, {1, 1, 0, 0, 0, 0, 0, 0, 0});
    drawn(27);
    const ComputerMove afterDraw = chooseAfterDraw(BotLevel::Expert, t, 1, random);
    EXPECT_NE(afterDraw, (ComputerMove{ComputerMove::ReplaceDraw, 9}));
    EXPECT_EQ(afterDraw.kind, ComputerMove::ReplaceDraw);
    EXPECT_TRUE(afterDraw.position == 1 || afterDraw.position == 4 || afterDraw.position == 7);
    discardTop(14);
    EXPECT_NE(choosePlay(BotLevel::Expert, t, 1, random),
              (ComputerMove{ComputerMove::ReplaceDiscard, 9}));

    // Low cards with finished columns, everybody else still showing high cards over many
    // face-down ones: a king on the last card ends the round in front.
    setGrid(t.seats[1], {K, 26, 39, 1, 14, 27, 2, 15, 1}, {1, 1, 1, 1, 1, 1, 1, 1, 0});
    setGrid(t.seats[2], {Q, 10, 3, 4, 5, 6, 7, 8, 9}, {1, 1, 0, 0, 0, 0, 0, 0, 0});
    drawn(52);
    EXPECT_EQ(chooseAfterDraw(BotLevel::Expert, t, 1, random),
              (ComputerMove{ComputerMove::ReplaceDraw, 9}));
}

TEST_F(ComputerRulesPosition, ExpertCountsTheCardsAlreadySeen) {
    // A pair of queens over a face-down card is worth keeping while queens may still come; once
    // every other queen lies on the discard pile, a drawn 3 replaces one of them.
    setGrid(t.seats[1], {Q, 25, 3, 4, 5, 6, 7, 8, 9}, {1, 1, 0, 0, 0, 0, 0, 0, 0});
    drawn(3);
    const ComputerMove hoping = chooseAfterDraw(BotLevel::Expert, t, 1, random);
    EXPECT_FALSE(hoping.kind == ComputerMove::ReplaceDraw &&
                 (hoping.position == 1 || hoping.position == 2));
    int q = 0;
    for (int code : {12, 25, 38, 51}) // four decks: sixteen queens, two in the grid
        for (int deck = 0; deck < 4 && q < 14; ++deck, ++q) t.discardPile[++t.discardCount] = code;
    const ComputerMove resigned = chooseAfterDraw(BotLevel::Expert, t, 1, random);
    EXPECT_EQ(resigned.kind, ComputerMove::ReplaceDraw);
    EXPECT_TRUE(resigned.position == 1 || resigned.position == 2) << resigned.position;
}
