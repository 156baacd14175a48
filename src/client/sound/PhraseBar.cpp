#include "client/sound/PhraseBar.h"

#include "client/ClientContext.h"
#include "client/chat/ColourText.h"
#include "client/sound/SoundOptions.h"
#include "protocol/Messages.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTimer>
#include <QToolButton>

#include <algorithm>
#include <array>

namespace pelvo {

namespace {

constexpr int buttonWidth = 25, buttonHeight = 19, buttonStep = 27;

// Speech bubble in the button's colour with its number, so the nine stay easy to tell apart.
QPixmap bubbleIcon(int n, qreal dpr) {
    static const std::array<QColor, 9> fills{
        QColor(0x4C, 0x9A, 0xE8), QColor(0x5C, 0xB8, 0x5C), QColor(0xF0, 0xAD, 0x4E),
        QColor(0xD9, 0x53, 0x4F), QColor(0x9B, 0x59, 0xB6), QColor(0x1A, 0xBC, 0x9C),
        QColor(0xE6, 0x7E, 0x22), QColor(0x34, 0x98, 0xDB), QColor(0x7F, 0x8C, 0x8D)};
    QPixmap pm(QSize(21, 15) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(1.5, 0.5, 18, 11), 4, 4);
    QPainterPath tail;
    tail.moveTo(5, 10);
    tail.lineTo(4, 14.5);
    tail.lineTo(10, 10);
    tail.closeSubpath();
    bubble = bubble.united(tail);
    p.setPen(QPen(fills[n - 1].darker(140), 1));
    p.setBrush(fills[n - 1]);
    p.drawPath(bubble);
    QFont f = p.font();
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 0.5, 18, 11), Qt::AlignCenter, QString::number(n));
    return pm;
}

// A loudspeaker with two sound waves and a note: the chatter sound menu.
QPixmap speakerIcon(qreal dpr) {
    QPixmap pm(QSize(21, 15) * dpr);
    pm.setDevicePixelRatio(dpr);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor ink(0x33, 0x33, 0x66);
    QPolygonF body;
    body << QPointF(2, 5) << QPointF(5, 5) << QPointF(9, 1.5) << QPointF(9, 13.5) << QPointF(5, 10)
         << QPointF(2, 10);
    p.setPen(QPen(ink, 1));
    p.setBrush(QColor(0xF5, 0xC5, 0x42));
    p.drawPolygon(body);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(ink, 1.2));
    p.drawArc(QRectF(8, 4, 5, 7), -60 * 16, 120 * 16);
    p.drawArc(QRectF(8, 2, 8, 11), -60 * 16, 120 * 16);
    p.setBrush(ink);
    p.drawEllipse(QRectF(16, 9.5, 3, 2.5));
    p.drawLine(QPointF(18.8, 10.5), QPointF(18.8, 3));
    p.drawLine(QPointF(18.8, 3), QPointF(20.5, 4.5));
    return pm;
}

} // namespace

struct PhraseBar::Impl {
    Impl(ClientContext& c, SoundOptions& s) : ctx(c), sounds(s) {}
    ClientContext& ctx;
    SoundOptions& sounds;
    std::array<QToolButton*, 11> buttons{}; // 1..10
    QMenu* popup = nullptr;
    QTimer cooldown;
};

QStringList PhraseBar::designPhrases() {
    return {"Way To Go!", "Good One!", "Nice Try!",         "Excellent!",         "Brilliant!",
            "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!"};
}

QStringList PhraseBar::chatterCaptions() {
    return {
        "<Cancel>",       "Doh",          "Cough", "Hello",   "Thank You", "Where have you been?",
        "Snoring",        "Sneezing",     "Sorry", "Welcome", "Yeehaa",    "Yippee",
        "Oh No",          "Applause",     "Honk",  "Oooh",    "Razzberry", "Cheer",
        "Woman Laughing", "Man Laughing", "Crying"};
}

PhraseBar::PhraseBar(ClientContext& ctx, SoundOptions& sounds, QWidget* parent)
    : QWidget(parent), d(new Impl(ctx, sounds)) {
    setFixedSize(buttonStep * 9 + buttonWidth + 2, buttonHeight);
    const qreal dpr = devicePixelRatioF() < 2 ? 2 : devicePixelRatioF();
    const QStringList phrases = designPhrases();
    for (int n = 1; n <= 10; ++n) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setGeometry((n - 1) * buttonStep, 0, buttonWidth, buttonHeight);
        b->setIconSize(QSize(21, 15));
        b->setIcon(QIcon(n == 10 ? speakerIcon(dpr) : bubbleIcon(n, dpr)));
        b->setToolTip(n == 10 ? QStringLiteral("Chatter Sounds") : phrases[n - 1]);
        if (n < 10) connect(b, &QToolButton::clicked, this, [this, n] { b_phrase1Click(n); });
        d->buttons[n] = b;
    }
    // Any mouse button opens the menu, so listen to releases rather than clicks.
    d->buttons[10]->installEventFilter(this);

    d->popup = new QMenu(this);
    d->popup->setObjectName(QStringLiteral("popup_sounds"));
    d->popup->setToolTipsVisible(true);
    const QStringList captions = chatterCaptions();
    for (int tag = 0; tag < captions.size(); ++tag) {
        QAction* item = d->popup->addAction(captions[tag]);
        item->setObjectName(tag == 0 ? QStringLiteral("Cancel1")
                                     : QStringLiteral("wave%1").arg(tag));
        item->setData(tag);
        item->setToolTip(captions[tag]);
        item->setStatusTip(captions[tag]);
    }
    connect(d->popup, &QMenu::triggered, this, &PhraseBar::wave4Click);

    d->cooldown.setSingleShot(true);
    d->cooldown.setInterval(2000);
    connect(&d->cooldown, &QTimer::timeout, this, [this] {
        d->ctx.state().phraseready = true;
        d->ctx.state().phraseticks = 0;
    });
}

PhraseBar::~PhraseBar() {
    delete d;
}

QString PhraseBar::phrase(int n) const {
    return n >= 1 && n <= 9 ? d->buttons[n]->toolTip() : QString();
}

void PhraseBar::setPhrase(int n, const QString& text) {
    if (n >= 1 && n <= 9) d->buttons[n]->setToolTip(text);
}

QStringList PhraseBar::phrases() const {
    QStringList list;
    for (int n = 1; n <= 9; ++n) list << phrase(n);
    return list;
}

void PhraseBar::setPhrases(const QStringList& phrases) {
    for (int n = 1; n <= 9 && n <= phrases.size(); ++n) setPhrase(n, phrases[n - 1]);
}

void PhraseBar::setCooldown(int ms) {
    d->cooldown.setInterval(ms);
}
QMenu* PhraseBar::popupSounds() const {
    return d->popup;
}

void PhraseBar::b_phrase1Click(int n) {
    if (n < 1 || n > 9) return;
    ClientState& st = d->ctx.state();
    if (!st.phraseready) return;
    const QString text = phrase(n);
    // Exactly "/me " makes an action; "/meow" is an ordinary phrase.
    const QString body =
        text.startsWith(QStringLiteral("/me ")) ? text.mid(4) : QStringLiteral("says: ") + text;
    if (!d->ctx.sendToHost(msg::action(st.myseat, body, colourToText(d->ctx.chatColour()))))
        return; // nothing went out, so the button stays ready
    st.phraseready = false;
    d->cooldown.start();
}

void PhraseBar::b_phrase10MouseUp() {
    QToolButton* b = d->buttons[10];
    d->popup->popup(b->mapToGlobal(QPoint(b->width(), b->height())));
}

void PhraseBar::wave4Click(QAction* item) {
    const int tag = item ? item->data().toInt() : 0;
    const ClientState& st = d->ctx.state();
    if (tag == 0 || !st.connected) return;
    d->ctx.sendToHost(msg::playasound(st.myseat, tag));
}

void PhraseBar::playasound(const QString& payload) {
    const int plus = payload.indexOf(u'+');
    if (plus < 0) return;
    const QString slotText = payload.left(plus);
    const QString rest = payload.mid(plus + 1);
    const QString clip = rest.left(rest.indexOf(u'+')); // whole rest when there is no "+"

    if (d->sounds.playerPhraseSounds()) {
        d->sounds.playclip(clip);
        return;
    }
    // Only seats have name labels; anything else shows nothing.
    bool ok = false;
    const int slot = slotText.toInt(&ok);
    if (!ok || slot < 1 || slot > 4) return;
    const QList<QAction*> items = d->popup->actions();
    const auto it = std::find_if(items.begin(), items.end(), [&](const QAction* a) {
        return a->objectName().compare(clip, Qt::CaseInsensitive) == 0;
    });
    if (it == items.end()) return;
    d->ctx.addlinetochat(QStringLiteral("0+") + d->ctx.seatCaption(slot) +
                             QStringLiteral(": <Chatter Sound> ") + (*it)->text(),
                         d->ctx.state().syscolour);
}

bool PhraseBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == d->buttons[10] && event->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (d->buttons[10]->rect().contains(me->position().toPoint())) b_phrase10MouseUp();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pelvo
