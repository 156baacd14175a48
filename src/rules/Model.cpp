#include "rules/Model.h"

namespace pelvo {

namespace {

std::uint64_t splitmix(std::uint64_t& x) {
    std::uint64_t z = (x += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    return z ^ (z >> 31);
}

std::uint64_t rotl(std::uint64_t x, int k) {
    return (x << k) | (x >> (64 - k));
}

// Puts `card` into a uniformly chosen empty cell among cells[1..n]. `empty` lists the empty
// cells (first `count` entries); this is the same distribution as picking cells at random until
// an empty one turns up, without the retries.
void placeInEmptyCell(int* cells, int* empty, int& count, int card, Random& random) {
    const int i = random.below(count);
    cells[empty[i]] = card;
    empty[i] = empty[--count];
}

} // namespace

void Random::reseed(std::uint64_t seed) {
    for (auto& s : s_) s = splitmix(seed);
}

// xoshiro256**; inline because every shuffle draws hundreds of numbers through below().
inline std::uint64_t Random::next() {
    const std::uint64_t result = rotl(s_[1] * 5, 7) * 9;
    const std::uint64_t t = s_[1] << 17;
    s_[2] ^= s_[0];
    s_[3] ^= s_[1];
    s_[1] ^= s_[2];
    s_[0] ^= s_[3];
    s_[2] ^= t;
    s_[3] = rotl(s_[3], 45);
    return result;
}

std::uint64_t Random::bits() {
    return next();
}

int Random::below(int n) {
    // Lemire's multiply-shift with rejection: exactly uniform.
    const std::uint64_t range = std::uint64_t(n);
    std::uint64_t x = next() >> 32;
    std::uint64_t m = x * range;
    std::uint32_t low = std::uint32_t(m);
    if (low < range) {
        const std::uint32_t threshold = std::uint32_t(-std::uint32_t(range)) % std::uint32_t(range);
        while (low < threshold) {
            x = next() >> 32;
            m = x * range;
            low = std::uint32_t(m);
        }
    }
    return int(m >> 32);
}

Table::Table() {
    seats[2].botName = QStringLiteral("Klot");
    // Every client labels seat 3's computer "Klick"; the winner line names it the same way.
    seats[3].botName = QStringLiteral("Klick");
    seats[4].botName = QStringLiteral("Kling");
}

void shufflecards(Table& t, Random& random) {
    t.turnState = TurnState::Flip;
    t.drawPile.fill(0);
    t.discardPile.fill(0);
    std::array<int, PileCells> empty;
    for (int i = 0; i < PileCells; ++i) empty[i] = i + 1;
    int count = PileCells;
    for (int deck = 0; deck < 4; ++deck)
        for (int k = 1; k <= 56; ++k)
            placeInEmptyCell(t.drawPile.data(), empty.data(), count, k > 52 ? Joker : k, random);
    t.discardCount = 1;
    t.drawPos = 1;
    t.discardPile[1] = t.drawPile[1];
    t.drawLimit = PileCells;
}

void reshuffle(Table& t, Random& random) {
    t.drawPile.fill(0);
    t.drawLimit = 0;
    const int n = t.discardCount;
    std::array<int, PileCells> empty;
    for (int i = 0; i < n; ++i) empty[i] = i + 1;
    int count = n;
    for (int d = 1; d <= n; ++d) {
        if (t.discardPile[d] == NoCard) continue;
        ++t.drawLimit;
        placeInEmptyCell(t.drawPile.data(), empty.data(), count, t.discardPile[d], random);
        t.discardPile[d] = NoCard;
    }
    t.discardCount = 0;
    t.drawPos = 1;
}

} // namespace pelvo
