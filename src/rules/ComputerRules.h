#pragma once
// The computer players' rules as decisions: each looks at a table and a generator and says what
// the seat would do, without moving a card. The host's empty seats and a networked bot share them.
//
// A decision reads only seats[i].cards (faceUp everywhere, code where face up), seats[i].inGame,
// discardTop(), drawnCard() and wentOut; face-down codes and every other field never matter.
// Generator use is part of the result: the same table and generator state give the same picks.

// own
#include "rules/Model.h"

// std
#include <optional>
#include <string_view>

namespace pelvo {

struct ComputerMove {
    enum Kind { None, Flip, DrawCard, ReplaceDiscard, ReplaceDraw, DiscardDrawn };
    Kind kind = None;
    int position = 0; // grid position 1..9 for Flip, ReplaceDiscard and ReplaceDraw, else 0

    friend bool operator==(const ComputerMove&, const ComputerMove&) = default;
};

// How well a computer seat plays: Classic is the simple greedy game, Expert (ExpertRules.h)
// weighs every move by its expected score.
enum class BotLevel { Classic, Expert };

// "Classic" or "Expert".
const char* botLevelName(BotLevel level);
// "classic" or "expert", in any case; nothing for anything else.
std::optional<BotLevel> botLevelFromName(std::string_view name);

namespace expert {
class SeenCards;
}

// The decisions below, made at a level. An Expert decision takes the cards seen from `seen`
// when given (see expert::SeenCards), else counts them.
ComputerMove chooseFlip(BotLevel level, const Table& table, int seat, Random& random);
ComputerMove choosePlay(BotLevel level, const Table& table, int seat, Random& random,
                        const expert::SeenCards* seen = nullptr);
ComputerMove chooseAfterDraw(BotLevel level, const Table& table, int seat, Random& random,
                             const expert::SeenCards* seen = nullptr);

// All three return None, without a pick, for a seat outside 1..4.
//
// One opening flip: a face-down position picked at random; None (and no pick) when every card
// is face up. Whether the seat still has flips to make is the caller's to know.
ComputerMove chooseFlip(const Table& table, int seat, Random& random);
// The start of a turn: ReplaceDiscard to take the discard pile's top card, else DrawCard.
ComputerMove choosePlay(const Table& table, int seat, Random& random);
// With table.drawnCard() in hand: ReplaceDraw to lay it down, else DiscardDrawn.
ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random);

// The rules the decisions are made of, by seat and point value.
namespace computer {
// A position where a card worth `value` pairs a face-up card of the same column, else 0.
int computermatch(const Table& table, int seat, int value);
// The face-up position of highest value not between a pair, else 0 (the first face-up card
// counts even between a pair).
int computergethighest(const Table& table, int seat);
// A face-up card that must stay: its column is finished, or it is paired while more than two
// cards are face down and nobody has gone out.
bool computervertcomplete(const Table& table, int seat, int position);
// Whether a card worth `value` may go to `position`. Unless `firm` or somebody has gone out, a
// card that would be the grid's last must be low and leave the seat lowest by estimate.
bool computershouldplace(const Table& table, int seat, int position, bool firm, int value);
// The seat's score counting only face-up cards.
int computergetscores(const Table& table, int seat);
// Face-down cards left in the seat's grid.
inline int empty(const Table& table, int seat) {
    return table.seats[seat].faceDownCount();
}
// The first face-down position from a random start, wrapping from 9 to 1; 0 when none is left.
// Always makes one pick.
int circularSearch(const Table& table, int seat, Random& random);
} // namespace computer

} // namespace pelvo
