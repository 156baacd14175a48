#pragma once
// What a client session must hold whatever it was fed: the ranges its views index by. Shared by
// the targets that drive a headless ClientSession.

#include "session/ClientSession.h"

#include "Check.h"

namespace pelvo::fuzz {

inline bool picture(int p) {
    return p >= -1 && p <= 53;
}

inline void checkModel(const TableModel& t) {
    // A stray deal to an onlooker makes its own slot the turn (its clicks send nothing).
    check(t.turnSeat >= 0 && t.turnSeat <= 9);
    check(t.turnMarkerSeat >= 0 && t.turnMarkerSeat <= TableSeats);
    check(t.handSeat >= 0 && t.handSeat <= TableSeats);
    check(t.handPosition >= 0 && t.handPosition <= GridSize);
    check(picture(t.discardPicture) && picture(t.drawPicture));
    for (int s = 1; s <= TableSeats; ++s)
        for (int p = 1; p <= GridSize; ++p) {
            check(picture(t.seats[std::size_t(s)].cards[std::size_t(p)].picture));
            const int code = t.seats[std::size_t(s)].cards[std::size_t(p)].code;
            check(code >= 0 && code <= 53);
        }
    for (const Spectator& s : t.spectators) check(s.slot >= 1 && s.slot <= 10);
}

} // namespace pelvo::fuzz
