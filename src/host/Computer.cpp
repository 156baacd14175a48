// The computer players: greedy rules over the seat's own grid, the discard pile's top, the card
// just drawn and a rough estimate of the other seats. Moves go through the same request checks as
// people's.
#include "host/Engine.h"

// std
#include <exception>
#include <utility>

namespace pelvo {

namespace {
// The two other positions of a position's column, ascending.
constexpr int partnerA[10] = {0, 2, 1, 1, 5, 4, 4, 8, 7, 7};
constexpr int partnerB[10] = {0, 3, 3, 2, 6, 6, 5, 9, 9, 8};

} // namespace

template <class... Fields> bool Engine::submit(void (Engine::*move)(Fields...), Fields... fields) {
    // As the move's request handler is called for a line from the wire once its fields are
    // read, without the queue and without binding to a connection.
    const int outerFrom = std::exchange(from_, Computer);
    const bool outerAccepted = std::exchange(accepted_, false);
    try {
        (this->*move)(fields...);
    } catch (const std::exception&) {
        accepted_ = false;
    }
    from_ = outerFrom;
    return std::exchange(accepted_, outerAccepted);
}

bool Engine::computerflipcards(int seat) {
    const Seat& s = table.seats[seat];
    if ((s.inUse && !s.watching) || s.flipsLeft < 1 || s.faceDownCount() == 0) return false;
    int position;
    do {
        position = 1 + random_.below(9);
    } while (s.cards[position].faceUp);
    return submit(&Engine::requestFlipcard, seat, position);
}

int Engine::circularSearch(int seat) {
    const Seat& s = table.seats[seat];
    const int start = random_.below(9);
    for (int i = 1; i <= GridCells; ++i) {
        const int position = (start + i - 1) % GridCells + 1;
        if (!s.cards[position].faceUp) return position;
    }
    return 0;
}

void Engine::computerplay(int seat) {
    if (seat < 1 || seat > Seats) return;
    const int d = points(table.discardTop());
    const int m = computermatch(seat, d);
    if (m != 0 && computershouldplace(seat, m, true, d)) {
        submit(&Engine::requestReplacediscard, seat, m);
        return;
    }
    const int h = computergethighest(seat);
    if (h != 0) {
        const int v = table.seats[seat].pointsAt(h);
        if (d < v && v > 2 && d < 6 && computershouldplace(seat, h, true, d)) {
            submit(&Engine::requestReplacediscard, seat, h);
            return;
        }
    }
    const int limit = 4 + random_.below(3);
    if (d < limit) {
        const int p = circularSearch(seat);
        if (p != 0 && computershouldplace(seat, p, false, d)) {
            submit(&Engine::requestReplacediscard, seat, p);
            return;
        }
    }
    submit(&Engine::requestDrawcard, seat);
}

void Engine::computerdrew(int seat) {
    if (seat < 1 || seat > Seats) return;
    const int w = points(table.drawnCard());
    const int m = computermatch(seat, w);
    if (m != 0 && computershouldplace(seat, m, true, w)) {
        submit(&Engine::requestReplacedraw, seat, m);
        return;
    }
    const int h = computergethighest(seat);
    if (h != 0) {
        const int v = table.seats[seat].pointsAt(h);
        if (v > w && v > 2 && computershouldplace(seat, h, true, w)) {
            submit(&Engine::requestReplacedraw, seat, h);
            return;
        }
    }
    if (w < 7) {
        const int p = circularSearch(seat);
        if (p != 0 && computershouldplace(seat, p, false, w)) {
            submit(&Engine::requestReplacedraw, seat, p);
            return;
        }
    }
    submit(&Engine::requestDiscarddrawn, seat);
}

int Engine::computermatch(int seat, int x) const {
    if (x == -2 || x == 0 || x == 15 || x == 25) return 0;
    const Seat& s = table.seats[seat];
    for (int i = 1; i <= GridCells; ++i) {
        // One test per cell (bitwise and): which cells are face up is random, so a branch on
        // that alone would mostly be guessed wrong.
        if (!(s.isUp(i) & (s.pointsAt(i) == x))) continue;
        const int a = partnerA[i], b = partnerB[i];
        if (!s.cards[a].faceUp) return a;
        if (!s.cards[b].faceUp) return b;
        if (s.pointsAt(a) == x) return b;
        if (s.pointsAt(b) == x) return a;
    }
    return 0;
}

int Engine::computergethighest(int seat) const {
    const Seat& s = table.seats[seat];
    int r = 0, highest = 0;
    for (int i = 1; i <= GridCells; ++i) {
        if (!s.isUp(i)) continue;
        const int v = s.pointsAt(i);
        if (r == 0) {
            r = i;
            highest = v;
            continue;
        }
        // Not when the column already holds a pair (face-down partners never match).
        if (v > highest && s.shownPoints(partnerA[i], 100) != s.shownPoints(partnerB[i], 200)) {
            r = i;
            highest = v;
        }
    }
    return r;
}

bool Engine::computervertcomplete(int seat, int position) const {
    const Seat& s = table.seats[seat];
    if (!s.cards[position].faceUp) return false;
    const int v = s.pointsAt(position);
    const int pa = s.shownPoints(partnerA[position], 100);
    const int pb = s.shownPoints(partnerB[position], 100);
    if (v == pa && v == pb) return true; // a finished column
    if ((v == pa || v == pb) && empty(seat) > 2 && table.wentOut == 0) return true;
    return false;
}

bool Engine::computershouldplace(int seat, int position, bool firm, int x) const {
    if (computervertcomplete(seat, position)) return false;
    if (table.wentOut != 0 || firm) return true;
    const int k = empty(seat);
    if (k == 1 && x > 3) return false;
    if (k != 1) return true;
    // This card would finish the grid and end the round: only when nobody seems to be lower.
    int estimate[Seats + 1];
    for (int i = 1; i <= Seats; ++i) {
        estimate[i] = table.seats[i].inGame ? computergetscores(i) : 1000;
        if (i != seat) estimate[i] += 5 * empty(i);
    }
    for (int i = 1; i <= Seats; ++i)
        if (table.seats[i].inGame && estimate[i] < estimate[seat]) return false;
    return true;
}

int Engine::computergetscores(int seat) const {
    const Seat& s = table.seats[seat];
    int sum = 0;
    for (int col = 0; col < 3; ++col) {
        int v[3];
        for (int r = 0; r < 3; ++r) {
            const Cell& c = s.cards[col * 3 + r + 1];
            v[r] = c.faceUp ? points(c.code) : 0;
        }
        if (v[0] == v[1] && v[1] == v[2] && v[0] != -2) continue;
        sum += v[0] + v[1] + v[2];
    }
    return sum;
}

} // namespace pelvo
