// The computer players: greedy rules over the seat's own grid, the discard pile's top, the card
// just drawn and a rough estimate of the other seats from their face-up cards.
#include "rules/ComputerRules.h"

// own
#include "rules/ExpertRules.h"

// std
#include <algorithm>
#include <bit>
#include <cctype>

namespace pelvo {

namespace {
// The two other positions of a position's column, ascending.
constexpr int partnerA[10] = {0, 2, 1, 1, 5, 4, 4, 8, 7, 7};
constexpr int partnerB[10] = {0, 3, 3, 2, 6, 6, 5, 9, 9, 8};

bool validSeat(int seat) {
    return seat >= 1 && seat <= Seats;
}

} // namespace

namespace computer {

int computermatch(const Table& table, int seat, int x) {
    if (x == -2 || x == 0 || x == 15 || x == 25) return 0;
    const Seat& s = table.seats[seat];
    // The face-up cells showing x, gathered without a branch per cell (which cells are face up
    // is random, so such branches would mostly be guessed wrong), then visited in order.
    unsigned hits = 0;
    for (int i = 1; i <= GridCells; ++i) hits |= unsigned(s.isUp(i) & (s.pointsAt(i) == x)) << i;
    while (hits != 0) {
        const int i = std::countr_zero(hits);
        hits &= hits - 1;
        const int a = partnerA[i], b = partnerB[i];
        if (!s.cards[a].faceUp) return a;
        if (!s.cards[b].faceUp) return b;
        if (s.pointsAt(a) == x) return b;
        if (s.pointsAt(b) == x) return a;
    }
    return 0;
}

int computergethighest(const Table& table, int seat) {
    const Seat& s = table.seats[seat];
    int up[GridCells + 1], v[GridCells + 1];
    for (int i = 1; i <= GridCells; ++i) {
        up[i] = int(s.isUp(i));
        v[i] = s.pointsAt(i);
    }
    // Without branches: which cells are face up is random, so every branch on it would often be
    // guessed wrong, and this runs for every move of every computer player.
    int r = 0, highest = 0;
    for (int i = 1; i <= GridCells; ++i) {
        // Not when the column already holds a pair (face-down partners never match).
        const int a = partnerA[i], b = partnerB[i];
        const int pair = up[a] & up[b] & int(v[a] == v[b]);
        const int take = up[i] & (int(r == 0) | (int(v[i] > highest) & (pair ^ 1)));
        r = take ? i : r;
        highest = take ? v[i] : highest;
    }
    return r;
}

bool computervertcomplete(const Table& table, int seat, int position) {
    const Seat& s = table.seats[seat];
    if (!s.cards[position].faceUp) return false;
    const int v = s.pointsAt(position);
    const int pa = s.shownPoints(partnerA[position], 100);
    const int pb = s.shownPoints(partnerB[position], 100);
    if (v == pa && v == pb) return true; // a finished column
    if ((v == pa || v == pb) && empty(table, seat) > 2 && table.wentOut == 0) return true;
    return false;
}

bool computershouldplace(const Table& table, int seat, int position, bool firm, int x) {
    if (computervertcomplete(table, seat, position)) return false;
    if (table.wentOut != 0 || firm) return true;
    const int k = empty(table, seat);
    if (k == 1 && x > 3) return false;
    if (k != 1) return true;
    // This card would finish the grid and end the round: only when nobody seems to be lower.
    int estimate[Seats + 1];
    for (int i = 1; i <= Seats; ++i) {
        estimate[i] = table.seats[i].inGame ? computergetscores(table, i) : 1000;
        if (i != seat) estimate[i] += 5 * empty(table, i);
    }
    for (int i = 1; i <= Seats; ++i)
        if (table.seats[i].inGame && estimate[i] < estimate[seat]) return false;
    return true;
}

int computergetscores(const Table& table, int seat) {
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

int circularSearch(const Table& table, int seat, Random& random) {
    const Seat& s = table.seats[seat];
    const int start = random.below(9);
    for (int i = 1; i <= GridCells; ++i) {
        const int position = (start + i - 1) % GridCells + 1;
        if (!s.cards[position].faceUp) return position;
    }
    return 0;
}

} // namespace computer

using namespace computer;

ComputerMove chooseFlip(const Table& table, int seat, Random& random) {
    if (!validSeat(seat)) return {};
    const Seat& s = table.seats[seat];
    if (s.faceDownCount() == 0) return {};
    int position;
    do {
        position = 1 + random.below(9);
    } while (s.cards[position].faceUp);
    return {ComputerMove::Flip, position};
}

ComputerMove choosePlay(const Table& table, int seat, Random& random) {
    if (!validSeat(seat)) return {};
    const int d = points(table.discardTop());
    const int m = computermatch(table, seat, d);
    if (m != 0 && computershouldplace(table, seat, m, true, d))
        return {ComputerMove::ReplaceDiscard, m};
    const int h = computergethighest(table, seat);
    if (h != 0) {
        const int v = table.seats[seat].pointsAt(h);
        if (d < v && v > 2 && d < 6 && computershouldplace(table, seat, h, true, d))
            return {ComputerMove::ReplaceDiscard, h};
    }
    const int limit = 4 + random.below(3);
    if (d < limit) {
        const int p = circularSearch(table, seat, random);
        if (p != 0 && computershouldplace(table, seat, p, false, d))
            return {ComputerMove::ReplaceDiscard, p};
    }
    return {ComputerMove::DrawCard, 0};
}

ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random) {
    if (!validSeat(seat)) return {};
    const int w = points(table.drawnCard());
    const int m = computermatch(table, seat, w);
    if (m != 0 && computershouldplace(table, seat, m, true, w))
        return {ComputerMove::ReplaceDraw, m};
    const int h = computergethighest(table, seat);
    if (h != 0) {
        const int v = table.seats[seat].pointsAt(h);
        if (v > w && v > 2 && computershouldplace(table, seat, h, true, w))
            return {ComputerMove::ReplaceDraw, h};
    }
    if (w < 7) {
        const int p = circularSearch(table, seat, random);
        if (p != 0 && computershouldplace(table, seat, p, false, w))
            return {ComputerMove::ReplaceDraw, p};
    }
    return {ComputerMove::DiscardDrawn, 0};
}

const char* botLevelName(BotLevel level) {
    return level == BotLevel::Expert ? "Expert" : "Classic";
}

std::optional<BotLevel> botLevelFromName(std::string_view name) {
    auto is = [name](std::string_view word) {
        return std::ranges::equal(name, word, [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
        });
    };
    if (is("classic")) return BotLevel::Classic;
    if (is("expert")) return BotLevel::Expert;
    return std::nullopt;
}

ComputerMove chooseFlip(BotLevel level, const Table& table, int seat, Random& random) {
    return level == BotLevel::Expert ? expert::chooseFlip(table, seat, random)
                                     : chooseFlip(table, seat, random);
}

ComputerMove choosePlay(BotLevel level, const Table& table, int seat, Random& random) {
    return level == BotLevel::Expert ? expert::choosePlay(table, seat, random)
                                     : choosePlay(table, seat, random);
}

ComputerMove chooseAfterDraw(BotLevel level, const Table& table, int seat, Random& random) {
    return level == BotLevel::Expert ? expert::chooseAfterDraw(table, seat, random)
                                     : chooseAfterDraw(table, seat, random);
}

} // namespace pelvo
