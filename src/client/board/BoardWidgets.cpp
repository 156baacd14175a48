#include "client/board/BoardWidgets.h"

#include "client/board/CardArt.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace pelvo::board {

Picture::Picture(QWidget* parent, const QString& name, QRect geometry) : QLabel(parent) {
    setObjectName(name);
    setGeometry(geometry);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setAttribute(Qt::WA_TranslucentBackground);
    setProperty("Tag", 0);
    setProperty("picture", -1);
}

void Picture::mousePressEvent(QMouseEvent* event) {
    pressed_ = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void Picture::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = pressed_ && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    pressed_ = false;
    QLabel::mouseReleaseEvent(event);
    if (click) emit clicked();
}

PictureButton::PictureButton(QWidget* parent, const QString& name, QRect geometry)
    : QAbstractButton(parent) {
    setObjectName(name);
    setGeometry(geometry);
    setCursor(Qt::PointingHandCursor);
    setText(QStringLiteral("Start Game"));
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, startButtonPicture(hover_, isDown()));
}

void PictureButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void PictureButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void Banner::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5);
    QPainterPath ribbon;
    ribbon.addRoundedRect(r, 10, 10);
    p.fillPath(ribbon.translated(1, 2), QColor(0, 0, 0, 70));
    QLinearGradient g(r.topLeft(), r.bottomLeft());
    g.setColorAt(0, QColor(255, 248, 214));
    g.setColorAt(1, QColor(246, 214, 120));
    p.fillPath(ribbon, g);
    p.setPen(QPen(QColor(150, 100, 10), 1.5));
    p.drawPath(ribbon);
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawRoundedRect(r.adjusted(2.5, 2.5, -2.5, -2.5), 8, 8);
}

} // namespace pelvo::board
