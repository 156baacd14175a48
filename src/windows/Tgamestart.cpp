#include "windows/Tgamestart.h"

#include "session/ClientSession.h"
#include "windows/Art.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

#include <algorithm>
#include <array>
#include <functional>

namespace pelvo {

namespace {

constexpr int minRounds = 3, maxRounds = 9;

// The two pictures of `imagelist_box` (36 x 30): 0 not ticked, 1 ticked.
QPixmap boxPicture(int index) {
    QPixmap pm = art::blankPicture({36, 30});
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF box(5.5, 3.5, 24, 24);
    art::paintPlate(p, box, 5,
                    {QColor(255, 255, 250), QColor(226, 230, 214), QPen(QColor(50, 60, 30), 1.4),
                     QColor(0, 0, 0, 60), QPointF(1, 1.5)});
    if (index == 1) {
        QPainterPath tick;
        tick.moveTo(box.left() + 5, box.top() + 12.5);
        tick.lineTo(box.left() + 10.5, box.top() + 18.5);
        tick.lineTo(box.right() + 3, box.top() - 3);
        p.setPen(QPen(QColor(20, 110, 40), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
    return pm;
}

// Shows where the keyboard is only once it has been used: from a Tab into the control until a
// mouse press, so the dialog looks the same to a mouse player as it always has.
template <typename Button> class KeyFocus : public Button {
public:
    using Button::Button;

protected:
    bool showsKeyFocus() const { return keyFocus_ && this->hasFocus(); }
    void paintKeyFocus(QPainter& p, const QRectF& around) const {
        if (!showsKeyFocus()) return;
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 4));
        p.drawRoundedRect(around, 5, 5);
        p.setPen(QPen(QColor(255, 230, 0), 2));
        p.drawRoundedRect(around, 5, 5);
    }
    void focusInEvent(QFocusEvent* e) override {
        if (e->reason() == Qt::TabFocusReason || e->reason() == Qt::BacktabFocusReason)
            keyFocus_ = true;
        Button::focusInEvent(e);
    }
    void mousePressEvent(QMouseEvent* e) override {
        keyFocus_ = false;
        Button::mousePressEvent(e);
    }
    // Up and Down change the rounds wherever the focus is, as they did before Tab reached here.
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down)
            e->ignore();
        else
            Button::keyPressEvent(e);
    }

private:
    bool keyFocus_ = false;
};

// The check boxes `image_bot3` and `image_bot4`: a real check box (Tab, Space, a name and a
// state for a screen reader) drawn as the box picture.
class BoxButton : public KeyFocus<QCheckBox> {
public:
    BoxButton(QWidget* parent, const QString& caption) : KeyFocus<QCheckBox>(parent) {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setAccessibleName(caption);
    }
    QPixmap pixmap() const { return boxPicture(isChecked() ? 1 : 0); }

protected:
    bool hitButton(const QPoint& pos) const override { return rect().contains(pos); }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(0, 0, pixmap());
        paintKeyFocus(p, QRectF(3, 1, 28, 28));
    }
};

// The painted start button.
class StartButton : public KeyFocus<QAbstractButton> {
public:
    explicit StartButton(QWidget* parent) : KeyFocus<QAbstractButton>(parent) {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
        setText(QStringLiteral("Start"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        art::paintStartButton(p, rect(), text(), underMouse(), isDown());
        paintKeyFocus(p, QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5));
    }
    void enterEvent(QEnterEvent* e) override {
        update();
        QAbstractButton::enterEvent(e);
    }
    void leaveEvent(QEvent* e) override {
        update();
        QAbstractButton::leaveEvent(e);
    }
};

// `UpDown1`: two arrow buttons bound to the rounds field, no wrap-around.
class UpDown : public QWidget {
public:
    UpDown(QWidget* parent, QLineEdit* buddy) : QWidget(parent), buddy_(buddy) {
        setObjectName(QStringLiteral("UpDown1"));
        up_ = new QToolButton(this);
        up_->setObjectName(QStringLiteral("UpDown1_up"));
        up_->setArrowType(Qt::UpArrow);
        up_->setAutoRepeat(true);
        // The field's Up and Down keys do what the arrows do: the keyboard skips them.
        up_->setFocusPolicy(Qt::NoFocus);
        down_ = new QToolButton(this);
        down_->setObjectName(QStringLiteral("UpDown1_down"));
        down_->setArrowType(Qt::DownArrow);
        down_->setAutoRepeat(true);
        down_->setFocusPolicy(Qt::NoFocus);
        connect(up_, &QToolButton::clicked, this, [this] { step(1); });
        connect(down_, &QToolButton::clicked, this, [this] { step(-1); });
    }
    void resizeEvent(QResizeEvent*) override {
        const int h = height() / 2;
        up_->setGeometry(0, 0, width(), h);
        down_->setGeometry(0, h, width(), height() - h);
    }
    int position() const { return position_; }
    // A step by the player; `changed` hears of it.
    void step(int by) {
        setPosition(position_ + by);
        if (changed) changed(position_);
    }
    std::function<void(int)> changed;
    void setPosition(int value) {
        position_ = std::clamp(value, minRounds, maxRounds);
        buddy_->setText(QString::number(position_));
        up_->setEnabled(position_ < maxRounds);
        down_->setEnabled(position_ > minRounds);
    }

private:
    QLineEdit* buddy_;
    QToolButton* up_;
    QToolButton* down_;
    int position_ = 5;
};

// Arrow keys on the read-only field step the spinner, as on any spin box.
class RoundsField : public QLineEdit {
public:
    using QLineEdit::QLineEdit;
    std::function<void(int)> step;

protected:
    void keyPressEvent(QKeyEvent* e) override {
        if (step && (e->key() == Qt::Key_Up || e->key() == Qt::Key_Down)) {
            step(e->key() == Qt::Key_Up ? 1 : -1);
            return;
        }
        QLineEdit::keyPressEvent(e);
    }
};

} // namespace

struct Tgamestart::Impl {
    explicit Impl(ClientSession& s) : session(s) {}
    ClientSession& session;
    RoundsField* edit = nullptr;
    UpDown* updown = nullptr;
    QAbstractButton* start = nullptr;
    // The computer-player boxes of seats 3 and 4 and the settings they show.
    struct Box {
        BoxButton* button = nullptr;
        int Settings::*setting = nullptr;
    };
    std::array<Box, 2> boxes{};

    const Box* box(const QString& name) const {
        for (const Box& b : boxes)
            if (b.button->objectName() == name) return &b;
        return nullptr;
    }
};

Tgamestart::Tgamestart(ClientSession& session, QWidget* parent)
    : SideWindow(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint), d(new Impl(session)) {
    setObjectName(QStringLiteral("gamestart"));
    setWindowTitle(QStringLiteral("Pelvo - Game Start"));
    setFixedSize(257, 209);
    setModal(false);

    QPalette pal = palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    setPalette(pal);

    auto* heading = new QLabel(QStringLiteral("Game Options"), this);
    heading->setObjectName(QStringLiteral("label_heading"));
    QFont hf = art::pixelFont(18, true);
    hf.setUnderline(true);
    heading->setFont(hf);
    heading->setAlignment(Qt::AlignCenter);
    heading->setGeometry(0, 12, 257, 24);

    auto* rounds = new QLabel(QStringLiteral("Rounds:"), this);
    rounds->setObjectName(QStringLiteral("label_rounds"));
    rounds->setFont(art::pixelFont(15, true));
    rounds->setGeometry(58, 52, 66, 24);

    d->edit = new RoundsField(this);
    d->edit->setObjectName(QStringLiteral("edit_playtoscore"));
    d->edit->setAccessibleName(QStringLiteral("Rounds"));
    d->edit->setAccessibleDescription(QStringLiteral("3 to 9; Up and Down change it"));
    d->edit->setReadOnly(true);
    d->edit->setAlignment(Qt::AlignCenter);
    d->edit->setFont(art::pixelFont(15, true));
    d->edit->setGeometry(128, 50, 40, 28);
    d->updown = new UpDown(this, d->edit);
    d->updown->setGeometry(168, 50, 20, 28);
    d->updown->changed = [this](int position) { setRounds(position); };
    d->edit->step = [this](int by) { d->updown->step(by); };

    const auto makeBox = [this](const QString& name, const QString& caption, int top) {
        auto* box = new BoxButton(this, caption);
        connect(box, &QAbstractButton::clicked, this,
                [this, name](bool ticked) { changebox(name, ticked ? 1 : 0); });
        box->setObjectName(name);
        box->setGeometry(44, top, 36, 30);
        auto* label = new QLabel(caption, this);
        label->setObjectName(QStringLiteral("label_") + name);
        label->setFont(art::pixelFont(15, false));
        label->setGeometry(86, top + 3, 150, 24);
        return box;
    };
    d->boxes[0] = {makeBox(QStringLiteral("image_bot3"), QStringLiteral("Bot for Player 3"), 88),
                   &Settings::bot3};
    d->boxes[1] = {makeBox(QStringLiteral("image_bot4"), QStringLiteral("Bot for Player 4"), 124),
                   &Settings::bot4};

    d->start = new StartButton(this);
    d->start->setObjectName(QStringLiteral("button_start"));
    d->start->setGeometry(78, 164, 100, 36);
    connect(d->start, &QAbstractButton::clicked, this, &Tgamestart::button_startClick);

    // Rounds and boxes show the session's settings.
    session.followSettings(this, [this] { showSettings(); });
}

void Tgamestart::showSettings() {
    const Settings& s = d->session.settings();
    d->updown->setPosition(s.playtoscore);
    for (const Impl::Box& box : d->boxes) {
        const int index = s.*box.setting == 1 ? 1 : 0; // two pictures only
        box.button->setChecked(index == 1);
        box.button->setProperty("Tag", index);
    }
}

Tgamestart::~Tgamestart() {
    delete d;
}

void Tgamestart::changebox(const QString& name, int value) {
    const Impl::Box* box = d->box(name);
    if (!box) return;
    // Only two pictures exist.
    d->session.editSettings(
        [setting = box->setting, value](Settings& s) { s.*setting = value == 1 ? 1 : 0; });
}

int Tgamestart::boxTag(const QString& name) const {
    const Impl::Box* box = d->box(name);
    return box ? d->session.settings().*box->setting : 0;
}

int Tgamestart::rounds() const {
    return d->session.settings().playtoscore;
}
void Tgamestart::setRounds(int position) {
    d->session.editSettings(
        [position](Settings& s) { s.playtoscore = std::clamp(position, minRounds, maxRounds); });
}

void Tgamestart::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        button_startClick();
        return;
    case Qt::Key_3:
    case Qt::Key_4: {
        const QString name =
            event->key() == Qt::Key_3 ? QStringLiteral("image_bot3") : QStringLiteral("image_bot4");
        changebox(name, boxTag(name) == 0 ? 1 : 0);
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
        d->updown->step(event->key() == Qt::Key_Up ? 1 : -1);
        return;
    default:
        SideWindow::keyPressEvent(event);
    }
}

void Tgamestart::button_startClick() {
    const Settings& s = d->session.settings();
    d->session.startGame(d->session.state().playername, d->edit->text(), s.bot3, s.bot4);
    hide();
    emit started();
}

} // namespace pelvo
