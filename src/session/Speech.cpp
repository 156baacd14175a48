#include "session/Speech.h"

// own
#include "rules/Cards.h"

namespace pelvo {

namespace speech {

QString cardName(int picture) {
    if (picture == NoCard) return QStringLiteral("face down");
    if (picture == Joker) return QStringLiteral("joker");
    if (!isSuited(picture)) return {};
    static const char* const ranks[King + 1] = {"",  "ace", "2", "3",  "4",    "5",     "6",
                                                "7", "8",   "9", "10", "jack", "queen", "king"};
    static const char* const suits[4] = {"clubs", "diamonds", "hearts", "spades"};
    return QLatin1String(ranks[rankOf(picture)]) + QStringLiteral(" of ") +
           QLatin1String(suits[int(suitOf(picture))]);
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
