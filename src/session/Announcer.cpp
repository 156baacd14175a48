#include "session/Announcer.h"

// own
#include "rules/Cards.h"
#include "session/ClientSession.h"

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

} // namespace speech

namespace {

using speech::cardName;
using speech::cellName;

QString who(const TableModel& t, int seat, int myseat) {
    if (seat == myseat) return QStringLiteral("You");
    if (seat < 1 || seat > TableSeats) return QStringLiteral("Somebody");
    return t.seats[std::size_t(seat)].caption();
}

// "the 12" style short names read badly; the full card name is clearer.
QString the(int picture) {
    return QStringLiteral("the ") + cardName(picture);
}

QString moveSentence(const TableModel& before, const TableModel& t, int myseat) {
    const int mover = t.handShown ? t.handSeat : 0;
    switch (t.lastMove) {
    case MoveKind::TookDiscard:
    case MoveKind::UsedDrawn: {
        if (mover < 1 || mover > TableSeats || t.handPosition < 1 || t.handPosition > GridSize)
            return {};
        const int taken = t.seats[std::size_t(mover)].cards[std::size_t(t.handPosition)].picture;
        const QString from = t.lastMove == MoveKind::TookDiscard ? QStringLiteral("discard pile")
                                                                 : QStringLiteral("draw pile");
        return who(t, mover, myseat) + QStringLiteral(" took ") + the(taken) +
               QStringLiteral(" from the ") + from + QStringLiteral(" and put it in ") +
               cellName(t.handPosition) + QStringLiteral("; ") + the(t.discardPicture) +
               QStringLiteral(" went to the discard pile.");
    }
    case MoveKind::ThrewDrawn: {
        // The mover is the seat whose turn it was; the hand points at the pile.
        const int seat = before.turnSeat ? before.turnSeat : before.turnMarkerSeat;
        return who(t, seat, myseat) + QStringLiteral(" drew ") + the(t.discardPicture) +
               QStringLiteral(" and threw it on the discard pile.");
    }
    case MoveKind::None:
        break;
    }
    return {};
}

} // namespace

QStringList announcements(const TableModel& before, const TableModel& t, int myseat) {
    QStringList out;
    const bool newRound =
        t.roundShown && (!before.roundShown || before.round != t.round) && t.round > 0;
    if (newRound)
        out << (t.round > 9 ? QStringLiteral("Tie breaker round.")
                            : QStringLiteral("Round %1 of %2.").arg(t.round).arg(t.rounds));

    // Cards turned up without a move: the opening flips (the scores turn the rest up).
    bool scored = false;
    for (int s = 1; s <= TableSeats; ++s)
        scored =
            scored || (t.seats[std::size_t(s)].hasBonus && !before.seats[std::size_t(s)].hasBonus);
    if (t.moves == before.moves && !scored && !newRound) {
        QStringList flips;
        for (int s = 1; s <= TableSeats; ++s)
            for (int g = 1; g <= GridSize; ++g) {
                const int was = before.seats[std::size_t(s)].cards[std::size_t(g)].picture;
                const int now = t.seats[std::size_t(s)].cards[std::size_t(g)].picture;
                if (was == 0 && now > 0)
                    flips << who(t, s, myseat) + QStringLiteral(" turned up ") + the(now) +
                                 QStringLiteral(" in ") + cellName(g) + u'.';
            }
        // A flip turns up one card; many at once is the whole table shown to a newcomer, which
        // the cells themselves tell.
        if (flips.size() <= 2) out << flips;
    }

    if (t.moves != before.moves) {
        const QString move = moveSentence(before, t, myseat);
        if (!move.isEmpty()) out << move;
    }
    if (t.drawInHand && !before.drawInHand && t.drawPicture > 0)
        out << QStringLiteral("You drew ") + the(t.drawPicture) +
                   QStringLiteral(". Put it in your grid, or throw it away.");
    if (t.discardInHand && !before.discardInHand)
        out << QStringLiteral("You picked up ") + the(t.discardPicture) +
                   QStringLiteral(". Choose a card of your grid to replace.");

    for (int s = 1; s <= TableSeats; ++s) {
        const SeatModel& seat = t.seats[std::size_t(s)];
        if (seat.hasBonus && !before.seats[std::size_t(s)].hasBonus)
            out << who(t, s, myseat) + QStringLiteral(" scored %1 this round, %2 in all.")
                                           .arg(seat.bonus)
                                           .arg(seat.score);
    }

    if (t.turnNumber != before.turnNumber && t.turnMarkerSeat != 0) {
        if (t.wentOut != 0 && before.wentOut != t.wentOut)
            out << who(t, t.wentOut, myseat) + QStringLiteral(" went out.");
        QString turn = t.turnSeat == myseat ? QStringLiteral("Your turn.")
                                            : who(t, t.turnSeat, myseat) + "'s turn.";
        if (t.wentOut != 0) turn += QStringLiteral(" Last turn.");
        out << turn;
    } else if (t.turnNumber != before.turnNumber && t.flipsLeft > 0) {
        out << QStringLiteral("Choose 2 cards to flip over.");
    }

    if (!t.winnerText.isEmpty() && t.winnerText != before.winnerText) out << t.winnerText;
    if (t.status != before.status && out.isEmpty()) {
        // Anything else the status line says ("New Round!", "Round is Over", ...).
        out << t.status;
    }
    return out;
}

Announcer::Announcer(ClientSession& session, QObject* parent)
    : QObject(parent), session_(session), previous_(session.table()) {
    connect(&session, &ClientSession::tableChanged, this, &Announcer::follow);
}

void Announcer::follow() {
    const TableModel& now = session_.table();
    const QStringList lines = announcements(previous_, now, session_.state().myseat);
    previous_ = now;
    if (lines.isEmpty()) return;
    text_ = lines.join(u' ');
    emit announced(text_);
}

} // namespace pelvo
