#pragma once
// Help › Hint (key H): what the Expert computer player would do now with what this player may
// see, shown on the board (rings and a note) and said to a screen reader. Offered to a seated
// player of a live table only; an onlooker has no such item to use. Asked out of turn, the note
// says plainly why there is nothing to do.

// Qt
#include <QObject>

class QAction;

namespace pelvo {

class Board;
class ClientSession;

class HintAction : public QObject {
    Q_OBJECT
public:
    HintAction(ClientSession& session, Board& board, QObject* parent = nullptr);

    QAction* action() const { return action_; }
    // Shows and says the hint for the table as it is now.
    void showHint();

private:
    void follow();
    void takeDown();

    ClientSession& session_;
    Board& board_;
    QAction* action_ = nullptr;
    bool shown_ = false; // a hint is on the board
};

} // namespace pelvo
