#include "client/board/CardArt.h"

#include "rules/Cards.h"
#include "windows/Art.h"

#include <QCoreApplication>
#include <QFile>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QSemaphore>
#include <QSvgRenderer>
#include <QThread>
#include <QThreadPool>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>

namespace pelvo::board {

namespace {

constexpr const char* suitNames[4] = {"club", "diamond", "heart", "spade"};
constexpr char16_t suitSymbols[4] = {u'\u2663', u'\u2666', u'\u2665', u'\u2660'};

void smooth(QPainter& p) {
    p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                     QPainter::TextAntialiasing);
}

void roundedBox(QPainter& p, const QRectF& box, qreal radius, const QPen& pen, const QBrush& fill) {
    p.setPen(pen);
    p.setBrush(fill);
    p.drawRoundedRect(box, radius, radius);
}

qreal cornerRadius(CardSize size) {
    return size == CardSize::Large ? 5.0 : 3.5;
}

// A card's rounded edge, half a pixel in so that its one-pixel line stays inside the picture.
QPainterPath cardEdge(const QRectF& r, CardSize size) {
    QPainterPath edge;
    edge.addRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), cornerRadius(size), cornerRadius(size));
    return edge;
}

QColor suitColour(int suit, bool fourColour) {
    if (fourColour && suit == 0) return QColor(0, 128, 40);
    if (fourColour && suit == 1) return QColor(20, 70, 200);
    return suit == 1 || suit == 2 ? QColor(196, 24, 32) : QColor(24, 24, 28);
}

// Four-colour suits on the deck's art: a club's black and a diamond's red become green and blue.
// The deck paints its suits in flat colours over white, so each pixel is read as a mix of white
// and the suit's colour and mixed again with the new one. Court cards keep their pictures and
// change only in the corner indices, which is where a glance goes.
void recolour(QImage& image, int code) {
    if (!isSuited(code) || (suitOf(code) != Suit::Clubs && suitOf(code) != Suit::Diamonds)) return;
    const int suit = int(suitOf(code));
    const QColor target = suitColour(suit, true);
    const bool court = isCourt(code);
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (court) {
                const bool topLeft = x < w * 0.2 && y < h * 0.38;
                const bool bottomRight = x > w * 0.8 && y > h * 0.62;
                if (!topLeft && !bottomRight) continue;
            }
            const QRgb px = qUnpremultiply(line[x]);
            const int a = qAlpha(px);
            if (a == 0) continue;
            const int r = qRed(px), g = qGreen(px), b = qBlue(px);
            qreal k = 0; // how much of the suit's colour is in the pixel
            if (suit == 0) {
                if (std::max({r, g, b}) - std::min({r, g, b}) > 30) continue; // not grey
                k = 1.0 - (r + g + b) / (3.0 * 255.0);
            } else {
                if (r - std::max(g, b) < 40 || std::abs(g - b) > 40) continue; // not red
                k = 1.0 - (g + b) / (2.0 * 255.0);
            }
            if (k <= 0.02) continue;
            const auto mix = [k](int c) { return int(255 * (1 - k) + c * k + 0.5); };
            line[x] =
                qPremultiply(qRgba(mix(target.red()), mix(target.green()), mix(target.blue()), a));
        }
    }
}

QString rankText(int code) {
    static const char* const ranks[King + 1] = {"",  "A", "2", "3",  "4", "5", "6",
                                                "7", "8", "9", "10", "J", "Q", "K"};
    return QLatin1String(ranks[rankOf(code)]);
}

// Our own back: a deep red lattice inside a white margin, with a small emblem.
void paintBack(QPainter& p, QRectF r, CardSize size) {
    const bool large = size == CardSize::Large;
    const qreal radius = cornerRadius(size);
    const QPainterPath outer = cardEdge(r, size);
    p.fillPath(outer, QColor(250, 250, 246));

    const qreal margin = large ? 4.0 : 2.5;
    const QRectF inner = r.adjusted(margin, margin, -margin, -margin);
    QPainterPath innerPath;
    innerPath.addRoundedRect(inner, radius - 1.5, radius - 1.5);
    QLinearGradient g(inner.topLeft(), inner.bottomRight());
    g.setColorAt(0, QColor(176, 32, 48));
    g.setColorAt(1, QColor(120, 16, 32));
    p.fillPath(innerPath, g);

    p.save();
    p.setClipPath(innerPath);
    p.setPen(QPen(QColor(255, 214, 140, 70), large ? 1.0 : 0.8));
    const qreal step = large ? 7.0 : 5.0;
    for (qreal x = inner.left() - inner.height(); x < inner.right(); x += step) {
        p.drawLine(QPointF(x, inner.top()), QPointF(x + inner.height(), inner.bottom()));
        p.drawLine(QPointF(x, inner.bottom()), QPointF(x + inner.height(), inner.top()));
    }
    p.restore();

    roundedBox(p, inner.adjusted(1.5, 1.5, -1.5, -1.5), radius - 2,
               QPen(QColor(255, 214, 140, 180), large ? 1.2 : 0.9), Qt::NoBrush);

    // Emblem: a gold diamond in the middle.
    const QPointF c = inner.center();
    const qreal e = large ? 9.0 : 5.5;
    QPolygonF diamond({QPointF(c.x(), c.y() - e * 1.3), QPointF(c.x() + e, c.y()),
                       QPointF(c.x(), c.y() + e * 1.3), QPointF(c.x() - e, c.y())});
    p.setPen(QPen(QColor(90, 10, 20), 1.0));
    p.setBrush(QColor(240, 196, 90));
    p.drawPolygon(diamond);

    p.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outer);
}

// Plain face for a missing deck: rank and suit in the corner, a large suit in the middle.
void paintPlainFace(QPainter& p, QRectF r, CardSize size, int code, bool fourColour) {
    const bool large = size == CardSize::Large;
    const QPainterPath outer = cardEdge(r, size);
    p.fillPath(outer, Qt::white);
    if (code == 53) {
        p.setPen(QColor(120, 30, 160));
        p.setFont(art::pixelFont(large ? 15 : 9, true));
        p.drawText(r, Qt::AlignCenter, QStringLiteral("J\nO\nK\nE\nR"));
    } else {
        const int suit = int(suitOf(code));
        p.setPen(suitColour(suit, fourColour));
        const QRectF corner(r.left() + 3, r.top() + 2, large ? 22 : 16, large ? 34 : 24);
        p.setFont(art::pixelFont(large ? 17 : 13, true));
        p.drawText(corner, Qt::AlignHCenter | Qt::AlignTop, rankText(code));
        p.setFont(art::pixelFont(large ? 15 : 11, false));
        p.drawText(corner, Qt::AlignHCenter | Qt::AlignBottom, QString(QChar(suitSymbols[suit])));
        p.setFont(art::pixelFont(large ? 40 : 22, false));
        p.drawText(r.adjusted(large ? 10 : 8, large ? 16 : 12, 0, 0), Qt::AlignCenter,
                   QString(QChar(suitSymbols[suit])));
    }
    p.setPen(QPen(QColor(0, 0, 0, 110), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outer);
}

// Qt's raster engine cuts each large fill into pieces for its global thread pool and waits for
// them, unless the painting thread is one of the pool's own. A card is many such fills: painting
// cards whole on one pool thread (the caller waits) spares a hand-off per fill, nearly half the
// processor time of a rescale. A pool with no thread free at once would make the caller wait
// for others' work, so the cards are then painted here.
template <typename Job> void onPoolThread(Job job) {
    QThreadPool* pool = QThreadPool::globalInstance();
    if (pool->contains(QThread::currentThread())) return job();
    QSemaphore done;
    const bool started = pool->tryStart([&] {
        job();
        done.release();
    });
    if (!started) return job();
    done.acquire();
}

} // namespace

CardArt& CardArt::instance() {
    static CardArt art;
    // Pictures belong to the application object: drop them before it goes.
    static const bool released = [] {
        qAddPostRoutine([] { CardArt::instance().release(); });
        return true;
    }();
    Q_UNUSED(released);
    return art;
}

void CardArt::release() {
    dropPictures();
    deck_.reset();
    deckRead_ = true; // nothing is painted after this
}

QString CardArt::defaultDeckPath() {
    const QString fromEnv = qEnvironmentVariable("PELVO_CARD_DECK");
    if (!fromEnv.isEmpty()) return fromEnv;
    return QStringLiteral("/usr/share/carddecks/svg-nicu-white/white.svgz");
}

CardArt::CardArt() {
    load(defaultDeckPath());
}
CardArt::~CardArt() = default;

void CardArt::load(const QString& path) {
    path_ = path;
    dropPictures();
    deck_.reset();
    deckRead_ = false;
}

QSvgRenderer* CardArt::deck() const {
    if (deckRead_) return deck_.get();
    deckRead_ = true;
    if (QFile::exists(path_)) {
        auto renderer = std::make_unique<QSvgRenderer>(path_);
        if (renderer->isValid() && renderer->elementExists(QStringLiteral("1_club")))
            deck_ = std::move(renderer);
    }
    if (!deck_) {
        // One plain line: the game still runs, with plain faces.
        std::fprintf(stderr, "pelvo: card deck %s not readable; painting plain card faces\n",
                     qPrintable(path_));
        std::fflush(stderr);
    }
    return deck_.get();
}

bool CardArt::hasDeck() const {
    return deck() != nullptr;
}

QString CardArt::elementId(int code) {
    if (code == Joker) return QStringLiteral("red_joker");
    if (!isSuited(code)) return {};
    static const char* const ranks[King + 1] = {"",  "1", "2", "3",  "4",    "5",     "6",
                                                "7", "8", "9", "10", "jack", "queen", "king"};
    return QLatin1String(ranks[rankOf(code)]) + u'_' + QLatin1String(suitNames[int(suitOf(code))]);
}

QPixmap CardArt::card(int index, CardSize size) {
    if (index < 0 || index >= cardPictureCount) index = 0;
    if (slot(index, size).isNull()) prepare({{index, size}});
    return slot(index, size);
}

void CardArt::setScale(qreal scale) {
    if (qFuzzyCompare(scale, scale_)) return;
    scale_ = scale;
    dropPictures();
}

void CardArt::setFourColour(bool on) {
    if (on == fourColour_) return;
    fourColour_ = on;
    dropPictures();
}

void CardArt::prepare(const std::vector<std::pair<int, CardSize>>& pictures) {
    std::vector<std::pair<int, CardSize>> missing;
    for (const auto& picture : pictures) {
        const auto [index, size] = picture;
        if (index < 0 || index >= cardPictureCount) continue;
        if (!slot(index, size).isNull()) continue;
        if (std::find(missing.begin(), missing.end(), picture) == missing.end())
            missing.push_back(picture);
    }
    if (missing.empty()) return;
    // The parsed deck belongs to this thread, which keeps it: read it before the hand-off.
    if (std::any_of(missing.begin(), missing.end(), [](const auto& m) { return m.first != 0; }))
        deck();
    std::vector<QImage> images(missing.size());
    onPoolThread([&] {
        for (std::size_t i = 0; i < missing.size(); ++i)
            images[i] = render(missing[i].first, missing[i].second);
    });
    for (std::size_t i = 0; i < missing.size(); ++i) {
        slot(missing[i].first, missing[i].second) = QPixmap::fromImage(std::move(images[i]));
    }
}

void CardArt::renderAll(CardSize size) {
    std::vector<std::pair<int, CardSize>> all;
    for (int index = 0; index < cardPictureCount; ++index) all.emplace_back(index, size);
    prepare(all);
}

QSize CardArt::cardSize(CardSize size) const {
    return scaled(size == CardSize::Large ? largeCardSize : smallCardSize, scale_);
}

QImage CardArt::render(int index, CardSize size) const {
    // Painted in design units on a painter scaled to the drawn size: the SVG is rendered at the
    // final resolution, never a bitmap stretched.
    const QSize design = size == CardSize::Large ? largeCardSize : smallCardSize;
    const QSize logical = cardSize(size);
    const qreal ratio = art::paintRatio();
    QImage image(logical * ratio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter p(&image);
    smooth(p);
    p.scale(qreal(logical.width()) / design.width(), qreal(logical.height()) / design.height());
    const QRectF r(QPointF(0, 0), QSizeF(design));
    if (index == 0) {
        paintBack(p, r, size);
        p.end();
        return image;
    }
    const QString id = elementId(index);
    QSvgRenderer* svg = deck();
    if (!svg || !svg->elementExists(id)) {
        paintPlainFace(p, r, size, index, fourColour_);
        p.end();
        return image;
    }
    const QPainterPath outer = cardEdge(r, size);
    p.fillPath(outer, Qt::white);
    p.save();
    p.setClipPath(outer);
    // The deck's own frame is a little larger than its face; trim it so our rounded edge shows.
    const qreal trim = size == CardSize::Large ? 1.0 : 0.8;
    svg->render(&p, id, r.adjusted(-trim, -trim, trim, trim));
    p.restore();
    if (fourColour_) {
        p.end();
        recolour(image, index);
        p.begin(&image);
        smooth(p);
        p.scale(qreal(logical.width()) / design.width(), qreal(logical.height()) / design.height());
    }
    p.setPen(QPen(QColor(0, 0, 0, 120), 1.0));
    p.setBrush(Qt::NoBrush);
    p.drawPath(outer);
    p.end();
    return image;
}

QSize scaled(QSize size, qreal scale) {
    return QSize(qRound(size.width() * scale), qRound(size.height() * scale));
}

namespace {
// A marker `design` pixels large at `scale`, painted in design pixels.
template <typename Paint> QPixmap marker(QSize design, qreal scale, Paint paint) {
    QPixmap pm = art::blankPicture(scaled(design, scale));
    QPainter p(&pm);
    smooth(p);
    p.scale(scale, scale);
    paint(p);
    return pm;
}
} // namespace

QPixmap turnMarker(qreal scale) {
    return marker({111, 65}, scale, [](QPainter& p) {
        // A lit frame round the name and score; open in the middle so both stay readable.
        const QRectF frame(8.5, 17.5, 100, 46);
        roundedBox(p, frame, 9, QPen(QColor(255, 236, 140, 90), 5), QColor(255, 255, 220, 50));
        roundedBox(p, frame, 9, QPen(QColor(255, 206, 48), 2), Qt::NoBrush);
        // "TURN" tab on the frame's top right (the eyes sit on the top left).
        const QRectF tab(60.5, 1.5, 46, 15);
        QLinearGradient g(tab.topLeft(), tab.bottomLeft());
        g.setColorAt(0, QColor(255, 228, 120));
        g.setColorAt(1, QColor(245, 180, 30));
        roundedBox(p, tab, 6, QPen(QColor(120, 80, 0), 1), g);
        p.setPen(QColor(60, 36, 0));
        p.setFont(art::pixelFont(10, true));
        p.drawText(tab, Qt::AlignCenter, QStringLiteral("TURN"));
    });
}

QPixmap handPointer(qreal scale) {
    return marker({36, 26}, scale, [](QPainter& p) {
        // A gold arrow pointing up and left at the card that moved.
        const qreal len = 33, head = 13, hw = 7.5, sw = 3.2;
        QPolygonF arrow({QPointF(0, 0), QPointF(head, -hw), QPointF(head, -sw), QPointF(len, -sw),
                         QPointF(len, sw), QPointF(head, sw), QPointF(head, hw)});
        QTransform t;
        t.translate(3, 3);
        t.rotate(std::atan2(19.0, 29.0) * 180.0 / M_PI);
        const QPolygonF placed = t.map(arrow);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, 80));
        p.drawPolygon(placed.translated(1.2, 1.6));
        QLinearGradient g(QPointF(0, 0), QPointF(36, 26));
        g.setColorAt(0, QColor(255, 236, 130));
        g.setColorAt(1, QColor(235, 160, 20));
        p.setBrush(g);
        p.setPen(QPen(QColor(90, 50, 0), 1.3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolygon(placed);
    });
}

QPixmap eyesPicture(qreal scale) {
    return marker({23, 10}, scale, [](QPainter& p) {
        for (qreal x : {1.0, 12.0}) {
            p.setPen(QPen(QColor(30, 30, 30), 1));
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(x + 0.5, 1.0, 9.5, 8.0));
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(20, 60, 140));
            p.drawEllipse(QPointF(x + 6.2, 5.0), 2.4, 2.4);
            p.setBrush(Qt::black);
            p.drawEllipse(QPointF(x + 6.4, 5.0), 1.2, 1.2);
        }
    });
}

QPixmap penaltyMarker(qreal scale) {
    return marker({97, 25}, scale, [](QPainter& p) {
        // The tag keeps to the upper rows: the name label starts just below this marker.
        const QRectF tag(4.5, 1.5, 90, 18);
        art::paintPlate(p, tag, 5,
                        {QColor(236, 64, 52), QColor(170, 20, 24),
                         QPen(QColor(255, 255, 255, 220), 1), QColor(0, 0, 0, 70),
                         QPointF(1, 1.5)});
        p.setPen(Qt::white);
        p.setFont(art::pixelFont(11, true));
        p.drawText(tag, Qt::AlignCenter, QStringLiteral("+25 PENALTY"));
    });
}

QPixmap notPlayingMarker(qreal scale) {
    return marker({89, 41}, scale, [](QPainter& p) {
        const QRectF plate(1.5, 1.5, 86, 38);
        roundedBox(p, plate, 8, QPen(QColor(255, 255, 255, 170), 1.2), QColor(20, 30, 10, 150));
        p.setPen(QColor(245, 245, 235));
        p.setFont(art::pixelFont(13, true));
        p.drawText(plate, Qt::AlignCenter, QStringLiteral("NOT\nPLAYING"));
    });
}

QPixmap startButtonPicture(bool hover, bool down, qreal scale) {
    const QSize size(122, 34);
    QPixmap pm = art::blankPicture(scaled(size, scale));
    QPainter p(&pm);
    p.scale(scale, scale);
    art::paintStartButton(p, QRectF(QPointF(0, 0), size), QStringLiteral("Start Game"), hover,
                          down);
    return pm;
}

} // namespace pelvo::board
