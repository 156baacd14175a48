#pragma once
// Test doubles for the table engine: an outbox that records every frame, a generator whose
// picks a test can script, and small helpers to set up a table by hand.

#include "host/Engine.h"
#include "protocol/Messages.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <deque>
#include <sstream>
#include <string>
#include <vector>

#include <ostream>

// Readable failures: gtest prints QString through this.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace pelvo::test {

struct Sent {
    int slot;
    QByteArray frame;
};

class RecordingOutbox : public Outbox {
public:
    std::vector<Sent> sent;
    std::vector<int> closed;
    void send(int slot, const QByteArray& frame) override { sent.push_back({slot, frame}); }
    void close(int slot) override { closed.push_back(slot); }
    void clear() {
        sent.clear();
        closed.clear();
    }
    // Frames sent to one slot, as text without the terminator.
    QStringList to(int slot) const {
        QStringList out;
        for (const Sent& s : sent)
            if (s.slot == slot) out << QString::fromUtf8(s.frame.chopped(1));
        return out;
    }
    QStringList commandsTo(int slot) const {
        QStringList out;
        for (const QString& line : to(slot)) out << line.section(u'+', 0, 0);
        return out;
    }
};

// Hands out scripted picks first, then falls back to the seeded generator.
class ScriptedRandom : public Random {
public:
    std::deque<int> script;
    using Random::Random;
    int below(int n) override {
        if (script.empty()) return Random::below(n);
        const int v = script.front();
        script.pop_front();
        return v % n;
    }
};

// A seat's grid from nine codes, face up where `up` has a 1.
inline void setGrid(Seat& seat, std::array<int, 9> codes, std::array<int, 9> up) {
    for (int p = 1; p <= 9; ++p) seat.cards[p] = Cell{codes[p - 1], up[p - 1]};
}
inline constexpr std::array<int, 9> allUp{1, 1, 1, 1, 1, 1, 1, 1, 1};
inline constexpr std::array<int, 9> allDown{};

// Everything a dropped request must leave alone.
inline std::string dump(const Table& t) {
    std::ostringstream s;
    for (int c = 1; c <= PileCells; ++c) s << t.drawPile[c] << ',' << t.discardPile[c] << ';';
    s << t.drawPos << '/' << t.drawLimit << '/' << t.discardCount << '/' << int(t.turnState) << '/'
      << t.currentPlayer << '/' << t.wentOut << '/' << t.roundNumber << '/' << t.roundsToPlay << '/'
      << t.gameRunning << '/' << t.slotCount << '|';
    for (int slot = 1; slot <= 10; ++slot) {
        const Seat& x = t.seats[slot];
        s << x.name.toStdString() << x.inUse << x.flipsLeft << x.watching << x.inGame << x.total
          << ':';
        for (int p = 1; p <= 9; ++p) s << x.cards[p].code << (x.cards[p].faceUp ? 'u' : 'd');
    }
    return s.str();
}

// Connects and logs in a person; returns the slot.
inline int join(Engine& engine, const QString& name) {
    const int slot = engine.acceptConnection();
    engine.request(slot, QStringLiteral("CMD_logininfo+%1+1.0.1+%2").arg(slot).arg(name));
    return slot;
}

// Runs the timers until the game is over (or `limit` ticks pass).
inline void playOut(Engine& engine, int limit = 1000000) {
    while (engine.table.gameRunning && limit-- > 0 && engine.advanceClock()) {
    }
}

} // namespace pelvo::test
