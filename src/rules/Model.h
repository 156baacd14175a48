#pragma once
// The table host's game state as plain data: card codes, the shoe and its two piles, the seat
// table (slots 1 to 10) and the game-wide variables. Nothing here knows about sockets or timers;
// the routines that only move cards live beside the data.

// own
#include "rules/Cards.h"

// Qt
#include <QString>

// std
#include <array>
#include <cstdint>

namespace pelvo {

// ---- Table sizes ---------------------------------------------------------------------------
inline constexpr int PileCells = 224;
inline constexpr int Slots = 10; // slot 10 only ever refuses a tenth connection
inline constexpr int MaxOpenSlots = 9;
inline constexpr int Seats = 4;
inline constexpr int GridCells = 9;

// ---- Random numbers -----------------------------------------------------------------------
// The one generator of a table. The deal number is the seed: the same seed gives the same
// shuffles and the same computer choices. Virtual so that a test can script the picks.
class Random {
public:
    explicit Random(std::uint64_t seed = 1) { reseed(seed); }
    virtual ~Random() = default;
    void reseed(std::uint64_t seed);
    // Uniform integer in 0 .. n-1 (n >= 1).
    virtual int below(int n);
    // 64 random bits (deal numbers).
    std::uint64_t bits();

private:
    std::uint64_t next();
    std::uint64_t s_[4]{};
};

// ---- Seats ----------------------------------------------------------------------------------
struct Cell {
    int code = NoCard;
    int faceUp = 0; // 1 = face up
};

struct Seat {
    QString name;          // display name sent at login; empty while nobody is connected
    bool inUse = false;    // a live connection occupies the slot
    bool loggedIn = false; // and has logged in: until then the computer keeps the seat's turns
    int total = 0;         // total score in the current game
    int flipsLeft = 0;     // opening flips still to make this round
    bool watching = false; // the player handed play to the computer
    QString botName;       // computer player's name (seats 2 to 4)
    std::array<Cell, GridCells + 1> cards{}; // positions 1..9; cell 0 unused
    int roundScore = 0;
    bool inGame = false;

    bool isUp(int position) const { return cards[position].faceUp != 0; }
    int pointsAt(int position) const { return points(cards[position].code); }
    // The points of a face-up card, else `hidden`.
    int shownPoints(int position, int hidden) const {
        return isUp(position) ? pointsAt(position) : hidden;
    }
    int faceDownCount() const {
        int n = 0;
        for (int p = 1; p <= GridCells; ++p) n += int(!isUp(p));
        return n;
    }
};

enum class TurnState { Flip, Choose, Draw, Wait };

// ---- The table ------------------------------------------------------------------------------
struct Table {
    std::array<int, PileCells + 1> drawPile{};    // cells 1..224
    int drawPos = 0;                              // cell taken last
    int drawLimit = 0;                            // last cell that holds a card
    std::array<int, PileCells + 1> discardPile{}; // cells 1..224
    int discardCount = 0;                         // top card is cell discardCount

    std::array<Seat, Slots + 1> seats{}; // slots 1..10; entry 0 unused

    int seatCount = Seats;
    int slotCount = 0; // highest slot handed out so far; never goes down
    bool gameRunning = false;
    int roundsToPlay = 0;
    int roundNumber = 0;
    int currentPlayer = 0;
    int wentOut = 0;
    TurnState turnState = TurnState::Flip;
    int delayTicks = 0;
    int botTicks = 0;

    Table();

    int discardTop() const { return discardCount >= 1 ? discardPile[discardCount] : NoCard; }
    int drawnCard() const { return drawPos >= 1 && drawPos <= PileCells ? drawPile[drawPos] : 0; }
    // In the game and without a person at it: no live connection, or the player watches.
    bool computerPlays(int seat) const {
        const Seat& s = seats[seat];
        return s.inGame && (!s.inUse || !s.loggedIn || s.watching);
    }
};

// Fills the draw pile with a fresh shoe and starts the discard pile with a copy of cell 1
// (drawing starts at cell 2, so that copy is never drawn). Sets the turn state to "flip".
void shufflecards(Table& table, Random& random);
// Turns the whole discard pile into a new draw pile; the discard pile is empty afterwards.
void reshuffle(Table& table, Random& random);

} // namespace pelvo
