#include "client/board/HintMarks.h"

// own
#include "client/board/BoardWidgets.h"
#include "windows/Art.h"

// Qt
#include <QEvent>
#include <QPainter>
#include <QFontMetricsF>

namespace pelvo::board {

namespace {
// Free felt right of seat 4's cards and above the own name, at scale 1.
constexpr QRect noteAt{612, 130, 150, 132};
constexpr int notePx = 12;
const QColor ringColour(40, 220, 255);
} // namespace

HintMarks::HintMarks(QWidget* board) : QWidget(board) {
    makeOverlay(this, QStringLiteral("hint_marks"));
    // The note is read out through the table's news; the picture itself says nothing more.
    setAccessibleName(QStringLiteral("Hint"));
    board->installEventFilter(this);
    setGeometry(board->rect());
}

bool HintMarks::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parent() && event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
    return false;
}

void HintMarks::setScale(qreal scale) {
    scale_ = scale;
    update();
}

QRect HintMarks::noteRect() const {
    const auto px = [this](int v) { return qRound(v * scale_); };
    return QRect(
        QPoint(px(noteAt.left()), px(noteAt.top())),
        QPoint(px(noteAt.left() + noteAt.width()) - 1, px(noteAt.top() + noteAt.height()) - 1));
}

void HintMarks::showHint(const QList<QWidget*>& places, const QString& text) {
    places_.clear();
    for (QWidget* w : places)
        if (w) places_ << w;
    text_ = text;
    setAccessibleDescription(text);
    show();
    raise();
    update();
}

void HintMarks::clear() {
    if (isHidden()) return;
    places_.clear();
    text_.clear();
    hide();
}

void HintMarks::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = scale_;
    // A light ring on a dark one: it reads on the felt, on faces and on backs alike, and is
    // never the keyboard's yellow.
    for (const QPointer<QWidget>& w : places_) {
        if (!w || !w->isVisible()) continue;
        // Hugging the card, so the pile's caption below stays readable.
        const QRectF r = QRectF(w->geometry()).adjusted(-1 * s, -1 * s, 1 * s, 1 * s);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 40, 60), 5 * s));
        p.drawRoundedRect(r, 6 * s, 6 * s);
        p.setPen(QPen(ringColour, 3 * s));
        p.drawRoundedRect(r, 6 * s, 6 * s);
    }

    // The note: a card-like slip with a title and the words, wrapped to fit.
    const QRectF note = QRectF(noteRect()).adjusted(0.5, 0.5, -0.5, -0.5);
    p.setPen(QPen(QColor(0, 90, 120), 1.5 * s));
    p.setBrush(QColor(240, 252, 255, 240));
    p.drawRoundedRect(note, 8 * s, 8 * s);
    const qreal pad = 6 * s;
    QFont title = art::pixelFont(notePx, true);
    title.setPixelSize(qMax(1, qRound(notePx * s)));
    p.setPen(QColor(0, 80, 110));
    p.setFont(title);
    const QRectF inner = note.adjusted(pad, pad * 0.7, -pad, -pad);
    p.drawText(inner, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Hint"));
    const qreal top = inner.top() + QFontMetricsF(title).height() + 2 * s;
    const QRectF words(inner.left(), top, inner.width(), inner.bottom() - top);
    // A long reason takes a smaller letter rather than leaving the slip.
    QFont body = art::pixelFont(notePx, false);
    for (int px = notePx; px >= notePx - 3; --px) {
        body.setPixelSize(qMax(1, qRound(px * s)));
        const QRectF need = QFontMetricsF(body).boundingRect(
            words, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
        if (need.height() <= words.height()) break;
    }
    p.setPen(Qt::black);
    p.setFont(body);
    p.drawText(words, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text_);
}

} // namespace pelvo::board
