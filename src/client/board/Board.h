#pragma once
// The board `panel_board` (765 by 542 at scale 1): four seat families, both piles, markers,
// status line, round counter, start button and winner banner. A view of the session's table
// model: it paints what the model holds and hands clicks and keys to the session as the player's
// intents. The whole layout scales; pictures are painted afresh at each scale.
//
// Keys: 1-9 (top row or number pad) choose a grid card laid out as the number pad (7 8 9 the
// top row, 1 2 3 the bottom row); D draws; T takes the discard; X throws the drawn card away;
// Tab, Shift+Tab and the arrows move the focus ring over the piles and the own grid; Enter or
// Space acts on the focused one; Enter starts a game while the Start button shows.

#include <QWidget>

class QLabel;
class QPainter;
class QAbstractButton;

namespace pelvo {

namespace board {
class HintMarks;
}
class Announcer;
class ClientSession;

class Board : public QWidget {
    Q_OBJECT
public:
    explicit Board(ClientSession& session, QWidget* parent = nullptr);
    ~Board() override;

    // Input.
    void card19Click(int position); // one of the own nine cards, grid position 1 to 9
    void image_drawClick();
    void image_discardClick();

    // Seat controls by seat number (after the rotation).
    QLabel* label_playername(int seat) const;
    QLabel* label_score(int seat) const;
    QLabel* image_eyes(int seat) const;
    QAbstractButton* button_start() const;

    // The table's felt; the main window paints it around the board with the board's origin and
    // scale so that the two meet without a seam.
    static void paintFelt(QPainter& p, const QRect& area, const QPoint& boardOrigin,
                          qreal scale = 1.0);

    // ---- Size ----
    static constexpr QSize designSize{765, 542};
    // 1 is the design size; the board takes designSize times `scale`.
    void setScale(qreal scale);
    qreal scale() const;

    // ---- Keyboard and screen reader ----
    // The grid position a digit key (1-9) chooses: the number pad's layout.
    static int positionForDigit(int digit);
    // The focusable places in keyboard order: discard, draw, then the grid row by row.
    QList<QWidget*> focusTargets() const;
    QWidget* focusRing() const;
    // The status object a screen reader hears the table's news from, and their source.
    QWidget* announcement() const;
    Announcer& announcer() const;
    // Where a hint shows its rings and its words.
    board::HintMarks* hintMarks() const;
    QLabel* label_bonus(int seat) const;
    QLabel* image_penalty(int seat) const;
    QLabel* image_notplaying(int seat) const;
    QLabel* card(int seat, int position) const; // grid position 1 to 9
    QLabel* label_status() const;
    QLabel* label_roundnum() const;

    // Screen position (1 bottom, 2 left, 3 top left, 4 top right) of a seat, and the reverse.
    int screenPosition(int seat) const;
    int seatAtPosition(int position) const;

signals:
    // `button_start` was clicked (the main window decides whether to open the start dialog).
    void startClicked();
    // Right click on a seat's name label (seat 1 to 4), at a global position.
    void nameLabelMenuRequested(int seat, const QPoint& globalPos);
    // The logo was clicked (the main window may open the maker's web site).
    void logoClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
