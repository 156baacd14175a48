#pragma once
// A computer player at a client's seat: it follows the session's turn and, when the seat is to
// move, decides with the computer players' rules and acts through the session's intents, as a
// person clicking would. It sees only what the session sees (no hidden card).

// own
#include "rules/ComputerRules.h"
#include "rules/Model.h"

// Qt
#include <QObject>

// std
#include <cstdint>

class QTimer;

namespace pelvo {

class ClientSession;

class BotPlayer : public QObject {
    Q_OBJECT
public:
    // `seed` feeds the bot's own generator (its random picks).
    BotPlayer(ClientSession& session, std::uint64_t seed, QObject* parent = nullptr);

    // Milliseconds between seeing its move and making it (0: at the next turn of the event loop).
    void setThinkTime(int ms);
    // How well it plays (Classic unless set).
    void setLevel(BotLevel level) { level_ = level; }

    // The table as far as this client can see it, in the host's terms: face-up cards, the
    // discard pile's top, the card in hand, who plays and whether someone went out.
    Table knownTable() const;

    // Makes the move the table asks for now, if any.
    void act();

private:
    ClientSession& session_;
    Random random_;
    BotLevel level_ = BotLevel::Classic;
    QTimer* think_ = nullptr;
    // The turns (by the session's turn number) whose pile choice and drawn card were answered:
    // until the host hands out the next turn, the same turn waits for the host.
    int playedTurn_ = -1;
    int keptTurn_ = -1;
};

} // namespace pelvo
