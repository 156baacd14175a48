#include "session/Speech.h"

namespace pelvo {

namespace speech {

QString cardName(int picture) {
    if (picture < 0) return {};
    if (picture == 0) return QStringLiteral("face down");
    if (picture == 53) return QStringLiteral("joker");
    if (picture > 53) return {};
    static const char* const suits[4] = {"clubs", "diamonds", "hearts", "spades"};
    const int suit = (picture - 1) / 13;
    QString rank;
    switch (picture % 13) {
    case 1:
        rank = QStringLiteral("ace");
        break;
    case 11:
        rank = QStringLiteral("jack");
        break;
    case 12:
        rank = QStringLiteral("queen");
        break;
    case 0:
        rank = QStringLiteral("king");
        break;
    default:
        rank = QString::number(picture % 13);
    }
    return rank + QStringLiteral(" of ") + QLatin1String(suits[suit]);
}

int rowOf(int position) {
    return (position - 1) % 3 + 1;
}
int columnOf(int position) {
    return (position - 1) / 3 + 1;
}
int positionAt(int row, int column) {
    return (column - 1) * 3 + row;
}

QString cellName(int position) {
    return QStringLiteral("row %1 column %2").arg(rowOf(position)).arg(columnOf(position));
}

QString cellDescription(const TableModel& t, int seat, int position, int myseat) {
    const CardView& c = t.seats[std::size_t(seat)].cards[std::size_t(position)];
    const QString owner = seat == myseat ? QStringLiteral("Your card")
                                         : t.seats[std::size_t(seat)].caption() + "'s card";
    const QString what = c.picture < 0 ? QStringLiteral("no card") : cardName(c.picture);
    return owner + QStringLiteral(", ") + cellName(position) + QStringLiteral(": ") + what;
}

QString who(const TableModel& t, int seat, int myseat) {
    if (seat == myseat) return QStringLiteral("You");
    if (seat < 1 || seat > TableSeats) return QStringLiteral("Somebody");
    return t.seats[std::size_t(seat)].caption();
}

QString the(int picture) {
    return QStringLiteral("the ") + cardName(picture);
}

} // namespace speech

} // namespace pelvo
