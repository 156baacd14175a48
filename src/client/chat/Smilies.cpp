#include "client/chat/Smilies.h"

#include <QHash>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QtMath>

#include <array>

namespace pelvo::smilies {

namespace {

// Drawn on a 17 x 16 logical canvas; the painter is scaled to the device pixel ratio.
const QColor ink(0x3a, 0x22, 0x00);
const QColor mouthInside(0x6b, 0x14, 0x0c);
const QColor tongue(0xff, 0x5c, 0x7a);

struct Palette {
    QColor light, mid, edge, outline;
};
const Palette yellow{QColor(0xff, 0xf6, 0xa8), QColor(0xff, 0xd0, 0x1f), QColor(0xf2, 0xa2, 0x00),
                     QColor(0x9a, 0x5e, 0x00)};
const Palette red{QColor(0xff, 0xc0, 0xa8), QColor(0xf5, 0x5a, 0x2c), QColor(0xc8, 0x24, 0x10),
                  QColor(0x7a, 0x10, 0x05)};
const Palette purple{QColor(0xe8, 0xc4, 0xff), QColor(0xa8, 0x4c, 0xe0), QColor(0x6e, 0x1e, 0xa8),
                     QColor(0x42, 0x0c, 0x66)};

QPen pen(const QColor& c, qreal w) {
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// Light falling from `from`: the palette's light there, its mid at `mid` of `reach`, its edge
// beyond.
QRadialGradient lit(QPointF from, qreal reach, const Palette& pal, qreal mid = 0.45) {
    QRadialGradient g(from, reach);
    g.setColorAt(0.0, pal.light);
    g.setColorAt(mid, pal.mid);
    g.setColorAt(1.0, pal.edge);
    return g;
}

void face(QPainter& p, QPointF c, qreal r, const Palette& pal) {
    p.setPen(pen(pal.outline, 0.9));
    p.setBrush(lit(c - QPointF(r * 0.35, r * 0.45), r * 1.45, pal));
    p.drawEllipse(c, r, r);
}

// A lit shape with the palette's outline.
void shaded(QPainter& p, const QPainterPath& shape, const QRadialGradient& light,
            const Palette& pal) {
    p.setPen(pen(pal.outline, 0.9));
    p.setBrush(light);
    p.drawPath(shape);
}

void dot(QPainter& p, QPointF c, qreal rx, qreal ry, const QColor& colour = ink) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(c, rx, ry);
}

void eyes(QPainter& p, qreal y = 6.2, qreal dx = 2.4, qreal rx = 0.95, qreal ry = 1.35) {
    dot(p, {8.5 - dx, y}, rx, ry);
    dot(p, {8.5 + dx, y}, rx, ry);
}

void stroke(QPainter& p, const QPainterPath& path, qreal w = 1.1, const QColor& c = ink) {
    p.setPen(pen(c, w));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

QPainterPath curve(QPointF a, QPointF c1, QPointF c2, QPointF b) {
    QPainterPath path(a);
    path.cubicTo(c1, c2, b);
    return path;
}

QPainterPath arc(QPointF a, QPointF ctl, QPointF b) {
    QPainterPath path(a);
    path.quadTo(ctl, b);
    return path;
}

// A closed eye drawn as an arch ("^") or a smiling lid ("u").
void closedEye(QPainter& p, qreal cx, qreal y, bool arch, qreal w = 1.0) {
    stroke(p, arc({cx - 1.3, y}, {cx, arch ? y - 2.0 : y + 1.7}, {cx + 1.3, y}), w);
}

// An open "D" mouth between x0 and x1 whose top is at `top` and bottom at `bottom`.
QPainterPath openMouth(qreal x0, qreal x1, qreal top, qreal bottom) {
    QPainterPath m({x0, top});
    m.lineTo(x1, top);
    const qreal span = x1 - x0;
    m.cubicTo(x1 - span * 0.05, bottom + 0.4, x0 + span * 0.05, bottom + 0.4, x0, top);
    m.closeSubpath();
    return m;
}

void drawOpenMouth(QPainter& p, const QPainterPath& m, qreal teeth, bool withTongue) {
    p.setPen(Qt::NoPen);
    p.setBrush(mouthInside);
    p.drawPath(m);
    p.save();
    p.setClipPath(m);
    const QRectF box = m.boundingRect();
    if (teeth > 0) {
        p.setBrush(Qt::white);
        p.drawRect(QRectF(box.left(), box.top(), box.width(), teeth));
    }
    if (withTongue) {
        p.setBrush(tongue);
        p.drawEllipse(QPointF(box.center().x(), box.bottom() + 0.4), box.width() * 0.3, 1.9);
    }
    p.restore();
    p.setPen(pen(ink, 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(m);
}

QPainterPath heartPath(QPointF c, qreal s) {
    // s is the width; the heart is about as tall as wide.
    const qreal h = s * 0.92;
    QPainterPath path({c.x(), c.y() + h * 0.5});
    path.cubicTo(c.x() - s * 0.2, c.y() + h * 0.25, c.x() - s * 0.52, c.y() + h * 0.02,
                 c.x() - s * 0.5, c.y() - h * 0.2);
    path.cubicTo(c.x() - s * 0.48, c.y() - h * 0.5, c.x() - s * 0.08, c.y() - h * 0.58, c.x(),
                 c.y() - h * 0.26);
    path.cubicTo(c.x() + s * 0.08, c.y() - h * 0.58, c.x() + s * 0.48, c.y() - h * 0.5,
                 c.x() + s * 0.5, c.y() - h * 0.2);
    path.cubicTo(c.x() + s * 0.52, c.y() + h * 0.02, c.x() + s * 0.2, c.y() + h * 0.25, c.x(),
                 c.y() + h * 0.5);
    path.closeSubpath();
    return path;
}

void tear(QPainter& p, qreal x, qreal top, qreal len) {
    QPainterPath d({x, top});
    d.cubicTo(x + 0.3, top + len * 0.45, x + 1.2, top + len * 0.6, x + 1.15, top + len * 0.8);
    d.cubicTo(x + 1.1, top + len * 1.05, x - 1.1, top + len * 1.05, x - 1.15, top + len * 0.8);
    d.cubicTo(x - 1.2, top + len * 0.6, x - 0.3, top + len * 0.45, x, top);
    QLinearGradient g(x, top, x, top + len);
    g.setColorAt(0, QColor(0xb8, 0xe4, 0xff));
    g.setColorAt(1, QColor(0x1e, 0x8c, 0xf0));
    p.setPen(pen(QColor(0x10, 0x5c, 0xb0), 0.6));
    p.setBrush(g);
    p.drawPath(d);
}

const QPointF centre(8.5, 8.0);
const qreal radius = 7.2;

void paintSmile(QPainter& p) {
    face(p, centre, radius, yellow);
    eyes(p);
    stroke(p, curve({4.9, 9.6}, {6.2, 12.7}, {10.8, 12.7}, {12.1, 9.6}), 1.2);
}

void paintGrin(QPainter& p) {
    face(p, centre, radius, yellow);
    eyes(p, 5.9);
    drawOpenMouth(p, openMouth(4.4, 12.6, 8.9, 13.4), 1.5, false);
}

void paintWink(QPainter& p) {
    face(p, centre, radius, yellow);
    dot(p, {6.1, 6.2}, 0.95, 1.35);
    closedEye(p, 10.9, 6.9, true, 1.1);
    stroke(p, curve({5.0, 10.2}, {6.6, 12.8}, {10.4, 12.6}, {12.2, 9.2}), 1.2);
}

void paintSad(QPainter& p) {
    face(p, centre, radius, yellow);
    eyes(p, 6.6);
    stroke(p, arc({4.6, 4.6}, {6.0, 4.6}, {7.3, 3.6}), 0.8);
    stroke(p, arc({12.4, 4.6}, {11.0, 4.6}, {9.7, 3.6}), 0.8);
    stroke(p, curve({5.3, 12.6}, {6.5, 9.9}, {10.5, 9.9}, {11.7, 12.6}), 1.2);
}

void paintSurprised(QPainter& p) {
    face(p, centre, radius, yellow);
    for (qreal x : {6.0, 11.0}) {
        p.setPen(pen(ink, 0.7));
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(x, 6.0), 1.6, 1.9);
        dot(p, {x, 6.3}, 0.8, 1.0);
    }
    p.setPen(pen(ink, 0.8));
    p.setBrush(mouthInside);
    p.drawEllipse(QPointF(8.5, 11.6), 1.7, 2.0);
}

void paintTongue(QPainter& p) {
    face(p, centre, radius, yellow);
    eyes(p);
    QPainterPath t({7.0, 10.4});
    t.lineTo(11.0, 10.0);
    t.cubicTo(11.3, 12.4, 10.6, 13.8, 9.2, 13.8);
    t.cubicTo(7.8, 13.8, 7.0, 12.6, 7.0, 10.4);
    p.setPen(pen(QColor(0xb0, 0x1c, 0x3c), 0.7));
    p.setBrush(tongue);
    p.drawPath(t);
    stroke(p, arc({9.1, 11.0}, {9.2, 12.0}, {9.1, 12.6}), 0.6, QColor(0xb0, 0x1c, 0x3c));
    stroke(p, arc({4.9, 9.7}, {8.5, 11.6}, {12.2, 9.4}), 1.2);
}

void paintCool(QPainter& p) {
    face(p, centre, radius, yellow);
    const QColor glass(0x14, 0x14, 0x1c);
    p.setPen(pen(glass, 0.9));
    p.drawLine(QPointF(1.6, 5.3), QPointF(15.4, 5.3));
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    QPainterPath lens;
    lens.addRoundedRect(QRectF(2.9, 4.6, 5.0, 3.6), 1.5, 1.5);
    lens.addRoundedRect(QRectF(9.1, 4.6, 5.0, 3.6), 1.5, 1.5);
    p.drawPath(lens);
    p.setPen(pen(QColor(255, 255, 255, 200), 0.7));
    p.drawLine(QPointF(4.0, 5.6), QPointF(5.3, 5.6));
    p.drawLine(QPointF(10.2, 5.6), QPointF(11.5, 5.6));
    stroke(p, curve({5.6, 11.0}, {7.4, 12.5}, {10.4, 12.4}, {12.2, 10.0}), 1.2);
}

void paintAngry(QPainter& p) {
    face(p, centre, radius, red);
    stroke(p, arc({4.3, 4.2}, {6.0, 4.6}, {7.6, 6.0}), 1.3);
    stroke(p, arc({12.7, 4.2}, {11.0, 4.6}, {9.4, 6.0}), 1.3);
    eyes(p, 7.3, 2.4, 0.9, 1.0);
    stroke(p, curve({5.6, 12.4}, {6.8, 10.6}, {10.2, 10.6}, {11.4, 12.4}), 1.3);
}

void paintLaugh(QPainter& p) {
    face(p, centre, radius, yellow);
    closedEye(p, 6.0, 6.4, true, 1.2);
    closedEye(p, 11.0, 6.4, true, 1.2);
    drawOpenMouth(p, openMouth(3.9, 13.1, 8.4, 14.0), 1.4, true);
    tear(p, 2.6, 6.6, 3.6);
    tear(p, 14.4, 6.6, 3.6);
}

void paintKiss(QPainter& p) {
    face(p, centre, radius, yellow);
    closedEye(p, 6.0, 6.0, false, 1.1);
    closedEye(p, 11.0, 6.0, false, 1.1);
    const QColor lips(0xe0, 0x1c, 0x52);
    p.setPen(pen(QColor(0x90, 0x08, 0x2c), 0.5));
    p.setBrush(lips);
    p.drawEllipse(QPointF(8.1, 10.5), 1.4, 1.0);
    p.drawEllipse(QPointF(8.1, 12.2), 1.4, 1.0);
    p.setPen(pen(Qt::white, 0.7));
    p.setBrush(QColor(0xff, 0x2a, 0x5a));
    p.drawPath(heartPath({13.2, 11.8}, 4.6));
}

void paintCrying(QPainter& p) {
    face(p, centre, radius, yellow);
    closedEye(p, 6.0, 6.2, false, 1.1);
    closedEye(p, 11.0, 6.2, false, 1.1);
    stroke(p, arc({4.6, 4.4}, {6.0, 4.2}, {7.3, 3.4}), 0.8);
    stroke(p, arc({12.4, 4.4}, {11.0, 4.2}, {9.7, 3.4}), 0.8);
    drawOpenMouth(p, QTransform(1, 0, 0, -1, 0, 24.4).map(openMouth(6.2, 10.8, 11.2, 13.8)), 0,
                  false);
    tear(p, 5.0, 7.0, 6.2);
    tear(p, 12.0, 7.0, 6.2);
}

void paintConfused(QPainter& p) {
    face(p, centre, radius, yellow);
    dot(p, {6.0, 6.6}, 0.9, 1.2);
    dot(p, {11.0, 6.2}, 1.1, 1.6);
    stroke(p, arc({4.7, 4.6}, {6.0, 4.9}, {7.3, 4.8}), 0.8);
    stroke(p, arc({9.6, 3.6}, {11.0, 2.2}, {12.4, 3.4}), 0.8);
    QPainterPath m({5.0, 11.4});
    m.cubicTo(6.2, 9.8, 7.4, 12.8, 8.6, 11.2);
    m.cubicTo(9.8, 9.6, 10.9, 12.4, 12.1, 10.6);
    stroke(p, m, 1.1);
}

void paintSleepy(QPainter& p) {
    face(p, {8.0, 8.5}, 6.9, yellow);
    stroke(p, arc({4.3, 7.0}, {5.6, 8.2}, {6.9, 7.0}), 1.1);
    stroke(p, arc({9.1, 7.0}, {10.4, 8.2}, {11.7, 7.0}), 1.1);
    p.setPen(pen(ink, 0.8));
    p.setBrush(mouthInside);
    p.drawEllipse(QPointF(8.4, 12.0), 1.0, 0.9);
    // "z z" rising to the upper right, with a white rim so they read over the face.
    auto zee = [&](qreal x, qreal y, qreal s, qreal w) {
        QPainterPath z({x, y});
        z.lineTo(x + s, y);
        z.lineTo(x, y + s);
        z.lineTo(x + s, y + s);
        stroke(p, z, w + 1.0, Qt::white);
        stroke(p, z, w, QColor(0x1e, 0x5c, 0xd8));
    };
    zee(11.4, 3.4, 2.4, 0.9);
    zee(13.4, 0.7, 2.6, 0.9);
}

void paintDevil(QPainter& p) {
    const QPointF c(8.5, 9.0);
    QPainterPath horns({3.4, 5.2});
    horns.quadTo(1.4, 3.0, 1.8, 0.4);
    horns.quadTo(3.8, 2.2, 6.2, 3.0);
    horns.closeSubpath();
    horns.moveTo(13.6, 5.2);
    horns.quadTo(15.6, 3.0, 15.2, 0.4);
    horns.quadTo(13.2, 2.2, 10.8, 3.0);
    horns.closeSubpath();
    p.setPen(pen(QColor(0x5a, 0x04, 0x04), 0.7));
    p.setBrush(QColor(0xd8, 0x1c, 0x1c));
    p.drawPath(horns);
    face(p, c, 6.6, purple);
    stroke(p, arc({4.6, 6.0}, {6.2, 6.2}, {7.5, 7.3}), 1.1);
    stroke(p, arc({12.4, 6.0}, {10.8, 6.2}, {9.5, 7.3}), 1.1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xe0, 0x40));
    p.drawEllipse(QPointF(6.2, 8.3), 0.9, 0.8);
    p.drawEllipse(QPointF(10.8, 8.3), 0.9, 0.8);
    drawOpenMouth(p, openMouth(5.0, 12.0, 10.4, 13.6), 1.2, false);
}

void paintAngel(QPainter& p) {
    face(p, {8.5, 9.2}, 6.5, yellow);
    const QColor gold(0xe6, 0xb4, 0x00);
    p.setPen(pen(QColor(0xff, 0xf2, 0x9a), 2.0));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8.5, 1.8), 4.6, 1.2);
    p.setPen(pen(gold, 1.0));
    p.drawEllipse(QPointF(8.5, 1.8), 4.6, 1.2);
    closedEye(p, 6.2, 8.0, false, 1.1);
    closedEye(p, 10.8, 8.0, false, 1.1);
    stroke(p, curve({5.8, 11.4}, {6.8, 13.4}, {10.2, 13.4}, {11.2, 11.4}), 1.1);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0x80, 0x80, 110));
    p.drawEllipse(QPointF(4.6, 11.0), 1.2, 0.8);
    p.drawEllipse(QPointF(12.4, 11.0), 1.2, 0.8);
}

void paintHeart(QPainter& p) {
    const Palette heart{QColor(0xff, 0x9c, 0xae), QColor(0xf0, 0x1e, 0x46),
                        QColor(0xa8, 0x0a, 0x28), QColor(0x78, 0x04, 0x18)};
    shaded(p, heartPath({8.5, 8.6}, 15.0), lit(QPointF(5.6, 5.0), 11.0, heart), heart);
    p.setPen(pen(QColor(255, 255, 255, 210), 1.0));
    p.drawPath(arc({3.6, 6.6}, {3.8, 4.4}, {5.8, 3.9}));
}

void paintThumbsUp(QPainter& p) {
    const QColor skin(0xff, 0xc8, 0x3a), skinEdge(0x9a, 0x5e, 0x00);
    // Sleeve.
    p.setPen(pen(QColor(0x10, 0x3a, 0x8c), 0.8));
    p.setBrush(QColor(0x3c, 0x78, 0xe0));
    p.drawRoundedRect(QRectF(1.2, 7.0, 3.6, 8.2), 0.8, 0.8);
    // Thumb and fist as one outline.
    QPainterPath hand({5.0, 7.4});
    hand.lineTo(7.0, 6.8);
    hand.lineTo(7.8, 2.4);
    hand.cubicTo(8.0, 0.6, 10.6, 0.7, 10.4, 2.7);
    hand.lineTo(10.0, 6.0);
    hand.lineTo(14.1, 6.0);
    hand.cubicTo(15.7, 6.0, 15.7, 8.4, 14.1, 8.4);
    hand.cubicTo(15.5, 8.6, 15.5, 10.6, 14.0, 10.6);
    hand.cubicTo(15.3, 10.8, 15.3, 12.7, 13.9, 12.7);
    hand.cubicTo(15.0, 12.9, 14.9, 14.9, 13.6, 14.9);
    hand.lineTo(5.0, 14.9);
    hand.closeSubpath();
    QLinearGradient g(5, 0, 15, 12);
    g.setColorAt(0, QColor(0xff, 0xe8, 0x90));
    g.setColorAt(1, skin);
    p.setPen(pen(skinEdge, 0.8));
    p.setBrush(g);
    p.drawPath(hand);
    p.setPen(pen(skinEdge, 0.7));
    p.drawLine(QPointF(10.6, 8.4), QPointF(14.0, 8.4));
    p.drawLine(QPointF(10.6, 10.6), QPointF(13.9, 10.6));
    p.drawLine(QPointF(10.6, 12.7), QPointF(13.7, 12.7));
}

void paintStar(QPainter& p) {
    const QPointF c(8.5, 8.7);
    QPainterPath star;
    for (int i = 0; i < 10; ++i) {
        const qreal r = i % 2 == 0 ? 8.2 : 3.4;
        const qreal a = qDegreesToRadians(-90.0 + i * 36.0);
        const QPointF pt(c.x() + r * std::cos(a), c.y() + r * std::sin(a));
        if (i == 0)
            star.moveTo(pt);
        else
            star.lineTo(pt);
    }
    star.closeSubpath();
    const Palette gold{QColor(0xff, 0xfa, 0xc8), QColor(0xff, 0xd2, 0x1a), QColor(0xf0, 0x90, 0x00),
                       QColor(0x9a, 0x5a, 0x00)};
    shaded(p, star, lit(QPointF(7.0, 6.0), 9.0, gold, 0.5), gold);
}

using Painter = void (*)(QPainter&);
constexpr std::array<Painter, count> painters{
    paintSmile,  paintGrin,  paintWink,  paintSad,   paintSurprised, paintTongue,
    paintCool,   paintAngry, paintLaugh, paintKiss,  paintCrying,    paintConfused,
    paintSleepy, paintDevil, paintAngel, paintHeart, paintThumbsUp,  paintStar};

constexpr std::array<const char*, count> descriptions{
    "smile", "grin",   "wink",     "sad",    "surprised", "tongue", "cool",  "angry",     "laugh",
    "kiss",  "crying", "confused", "sleepy", "devil",     "angel",  "heart", "thumbs up", "star"};

} // namespace

QPixmap pixmap(int index, qreal devicePixelRatio) {
    if (index < 0 || index >= count) index = 0;
    if (devicePixelRatio <= 0) devicePixelRatio = 1.0;
    static QHash<QPair<int, int>, QPixmap> cache;
    const QPair<int, int> key(index, qRound(devicePixelRatio * 100));
    if (auto it = cache.constFind(key); it != cache.constEnd()) return *it;

    QImage image(qCeil(width * devicePixelRatio), qCeil(height * devicePixelRatio),
                 QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    image.setDevicePixelRatio(devicePixelRatio);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        painters[index](p);
    }
    QPixmap result = QPixmap::fromImage(image);
    cache.insert(key, result);
    return result;
}

QString description(int index) {
    if (index < 0 || index >= count) index = 0;
    return QString::fromLatin1(descriptions[index]);
}

} // namespace pelvo::smilies
