#pragma once
// Cards, grid cells and seats named as a screen reader says them.

// own
#include "session/TableModel.h"

// Qt
#include <QString>

namespace pelvo {

namespace speech {
// "7 of hearts", "queen of spades", "ace of clubs", "joker"; "face down" for the back; empty
// for no card.
QString cardName(int picture);
// Grid position 1..9 as a player reads the grid: "row 2 column 3" (positions run down the
// columns, left column first).
QString cellName(int position);
int rowOf(int position);
int columnOf(int position);
// The grid position at `row` and `column` (1..3 each).
int positionAt(int row, int column);
// "Your card, row 2 column 3: 7 of hearts" or "Klot's card, row 1 column 1: face down".
QString cellDescription(const TableModel& t, int seat, int position, int myseat);
// "You" for the own seat, else the seat's caption ("Somebody" for no seat).
QString who(const TableModel& t, int seat, int myseat);
// "the 7 of hearts": short names read badly, the full card name is clearer.
QString the(int picture);
} // namespace speech

} // namespace pelvo
