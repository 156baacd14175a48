#pragma once
// The board `panel_board` (765 by 542): four seat families, both piles, markers, status line,
// round counter, start button and winner banner. A display copy: the host decides everything.

#include <QWidget>

#include <functional>

class QLabel;
class QPainter;
class QAbstractButton;

namespace pelvo {

class ClientContext;

class Board : public QWidget {
    Q_OBJECT
public:
    explicit Board(ClientContext& ctx, QWidget* parent = nullptr);
    ~Board() override;

    // Seat rotation: the own seat at screen position 1 (bottom, large cards); also the default
    // names as the name labels' hints.
    void sortstuff(int myseat);
    void clearall();

    // Command handlers; each takes the payload of one received command.
    void startthegame(const QString& payload);
    void roundstarting(const QString& payload);
    void mycards(const QString& payload);
    void gamestats(const QString& payload);
    void postscores(const QString& payload);
    void penalty(const QString& payload);
    void getnextplayer(const QString& payload);
    void winner(const QString& payload);
    void drawacard(const QString& payload);
    void heflipped(const QString& payload);
    void replaceadraw(const QString& payload);
    void discardadrawn(const QString& payload);
    void replaceadiscard(const QString& payload);

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

    // "Turn Sound" set to "New": the own turn plays "turnnew" in place of "turn".
    void setTurnSoundNew(bool on);
    // How the board shows a message box; tests replace it so nothing blocks.
    void setMessageBox(std::function<void(const QString& text)> show);

signals:
    // `button_start` was clicked (the main window decides whether to open the start dialog).
    void startClicked();
    // A game ended with a winner: the winner's name, or "addtomine" when it is this player.
    void gameRecorded(const QString& winner);
    // Right click on a seat's name label (seat 1 to 4), at a global position.
    void nameLabelMenuRequested(int seat, const QPoint& globalPos);
    // A game has started (the main window clears its "Just Watch" check mark).
    void gameStarted();
    // The logo was clicked (the main window may open the maker's web site).
    void logoClicked();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
