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

// What every seated player has seen this round: the face-up cards of the seats in the game and
// the whole discard pile, by point value, and each grid's face-up cards by position.
// A host keeps one up to date as cards move, so that a decision need not count them again;
// anyone else counts them from the table.
class SeenCards {
public:
    SeenCards();
    static SeenCards countedFrom(const Table& table);
    // Cards are told apart by point value, lowest first: kind 0 the joker (-2), 1 the king (0),
    // 2 to 11 ace to ten, 12 the jack (15), 13 the queen (25). NoKind for a cell without a card.
    static constexpr int Kinds = 14;
    static constexpr int NoKind = -1;
    static constexpr int kindOf(int code) {
        return unsigned(code - 1) < unsigned(Joker) ? codeKinds_[std::size_t(code)] : NoKind;
    }

    // A card is thrown on the discard pile, or leaves it (taken, or shuffled back into the
    // shoe). A cell without a card counts nothing. Inline: the host calls these at every move.
    void show(int code) {
        if (const int k = kindOf(code); k != NoKind) ++byKind_[std::size_t(k)];
    }
    void hide(int code) {
        if (const int k = kindOf(code); k != NoKind) --byKind_[std::size_t(k)];
    }
    // A cell of a seat's grid changes from `was` to `now`. Face-up cards of a seat in the game
    // are counted; those of any other seat only make its grid less face down.
    void cellChanged(int seat, int position, const Cell& was, const Cell& now, bool inGame) {
        const int before = was.faceUp ? kindOf(was.code) : NoKind;
        const int after = now.faceUp ? kindOf(now.code) : NoKind;
        faceDown_[std::size_t(seat)] += int(before != NoKind) - int(after != NoKind);
        grids_[std::size_t(seat)][std::size_t(position)] = after;
        if (!inGame) return;
        if (before != NoKind) --byKind_[std::size_t(before)];
        if (after != NoKind) ++byKind_[std::size_t(after)];
    }

    int count(int kind) const { return byKind_[std::size_t(kind)]; }
    // Cells of seat 1..4 that show no card, face down or empty.
    int faceDown(int seat) const { return faceDown_[std::size_t(seat)]; }
    // The kind shown at each position 1..9 of seat 1..4's grid; NoKind where no card shows.
    using GridKinds = std::array<int, GridCells + 1>;
    const GridKinds& grid(int seat) const { return grids_[std::size_t(seat)]; }
    friend bool operator==(const SeenCards&, const SeenCards&) = default;

private:
    static constexpr std::array<int, Joker + 1> codeKinds_ = [] {
        std::array<int, Joker + 1> kinds{};
        for (int code = 1; code <= Joker; ++code) {
            const int value = points(code);
            kinds[std::size_t(code)] = value == -2   ? 0
                                       : value == 0  ? 1
                                       : value == 15 ? 12
                                       : value == 25 ? 13
                                                     : value + 1;
        }
        return kinds;
    }();
    std::array<int, Kinds> byKind_{};
    std::array<int, Seats + 1> faceDown_{0, GridCells, GridCells, GridCells, GridCells};
    std::array<GridKinds, Seats + 1> grids_{};
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
