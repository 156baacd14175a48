// Thousands of whole four-computer games from different seeds, watched by an onlooker whose
// every received frame is checked against what the protocol allows at that moment, with every
// card of the shoe accounted for whenever the host says something and after every tick.
#include "HostSupport.h"

#include <gtest/gtest.h>

#include <array>

using namespace pelvo;
using namespace pelvo::test;

namespace {

class Referee : public Outbox {
public:
    explicit Referee(const Table& table) : t_(table) {}

    QStringList errors;
    bool over = false;
    bool dealt = false;
    std::array<int, 5> totals{};
    int frames = 0;

    void send(int slot, const QByteArray& frame) override {
        ++frames;
        if (slot != 5) fail("frame to slot " + QString::number(slot));
        if (frame.isEmpty() || frame.back() != '\xFF' || frame.count('\xFF') != 1)
            fail("bad terminator");
        check(QString::fromUtf8(frame.chopped(1)));
        // The round's notice goes out between the shuffle and the deal that clears the grids.
        if (dealt && !frame.startsWith("CMD_roundstarting+")) account();
    }

    // Every card in exactly one place: piles, grids, the drawn card (still in its pile cell).
    void account() {
        std::array<int, 54> count{};
        for (int c = 1; c <= PileCells; ++c) ++count[t_.drawPile[c]];
        for (int c = 1; c <= PileCells; ++c) {
            if (c <= t_.discardCount)
                ++count[t_.discardPile[c]];
            else if (t_.discardPile[c] != 0)
                fail("card above the discard pile's top");
        }
        for (int s = 1; s <= 4; ++s)
            for (int p = 1; p <= 9; ++p) {
                const int code = t_.seats[s].cards[p].code;
                if (t_.seats[s].inGame)
                    ++count[code];
                else if (code != 0)
                    fail("cards at a seat out of the game");
            }
        // Until the pile is rebuilt, cell 1 keeps a copy of the first discard.
        if (t_.drawLimit == PileCells) --count[t_.drawPile[1]];
        for (int code = 1; code <= 52; ++code)
            if (count[code] != 4)
                fail(QStringLiteral("code %1 seen %2 times").arg(code).arg(count[code]));
        if (count[Joker] != 16) fail(QStringLiteral("%1 jokers").arg(count[Joker]));
    }

private:
    void fail(const QString& what) {
        if (errors.size() < 10) errors << what + " (after " + last_ + ")";
    }
    static int score(const std::array<int, 9>& codes) {
        int sum = 0;
        for (int col = 0; col < 3; ++col) {
            const int a = convert(codes[col * 3]), b = convert(codes[col * 3 + 1]),
                      c = convert(codes[col * 3 + 2]);
            sum += (a == b && b == c && a != -2) ? 0 : a + b + c;
        }
        return sum;
    }
    int nextSeat(int seat) const {
        do seat = seat % 4 + 1;
        while (!inGame_[seat]);
        return seat;
    }

    void check(const QString& line) {
        const QStringList f = line.split(u'+');
        const QString cmd = f[0];
        auto n = [&](int i) { return f.value(i).toInt(); };
        auto seatOk = [&](int s) { return s >= 1 && s <= 4 && inGame_[s]; };
        auto codeOk = [&](int c) { return c >= 1 && c <= 53; };
        if (over) fail("message after the winner: " + line);
        if (cmd == "CMD_startgame") {
            if (f.size() != 6 || !f[5].isEmpty()) fail("layout " + line);
            inGame_ = {false, true, true, f[3] == "t", f[4] == "t"};
        } else if (cmd == "CMD_roundstarting") {
            if (f.size() != 4 || !codeOk(n(2))) fail("layout " + line);
            if (n(1) != round_ + 1) fail("round number " + line);
            round_ = n(1);
            flipping_ = true;
            flips_ = {};
            turn_ = 0;
            top_ = n(2);
            dealt = true;
        } else if (cmd == "CMD_heflipped") {
            if (!flipping_ || !seatOk(n(1)) || n(2) < 1 || n(2) > 9 || !codeOk(n(3)) ||
                ++flips_[n(1)] > 2 || f.size() != 5)
                fail("flip " + line);
        } else if (cmd == "CMD_nextplayer") {
            const int seat = n(1);
            if (!seatOk(seat) || f.size() != 4 || (n(2) != 0 && !seatOk(n(2))))
                fail("turn " + line);
            if (flipping_) {
                for (int s = 1; s <= 4; ++s)
                    if (inGame_[s] && flips_[s] != 2) fail("turn before the flips " + line);
                flipping_ = false;
            } else if (!moved_ || seat != nextSeat(turn_)) {
                fail("turn order " + line);
            }
            turn_ = seat;
            moved_ = false;
        } else if (cmd == "CMD_replaceadraw" || cmd == "CMD_discardadrawn" ||
                   cmd == "CMD_replaceadiscard") {
            if (flipping_ || moved_ || n(1) != turn_) fail("move out of turn " + line);
            moved_ = true;
            if (cmd == "CMD_discardadrawn") {
                if (f.size() != 4 || !codeOk(n(2))) fail("layout " + line);
                top_ = n(2);
            } else {
                if (f.size() != 6 || n(2) < 1 || n(2) > 9 || !codeOk(n(3)) || !codeOk(n(4)))
                    fail("layout " + line);
                if (cmd == "CMD_replaceadiscard" && n(4) != top_)
                    fail("took a card not on top " + line);
                top_ = n(3);
            }
        } else if (cmd == "CMD_postscores") {
            const int seat = n(1);
            std::array<int, 9> codes;
            for (int p = 0; p < 9; ++p) {
                codes[p] = n(5 + 2 * p);
                if (n(4 + 2 * p) != p + 1 || !codeOk(codes[p])) fail("grid " + line);
            }
            if (!seatOk(seat) || f.size() != 22 || !moved_) fail("scores " + line);
            if (n(2) != score(codes)) fail("round score " + line);
            if (n(3) != totals[seat] + n(2)) fail("total " + line);
            totals[seat] = n(3);
        } else if (cmd == "CMD_penalty") {
            if (!seatOk(n(1)) || n(2) != totals[n(1)] + 25 || f.size() != 4)
                fail("penalty " + line);
            totals[n(1)] = n(2);
        } else if (cmd == "CMD_winner") {
            over = true;
            int best = 0;
            for (int s = 1; s <= 4; ++s)
                if (inGame_[s] && (best == 0 || totals[s] < totals[best])) best = s;
            for (int s = 1; s <= 4; ++s)
                if (s != best && inGame_[s] && totals[s] == totals[best])
                    fail("tied winner " + line);
            if (f.value(1) != t_.seats[best].botName || f.size() != 3) fail("winner " + line);
        } else {
            fail("not a notice an onlooker gets: " + line);
        }
        last_ = line;
    }

    const Table& t_;
    QString last_;
    std::array<bool, 5> inGame_{};
    std::array<int, 5> flips_{};
    int round_ = 0, turn_ = 0, top_ = 0;
    bool flipping_ = false, moved_ = false;
};

} // namespace

TEST(Property, ThousandsOfComputerGamesKeepEveryCardAndEndWithAWinner) {
    int tieBreakGames = 0, shortHanded = 0;
    for (int seed = 1; seed <= 2000; ++seed) {
        Random random{std::uint64_t(seed)};
        Table* table = nullptr;
        // The referee needs the table, the engine the referee: wire them in two steps.
        struct Box : Outbox {
            Referee* referee = nullptr;
            void send(int slot, const QByteArray& frame) override { referee->send(slot, frame); }
        } box;
        Engine engine(box, random, Engine::Options{}, Engine::Hooks{.botSpeed = [] { return 3; }});
        table = &engine.table;
        Referee referee(*table);
        box.referee = &referee;
        table->slotCount = 5;
        table->seats[5].inUse = true;

        const QString rounds = QString::number(1 + seed % 9);
        const bool seat3 = seed % 5 != 0, seat4 = seed % 3 != 0;
        shortHanded += !(seat3 && seat4);
        engine.startgame("Sim", rounds, seat3 ? "1" : "0", seat4 ? "1" : "0");
        int ticks = 0;
        while (table->gameRunning && engine.advanceClock() && ++ticks < 200000) {
            referee.account();
        }
        tieBreakGames += table->roundNumber - 1 > table->roundsToPlay;

        ASSERT_TRUE(referee.errors.isEmpty())
            << "seed " << seed << ": " << referee.errors.join("; ").toStdString();
        ASSERT_TRUE(referee.over) << "seed " << seed << " never ended";
        ASSERT_FALSE(table->gameRunning);
        for (int s = 1; s <= 4; ++s) ASSERT_EQ(table->seats[s].total, referee.totals[s]) << seed;
        ASSERT_FALSE(engine.timer1.enabled || engine.computertimer.enabled);
    }
    // The runs went through the rarer paths too.
    EXPECT_GT(tieBreakGames, 0);
    EXPECT_GT(shortHanded, 500);
}
