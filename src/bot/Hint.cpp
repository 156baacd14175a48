#include "bot/Hint.h"

// own
#include "bot/KnownTable.h"
#include "rules/ComputerRules.h"
#include "rules/ExpertRules.h"
#include "session/Announcer.h"

namespace pelvo {

namespace {

Hint unavailable(const QString& text) {
    return {Hint::Kind::Unavailable, 0, text};
}

QString at(int position) {
    return QStringLiteral("at ") + speech::cellName(position);
}

// Why a card worth its points goes to `position` of the seat's grid, in a few words.
QString whyPlace(const Table& known, int seat, int position, int code) {
    const Seat& s = known.seats[std::size_t(seat)];
    const int value = points(code);
    const int top = (position - 1) / 3 * 3 + 1;
    int same = 0;
    int partner = 0;
    for (int p = top; p < top + 3; ++p) {
        if (p == position || !s.isUp(p) || s.cards[std::size_t(p)].code == NoCard) continue;
        if (s.pointsAt(p) == value && code != Joker) {
            ++same;
            partner = p;
        }
    }
    if (same == 2) return QStringLiteral("it completes the column, which then counts nothing.");
    if (same == 1)
        return QStringLiteral("it pairs the %1 in that column.")
            .arg(speech::cardName(s.cards[std::size_t(partner)].code));
    if (s.isUp(position) && s.cards[std::size_t(position)].code != NoCard) {
        const int old = s.cards[std::size_t(position)].code;
        if (points(old) <= value)
            return QStringLiteral("no place in your grid gains more from it.");
        return QStringLiteral("it is worth %1 less than the %2 it replaces.")
            .arg(points(old) - value)
            .arg(speech::cardName(old));
    }
    if (s.faceDownCount() == 1 && known.wentOut == 0)
        return QStringLiteral("it turns your last card: you go out.");
    return QStringLiteral("%1 is less than a face-down card is likely to be worth.")
        .arg(value == 1 ? QStringLiteral("1 point") : QStringLiteral("%1 points").arg(value));
}

// Where a taken discard goes when the Expert would not have taken it: the highest face-up card
// it lowers, else a face-down card.
int fallbackPlace(const Table& known, int seat, int code) {
    const int high = computer::computergethighest(known, seat);
    const Seat& s = known.seats[std::size_t(seat)];
    if (high != 0 && s.pointsAt(high) > points(code)) return high;
    for (int p = 1; p <= GridCells; ++p)
        if (!s.isUp(p)) return p;
    return high != 0 ? high : 1;
}

} // namespace

Hint expertHint(const TableModel& t, int myseat) {
    if (myseat < 1 || myseat > TableSeats)
        return unavailable(QStringLiteral("Hints are for the players at the table."));
    const SeatModel& mine = t.seats[std::size_t(myseat)];
    if (!t.winnerText.isEmpty()) return unavailable(QStringLiteral("The game is over."));
    if (!mine.playing || !t.roundShown)
        return unavailable(QStringLiteral("You are not playing a round now."));
    if (t.justWatching)
        return unavailable(QStringLiteral("The computer plays your seat while you just watch."));
    if (t.turnSeat != myseat) {
        const int other = t.turnMarkerSeat;
        if (other >= 1 && other <= TableSeats && other != myseat)
            return unavailable(
                QStringLiteral("It is %1's turn, not yours.").arg(t.seatLabel(other)));
        return unavailable(QStringLiteral("It is not your turn."));
    }

    // Both opening cards asked for, the first turn not yet given: the others are still turning.
    if (t.flipsLeft == 0 && t.turnMarkerSeat == 0 && t.askedToFlip.any())
        return unavailable(QStringLiteral("Wait until every seat has turned its opening cards."));

    const Table known = knownTable(t, myseat);
    Random random(hintSeed);
    if (t.flipsLeft > 0) {
        const ComputerMove m = expert::chooseFlip(known, myseat, random);
        if (m.kind != ComputerMove::Flip) return unavailable(QStringLiteral("Every card is up."));
        bool anyUp = false;
        for (int p = 1; p <= GridCells; ++p) anyUp |= known.seats[std::size_t(myseat)].isUp(p);
        return {Hint::Kind::Flip, m.position,
                QStringLiteral("Turn over the card %1").arg(at(m.position)) +
                    (anyUp ? QStringLiteral(": a column with no card up yet keeps every pair "
                                            "open.")
                           : QStringLiteral("."))};
    }
    if (t.drawPick == Pick::Picked) {
        const int card = known.drawnCard();
        const QString name = speech::cardName(card);
        const ComputerMove m = expert::chooseAfterDraw(known, myseat, random);
        if (m.kind == ComputerMove::ReplaceDraw)
            return {Hint::Kind::PlaceDrawn, m.position,
                    QStringLiteral("Put the drawn %1 %2: ").arg(name, at(m.position)) +
                        whyPlace(known, myseat, m.position, card)};
        return {
            Hint::Kind::ThrowDrawn, 0,
            QStringLiteral("Throw the %1 away: it would not lower your score enough.").arg(name)};
    }
    if (t.discardPick == Pick::Picked) {
        // The discard is in hand already: where it does most good, as if it had been drawn.
        const int card = known.discardTop();
        Table lifted = known;
        lifted.discardCount = 0;
        lifted.drawPile[1] = card;
        lifted.drawPos = 1;
        const ComputerMove m = expert::chooseAfterDraw(lifted, myseat, random);
        const int p =
            m.kind == ComputerMove::ReplaceDraw ? m.position : fallbackPlace(lifted, myseat, card);
        return {Hint::Kind::PlaceDrawn, p,
                QStringLiteral("Put the %1 %2: ").arg(speech::cardName(card), at(p)) +
                    whyPlace(lifted, myseat, p, card)};
    }
    if (t.drawPick != Pick::Open || t.discardPick != Pick::Open)
        return unavailable(QStringLiteral("It is not your turn."));
    const ComputerMove m = expert::choosePlay(known, myseat, random);
    const int top = known.discardTop();
    if (m.kind == ComputerMove::ReplaceDiscard)
        return {Hint::Kind::TakeDiscard, m.position,
                QStringLiteral("Take the %1 from the discard pile and put it %2: ")
                        .arg(speech::cardName(top), at(m.position)) +
                    whyPlace(known, myseat, m.position, top)};
    return {Hint::Kind::Draw, 0,
            top == NoCard ? QStringLiteral("Draw a card.")
                          : QStringLiteral("Draw a card: the %1 on the discard pile would not "
                                           "lower your score enough.")
                                .arg(speech::cardName(top))};
}

} // namespace pelvo
