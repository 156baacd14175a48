#pragma once
// Small controls of the board: a clickable picture, the painted start button, the keyboard's
// focus ring and the line a screen reader reads the table's news from.

#include <QAbstractButton>
#include <QLabel>
#include <QStringList>
#include <QTimer>

class QPainter;

namespace pelvo::board {

// Makes `layer` a see-through layer over the board: it paints but takes no clicks and never
// the focus, so the controls below stay as they were. It starts hidden.
void makeOverlay(QWidget* layer, const QString& name);

// A paper-like panel on the felt: a soft shadow below and right, a top-to-bottom gradient and
// an outline, all following one rounded outline.
void paintPanel(QPainter& p, const QRectF& area, qreal radius, const QColor& top,
                const QColor& bottom, const QPen& outline);

// A picture control. Like the other board controls it keeps its state in the dynamic
// properties "Tag" (a number) and "Hint" (a text); "picture" is the index of the card picture
// shown, -1 for none.
class Picture : public QLabel {
    Q_OBJECT
public:
    explicit Picture(QWidget* parent, const QString& name, QRect geometry);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    bool pressed_ = false;
};

// A picture button: the pictures for rest, hover and press are painted by code.
class PictureButton : public QAbstractButton {
    Q_OBJECT
public:
    explicit PictureButton(QWidget* parent, const QString& name, QRect geometry);
    void setScale(qreal scale) { scale_ = scale; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hover_ = false;
    qreal scale_ = 1.0;
};

// The winner banner: a ribbon behind the two text labels.
class Banner : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// A thick ring, yellow inside black, round the control the keyboard acts on: it reads on the
// felt, on white card faces and on red backs alike. It shows only while the keyboard is in use
// (from a key press in its window until the next mouse press there), so a mouse player never
// sees a ring that looks like a "click here" hint.
class FocusRing : public QWidget {
    Q_OBJECT
public:
    explicit FocusRing(QWidget* parent);
    // Surrounds `target` (a sibling) while the keyboard is in use; hides for none.
    void follow(const QWidget* target, qreal scale);
    bool keyboardInUse() const { return keyboard_; }

signals:
    // A key was pressed after the mouse: the owner shows the ring where the focus is.
    void keyboardTookOver();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    qreal scale_ = 1.0;
    bool keyboard_ = false;
};

// Where a screen reader hears what happens at the table: a status object whose name and
// description are the latest news, changed with the accessibility events that make a reader
// speak. News that comes in a burst (a deal, a move and the next turn) is said as one line: a
// reader reads the object when the event comes, and each change would cut off the one before.
// It shows nothing.
class AnnouncementLine : public QWidget {
    Q_OBJECT
public:
    explicit AnnouncementLine(QWidget* parent);
    void announce(const QString& text);
    QString text() const { return accessibleName(); }
    static constexpr int settleMs = 150;

protected:
    void paintEvent(QPaintEvent*) override {}

private:
    void publish();
    QStringList pending_;
    QTimer* settle_ = nullptr;
};

} // namespace pelvo::board
