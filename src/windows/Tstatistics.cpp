#include "windows/Tstatistics.h"

// own
#include "windows/Art.h"
#include "windows/MessageBox.h"
#include "windows/TotalsPlot.h"

// Qt
#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace pelvo {

namespace {

QString oneDecimal(double v) {
    return QString::number(v, 'f', 1);
}

QString percent(const Tally& t) {
    return t.played == 0 ? QString() : QString::number(qRound(100.0 * t.won / t.played)) + " %";
}

QPushButton* flatButton(const QString& text, const char* name, QWidget* parent) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(name);
    // The flat button of the other side windows, so the felt shows through.
    b->setFlat(true);
    b->setCursor(Qt::PointingHandCursor);
    b->setMinimumSize(80, 22);
    b->setStyleSheet("QPushButton { border: 1px solid rgba(0, 0, 0, 90); border-radius: 3px;"
                     " background: rgba(255, 255, 255, 90); color: black; padding: 0 10px; }"
                     "QPushButton:hover { background: rgba(255, 255, 255, 160); }"
                     "QPushButton:disabled { color: rgba(0, 0, 0, 90); }");
    return b;
}

QLabel* blackLabel(const QString& text, const char* name, int px, bool bold, QWidget* parent) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText);
    l->setFont(art::pixelFont(px, bold));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(pal);
    return l;
}

const char* levelCaption(const QString& level) {
    if (level == QLatin1String("Classic")) return "Classic computers";
    if (level == QLatin1String("Expert")) return "Expert computers";
    if (level == QLatin1String("Mixed")) return "Mixed computers";
    if (level == QLatin1String("None")) return "No computers";
    return nullptr;
}

} // namespace

Tstatistics::Tstatistics(const QString& folder, QWidget* parent)
    : SideWindow(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                             Qt::CustomizeWindowHint),
      folder_(folder) {
    setObjectName("statistics");
    setWindowTitle("Pelvo - Statistics");
    setModal(false);
    resize(420, 520);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 10, 12, 10);
    layout->setSpacing(8);
    layout->addWidget(blackLabel("Statistics", "Label1", 13, true, this));

    summary_ = blackLabel(QString(), "label_summary", 13, false, this);
    summary_->setWordWrap(true);
    layout->addWidget(summary_);
    empty_ = blackLabel("No games are counted yet.\n\nEvery game you play to its end at a seat "
                        "is counted here, from the game records this window writes.",
                        "label_empty", 13, false, this);
    empty_->setWordWrap(true);
    empty_->setAlignment(Qt::AlignCenter);
    layout->addWidget(empty_, 1);

    table_ = new QTableWidget(0, 3, this);
    table_->setObjectName("grid_tally");
    table_->setAccessibleName("Games by seats and computer level");
    table_->setHorizontalHeaderLabels({"Played", "Won", "Won %"});
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionMode(QAbstractItemView::NoSelection);
    table_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table_->setFont(art::pixelFont(12, false));
    layout->addWidget(table_);

    layout->addWidget(blackLabel("Game totals (lower is better; green: won; dashed: average)",
                                 "label_plot", 12, true, this));
    plot_ = new TotalsPlot(this);
    layout->addWidget(plot_, 2);

    passed_ = blackLabel(QString(), "label_passed", 11, false, this);
    passed_->setWordWrap(true);
    layout->addWidget(passed_);

    auto* buttons = new QHBoxLayout;
    reset_ = flatButton("Reset\u2026", "button_reset", this);
    auto* done = flatButton("Done", "button_done", this);
    buttons->addWidget(reset_);
    buttons->addStretch(1);
    buttons->addWidget(done);
    layout->addLayout(buttons);
    connect(reset_, &QPushButton::clicked, this, &Tstatistics::button_resetClick);
    connect(done, &QPushButton::clicked, this, &QWidget::hide);
}

void Tstatistics::showEvent(QShowEvent* event) {
    refresh();
    SideWindow::showEvent(event);
}

void Tstatistics::refresh() {
    stats_ = gatherStatistics(folder_);
    const Statistics& s = stats_;
    const bool any = !s.empty();
    for (QWidget* w : std::initializer_list<QWidget*>{summary_, table_, plot_}) w->setVisible(any);
    findChild<QLabel*>("label_plot")->setVisible(any);
    empty_->setVisible(!any);
    reset_->setEnabled(any);

    summary_->setText(QStringLiteral("Games played: %1, won: %2 (%3).\n"
                                     "Longest winning streak: %4.\n"
                                     "Rounds: %5, average %6, best %7.\n"
                                     "Game totals: average %8, best %9.\n"
                                     "Penalties taken: %10.")
                          .arg(s.all.played)
                          .arg(s.all.won)
                          .arg(percent(s.all))
                          .arg(s.longestStreak)
                          .arg(s.rounds)
                          .arg(oneDecimal(s.averageRound))
                          .arg(s.bestRound)
                          .arg(oneDecimal(s.averageGame))
                          .arg(s.bestGame)
                          .arg(s.penalties));

    QList<std::pair<QString, Tally>> rows;
    for (auto it = s.byPlayers.begin(); it != s.byPlayers.end(); ++it)
        rows.append({QStringLiteral("%1 players").arg(it.key()), it.value()});
    for (const char* level : {"Classic", "Expert", "Mixed", "None"})
        if (s.byLevel.contains(level)) rows.append({levelCaption(level), s.byLevel.value(level)});
    table_->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        table_->setVerticalHeaderItem(r, new QTableWidgetItem(rows[r].first));
        const Tally& t = rows[r].second;
        const QString cells[3] = {QString::number(t.played), QString::number(t.won), percent(t)};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(cells[c]);
            item->setTextAlignment(Qt::AlignCenter);
            table_->setItem(r, c, item);
        }
    }

    table_->setCurrentItem(nullptr); // no cell looks picked
    // As tall as its rows: the plot below takes the room that is left.
    table_->resizeRowsToContents();
    int height = table_->horizontalHeader()->sizeHint().height() + 2 * table_->frameWidth();
    for (int r = 0; r < table_->rowCount(); ++r) height += table_->rowHeight(r);
    table_->setFixedHeight(height);

    QList<TotalsPlot::Point> points;
    for (const GameSummary& g : s.games) points.append({g.total, g.won});
    plot_->setGames(points);

    passed_->setVisible(s.passedOver > 0);
    passed_->setText(
        s.passedOver == 1
            ? QStringLiteral("1 record is not counted: a host's record, a game not played to its "
                             "end at a seat, or a damaged file.")
            : QStringLiteral("%1 records are not counted: hosts' records, games not played to "
                             "their end at a seat, or damaged files.")
                  .arg(s.passedOver));
}

void Tstatistics::button_resetClick() {
    refresh(); // what is asked about is what is moved
    if (stats_.empty()) return;
    const QString question =
        QStringLiteral("Start the statistics again?\n\nThe %1 game records they count are moved "
                       "into a new folder inside %2; the replay viewer still opens them there.")
            .arg(stats_.games.size())
            .arg(QDir::toNativeSeparators(folder_));
    if (!askQuestion(this, windowTitle(), question)) return;
    QString error;
    if (setRecordsAside(stats_, folder_, error).isEmpty()) showMessage(this, error);
    refresh();
}

} // namespace pelvo
