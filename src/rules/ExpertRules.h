#pragma once
// The "Expert" computer players: the same three decisions as the classic ones, made by weighing
// every legal move by the seat's expected round score.
//
// A decision reads only what a seated player sees: face-up cards of every seat in the game
// (seats[i].cards where faceUp, seats[i].inGame), the whole discard pile (every card on it was
// shown face up when it was thrown), the card in hand (drawnCard(), after a draw only) and
// wentOut. Face-down codes, the draw pile and every other field never matter. The generator is
// used for the opening flips and, when every seat is down to one face-down card, to go out now
// and then rather than wait for ever.

// own
#include "rules/ComputerRules.h"

// std
#include <array>
#include <cstddef>

namespace pelvo::expert {

// The cards every seated player has seen this round, by point value: the face-up cards of the
// seats in the game and the whole discard pile. A host keeps one up to date as cards move, so
// that a decision need not count them again; anyone else counts them from the table.
class SeenCards {
public:
    static SeenCards countedFrom(const Table& table);
    // A card comes into sight: turned face up at a seat in the game, or thrown away. Cells
    // without a card count nothing.
    void show(int code);
    // A card leaves sight: covered, taken from the discard pile or shuffled back into the shoe.
    void hide(int code);
    // Cards seen of each point value, lowest first: kind 0 the joker (-2), 1 the king (0), 2 to
    // 11 ace to ten, 12 the jack (15), 13 the queen (25).
    static constexpr int Kinds = 14;
    int count(int kind) const { return byKind_[std::size_t(kind)]; }
    friend bool operator==(const SeenCards&, const SeenCards&) = default;

private:
    std::array<int, Kinds + 1> byKind_{}; // the last entry takes the cells without a card
};

// All three return None, without a pick, for a seat outside 1..4.
ComputerMove chooseFlip(const Table& table, int seat, Random& random);
ComputerMove choosePlay(const Table& table, int seat, Random& random);
ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random);
// The same, with the cards seen kept up to date by the caller: they must equal
// SeenCards::countedFrom(table).
ComputerMove choosePlay(const Table& table, int seat, Random& random, const SeenCards& seen);
ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random, const SeenCards& seen);

} // namespace pelvo::expert
