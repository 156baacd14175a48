#pragma once
// What the table shows, told as sentences for a screen reader: every move, the turn, the round,
// the scores and the winner. Built from the difference between two TableModel snapshots, so it
// needs no window and a test reads the same words a listener hears.

// own
#include "session/TableModel.h"

// Qt
#include <QObject>
#include <QString>
#include <QStringList>

namespace pelvo {

class ClientSession;

namespace speech {
// "7 of hearts", "queen of spades", "ace of clubs", "joker"; "face down" for the back; empty
// for no card.
QString cardName(int picture);
// Grid position 1..9 as a player reads the grid: "row 2 column 3" (positions run down the
// columns, left column first).
QString cellName(int position);
int rowOf(int position);
int columnOf(int position);
// The grid position at `row` and `column` (1..3 each).
int positionAt(int row, int column);
// "Your card, row 2 column 3: 7 of hearts" or "Klot's card, row 1 column 1: face down".
QString cellDescription(const TableModel& t, int seat, int position, int myseat);
} // namespace speech

// The sentences that tell a listener how `before` became `after`, in the order they happened.
QStringList announcements(const TableModel& before, const TableModel& after, int myseat);

// Follows a session's table and says what changed.
class Announcer : public QObject {
    Q_OBJECT
public:
    explicit Announcer(ClientSession& session, QObject* parent = nullptr);

    // The last announcement, sentences joined by spaces.
    QString text() const { return text_; }

signals:
    void announced(const QString& text);

private:
    void follow();

    ClientSession& session_;
    TableModel previous_;
    QString text_;
};

} // namespace pelvo
