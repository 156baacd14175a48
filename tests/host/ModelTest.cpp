// The card and table model: the shoe, the deal, point values and the rebuilt draw pile.
#include "HostSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

using namespace pelvo;
using namespace pelvo::test;

namespace {

std::map<int, int> countCodes(const int* first, const int* last) {
    std::map<int, int> counts;
    for (const int* p = first; p != last; ++p) ++counts[*p];
    return counts;
}

} // namespace

TEST(Model, ShuffleFillsFourDecksWithJokersAndStartsTheDiscardFromCellOne) {
    Table t;
    Random random(42);
    t.turnState = TurnState::Wait;
    t.discardPile[7] = 12; // leftovers of an earlier round must go
    shufflecards(t, random);

    const auto counts = countCodes(&t.drawPile[1], &t.drawPile[PileCells] + 1);
    for (int code = 1; code <= 52; ++code) EXPECT_EQ(counts.at(code), 4) << "code " << code;
    EXPECT_EQ(counts.at(Joker), 16);
    EXPECT_EQ(counts.count(0), 0u);

    EXPECT_EQ(t.discardCount, 1);
    EXPECT_EQ(t.discardPile[1], t.drawPile[1]);
    EXPECT_EQ(std::count(t.discardPile.begin() + 2, t.discardPile.end(), 0), PileCells - 1);
    EXPECT_EQ(t.drawPos, 1);
    EXPECT_EQ(t.drawLimit, 224);
    EXPECT_EQ(t.turnState, TurnState::Flip);
}

TEST(Model, TheDealNumberIsTheSeed) {
    Table a, b, c;
    Random ra(7), rb(7), rc(8);
    shufflecards(a, ra);
    shufflecards(b, rb);
    shufflecards(c, rc);
    EXPECT_EQ(a.drawPile, b.drawPile);
    EXPECT_NE(a.drawPile, c.drawPile);
}

TEST(Model, ConvertGivesPointValuesOfAllCodesAndKeepsPointValues) {
    const int rankValue[13] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 25};
    for (int code = 1; code <= 52; ++code)
        EXPECT_EQ(convert(code), rankValue[code % 13]) << "code " << code;
    EXPECT_EQ(convert(Joker), -2);
    EXPECT_EQ(convert(0), 0);
    // The listed examples: joker, king of clubs, ace of hearts, 7 of spades, jack of diamonds,
    // queen of hearts.
    EXPECT_EQ(convert(53), -2);
    EXPECT_EQ(convert(13), 0);
    EXPECT_EQ(convert(27), 1);
    EXPECT_EQ(convert(46), 7);
    EXPECT_EQ(convert(24), 15);
    EXPECT_EQ(convert(38), 25);
    // Values that are already points stay what they are (the joker's -2 included).
    for (int v : {-2, 0, 1, 5, 10, 25}) EXPECT_EQ(convert(v), v);
    EXPECT_EQ(convert(15), 2); // but a jack's 15 reads as code 15, a 2
}

// Every suited code names one rank of one suit, each pair once, and its points follow the rank;
// the joker and "no card" name none.
TEST(Model, CardCodesAreRankAndSuitOnce) {
    const int rankPoints[King + 1] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 25, 0};
    std::set<std::pair<int, int>> seen;
    for (int code = 1; code <= 52; ++code) {
        const int rank = rankOf(code);
        ASSERT_TRUE(rank >= Ace && rank <= King) << code;
        EXPECT_TRUE(seen.insert({rank, int(suitOf(code))}).second) << code;
        EXPECT_EQ(points(code), rankPoints[rank]) << code;
        EXPECT_EQ(isCourt(code), rank >= Jack) << code;
    }
    EXPECT_EQ(suitOf(1), Suit::Clubs);
    EXPECT_EQ(suitOf(14), Suit::Diamonds);
    EXPECT_EQ(suitOf(37), Suit::Hearts);
    EXPECT_EQ(rankOf(51), Queen);
    EXPECT_EQ(suitOf(52), Suit::Spades);
    for (int code : {NoCard, Joker, -1, 54}) EXPECT_EQ(rankOf(code), 0) << code;
}

TEST(Model, ReshuffleTurnsThirtyDiscardsIntoTheDrawPile) {
    Table t;
    Random random(3);
    t.drawPile.fill(9);
    std::vector<int> discards;
    for (int d = 1; d <= 30; ++d) {
        t.discardPile[d] = (d * 7) % 53 + 1;
        discards.push_back(t.discardPile[d]);
    }
    t.discardCount = 30;
    t.drawPos = 225;
    reshuffle(t, random);

    EXPECT_EQ(t.drawLimit, 30);
    EXPECT_EQ(t.drawPos, 1);
    EXPECT_EQ(t.discardCount, 0);
    EXPECT_EQ(t.discardTop(), 0);
    std::vector<int> drawn(t.drawPile.begin() + 1, t.drawPile.begin() + 31);
    std::sort(drawn.begin(), drawn.end());
    std::sort(discards.begin(), discards.end());
    EXPECT_EQ(drawn, discards);
    EXPECT_TRUE(
        std::all_of(t.drawPile.begin() + 31, t.drawPile.end(), [](int c) { return c == 0; }));
    EXPECT_TRUE(
        std::all_of(t.discardPile.begin(), t.discardPile.end(), [](int c) { return c == 0; }));
}

TEST(Model, DealGivesNineConsecutiveCellsPerSeatAndSkipsSeatsOutOfTheGame) {
    RecordingOutbox out;
    Random random(11);
    Engine engine(out, random);
    Table& t = engine.table;
    const int a = join(engine, "Anna"), b = join(engine, "Bo");
    ASSERT_EQ(a, 1);
    ASSERT_EQ(b, 2);
    t.gameRunning = true;
    t.seats[1].inGame = t.seats[2].inGame = true;
    t.seats[3].inGame = t.seats[4].inGame = false;
    t.seats[3].flipsLeft = 1; // stale from an earlier game
    t.seats[4].cards[5] = Cell{17, 1};
    shufflecards(t, random);
    const auto pile = t.drawPile;
    out.clear();
    engine.dealcards();

    for (int p = 1; p <= 9; ++p) {
        EXPECT_EQ(t.seats[1].cards[p].code, pile[1 + p]);
        EXPECT_EQ(t.seats[2].cards[p].code, pile[10 + p]);
        EXPECT_EQ(t.seats[1].cards[p].faceUp, 0);
        EXPECT_EQ(t.seats[3].cards[p].code, 0);
        EXPECT_EQ(t.seats[4].cards[p].code, 0);
        EXPECT_EQ(t.seats[4].cards[p].faceUp, 0);
    }
    for (int cell = 2; cell <= 19; ++cell) EXPECT_EQ(t.drawPile[cell], 0);
    EXPECT_EQ(t.drawPile[20], pile[20]);
    EXPECT_EQ(t.drawPos, 19);
    EXPECT_EQ(t.seats[1].flipsLeft, 2);
    EXPECT_EQ(t.seats[3].flipsLeft, 1);

    // Each seat gets only its own cards, position by position, no "+" at the end.
    msg::Grid grid1, grid2;
    for (int p = 1; p <= 9; ++p) {
        grid1[p - 1] = pile[1 + p];
        grid2[p - 1] = pile[10 + p];
    }
    ASSERT_EQ(out.sent.size(), 2u);
    EXPECT_EQ(out.sent[0].slot, 1);
    EXPECT_EQ(out.sent[0].frame, msg::mycards(1, grid1));
    EXPECT_EQ(out.sent[1].slot, 2);
    EXPECT_EQ(out.sent[1].frame, msg::mycards(2, grid2));
}

TEST(Model, FourSeatsTakeCellsTwoToThirtySeven) {
    RecordingOutbox out;
    Random random(5);
    Engine engine(out, random);
    Table& t = engine.table;
    for (int s = 1; s <= 4; ++s) t.seats[s].inGame = true;
    t.gameRunning = true;
    shufflecards(t, random);
    const auto pile = t.drawPile;
    engine.dealcards(); // nobody connected: the computer flips, and no seat is sent cards
    for (int s = 1; s <= 4; ++s)
        for (int p = 1; p <= 9; ++p) EXPECT_EQ(t.seats[s].cards[p].code, pile[1 + 9 * (s - 1) + p]);
    EXPECT_EQ(t.drawPos, 37);
    EXPECT_TRUE(out.sent.empty());
}
