// The round and turn rules: game start, rounds, opening flips, turns, scoring, the decision.
#include "host/Engine.h"

// own
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"

// Qt
#include <QStringList>

// std
#include <utility>

namespace pelvo {

namespace {
// The colour of the clients' own system lines (blue).

// Seeds of the streams a deal number gives: one per round for the shuffles, one for the
// computer players.
constexpr std::uint64_t BotStream = 0xB07B07B07ULL;
std::uint64_t dealStream(std::uint64_t deal, std::uint64_t stream) {
    std::uint64_t z = deal ^ (stream * 0xD1B54A32D192ED03ULL);
    z = (z ^ (z >> 33)) * 0xFF51AFD7ED558CCDULL;
    z = (z ^ (z >> 33)) * 0xC4CEB9FE1A85EC53ULL;
    return z ^ (z >> 33);
}

msg::Grid gridCodes(const Seat& seat) {
    msg::Grid codes;
    for (int p = 1; p <= GridCells; ++p) codes[p - 1] = seat.cards[p].code;
    return codes;
}
} // namespace

Engine::Engine(Outbox& outbox, Random& deals, Random& bots, Options options, Hooks hooks)
    : outbox_(outbox), hooks_(std::move(hooks)), random_(deals), bots_(bots), options_(options) {}

// Filled on the first request rather than with every engine: a simulation builds an engine per
// game and most of them never read a line.
void Engine::addCommands() {
    commandsAdded_ = true;
    auto on = [this](void (Engine::*handler)(const QString&)) {
        return [this, handler](const QString& payload) { (this->*handler)(payload); };
    };
    commands_.add(cmd::logininfo, on(&Engine::onLogininfo));
    commands_.add(cmd::kickhim, on(&Engine::onKickhim));
    commands_.add(cmd::chat, on(&Engine::onChat));
    commands_.add(cmd::action, on(&Engine::onAction));
    commands_.add(cmd::playasound, on(&Engine::onPlayasound));
    commands_.add(cmd::startgame, on(&Engine::onStartgame));
    commands_.add(cmd::justwatch, on(&Engine::onJustwatch));
    commands_.add(cmd::flipcard, on(&Engine::onFlipcard));
    commands_.add(cmd::drawcard, on(&Engine::onDrawcard));
    commands_.add(cmd::replacedraw, on(&Engine::onReplacedraw));
    commands_.add(cmd::discarddrawn, on(&Engine::onDiscarddrawn));
    commands_.add(cmd::replacediscard, on(&Engine::onReplacediscard));
    commands_.add(cmd::reclaimseat, on(&Engine::onReclaimseat));
}

void Engine::broadcast(const QByteArray& frame) {
    if (!outbox_.wantsFrames()) return;
    remember(frame);
    for (int slot = 1; slot <= table.slotCount; ++slot)
        if (table.seats[slot].inUse) outbox_.send(slot, frame);
}

bool Engine::listened() const {
    if (!outbox_.wantsFrames()) return false;
    for (int slot = 1; slot <= table.slotCount; ++slot)
        if (table.seats[slot].inUse) return true;
    return false;
}

// ---- timers ----------------------------------------------------------------------------------

int Engine::speed() const {
    const int ms = hooks_.botSpeed ? hooks_.botSpeed() : 1000;
    return ms < 1 ? 1000 : ms;
}

void Engine::armTimer(TimerSeam& timer, int action, int& countdown, int ticks) {
    timer.enabled = false;
    timer.interval = speed();
    timer.action = action;
    countdown = ticks;
    timer.enabled = true;
    ++timer.armings;
    timer.dueAt = now_ + timer.interval;
}

void Engine::stopTimer(TimerSeam& timer) {
    timer.enabled = false;
}

void Engine::timer1Timer() {
    if (!timer1.enabled) return;
    if (--table.delayTicks >= 1) {
        timer1.dueAt += timer1.interval;
        return;
    }
    stopTimer(timer1);
    if (timer1.action == 1)
        findplayer();
    else if (timer1.action == 2)
        startround();
}

void Engine::computertimerTimer() {
    if (!computertimer.enabled) return;
    if (--table.botTicks >= 1) {
        computertimer.dueAt += computertimer.interval;
        return;
    }
    stopTimer(computertimer);
    // The seat is not checked again: a move that no longer fits is dropped by the rules.
    if (computertimer.action == 1)
        computerplay(table.currentPlayer);
    else if (computertimer.action == 2)
        computerdrew(table.currentPlayer);
}

bool Engine::advanceClock() {
    TimerSeam* next = nullptr;
    if (timer1.enabled) next = &timer1;
    if (computertimer.enabled && (!next || computertimer.dueAt < next->dueAt))
        next = &computertimer;
    if (!next) return false;
    if (next->dueAt > now_) now_ = next->dueAt;
    if (next == &timer1)
        timer1Timer();
    else
        computertimerTimer();
    return true;
}

// ---- game and rounds -------------------------------------------------------------------------

void Engine::startgame(const QString& starter, const QString& rounds, const QString& flag3,
                       const QString& flag4) {
    stopTimer(timer1);
    stopTimer(computertimer);
    lastStart_ = {starter, rounds, flag3, flag4};
    if (hooks_.dealSource) {
        deal_ = hooks_.dealSource();
        seeded_ = true;
        random_.reseed(deal_);
        bots_.reseed(dealStream(deal_, BotStream));
    }
    Table& t = table;
    t.gameRunning = true;
    const auto parsed = toInt(rounds);
    t.roundsToPlay = parsed ? *parsed : 5;
    for (int s = 1; s <= Seats; ++s) {
        t.seats[s].total = 0;
        t.seats[s].watching = false;
        t.seats[s].inGame = true;
    }
    if (hooks_.botLevels) botLevels = hooks_.botLevels();
    if (!t.seats[3].inUse && flag3 == u"0") t.seats[3].inGame = false;
    if (!t.seats[4].inUse && flag4 == u"0") t.seats[4].inGame = false;
    tell([&] {
        return msg::startgameNotice(starter, t.roundsToPlay, t.seats[3].inGame, t.seats[4].inGame);
    });
    // A host line like the levels below: every client shows it, old ones too.
    if (seeded_) hostLine(QStringLiteral("Deal %1.").arg(deal_));
    announceLevels();
    t.currentPlayer = random_.below(4);
    t.roundNumber = 0;
    startround();
}

void Engine::announceLevels() {
    // Said only when some seat plays above Classic, so that a classic game sends what it always
    // sent. A host line in chat, as an action from slot 0: every client shows it, and none
    // needs to know a new command.
    bool expert = false, mixed = false;
    BotLevel first = levelOf(1);
    for (int s = 1; s <= Seats; ++s) {
        if (!table.seats[s].inGame) continue;
        expert |= levelOf(s) == BotLevel::Expert;
        mixed |= levelOf(s) != first;
    }
    if (!expert) return;
    QString text = QStringLiteral("Computer players: ");
    if (!mixed) {
        text += QLatin1String(botLevelName(first)) + u'.';
    } else {
        QStringList seats;
        for (int s = 1; s <= Seats; ++s)
            if (table.seats[s].inGame)
                seats << QStringLiteral("seat %1 %2")
                             .arg(s)
                             .arg(QLatin1String(botLevelName(levelOf(s))));
        text += seats.join(QStringLiteral(", ")) + u'.';
    }
    hostLine(text);
}

void Engine::startround() {
    Table& t = table;
    t.wentOut = 0;
    ++t.roundNumber;
    if (t.roundNumber > t.roundsToPlay && checkforwin()) return;
    if (seeded_) random_.reseed(dealStream(deal_, std::uint64_t(t.roundNumber)));
    shufflecards(t, random_);
    // Only the first discard is in sight: the deal below clears every grid.
    seen_ = {};
    seen_.show(t.discardTop());
    tell([&] { return msg::roundstarting(t.roundNumber, t.discardTop()); });
    dealcards();
}

void Engine::dealcards() {
    Table& t = table;
    for (int s = 1; s <= Seats; ++s) {
        Seat& seat = t.seats[s];
        if (seat.inGame) seat.flipsLeft = 2;
        for (int p = 1; p <= GridCells; ++p) seat.cards[p] = Cell{};
    }
    for (int s = 1; s <= Seats; ++s) {
        Seat& seat = t.seats[s];
        if (!seat.inGame) continue;
        msg::Grid codes;
        for (int p = 1; p <= GridCells; ++p) {
            ++t.drawPos;
            seat.cards[p] = Cell{t.drawPile[t.drawPos], 0};
            t.drawPile[t.drawPos] = NoCard;
            codes[p - 1] = seat.cards[p].code;
        }
        if (hooks_.dealt) hooks_.dealt(t, s);
        if (seat.inUse && outbox_.wantsFrames()) outbox_.send(s, msg::mycards(s, codes));
        // Shown to the seat's holder, not to a newcomer in a seat that waits for its player.
        SeatKey& key = keys_[std::size_t(s)];
        key.dealtHere = seat.inUse && key.reservedUntil == 0;
        if (seat.flipsLeft > 0 && t.computerPlays(s)) computerflipcards(s);
    }
}

bool Engine::flipcard(int seat, int position) {
    Table& t = table;
    Seat& s = t.seats[seat];
    Cell& cell = s.cards[position];
    if (cell.faceUp || s.flipsLeft < 1) return false;
    const Cell was = cell;
    cell.faceUp = 1;
    seen_.cellChanged(seat, position, was, cell, s.inGame);
    --s.flipsLeft;
    tell([&] { return msg::heflipped(seat, position, cell.code); });
    // A computer seat makes its next flip at once. That nested flip has done the check below
    // if it was accepted, so the turn is passed only once.
    if (s.flipsLeft >= 1 && t.computerPlays(seat) && computerflipcards(seat)) return true;
    for (int i = 1; i <= Seats; ++i)
        if (t.seats[i].inGame && t.seats[i].flipsLeft > 0) return true;
    t.currentPlayer = random_.below(4);
    findplayer();
    return true;
}

void Engine::findplayer() {
    Table& t = table;
    if (t.wentOut == 0 && t.currentPlayer != 0) checkforcomplete(t.currentPlayer);
    do {
        t.currentPlayer = t.currentPlayer % Seats + 1;
    } while (!t.seats[t.currentPlayer].inGame);
    if (t.currentPlayer == t.wentOut) {
        endround();
        return;
    }
    t.turnState = TurnState::Choose;
    tell([&] { return msg::nextplayer(t.currentPlayer, t.wentOut); });
    if (t.computerPlays(t.currentPlayer)) armTimer(computertimer, 1, t.botTicks, 1);
}

void Engine::checkforcomplete(int seat) {
    if (seat < 1 || seat > Seats) return;
    if (table.seats[seat].faceDownCount() == 0) table.wentOut = seat;
}

bool Engine::drawcard(int seat) {
    Table& t = table;
    if (t.turnState != TurnState::Choose || seat != t.currentPlayer) return false;
    t.turnState = TurnState::Draw;
    if (++t.drawPos > t.drawLimit) {
        for (int c = 1; c <= t.discardCount; ++c) seen_.hide(t.discardPile[c]);
        reshuffle(t, random_);
    }
    ++draws_;
    if (t.seats[seat].inUse) {
        if (outbox_.wantsFrames()) outbox_.send(seat, msg::drawacard(seat, t.drawPile[t.drawPos]));
        if (keys_[std::size_t(seat)].reservedUntil == 0) keys_[std::size_t(seat)].sawDraw = draws_;
    }
    if (t.computerPlays(seat)) armTimer(computertimer, 2, t.botTicks, 1);
    return true;
}

bool Engine::replacedraw(int seat, int position) {
    Table& t = table;
    if (seat != t.currentPlayer || t.turnState != TurnState::Draw) return false;
    Q_ASSERT(t.discardCount < PileCells);
    Cell& cell = t.seats[seat].cards[position];
    const int drawn = std::exchange(t.drawPile[t.drawPos], NoCard);
    const int old = cell.code;
    layFaceUp(seat, position, drawn);
    t.discardPile[++t.discardCount] = old;
    seen_.show(old);
    t.turnState = TurnState::Wait;
    tell([&] { return msg::replaceadraw(seat, position, old, drawn); });
    armTimer(timer1, 1, t.delayTicks, 2);
    return true;
}

bool Engine::discarddrawn(int seat) {
    Table& t = table;
    if (seat != t.currentPlayer || t.turnState != TurnState::Draw) return false;
    Q_ASSERT(t.discardCount < PileCells);
    const int drawn = std::exchange(t.drawPile[t.drawPos], NoCard);
    t.discardPile[++t.discardCount] = drawn;
    seen_.show(drawn);
    t.turnState = TurnState::Wait;
    tell([&] { return msg::discardadrawn(seat, drawn); });
    armTimer(timer1, 1, t.delayTicks, 2);
    return true;
}

bool Engine::replacediscard(int seat, int position) {
    Table& t = table;
    if (seat != t.currentPlayer || t.turnState != TurnState::Choose) return false;
    if (t.discardCount < 1) return false; // nothing to take (never so in a dealt round)
    Cell& cell = t.seats[seat].cards[position];
    const int taken = t.discardPile[t.discardCount];
    const int old = cell.code;
    seen_.hide(taken);
    t.discardPile[t.discardCount] = old;
    seen_.show(old);
    layFaceUp(seat, position, taken);
    t.turnState = TurnState::Wait;
    tell([&] { return msg::replaceadiscard(seat, position, old, taken); });
    armTimer(timer1, 1, t.delayTicks, 2);
    return true;
}

void Engine::layFaceUp(int seat, int position, int code) {
    Cell& cell = table.seats[seat].cards[position];
    const Cell was = std::exchange(cell, Cell{code, 1});
    seen_.cellChanged(seat, position, was, cell, table.seats[seat].inGame);
}

// ---- scoring ---------------------------------------------------------------------------------

int Engine::getscores(int seat) const {
    // Scored into separate values: the grid keeps its card codes for a late joiner's snapshot.
    const Seat& s = table.seats[seat];
    int sum = 0;
    for (int col = 0; col < 3; ++col) {
        const int a = points(s.cards[col * 3 + 1].code);
        const int b = points(s.cards[col * 3 + 2].code);
        const int c = points(s.cards[col * 3 + 3].code);
        if (a == b && b == c && a != -2) continue; // a finished column counts nothing
        sum += a + b + c;
    }
    return sum;
}

void Engine::endround() {
    Table& t = table;
    for (int s = 1; s <= Seats; ++s) {
        Seat& seat = t.seats[s];
        if (!seat.inGame) continue;
        seat.roundScore = getscores(s);
        seat.total += seat.roundScore;
        outbox_.roundScored(s, seat.roundScore, seat.total);
        tell([&] { return msg::postscores(s, seat.roundScore, seat.total, gridCodes(seat)); });
    }
    if (t.wentOut >= 1 && t.wentOut <= Seats) {
        Seat& out = t.seats[t.wentOut];
        bool lower = false;
        for (int s = 1; s <= Seats; ++s)
            if (t.seats[s].inGame && t.seats[s].roundScore < out.roundScore) lower = true;
        if (lower) {
            out.total += 25;
            outbox_.penalised(t.wentOut, out.total);
            tell([&] { return msg::penalty(t.wentOut, out.total); });
        }
    }
    armTimer(timer1, 2, t.delayTicks, 20);
}

bool Engine::checkforwin() {
    Table& t = table;
    int leader = 1;
    for (int s = 2; s <= Seats; ++s)
        if (t.seats[s].inGame && t.seats[s].total < t.seats[leader].total) leader = s;
    for (int s = 1; s <= Seats; ++s)
        if (s != leader && t.seats[s].inGame && t.seats[s].total == t.seats[leader].total)
            return false;
    const Seat& winner = t.seats[leader];
    tell([&] { return msg::winner(winner.name.isEmpty() ? winner.botName : winner.name); });
    t.gameRunning = false;
    endReservations();
    return true;
}

} // namespace pelvo
