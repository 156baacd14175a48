#pragma once
// The hint on the board: a bright ring round each place the hint names (a pile, a card of the
// own grid) and a note with the hint's words, on the felt right of the piles where the board
// shows nothing else. It lies over the board, takes no clicks, and goes as soon as the table
// moves on.

// Qt
#include <QList>
#include <QPointer>
#include <QWidget>

namespace pelvo::board {

class HintMarks : public QWidget {
    Q_OBJECT
public:
    // `board` is the parent; the marks cover it whole.
    explicit HintMarks(QWidget* board);

    // Rings round `places` (children of the board; none for an answer without a move) and the
    // note `text`.
    void showHint(const QList<QWidget*>& places, const QString& text);
    void clear();
    QString text() const { return text_; }
    // Where the note stands, in board pixels.
    QRect noteRect() const;
    // The board's scale: the note's size and the rings' width follow it.
    void setScale(qreal scale);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QList<QPointer<QWidget>> places_;
    QString text_;
    qreal scale_ = 1.0;
};

} // namespace pelvo::board
