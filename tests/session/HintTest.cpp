// The hint: the Expert's move for what this window may see. Random positions of every phase are
// dealt as a host holds them; the window's view of each gets the hint, which must be the move the
// Expert makes on the host's own table, and must stay the same whatever the face-down cards are.
#include "bot/Hint.h"
#include "rules/ExpertRules.h"

#include <gtest/gtest.h>

#include <random>

using namespace pelvo;

namespace {

enum class Phase { Flip, Choose, Drawn, DiscardTaken };

struct Position {
    Table host;   // what the host holds, hidden cards and all
    int seat = 1; // the window's own seat
    Phase phase = Phase::Choose;
};

int randomCode(std::mt19937& gen) {
    return std::uniform_int_distribution<int>(1, Joker)(gen);
}

Position randomPosition(std::mt19937& gen) {
    Position pos;
    Table& t = pos.host;
    pos.seat = std::uniform_int_distribution<int>(1, 4)(gen);
    pos.phase = Phase(std::uniform_int_distribution<int>(0, 3)(gen));
    const bool someoneOut = pos.phase != Phase::Flip && gen() % 5 == 0;
    for (int s = 1; s <= 4; ++s) {
        Seat& seat = t.seats[std::size_t(s)];
        seat.inGame = s <= 2 || gen() % 3 != 0 || s == pos.seat;
        const int up = pos.phase == Phase::Flip && s == pos.seat
                           ? std::uniform_int_distribution<int>(0, 1)(gen)
                           : std::uniform_int_distribution<int>(2, 9)(gen);
        for (int g = 1; g <= 9; ++g) seat.cards[std::size_t(g)] = {randomCode(gen), 0};
        // A few columns of equal cards, as games make them.
        if (gen() % 3 == 0) {
            const int col = int(gen() % 3) * 3 + 1;
            const int code = randomCode(gen);
            for (int g = col; g < col + 3; ++g) seat.cards[std::size_t(g)].code = code;
        }
        std::vector<int> order{1, 2, 3, 4, 5, 6, 7, 8, 9};
        std::shuffle(order.begin(), order.end(), gen);
        for (int i = 0; i < up; ++i) seat.cards[std::size_t(order[std::size_t(i)])].faceUp = 1;
    }
    if (someoneOut) {
        const int out = pos.seat % 4 + 1;
        t.seats[std::size_t(out)].inGame = true;
        for (int g = 1; g <= 9; ++g) t.seats[std::size_t(out)].cards[std::size_t(g)].faceUp = 1;
        t.wentOut = out;
    }
    t.discardPile[1] = randomCode(gen);
    t.discardCount = 1;
    t.currentPlayer = pos.seat;
    if (pos.phase == Phase::Drawn) {
        t.drawPile[5] = randomCode(gen);
        t.drawPos = 5;
    }
    return pos;
}

// The host's table as this window knows it: its own dealt codes without faces where down.
TableModel windowView(const Position& pos) {
    const Table& t = pos.host;
    TableModel view;
    view.roundShown = true;
    view.round = 1;
    view.rounds = 5;
    for (int s = 1; s <= 4; ++s) {
        const Seat& seat = t.seats[std::size_t(s)];
        SeatModel& m = view.seats[std::size_t(s)];
        m.playing = seat.inGame;
        m.occupant = Occupant::Computer;
        m.defaultName = QStringLiteral("Seat%1").arg(s);
        for (int g = 1; g <= 9; ++g) {
            const Cell& c = seat.cards[std::size_t(g)];
            m.cards[std::size_t(g)].picture = seat.inGame ? (c.faceUp ? c.code : 0) : -1;
            if (s == pos.seat) m.cards[std::size_t(g)].code = c.code;
        }
    }
    view.discardPicture = t.discardTop();
    view.turnSeat = pos.seat;
    view.turnMarkerSeat = pos.seat;
    view.wentOut = t.wentOut;
    view.flipsLeft = pos.phase == Phase::Flip ? 2 : 0;
    if (pos.phase == Phase::Drawn) {
        view.drawPicture = t.drawnCard();
        view.drawInHand = true;
        view.drawPick = Pick::Picked;
    }
    if (pos.phase == Phase::DiscardTaken) {
        view.discardPick = Pick::Picked;
        view.discardInHand = true;
    }
    return view;
}

// The Expert's own move at the host, as a hint's kind and place.
std::pair<Hint::Kind, int> hostExpert(const Position& pos) {
    Random random(hintSeed);
    switch (pos.phase) {
    case Phase::Flip: {
        const ComputerMove m = expert::chooseFlip(pos.host, pos.seat, random);
        return {Hint::Kind::Flip, m.position};
    }
    case Phase::Choose: {
        const ComputerMove m = expert::choosePlay(pos.host, pos.seat, random);
        return m.kind == ComputerMove::ReplaceDiscard
                   ? std::pair{Hint::Kind::TakeDiscard, m.position}
                   : std::pair{Hint::Kind::Draw, 0};
    }
    case Phase::Drawn: {
        const ComputerMove m = expert::chooseAfterDraw(pos.host, pos.seat, random);
        return m.kind == ComputerMove::ReplaceDraw ? std::pair{Hint::Kind::PlaceDrawn, m.position}
                                                   : std::pair{Hint::Kind::ThrowDrawn, 0};
    }
    case Phase::DiscardTaken:
        break;
    }
    return {Hint::Kind::PlaceDrawn, -1}; // no host decision: checked on its own
}

// Every face-down card of every seat, and the draw pile under the card in hand, dealt anew.
void reshuffleHidden(Position& pos, std::mt19937& gen) {
    for (int s = 1; s <= 4; ++s)
        for (int g = 1; g <= 9; ++g) {
            Cell& c = pos.host.seats[std::size_t(s)].cards[std::size_t(g)];
            if (!c.faceUp) c.code = randomCode(gen);
        }
    for (int cell = 1; cell <= PileCells; ++cell)
        if (cell != pos.host.drawPos) pos.host.drawPile[std::size_t(cell)] = randomCode(gen);
}

TEST(Hint, IsTheExpertsMoveAndNeverDependsOnHiddenCards) {
    std::mt19937 gen(20261209);
    int kinds[6] = {};
    for (int round = 0; round < 3000; ++round) {
        Position pos = randomPosition(gen);
        const Hint hint = expertHint(windowView(pos), pos.seat);
        ASSERT_NE(hint.kind, Hint::Kind::Unavailable) << round << ": " << hint.text.toStdString();
        ++kinds[int(hint.kind)];
        const auto [kind, position] = hostExpert(pos);
        if (position >= 0) {
            EXPECT_EQ(hint.kind, kind) << round << ": " << hint.text.toStdString();
            EXPECT_EQ(hint.position, position) << round << ": " << hint.text.toStdString();
        } else {
            // A discard in hand goes somewhere in the grid.
            EXPECT_EQ(hint.kind, Hint::Kind::PlaceDrawn);
            EXPECT_TRUE(hint.position >= 1 && hint.position <= 9) << round;
        }
        const bool placed = hint.kind == Hint::Kind::Flip || hint.kind == Hint::Kind::TakeDiscard ||
                            hint.kind == Hint::Kind::PlaceDrawn;
        EXPECT_EQ(placed, hint.position != 0) << round;
        EXPECT_FALSE(hint.text.isEmpty());

        for (int again = 0; again < 3; ++again) {
            reshuffleHidden(pos, gen);
            ASSERT_EQ(expertHint(windowView(pos), pos.seat), hint) << round << "/" << again;
        }
    }
    // Every kind of advice came up.
    for (int k = 1; k < 6; ++k) EXPECT_GT(kinds[k], 20) << "kind " << k;
}

TEST(Hint, SaysWhyInWords) {
    Position pos;
    pos.seat = 1;
    pos.phase = Phase::Choose;
    Table& t = pos.host;
    for (int s = 1; s <= 2; ++s) {
        t.seats[std::size_t(s)].inGame = true;
        for (int g = 1; g <= 9; ++g) t.seats[std::size_t(s)].cards[std::size_t(g)] = {10, 0};
    }
    // Two 7s in the left column; a 7 of hearts on the discard pile completes it.
    t.seats[1].cards[1] = {7, 1};
    t.seats[1].cards[2] = {20, 1};
    t.seats[1].cards[4] = {2, 1};
    t.discardPile[1] = 33;
    t.discardCount = 1;
    Hint hint = expertHint(windowView(pos), 1);
    EXPECT_EQ(hint.kind, Hint::Kind::TakeDiscard);
    EXPECT_EQ(hint.position, 3);
    EXPECT_EQ(hint.text.toStdString(), "Take the 7 of hearts from the discard pile and put it at "
                                       "row 3 column 1: it completes the column, which then "
                                       "counts nothing.");

    // A queen on the discard pile is left there.
    t.seats[1].cards[4] = {12, 1};
    t.discardPile[1] = 25;
    hint = expertHint(windowView(pos), 1);
    EXPECT_EQ(hint.kind, Hint::Kind::Draw);
    EXPECT_EQ(hint.text.toStdString(), "Draw a card: the queen of diamonds on the discard pile "
                                       "would not lower your score enough.");

    // A drawn joker goes over the queen.
    pos.phase = Phase::Drawn;
    t.drawPile[3] = Joker;
    t.drawPos = 3;
    hint = expertHint(windowView(pos), 1);
    EXPECT_EQ(hint.kind, Hint::Kind::PlaceDrawn);
    EXPECT_EQ(hint.position, 4);
    EXPECT_EQ(hint.text.toStdString(),
              "Put the drawn joker at row 1 column 2: it is worth 27 less than the queen of "
              "clubs it replaces.");
}

TEST(Hint, AnswersPlainlyWhenTheMoveIsNotThePlayers) {
    std::mt19937 gen(7);
    Position pos = randomPosition(gen);
    pos.phase = Phase::Choose;
    TableModel view = windowView(pos);
    const auto text = [](const Hint& h) {
        EXPECT_EQ(h.kind, Hint::Kind::Unavailable);
        EXPECT_EQ(h.position, 0);
        return h.text.toStdString();
    };
    EXPECT_EQ(text(expertHint(view, 6)), "Hints are for the players at the table.");
    EXPECT_EQ(text(expertHint(view, 0)), "Hints are for the players at the table.");

    TableModel other = view;
    other.turnSeat = pos.seat % 4 + 1;
    other.turnMarkerSeat = other.turnSeat;
    other.seats[std::size_t(other.turnSeat)].playing = true;
    EXPECT_EQ(text(expertHint(other, pos.seat)),
              QStringLiteral("It is Seat%1's turn, not yours.").arg(other.turnSeat).toStdString());
    other.turnMarkerSeat = 0; // between two turns
    EXPECT_EQ(text(expertHint(other, pos.seat)), "It is not your turn.");

    TableModel watching = view;
    watching.justWatching = true;
    EXPECT_EQ(text(expertHint(watching, pos.seat)),
              "The computer plays your seat while you just watch.");
    TableModel over = view;
    over.winnerText = QStringLiteral("You have Won the Game!");
    EXPECT_EQ(text(expertHint(over, pos.seat)), "The game is over.");
    TableModel flipped = view; // both opening cards asked for; the first turn is not given yet
    flipped.turnMarkerSeat = 0;
    flipped.askedToFlip.set(1).set(5);
    EXPECT_EQ(text(expertHint(flipped, pos.seat)),
              "Wait until every seat has turned its opening cards.");
    TableModel sittingOut = view;
    sittingOut.seats[std::size_t(pos.seat)].playing = false;
    EXPECT_EQ(text(expertHint(sittingOut, pos.seat)), "You are not playing a round now.");
}

} // namespace
