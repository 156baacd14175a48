#pragma once
// Pictures painted by code that the main window and the side windows share: the felt of the
// table, the program's logo, the yellow start button, and the fonts and pixmaps they are
// painted with.

#include <QColor>
#include <QFont>
#include <QPen>
#include <QPixmap>

class QPainter;
class QPointF;
class QRect;
class QRectF;
class QSize;
class QString;

namespace pelvo::art {

// The felt's colour: the main window's client area and everything painted to continue it.
QColor feltColour();
// Felt in feltColour(), a little lighter under a lamp at `lamp`, darkening out to `reach`.
void paintFelt(QPainter& painter, const QRect& area, const QPointF& lamp, qreal reach);

// Liberation Sans at `pixels` pixels (so it is the same size on every screen).
QFont pixelFont(int pixels, bool bold);

// Pixel ratio that pictures are painted at: the densest screen's.
qreal paintRatio();
// A transparent pixmap of `size` logical pixels at `ratio`.
QPixmap blankPicture(const QSize& size, qreal ratio = paintRatio());

// The program's logo: a small fan of cards and the name, and the maker below them when `size`
// is at least 60 pixels high. Everything scales with the height.
QPixmap logoPicture(const QSize& size, qreal ratio = paintRatio());
// The logo's fan of three cards, `k` times the size of the 56-pixel logo, turning about `pivot`
// (30 units below the fan's middle; the fan is 65 units wide and 48 high).
void paintCardFan(QPainter& painter, const QPointF& pivot, qreal k);
// The program's icon: the fan of cards on a rounded square of felt, `side` units square.
void paintIcon(QPainter& painter, qreal side);

// The yellow start button filling `area`, its text sized to the button.
void paintStartButton(QPainter& painter, const QRectF& area, const QString& text, bool hover,
                      bool down);

// A raised rounded plate: a soft shadow below and right, a top-to-bottom gradient, a border.
struct Plate {
    QColor top, bottom;
    QPen border;
    QColor shadow;
    QPointF shadowOffset;
};
void paintPlate(QPainter& painter, const QRectF& area, qreal radius, const Plate& plate);

} // namespace pelvo::art
