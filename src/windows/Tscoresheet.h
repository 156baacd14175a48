#pragma once
// The score sheet: a table of the game's rounds (rows) by seats (columns), each cell the seat's
// round score, a penalty marked, and the running total; during a game, after it, and in a
// record's viewer. A real table a screen reader walks cell by cell; the arrows move through it.
// Text grows with the window.

// own
#include "session/TableModel.h"
#include "windows/SideWindow.h"

// std
#include <array>

class QLabel;
class QTableWidget;

namespace pelvo {

class Tscoresheet : public SideWindow {
    Q_OBJECT
public:
    // A cell's numbers beside its words (tests and the painter read them).
    enum Role {
        PointsRole = Qt::UserRole, // the round's score; none for totals carried from before
        TotalRole,                 // the total after the round
        PenaltyRole,               // true: the seat paid the penalty this round
        WentOutRole,               // true: the seat went out this round
    };
    // Size at which the text is at its design size.
    static constexpr QSize designSize{540, 300};

    explicit Tscoresheet(QWidget* parent = nullptr);

    // Shows the table's sheet; cheap when nothing on it changed.
    void follow(const TableModel& t);
    QTableWidget* grid() const { return grid_; }
    QLabel* caption() const { return caption_; }
    // The seat shown in `column`.
    int seatOfColumn(int column) const;
    // The text's scale (1 at the design size).
    qreal textScale() const { return scale_; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct Shown {
        ScoreSheet sheet;
        std::array<QString, TableSeats + 1> names;
        QString state;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    void rebuild(const TableModel& t);
    void applyScale();
    void fitRowNames();

    QLabel* caption_ = nullptr;
    QTableWidget* grid_ = nullptr;
    Shown shown_;
    bool built_ = false;
    QList<int> seats_; // column -> seat
    qreal scale_ = 1.0;
};

} // namespace pelvo
