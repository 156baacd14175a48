// What a table does beyond the described host: the rights to run a dedicated table pass on when
// their holder leaves, a seat whose player dropped out of a game waits for that player's reclaim
// token, and a joiner gets the chat so far. Every notice here is one a peer may not know; it
// ignores them and plays on as before.
#include "host/Engine.h"

// own
#include "protocol/ColourText.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"
#include "protocol/Notices.h"

// Qt
#include <QRandomGenerator>

// std
#include <algorithm>
#include <chrono>

namespace pelvo {

namespace {

constexpr quint32 hostLineColour = 0xFF0000; // the clients' own system colour (blue)
constexpr qsizetype MaxNameLength = 64;      // as for a login
// The history a joiner gets stays well below what a connection may hold unsent (a line may be
// up to 48 KiB): the oldest lines go first.
constexpr qsizetype MaxHistoryBytes = 256 * 1024;

qint64 steadyMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// 128 bits from the system's source: a token must not be guessable from earlier ones.
QString newToken() {
    QString token;
    for (int i = 0; i < 4; ++i)
        token += QStringLiteral("%1").arg(uint(QRandomGenerator::system()->generate()), 8, 16,
                                          QChar(u'0'));
    return token;
}

} // namespace

QString Engine::tokenOf(int seat) const {
    return seat >= 1 && seat <= Seats ? keys_[std::size_t(seat)].token : QString();
}

QList<QByteArray> Engine::carriedState() const {
    QList<QByteArray> lines;
    lines << "holder " + QByteArray::number(holder_);
    for (int s = 1; s <= Seats; ++s)
        if (!keys_[std::size_t(s)].token.isEmpty())
            lines << "token " + QByteArray::number(s) + ' ' +
                         keys_[std::size_t(s)].token.toLatin1();
    QByteArrayList in;
    for (int slot = 1; slot <= Slots; ++slot)
        if (table.seats[slot].loggedIn) in << QByteArray::number(slot);
    lines << "loggedin " + in.join(',');
    for (const QByteArray& line : history_) lines << "history " + line;
    return lines;
}

bool Engine::restoreCarried(const QByteArray& word, const QByteArray& rest) {
    if (word == "holder") {
        holder_ = std::clamp(rest.toInt(), 0, Slots);
    } else if (word == "token") {
        const int seat = rest.left(rest.indexOf(' ')).toInt();
        if (seat < 1 || seat > Seats || !rest.contains(' ')) return false;
        keys_[std::size_t(seat)].token = QString::fromLatin1(rest.mid(rest.indexOf(' ') + 1));
    } else if (word == "loggedin") {
        for (const QByteArray& n : rest.split(','))
            if (const int slot = n.toInt(); slot >= 1 && slot <= Slots)
                table.seats[slot].loggedIn = true;
    } else if (word == "history") {
        historyBytes_ += rest.size();
        history_.push_back(rest);
    } else {
        return false;
    }
    return true;
}

qint64 Engine::wallNow() const {
    return hooks_.wallClock ? hooks_.wallClock() : steadyMs();
}

bool Engine::isReserved(int seat) const {
    if (seat < 1 || seat > Seats) return false;
    const SeatKey& key = keys_[std::size_t(seat)];
    return key.reservedUntil != 0 && wallNow() < key.reservedUntil;
}

void Engine::hostLine(const QString& text) {
    broadcast(msg::action(0, text, colourToText(hostLineColour)));
}

void Engine::remember(const QByteArray& frame) {
    QByteArray line = notice::historyOf(frame);
    if (line.isEmpty()) return;
    historyBytes_ += line.size();
    history_.push_back(std::move(line));
    while (history_.size() > std::size_t(HistoryLines) || historyBytes_ > MaxHistoryBytes) {
        historyBytes_ -= history_.front().size();
        history_.pop_front();
    }
}

void Engine::welcome(int slot) {
    table.seats[slot].loggedIn = true;
    // The rights go to a login, never to a bare connection that might stay silent.
    if (options_.windowless && holder_ == 0) holder_ = slot;
    if (options_.windowless) outbox_.send(slot, notice::encode(notice::TableRights{holder_}));
    // A seat at a player's own table is never kept for slot 1: that player's window is the host.
    if (slot <= Seats && options_.reserveSeconds > 0 && (slot != 1 || options_.windowless)) {
        SeatKey& key = keys_[std::size_t(slot)];
        if (key.token.isEmpty()) key.token = hooks_.tokenSource ? hooks_.tokenSource() : newToken();
        outbox_.send(slot,
                     notice::encode(notice::ReclaimToken{key.token, options_.reserveSeconds}));
    }
    for (const QByteArray& line : history_) outbox_.send(slot, line);
}

void Engine::afterLoss(int slot) {
    Table& t = table;
    const bool wasIn = std::exchange(table.seats[slot].loggedIn, false);
    SeatKey& key = keys_[std::size_t(std::min(slot, Seats))];
    // A newcomer that never logged in at a seat waiting for its token leaves the wait as it was.
    const bool waitsOn = !wasIn && key.reservedUntil != 0;
    if (slot <= Seats && !waitsOn) {
        const bool keep = t.gameRunning && t.seats[slot].inGame && options_.reserveSeconds > 0 &&
                          !key.token.isEmpty() && (slot != 1 || options_.windowless);
        if (keep)
            key.reservedUntil = wallNow() + qint64(options_.reserveSeconds) * 1000;
        else
            key = SeatKey{};
    }
    if (options_.windowless && slot == holder_) passRights();
}

void Engine::passRights() {
    const Table& t = table;
    holder_ = 0;
    for (int s = 1; s <= t.slotCount && holder_ == 0; ++s)
        if (t.seats[s].inUse && t.seats[s].loggedIn) holder_ = s;
    if (holder_ == 0) return; // the next one in gets them
    broadcast(notice::encode(notice::TableRights{holder_}));
    const QString& name = t.seats[holder_].name;
    if (!name.isEmpty()) hostLine(name + QStringLiteral(" now runs the table."));
}

void Engine::endReservations() {
    for (int s = 1; s <= Seats; ++s)
        if (!table.seats[s].inUse) keys_[std::size_t(s)] = SeatKey{};
}

void Engine::onReclaimseat(const QString& payload) {
    const std::optional<notice::ReclaimSeat> r = notice::decode<notice::ReclaimSeat>(payload);
    if (!r) throw BadField("malformed reclaim");
    if (from_ == Computer || r->slot != from_) throw BadField("login for another slot");
    if (table.seats[from_].loggedIn) return; // once per connection, as its login
    QString name = r->name;
    if (name.size() > MaxNameLength) // never half a character
        name.truncate(name.at(MaxNameLength - 1).isHighSurrogate() ? MaxNameLength - 1
                                                                   : MaxNameLength);
    Table& t = table;
    const int old = from_;
    // The seat that waits for this token, unless a newcomer sits there; where seats are not held
    // that newcomer may be this very connection.
    int seat = 0;
    for (int s = 1; s <= Seats && seat == 0; ++s)
        if (isReserved(s) && keys_[std::size_t(s)].token == r->token &&
            (!t.seats[s].inUse || s == old))
            seat = s;
    accepted_ = true;
    reclaimed_ = seat;
    if (seat == 0) {
        // No seat waits for this token (it ran out, the game ended, or the seat was taken over):
        // an ordinary login.
        receivedlogininfo(old, r->version, name);
        return;
    }
    if (seat != old) {
        t.seats[old].inUse = false;
        t.seats[old].name.clear();
        outbox_.move(old, seat);
        // The connection held a computer's seat for a moment: the computer plays it again.
        takeOver(old);
        if (holder_ == old) holder_ = seat;
        from_ = seat;
    }
    keys_[std::size_t(seat)].reservedUntil = 0;
    t.seats[seat].inUse = true;
    t.seats[seat].watching = false;
    outbox_.send(seat, notice::encode(notice::SeatReclaimed{seat}));
    receivedlogininfo(seat, r->version, name);
    sendSeatState(seat);
    // A computer move the seat had coming is the player's own again, unless the computer drew
    // the card in hand: then it finishes that turn.
    if (t.currentPlayer == seat && computertimer.enabled &&
        (t.turnState != TurnState::Draw || holderDrew(seat)))
        stopTimer(computertimer);
    hostLine(name + QStringLiteral(" is back."));
}

void Engine::sendSeatState(int seat) {
    const Table& t = table;
    if (!t.gameRunning || !t.seats[seat].inGame) return;
    notice::SeatState s;
    s.seat = seat;
    s.current = t.currentPlayer;
    s.turnState = int(t.turnState);
    s.flipsLeft = qBound(0, t.seats[seat].flipsLeft, 2);
    if (t.turnState == TurnState::Draw && t.currentPlayer == seat) {
        // A card the computer drew meanwhile stays unseen: the turn is the computer's to finish,
        // and the seat is told to wait for the next one.
        if (holderDrew(seat))
            s.drawn = t.drawnCard();
        else
            s.turnState = int(TurnState::Wait);
    }
    // Face-down cards only to a holder that was dealt them; one that came in later (into a
    // computer's seat, say) saw none and is shown none.
    const bool dealt = keys_[std::size_t(seat)].dealtHere;
    for (int p = 1; p <= GridCells; ++p) {
        const Cell& c = t.seats[seat].cards[p];
        s.cards[std::size_t(p - 1)] = {c.faceUp || dealt ? c.code : NoCard, c.faceUp != 0};
    }
    outbox_.send(seat, notice::encode(s));
}

bool Engine::holderDrew(int seat) const {
    return draws_ != 0 && keys_[std::size_t(seat)].sawDraw == draws_;
}

} // namespace pelvo
