#pragma once
// A round's results in words: the board's results box, the chat's one-line summary and what a
// screen reader hears all read the same facts from the score sheet, named as the board names
// the seats.

// own
#include "session/ScoreSheet.h"
#include "session/TableModel.h"

// Qt
#include <QString>
#include <QStringList>

namespace pelvo::results {

// The seats that play in the current game.
ScoreSheet::SeatSet playingSeats(const TableModel& t);
// "+12", "0", "-2".
QString signedPoints(int points);
// "Round 3 of 5", "Tie breaker round 6", "Rounds not seen" (totals carried from before).
QString roundName(const ScoreSheet& sheet, const RoundScores& r);
// The last round whose results were told, or null.
const RoundScores* lastTold(const ScoreSheet& sheet);
// "Bo went out but Cy scored lower: +25"; "Bo went out." when nobody undercut the seat; empty
// when it is not known who went out.
QString outcome(const TableModel& t, const RoundScores& r, int myseat = 0);
// The chat's summary of the last told round: "Round 3 of 5: Ann +12 = 40, Bo +15 +25 = 77. Bo
// went out but Ann scored lower: +25."
QString chatLine(const TableModel& t);
// The same for a listener: own seat as "You", each seat's round and total in a sentence.
QString spoken(const TableModel& t, int myseat);

} // namespace pelvo::results
