#include "client/board/RoundResultsBox.h"

// own
#include "client/board/BoardWidgets.h"
#include "session/RoundResults.h"
#include "windows/Art.h"

// Qt
#include <QPainter>
#include <QPainterPath>

// std
#include <algorithm>

namespace pelvo::board {

namespace {
// Columns and rows in design pixels.
constexpr qreal padLeft = 8;
constexpr qreal totalRight = 144;
constexpr qreal rowsTop = 38;
constexpr qreal rowStep = 15;
const QColor ink(30, 26, 20);
const QColor faint(110, 96, 70);
const QColor penaltyInk(170, 20, 20);
const QColor outTag(40, 95, 45);
} // namespace

RoundResultsBox::RoundResultsBox(QWidget* board) : QWidget(board) {
    makeOverlay(this, QStringLiteral("panel_results"));
    setGeometry(designPlace);
    setAccessibleName(QStringLiteral("Round results"));
}

void RoundResultsBox::follow(const TableModel& t) {
    const RoundScores* row = t.sheet.shown();
    if (!row) {
        hide();
        return;
    }
    Shown now;
    now.row = *row;
    now.title = results::roundName(t.sheet, *row);
    for (int s = 1; s <= TableSeats; ++s) now.names[std::size_t(s)] = t.seatLabel(s);
    now.outcome = results::outcome(t, *row);
    if (!(now == shown_) || isHidden()) {
        shown_ = now;
        // The news line has told it already; this keeps it where a reader can look it up.
        setAccessibleDescription(results::chatLine(t));
        update();
    }
    show();
    raise();
}

void RoundResultsBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(width() / qreal(designPlace.width()), height() / qreal(designPlace.height()));

    // A score pad lying on the felt.
    const QRectF pad(1.5, 1.5, designPlace.width() - 3.5, designPlace.height() - 4.5);
    paintPanel(p, pad, 7, QColor(255, 252, 240), QColor(245, 236, 210),
               QPen(QColor(120, 90, 40), 1.2));

    const RoundScores& r = shown_.row;
    const bool penalty = r.penaltySeat() != 0;
    const QFont nameFont = art::pixelFont(11, false);
    const QFont numberFont = art::pixelFont(12, false);
    const QFont boldFont = art::pixelFont(12, true);
    const QFont tagFont = art::pixelFont(7, true);
    const QString cost = results::signedPoints(RoundScores::Penalty);

    // Columns as wide as their widest number, so the names keep what room is left.
    qreal pointsWidth = 0, totalWidth = 0;
    for (const SeatScore& score : r.seats) {
        if (!score.posted) continue;
        pointsWidth = std::max(
            pointsWidth,
            QFontMetricsF(numberFont).horizontalAdvance(results::signedPoints(score.points)));
        totalWidth = std::max(
            totalWidth, QFontMetricsF(boldFont).horizontalAdvance(QString::number(score.total)));
    }
    constexpr qreal gap = 7;
    const qreal penaltyRight = totalRight - totalWidth - gap;
    const qreal roundRight =
        penalty ? penaltyRight - QFontMetricsF(boldFont).horizontalAdvance(cost) - gap / 2
                : penaltyRight;
    const qreal nameRight = roundRight - pointsWidth - gap;

    p.setPen(ink);
    p.setFont(art::pixelFont(12, true));
    p.drawText(QRectF(6, 5, pad.width() - 9, 16), Qt::AlignCenter, shown_.title);
    p.setPen(QPen(QColor(150, 120, 70, 150), 0.8));
    p.drawLine(QPointF(7, 23), QPointF(pad.right() - 6, 23));

    // Column heads; the penalty's red figure and the words below need none.
    p.setFont(art::pixelFont(9, false));
    p.setPen(faint);
    p.drawText(QRectF(roundRight - 40, 24, 40, 12), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("round"));
    p.drawText(QRectF(totalRight - 40, 24, 40, 12), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("total"));

    qreal y = rowsTop;
    for (int s = 1; s <= TableSeats; ++s) {
        const SeatScore& score = r.seats[std::size_t(s)];
        if (!score.posted) continue;
        const bool out = s == r.wentOut;
        // The seat that went out carries a small "out" tag after its name.
        const qreal tagWidth = out ? QFontMetricsF(tagFont).horizontalAdvance("out") + 5 : 0;
        const qreal nameRoom = nameRight - padLeft - (out ? tagWidth + 3 : 0);
        const QString name = QFontMetricsF(nameFont).elidedText(shown_.names[std::size_t(s)],
                                                                Qt::ElideRight, nameRoom);
        p.setFont(nameFont);
        p.setPen(ink);
        p.drawText(QRectF(padLeft, y, nameRoom + 1, rowStep), Qt::AlignLeft | Qt::AlignVCenter,
                   name);
        if (out) {
            const qreal at = padLeft + QFontMetricsF(nameFont).horizontalAdvance(name) + 3;
            const QRectF tag(at, y + 3.5, tagWidth, rowStep - 7);
            QPainterPath pill;
            pill.addRoundedRect(tag, 3, 3);
            p.fillPath(pill, outTag);
            p.setFont(tagFont);
            p.setPen(Qt::white);
            p.drawText(tag, Qt::AlignCenter, QStringLiteral("out"));
        }
        p.setFont(numberFont);
        p.setPen(ink);
        p.drawText(QRectF(roundRight - 40, y, 40, rowStep), Qt::AlignRight | Qt::AlignVCenter,
                   results::signedPoints(score.points));
        p.setFont(boldFont);
        if (score.penalty) {
            p.setPen(penaltyInk);
            p.drawText(QRectF(penaltyRight - 40, y, 40, rowStep), Qt::AlignRight | Qt::AlignVCenter,
                       cost);
        }
        p.setPen(score.penalty ? penaltyInk : ink);
        p.drawText(QRectF(totalRight - 40, y, 40, rowStep), Qt::AlignRight | Qt::AlignVCenter,
                   QString::number(score.total));
        y += rowStep;
    }

    if (shown_.outcome.isEmpty()) return;
    p.setPen(QPen(QColor(150, 120, 70, 150), 0.8));
    p.drawLine(QPointF(7, y + 3), QPointF(pad.right() - 6, y + 3));
    p.setFont(art::pixelFont(11, penalty));
    p.setPen(penalty ? penaltyInk : ink);
    p.drawText(QRectF(padLeft, y + 6, pad.width() - 2 * padLeft + 2, pad.bottom() - y - 8),
               Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, shown_.outcome);
}

} // namespace pelvo::board
