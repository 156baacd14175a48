#include "session/TableModel.h"

namespace pelvo {

QString SeatModel::caption() const {
    switch (occupant) {
    case Occupant::Waiting:
        return QStringLiteral("<Waiting>");
    case Occupant::Player:
        return playerName;
    case Occupant::Computer:
        break;
    }
    return defaultName;
}

QString TableModel::shownName(int slot, const QString& name) const {
    bool shared = false;
    for (int s = 1; s <= TableSeats && !shared; ++s) {
        const SeatModel& seat = seats[std::size_t(s)];
        shared = s != slot && seat.occupant == Occupant::Player && seat.playerName == name;
    }
    for (const Spectator& spy : spectators)
        shared = shared || (spy.slot != slot && spy.name == name);
    return shared ? QStringLiteral("%1 (%2)").arg(name).arg(slot) : name;
}

QString TableModel::seatLabel(int seat) const {
    if (seat < 1 || seat > TableSeats) return QString();
    const SeatModel& s = seats[std::size_t(seat)];
    return s.occupant == Occupant::Player ? shownName(seat, s.playerName) : s.caption();
}

QString TableModel::roundText() const {
    if (!roundShown) return QStringLiteral("Round: 0");
    return QStringLiteral("Round: %1 of %2").arg(round).arg(rounds);
}

void TableModel::clearall() {
    for (int s = 1; s <= TableSeats; ++s) {
        SeatModel& seat = seats[std::size_t(s)];
        seat.score = 0;
        seat.hasBonus = false;
        seat.cards.fill(CardView{});
    }
}

} // namespace pelvo
