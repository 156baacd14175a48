#include "client/replay/ReplayBar.h"

// Qt
#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTimer>
#include <QToolButton>

// std
#include <algorithm>

namespace pelvo {

void MarkedSlider::paintEvent(QPaintEvent* event) {
    QSlider::paintEvent(event);
    if (marks_.isEmpty() || maximum() <= minimum()) return;
    QStyleOptionSlider option;
    initStyleOption(&option);
    const QRect groove =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    const QRect handle =
        style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
    const int span = groove.width() - handle.width();
    QPainter p(this);
    p.setPen(QPen(QColor(255, 215, 0), 2));
    for (int mark : marks_) {
        const int x = groove.left() + handle.width() / 2 +
                      QStyle::sliderPositionFromValue(minimum(), maximum(), mark, span);
        p.drawLine(x, height() - 6, x, height() - 1);
    }
}

namespace {
QToolButton* button(QWidget* parent, const char* name, const QString& text, const QString& tip) {
    auto* b = new QToolButton(parent);
    b->setObjectName(name);
    b->setText(text);
    b->setToolTip(tip);
    b->setAutoRaise(false);
    return b;
}
} // namespace

ReplayBar::ReplayBar(Replay& replay, QWidget* parent) : QWidget(parent), replay_(replay) {
    setObjectName("replay_bar");
    setAutoFillBackground(false);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(4);

    start_ = button(this, "replay_start", QStringLiteral("|\u25C0"), tr("To the start"));
    back_ = button(this, "replay_back", QStringLiteral("\u25C0"), tr("Step back"));
    play_ = button(this, "replay_play", tr("Pause"), tr("Play or pause"));
    play_->setCheckable(true);
    // As wide as its wider word, so that the row does not shift when it changes.
    const int pauseWidth = play_->sizeHint().width();
    play_->setText(tr("Play"));
    play_->setFixedWidth(std::max(pauseWidth, play_->sizeHint().width()));
    step_ = button(this, "replay_step", QStringLiteral("\u25B6"), tr("Step"));
    speed_ = new QComboBox(this);
    speed_->setObjectName("replay_speed");
    for (double factor : {0.5, 1.0, 2.0, 4.0, 8.0})
        speed_->addItem(QStringLiteral("%1\u00D7").arg(factor), factor);
    speed_->setCurrentIndex(1);
    slider_ = new MarkedSlider(Qt::Horizontal, this);
    slider_->setObjectName("replay_slider");
    slider_->setRange(0, replay_.count());
    slider_->setMarks(replay_.roundMarks());
    position_ = new QLabel(this);
    position_->setObjectName("replay_position");
    position_->setMinimumWidth(70);
    showAll_ = new QCheckBox(tr("Show all cards"), this);
    showAll_->setObjectName("replay_showall");

    for (QWidget* w :
         {static_cast<QWidget*>(start_), static_cast<QWidget*>(back_), static_cast<QWidget*>(play_),
          static_cast<QWidget*>(step_), static_cast<QWidget*>(speed_)})
        row->addWidget(w);
    row->addWidget(slider_, 1);
    row->addWidget(position_);
    row->addWidget(showAll_);

    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, &ReplayBar::playNext);

    connect(start_, &QToolButton::clicked, this, [this] {
        pause();
        replay_.toStart();
    });
    connect(back_, &QToolButton::clicked, this, [this] {
        pause();
        replay_.back();
    });
    connect(step_, &QToolButton::clicked, this, [this] {
        pause();
        replay_.step();
    });
    connect(play_, &QToolButton::clicked, this, [this](bool on) { on ? play() : pause(); });
    connect(slider_, &QSlider::valueChanged, this, [this](int value) {
        if (value != replay_.position()) replay_.seek(value);
    });
    connect(showAll_, &QCheckBox::toggled, this, [this](bool on) { replay_.setShowAllCards(on); });
    connect(&replay_, &Replay::positionChanged, this, &ReplayBar::follow);
    follow(replay_.position());
}

double ReplayBar::speed() const {
    return speed_->currentData().toDouble();
}

bool ReplayBar::playing() const {
    return play_->isChecked();
}

void ReplayBar::play() {
    if (replay_.atEnd()) replay_.toStart();
    play_->setChecked(true);
    play_->setText(tr("Pause"));
    timer_->start(0);
}

void ReplayBar::pause() {
    timer_->stop();
    play_->setChecked(false);
    play_->setText(tr("Play"));
}

void ReplayBar::playNext() {
    replay_.step();
    if (replay_.atEnd()) {
        pause();
        return;
    }
    // The record's own pace, quickened by the speed; long pauses are cut short.
    const int index = replay_.position();
    const qint64 gap = replay_.msAt(index) - replay_.msAt(index - 1);
    const qint64 delay = std::clamp<qint64>(gap, 40, 1500);
    timer_->start(int(double(delay) / speed()));
}

void ReplayBar::follow(int position) {
    {
        const QSignalBlocker block(slider_);
        if (slider_->maximum() != replay_.count()) {
            slider_->setRange(0, replay_.count());
            slider_->setMarks(replay_.roundMarks());
        }
        slider_->setValue(position);
    }
    position_->setText(QStringLiteral("%1 / %2").arg(position).arg(replay_.count()));
    start_->setEnabled(position > 0);
    back_->setEnabled(position > 0);
    step_->setEnabled(!replay_.atEnd());
    showAll_->setVisible(replay_.canShowAllCards());
    {
        const QSignalBlocker block(showAll_);
        showAll_->setChecked(replay_.showingAllCards());
    }
}

} // namespace pelvo
