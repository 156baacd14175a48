#include "windows/Art.h"

// Qt
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
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

// `text` in `font` as a filled outline with its top left at `topLeft`, or centred in `box` when
// `box` is valid: outlines keep the drawing free of fonts when it is written as SVG.
void fillText(QPainter& p, const QFont& font, const QString& text, const QColor& colour,
              const QPointF& topLeft, const QRectF& box = QRectF()) {
    const QFontMetricsF metrics(font);
    QPainterPath path;
    QPointF origin(topLeft.x(), topLeft.y() + metrics.ascent());
    if (box.isValid())
        origin = QPointF(box.center().x() - metrics.horizontalAdvance(text) / 2,
                         box.center().y() - metrics.height() / 2 + metrics.ascent());
    path.addText(origin, font, text);
    p.fillPath(path, colour);
}

} // namespace

void paintCardFan(QPainter& painter, const QPointF& pivot, qreal k) {
    QPainter& p = painter;
    const int angles[3] = {-22, 0, 22};
    const QColor backs[3] = {QColor(176, 32, 48), QColor(250, 250, 246), QColor(176, 32, 48)};
    const qreal pen = std::max<qreal>(1, k * 0.6);
    // The ace in the middle is painted last, on top of the two backs.
    for (const int i : {0, 2, 1}) {
        p.save();
        p.translate(pivot);
        p.rotate(angles[i]);
        const QRectF c(-14 * k, -52 * k, 28 * k, 40 * k);
        p.setPen(QPen(QColor(40, 30, 20, 160), pen));
        p.setBrush(backs[i]);
        p.drawRoundedRect(c, 3.5 * k, 3.5 * k);
        if (i == 1) {
            const QColor red(196, 24, 32);
            fillText(p, pixelFont(qRound(12 * k), true), QStringLiteral("A"), red,
                     c.topLeft() + QPointF(3 * k, k));
            fillText(p, pixelFont(qRound(18 * k), false), QString(QChar(u'\u2665')), red, {}, c);
        } else {
            p.setPen(QPen(QColor(255, 214, 140, 160), pen));
            p.setBrush(Qt::NoBrush);
            p.drawRoundedRect(c.adjusted(3 * k, 3 * k, -3 * k, -3 * k), 2 * k, 2 * k);
        }
        p.restore();
    }
}

void paintIcon(QPainter& painter, qreal side) {
    QPainter& p = painter;
    p.save();
    smooth(p);
    // A rounded square of felt under a lamp, with the logo's fan of cards filling it.
    const qreal margin = side / 32;
    const QRectF plate(margin, margin, side - 2 * margin, side - 2 * margin);
    QRadialGradient g(plate.center() - QPointF(0, side / 6), side * 0.75);
    g.setColorAt(0, feltColour().lighter(118));
    g.setColorAt(1, feltColour().darker(135));
    p.setPen(QPen(feltColour().darker(220), std::max<qreal>(1, side / 64)));
    p.setBrush(g);
    p.drawRoundedRect(plate, side / 6, side / 6);
    // The fan spans 65 by 48 units around a pivot 30 units below its middle.
    const qreal k = plate.width() * 0.86 / 65;
    paintCardFan(p, QPointF(side / 2, side / 2 + 29.7 * k), k);
    p.restore();
}

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

    paintCardFan(p, QPointF(34 * k, 62 * k), k);
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
