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

namespace pelvo::expert {

// All three return None, without a pick, for a seat outside 1..4.
ComputerMove chooseFlip(const Table& table, int seat, Random& random);
ComputerMove choosePlay(const Table& table, int seat, Random& random);
ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random);

} // namespace pelvo::expert
