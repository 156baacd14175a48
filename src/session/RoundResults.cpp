#include "session/RoundResults.h"

namespace pelvo::results {

namespace {

// A seat as the board labels it; the listener's own seat is "You" when `myseat` names it.
QString nameOf(const TableModel& t, int seat, int myseat) {
    if (seat == myseat) return QStringLiteral("You");
    return t.seatLabel(seat);
}

// "Ann", "Ann and Bo", "Ann, Bo and Cy".
QString listed(const QStringList& names) {
    if (names.size() <= 1) return names.value(0);
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           names.last();
}

} // namespace

ScoreSheet::SeatSet playingSeats(const TableModel& t) {
    ScoreSheet::SeatSet set;
    for (int s = 1; s <= TableSeats; ++s)
        if (t.seats[std::size_t(s)].playing) set.set(std::size_t(s));
    return set;
}

QString signedPoints(int points) {
    return points > 0 ? QStringLiteral("+%1").arg(points) : QString::number(points);
}

QString roundName(const ScoreSheet& sheet, const RoundScores& r) {
    if (r.earlier()) return QStringLiteral("Rounds not seen");
    if (sheet.isTieBreaker(r)) return QStringLiteral("Tie breaker round %1").arg(r.round);
    if (sheet.plannedRounds() > 0)
        return QStringLiteral("Round %1 of %2").arg(r.round).arg(sheet.plannedRounds());
    return QStringLiteral("Round %1").arg(r.round);
}

const RoundScores* lastTold(const ScoreSheet& sheet) {
    const QList<RoundScores>& rows = sheet.rows();
    for (qsizetype i = rows.size() - 1; i >= 0; --i)
        if (!rows[i].earlier() && rows[i].closed) return &rows[i];
    return nullptr;
}

QString outcome(const TableModel& t, const RoundScores& r, int myseat) {
    if (r.wentOut < 1 || r.wentOut > TableSeats) return {};
    const QString out = nameOf(t, r.wentOut, myseat);
    const bool paid = r.seats[std::size_t(r.wentOut)].penalty;
    if (!paid) return out + QStringLiteral(" went out.");
    QStringList lower;
    for (int s : r.undercut()) lower << (s == myseat ? QStringLiteral("you") : t.seatLabel(s));
    const QString cost = signedPoints(RoundScores::Penalty);
    // The host may know scores this client missed; the penalty still needs its reason.
    if (lower.isEmpty())
        return out + QStringLiteral(" went out without the lowest score: ") + cost + u'.';
    return out + QStringLiteral(" went out but ") + listed(lower) +
           QStringLiteral(" scored lower: ") + cost + u'.';
}

QString chatLine(const TableModel& t) {
    const RoundScores* r = lastTold(t.sheet);
    if (!r) return {};
    QStringList seats;
    for (int s = 1; s <= TableSeats; ++s) {
        const SeatScore& score = r->seats[std::size_t(s)];
        if (!score.posted) continue;
        QString line = t.seatLabel(s) + u' ' + signedPoints(score.points);
        if (score.penalty) line += u' ' + signedPoints(RoundScores::Penalty);
        seats << line + QStringLiteral(" = ") + QString::number(score.total);
    }
    QString text = roundName(t.sheet, *r) + QStringLiteral(": ") + seats.join(QStringLiteral(", "));
    const QString why = outcome(t, *r);
    return why.isEmpty() ? text + u'.' : text + QStringLiteral(". ") + why;
}

QString spoken(const TableModel& t, int myseat) {
    const RoundScores* r = lastTold(t.sheet);
    if (!r) return {};
    QStringList out;
    out << roundName(t.sheet, *r) + QStringLiteral(" is over.");
    const QString why = outcome(t, *r, myseat);
    if (!why.isEmpty()) out << why;
    for (int s = 1; s <= TableSeats; ++s) {
        const SeatScore& score = r->seats[std::size_t(s)];
        if (!score.posted) continue;
        QString line =
            nameOf(t, s, myseat) + QStringLiteral(" scored %1 this round").arg(score.points);
        if (score.penalty)
            line += QStringLiteral(" plus a penalty of %1").arg(RoundScores::Penalty);
        out << line + QStringLiteral(", %1 in all.").arg(score.total);
    }
    return out.join(u' ');
}

} // namespace pelvo::results
