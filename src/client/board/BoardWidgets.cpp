#include "client/board/BoardWidgets.h"

#include "client/board/CardArt.h"
#include "windows/AccessibleName.h"
#include "windows/Art.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

namespace pelvo::board {

void makeOverlay(QWidget* layer, const QString& name) {
    layer->setObjectName(name);
    layer->setAttribute(Qt::WA_TransparentForMouseEvents);
    layer->setAttribute(Qt::WA_TranslucentBackground);
    layer->setFocusPolicy(Qt::NoFocus);
    layer->hide();
}

void paintPanel(QPainter& p, const QRectF& area, qreal radius, const QColor& top,
                const QColor& bottom, const QPen& outline) {
    art::paintPlate(p, area, radius, {top, bottom, outline, QColor(0, 0, 0, 70), QPointF(1, 2)});
}

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
    p.drawPixmap(0, 0, startButtonPicture(hover_, isDown(), scale_));
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
    paintPanel(p, r, 10, QColor(255, 248, 214), QColor(246, 214, 120),
               QPen(QColor(150, 100, 10), 1.5));
    p.setPen(QPen(QColor(255, 255, 255, 150), 1));
    p.drawRoundedRect(r.adjusted(2.5, 2.5, -2.5, -2.5), 8, 8);
}

FocusRing::FocusRing(QWidget* parent) : QWidget(parent) {
    makeOverlay(this, QStringLiteral("focus_ring"));
    qApp->installEventFilter(this);
}

bool FocusRing::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::KeyPress && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonDblClick)
        return false;
    const auto* w = qobject_cast<QWidget*>(watched);
    if (!w || w->window() != window()) return false;
    if (type == QEvent::KeyPress) {
        // Modifiers alone (Ctrl held for a click) are not keyboard use.
        switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Control:
        case Qt::Key_Shift:
        case Qt::Key_Alt:
        case Qt::Key_Meta:
        case Qt::Key_AltGr:
            return false;
        default:
            break;
        }
        if (!keyboard_) {
            keyboard_ = true;
            emit keyboardTookOver();
        }
    } else {
        keyboard_ = false;
        hide();
    }
    return false;
}

void FocusRing::follow(const QWidget* target, qreal scale) {
    if (!keyboard_ || !target || !target->isVisible()) {
        hide();
        return;
    }
    scale_ = scale;
    const int margin = qRound(5 * scale);
    setGeometry(target->geometry().adjusted(-margin, -margin, margin, margin));
    show();
    raise();
    update();
}

void FocusRing::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal outer = 2 * scale_, inner = 3 * scale_;
    const QRectF r = QRectF(rect()).adjusted(outer / 2, outer / 2, -outer / 2, -outer / 2);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::black, outer + 2 * inner));
    p.drawRoundedRect(r.adjusted(inner, inner, -inner, -inner), 6 * scale_, 6 * scale_);
    p.setPen(QPen(QColor(255, 230, 0), inner));
    p.drawRoundedRect(r.adjusted(inner, inner, -inner, -inner), 6 * scale_, 6 * scale_);
}

AnnouncementLine::AnnouncementLine(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("announcement"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    // Visible (a reader skips hidden objects) but one pixel and transparent.
    setGeometry(0, 0, 1, 1);
    setAccessibleName(QStringLiteral("Table news"));
    settle_ = new QTimer(this);
    settle_->setSingleShot(true);
    settle_->setInterval(settleMs);
    connect(settle_, &QTimer::timeout, this, &AnnouncementLine::publish);
}

void AnnouncementLine::announce(const QString& text) {
    pending_ << text;
    // Started by the first line only, so a steady stream is still said every interval.
    if (!settle_->isActive()) settle_->start();
}

void AnnouncementLine::publish() {
    if (pending_.isEmpty()) return;
    const QString text = pending_.join(u' ');
    pending_.clear();
    // Setting a name or description sends its own event; a reader hears each one, so exactly
    // one of each goes out per line. The same news twice (two turns in a row) must still be
    // heard: then the events are sent by hand.
    if (!renameAccessible(this, text)) {
        QAccessibleEvent name(this, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&name);
    }
    if (accessibleDescription() != text) {
        setAccessibleDescription(text);
    } else {
        QAccessibleEvent description(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&description);
    }
}

} // namespace pelvo::board
