#pragma once
// Where the table's parts stand in the main window's client area at any size: the board scaled
// to the largest size that fits (never below the design size), centred across; the phrase bar
// and the chat at their design places on it, scaled with it. A widget of the client area with
// the property "belowBoard" set (controls shown under the board) is given the board's width
// under the board, and its height is kept free.

// Qt
#include <QSize>

class QWidget;

namespace pelvo {

class Board;
class ChatPanel;
class PhraseBar;

inline constexpr char belowBoardProperty[] = "belowBoard";

struct TableParts {
    QWidget* client = nullptr;
    Board* board = nullptr;
    PhraseBar* phrases = nullptr;
    ChatPanel* chat = nullptr;
};

// The largest scale at which the board and `below` pixels under it fit `client`; at least 1.
qreal tableScale(QSize client, int below);
// The client area the table needs at `scale`.
QSize clientSizeFor(qreal scale, int below);
// The height the visible "belowBoard" widgets of `client` take.
int belowHeight(const QWidget* client);
// Scales and places the parts for the client area's present size.
void layoutTable(const TableParts& parts);

} // namespace pelvo
