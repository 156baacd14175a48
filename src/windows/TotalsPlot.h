#pragma once
// A plot of the player's game totals over time, painted by code: one point a game, oldest left,
// won games in green, the average as a dashed line. Lower is better, as in the game.

// Qt
#include <QList>
#include <QWidget>

namespace pelvo {

class TotalsPlot : public QWidget {
    Q_OBJECT
public:
    struct Point {
        int total = 0;
        bool won = false;
    };
    explicit TotalsPlot(QWidget* parent = nullptr);
    void setGames(const QList<Point>& games);
    QSize sizeHint() const override { return {360, 150}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<Point> games_;
};

} // namespace pelvo
