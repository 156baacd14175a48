// The request gate and the seating: every line from the wire is read and checked here before
// any state changes, then handed to a rule. Also the connection side of the host: slots, login,
// lost connections, "Just Watch" and the relays.
#include "host/Engine.h"

// own
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"
#include "protocol/Notices.h"

namespace pelvo {

namespace {

// What the host relays stays well below the 64 KiB a client takes in one frame, counted in the
// bytes it will send (a name read as Latin-1 doubles in UTF-8): names are cut to 64 characters,
// a relayed line of more than 48 KiB is refused.
constexpr qsizetype MaxNameLength = 64;
constexpr qsizetype MaxRelayFrame = 48 * 1024;

QString boundedName(const QString& name) {
    if (name.size() <= MaxNameLength) return name;
    // Never half a character: a surrogate pair stays whole or goes.
    const qsizetype keep =
        name.at(MaxNameLength - 1).isHighSurrogate() ? MaxNameLength - 1 : MaxNameLength;
    return name.left(keep);
}

QByteArray bounded(QByteArray frame) {
    if (frame.size() > MaxRelayFrame) throw BadField("relayed line too long");
    return frame;
}

} // namespace

bool Engine::request(int fromSlot, const QString& line) {
    if (fromSlot < Computer || fromSlot > MaxOpenSlots) return false;
    // Computer moves are made from inside other handlers: keep the outer request's state.
    const int outerFrom = std::exchange(from_, fromSlot);
    const bool outerAccepted = std::exchange(accepted_, false);
    if (!commandsAdded_) addCommands();
    commands_.dispatch(line);
    from_ = outerFrom;
    return std::exchange(accepted_, outerAccepted);
}

// ---- checks ----------------------------------------------------------------------------------

int Engine::boundSeat(int seat) const {
    if (seat < 1 || seat > Seats) throw BadField("seat out of range");
    if (from_ != Computer && seat != from_) throw BadField("seat of another connection");
    return seat;
}

int Engine::gridPosition(int position) {
    if (position < 1 || position > GridCells) throw BadField("position out of range");
    return position;
}

int Engine::relaySlot(const QString& slotText) const {
    const int slot = toIntOrThrow(slotText);
    if (slot < 1 || slot > MaxOpenSlots || slot != from_)
        throw BadField("slot of another connection");
    return slot;
}

// ---- request handlers ------------------------------------------------------------------------

void Engine::onLogininfo(const QString& payload) {
    FieldReader f(payload);
    const int slot = f.nextInt();
    if (from_ == Computer || slot != from_) throw BadField("login for another slot");
    const QString version = f.next();
    receivedlogininfo(slot, version, boundedName(f.remainder()));
    accepted_ = true;
}

void Engine::onKickhim(const QString& payload) {
    FieldReader f(payload);
    const int requester = f.nextInt();
    const int target = f.nextInt(1, MaxOpenSlots);
    // Only the connection that runs the table removes anyone.
    if (from_ == Computer || from_ != rightsHolder() || requester != from_) return;
    accepted_ = true;
    disconnectsock(target);
}

void Engine::onChat(const QString& payload) {
    FieldReader f(payload);
    const QString slotText = f.next();
    const int slot = relaySlot(slotText);
    broadcast(bounded(msg::chatRelay(slotText, table.seats[slot].name, f.remainder())));
    accepted_ = true;
}

void Engine::onAction(const QString& payload) {
    FieldReader f(payload);
    const QString slotText = f.next();
    const int slot = relaySlot(slotText);
    broadcast(bounded(msg::actionRelay(slotText, table.seats[slot].name, f.remainder())));
    accepted_ = true;
}

void Engine::onPlayasound(const QString& payload) {
    FieldReader f(payload);
    const QString slotText = f.next();
    relaySlot(slotText);
    broadcast(bounded(msg::playasoundRelay(slotText, f.remainder())));
    accepted_ = true;
}

void Engine::onStartgame(const QString& payload) {
    if (from_ == Computer || from_ != rightsHolder()) return; // only who runs the table starts
    FieldReader f(payload);
    const QString starter = f.next();
    const QString rounds = f.next();
    const QString flag3 = f.next();
    const QString flag4 = f.next();
    accepted_ = true;
    startgame(starter, rounds, flag3, flag4);
}

void Engine::onJustwatch(const QString& payload) {
    FieldReader f(payload);
    const int seat = f.nextInt();
    if (seat < 1 || seat > table.seatCount) return;
    // One's own seat, or any seat for the one who runs the table.
    if (from_ != Computer && from_ != rightsHolder() && seat != from_) return;
    justwatch(seat, f.remainder());
}

void Engine::onFlipcard(const QString& payload) {
    FieldReader f(payload);
    const int seat = f.nextInt();
    requestFlipcard(seat, f.nextInt());
}

void Engine::onDrawcard(const QString& payload) {
    FieldReader f(payload);
    requestDrawcard(f.nextInt());
}

void Engine::onReplacedraw(const QString& payload) {
    FieldReader f(payload);
    const int seat = f.nextInt();
    requestReplacedraw(seat, f.nextInt());
}

void Engine::onDiscarddrawn(const QString& payload) {
    FieldReader f(payload);
    requestDiscarddrawn(f.nextInt());
}

void Engine::onReplacediscard(const QString& payload) {
    FieldReader f(payload);
    const int seat = f.nextInt();
    requestReplacediscard(seat, f.nextInt());
}

// ---- move requests, fields read --------------------------------------------------------------

void Engine::requestFlipcard(int seat, int position) {
    seat = boundSeat(seat);
    position = gridPosition(position);
    // A seat out of this game keeps stale flips from an earlier game; they are not its to make.
    if (!table.seats[seat].inGame) return;
    accepted_ = flipcard(seat, position);
}

void Engine::requestDrawcard(int seat) {
    accepted_ = drawcard(boundSeat(seat));
}

void Engine::requestReplacedraw(int seat, int position) {
    seat = boundSeat(seat);
    accepted_ = replacedraw(seat, gridPosition(position));
}

void Engine::requestDiscarddrawn(int seat) {
    accepted_ = discarddrawn(boundSeat(seat));
}

void Engine::requestReplacediscard(int seat, int position) {
    seat = boundSeat(seat);
    accepted_ = replacediscard(seat, gridPosition(position));
}

// ---- connections -----------------------------------------------------------------------------

int Engine::acceptConnection() {
    Table& t = table;
    int slot = 0;
    if (t.slotCount == 0) {
        t.slotCount = 1;
        slot = 1;
    } else {
        // A seat kept for a dropped player is not free while seats are held.
        for (int s = 1; s <= t.slotCount && slot == 0; ++s)
            if (!t.seats[s].inUse && (!options_.holdSeats || !isReserved(s))) slot = s;
        if (slot == 0 && t.slotCount < MaxOpenSlots) slot = ++t.slotCount;
    }
    if (slot == 0) return Slots; // full: slot 10 is never marked in use
    t.seats[slot].inUse = true;
    // A reservation that ran out ends here. One still running ends only when the newcomer logs
    // in: it may be the seat's own player, back with the token.
    if (slot <= Seats && !isReserved(slot)) keys_[slot] = SeatKey{};
    return slot;
}

void Engine::receivedlogininfo(int slot, const QString& version, const QString& name) {
    Table& t = table;
    // Someone else logs in at a seat that waited for its token: the seat is theirs now.
    if (slot <= Seats && keys_[std::size_t(slot)].reservedUntil != 0)
        keys_[std::size_t(slot)] = SeatKey{};
    t.seats[slot].name = name;
    t.seats[slot].inUse = true;
    broadcast(msg::newplayerinfo(slot, name));
    for (int s = 1; s <= t.slotCount; ++s)
        if (s != slot && t.seats[s].inUse)
            outbox_.send(slot, msg::existingplayers(s, t.seats[s].name));
    if (version != QLatin1String(wire::version)) {
        if (t.seats[1].inUse) outbox_.send(1, msg::havewrongversion(name));
        outbox_.send(slot, msg::wrongversion());
    }
    welcome(slot);
    if (t.gameRunning) sendGamestats(slot); // the snapshot comes last
}

void Engine::sendGamestats(int slot) {
    const Table& t = table;
    msg::GameStats g;
    g.slot = slot;
    g.roundsToPlay = t.roundsToPlay;
    g.roundNumber = t.roundNumber;
    g.currentPlayer = t.currentPlayer;
    g.discardTop = t.discardTop();
    for (int s = 1; s <= Seats; ++s) g.totals[s - 1] = t.seats[s].total;
    g.seat3Out = !t.seats[3].inGame;
    g.seat4Out = !t.seats[4].inGame;
    for (int s = 1; s <= Seats; ++s) {
        if (!t.seats[s].inGame) continue;
        for (int p = 1; p <= GridCells; ++p)
            if (t.seats[s].cards[p].faceUp) g.faceUp.append({s, p, t.seats[s].cards[p].code});
    }
    outbox_.send(slot, msg::gamestats(g));
}

void Engine::disconnectsock(int slot) {
    if (slot < 1 || slot > MaxOpenSlots || !table.seats[slot].inUse) return;
    // A removed player gets no seat kept, and is told why the connection ends.
    if (slot <= Seats) keys_[slot] = SeatKey{};
    outbox_.send(slot, notice::encode(notice::Removed{}));
    // The others are told it was a removal: newer windows then show no departure line of their
    // own for it, and the host line reads the same in every window.
    if (const QString name = table.seats[slot].name; !name.isEmpty()) {
        const QByteArray removed = notice::encode(notice::PlayerRemoved{slot});
        for (int s = 1; s <= table.slotCount; ++s)
            if (s != slot && table.seats[s].inUse) outbox_.send(s, removed);
        hostLine(name + QStringLiteral(" was removed from the table."));
    }
    outbox_.close(slot);
}

void Engine::lostConnection(int slot) {
    if (slot < 1 || slot > MaxOpenSlots) return;
    Table& t = table;
    Seat& seat = t.seats[slot];
    if (!seat.inUse) return; // already freed: nothing to announce, nothing to take over
    const QByteArray notice = msg::playerdisconnected(slot, seat.name);
    for (int s = 1; s <= t.slotCount; ++s)
        if (s != slot && t.seats[s].inUse) outbox_.send(s, notice);
    seat.inUse = false;
    seat.name.clear();
    seat.watching = false;
    afterLoss(slot);
    // In the player's own process the host's client never leaves while the game goes on.
    if (slot == 1 && !options_.windowless) return;
    takeOver(slot);
}

void Engine::takeOver(int seat) {
    Table& t = table;
    if (!t.gameRunning || seat < 1 || seat > Seats || !t.seats[seat].inGame) return;
    if (t.turnState == TurnState::Flip && t.seats[seat].flipsLeft > 0) {
        computerflipcards(seat);
        return;
    }
    if (t.currentPlayer != seat) return;
    if (t.turnState == TurnState::Choose)
        armTimer(computertimer, 1, t.botTicks, 1);
    else if (t.turnState == TurnState::Draw)
        armTimer(computertimer, 2, t.botTicks, 1);
}

void Engine::justwatch(int seat, const QString& mode) {
    Table& t = table;
    if (mode == u"2") {
        t.seats[seat].watching = false;
        broadcast(msg::justwatching(seat, mode));
        accepted_ = true;
    } else if (mode == u"1" && t.gameRunning) {
        t.seats[seat].watching = true;
        broadcast(msg::justwatching(seat, mode));
        accepted_ = true;
        takeOver(seat);
    }
}

} // namespace pelvo
