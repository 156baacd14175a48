#pragma once
// Small controls of the board: a clickable picture and the painted start button.

#include <QAbstractButton>
#include <QLabel>

namespace pelvo::board {

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

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hover_ = false;
};

// The winner banner: a ribbon behind the two text labels.
class Banner : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pelvo::board
