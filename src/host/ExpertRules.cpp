// The "Expert" computer players: each legal move is scored by the seat's expected round score
// after it, from the cards not yet seen (the shoe less every face-up card and the discard
// pile). A column keeps credit for a pair that may still be completed, as long as the round is
// likely to last; going out is weighed against the chance that somebody ends lower.
#include "host/ExpertRules.h"

// std
#include <algorithm>
#include <cmath>

namespace pelvo::expert {

namespace {

// Cards are told apart by point value only: 14 kinds, 16 of each in the shoe.
constexpr int Kinds = 14;
constexpr int CopiesPerKind = 16;
constexpr int Unknown = -1;
constexpr int JokerKind = 0;
constexpr double kindValue[Kinds] = {-2, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 15, 25};
constexpr int Penalty = 25;

// Weights found by playing many games against the classic players.
struct Weights {
    double pairCredit = 0.6;   // share of a possible column completion counted as won
    int seenPerTurn = 2;       // new cards a seat sees per turn (the discard and a draw)
    double lastTurnGain = 3.0; // what an opponent gains with the turn left after going out
    double spread = 3.0;       // uncertainty of an opponent's score beyond its face-down cards
    double outBonus = 0.0;     // worth of ending the round while others still have cards down
};
constexpr Weights weights;

int kindOf(int code) {
    if (code == Joker) return JokerKind;
    switch (code % 13) {
    case 0:
        return 1;
    case 11:
        return 12;
    case 12:
        return 13;
    default:
        return code % 13 + 1;
    }
}

bool isCard(int code) {
    return code >= 1 && code <= Joker;
}

// The two other positions of a position's column.
constexpr int partnerA[10] = {0, 2, 1, 1, 5, 4, 4, 8, 7, 7};
constexpr int partnerB[10] = {0, 3, 3, 2, 6, 6, 5, 9, 9, 8};

// What the seat knows of the cards it has not seen, and of the round's likely length.
struct Outlook {
    double p[Kinds] = {};          // chance that an unseen card is of each kind
    double mean = 0;               // expected value of an unseen card
    double variance = 0;           // of an unseen card's value
    double completion[Kinds] = {}; // chance of meeting a card of a kind within the horizon

    // Expected cost of a column of three kinds (Unknown where face down).
    double column(int a, int b, int c) const;
};

double Outlook::column(int a, int b, int c) const {
    const int k[3] = {a, b, c};
    int unknown = 0;
    double known = 0;
    for (int v : k) {
        if (v == Unknown)
            ++unknown;
        else
            known += kindValue[v];
    }
    switch (unknown) {
    case 0: {
        if (a == b && b == c && a != JokerKind) return 0;
        // A pair whose third card still differs: it may yet be completed.
        const int pair = a == b || a == c ? a : b == c ? b : Unknown;
        if (pair == Unknown || pair == JokerKind) return known;
        const double saving = known;
        return saving > 0 ? known - weights.pairCredit * completion[pair] * saving : known;
    }
    case 1: {
        int x = Unknown, y = Unknown;
        for (int v : k)
            if (v != Unknown) (x == Unknown ? x : y) = v;
        if (x != y || x == JokerKind) return known + mean;
        const double v = kindValue[x];
        // The face-down card may already be the third; if not, a later one may be.
        const double now = 2 * v + mean - p[x] * 3 * v;
        const double saving = 2 * v + mean;
        return saving > 0 ? now - (1 - p[x]) * weights.pairCredit * completion[x] * saving : now;
    }
    case 2: {
        int x = a != Unknown ? a : b != Unknown ? b : c;
        const double v = kindValue[x];
        return v + 2 * mean - (x != JokerKind ? p[x] * p[x] * 3 * v : 0);
    }
    default:
        return 3 * mean;
    }
}

// The seat's grid as kinds, Unknown where face down.
struct Grid {
    int kind[GridCells + 1] = {};
    int down = 0;
};

Grid gridOf(const Seat& s) {
    Grid g;
    for (int p = 1; p <= GridCells; ++p) {
        const Cell& c = s.cards[p];
        g.kind[p] = c.faceUp && isCard(c.code) ? kindOf(c.code) : Unknown;
        g.down += g.kind[p] == Unknown;
    }
    return g;
}

double gridCost(const Outlook& o, const Grid& g) {
    double sum = 0;
    for (int col = 0; col < 3; ++col)
        sum += o.column(g.kind[col * 3 + 1], g.kind[col * 3 + 2], g.kind[col * 3 + 3]);
    return sum;
}

double exactScore(const Grid& g) {
    double sum = 0;
    for (int col = 0; col < 3; ++col) {
        const int a = g.kind[col * 3 + 1], b = g.kind[col * 3 + 2], c = g.kind[col * 3 + 3];
        if (a == b && b == c && a != JokerKind) continue;
        sum += kindValue[a] + kindValue[b] + kindValue[c];
    }
    return sum;
}

class Advisor {
public:
    Advisor(const Table& table, int seat, int inHand);

    // Expected round score once a card of `kind` lies at `position`.
    double place(int kind, int position) const;
    // The best place for a card of `kind` and its cost.
    int bestPlace(int kind, double& cost) const;
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
    Outlook final_; // the same seen as if the round ended now (no horizon)
    Grid grid_;
    double now_ = 0;
    double columnNow_[3] = {};
    int fewestDown_ = GridCells, mostDown_ = 0;
    bool lastTurn_ = false;
    int opponents_ = 0;
    double oppMean_[Seats] = {};
    double oppSpread_[Seats] = {};
};

Advisor::Advisor(const Table& table, int seat, int inHand) {
    double unseen[Kinds];
    for (double& u : unseen) u = CopiesPerKind;
    auto seen = [&](int code) {
        if (isCard(code)) unseen[kindOf(code)] -= 1;
    };
    int fewestDown = GridCells;
    for (int s = 1; s <= Seats; ++s) {
        const Seat& other = table.seats[s];
        if (!other.inGame && s != seat) continue;
        for (int p = 1; p <= GridCells; ++p)
            if (other.isUp(p)) seen(other.cards[p].code);
        if (s != seat && other.inGame) {
            const int down = other.faceDownCount();
            fewestDown = std::min(fewestDown, down);
            mostDown_ = std::max(mostDown_, down);
        }
    }
    const int discards = table.discardCount < 0           ? 0
                         : table.discardCount > PileCells ? PileCells
                                                          : table.discardCount;
    for (int c = 1; c <= discards; ++c) seen(table.discardPile[c]);
    seen(inHand);

    double total = 0;
    for (double& u : unseen) total += (u = u < 0 ? 0 : u);
    for (int k = 0; k < Kinds; ++k) {
        outlook_.p[k] = total > 0 ? unseen[k] / total : 1.0 / Kinds;
        outlook_.mean += outlook_.p[k] * kindValue[k];
    }
    for (int k = 0; k < Kinds; ++k) {
        const double d = kindValue[k] - outlook_.mean;
        outlook_.variance += outlook_.p[k] * d * d;
    }
    final_ = outlook_;

    lastTurn_ = table.wentOut != 0;
    fewestDown_ = fewestDown;
    const int looks = weights.seenPerTurn * fewestDown * !lastTurn_;
    for (int k = 0; k < Kinds; ++k) {
        double missed = 1;
        for (int i = 0; i < looks; ++i) missed *= 1 - outlook_.p[k];
        outlook_.completion[k] = 1 - missed;
    }

    grid_ = gridOf(table.seats[seat]);
    for (int col = 0; col < 3; ++col) {
        columnNow_[col] = outlook_.column(grid_.kind[col * 3 + 1], grid_.kind[col * 3 + 2],
                                          grid_.kind[col * 3 + 3]);
        now_ += columnNow_[col];
    }

    for (int s = 1; s <= Seats; ++s) {
        const Seat& other = table.seats[s];
        if (s == seat || !other.inGame) continue;
        const Grid g = gridOf(other);
        oppMean_[opponents_] = gridCost(final_, g) - weights.lastTurnGain;
        oppSpread_[opponents_] =
            std::sqrt(g.down * final_.variance + weights.spread * weights.spread);
        ++opponents_;
    }
}

double Advisor::penaltyChance(double score) const {
    double none = 1;
    for (int i = 0; i < opponents_; ++i) {
        // Scores are whole numbers: "strictly below" is below score - 0.5.
        const double z = (score - 0.5 - oppMean_[i]) / oppSpread_[i];
        const double below = 0.5 * std::erfc(-z / std::sqrt(2.0));
        none *= 1 - below;
    }
    return 1 - none;
}

double Advisor::place(int kind, int position) const {
    const int top = (position - 1) / 3 * 3 + 1;
    int k[3] = {grid_.kind[top], grid_.kind[top + 1], grid_.kind[top + 2]};
    const bool wasDown = k[position - top] == Unknown;
    k[position - top] = kind;
    if (wasDown && grid_.down == 1 && !lastTurn_) {
        // This card turns the last one: the round ends with every other seat's next turn.
        Grid g = grid_;
        g.kind[position] = kind;
        const double score = exactScore(g);
        return score + Penalty * penaltyChance(score) - weights.outBonus;
    }
    return now_ - columnNow_[(position - 1) / 3] + outlook_.column(k[0], k[1], k[2]);
}

int Advisor::bestPlace(int kind, double& cost) const {
    int best = 0;
    for (int p = 1; p <= GridCells; ++p) {
        // A position holding the same as one above it in its column leaves the same column.
        const int row = (p - 1) % 3;
        if ((row >= 1 && grid_.kind[p] == grid_.kind[p - 1]) ||
            (row == 2 && grid_.kind[p] == grid_.kind[p - 2]))
            continue;
        const double c = place(kind, p);
        if (best == 0 || c < cost) {
            best = p;
            cost = c;
        }
    }
    return best;
}

int Advisor::outPlace(int kind, double& score) const {
    if (lastTurn_ || grid_.down != 1) return 0;
    for (int p = 1; p <= GridCells; ++p) {
        if (grid_.kind[p] != Unknown) continue;
        Grid g = grid_;
        g.kind[p] = kind;
        score = exactScore(g);
        return p;
    }
    return 0;
}

// When every seat waits for somebody else to go out first, nobody would: now and then a seat
// goes out anyway with a card no worse than the one it turns.
bool goOutAnyway(const Advisor& advisor, int kind, Random& random, int& position) {
    double score = 0;
    position = advisor.outPlace(kind, score);
    if (position == 0 || !advisor.allWaiting() || score > advisor.standing()) return false;
    return random.below(8) == 0;
}

bool validSeat(int seat) {
    return seat >= 1 && seat <= Seats;
}

} // namespace

ComputerMove chooseFlip(const Table& table, int seat, Random& random) {
    return pelvo::chooseFlip(table, seat, random);
}

ComputerMove choosePlay(const Table& table, int seat, Random& random) {
    if (!validSeat(seat)) return {};
    const int top = table.discardTop();
    const Advisor advisor(table, seat, NoCard);
    // A draw is worth the best use of whatever comes, or keeping the grid as it is.
    double draw = 0;
    const Outlook& o = advisor.outlook();
    for (int k = 0; k < Kinds; ++k) {
        if (o.p[k] <= 0) continue;
        double cost = 0;
        advisor.bestPlace(k, cost);
        draw += o.p[k] * std::min(cost, advisor.standing());
    }
    if (isCard(top)) {
        double cost = 0;
        const int p = advisor.bestPlace(kindOf(top), cost);
        if (cost < draw) return {ComputerMove::ReplaceDiscard, p};
        int out = 0;
        if (goOutAnyway(advisor, kindOf(top), random, out))
            return {ComputerMove::ReplaceDiscard, out};
    }
    return {ComputerMove::DrawCard, 0};
}

ComputerMove chooseAfterDraw(const Table& table, int seat, Random& random) {
    if (!validSeat(seat)) return {};
    const int card = table.drawnCard();
    if (!isCard(card)) return {ComputerMove::DiscardDrawn, 0};
    const Advisor advisor(table, seat, card);
    double cost = 0;
    const int p = advisor.bestPlace(kindOf(card), cost);
    if (cost < advisor.standing()) return {ComputerMove::ReplaceDraw, p};
    int out = 0;
    if (goOutAnyway(advisor, kindOf(card), random, out)) return {ComputerMove::ReplaceDraw, out};
    return {ComputerMove::DiscardDrawn, 0};
}

} // namespace pelvo::expert
