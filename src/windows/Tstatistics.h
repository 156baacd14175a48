#pragma once
// The statistics window: games played and won (in all, by seats in the game and by the computer
// players' level), average and best round and game, penalties taken, the longest run of wins,
// and a plot of game totals over time, all counted afresh from the game records whenever it is
// shown. "Reset…" asks first, then moves the counted records aside (nothing is deleted).

// own
#include "session/Statistics.h"
#include "windows/SideWindow.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace pelvo {

class TotalsPlot;

class Tstatistics : public SideWindow {
    Q_OBJECT
public:
    // `folder`: where the game records are written.
    explicit Tstatistics(const QString& folder, QWidget* parent = nullptr);

    // Counts the records again and shows them.
    void refresh();
    const Statistics& statistics() const { return stats_; }
    // Asks, then moves the counted records aside and counts again.
    void button_resetClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString folder_;
    Statistics stats_;
    QLabel* summary_ = nullptr;
    QLabel* empty_ = nullptr;
    QLabel* passed_ = nullptr;
    QTableWidget* table_ = nullptr;
    TotalsPlot* plot_ = nullptr;
    QPushButton* reset_ = nullptr;
};

} // namespace pelvo
