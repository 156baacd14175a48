// Getting a seat back: the own seat as the host kept it, and the moment the connection is lost.
#include "session/reduce/Reducer.h"

// own
#include "session/reduce/Tell.h"

namespace pelvo::reduce {

namespace {
// Where the own turn stood when the seat was kept: the opening flips, choosing a pile, or
// holding the drawn card.
void resumeTurn(TableModel& t, const notice::SeatState& n) {
    const bool mine = n.current == n.seat;
    switch (n.turnState) {
    case 0: // the opening flips
        if (n.flipsLeft > 0) {
            t.turnSeat = n.seat;
            t.status = "Choose 2 cards to flip over.";
        }
        break;
    case 1: // choosing a pile
    case 2: // holding the drawn card
        t.turnSeat = n.current;
        if (!mine) {
            t.status = t.seats[std::size_t(n.current)].caption() + "'s turn.";
            break;
        }
        t.drawPick = Pick::Open;
        t.discardPick = Pick::Open;
        t.status = "Your Turn.";
        if (n.turnState == 2) {
            t.drawPicture = n.drawn;
            t.drawInHand = true;
            t.drawPick = Pick::Picked;
            t.status = "Choose to Keep or Discard.";
        }
        break;
    default: // between two turns: the next one is announced as usual
        break;
    }
}
} // namespace

Effects apply(SessionModel& m, const notice::SeatState& n, const Settings&) {
    if (n.seat != m.state.myseat) return {};
    TableModel& t = m.table;
    SeatModel& me = t.seats[std::size_t(n.seat)];
    const Grids before = gridsOf(t);
    const QString statusBefore = t.status;
    const bool inHandBefore = t.drawInHand;
    me.playing = true;
    me.sittingOut = false;
    for (int p = 1; p <= GridSize; ++p) {
        const notice::OwnCard& c = n.cards[std::size_t(p - 1)];
        me.cards[std::size_t(p)] = {c.faceUp ? c.code : 0, c.code};
    }
    t.flipsLeft = n.flipsLeft;
    t.askedToFlip.reset();
    t.handShown = false;
    t.drawInHand = false;
    t.discardInHand = false;
    t.drawPicture = 0;
    t.drawPick = Pick::Closed;
    t.discardPick = Pick::Closed;
    t.turnMarkerSeat = n.turnState == 0 ? 0 : n.current;
    t.turnSeat = 0;
    ++t.turnNumber;
    resumeTurn(t, n);

    Effects e;
    e.changed(n.seat);
    e.changedCards(n.seat);
    tellFlips(e, before, m);
    if (!inHandBefore) tellDrawn(e, t);
    tellTurn(e, m, t.wentOut);
    tellStatus(e, statusBefore, t);
    return e;
}

Effects connectionLost(SessionModel& m) {
    m.reconnected = true;
    m.table.turnSeat = 0; // no move goes out until the seat is back
    Effects e;
    e.lines.push_back(note(m, QStringLiteral("Connection lost — reconnecting…")));
    e.table = true;
    e.turn = true;
    return e;
}

} // namespace pelvo::reduce
