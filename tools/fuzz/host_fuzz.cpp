// libFuzzer target for the host's request gate: a structure-aware driver that connects and
// drops players and feeds sequences of requests built from the real command names, with
// fields near the checked bounds, from several slots, with timer ticks and a steady clock in
// between. Seats may be kept for a dropped player, whose reclaim (with a token the table gave, or
// a forged one) moves its connection. After every step the table must hold every card of the
// shoe exactly once, every frame must be whole and go to a connection in use, and the rights to
// run the table must rest with a connection in use. A seat's state shown to a reclaiming
// player carries no face-down card that no player at that seat was dealt this round.
//
// No sockets and no real timers: the engine is driven directly, with a bounded number of ticks,
// so one input runs in well under a millisecond and reaches the same checks and rules as the
// network does.

#include "FuzzInput.h"

#include "host/Engine.h"
#include "protocol/Commands.h"
#include "protocol/Notices.h"
#include "protocol/WireText.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

using namespace pelvo;

// The harness's own checks need no coverage feedback: left out, they no longer take most of
// the run time and the fuzzer is not steered by their loops.
#define PELVO_NO_COVERAGE __attribute__((no_sanitize("coverage")))

namespace {

PELVO_NO_COVERAGE void check(bool ok) {
    if (!ok) std::abort();
}

class Wire : public Outbox {
public:
    const Table* table = nullptr;
    std::vector<int> closed;
    std::vector<std::pair<int, int>> moved;
    std::vector<QString> tokens; // every reclaim token the table handed out
    // The card codes players were dealt this round (CMD_mycards), by seat and position.
    std::array<std::array<int, GridCells + 1>, Seats + 1> dealt{};
    int round = -1;
    PELVO_NO_COVERAGE void send(int slot, const QByteArray& frame) override {
        check(slot >= 1 && slot <= MaxOpenSlots);
        check(table->seats[slot].inUse);
        check(frame.size() >= 2 && frame.back() == wire::terminator);
        check(frame.indexOf(wire::terminator) == frame.size() - 1);
        // Names and relayed lines are bounded, so no frame comes near the clients' limit.
        check(frame.size() < 64 * 1024);
        if (table->roundNumber != round || !table->gameRunning) {
            round = table->gameRunning ? table->roundNumber : -1;
            dealt = {};
        }
        if (frame.startsWith(cmd::reclaimtoken)) {
            const auto n = notice::decode<notice::ReclaimToken>(payload(frame));
            check(n.has_value());
            if (tokens.size() < 8) tokens.push_back(n->token);
        } else if (frame.startsWith(cmd::mycards)) {
            const auto n = notice::decode<notice::MyCards>(payload(frame));
            check(n.has_value() && n->seat == slot && slot <= Seats);
            for (const auto& [position, code] : n->cards)
                if (position >= 1 && position <= GridCells) dealt[slot][position] = code;
        } else if (frame.startsWith(cmd::seatstate)) {
            const auto n = notice::decode<notice::SeatState>(payload(frame));
            check(n.has_value() && n->seat == slot && slot <= Seats);
            for (int p = 1; p <= GridCells; ++p) {
                const auto& card = n->cards[std::size_t(p - 1)];
                check(card.faceUp || card.code == NoCard || card.code == dealt[slot][p]);
            }
        }
    }
    void close(int slot) override { closed.push_back(slot); }
    void move(int from, int to) override { moved.emplace_back(from, to); }

private:
    PELVO_NO_COVERAGE static QString payload(const QByteArray& frame) {
        const QString line = decodeWire(frame.chopped(1));
        return line.mid(line.indexOf(u'+') + 1);
    }
};

// Every card in exactly one place while a round is on: four of each card, sixteen jokers.
PELVO_NO_COVERAGE void account(const Table& t) {
    check(t.drawPos >= 0 && t.drawPos <= PileCells && t.drawLimit <= PileCells);
    check(t.discardCount >= 0 && t.discardCount <= PileCells);
    check(t.currentPlayer >= 0 && t.currentPlayer <= Seats);
    if (!t.gameRunning || t.roundNumber < 1) return;
    std::array<int, Joker + 1> count{};
    for (int c = 1; c <= PileCells; ++c) {
        check(t.drawPile[c] >= 0 && t.drawPile[c] <= Joker);
        ++count[t.drawPile[c]];
        if (c <= t.discardCount) {
            check(t.discardPile[c] >= 0 && t.discardPile[c] <= Joker);
            ++count[t.discardPile[c]];
        }
    }
    for (int s = 1; s <= Seats; ++s)
        for (int p = 1; p <= GridCells; ++p) {
            const int code = t.seats[s].cards[p].code;
            check(code >= 0 && code <= Joker);
            if (t.seats[s].inGame) ++count[code];
        }
    if (t.drawLimit == PileCells) --count[t.drawPile[1]];
    for (int code = 1; code < Joker; ++code) check(count[code] == 4);
    check(count[Joker] == 16);
}

const char* const requests[] = {
    cmd::logininfo,    cmd::kickhim,        cmd::chat,     cmd::action,    cmd::playasound,
    cmd::startgame,    cmd::justwatch,      cmd::flipcard, cmd::drawcard,  cmd::replacedraw,
    cmd::discarddrawn, cmd::replacediscard, cmd::winner,   cmd::gamestats, cmd::reclaimseat};

// Timer ticks, the table counted at every `every`th and at the end. One input gets at most
// `budget` ticks in all: the computer's moves cost most of the time, and a whole game is
// rarely needed to reach a rule.
void ticks(Engine& engine, int n, int every, int& budget) {
    for (int i = 1; i <= n && budget > 0 && engine.advanceClock(); ++i, --budget)
        if (i % every == 0) account(engine.table);
    account(engine.table);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    Wire wire;
    Random random(in.word());
    Engine::Options options;
    options.windowless = in.below(2) == 1;
    options.reserveSeconds = 30 * in.below(3);
    int speed = 1 + in.below(5);
    qint64 wall = 1000;
    int tokensMade = 0;
    Engine::Hooks hooks;
    hooks.botSpeed = [&] { return speed; };
    hooks.wallClock = [&] { return wall; };
    hooks.tokenSource = [&] { return QStringLiteral("%1").arg(++tokensMade, 32, 10, QChar(u'0')); };
    Engine engine(wire, random, options, std::move(hooks));
    wire.table = &engine.table;
    int budget = 500;
    std::vector<int> live;
    auto drop = [&](int slot) {
        std::erase(live, slot);
        if (engine.table.seats[slot].inUse) engine.lostConnection(slot);
    };
    int steps = 0;
    while (!in.atEnd() && ++steps < 400) {
        const int op = in.below(16);
        if (op == 0) {
            const int slot = engine.acceptConnection();
            check(slot >= 1 && slot <= Slots);
            if (slot < Slots) {
                check(std::find(live.begin(), live.end(), slot) == live.end());
                live.push_back(slot);
            }
        } else if (op == 1 && !live.empty()) {
            drop(live[std::size_t(in.below(int(live.size())))]);
        } else if (op == 2) {
            ticks(engine, in.below(64), 1, budget);
        } else if (op == 3) {
            // On towards the end of the game, at a speed that may be out of range.
            speed = in.below(3) - 1;
            ticks(engine, budget, 16, budget);
        } else if (op == 4) {
            wall += qint64(in.below(4)) * 20'000; // a kept seat may run out
        } else if (!live.empty()) {
            const int from = live[std::size_t(in.below(int(live.size())))];
            QString line;
            if (op == 5) {
                line = decodeWire(in.bytes(40));
            } else {
                const char* name =
                    op == 6 ? cmd::reclaimseat : requests[in.below(std::size(requests))];
                QStringList parts{QString::fromLatin1(name)};
                // The own slot first, as honest clients do, most of the time.
                if (in.below(4) != 0) parts << QString::number(from);
                if (name == cmd::reclaimseat && !wire.tokens.empty() && in.below(4) != 0) {
                    parts << wire.tokens[std::size_t(in.below(int(wire.tokens.size())))];
                    parts << QString::fromLatin1(wire::version);
                }
                for (int n = in.below(6); n > 0; --n) parts << in.field();
                line = parts.join(u'+');
                if (in.below(4) != 0) line += u'+';
            }
            engine.request(from, line);
        }
        for (const auto& [from, to] : wire.moved) {
            const auto at = std::find(live.begin(), live.end(), from);
            check(at != live.end());
            check(std::find(live.begin(), live.end(), to) == live.end());
            *at = to;
        }
        wire.moved.clear();
        while (!wire.closed.empty()) {
            const int slot = wire.closed.front();
            wire.closed.erase(wire.closed.begin());
            if (std::find(live.begin(), live.end(), slot) != live.end()) drop(slot);
        }
        account(engine.table);
        for (int slot : live) check(engine.table.seats[slot].inUse);
        const int holder = engine.rightsHolder();
        check(!options.windowless || holder == 0 || engine.table.seats[holder].inUse);
    }
    return 0;
}
