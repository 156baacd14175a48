// libFuzzer target for the host's request gate: a structure-aware driver that connects and
// drops players and feeds sequences of requests built from the real command names, with
// fields near the checked bounds, from several slots, with timer ticks in between. After every
// step the table must hold every card of the shoe exactly once and every frame must be whole.

#include "FuzzInput.h"

#include "host/Engine.h"
#include "protocol/Commands.h"
#include "protocol/WireText.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <vector>

using namespace pelvo;

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

class Wire : public Outbox {
public:
    const Table* table = nullptr;
    std::vector<int> closed;
    void send(int slot, const QByteArray& frame) override {
        check(slot >= 1 && slot <= MaxOpenSlots);
        check(table->seats[slot].inUse);
        check(frame.size() >= 2 && frame.back() == wire::terminator);
        check(frame.indexOf(wire::terminator) == frame.size() - 1);
        // Names and relayed lines are bounded, so no frame comes near the clients' limit.
        check(frame.size() < 64 * 1024);
    }
    void close(int slot) override { closed.push_back(slot); }
};

// Every card in exactly one place while a round is on: four of each card, sixteen jokers.
void account(const Table& t) {
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
    cmd::logininfo,    cmd::kickhim,        cmd::chat,     cmd::action,   cmd::playasound,
    cmd::startgame,    cmd::justwatch,      cmd::flipcard, cmd::drawcard, cmd::replacedraw,
    cmd::discarddrawn, cmd::replacediscard, cmd::winner,   cmd::gamestats};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    Wire wire;
    Random random(in.word());
    Engine engine(wire, random, Engine::Options{in.below(2) == 1});
    wire.table = &engine.table;
    int speed = 1 + in.below(5);
    engine.botSpeed = [&] { return speed; };
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
            for (int n = in.below(64); n > 0 && engine.advanceClock(); --n) account(engine.table);
        } else if (op == 3) {
            speed = in.below(3) - 1;
            for (int n = 3000; n > 0 && engine.table.gameRunning && engine.advanceClock(); --n)
                account(engine.table);
        } else if (!live.empty()) {
            const int from = live[std::size_t(in.below(int(live.size())))];
            QString line;
            if (op == 4) {
                line = decodeWire(in.bytes(40));
            } else {
                QStringList parts{QString::fromLatin1(requests[in.below(std::size(requests))])};
                // The own slot first, as honest clients do, most of the time.
                if (in.below(4) != 0) parts << QString::number(from);
                for (int n = in.below(6); n > 0; --n) parts << in.field();
                line = parts.join(u'+');
                if (in.below(4) != 0) line += u'+';
            }
            engine.request(from, line);
        }
        while (!wire.closed.empty()) {
            const int slot = wire.closed.front();
            wire.closed.erase(wire.closed.begin());
            if (std::find(live.begin(), live.end(), slot) != live.end()) drop(slot);
        }
        account(engine.table);
        for (int slot : live) check(engine.table.seats[slot].inUse);
    }
    return 0;
}
