#pragma once
// The board `panel_board` (765 by 542): four seat families, both piles, markers, status line,
// round counter, start button and winner banner. A view of the session's table model: it paints
// what the model holds and hands clicks to the session as the player's intents.

#include <QWidget>

class QLabel;
class QPainter;
class QAbstractButton;

namespace pelvo {

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

    // The table's felt; the main window paints it around the board with the board's origin so
    // that the two meet without a seam.
    static void paintFelt(QPainter& p, const QRect& area, const QPoint& boardOrigin);
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

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
