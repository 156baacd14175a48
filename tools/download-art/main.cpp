// Paints the picture of the lobby download window: a card room at night, a table with four
// hands of face-down cards, and a hanging sign whose lower half is left free for the window's
// red "IS CLOSED" label. Writes a JPEG (the window loads it through Qt's JPEG plugin).

// Qt
#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QRandomGenerator>
#include <QTextStream>

namespace {

constexpr int Width = 436;
constexpr int Height = 268;

// Turns the painter so that a card the size of `r` stands centred on `r` at `angle`, paints the
// card's shadow and returns the card's rectangle. The caller saves and restores the painter.
QRectF placeCard(QPainter& p, const QRectF& r, qreal angle) {
    p.translate(r.center());
    p.rotate(angle);
    const QRectF c(-r.width() / 2, -r.height() / 2, r.width(), r.height());
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 70));
    p.drawRoundedRect(c.translated(1.5, 2), 2.5, 2.5);
    return c;
}

void drawCardBack(QPainter& p, const QRectF& r, qreal angle) {
    p.save();
    const QRectF c = placeCard(p, r, angle);
    p.setPen(QPen(QColor(250, 246, 236), 1.2));
    p.setBrush(QColor(168, 30, 44));
    p.drawRoundedRect(c, 2.5, 2.5);
    p.setPen(QPen(QColor(255, 210, 150, 150), 0.8));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(c.adjusted(2, 2, -2, -2), 1.5, 1.5);
    p.restore();
}

void drawCardFace(QPainter& p, const QRectF& r, qreal angle, const QString& rank, bool red) {
    p.save();
    const QRectF c = placeCard(p, r, angle);
    p.setPen(QPen(QColor(120, 110, 90), 0.8));
    p.setBrush(QColor(252, 250, 244));
    p.drawRoundedRect(c, 2.5, 2.5);
    QFont f("Liberation Sans");
    f.setPixelSize(int(r.height() * 0.42));
    f.setBold(true);
    p.setFont(f);
    p.setPen(red ? QColor(196, 24, 32) : QColor(20, 20, 20));
    p.drawText(c, Qt::AlignCenter, rank);
    p.restore();
}

// A three-by-three hand, turned so that it faces the table's centre.
void drawHand(QPainter& p, const QPointF& centre, qreal angle, qreal scale, int faceUp) {
    const qreal w = 13 * scale, h = 18 * scale, gap = 3 * scale;
    static const char* ranks[] = {"7", "K", "2", "Q", "A", "5", "9", "J", "3"};
    p.save();
    p.translate(centre);
    p.rotate(angle);
    for (int col = 0; col < 3; ++col) {
        for (int row = 0; row < 3; ++row) {
            const QRectF r((col - 1) * (w + gap) - w / 2, (row - 1) * (h + gap) - h / 2, w, h);
            const int n = col * 3 + row;
            if (n < faceUp)
                drawCardFace(p, r, 0, QString::fromLatin1(ranks[n]), n % 2 == 1);
            else
                drawCardBack(p, r, 0);
        }
    }
    p.restore();
}

void paint(QImage& img) {
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // Room: a dark wall with a warm lamp glow from above.
    QLinearGradient wall(0, 0, 0, Height);
    wall.setColorAt(0, QColor(38, 26, 40));
    wall.setColorAt(1, QColor(18, 14, 22));
    p.fillRect(img.rect(), wall);
    QRadialGradient glow(QPointF(Width / 2.0, 70), 260);
    glow.setColorAt(0, QColor(255, 196, 110, 120));
    glow.setColorAt(0.5, QColor(200, 120, 60, 40));
    glow.setColorAt(1, QColor(0, 0, 0, 0));
    p.fillRect(img.rect(), glow);

    // A few soft specks of light in the dark, like a busy room far away.
    QRandomGenerator random(7772);
    for (int i = 0; i < 40; ++i) {
        const qreal x = random.bounded(Width), y = random.bounded(120);
        const qreal r = 1 + random.bounded(3.0);
        QRadialGradient speck(QPointF(x, y), r * 3);
        speck.setColorAt(0, QColor(255, 220, 160, 90));
        speck.setColorAt(1, QColor(255, 220, 160, 0));
        p.setPen(Qt::NoPen);
        p.setBrush(speck);
        p.drawEllipse(QPointF(x, y), r * 3, r * 3);
    }

    // Table: a wooden rim around green felt, seen at a slant.
    const QRectF rim(24, 122, Width - 48, 140);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawEllipse(rim.translated(0, 8));
    QLinearGradient wood(rim.topLeft(), rim.bottomLeft());
    wood.setColorAt(0, QColor(140, 82, 40));
    wood.setColorAt(1, QColor(74, 38, 16));
    p.setBrush(wood);
    p.drawEllipse(rim);
    const QRectF felt = rim.adjusted(12, 9, -12, -9);
    QRadialGradient cloth(felt.center() - QPointF(0, 20), felt.width() / 1.6);
    cloth.setColorAt(0, QColor(46, 140, 72));
    cloth.setColorAt(1, QColor(14, 70, 36));
    p.setBrush(cloth);
    p.drawEllipse(felt);

    // Four hands and the two piles in the middle.
    const QPointF mid = felt.center();
    drawHand(p, mid + QPointF(0, 36), 0, 0.78, 3);
    drawHand(p, mid + QPointF(-122, 4), 84, 0.66, 2);
    drawHand(p, mid + QPointF(122, 4), -84, 0.66, 2);
    drawHand(p, mid + QPointF(0, -34), 180, 0.6, 2);
    drawCardBack(p, QRectF(mid.x() - 42, mid.y() - 12, 14, 19), -6);
    drawCardBack(p, QRectF(mid.x() - 40, mid.y() - 13, 14, 19), -2);
    drawCardFace(p, QRectF(mid.x() + 26, mid.y() - 13, 14, 19), 8, QStringLiteral("Q"), true);

    // The hanging sign: two cords, a wooden board, the upper line of its text.
    const QRectF sign(Width / 2.0 - 118, 22, 236, 84);
    p.setPen(QPen(QColor(150, 130, 110), 1.6));
    p.drawLine(QPointF(sign.left() + 30, 0), QPointF(sign.left() + 30, sign.top() + 4));
    p.drawLine(QPointF(sign.right() - 30, 0), QPointF(sign.right() - 30, sign.top() + 4));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 120));
    p.drawRoundedRect(sign.translated(3, 5), 8, 8);
    QLinearGradient plank(sign.topLeft(), sign.bottomLeft());
    plank.setColorAt(0, QColor(236, 214, 170));
    plank.setColorAt(1, QColor(204, 170, 116));
    p.setBrush(plank);
    p.setPen(QPen(QColor(96, 58, 24), 3));
    p.drawRoundedRect(sign, 8, 8);
    p.setPen(QPen(QColor(120, 80, 40, 60), 1));
    for (int y = int(sign.top()) + 10; y < sign.bottom() - 6; y += 9)
        p.drawLine(QPointF(sign.left() + 8, y), QPointF(sign.right() - 8, y + 1));
    QFont title("Liberation Serif");
    title.setPixelSize(25);
    title.setBold(true);
    title.setLetterSpacing(QFont::AbsoluteSpacing, 2);
    p.setFont(title);
    p.setPen(QColor(255, 240, 210, 140));
    const QRectF line(sign.left(), sign.top() + 6, sign.width(), 34);
    p.drawText(line.translated(0, 1), Qt::AlignCenter, QStringLiteral("ONLINE PLAY"));
    p.setPen(QColor(70, 36, 12));
    p.drawText(line, Qt::AlignCenter, QStringLiteral("ONLINE PLAY"));
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    QTextStream err(stderr);
    if (argc != 2) {
        err << "usage: pelvo-download-art OUTPUT.png\n";
        return 2;
    }
    QImage img(Width, Height, QImage::Format_RGB32);
    paint(img);
    // PNG: the window reads it with the reader built into Qt Gui, so no image plugin loads.
    if (!img.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        err << "cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
