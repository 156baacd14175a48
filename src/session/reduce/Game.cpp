// The game's notices: deals, turns, moves, scores and the winner, each with what a listener is
// told about it.
#include "session/reduce/Reducer.h"

// own
#include "session/RoundResults.h"
#include "session/Speech.h"
#include "session/reduce/Tell.h"

namespace pelvo::reduce {

namespace {

using speech::cardName;
using speech::cellName;
using speech::the;
using speech::who;

SeatModel& seat(SessionModel& m, int s) {
    return m.table.seats[std::size_t(s)];
}

void showBacks(SeatModel& seat) {
    for (int g = 1; g <= GridSize; ++g) seat.cards[std::size_t(g)].picture = 0;
}

void allCardsChanged(Effects& e) {
    e.table = true;
    for (int s = 1; s <= TableSeats; ++s) e.cards.set(std::size_t(s));
}

// A move is over: the hand marks where the card went (seat 0: the discard pile), the status
// line says who did it.
Effects moveEnded(SessionModel& m, const MoveEvent& move, const QString& mine,
                  const QString& theirs) {
    TableModel& t = m.table;
    const QString statusBefore = t.status;
    t.handShown = true;
    t.handSeat = move.position ? move.seat : 0;
    t.handPosition = move.position;
    t.status = move.seat == m.state.myseat ? mine : seat(m, move.seat).caption() + theirs;
    t.turnSeat = 0;

    Effects e;
    e.move = move;
    e.changedCards(move.seat);
    e.sounds << QStringLiteral("discard");
    const QString mover = who(t, move.seat, m.state.myseat);
    if (move.kind == MoveKind::ThrewDrawn) {
        e.announcements << mover + QStringLiteral(" drew ") + the(move.discardTop) +
                               QStringLiteral(" and threw it on the discard pile.");
    } else if (move.seat >= 1 && move.seat <= TableSeats && move.position >= 1 &&
               move.position <= GridSize) {
        const QString from = move.kind == MoveKind::TookDiscard ? QStringLiteral("discard pile")
                                                                : QStringLiteral("draw pile");
        e.announcements << mover + QStringLiteral(" took ") + the(move.taken) +
                               QStringLiteral(" from the ") + from +
                               QStringLiteral(" and put it in ") + cellName(move.position) +
                               QStringLiteral("; ") + the(move.discardTop) +
                               QStringLiteral(" went to the discard pile.");
    }
    tellStatus(e, statusBefore, t);
    return e;
}

// A round's results are complete (or amended): one chat line sums them up and a screen reader
// hears them once, with the totals the labels end with.
void tellResults(Effects& e, const SessionModel& m) {
    e.lines.push_back(note(m, results::chatLine(m.table)));
    e.announcements << results::spoken(m.table, m.state.myseat);
}

} // namespace

Effects apply(SessionModel& m, const notice::StartGame& n, const Settings&) {
    TableModel& t = m.table;
    t.roundShown = false;
    t.startShown = false;
    t.justWatching = false;
    t.winnerText.clear();
    t.clearall();
    t.rounds = n.rounds;
    Effects e;
    e.lines.push_back(note(m, n.starter + " has started a game."));
    e.token = Effects::Token::Keep;
    for (int s = 1; s <= TableSeats; ++s) {
        seat(m, s).sittingOut = false;
        seat(m, s).playing = true;
        e.seats.set(std::size_t(s));
    }
    if (!n.seat3Plays) seat(m, 3).playing = false, seat(m, 3).sittingOut = true;
    if (!n.seat4Plays) seat(m, 4).playing = false, seat(m, 4).sittingOut = true;
    // A computer player takes an empty seat that plays.
    for (int s = 2; s <= TableSeats; ++s)
        if (seat(m, s).occupant == Occupant::Waiting && seat(m, s).playing)
            seat(m, s).occupant = Occupant::Computer;
    t.sheet.startGame(n.rounds, results::playingSeats(t));
    allCardsChanged(e);
    return e;
}

Effects apply(SessionModel& m, const notice::RoundStarting& n, const Settings&) {
    TableModel& t = m.table;
    const bool shownBefore = t.roundShown;
    const int roundBefore = t.round;
    const QString statusBefore = t.status;
    for (int s = 1; s <= TableSeats; ++s)
        if (s != m.state.myseat && seat(m, s).playing) showBacks(seat(m, s));
    for (int s = 1; s <= TableSeats; ++s) {
        seat(m, s).hasBonus = false;
        seat(m, s).penalty = false;
    }
    // A round still waiting for a penalty that never came is told as it stands.
    const bool closedLate = t.sheet.startRound();
    t.turnMarkerSeat = 0;
    t.wentOut = 0;
    t.handShown = false;
    t.drawPick = Pick::Open;
    t.discardPick = Pick::Open;
    t.discardInHand = false;
    t.drawInHand = false;
    t.status = n.round > 9 ? QStringLiteral("Tie Breaker Round.") : QStringLiteral("New Round!");
    t.discardPicture = n.discardTop;
    t.round = n.round;
    t.roundShown = true;

    Effects e;
    allCardsChanged(e);
    e.seats = 0b11110;
    e.roundStarted = n.round;
    if (isNewRound(shownBefore, roundBefore, t)) tellRound(e, t);
    if (closedLate) tellResults(e, m);
    tellStatus(e, statusBefore, t);
    return e;
}

Effects apply(SessionModel& m, const notice::MyCards& n, const Settings&) {
    TableModel& t = m.table;
    for (const notice::Placed& c : n.cards)
        seat(m, n.seat).cards[std::size_t(c.position)] = {0, c.code};
    t.flipsLeft = 2;
    t.turnSeat = m.state.myseat;
    ++t.turnNumber;
    t.askedToFlip.reset();
    if (m.state.myseat <= m.state.maxseats) t.status = "Choose 2 cards to flip over.";
    Effects e;
    e.changedCards(n.seat);
    tellTurn(e, m, t.wentOut);
    e.sounds << QStringLiteral("flip");
    return e;
}

Effects apply(SessionModel& m, const notice::GameStats& n, const Settings&) {
    if (n.addressee != m.state.myseat) return {};
    TableModel& t = m.table;
    const bool shownBefore = t.roundShown;
    const int roundBefore = t.round;
    const Grids before = gridsOf(t);
    t.rounds = n.rounds;
    t.round = n.round;
    t.roundShown = true;
    t.turnSeat = n.turnSeat;
    for (int s = 1; s <= TableSeats; ++s) {
        seat(m, s).playing = true;
        seat(m, s).score = n.totals[std::size_t(s - 1)];
        seat(m, s).sittingOut = false;
    }
    if (n.seat3Out) seat(m, 3).playing = false, seat(m, 3).sittingOut = true;
    if (n.seat4Out) seat(m, 4).playing = false, seat(m, 4).sittingOut = true;
    for (int s = 1; s <= TableSeats; ++s)
        if (seat(m, s).playing) showBacks(seat(m, s));
    for (const msg::FaceUpCard& c : n.faceUp)
        seat(m, c.seat).cards[std::size_t(c.position)].picture = c.code;
    t.discardPicture = n.discardTop;
    t.discardInHand = false;
    for (int s = 1; s <= TableSeats; ++s)
        if (seat(m, s).playing && seat(m, s).occupant == Occupant::Waiting)
            seat(m, s).occupant = Occupant::Computer;
    t.sheet.join(n.rounds, n.round, n.totals, results::playingSeats(t));

    Effects e;
    e.token = Effects::Token::Keep; // a seat taken during a game is kept like any other
    allCardsChanged(e);
    e.seats = 0b11110;
    e.turn = true;
    if (isNewRound(shownBefore, roundBefore, t))
        tellRound(e, t);
    else
        tellFlips(e, before, m);
    return e;
}

Effects apply(SessionModel& m, const notice::PostScores& n, const Settings&) {
    TableModel& t = m.table;
    const QString statusBefore = t.status;
    const Grids before = gridsOf(t);
    t.turnMarkerSeat = 0;
    SeatModel& s = seat(m, n.seat);
    const bool firstPost = !s.hasBonus;
    s.hasBonus = true;
    s.bonus = n.points;
    s.score = n.total;
    for (const notice::Placed& c : n.cards) s.cards[std::size_t(c.position)].picture = c.code;
    t.status = "Round is Over";
    const bool complete = t.sheet.post(t.round, n.seat, n.points, n.total, t.wentOut);

    Effects e;
    e.changed(n.seat);
    e.changedCards(n.seat);
    e.scored = n.seat;
    if (!firstPost) tellFlips(e, before, m);
    if (complete) tellResults(e, m);
    // While the scores come in, the results that follow them say it all.
    if (!firstPost) tellStatus(e, statusBefore, t);
    e.sounds << QStringLiteral("roundover");
    return e;
}

Effects apply(SessionModel& m, const notice::Penalty& n, const Settings&) {
    seat(m, n.seat).score = n.total;
    seat(m, n.seat).penalty = true;
    Effects e;
    e.changed(n.seat);
    if (m.table.sheet.penalize(n.seat, n.total)) tellResults(e, m);
    return e;
}

Effects apply(SessionModel& m, const notice::NextPlayer& n, const Settings& s) {
    TableModel& t = m.table;
    const int wentOutBefore = t.wentOut;
    t.handShown = false;
    t.discardPick = Pick::Closed;
    t.drawPick = Pick::Closed;
    t.discardInHand = false;
    t.drawInHand = false;
    t.turnSeat = n.seat;
    ++t.turnNumber;
    t.turnMarkerSeat = n.seat;
    t.wentOut = n.lastTurn;
    // Once a seat has gone out everybody is told that this turn is the last.
    const QString lastTurn = n.lastTurn != 0 ? QStringLiteral(" Last turn.") : QString();
    Effects e;
    e.table = true;
    const QString statusBefore = t.status;
    if (n.seat != m.state.myseat) {
        t.status = t.seatLabel(n.seat) + "'s turn." + lastTurn;
    } else {
        t.status = "Your Turn." + lastTurn;
        t.discardPick = Pick::Open;
        t.drawPick = Pick::Open;
        if (n.lastTurn != 0)
            e.sounds << QStringLiteral("lastturn");
        else
            e.sounds << (s.turnSound == 1 ? QStringLiteral("turnnew") : QStringLiteral("turn"));
    }
    tellTurn(e, m, wentOutBefore);
    tellStatus(e, statusBefore, t);
    return e;
}

namespace {
// Other names a table host may give a seat's computer player than the one this client shows.
struct ComputerAlias {
    int seat;
    const char* name;
};
constexpr ComputerAlias computerAliases[] = {{3, "Klock"}};

// A name from the host as this client shows it: a computer player named otherwise by the host
// (seat 3's "Klock") reads as its seat's label, unless someone at the table goes by it.
QString shownName(const TableModel& t, const QString& name) {
    for (int s = 1; s <= TableSeats; ++s)
        if (t.seats[std::size_t(s)].caption() == name) return name;
    for (const ComputerAlias& alias : computerAliases) {
        const SeatModel& at = t.seats[std::size_t(alias.seat)];
        if (name == QLatin1String(alias.name) && at.occupant != Occupant::Player)
            return at.defaultName;
    }
    return name;
}
} // namespace

Effects apply(SessionModel& m, const notice::Winner& n, const Settings&) {
    TableModel& t = m.table;
    const QString statusBefore = t.status;
    const QString textBefore = t.winnerText;
    const bool closedLate = t.sheet.finish();
    t.turnMarkerSeat = 0;
    // Named as the seat label names it, so the banner, the chat and the tally agree.
    const QString name = shownName(t, n.name);
    const bool seated = m.state.myseat >= 1 && m.state.myseat <= m.state.maxseats;
    const bool mine = seated && seat(m, m.state.myseat).caption() == name;
    const QString text = mine ? QString("You have Won the Game!") : name + " has Won the Game!";
    t.winnerText = text;
    t.status = "Game Over!";
    if (m.state.ishost) t.startShown = true;

    Effects e;
    if (closedLate) tellResults(e, m);
    e.sounds << QStringLiteral("winner");
    e.token = Effects::Token::Unstore; // no seat is kept after the game
    e.lines.push_back(note(m, text));
    e.table = true;
    e.gameOver = true;
    if (seated) e.recorded = mine ? QStringLiteral("addtomine") : name;
    if (text != textBefore) e.announcements << text;
    tellStatus(e, statusBefore, t);
    return e;
}

Effects apply(SessionModel& m, const notice::DrawACard& n, const Settings&) {
    if (n.seat != m.state.myseat) return {};
    TableModel& t = m.table;
    const QString statusBefore = t.status;
    const bool inHandBefore = t.drawInHand;
    t.drawPicture = n.code;
    t.drawInHand = true;
    t.status = "Choose to Keep or Discard.";
    t.drawPick = Pick::Picked;
    Effects e;
    e.table = true;
    e.turn = true;
    if (!inHandBefore) tellDrawn(e, t);
    tellStatus(e, statusBefore, t);
    e.sounds << QStringLiteral("draw");
    return e;
}

Effects apply(SessionModel& m, const notice::HeFlipped& n, const Settings&) {
    CardView& card = seat(m, n.seat).cards[std::size_t(n.position)];
    const int was = card.picture;
    card.picture = n.code;
    Effects e;
    e.changedCards(n.seat);
    e.turn = n.seat == m.state.myseat; // the opening flips go on
    if (was == 0 && n.code > 0)
        e.announcements << who(m.table, n.seat, m.state.myseat) + QStringLiteral(" turned up ") +
                               the(n.code) + QStringLiteral(" in ") + cellName(n.position) + u'.';
    return e;
}

Effects replacedDraw(SessionModel& m, const notice::Replaced& n) {
    TableModel& t = m.table;
    t.discardPicture = n.discardTop;
    t.discardInHand = false;
    seat(m, n.seat).cards[std::size_t(n.position)].picture = n.taken;
    t.drawPicture = 0;
    t.drawInHand = false;
    return moveEnded(m, {n.seat, MoveKind::UsedDrawn, n.position, n.taken, n.discardTop},
                     "You used the drawn card.", " used the drawn card.");
}

Effects replacedDiscard(SessionModel& m, const notice::Replaced& n) {
    TableModel& t = m.table;
    seat(m, n.seat).cards[std::size_t(n.position)].picture = n.taken;
    t.discardPicture = n.discardTop;
    t.discardInHand = false;
    return moveEnded(m, {n.seat, MoveKind::TookDiscard, n.position, n.taken, n.discardTop},
                     "You play the top discard.", " played the top discard.");
}

Effects apply(SessionModel& m, const notice::DiscardADrawn& n, const Settings&) {
    TableModel& t = m.table;
    t.discardPicture = n.discardTop;
    t.discardInHand = false;
    t.drawPicture = 0;
    t.drawInHand = false;
    return moveEnded(m, {n.seat, MoveKind::ThrewDrawn, 0, 0, n.discardTop},
                     "You discarded the drawn card.", " discarded the drawn card.");
}

} // namespace pelvo::reduce
