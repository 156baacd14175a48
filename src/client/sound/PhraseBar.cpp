#include "client/sound/PhraseBar.h"

#include "session/ClientSession.h"
#include "windows/AccessibleName.h"

#include <QAction>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
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
    explicit Impl(ClientSession& s) : session(s) {}
    ClientSession& session;
    std::array<QToolButton*, 11> buttons{}; // 1..10
    QMenu* popup = nullptr;
    qreal scale = 1.0;
};

void PhraseBar::setScale(qreal scale) {
    if (qFuzzyCompare(scale, d->scale)) return; // a resize at the same scale repaints nothing
    d->scale = scale;
    const auto px = [scale](int design) { return qRound(design * scale); };
    setFixedSize(px(buttonStep * 9 + buttonWidth + 2), px(buttonHeight));
    for (int n = 1; n <= 10; ++n) {
        d->buttons[n]->setGeometry(px((n - 1) * buttonStep), 0, px(buttonWidth), px(buttonHeight));
        d->buttons[n]->setIconSize(QSize(px(21), px(15)));
        // Painted with as many pixels as the larger icon shows, so it stays sharp.
        const qreal dpr = std::max(2.0, devicePixelRatioF()) * scale;
        d->buttons[n]->setIcon(QIcon(n == 10 ? speakerIcon(dpr) : bubbleIcon(n, dpr)));
    }
}

QStringList PhraseBar::designPhrases() {
    return Settings::designPhrases();
}

QStringList PhraseBar::chatterCaptions() {
    return ClientSession::chatterCaptions();
}

PhraseBar::PhraseBar(ClientSession& session, QWidget* parent)
    : QWidget(parent), d(new Impl(session)) {
    setFixedSize(buttonStep * 9 + buttonWidth + 2, buttonHeight);
    const qreal dpr = devicePixelRatioF() < 2 ? 2 : devicePixelRatioF();
    for (int n = 1; n <= 10; ++n) {
        auto* b = new QToolButton(this);
        b->setObjectName(QStringLiteral("b_phrase%1").arg(n));
        b->setAutoRaise(true);
        b->setFocusPolicy(Qt::TabFocus); // reachable without a mouse, never taken by a click
        b->setGeometry((n - 1) * buttonStep, 0, buttonWidth, buttonHeight);
        b->setIconSize(QSize(21, 15));
        b->setIcon(QIcon(n == 10 ? speakerIcon(dpr) : bubbleIcon(n, dpr)));
        if (n == 10) {
            b->setToolTip(QStringLiteral("Chatter Sounds"));
            b->setAccessibleName(QStringLiteral("Chatter Sounds"));
        }
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

    // The buttons' hints are the phrases of the settings.
    const auto showPhrases = [this] {
        const QStringList& phrases = d->session.settings().phrases;
        for (int n = 1; n <= 9; ++n) {
            d->buttons[n]->setToolTip(phrases.value(n - 1));
            renameAccessible(d->buttons[n],
                             QStringLiteral("Phrase %1: %2")
                                 .arg(n)
                                 .arg(phrases.value(n - 1).isEmpty() ? QStringLiteral("empty")
                                                                     : phrases.value(n - 1)));
        }
    };
    session.followSettings(this, showPhrases);
}

PhraseBar::~PhraseBar() {
    delete d;
}

QString PhraseBar::phrase(int n) const {
    return n >= 1 && n <= 9 ? d->session.settings().phrases.value(n - 1) : QString();
}

void PhraseBar::setPhrase(int n, const QString& text) {
    if (n < 1 || n > 9) return;
    d->session.editSettings([n, &text](Settings& s) {
        while (s.phrases.size() < 9) s.phrases.append(QString());
        s.phrases[n - 1] = text;
    });
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
    d->session.setPhraseCooldown(ms);
}
QMenu* PhraseBar::popupSounds() const {
    return d->popup;
}

void PhraseBar::b_phrase1Click(int n) {
    if (n < 1 || n > 9) return;
    d->session.sendPhrase(phrase(n)); // the session keeps the cool-down
}

void PhraseBar::b_phrase10MouseUp() {
    QToolButton* b = d->buttons[10];
    d->popup->popup(b->mapToGlobal(QPoint(b->width(), b->height())));
}

void PhraseBar::wave4Click(QAction* item) {
    d->session.playChatterSound(item ? item->data().toInt() : 0);
}

bool PhraseBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == d->buttons[10] && event->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (d->buttons[10]->rect().contains(me->position().toPoint())) b_phrase10MouseUp();
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pelvo
