#pragma once
// View › Score Sheet and its key (S): opens the score sheet window beside the table, made on
// first use, sized to the table's zoom, following the table while it is open.

// Qt
#include <QObject>

class QAction;
class QWidget;

namespace pelvo {

class Board;
class ClientSession;
class Tscoresheet;

class ScoreSheetAction : public QObject {
    Q_OBJECT
public:
    ScoreSheetAction(ClientSession& session, Board& board, QWidget* window);

    QAction* action() const { return action_; }
    // The window once it has been opened; null before.
    Tscoresheet* window() const { return sheet_; }
    void open();

private:
    ClientSession& session_;
    Board& board_;
    QWidget* owner_;
    QAction* action_ = nullptr;
    Tscoresheet* sheet_ = nullptr;
};

} // namespace pelvo
