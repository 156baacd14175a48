#pragma once
// The controls under the board while a game record is shown: to the start, a step back, a step,
// play and pause, the speed, a slider over the events with a mark where each round starts, and
// for a host's record "Show all cards".

// own
#include "session/Replay.h"

// Qt
#include <QSlider>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QTimer;
class QToolButton;

namespace pelvo {

// A slider with small marks under it at given values.
class MarkedSlider : public QSlider {
public:
    using QSlider::QSlider;
    void setMarks(const QList<int>& marks) {
        marks_ = marks;
        update();
    }
    const QList<int>& marks() const { return marks_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QList<int> marks_;
};

class ReplayBar : public QWidget {
    Q_OBJECT
public:
    ReplayBar(Replay& replay, QWidget* parent = nullptr);

    void play();
    void pause();
    bool playing() const;
    // Speed factor of the chosen entry (0.5 to 8).
    double speed() const;

    QToolButton* startButton() const { return start_; }
    QToolButton* backButton() const { return back_; }
    QToolButton* stepButton() const { return step_; }
    QToolButton* playButton() const { return play_; }
    QComboBox* speedBox() const { return speed_; }
    MarkedSlider* slider() const { return slider_; }
    QCheckBox* showAllBox() const { return showAll_; }
    QLabel* positionLabel() const { return position_; }

private:
    void follow(int position);
    void playNext();

    Replay& replay_;
    QToolButton* start_ = nullptr;
    QToolButton* back_ = nullptr;
    QToolButton* step_ = nullptr;
    QToolButton* play_ = nullptr;
    QComboBox* speed_ = nullptr;
    MarkedSlider* slider_ = nullptr;
    QLabel* position_ = nullptr;
    QCheckBox* showAll_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace pelvo
