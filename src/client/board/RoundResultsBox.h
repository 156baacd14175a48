#pragma once
// The board's results box: once a round is scored, each seat's round score and total, a penalty
// and its reason, in the felt to the right of the top right seat, where nothing else is drawn.
// It stays up until the next round's cards arrive, and after the last round beside the winner.
// Painted at the design size and scaled, so it is as sharp as the cards at any zoom.

// own
#include "session/TableModel.h"

// Qt
#include <QWidget>

// std
#include <array>

namespace pelvo::board {

class RoundResultsBox : public QWidget {
    Q_OBJECT
public:
    // Place and size at scale 1.
    static constexpr QRect designPlace{611, 117, 152, 148};

    explicit RoundResultsBox(QWidget* board);
    // Shows the table's results, or hides while none are up.
    void follow(const TableModel& t);

    // What is painted, in words and numbers.
    struct Shown {
        RoundScores row;
        QString title;
        std::array<QString, TableSeats + 1> names; // 1..4
        QString outcome;
        friend bool operator==(const Shown&, const Shown&) = default;
    };
    const Shown& shown() const { return shown_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Shown shown_;
};

} // namespace pelvo::board
