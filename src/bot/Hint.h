#pragma once
// A hint for the player at this window: what the Expert computer player would do now, made by
// the same decisions the computer players make, from what this client may see (face-down cards
// stay unknown, the player's own included), with the reason in a few words.

// own
#include "session/TableModel.h"

// Qt
#include <QString>

// std
#include <cstdint>

namespace pelvo {

struct Hint {
    enum class Kind {
        Unavailable, // no move is this player's to make now; the text says why
        Flip,        // turn the card at `position`
        TakeDiscard, // take the discard pile's top card to `position`
        Draw,        // draw from the draw pile
        PlaceDrawn,  // lay the card in hand at `position`
        ThrowDrawn,  // throw the drawn card onto the discard pile
    };
    Kind kind = Kind::Unavailable;
    int position = 0; // own grid position 1..9 for Flip, TakeDiscard and PlaceDrawn, else 0
    QString text;     // one or two short sentences: the move, then why

    friend bool operator==(const Hint&, const Hint&) = default;
};

// The generator state every hint starts from: asked twice about one position, the hint says
// the same.
inline constexpr std::uint64_t hintSeed = 0x5eed;

// The hint for seat `myseat` (1..4; any other number is an onlooker) at table `t`.
Hint expertHint(const TableModel& t, int myseat);

} // namespace pelvo
