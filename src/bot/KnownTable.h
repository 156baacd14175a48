#pragma once
// The table as a client may see it, in the host's terms, for the computer players' decisions:
// face-up cards of every seat, the discard pile's top, the card in hand, who plays and whether
// someone went out. A face-down card stays unknown, even the player's own dealt code.

// own
#include "rules/Model.h"
#include "session/TableModel.h"

namespace pelvo {

// `myseat` is the seat whose asked-for opening flips count as turned (so none is picked twice).
Table knownTable(const TableModel& t, int myseat);

} // namespace pelvo
