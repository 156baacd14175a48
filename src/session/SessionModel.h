#pragma once
// What the session knows, as one value: its own connection's state, the table and what it
// remembers about how the connection is going. The reducer turns it and a notice into the next
// value and a list of effects; the session applies those effects.

// own
#include "session/ChatLine.h"
#include "session/ClientState.h"
#include "session/TableModel.h"

// Qt
#include <QStringList>

// std
#include <bitset>
#include <optional>
#include <vector>

namespace pelvo {

struct SessionModel {
    enum class Ending { Unknown, Removed, Closed };

    ClientState state;
    TableModel table;
    // Slots the host said it removed: their departure is its host line, not one of ours.
    std::bitset<10> removed; // slots 1..9
    Ending ending = Ending::Unknown;
    bool reconnected = false; // this session has reconnected: it has the chat already

    bool gameRunning() const { return table.rounds > 0 && table.winnerText.isEmpty(); }
    bool seated() const { return state.myseat >= 1 && state.myseat <= TableSeats; }
    bool myTurn() const { return seated() && table.turnSeat == state.myseat; }
};

// One finished move as the host told it.
struct MoveEvent {
    int seat = 0;
    MoveKind kind = MoveKind::None;
    int position = 0; // the grid position it went to; 0 when the drawn card was thrown away
    int taken = 0;    // the card that went into the grid (0 when thrown away)
    int discardTop = 0;
};

// What a notice or an intent asks of the world beyond the model.
struct Effects {
    QStringList sounds;          // event sounds by name
    QStringList clips;           // chatter clips that play whatever the settings say
    std::vector<ChatLine> lines; // their time is stamped when they reach the chat
    QStringList announcements;   // sentences for a listener
    QStringList messages;        // to be confirmed by the player
    QList<QByteArray> frames;    // requests to the host, in order

    // Which parts of the table changed.
    bool table = false;
    std::bitset<10> seats; // slots whose name, tags or score changed (1..9)
    std::bitset<TableSeats + 1> cards;
    std::optional<MoveEvent> move;
    bool turn = false; // the turn, or what this client may do in it
    std::optional<int> roundStarted;
    std::optional<int> scored; // the seat whose round points were posted
    bool gameOver = false;

    // Record events.
    bool joined = false;             // this client's own seat has arrived
    std::optional<QString> recorded; // a winner to tally: a name, or "addtomine"
    std::optional<bool> rights;      // this connection runs the table (or no longer)

    // What the connection is to do.
    enum class Token { None, Keep, Unstore, Drop };
    Token token = Token::None;
    int login = 0;             // log in (or reclaim) at this slot
    bool ownLoginSeen = false; // the host announced our own login
    bool seatBack = false;     // the host gave the kept seat back
    bool hangUp = false;       // nothing more is to be handled: the window closes

    void changed(int seat) {
        table = true;
        seats.set(std::size_t(seat));
    }
    void changedCards(int seat) {
        table = true;
        cards.set(std::size_t(seat));
    }
};

} // namespace pelvo
