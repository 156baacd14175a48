#pragma once
// Card codes and what they mean: the one place a code is turned into rank, suit and points.
// A card code is 0 (no card), 1..52 (blocks of 13 per suit: clubs, diamonds, hearts, spades;
// within a block ace, 2 .. 10, jack, queen, king) or 53 (the joker).

// std
#include <array>
#include <cstddef>

namespace pelvo {

inline constexpr int NoCard = 0;
inline constexpr int Joker = 53;

enum class Suit { Clubs, Diamonds, Hearts, Spades };

// Ranks by their number on the card; the court cards follow the ten.
inline constexpr int Ace = 1, Jack = 11, Queen = 12, King = 13;

// A code of a suited card (1..52).
constexpr bool isSuited(int code) {
    return code >= 1 && code <= 52;
}
// Ace 1 .. King 13, for a suited card; 0 for anything else.
constexpr int rankOf(int code) {
    if (!isSuited(code)) return 0;
    const int r = code % 13;
    return r == 0 ? King : r;
}
// Clubs .. Spades, for a suited card (anything else reads as clubs).
constexpr Suit suitOf(int code) {
    return isSuited(code) ? Suit(int((code - 1) / 13)) : Suit::Clubs;
}
constexpr bool isCourt(int code) {
    return rankOf(code) > 10;
}

// Point value of a card code: joker -2, king 0, jack 15, queen 25, else the rank. The values
// -2, 0..10 and 25 also map to themselves (the remainder keeps the dividend's sign), but 15 does
// not: it reads as the code of a 2.
constexpr int convert(int code) {
    if (code == Joker) return -2;
    const int rank = code % 13;
    switch (rank) {
    case 0:
        return 0;
    case 11:
        return 15;
    case 12:
        return 25;
    default:
        return rank;
    }
}

// convert() of every card code, looked up rather than worked out: the computer players read
// card values many times a turn.
inline constexpr std::array<int, Joker + 1> cardPoints = [] {
    std::array<int, Joker + 1> table{};
    for (int code = 0; code <= Joker; ++code) table[std::size_t(code)] = convert(code);
    return table;
}();

// Point value of a card code (0..53 only).
constexpr int points(int code) {
    return cardPoints[std::size_t(code)];
}

} // namespace pelvo
