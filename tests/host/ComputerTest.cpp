// The computer players' choices on hand-made grids. Seat 1 is a computer seat; an onlooker in
// slot 5 sees the move the computer made. Scripted picks fix the low-card limit (4 + pick) and
// the start of the circular search.
#include "HostSupport.h"

#include <gtest/gtest.h>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class ComputerTest : public ::testing::Test {
protected:
    RecordingOutbox out;
    ScriptedRandom random{17};
    Engine engine{out, random};
    Table& t = engine.table;

    void SetUp() override {
        t.slotCount = 5;
        t.seats[5].inUse = true;
        t.gameRunning = true;
        for (int s = 1; s <= 4; ++s) t.seats[s].inGame = true;
        t.currentPlayer = 1;
        t.turnState = TurnState::Choose;
        t.drawLimit = 224;
        t.drawPos = 40;
        for (int c = 41; c <= 224; ++c) t.drawPile[c] = 8;
        // The others' grids are face down: estimated at 5 a card.
        for (int s = 2; s <= 4; ++s) setGrid(t.seats[s], {1, 2, 3, 4, 5, 6, 7, 8, 9}, allDown);
    }
    void grid(std::array<int, 9> codes, std::array<int, 9> up) { setGrid(t.seats[1], codes, up); }
    void discardTop(int code) {
        t.discardCount = 1;
        t.discardPile[1] = code;
    }
    // Plays seat 1's turn from its start; returns what the onlooker saw.
    QString play() {
        t.turnState = TurnState::Choose;
        out.clear();
        engine.computerplay(1);
        return out.to(5).join(u' ');
    }
    // Seat 1 has drawn `code`; finishes the turn.
    QString drew(int code) {
        t.turnState = TurnState::Draw;
        t.drawPos = 41;
        t.drawPile[41] = code;
        out.clear();
        engine.computerdrew(1);
        return out.to(5).join(u' ');
    }
};

constexpr int K = 13, Q = 12, A = 1, J = 53;

} // namespace

TEST_F(ComputerTest, AKingOrAJokerIsNeverPairedButReplacesTheHighestUnprotectedCard) {
    // A face-up 9 and nothing else: the king replaces it.
    grid({9, 2, 3, 4, 5, 6, 7, 8, 10}, {1, 0, 0, 0, 0, 0, 0, 0, 0});
    discardTop(K);
    EXPECT_EQ(play(), "CMD_replaceadiscard+1+1+9+13+");
    grid({9, 2, 3, 4, 5, 6, 7, 8, 10}, {1, 0, 0, 0, 0, 0, 0, 0, 0});
    discardTop(J);
    EXPECT_EQ(play(), "CMD_replaceadiscard+1+1+9+53+");

    // A face-up king with face-down partners: pairing would pick position 2; the king goes
    // where the circular search lands instead (start 3: position 4).
    grid({K, 2, 3, 4, 5, 6, 7, 8, 10}, {1, 0, 0, 0, 0, 0, 0, 0, 0});
    discardTop(26);
    random.script = {0, 3};
    EXPECT_EQ(play(), "CMD_replaceadiscard+1+4+4+26+");

    // The highest card is a pair worth finishing: protected, so the king goes face down.
    grid({9, 22, 3, 4, 5, 6, 7, 8, 10}, {1, 1, 0, 0, 0, 0, 0, 0, 0});
    discardTop(K);
    random.script = {0, 1}; // the search looks at 2 (face up), then 3
    EXPECT_EQ(play(), "CMD_replaceadiscard+1+3+3+13+");
}

TEST_F(ComputerTest, TheCircularSearchWrapsFromNineToOne) {
    grid({9, K, 2, K, 2, K, 2, K, 2}, {0, 1, 1, 1, 1, 1, 1, 1, 1}); // nothing above 2 face up
    discardTop(A);
    random.script = {0, 7}; // looks at 8 and 9 (face up), then 1
    EXPECT_EQ(play(), "CMD_replaceadiscard+1+1+9+1+");
}

TEST_F(ComputerTest, AQueenOnTheDiscardPileIsNeverTaken) {
    grid({Q, 10, 3, 4, 5, 6, 7, 8, 9}, {1, 1, 0, 0, 0, 0, 0, 0, 0});
    discardTop(25); // another queen: no pairing for 25, not below 6, not below any limit
    for (int limit : {0, 1, 2}) {
        random.script = {limit, 0};
        EXPECT_EQ(play(), ""); // a draw is told only to the drawer, and nobody sits here
        EXPECT_EQ(t.turnState, TurnState::Draw);
        EXPECT_TRUE(engine.computertimer.enabled);
        EXPECT_EQ(engine.computertimer.action, 2);
    }
}

TEST_F(ComputerTest, ADrawnSixGoesFaceDownADrawnSevenIsDiscarded) {
    grid({A, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 0, 0, 0, 0, 0, 0, 0, 0});
    random.script = {4}; // search from 5
    EXPECT_EQ(drew(19), "CMD_replaceadraw+1+5+5+19+");
    grid({A, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 0, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(drew(20), "CMD_discardadrawn+1+20+");
}

TEST_F(ComputerTest, TheLastFaceDownPositionIsFilledOnlyWhenNobodySeemsLower) {
    // Aces finished in column 1; 2, K, A in column 2; 2, K and the last face-down card in
    // column 3. Estimated 5; the others sit at 45 each.
    const std::array<int, 9> codes{A, 14, 27, 2, K, A, 2, K, 9};
    const std::array<int, 9> up{1, 1, 1, 1, 1, 1, 1, 1, 0};
    grid(codes, up);
    EXPECT_EQ(drew(4), "CMD_discardadrawn+1+4+"); // a 4 would end the round: too high
    grid(codes, up);
    EXPECT_EQ(drew(3), "CMD_replaceadraw+1+9+9+3+");

    // Seat 2 shows three columns of kings: estimated 0, below seat 1's 5.
    setGrid(t.seats[2], {K, 26, 39, 52, K, 26, 39, 52, K}, allUp);
    grid(codes, up);
    EXPECT_EQ(drew(3), "CMD_discardadrawn+1+3+");
    // A card that pairs a column goes there without that comparison.
    grid(codes, up);
    EXPECT_EQ(drew(15), "CMD_replaceadraw+1+9+9+15+");

    // Once somebody has gone out, the comparison and the limit are off.
    t.wentOut = 2;
    grid(codes, up);
    EXPECT_EQ(drew(3), "CMD_replaceadraw+1+9+9+3+");
    grid(codes, up);
    EXPECT_EQ(drew(4), "CMD_replaceadraw+1+9+9+4+");
}

TEST_F(ComputerTest, PairsAreProtectedUntilSomebodyHasGoneOut) {
    const std::array<int, 9> codes{9, 22, 3, 4, 5, 6, 7, 8, 10};
    const std::array<int, 9> up{1, 1, 0, 0, 0, 0, 0, 0, 0};
    grid(codes, up);
    discardTop(5);
    random.script = {0}; // limit 4: a 5 is not laid face down
    EXPECT_EQ(play(), "");
    EXPECT_EQ(t.turnState, TurnState::Draw);

    t.wentOut = 3;
    grid(codes, up);
    discardTop(5);
    EXPECT_EQ(play(), "CMD_replaceadiscard+1+1+9+5+");
}

TEST_F(ComputerTest, AFinishedColumnIsNeverBrokenUp) {
    const std::array<int, 9> codes{10, 23, 36, 4, 5, 6, 7, 8, 9};
    const std::array<int, 9> up{1, 1, 1, 0, 0, 0, 0, 0, 0};
    for (int out : {0, 2}) {
        t.wentOut = out;
        grid(codes, up);
        discardTop(A);
        random.script = {0, 0}; // search from 1: the column is skipped, 4 is face down
        EXPECT_EQ(play(), "CMD_replaceadiscard+1+4+4+1+") << "wentOut " << out;
        grid(codes, up);
        random.script = {0};
        EXPECT_EQ(drew(2), "CMD_replaceadraw+1+4+4+2+") << "wentOut " << out;
    }
}

TEST_F(ComputerTest, WithEveryCardFaceUpTheSearchFindsNothing) {
    // Three finished columns: nothing may be replaced.
    const std::array<int, 9> codes{A, 14, 27, 2, 15, 28, 3, 16, 29};
    grid(codes, allUp);
    discardTop(4);
    random.script = {2, 0}; // limit 6: the 4 would go face down if there were a place
    EXPECT_EQ(play(), "");
    EXPECT_EQ(t.turnState, TurnState::Draw);
    grid(codes, allUp);
    EXPECT_EQ(drew(5), "CMD_discardadrawn+1+5+");
}

TEST_F(ComputerTest, TheHighestFaceUpCardSkipsALaterCardBetweenEqualPartners) {
    // 9 first; the 10 at 5 sits between two face-up 4s and is skipped; the 8 at 7 is lower.
    grid({9, 2, 3, 4, 10, 17, 8, 6, 7}, {1, 0, 0, 1, 1, 1, 1, 0, 0});
    EXPECT_EQ(engine.computergethighest(1), 1);
    grid({9, 2, 3, 4, 10, 18, 8, 6, 7}, {1, 0, 0, 1, 1, 1, 1, 0, 0});
    EXPECT_EQ(engine.computergethighest(1), 5);
    // Pairing: a face-up 4 with face-down partners asks for the first partner.
    EXPECT_EQ(engine.computermatch(1, 4), 0); // 4 at 4 has both partners up: 10 and 5
    grid({9, 2, 3, 4, 10, 18, 8, 6, 7}, {1, 0, 0, 1, 0, 0, 0, 0, 0});
    EXPECT_EQ(engine.computermatch(1, 4), 5);
    EXPECT_EQ(engine.computermatch(1, 9), 2);
    EXPECT_EQ(engine.computermatch(1, 0), 0);
}
