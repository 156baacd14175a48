#include "windows/TotalsPlot.h"

// own
#include "windows/Art.h"

// Qt
#include <QPainter>
#include <QPainterPath>

// std
#include <algorithm>
#include <cmath>

namespace pelvo {

namespace {
const QColor wonColour(20, 140, 60);
const QColor lostColour(110, 110, 110);

// A round step for the axis of a range: 1, 2 or 5 times a power of ten, about four marks.
int axisStep(int range) {
    const double raw = std::max(1.0, range / 4.0);
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (int m : {1, 2, 5, 10})
        if (m * power >= raw) return int(m * power);
    return int(10 * power);
}
} // namespace

TotalsPlot::TotalsPlot(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("plot_totals"));
    setMinimumSize(240, 120);
}

void TotalsPlot::setGames(const QList<Point>& games) {
    games_ = games;
    QString name = QStringLiteral("Game totals over time, oldest first: ");
    QStringList totals;
    for (const Point& g : games) totals << QString::number(g.total) + (g.won ? " won" : "");
    setAccessibleName(QStringLiteral("Game totals plot"));
    setAccessibleDescription(name + totals.join(QStringLiteral(", ")));
    update();
}

void TotalsPlot::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(QColor(0, 0, 0, 90), 1));
    p.setBrush(QColor(255, 255, 255, 215));
    p.drawRoundedRect(frame, 6, 6);
    if (games_.isEmpty()) return;

    int low = games_.front().total, high = low;
    double sum = 0;
    for (const Point& g : games_) {
        low = std::min(low, g.total);
        high = std::max(high, g.total);
        sum += g.total;
    }
    const int step = axisStep(high - low);
    low = int(std::floor(double(low) / step)) * step;
    high = std::max(low + step, int(std::ceil(double(high) / step)) * step);

    QFont small = art::pixelFont(10, false);
    p.setFont(small);
    const QFontMetrics fm(small);
    const int labelWidth = fm.horizontalAdvance(QString::number(std::min(low, -99)) + " ");
    const QRectF area = frame.adjusted(labelWidth + 8, 10, -12, -fm.height() - 8);
    const auto yOf = [&](double total) {
        return area.bottom() - (total - low) / double(high - low) * area.height();
    };
    const auto xOf = [&](qsizetype i) {
        return games_.size() == 1
                   ? area.center().x()
                   : area.left() + area.width() * double(i) / double(games_.size() - 1);
    };

    // Grid and the totals' axis.
    for (int v = low; v <= high; v += step) {
        const double y = yOf(v);
        p.setPen(QPen(QColor(0, 0, 0, v == 0 ? 90 : 35), 1));
        p.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
        p.setPen(QColor(60, 60, 60));
        p.drawText(QRectF(frame.left() + 2, y - fm.height() / 2.0, labelWidth + 2, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(v));
    }
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRectF(area.left(), area.bottom() + 4, area.width(), fm.height()), Qt::AlignLeft,
               QStringLiteral("oldest"));
    p.drawText(QRectF(area.left(), area.bottom() + 4, area.width(), fm.height()), Qt::AlignRight,
               QStringLiteral("latest game"));

    // The average, dashed.
    const double average = sum / double(games_.size());
    p.setPen(QPen(QColor(40, 90, 160, 170), 1.2, Qt::DashLine));
    p.drawLine(QPointF(area.left(), yOf(average)), QPointF(area.right(), yOf(average)));

    // The games, joined in order.
    QPainterPath line;
    for (qsizetype i = 0; i < games_.size(); ++i) {
        const QPointF at(xOf(i), yOf(games_[i].total));
        if (i == 0)
            line.moveTo(at);
        else
            line.lineTo(at);
    }
    p.setPen(QPen(QColor(60, 60, 60, 140), 1.4));
    p.setBrush(Qt::NoBrush);
    p.drawPath(line);
    const double r = games_.size() > 60 ? 2.0 : 3.5;
    for (qsizetype i = 0; i < games_.size(); ++i) {
        const QColor c = games_[i].won ? wonColour : lostColour;
        p.setPen(QPen(c.darker(140), 1));
        p.setBrush(c);
        p.drawEllipse(QPointF(xOf(i), yOf(games_[i].total)), r, r);
    }
}

} // namespace pelvo
