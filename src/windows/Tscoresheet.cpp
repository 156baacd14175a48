#include "windows/Tscoresheet.h"

// own
#include "session/RoundResults.h"
#include "windows/Art.h"

// Qt
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

// std
#include <algorithm>

namespace pelvo {

namespace {

const QColor penaltyInk(170, 20, 20);
const QColor penaltyPaper(255, 226, 218);
const QColor outTag(40, 95, 45);

// A cell: the round's score at the left (the penalty after it in red, a tag when the seat went
// out), the running total at the right in bold.
class ScoreCell : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        QStyleOptionViewItem opt = option;
        initStyleOption(&opt, index);
        opt.text.clear(); // the background, selection and focus as the style draws them
        const QWidget* view = opt.widget;
        view->style()->drawControl(QStyle::CE_ItemViewItem, &opt, p, view);
        if (!index.data(Tscoresheet::TotalRole).isValid()) return;

        p->save();
        p->setRenderHint(QPainter::Antialiasing);
        const bool selected = opt.state & QStyle::State_Selected;
        const QColor ink = opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const qreal pad = opt.fontMetrics.height() * 0.4;
        QRectF r = QRectF(opt.rect).adjusted(pad, 0, -pad, 0);

        QFont bold = opt.font;
        bold.setBold(true);
        p->setFont(bold);
        const bool penalty = index.data(Tscoresheet::PenaltyRole).toBool();
        p->setPen(penalty && !selected ? penaltyInk : ink);
        p->drawText(r, Qt::AlignRight | Qt::AlignVCenter,
                    QString::number(index.data(Tscoresheet::TotalRole).toInt()));

        const QVariant points = index.data(Tscoresheet::PointsRole);
        if (points.isValid()) {
            p->setFont(opt.font);
            p->setPen(ink);
            const QString text = results::signedPoints(points.toInt());
            p->drawText(r, Qt::AlignLeft | Qt::AlignVCenter, text);
            qreal x = r.left() + QFontMetricsF(opt.font).horizontalAdvance(text) + pad / 2;
            if (penalty) {
                p->setFont(bold);
                p->setPen(selected ? ink : penaltyInk);
                const QString cost = results::signedPoints(RoundScores::Penalty);
                p->drawText(QRectF(x, r.top(), r.width(), r.height()),
                            Qt::AlignLeft | Qt::AlignVCenter, cost);
                x += QFontMetricsF(bold).horizontalAdvance(cost) + pad / 2;
            }
            if (index.data(Tscoresheet::WentOutRole).toBool()) {
                QFont small = opt.font;
                small.setPixelSize(std::max(6, qRound(opt.font.pixelSize() * 0.7)));
                small.setBold(true);
                const QFontMetricsF m(small);
                const QRectF tag(x, r.center().y() - m.height() / 2 - 1,
                                 m.horizontalAdvance(QStringLiteral("out")) + pad, m.height() + 2);
                const qreal totalLeft =
                    r.right() - QFontMetricsF(bold).horizontalAdvance(
                                    QString::number(index.data(Tscoresheet::TotalRole).toInt()));
                if (tag.right() + pad / 2 <= totalLeft) {
                    QPainterPath pill;
                    pill.addRoundedRect(tag, 3, 3);
                    p->fillPath(pill, outTag);
                    p->setFont(small);
                    p->setPen(Qt::white);
                    p->drawText(tag, Qt::AlignCenter, QStringLiteral("out"));
                } else {
                    // No room for the tag: a corner mark in its colour (the tooltip and a
                    // screen reader say it in words).
                    const QRectF c = opt.rect;
                    const qreal k = m.height() * 0.6;
                    QPainterPath corner;
                    corner.moveTo(c.topLeft());
                    corner.lineTo(c.topLeft() + QPointF(k, 0));
                    corner.lineTo(c.topLeft() + QPointF(0, k));
                    corner.closeSubpath();
                    p->fillPath(corner, outTag);
                }
            }
        }
        p->restore();
    }
};

QString rowName(const ScoreSheet& sheet, const RoundScores& r) {
    if (r.earlier()) return QStringLiteral("Not seen");
    if (sheet.isTieBreaker(r)) return QStringLiteral("Tie breaker %1").arg(r.round);
    return QStringLiteral("Round %1").arg(r.round);
}

// What a screen reader says of a cell: "Bo, round 3: 15 points, went out, penalty 25, 77 in all".
QString cellWords(const ScoreSheet& sheet, const RoundScores& r, int seat, const QString& name) {
    const SeatScore& s = r.seats[std::size_t(seat)];
    QString words =
        name + QStringLiteral(", ") + rowName(sheet, r).toLower() + QStringLiteral(": ");
    if (!s.posted) return words + QStringLiteral("no score");
    if (!r.earlier()) words += QStringLiteral("%1 points, ").arg(s.points);
    if (!r.earlier() && r.wentOut == seat) words += QStringLiteral("went out, ");
    if (s.penalty) words += QStringLiteral("penalty %1, ").arg(RoundScores::Penalty);
    return words + QStringLiteral("%1 in all").arg(s.total);
}

} // namespace

Tscoresheet::Tscoresheet(QWidget* parent)
    : SideWindow(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                             Qt::CustomizeWindowHint) {
    setObjectName(QStringLiteral("scoresheet"));
    setWindowTitle(QStringLiteral("Pelvo - Score Sheet"));
    setModal(false);
    setMinimumSize(designSize);
    resize(designSize);

    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("label_sheet"));
    caption_->setTextFormat(Qt::PlainText); // names come from other players
    QPalette pal = caption_->palette();
    pal.setColor(QPalette::WindowText, Qt::white);
    caption_->setPalette(pal);

    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("grid_scores"));
    grid_->setAccessibleName(QStringLiteral("Score sheet"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setTabKeyNavigation(false); // Tab leaves the table, the arrows move in it
    grid_->setAlternatingRowColors(true);
    grid_->setWordWrap(false);
    grid_->setItemDelegate(new ScoreCell(grid_));
    grid_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    grid_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid_->verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    QPalette paper = grid_->palette();
    paper.setColor(QPalette::Base, QColor(255, 252, 240));
    paper.setColor(QPalette::AlternateBase, QColor(246, 238, 214));
    paper.setColor(QPalette::Text, QColor(30, 26, 20));
    grid_->setPalette(paper);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 10);
    layout->setSpacing(6);
    layout->addWidget(caption_);
    layout->addWidget(grid_, 1);
    applyScale();
}

int Tscoresheet::seatOfColumn(int column) const {
    return seats_.value(column);
}

void Tscoresheet::follow(const TableModel& t) {
    Shown now;
    now.sheet = t.sheet;
    for (int s = 1; s <= TableSeats; ++s) now.names[std::size_t(s)] = t.seatLabel(s);
    if (!t.winnerText.isEmpty())
        now.state = QStringLiteral("Final scores: ") + t.winnerText;
    else if (t.sheet.rows().isEmpty())
        now.state = t.sheet.plannedRounds() > 0 ? QStringLiteral("No round scored yet.")
                                                : QStringLiteral("No game yet.");
    else
        now.state = QStringLiteral("Scores: ") + results::roundName(t.sheet, t.sheet.rows().last());
    if (built_ && now == shown_) return;
    shown_ = now;
    built_ = true;
    rebuild(t);
}

void Tscoresheet::rebuild(const TableModel& t) {
    const ScoreSheet& sheet = t.sheet;
    caption_->setText(shown_.state);

    // A column for each seat of the game, and for any seat that scored on the sheet.
    ScoreSheet::SeatSet shownSeats = sheet.playing();
    for (const RoundScores& r : sheet.rows())
        for (int s = 1; s <= TableSeats; ++s)
            if (r.seats[std::size_t(s)].posted) shownSeats.set(std::size_t(s));
    seats_.clear();
    QStringList headers;
    for (int s = 1; s <= TableSeats; ++s)
        if (shownSeats.test(std::size_t(s))) {
            seats_ << s;
            headers << shown_.names[std::size_t(s)];
        }

    const int keptRow = grid_->currentRow();
    const int keptColumn = grid_->currentColumn();
    grid_->clear();
    grid_->setColumnCount(int(seats_.size()));
    grid_->setRowCount(int(sheet.rows().size()));
    grid_->setHorizontalHeaderLabels(headers);
    QStringList rowNames;
    for (int row = 0; row < sheet.rows().size(); ++row) {
        const RoundScores& r = sheet.rows()[row];
        rowNames << rowName(sheet, r);
        for (int column = 0; column < seats_.size(); ++column) {
            const int seat = seats_[column];
            const SeatScore& s = r.seats[std::size_t(seat)];
            auto* cell = new QTableWidgetItem;
            if (s.posted) {
                QString text = r.earlier() ? QString() : results::signedPoints(s.points) + u' ';
                if (s.penalty) text += results::signedPoints(RoundScores::Penalty) + u' ';
                cell->setText(text + QStringLiteral("= ") + QString::number(s.total));
                if (!r.earlier()) cell->setData(PointsRole, s.points);
                cell->setData(TotalRole, s.total);
                cell->setData(PenaltyRole, s.penalty);
                const bool out = !r.earlier() && r.wentOut == seat;
                cell->setData(WentOutRole, out);
                if (s.penalty) cell->setBackground(penaltyPaper);
                if (out) cell->setToolTip(results::outcome(t, r));
            }
            cell->setData(Qt::AccessibleTextRole,
                          cellWords(sheet, r, seat, shown_.names[std::size_t(seat)]));
            grid_->setItem(row, column, cell);
        }
    }
    grid_->setVerticalHeaderLabels(rowNames);
    fitRowNames();
    // The keyboard's place survives a new round (marked, not selected: a mouse player sees no
    // highlight); a new sheet starts at its newest round.
    if (grid_->rowCount() > 0 && grid_->columnCount() > 0) {
        const int row =
            keptRow < 0 ? grid_->rowCount() - 1 : std::min(keptRow, grid_->rowCount() - 1);
        const int column = std::clamp(keptColumn, 0, grid_->columnCount() - 1);
        grid_->selectionModel()->setCurrentIndex(grid_->model()->index(row, column),
                                                 QItemSelectionModel::NoUpdate);
        grid_->scrollToBottom();
    }
}

void Tscoresheet::fitRowNames() {
    // Room round the longest row name, at the header's size.
    QHeaderView* rows = grid_->verticalHeader();
    const QFontMetrics m(rows->font());
    int widest = 0;
    for (int row = 0; row < grid_->rowCount(); ++row)
        if (const QTableWidgetItem* item = grid_->verticalHeaderItem(row))
            widest = std::max(widest, m.horizontalAdvance(item->text()));
    rows->setMinimumWidth(widest + m.averageCharWidth() * 2);
}

void Tscoresheet::resizeEvent(QResizeEvent* event) {
    SideWindow::resizeEvent(event);
    applyScale();
}

void Tscoresheet::applyScale() {
    const qreal scale = std::clamp(
        std::min(qreal(width()) / designSize.width(), qreal(height()) / designSize.height()), 1.0,
        4.0);
    if (qFuzzyCompare(scale, scale_) && grid_->property("scaled").toBool()) return;
    scale_ = scale;
    grid_->setProperty("scaled", true);
    const auto px = [scale](int design) { return std::max(1, qRound(design * scale)); };
    caption_->setFont(art::pixelFont(px(14), true));
    grid_->setFont(art::pixelFont(px(13), false));
    grid_->horizontalHeader()->setFont(art::pixelFont(px(13), true));
    grid_->verticalHeader()->setFont(art::pixelFont(px(12), true));
    grid_->verticalHeader()->setDefaultSectionSize(px(24));
    grid_->horizontalHeader()->setMinimumSectionSize(px(60));
    fitRowNames();
    // The caption's new height takes effect now, not at the next resize.
    if (layout()) layout()->activate();
}

} // namespace pelvo
