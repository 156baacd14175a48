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
