#pragma once
// Sentences for a listener that several notices share (inside the reducer only).

// own
#include "session/SessionModel.h"

// std
#include <array>

namespace pelvo::reduce {

using Grids = std::array<std::array<CardView, GridSize + 1>, TableSeats + 1>;

Grids gridsOf(const TableModel& t);
// Cards that were face down in `before` and are face up now, when one or two turned.
void tellFlips(Effects& e, const Grids& before, const SessionModel& m);
void tellRound(Effects& e, const TableModel& t);
bool isNewRound(bool shownBefore, int roundBefore, const TableModel& t);
// A turn handed out: who went out, whose turn it is, or the opening flips.
void tellTurn(Effects& e, const SessionModel& m, int wentOutBefore);
// The card this client just drew.
void tellDrawn(Effects& e, const TableModel& t);
// What the status line says, when nothing more precise was said.
void tellStatus(Effects& e, const QString& before, const TableModel& t);

} // namespace pelvo::reduce
