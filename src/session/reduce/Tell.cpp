// What a listener is told: the sentences several notices share.
#include "session/reduce/Tell.h"

// own
#include "session/Speech.h"

namespace pelvo::reduce {

using speech::cellName;
using speech::the;
using speech::who;

Grids gridsOf(const TableModel& t) {
    Grids g;
    for (int s = 1; s <= TableSeats; ++s) g[std::size_t(s)] = t.seats[std::size_t(s)].cards;
    return g;
}

// Cards that were face down and are face up now. A flip turns up one card; many at once is the
// whole table shown to a newcomer, which the cells themselves tell.
void tellFlips(Effects& e, const Grids& before, const SessionModel& m) {
    QStringList flips;
    for (int s = 1; s <= TableSeats; ++s)
        for (int g = 1; g <= GridSize; ++g) {
            const int was = before[std::size_t(s)][std::size_t(g)].picture;
            const int now = m.table.seats[std::size_t(s)].cards[std::size_t(g)].picture;
            if (was == 0 && now > 0)
                flips << who(m.table, s, m.state.myseat) + QStringLiteral(" turned up ") +
                             the(now) + QStringLiteral(" in ") + cellName(g) + u'.';
        }
    if (flips.size() <= 2) e.announcements << flips;
}

void tellRound(Effects& e, const TableModel& t) {
    e.announcements << (t.round > 9 ? QStringLiteral("Tie breaker round.")
                                    : QStringLiteral("Round %1 of %2.").arg(t.round).arg(t.rounds));
}

bool isNewRound(bool shownBefore, int roundBefore, const TableModel& t) {
    return t.roundShown && (!shownBefore || roundBefore != t.round) && t.round > 0;
}

// A turn handed out: who went out, whose turn it is, or the opening flips.
void tellTurn(Effects& e, const SessionModel& m, int wentOutBefore) {
    const TableModel& t = m.table;
    const int me = m.state.myseat;
    e.turn = true;
    if (t.turnMarkerSeat != 0) {
        if (t.wentOut != 0 && wentOutBefore != t.wentOut)
            e.announcements << who(t, t.wentOut, me) + QStringLiteral(" went out.");
        QString turn =
            t.turnSeat == me ? QStringLiteral("Your turn.") : who(t, t.turnSeat, me) + "'s turn.";
        if (t.wentOut != 0) turn += QStringLiteral(" Last turn.");
        e.announcements << turn;
    } else if (t.flipsLeft > 0) {
        e.announcements << QStringLiteral("Choose 2 cards to flip over.");
    }
}

void tellDrawn(Effects& e, const TableModel& t) {
    if (t.drawInHand && t.drawPicture > 0)
        e.announcements << QStringLiteral("You drew ") + the(t.drawPicture) +
                               QStringLiteral(". Put it in your grid, or throw it away.");
}

// Anything else the status line says ("New Round!", "Round is Over", ...), when nothing more
// precise was said.
void tellStatus(Effects& e, const QString& before, const TableModel& t) {
    if (t.status != before && e.announcements.isEmpty()) e.announcements << t.status;
}

} // namespace pelvo::reduce
