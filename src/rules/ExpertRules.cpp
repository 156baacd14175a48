// The "Expert" computer players: each legal move is scored by the seat's expected round score
// after it, from the cards not yet seen (the shoe less every face-up card and the discard
// pile). A column keeps credit for a pair that may still be completed, as long as the round is
// likely to last; going out is weighed against the chance that somebody ends lower.
#include "rules/ExpertRules.h"

// std
#include <algorithm>
#include <array>
#include <bit>
#include <cstddef>
#include <cmath>
#include <iterator>
#include <limits>
#include <memory>
#include <optional>
#include <type_traits>

namespace pelvo::expert {

namespace {

// Cards are told apart by point value only: 14 kinds, 16 of each in the shoe.
constexpr int Kinds = SeenCards::Kinds;
constexpr int CopiesPerKind = 16;
constexpr int Unknown = SeenCards::NoKind;
constexpr int JokerKind = 0;
constexpr double kindValue[Kinds] = {-2, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 25};
constexpr double kindPairs[Kinds] = {0, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}; // jokers never
constexpr int Penalty = 25;
constexpr double inf = std::numeric_limits<double>::infinity();

// Weights found by playing many games against the classic players.
struct Weights {
    double pairCredit = 0.6;   // share of a possible column completion counted as won
    int seenPerTurn = 2;       // new cards a seat sees per turn (the discard and a draw)
    double lastTurnGain = 3.0; // what an opponent gains with the turn left after going out
    double spread = 3.0;       // uncertainty of an opponent's score beyond its face-down cards
    double outBonus = 0.0;     // worth of ending the round while others still have cards down
};
constexpr Weights weights;

// Kind of a card code (1..53 only).
int kindOf(int code) {
    return SeenCards::kindOf(code);
}

bool isCard(int code) {
    return unsigned(code - 1) < unsigned(Joker);
}

double exactColumn(int a, int b, int c);

// 1 / n for every count of unseen cards, looked up rather than divided: each decision needs one.
constexpr auto reciprocals = [] {
    std::array<double, Kinds * CopiesPerKind + 1> r{};
    for (std::size_t n = 1; n < r.size(); ++n) r[n] = 1.0 / double(n);
    return r;
}();

// What the seat knows of the cards it has not seen, and of the round's likely length.
struct Outlook {
    double p[Kinds]; // chance that an unseen card is of each kind
    double mean = 0; // expected value of an unseen card
    // Worked out from the above by settlePairs(): the share of a pair's cost counted as won, and
    // the cost of a pair over a face-down card. Only kinds face up in the grid can pair.
    double credit[Kinds];
    double pairOpen[Kinds];

    // With `horizon` turns left to see cards in (0..GridCells), `unseen` of each kind
    // (0..CopiesPerKind) of `total` unseen.
    void settlePairs(int horizon, int total, const int (&unseen)[Kinds],
                     const SeenCards::GridKinds& grid);
    // The cost of one card of a kind over two face-down cards.
    double single(int k) const {
        return kindValue[k] + 2 * mean - kindPairs[k] * p[k] * p[k] * 3 * kindValue[k];
    }
    // Expected cost of a column of three kinds (Unknown where face down).
    double column(int a, int b, int c) const;
    // column(kind, a, b) for a card in hand (never Unknown): the same figure with fewer tests.
    double placed(int kind, int a, int b, double singleOfKind) const;
    // The same if the round ended now: no pair is completed any more.
    double final(int a, int b, int c) const;
};

// The chance of meeting at least one card of a kind within the next `looks` cards seen, when
// `unseen` of the `total` cards not yet seen are of that kind: 1 - (1 - p)^looks, the power by
// squaring, a step for each bit of looks.
double completionChance(int unseen, int total, int looks) {
    const double p = unseen * reciprocals[std::size_t(total)];
    double missed = 1, power = 1 - p;
    for (int rest = looks; rest != 0; rest >>= 1, power *= power)
        if (rest & 1) missed *= power;
    return 1 - missed;
}

// completionChance() for every count a seat can meet, worked out once: within a round the
// counts move slowly, so the same few figures serve decision after decision, and the powers
// cost more than a lookup. Indexed by looks / seenPerTurn, all cards unseen, the kind's unseen.
constexpr int Horizons = GridCells + 1;           // looks / seenPerTurn: 0..GridCells
constexpr int Totals = Kinds * CopiesPerKind + 1; // all cards unseen: 1..Kinds * CopiesPerKind
constexpr int Counts = CopiesPerKind + 1;         // of one kind unseen: 0..CopiesPerKind
using CompletionTable = std::array<double, std::size_t(Horizons) * Totals * Counts>;

const CompletionTable& completionTable() {
    static const auto table = [] {
        auto t = std::make_unique<CompletionTable>();
        for (int h = 0; h < Horizons; ++h)
            for (int total = 1; total < Totals; ++total)
                for (int unseen = 0; unseen < Counts; ++unseen)
                    (*t)[std::size_t((h * Totals + total) * Counts + unseen)] =
                        completionChance(unseen, total, h * weights.seenPerTurn);
        return t;
    }();
    return *table;
}

void Outlook::settlePairs(int horizon, int total, const int (&unseen)[Kinds],
                          const SeenCards::GridKinds& grid) {
    // Only kinds face up in the grid can pair; the others are never read.
    unsigned kinds = 0;
    for (int pos = 1; pos <= GridCells; ++pos) kinds |= 1u << (grid[std::size_t(pos)] + 1);
    kinds >>= 1;
    const double* chances = &completionTable()[std::size_t((horizon * Totals + total) * Counts)];
    for (; kinds != 0; kinds &= kinds - 1) {
        const int k = std::countr_zero(kinds);
        const double v = kindValue[k];
        credit[k] = kindPairs[k] * weights.pairCredit * chances[unseen[k]];
        // x x ?: the face-down card may already be the third; if not, a later one may be.
        const double saving = 2 * v + mean;
        pairOpen[k] =
            saving - kindPairs[k] * p[k] * 3 * v - (1 - p[k]) * credit[k] * std::max(saving, 0.0);
    }
}

inline double Outlook::column(int a, int b, int c) const {
    const int unknown = (a == Unknown) + (b == Unknown) + (c == Unknown);
    switch (unknown) {
    case 0: {
        const double sum = kindValue[a] + kindValue[b] + kindValue[c];
        if (a == b && b == c) return a == JokerKind ? sum : 0;
        // A pair whose third card still differs: it may yet be completed.
        const int pair = a == b || a == c ? a : b == c ? b : Unknown;
        return pair == Unknown || sum <= 0 ? sum : sum * (1 - credit[pair]);
    }
    case 1: {
        const int x = a == Unknown ? b : a;
        const int y = c == Unknown ? b : c;
        return x == y ? pairOpen[x] : kindValue[x] + kindValue[y] + mean;
    }
    case 2:
        return single(a != Unknown ? a : b != Unknown ? b : c);
    default:
        return 3 * mean;
    }
}

inline double Outlook::placed(int kind, int a, int b, double singleOfKind) const {
    if (a == Unknown || b == Unknown) {
        if (a == b) return singleOfKind;
        const int y = a == Unknown ? b : a;
        return y == kind ? pairOpen[kind] : kindValue[kind] + kindValue[y] + mean;
    }
    return column(kind, a, b);
}

double Outlook::final(int a, int b, int c) const {
    const int unknown = (a == Unknown) + (b == Unknown) + (c == Unknown);
    switch (unknown) {
    case 0:
        return exactColumn(a, b, c);
    case 1: {
        const int x = a == Unknown ? b : a;
        const int y = c == Unknown ? b : c;
        const double v = kindValue[x];
        return x == y ? 2 * v + mean - kindPairs[x] * p[x] * 3 * v : v + kindValue[y] + mean;
    }
    case 2:
        return single(a != Unknown ? a : b != Unknown ? b : c);
    default:
        return 3 * mean;
    }
}

// The seat's grid as kinds, Unknown where face down.
struct Grid {
    SeenCards::GridKinds kind{};
    int down = 0;
};

// A seat's grid as kinds: face-up cards only.
Grid gridOf(const SeenCards& seen, int seat) {
    return {seen.grid(seat), seen.faceDown(seat)};
}

double exactColumn(int a, int b, int c) {
    return a == b && b == c && a != JokerKind ? 0 : kindValue[a] + kindValue[b] + kindValue[c];
}

// Share of a normal distribution below z, from a table built once (steps of 1/100 up to 8).
double normalBelow(double z) {
    static const auto table = [] {
        std::array<double, 1602> t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = 0.5 * std::erfc(-(double(i) / 100 - 8) / std::sqrt(2.0));
        return t;
    }();
    const double x = (z + 8) * 100;
    if (x <= 0) return 0;
    if (x >= 1600) return 1;
    const auto i = std::size_t(x);
    const double f = x - double(i);
    return table[i] + f * (table[i + 1] - table[i]);
}

// What a decision's set-up reads from the table: the cards seen, the seats in the game and
// whether somebody went out, for the deciding seat.
struct Sight {
    SeenCards seen;
    std::array<bool, Seats + 1> inGame{};
    bool lastTurn = false;
    int seat = 0;
};

class Advisor {
public:
    // Reads `sight` later as well: it must outlive the advisor.
    explicit Advisor(const Sight& sight);

    // The best place for a card of `kind` and its cost. A cost at or above standing() may
    // come back as another figure at or above it, and with another place.
    int bestPlace(int kind, double& cost) const;
    // For every kind, the cost of the best move with a card of that kind in hand (laying it
    // down, or throwing it away at the cost standing()).
    void bestByKind(double (&cost)[Kinds]) const;
    // The cost of going out with a card of `kind`; anything at or above `bound` may come back
    // as a lower figure still at or above it.
    double outCost(int kind, double bound) const;
    // The score left by going out with a card of `kind`, before any penalty.
    double outScore(int kind) const {
        return outRest_ + exactColumn(kind, outBeside_[0], outBeside_[1]);
    }
    // Where a card of `kind` would end the round now (0: nowhere), with the score it leaves.
    int outPlace(int kind, double& score) const;
    double standing() const { return now_; }
    // Every other seat has at most one card face down: all may be waiting to go out.
    bool allWaiting() const { return fewestDown_ <= 1 && mostDown_ <= 1; }
    const Outlook& outlook() const { return outlook_; }

private:
    // Chance that some opponent ends the round strictly below `score`.
    double penaltyChance(double score) const;

    Outlook outlook_;
    Grid grid_;
    double now_ = 0;
    double columnNow_[3] = {};
    int fewestDown_ = GridCells, mostDown_ = 0;
    int outPosition_ = 0;   // the last face-down position, while turning it ends the round
    double outRest_ = 0;    // the score of the columns without it
    int outBeside_[2] = {}; // the kinds beside it in its column
    bool lastTurn_ = false;
    const Sight* sight_ = nullptr;
    // Each opponent's likely score (mean and spread), from estimateOpponents().
    void estimateOpponents() const;
    mutable bool estimated_ = false;
    mutable int opponents_ = 0;
    mutable double oppMean_[Seats];
    mutable double oppSpread_[Seats];
};

Advisor::Advisor(const Sight& sight) : sight_(&sight) {
    const SeenCards& seen = sight.seen;
    const int seat = sight.seat;
    int counted[Kinds];
    for (int k = 0; k < Kinds; ++k) counted[k] = seen.count(k);
    // A seat out of the game (a hint to an onlooker, say) still knows its own face-up cards.
    const bool ownCounted = sight.inGame[std::size_t(seat)];
    int fewestDown = GridCells;
    for (int s = 1; s <= Seats; ++s) {
        if (s == seat || !sight.inGame[std::size_t(s)]) continue;
        const int down = seen.faceDown(s);
        fewestDown = std::min(fewestDown, down);
        mostDown_ = std::max(mostDown_, down);
    }
    grid_ = gridOf(seen, seat);
    if (!ownCounted)
        for (int p = 1; p <= GridCells; ++p)
            if (grid_.kind[p] != Unknown) ++counted[grid_.kind[p]];

    int unseen[Kinds];
    int total = 0;
    // Clamped both ways, so that a count kept wrongly can only mislead, never read outside a
    // table.
    for (int k = 0; k < Kinds; ++k)
        total += (unseen[k] = std::clamp(CopiesPerKind - counted[k], 0, CopiesPerKind));
    // With nothing left unseen (a table no game leaves), every kind counts alike.
    if (total == 0) {
        std::fill(std::begin(unseen), std::end(unseen), 1);
        total = Kinds;
    }
    const double share = reciprocals[std::size_t(total)];
    for (int k = 0; k < Kinds; ++k) outlook_.p[k] = unseen[k] * share;
    for (int k = 0; k < Kinds; ++k) outlook_.mean += outlook_.p[k] * kindValue[k];
    lastTurn_ = sight.lastTurn;
    fewestDown_ = fewestDown;
    outlook_.settlePairs(std::clamp(fewestDown, 0, GridCells) * !lastTurn_, total, unseen,
                         grid_.kind);

    for (int col = 0; col < 3; ++col) {
        columnNow_[col] = outlook_.column(grid_.kind[col * 3 + 1], grid_.kind[col * 3 + 2],
                                          grid_.kind[col * 3 + 3]);
        now_ += columnNow_[col];
    }

    // The other seats' likely scores matter only to a seat that may go out now.
    if (grid_.down != 1 || lastTurn_) return;
    for (int p = 1; p <= GridCells; ++p)
        if (grid_.kind[p] == Unknown) outPosition_ = p;
    for (int col = 0; col < 3; ++col)
        if (col != (outPosition_ - 1) / 3)
            outRest_ += exactColumn(grid_.kind[col * 3 + 1], grid_.kind[col * 3 + 2],
                                    grid_.kind[col * 3 + 3]);
    const int top = (outPosition_ - 1) / 3 * 3 + 1, row = outPosition_ - top;
    outBeside_[0] = grid_.kind[std::size_t(row == 0 ? top + 1 : top)];
    outBeside_[1] = grid_.kind[std::size_t(row == 2 ? top + 1 : top + 2)];
}

void Advisor::estimateOpponents() const {
    // Worked out on first need: most moves are decided before any penalty is weighed.
    double variance = 0;
    for (int k = 0; k < Kinds; ++k) {
        const double d = kindValue[k] - outlook_.mean;
        variance += outlook_.p[k] * d * d;
    }
    for (int s = 1; s <= Seats; ++s) {
        if (s == sight_->seat || !sight_->inGame[std::size_t(s)]) continue;
        const SeenCards::GridKinds& g = sight_->seen.grid(s);
        const int i = opponents_++;
        double mean = -weights.lastTurnGain;
        for (int col = 0; col < 3; ++col)
            mean += outlook_.final(g[col * 3 + 1], g[col * 3 + 2], g[col * 3 + 3]);
        oppMean_[i] = mean;
        const int down = sight_->seen.faceDown(s);
        oppSpread_[i] = std::sqrt(down * variance + weights.spread * weights.spread);
    }
    estimated_ = true;
}

double Advisor::penaltyChance(double score) const {
    if (!estimated_) estimateOpponents();
    double none = 1;
    for (int i = 0; i < opponents_; ++i) {
        // Scores are whole numbers: "strictly below" is below score - 0.5.
        const double z = (score - 0.5 - oppMean_[i]) / oppSpread_[i];
        none *= 1 - normalBelow(z);
    }
    return 1 - none;
}

int Advisor::bestPlace(int kind, double& cost) const {
    // The first position of lowest cost. Every cost is finite, so the first always beats the
    // starting figure; picked without branching, as which position wins is hard to foresee.
    int best = 0;
    double lowest = inf;
    const double single = outlook_.single(kind);
    for (int col = 0; col < 3; ++col) {
        const int top = col * 3 + 1;
        const int* k = &grid_.kind[std::size_t(top)];
        const double rest = now_ - columnNow_[col];
        for (int row = 0; row < 3; ++row) {
            // A position holding the same as one above it in its column leaves the same column.
            if ((row >= 1 && k[row] == k[row - 1]) || (row == 2 && k[row] == k[0])) continue;
            if (top + row == outPosition_) continue; // weighed last, below
            const double c = rest + outlook_.placed(kind, row == 0 ? k[1] : k[0],
                                                    row == 2 ? k[1] : k[2], single);
            const bool lower = c < lowest;
            best = lower ? top + row : best;
            lowest = lower ? c : lowest;
        }
    }
    if (outPosition_ != 0) {
        // Going out costs at least the score it leaves: the chance of a penalty needs working
        // out only where that could beat both the other places and keeping the grid as it is.
        const double least = outScore(kind) - weights.outBonus;
        if (least <= lowest && least < now_) {
            const double c = outCost(kind, inf);
            if (c < lowest || (c == lowest && outPosition_ < best)) {
                best = outPosition_;
                lowest = c;
            }
        }
    }
    cost = lowest;
    return best;
}

void Advisor::bestByKind(double (&cost)[Kinds]) const {
    // A card that pairs with neither of the cards beside it costs the same at a position but
    // for its own value: the lowest such figure over all positions serves every kind. Kinds
    // that do pair get their own figure there, never above the plain one, so the lowest of
    // the two is right for them as well. Only a pair beside the card weighs its value apart.
    const Outlook& o = outlook_;
    double bothDown = inf; // the lowest rest beside two face-down cards
    double plain = inf;    // the lowest rest plus the worth of the cards beside
    double own[Kinds];     // what pairing kinds cost where they pair
    std::fill(std::begin(own), std::end(own), inf);
    double pairRest[GridCells];
    int pairKind[GridCells], pairs = 0;
    for (int col = 0; col < 3; ++col) {
        const int top = col * 3 + 1;
        const int* k = &grid_.kind[std::size_t(top)];
        const double rest = now_ - columnNow_[col];
        for (int row = 0; row < 3; ++row) {
            // A position holding the same as one above it in its column leaves the same column.
            if ((row >= 1 && k[row] == k[row - 1]) || (row == 2 && k[row] == k[0])) continue;
            if (top + row == outPosition_) continue; // weighed by outCost() below
            const int a = row == 0 ? k[1] : k[0];
            const int b = row == 2 ? k[1] : k[2];
            if (a == Unknown && b == Unknown) {
                bothDown = std::min(bothDown, rest);
            } else if (a == Unknown || b == Unknown) {
                const int x = a == Unknown ? b : a;
                plain = std::min(plain, rest + kindValue[x] + o.mean);
                own[x] = std::min(own[x], rest + o.pairOpen[x]);
            } else if (a != b) {
                plain = std::min(plain, rest + (kindValue[a] + kindValue[b]));
                own[a] = std::min(own[a], rest + o.column(a, a, b));
                own[b] = std::min(own[b], rest + o.column(b, a, b));
            } else {
                pairRest[pairs] = rest;
                pairKind[pairs++] = a;
                own[a] = std::min(own[a], rest + o.column(a, a, a));
            }
        }
    }
    // Each in a loop of its own, which the compiler turns into vector arithmetic.
    for (int kind = 0; kind < Kinds; ++kind) cost[kind] = std::min(now_, own[kind]);
    if (plain < inf)
        for (int kind = 0; kind < Kinds; ++kind)
            cost[kind] = std::min(cost[kind], plain + kindValue[kind]);
    if (bothDown < inf)
        for (int kind = 0; kind < Kinds; ++kind)
            cost[kind] = std::min(cost[kind], bothDown + o.single(kind));
    for (int i = 0; i < pairs; ++i) {
        const double known = 2 * kindValue[pairKind[i]], pairOf = 1 - o.credit[pairKind[i]];
        for (int kind = 0; kind < Kinds; ++kind) {
            const double sum = known + kindValue[kind];
            cost[kind] = std::min(cost[kind], pairRest[i] + (sum > 0 ? sum * pairOf : sum));
        }
    }
    if (outPosition_ != 0)
        for (int kind = 0; kind < Kinds; ++kind)
            cost[kind] = std::min(cost[kind], outCost(kind, cost[kind]));
}

double Advisor::outCost(int kind, double bound) const {
    const double score = outScore(kind);
    // The penalty only adds: a score already above the bound needs no more work.
    if (score - weights.outBonus >= bound) return score - weights.outBonus;
    return score + Penalty * penaltyChance(score) - weights.outBonus;
}

int Advisor::outPlace(int kind, double& score) const {
    if (outPosition_ != 0) score = outScore(kind);
    return outPosition_;
}

// When every seat waits for somebody else to go out first, nobody would: now and then a seat
// goes out anyway with a card no worse than the one it turns.
bool goOutAnyway(const Advisor& advisor, int kind, Random& random, int& position) {
    if (!advisor.allWaiting()) return false;
    double score = 0;
    position = advisor.outPlace(kind, score);
    if (position == 0 || score > advisor.standing()) return false;
    return random.below(8) == 0;
}

bool validSeat(int seat) {
    return seat >= 1 && seat <= Seats;
}

// The last set-up, kept (one per thread) for the next decision from the same sight: after
// drawing, a seat decides on the card in hand from the table it decided to draw from, and the
// set-up is most of the work. So the card in hand is not counted as seen: one card among a
// hundred or more unseen, and the players measured no weaker for it.
struct Kept {
    Sight sight;
    std::optional<Advisor> advisor;
};
thread_local Kept kept;

const Advisor& advisorFor(const Table& table, int seat, const SeenCards& seen) {
    Kept& k = kept;
    Sight& s = k.sight;
    bool same = k.advisor && s.seat == seat && s.lastTurn == (table.wentOut != 0);
    for (int i = 1; i <= Seats; ++i)
        same = same && s.inGame[std::size_t(i)] == table.seats[i].inGame;
    if (same && s.seen == seen) return *k.advisor;
    // Copied in plain vector moves, quicker for this size than the string instruction.
    static_assert(std::is_trivially_copyable_v<SeenCards>);
    auto* to = reinterpret_cast<unsigned char*>(&s.seen);
    const auto* from = reinterpret_cast<const unsigned char*>(&seen);
    for (std::size_t i = 0; i < sizeof(SeenCards); ++i) to[i] = from[i];
    for (int i = 1; i <= Seats; ++i) s.inGame[std::size_t(i)] = table.seats[i].inGame;
    s.lastTurn = table.wentOut != 0;
    s.seat = seat;
    return k.advisor.emplace(s);
}

} // namespace

SeenCards::SeenCards() {
    for (GridKinds& g : grids_) g.fill(NoKind);
}

SeenCards SeenCards::countedFrom(const Table& table) {
    SeenCards seen;
    for (int s = 1; s <= Seats; ++s) {
        const Seat& seat = table.seats[s];
        for (int p = 1; p <= GridCells; ++p)
            seen.cellChanged(s, p, Cell{}, seat.cards[p], seat.inGame);
    }
    const int discards = std::clamp(table.discardCount, 0, PileCells);
    for (int c = 1; c <= discards; ++c) seen.show(table.discardPile[c]);
    return seen;
}

ComputerMove chooseFlip(const Table& table, int seat, Random& random) {
    // Opening cards in different columns: each is a card that a later one may pair with, and
    // no column is already spoilt by two unequal cards.
    if (!validSeat(seat)) return {};
    const Seat& s = table.seats[seat];
    bool used[3] = {};
    bool any = false;
    for (int p = 1; p <= GridCells; ++p)
        if (s.isUp(p)) used[(p - 1) / 3] = any = true;
    if (any) {
        const int start = random.below(3);
        for (int i = 0; i < 3; ++i) {
            const int col = (start + i) % 3;
            if (used[col]) continue;
            return {ComputerMove::Flip, col * 3 + 1 + random.below(3)};
        }
    }
    return pelvo::chooseFlip(table, seat, random);
}

ComputerMove choosePlay(const Table& table, int seat, Random& random) {
    return choosePlay(table, seat, random, SeenCards::countedFrom(table));
}

ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random) {
    return chooseAfterDraw(table, seat, random, SeenCards::countedFrom(table));
}

ComputerMove choosePlay(const Table& table, int seat, Random& random, const SeenCards& seen) {
    if (!validSeat(seat)) return {};
    const int top = table.discardTop();
    if (isCard(top)) {
        const Advisor& advisor = advisorFor(table, seat, seen);
        // A draw is worth at least keeping the grid as it is (the card can be thrown away), so
        // the discard needs weighing against a draw only when it improves on that.
        double cost = 0;
        const int p = advisor.bestPlace(kindOf(top), cost);
        if (cost < advisor.standing()) {
            // A draw is worth the best use of whatever comes.
            double best[Kinds];
            advisor.bestByKind(best);
            double draw = 0;
            for (int k = 0; k < Kinds; ++k) draw += advisor.outlook().p[k] * best[k];
            if (cost < draw) return {ComputerMove::ReplaceDiscard, p};
        }
        int out = 0;
        if (goOutAnyway(advisor, kindOf(top), random, out))
            return {ComputerMove::ReplaceDiscard, out};
    }
    return {ComputerMove::DrawCard, 0};
}

ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random, const SeenCards& seen) {
    if (!validSeat(seat)) return {};
    const int card = table.drawnCard();
    if (!isCard(card)) return {ComputerMove::DiscardDrawn, 0};
    const Advisor& advisor = advisorFor(table, seat, seen);
    double cost = 0;
    const int p = advisor.bestPlace(kindOf(card), cost);
    if (cost < advisor.standing()) return {ComputerMove::ReplaceDraw, p};
    int out = 0;
    if (goOutAnyway(advisor, kindOf(card), random, out)) return {ComputerMove::ReplaceDraw, out};
    return {ComputerMove::DiscardDrawn, 0};
}

} // namespace pelvo::expert
