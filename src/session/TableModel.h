#pragma once
// What this client knows of the table, as plain data: the four seats with their names, scores,
// markers and the cards it may see, both piles, the turn, the round, the spectators and the
// status line. The session changes it as notices arrive; views paint it and nothing else.

// own
#include "session/ScoreSheet.h"

// Qt
#include <QList>
#include <QString>

// std
#include <array>
#include <bitset>

namespace pelvo {

inline constexpr int TableSeats = 4;
inline constexpr int GridSize = 9;
static_assert(ScoreSheet::Seats == TableSeats);

// One card place as this client sees it.
struct CardView {
    int picture = -1; // what is shown: -1 no card, 0 the back, 1..53 the face of that code
    int code = 0;     // the code this client was dealt here (its own grid), else 0
    friend bool operator==(const CardView&, const CardView&) = default;
};

// Who a seat's name label names.
enum class Occupant {
    Waiting,  // "<Waiting>": nobody has sat here yet
    Player,   // a person, by the name they logged in with
    Computer, // the computer player, by the seat's default name
};

// The state of a pile for this client's move: open to a click, picked up this turn, or closed
// until the turn comes back.
enum class Pick { Open = 0, Picked = 1, Closed = 2 };

// How a move ended: a taken discard, a used draw or a drawn card thrown away.
enum class MoveKind { None, TookDiscard, UsedDrawn, ThrewDrawn };

struct SeatModel {
    Occupant occupant = Occupant::Waiting;
    QString playerName;    // the person's name while occupant is Player
    QString defaultName;   // the name the computer plays under at this seat
    int score = 0;         // game total shown beside the name
    bool hasBonus = false; // the last round's points are shown beside the score
    int bonus = 0;
    bool penalty = false;                       // the penalty tag is shown
    bool sittingOut = false;                    // the "not playing" tag is shown
    bool playing = false;                       // the seat plays in the current game
    bool watching = false;                      // its player just watches (the eyes are shown)
    std::array<CardView, GridSize + 1> cards{}; // positions 1..9

    // The name label's text.
    QString caption() const;
};

struct Spectator {
    int slot = 0;
    QString name;
    friend bool operator==(const Spectator&, const Spectator&) = default;
};

struct TableModel {
    std::array<SeatModel, TableSeats + 1> seats{}; // 1..4

    int discardPicture = -1; // top of the discard pile; -1 empty
    int drawPicture = 0;     // the back, or the card this client drew
    bool drawInHand = false; // the drawn card is lifted above the draw pile
    bool discardInHand = false;
    Pick drawPick = Pick::Open;
    Pick discardPick = Pick::Open;

    int turnSeat = 0;       // seat whose move the board expects; 0 none
    int turnNumber = 0;     // counts the turns handed out (deals and next players)
    int turnMarkerSeat = 0; // seat the turn marker points at; 0 hidden
    bool handShown = false; // the hand marks where the last card went:
    int handSeat = 0;       // a seat's card (0: the discard pile) ...
    int handPosition = 0;   // ... at this grid position
    int wentOut = 0;        // the seat that went out this round (the last turn runs); 0 none
    int flipsLeft = 0;      // opening flips this client may still ask for
    std::bitset<GridSize + 1> askedToFlip; // own positions asked for this round

    bool roundShown = false; // "Round: r of n" rather than "Round: 0"
    int round = 0;
    int rounds = 0;
    QString status = QStringLiteral("Welcome to Pelvo by Kavrel Software");
    QString winnerText;        // the banner; empty while none is shown
    bool startShown = false;   // the Start button
    bool justWatching = false; // this client's own seat is handed to the computer

    QList<Spectator> spectators; // in order of arrival

    ScoreSheet sheet; // the game's rounds as posted; the last results stay up until the next deal

    // "Round: 0" or "Round: r of n".
    QString roundText() const;
    // A person's name as this window shows it: with the slot ("Hal (6)") when another
    // connection goes by the same name, so the two can be told apart.
    QString shownName(int slot, const QString& name) const;
    // A seat's name label: its caption, and the slot when its person's name is shared.
    QString seatLabel(int seat) const;
    // Scores, bonuses and every card place emptied, as at a game's start.
    void clearall();
};

} // namespace pelvo
