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

// A seat's grid as the rules read it, gathered once per decision: which cells are face up
// (bit p for position p) and every cell's points. Gathered without a branch per cell, as which
// cards are face up is random and such branches would mostly be guessed wrong.
struct View {
    unsigned up = 0;
    int v[GridCells + 1] = {};
};

View viewOf(const Seat& s) {
    View g;
    for (int i = 1; i <= GridCells; ++i) {
        g.up |= unsigned(s.isUp(i)) << i;
        g.v[i] = s.pointsAt(i);
    }
    return g;
}

bool upAt(const View& g, int i) {
    return (g.up >> i) & 1U;
}

int matchIn(const View& g, int x) {
    if (x == -2 || x == 0 || x == 15 || x == 25) return 0;
    unsigned hits = 0;
    for (int i = 1; i <= GridCells; ++i) hits |= unsigned(g.v[i] == x) << i;
    hits &= g.up;
    while (hits != 0) {
        const int i = std::countr_zero(hits);
        hits &= hits - 1;
        const int a = partnerA[i], b = partnerB[i];
        if (!upAt(g, a)) return a;
        if (!upAt(g, b)) return b;
        if (g.v[a] == x) return b;
        if (g.v[b] == x) return a;
    }
    return 0;
}

// A candidate's key for highestIn: points above position, so that the largest key is the
// highest card and, among equals, the first position. 0 for a cell that is no candidate.
int keyOf(int points, int position, unsigned candidate) {
    return ((points + 3) << 4 | (15 - position)) & -int(candidate);
}

int highestIn(const View& g) {
    if (g.up == 0) return 0;
    // The highest card of the face-up ones not between a pair, and the first face-up card
    // whatever its column; the first position wins a tie. A plain maximum over keys, column by
    // column, rather than a chain of choices.
    const unsigned first = g.up & (0U - g.up);
    int best = 0;
    for (int top = 1; top <= GridCells; top += 3) {
        const unsigned u = g.up >> top, f = first >> top;
        const int x = g.v[top], y = g.v[top + 1], z = g.v[top + 2];
        const unsigned up0 = u & 1U, up1 = (u >> 1) & 1U, up2 = (u >> 2) & 1U;
        // A cell whose two partners are a face-up pair is between a pair.
        const unsigned free0 = (up1 & up2 & unsigned(y == z)) ^ 1U;
        const unsigned free1 = (up0 & up2 & unsigned(x == z)) ^ 1U;
        const unsigned free2 = (up0 & up1 & unsigned(x == y)) ^ 1U;
        best = std::max(best, keyOf(x, top, up0 & (free0 | f)));
        best = std::max(best, keyOf(y, top + 1, up1 & (free1 | (f >> 1))));
        best = std::max(best, keyOf(z, top + 2, up2 & (free2 | (f >> 2))));
    }
    return 15 - (best & 15);
}

bool vertcompleteIn(const Table& table, const View& g, int position) {
    if (!upAt(g, position)) return false;
    const int v = g.v[position];
    const int a = partnerA[position], b = partnerB[position];
    const int pa = upAt(g, a) ? g.v[a] : 100;
    const int pb = upAt(g, b) ? g.v[b] : 100;
    if (v == pa && v == pb) return true; // a finished column
    const int down = GridCells - std::popcount(g.up);
    return (v == pa || v == pb) && down > 2 && table.wentOut == 0;
}

bool shouldplaceIn(const Table& table, const View& g, int seat, int position, bool firm, int x) {
    if (vertcompleteIn(table, g, position)) return false;
    if (table.wentOut != 0 || firm) return true;
    const int k = GridCells - std::popcount(g.up);
    if (k == 1 && x > 3) return false;
    if (k != 1) return true;
    // This card would finish the grid and end the round: only when nobody seems to be lower.
    int estimate[Seats + 1];
    for (int i = 1; i <= Seats; ++i) {
        estimate[i] = table.seats[i].inGame ? computer::computergetscores(table, i) : 1000;
        if (i != seat) estimate[i] += 5 * computer::empty(table, i);
    }
    for (int i = 1; i <= Seats; ++i)
        if (table.seats[i].inGame && estimate[i] < estimate[seat]) return false;
    return true;
}

int circularIn(const View& g, Random& random) {
    const int start = random.below(9);
    // Face-down positions from start + 1 on, then from 1: the lowest of the rotated mask.
    const unsigned down = ~g.up & 0x3FEU;
    if (down == 0) return 0;
    const unsigned fromStart = down >> (start + 1) << (start + 1);
    return std::countr_zero(fromStart != 0 ? fromStart : down);
}

} // namespace

namespace computer {

int computermatch(const Table& table, int seat, int x) {
    return matchIn(viewOf(table.seats[seat]), x);
}

int computergethighest(const Table& table, int seat) {
    return highestIn(viewOf(table.seats[seat]));
}

bool computervertcomplete(const Table& table, int seat, int position) {
    return vertcompleteIn(table, viewOf(table.seats[seat]), position);
}

bool computershouldplace(const Table& table, int seat, int position, bool firm, int x) {
    return shouldplaceIn(table, viewOf(table.seats[seat]), seat, position, firm, x);
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
    return circularIn(viewOf(table.seats[seat]), random);
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
    const View g = viewOf(table.seats[seat]);
    const int d = points(table.discardTop());
    const int m = matchIn(g, d);
    if (m != 0 && shouldplaceIn(table, g, seat, m, true, d))
        return {ComputerMove::ReplaceDiscard, m};
    // Only a low discard replaces the highest card, so the search is skipped for the others.
    const int h = d < 6 ? highestIn(g) : 0;
    if (h != 0) {
        const int v = g.v[h];
        if (d < v && v > 2 && shouldplaceIn(table, g, seat, h, true, d))
            return {ComputerMove::ReplaceDiscard, h};
    }
    const int limit = 4 + random.below(3);
    if (d < limit) {
        const int p = circularIn(g, random);
        if (p != 0 && shouldplaceIn(table, g, seat, p, false, d))
            return {ComputerMove::ReplaceDiscard, p};
    }
    return {ComputerMove::DrawCard, 0};
}

ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random) {
    if (!validSeat(seat)) return {};
    const View g = viewOf(table.seats[seat]);
    const int w = points(table.drawnCard());
    const int m = matchIn(g, w);
    if (m != 0 && shouldplaceIn(table, g, seat, m, true, w)) return {ComputerMove::ReplaceDraw, m};
    const int h = highestIn(g);
    if (h != 0) {
        const int v = g.v[h];
        if (v > w && v > 2 && shouldplaceIn(table, g, seat, h, true, w))
            return {ComputerMove::ReplaceDraw, h};
    }
    if (w < 7) {
        const int p = circularIn(g, random);
        if (p != 0 && shouldplaceIn(table, g, seat, p, false, w))
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

ComputerMove choosePlay(BotLevel level, const Table& table, int seat, Random& random,
                        const expert::SeenCards* seen) {
    if (level == BotLevel::Classic) return choosePlay(table, seat, random);
    return seen ? expert::choosePlay(table, seat, random, *seen)
                : expert::choosePlay(table, seat, random);
}

ComputerMove chooseAfterDraw(BotLevel level, const Table& table, int seat, Random& random,
                             const expert::SeenCards* seen) {
    if (level == BotLevel::Classic) return chooseAfterDraw(table, seat, random);
    return seen ? expert::chooseAfterDraw(table, seat, random, *seen)
                : expert::chooseAfterDraw(table, seat, random);
}

} // namespace pelvo
