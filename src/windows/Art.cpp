#include "windows/Art.h"

// Qt
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QRect>
#include <QSize>
#include <QString>

// std
#include <algorithm>
#include <cmath>

namespace pelvo::art {

namespace {

void smooth(QPainter& p) {
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                     QPainter::TextAntialiasing);
}

} // namespace

QColor feltColour() {
    return QColor(140, 158, 83);
}

void paintFelt(QPainter& painter, const QRect& area, const QPointF& lamp, qreal reach) {
    const QColor felt = feltColour();
    QRadialGradient g(lamp, reach);
    g.setColorAt(0, felt.lighter(112));
    g.setColorAt(0.55, felt);
    g.setColorAt(1, felt.darker(118));
    painter.fillRect(area, g);
}

QFont pixelFont(int pixels, bool bold) {
    QFont f(QStringLiteral("Liberation Sans"));
    f.setStyleHint(QFont::SansSerif);
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

qreal paintRatio() {
    const qreal dpr = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
    return dpr > 0 ? dpr : 1.0;
}

QPixmap blankPicture(const QSize& size, qreal ratio) {
    QPixmap pm(QSize(qCeil(size.width() * ratio), qCeil(size.height() * ratio)));
    pm.setDevicePixelRatio(ratio);
    pm.fill(Qt::transparent);
    return pm;
}

QPixmap logoPicture(const QSize& size, qreal ratio) {
    QPixmap pm = blankPicture(size, ratio);
    QPainter p(&pm);
    smooth(p);
    // Laid out for a 56-pixel mark (fan and name) with the maker's line below it.
    const bool withMaker = size.height() >= 60;
    const qreal k = (withMaker ? size.height() - 16 : size.height()) / 56.0;
    const auto scaled = [k](qreal pixels) { return qRound(pixels * k); };

    // A small fan of three cards.
    const QPointF pivot(34 * k, 62 * k);
    const int angles[3] = {-22, 0, 22};
    const QColor backs[3] = {QColor(176, 32, 48), QColor(250, 250, 246), QColor(176, 32, 48)};
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(pivot);
        p.rotate(angles[i]);
        const QRectF c(-14 * k, -52 * k, 28 * k, 40 * k);
        p.setPen(QPen(QColor(40, 30, 20, 160), 1));
        p.setBrush(backs[i]);
        p.drawRoundedRect(c, 3.5 * k, 3.5 * k);
        if (i == 1) {
            p.setPen(QColor(196, 24, 32));
            p.setFont(pixelFont(scaled(12), true));
            p.drawText(c.adjusted(3 * k, k, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                       QStringLiteral("A"));
            p.setFont(pixelFont(scaled(18), false));
            p.drawText(c, Qt::AlignCenter, QString(QChar(u'\u2665')));
        } else {
            p.setPen(QPen(QColor(255, 214, 140, 160), 1));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(c.adjusted(3 * k, 3 * k, -3 * k, -3 * k), 2, 2);
        }
        p.restore();
    }
    // The name with a soft shadow.
    QFont big = pixelFont(scaled(34), true);
    big.setLetterSpacing(QFont::AbsoluteSpacing, 1.5);
    p.setFont(big);
    const QRectF title(66 * k, 4 * k, size.width() - 66 * k, 44 * k);
    p.setPen(QColor(0, 0, 0, 90));
    p.drawText(title.translated(1.5, 2), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pelvo"));
    p.setPen(QColor(255, 246, 214));
    p.drawText(title, Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Pelvo"));
    if (withMaker) {
        p.setFont(pixelFont(11, true));
        p.setPen(QColor(30, 40, 10, 200));
        p.drawText(QRectF(68 * k, 46 * k, size.width() - 68 * k, 16),
                   Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("by Kavrel Software"));
    }
    return pm;
}

void paintPlate(QPainter& painter, const QRectF& area, qreal radius, const Plate& plate) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(plate.shadow);
    painter.drawRoundedRect(area.translated(plate.shadowOffset), radius, radius);
    QLinearGradient fill(area.topLeft(), area.bottomLeft());
    fill.setColorAt(0, plate.top);
    fill.setColorAt(1, plate.bottom);
    painter.setBrush(fill);
    painter.setPen(plate.border);
    painter.drawRoundedRect(area, radius, radius);
    painter.restore();
}

void paintStartButton(QPainter& painter, const QRectF& area, const QString& text, bool hover,
                      bool down) {
    QPainter& p = painter;
    p.save();
    smooth(p);
    // Room below the body for its shadow; pressed, the body sinks onto it.
    const QRectF body = area.adjusted(1.5, 1.5, -1.5, -3.5).translated(0, down ? 1.5 : 0);
    if (!down) {
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 80));
        p.drawRoundedRect(body.translated(0, 2), 14, 14);
    }
    QLinearGradient g(body.topLeft(), body.bottomLeft());
    const int lift = hover ? 18 : 0;
    g.setColorAt(0, QColor(255, std::min(255, 228 + lift), 120 + lift));
    g.setColorAt(0.5, QColor(250, 196 + lift / 2, 50 + lift));
    g.setColorAt(1, QColor(down ? 196 : 220, down ? 130 : 150, 20));
    p.setBrush(g);
    p.setPen(QPen(QColor(110, 70, 0), 1.4));
    p.drawRoundedRect(body, 14, 14);
    p.setPen(QPen(QColor(255, 255, 255, 120), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(body.adjusted(2, 2, -2, -2), 12, 12);
    p.setFont(pixelFont(qRound(body.height() * 0.52), true));
    p.setPen(QColor(255, 244, 200));
    p.drawText(body.translated(0, 1), Qt::AlignCenter, text);
    p.setPen(QColor(70, 40, 0));
    p.drawText(body, Qt::AlignCenter, text);
    p.restore();
}

} // namespace pelvo::art
