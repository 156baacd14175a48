#include "client/board/Board.h"

#include "client/board/BoardAccessible.h"
#include "client/board/BoardWidgets.h"
#include "client/board/CardArt.h"
#include "client/board/HintMarks.h"
#include "client/board/RoundResultsBox.h"
#include "session/Announcer.h"
#include "windows/AccessibleName.h"
#include "session/ClientSession.h"
#include "windows/Art.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <array>

namespace pelvo {

using board::CardArt;
using board::CardSize;
using board::Picture;

namespace {

constexpr int seats = 4;
// Where each screen position's controls stand; the controls never move, only their seat does.
struct SeatPlace {
    CardSize size;
    int colLeft[3];
    int rowTop[3];
    QPoint name, score, bonus, eyes, penalty, notplaying;
};
const SeatPlace places[seats + 1] = {
    {},
    {CardSize::Large,
     {252, 328, 403},
     {200, 299, 398},
     {478, 219},
     {488, 243},
     {536, 243},
     {476, 199},
     {496, 197},
     {318, 280}},
    {CardSize::Small,
     {9, 49, 90},
     {220, 279, 338},
     {131, 243},
     {141, 267},
     {189, 267},
     {132, 223},
     {136, 288},
     {24, 264}},
    {CardSize::Small,
     {40, 80, 120},
     {15, 74, 133},
     {162, 89},
     {172, 113},
     {220, 113},
     {160, 69},
     {168, 136},
     {56, 56}},
    {CardSize::Small,
     {488, 528, 568},
     {3, 62, 121},
     {610, 41},
     {620, 65},
     {664, 65},
     {609, 20},
     {613, 88},
     {504, 48}},
};

QRect cardRect(int position, int gridPos) {
    const SeatPlace& pl = places[position];
    const QSize sz = pl.size == CardSize::Large ? board::largeCardSize : board::smallCardSize;
    // Positions 1-3 are the left column top to bottom, 4-6 the middle, 7-9 the right.
    return QRect(QPoint(pl.colLeft[(gridPos - 1) / 3], pl.rowTop[(gridPos - 1) % 3]), sz);
}

// Properties that keep a control's place at scale 1, so any scale is computed from the design
// and never from a rounded earlier scale.
constexpr char designRect[] = "designRect";
constexpr char designPx[] = "designPx";
constexpr char autoSized[] = "autoSized"; // the label takes its text's size at every scale

QFont scaledFont(int px, bool bold, qreal scale) {
    QFont f = art::pixelFont(px, bold);
    f.setPixelSize(std::max(1, qRound(px * scale)));
    return f;
}

QLabel* textLabel(QWidget* parent, const QString& name, const QString& text, int px, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText); // names come from other players: never markup
    l->setFont(art::pixelFont(px, bold));
    l->setProperty(designPx, px);
    l->setAttribute(Qt::WA_TranslucentBackground);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(pal);
    l->setProperty("Tag", 0);
    return l;
}

} // namespace

struct Board::Impl {
    Impl(ClientSession& s, Board* board) : session(s), q(board) {}
    ClientSession& session;
    Board* q;

    struct Family {
        std::array<Picture*, 10> cards{}; // index 1..9
        QLabel* name = nullptr;
        QLabel* score = nullptr;
        QLabel* bonus = nullptr;
        Picture* eyes = nullptr;
        Picture* penalty = nullptr;
        Picture* notplaying = nullptr;
    };
    std::array<Family, seats + 1> byPosition; // index 1..4
    std::array<int, seats + 1> seatAt{0, 1, 2, 3, 4};
    std::array<int, seats + 1> positionOf{0, 1, 2, 3, 4};
    int rotatedFor = -1; // the own seat the rotation was made for

    Picture* discard = nullptr;
    Picture* draw = nullptr;
    Picture* idiscard = nullptr;
    Picture* idraw = nullptr;
    Picture* hand = nullptr;
    Picture* turn = nullptr;
    Picture* logo = nullptr;
    QLabel* status = nullptr;
    QLabel* roundnum = nullptr;
    QWidget* panelWinner = nullptr;
    QLabel* winner1 = nullptr;
    QLabel* winner2 = nullptr;
    board::PictureButton* start = nullptr;
    board::FocusRing* ring = nullptr;
    board::AnnouncementLine* news = nullptr;
    board::HintMarks* hint = nullptr;
    Announcer* announcer = nullptr;
    board::RoundResultsBox* results = nullptr;
    qreal scale = 1.0;

    Family& family(int seat) { return byPosition[positionOf[seat]]; }
    int px(int design) const { return qRound(design * scale); }
    CardSize sizeFor(int seat) const {
        return positionOf[seat] == 1 ? CardSize::Large : CardSize::Small;
    }

    // Shows card picture `index` (-1 none, 0 the back), rendering only what changed. The size
    // is kept as "cardSize": a widget's own "size" property would not take it.
    void show(Picture* pic, int index, CardSize size) {
        if (pic->property("picture").toInt() == index &&
            pic->property("cardSize").toInt() == int(size) && !pic->property("stale").toBool())
            return;
        pic->setProperty("stale", false);
        if (index < 0)
            pic->clear();
        else
            pic->setPixmap(CardArt::instance().card(index, size));
        pic->setProperty("picture", index);
        pic->setProperty("cardSize", int(size));
    }
    void setText(QLabel* label, const QString& text) {
        if (label->text() == text) return;
        label->setText(text);
        label->adjustSize();
    }
    void rename(int position) {
        Family& f = byPosition[position];
        const QString s = QString::number(seatAt[position]);
        f.name->setObjectName(QStringLiteral("label_playername") + s);
        f.score->setObjectName(QStringLiteral("label_score") + s);
        f.bonus->setObjectName(QStringLiteral("label_bonus") + s);
        f.eyes->setObjectName(QStringLiteral("image_eyes") + s);
        f.penalty->setObjectName(QStringLiteral("image_penalty") + s);
        f.notplaying->setObjectName(QStringLiteral("image_notplaying") + s);
        for (int g = 1; g <= 9; ++g)
            f.cards[g]->setObjectName(QStringLiteral("card") + s + QString::number(g));
    }

    void build();
    void recordDesign();
    void applyScale();
    void paintMarkers();
    void describe();
    QWidget* focusedTarget() const;
    void moveFocus(int key);
    void act(QWidget* target);
    void rotate(int myseat);
    void syncSeat(int seat, const SeatModel& model);
    void sync();
};

void Board::Impl::build() {
    // The turn marker lies under the name labels so they stay readable and keep their menu.
    turn = new Picture(q, QStringLiteral("image_Turn"), QRect(0, 0, 111, 65));
    turn->setAttribute(Qt::WA_TransparentForMouseEvents);
    turn->hide();

    for (int p = 1; p <= seats; ++p) {
        const SeatPlace& pl = places[p];
        Family& f = byPosition[p];
        for (int g = 1; g <= 9; ++g) {
            auto* c = new Picture(q, QString(), cardRect(p, g));
            c->setProperty("Hint", QString::number(g));
            if (p == 1) {
                c->setCursor(Qt::PointingHandCursor);
                c->setFocusPolicy(Qt::TabFocus);
                c->setProperty(board::roleProperty, int(QAccessible::Button));
                c->setProperty(board::pressProperty, true);
                QObject::connect(c, &Picture::clicked, q, [this, c] {
                    q->card19Click(c->property("Hint").toString().toInt());
                });
            }
            f.cards[g] = c;
        }
        f.name = textLabel(q, QString(), QStringLiteral("<Waiting>"), 19, false);
        f.name->setGeometry(QRect(pl.name, QSize(111, 22)));
        f.name->setProperty("Tag", p);
        f.name->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(
            f.name, &QWidget::customContextMenuRequested, q, [this, p](const QPoint& at) {
                emit q->nameLabelMenuRequested(seatAt[p], byPosition[p].name->mapToGlobal(at));
            });
        f.score = textLabel(q, QString(), QStringLiteral("0"), 19, false);
        f.score->move(pl.score);
        f.score->adjustSize();
        f.score->setProperty(autoSized, true);
        f.bonus = textLabel(q, QString(), QString(), 16, false);
        f.bonus->move(pl.bonus);
        f.bonus->adjustSize();
        f.bonus->setProperty(autoSized, true);
        f.eyes = new Picture(q, QString(), QRect(pl.eyes, QSize(23, 10)));
        f.eyes->setToolTip(QStringLiteral("Just watching"));
        f.eyes->hide();
        f.penalty = new Picture(q, QString(), QRect(pl.penalty, QSize(97, 25)));
        f.penalty->setAttribute(Qt::WA_TransparentForMouseEvents);
        f.penalty->hide();
        f.notplaying = new Picture(q, QString(), QRect(pl.notplaying, QSize(89, 41)));
        f.notplaying->hide();
        rename(p);
    }

    discard = new Picture(q, QStringLiteral("image_discard"), QRect(288, 48, 71, 96));
    draw = new Picture(q, QStringLiteral("image_draw"), QRect(363, 48, 71, 96));
    auto* capDiscard =
        textLabel(q, QStringLiteral("label_discard"), QStringLiteral("Discard"), 13, true);
    capDiscard->move(304, 144);
    capDiscard->adjustSize();
    capDiscard->setProperty(autoSized, true);
    auto* capDraw = textLabel(q, QStringLiteral("label_draw"), QStringLiteral("Draw"), 13, true);
    capDraw->move(385, 144);
    capDraw->adjustSize();
    capDraw->setProperty(autoSized, true);
    // The card in hand, 16 pixels lower than its pile; a click on it counts for the pile.
    idiscard = new Picture(q, QStringLiteral("image_idiscard"), QRect(288, 64, 71, 96));
    idraw = new Picture(q, QStringLiteral("image_idraw"), QRect(363, 64, 71, 96));
    idiscard->hide();
    idraw->hide();
    for (Picture* pile : {discard, draw, idiscard, idraw}) {
        pile->setCursor(Qt::PointingHandCursor);
        pile->setProperty(board::roleProperty, int(QAccessible::Button));
        pile->setProperty(board::pressProperty, true);
    }
    discard->setFocusPolicy(Qt::TabFocus);
    draw->setFocusPolicy(Qt::TabFocus);
    QObject::connect(discard, &Picture::clicked, q, &Board::image_discardClick);
    QObject::connect(idiscard, &Picture::clicked, q, &Board::image_discardClick);
    QObject::connect(draw, &Picture::clicked, q, &Board::image_drawClick);
    QObject::connect(idraw, &Picture::clicked, q, &Board::image_drawClick);

    hand = new Picture(q, QStringLiteral("image_hand"), QRect(322, 118, 36, 26));
    hand->setAttribute(Qt::WA_TransparentForMouseEvents);
    hand->hide();

    status = textLabel(q, QStringLiteral("label_status"),
                       QStringLiteral("Welcome to Pelvo by Kavrel Software"), 13, true);
    status->setGeometry(208, 178, 313, 16);
    status->setAlignment(Qt::AlignCenter);
    roundnum = textLabel(q, QStringLiteral("label_roundnum"), QStringLiteral("Round: 0"), 12, true);
    roundnum->setGeometry(18, 412, 168, 14);
    roundnum->setAlignment(Qt::AlignCenter);

    start = new board::PictureButton(q, QStringLiteral("button_start"), QRect(301, 8, 122, 34));
    start->hide();
    QObject::connect(start, &QAbstractButton::clicked, q, &Board::startClicked);

    panelWinner = new board::Banner(q);
    panelWinner->setObjectName(QStringLiteral("panel_winner"));
    panelWinner->setGeometry(144, 136, 441, 41);
    winner2 = textLabel(panelWinner, QStringLiteral("label_winner2"), QStringLiteral("Winner!"), 16,
                        true);
    winner2->setGeometry(2, 11, 435, 20);
    winner2->setAlignment(Qt::AlignCenter);
    QPalette grey = winner2->palette();
    grey.setColor(QPalette::WindowText, QColor(150, 150, 150));
    winner2->setPalette(grey);
    winner1 = textLabel(panelWinner, QStringLiteral("label_winner1"), QStringLiteral("Winner!"), 16,
                        true);
    winner1->setGeometry(1, 12, 435, 20);
    winner1->setAlignment(Qt::AlignCenter);
    panelWinner->hide();

    results = new board::RoundResultsBox(q);

    logo = new Picture(q, QStringLiteral("image_logo"), QRect(20, 452, 200, 72));
    logo->setCursor(Qt::PointingHandCursor);
    logo->setToolTip(QStringLiteral("Kavrel Software"));
    logo->setAccessibleName(QStringLiteral("Kavrel Software"));
    logo->setProperty(board::roleProperty, int(QAccessible::Link));
    logo->setProperty(board::pressProperty, true);
    QObject::connect(logo, &Picture::clicked, q, &Board::logoClicked);

    // Names of the pictures that never change.
    turn->setAccessibleName(QStringLiteral("Turn marker"));
    hand->setAccessibleName(QStringLiteral("Where the last card went"));
    for (int p = 1; p <= seats; ++p) {
        byPosition[p].eyes->setAccessibleName(QStringLiteral("Just watching"));
        byPosition[p].penalty->setAccessibleName(QStringLiteral("Penalty, 25 points"));
        byPosition[p].notplaying->setAccessibleName(QStringLiteral("Not playing"));
    }
    status->setAccessibleDescription(QStringLiteral("Status line"));
    roundnum->setAccessibleDescription(QStringLiteral("Round"));

    ring = new board::FocusRing(q);
    news = new board::AnnouncementLine(q);
    hint = new board::HintMarks(q);
    announcer = new Announcer(session, q);
    QObject::connect(announcer, &Announcer::announced, news, &board::AnnouncementLine::announce);

    // Keyboard order: the piles, then the grid as it is read, row by row.
    QList<QWidget*> order = q->focusTargets();
    for (qsizetype i = 1; i < order.size(); ++i) QWidget::setTabOrder(order[i - 1], order[i]);
    QObject::connect(qApp, &QApplication::focusChanged, q, [this](QWidget*, QWidget* now) {
        ring->follow(q->focusTargets().contains(now) ? now : nullptr, scale);
    });
    QObject::connect(ring, &board::FocusRing::keyboardTookOver, q,
                     [this] { ring->follow(focusedTarget(), scale); });
}

void Board::Impl::recordDesign() {
    for (QWidget* w : q->findChildren<QWidget*>()) {
        if (w == ring || w == news || w == hint) continue;
        w->setProperty(designRect, w->geometry());
    }
}

void Board::Impl::paintMarkers() {
    turn->setPixmap(board::turnMarker(scale));
    hand->setPixmap(board::handPointer(scale));
    // Every seat shows the same three markers: each is painted once and shared.
    const QPixmap eyes = board::eyesPicture(scale);
    const QPixmap penalty = board::penaltyMarker(scale);
    const QPixmap notPlaying = board::notPlayingMarker(scale);
    for (int p = 1; p <= seats; ++p) {
        byPosition[p].eyes->setPixmap(eyes);
        byPosition[p].penalty->setPixmap(penalty);
        byPosition[p].notplaying->setPixmap(notPlaying);
    }
    logo->setPixmap(art::logoPicture(logo->size()));
    start->setScale(scale);
    start->update();
}

void Board::Impl::applyScale() {
    q->setFixedSize(board::scaled(designSize, scale));
    for (QWidget* w : q->findChildren<QWidget*>()) {
        const QVariant design = w->property(designRect);
        if (!design.isValid()) continue;
        const QRect r = design.toRect();
        const QVariant font = w->property(designPx);
        if (font.isValid()) w->setFont(scaledFont(font.toInt(), w->font().bold(), scale));
        if (w->property(autoSized).toBool()) {
            w->move(QPoint(px(r.x()), px(r.y())));
            w->adjustSize();
        } else if (qobject_cast<Picture*>(w)) {
            // A picture's size is rounded as its pixmap's is, so the two match exactly.
            w->setGeometry(QRect(QPoint(px(r.x()), px(r.y())), board::scaled(r.size(), scale)));
        } else {
            // Edges rounded, not sizes: neighbours stay flush at any scale.
            w->setGeometry(
                QRect(QPoint(px(r.left()), px(r.top())),
                      QPoint(px(r.left() + r.width()) - 1, px(r.top() + r.height()) - 1)));
        }
        if (w->property("picture").isValid()) w->setProperty("stale", true);
    }
    CardArt::instance().setScale(scale);
    // Every card shown is painted anew: all in one go, not one hand-off to the painter per card.
    std::vector<std::pair<int, CardSize>> shown;
    for (QWidget* w : q->findChildren<Picture*>()) {
        const QVariant picture = w->property("picture");
        if (picture.isValid() && w->isVisibleTo(q))
            shown.emplace_back(picture.toInt(), CardSize(w->property("cardSize").toInt()));
    }
    CardArt::instance().prepare(shown);
    paintMarkers();
    hint->setScale(scale);
    sync();
    ring->follow(focusedTarget(), scale);
    q->update();
}

Board::Board(ClientSession& session, QWidget* parent)
    : QWidget(parent), d(new Impl(session, this)) {
    setObjectName(QStringLiteral("panel_board"));
    setFixedSize(designSize);
    setAutoFillBackground(false);
    setAccessibleName(QStringLiteral("Table"));
    board::installBoardAccessibility();
    d->build();
    d->recordDesign();
    d->paintMarkers();
    CardArt::instance().setScale(1.0);
    CardArt::instance().setFourColour(session.settings().fourColourSuits);
    d->sync();
    connect(&session, &ClientSession::tableChanged, this, [this] { d->sync(); });
    connect(&session, &ClientSession::settingsChanged, this, [this] {
        if (d->session.settings().fourColourSuits == CardArt::instance().fourColour()) return;
        CardArt::instance().setFourColour(d->session.settings().fourColourSuits);
        for (QWidget* w : findChildren<Picture*>())
            if (w->property("picture").toInt() > 0) w->setProperty("stale", true);
        d->sync();
    });
}

Board::~Board() {
    // The children go after `d`: nothing may follow their focus any more.
    if (qApp) QObject::disconnect(qApp, nullptr, this, nullptr);
    delete d;
}

void Board::paintFelt(QPainter& p, const QRect& area, const QPoint& boardOrigin, qreal scale) {
    // The lamp hangs over the middle of the board.
    art::paintFelt(p, area, QPointF(370, 250) * scale + boardOrigin, 560 * scale);
}

void Board::setScale(qreal scale) {
    scale = std::max(1.0, scale);
    if (qFuzzyCompare(scale, d->scale)) return;
    d->scale = scale;
    d->applyScale();
}

qreal Board::scale() const {
    return d->scale;
}

void Board::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paintFelt(p, rect(), QPoint(0, 0), d->scale);
    p.scale(d->scale, d->scale);

    // Faint places for every card and both piles, so an empty table reads as a table.
    p.setPen(QPen(QColor(40, 50, 10, 60), 1));
    p.setBrush(QColor(60, 80, 20, 28));
    for (int pos = 1; pos <= seats; ++pos)
        for (int gpos = 1; gpos <= 9; ++gpos)
            p.drawRoundedRect(QRectF(cardRect(pos, gpos)).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.drawRoundedRect(QRectF(288.5, 48.5, 70, 95), 5, 5);
    p.drawRoundedRect(QRectF(363.5, 48.5, 70, 95), 5, 5);
}

// ---- Painting the model ----

void Board::Impl::rotate(int myseat) {
    rotatedFor = myseat;
    for (int p = 1; p <= seats; ++p) {
        // A spectator (or a seat out of range) sees the seats in their natural places.
        const int seat = myseat >= 1 && myseat <= seats ? ((myseat + p - 2) % seats) + 1 : p;
        seatAt[p] = seat;
        positionOf[seat] = p;
    }
    for (int p = 1; p <= seats; ++p) rename(p);
}

void Board::Impl::syncSeat(int seat, const SeatModel& model) {
    Family& f = family(seat);
    // Two people of one name are told apart by their slots.
    f.name->setText(session.table().seatLabel(seat));
    f.name->setProperty("Hint", model.defaultName);
    setText(f.score, QString::number(model.score));
    if (model.hasBonus) {
        // A negative round (jokers) reads "-2", not "+-2".
        f.bonus->setText(model.bonus < 0 ? QString::number(model.bonus)
                                         : QStringLiteral("+") + QString::number(model.bonus));
        f.bonus->adjustSize();
        f.bonus->move(f.score->x() + f.score->width() + px(4), f.bonus->y());
    } else {
        f.bonus->clear();
    }
    f.eyes->setVisible(model.watching);
    f.penalty->setVisible(model.penalty);
    f.notplaying->setVisible(model.sittingOut);
    for (int g = 1; g <= 9; ++g)
        show(f.cards[g], model.cards[std::size_t(g)].picture, sizeFor(seat));
}

void Board::Impl::sync() {
    const TableModel& t = session.table();
    if (rotatedFor != session.state().myseat) rotate(session.state().myseat);
    for (int s = 1; s <= seats; ++s) syncSeat(s, t.seats[std::size_t(s)]);

    show(discard, t.discardPicture, CardSize::Large);
    show(idiscard, t.discardPicture, CardSize::Large);
    idiscard->setVisible(t.discardInHand);
    show(draw, t.drawPicture, CardSize::Large);
    show(idraw, t.drawPicture, CardSize::Large);
    idraw->setVisible(t.drawInHand);

    if (t.turnMarkerSeat >= 1 && t.turnMarkerSeat <= seats) {
        const QLabel* eyes = family(t.turnMarkerSeat).eyes;
        turn->move(eyes->x() - px(8), eyes->y());
        turn->show();
    } else {
        turn->hide();
    }
    if (t.handShown) {
        const bool onPile = t.handSeat < 1 || t.handSeat > seats;
        const QWidget* target = onPile ? discard : family(t.handSeat).cards[t.handPosition];
        const bool large = onPile || sizeFor(t.handSeat) == CardSize::Large;
        hand->move(target->x() + px(large ? 34 : 4), target->y() + px(large ? 60 : 31));
        hand->show();
        hand->raise();
    } else {
        hand->hide();
    }

    status->setText(t.status);
    roundnum->setText(t.roundText());
    start->setVisible(t.startShown);
    if (!t.winnerText.isEmpty()) {
        winner1->setText(t.winnerText);
        winner2->setText(t.winnerText);
        panelWinner->show();
        panelWinner->raise();
    } else {
        panelWinner->hide();
    }
    results->follow(t);
    describe();
    if (ring->isVisible()) ring->follow(focusedTarget(), scale);
}

// What a screen reader says of each control: the names follow the model as the pictures do.
void Board::Impl::describe() {
    const TableModel& t = session.table();
    const int me = session.state().myseat;
    for (int seat = 1; seat <= seats; ++seat) {
        const SeatModel& m = t.seats[std::size_t(seat)];
        Family& f = family(seat);
        const bool own = seat == me && m.caption() != QLatin1String("You");
        QString name = m.caption() + (own ? QStringLiteral(" (you)") : QString()) +
                       QStringLiteral(", score ") + QString::number(m.score);
        if (m.hasBonus) name += QStringLiteral(", %1 this round").arg(m.bonus);
        if (t.turnMarkerSeat == seat) name += QStringLiteral(", turn");
        if (m.watching) name += QStringLiteral(", just watching");
        if (m.sittingOut) name += QStringLiteral(", not playing");
        if (m.penalty) name += QStringLiteral(", penalty");
        renameAccessible(f.name, name);
        renameAccessible(f.score,
                         m.caption() + QStringLiteral("'s score: ") + QString::number(m.score));
        for (int g = 1; g <= 9; ++g)
            renameAccessible(f.cards[g], speech::cellDescription(t, seat, g, me));
    }
    const QString top =
        t.discardPicture < 0 ? QStringLiteral("empty") : speech::cardName(t.discardPicture);
    renameAccessible(discard, QStringLiteral("Discard pile: ") + top);
    renameAccessible(idiscard, QStringLiteral("Picked up from the discard pile: ") + top);
    renameAccessible(draw, t.drawInHand && t.drawPicture > 0
                               ? QStringLiteral("Draw pile: you drew the ") +
                                     speech::cardName(t.drawPicture)
                               : QStringLiteral("Draw pile"));
    renameAccessible(idraw, QStringLiteral("Drawn card: ") + speech::cardName(t.drawPicture));
    renameAccessible(status, t.status);
    renameAccessible(roundnum, t.roundText());
}

// ---- Keyboard ----

QWidget* Board::Impl::focusedTarget() const {
    QWidget* now = QApplication::focusWidget();
    return q->focusTargets().contains(now) ? now : nullptr;
}

void Board::Impl::act(QWidget* target) {
    if (target == discard)
        q->image_discardClick();
    else if (target == draw)
        q->image_drawClick();
    else if (target)
        q->card19Click(target->property("Hint").toString().toInt());
}

// Arrows: the piles form a row above the grid (the discard over the left two columns, the draw
// pile over the right one); within the grid the ring moves a card at a time and stops at edges.
void Board::Impl::moveFocus(int key) {
    const QWidget* at = focusedTarget();
    int row = 0, column = 1; // row 0: the piles
    if (at == draw) column = 3;
    if (at && at != draw && at != discard) {
        const int g = at->property("Hint").toString().toInt();
        row = speech::rowOf(g);
        column = speech::columnOf(g);
    }
    if (!at) {
        draw->setFocus(Qt::OtherFocusReason);
        return;
    }
    switch (key) {
    case Qt::Key_Left:
        column = row == 0 ? 1 : std::max(1, column - 1);
        break;
    case Qt::Key_Right:
        column = row == 0 ? 3 : std::min(3, column + 1);
        break;
    case Qt::Key_Up:
        row = std::max(0, row - 1);
        break;
    case Qt::Key_Down:
        row = std::min(3, row + 1);
        break;
    }
    QWidget* next = row == 0 ? (column == 3 ? draw : discard)
                             : byPosition[1].cards[speech::positionAt(row, column)];
    next->setFocus(Qt::OtherFocusReason);
}

int Board::positionForDigit(int digit) {
    if (digit < 1 || digit > 9) return 0;
    return speech::positionAt(3 - (digit - 1) / 3, (digit - 1) % 3 + 1);
}

QList<QWidget*> Board::focusTargets() const {
    QList<QWidget*> out{d->discard, d->draw};
    for (int row = 1; row <= 3; ++row)
        for (int column = 1; column <= 3; ++column)
            out << d->byPosition[1].cards[speech::positionAt(row, column)];
    return out;
}

QWidget* Board::focusRing() const {
    return d->ring;
}
QWidget* Board::announcement() const {
    return d->news;
}
Announcer& Board::announcer() const {
    return *d->announcer;
}
board::HintMarks* Board::hintMarks() const {
    return d->hint;
}

void Board::keyPressEvent(QKeyEvent* event) {
    const TableModel& t = d->session.table();
    const int key = event->key();
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (key >= Qt::Key_1 && key <= Qt::Key_9) {
        const int position = positionForDigit(key - Qt::Key_0);
        d->byPosition[1].cards[position]->setFocus(Qt::OtherFocusReason);
        card19Click(position);
    } else if (key == Qt::Key_D) {
        image_drawClick();
    } else if (key == Qt::Key_T) {
        // Taking the discard; with a drawn card in hand that is X's job.
        if (t.drawPick != Pick::Picked) image_discardClick();
    } else if (key == Qt::Key_X) {
        if (t.drawPick == Pick::Picked) image_discardClick();
    } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        if (t.startShown)
            emit startClicked();
        else
            d->act(d->focusedTarget());
    } else if (key == Qt::Key_Space) {
        d->act(d->focusedTarget());
    } else if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up ||
               key == Qt::Key_Down) {
        d->moveFocus(key);
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// ---- Moves ----

void Board::card19Click(int position) {
    d->session.chooseCell(position);
}
void Board::image_drawClick() {
    d->session.drawFromPile();
}
void Board::image_discardClick() {
    d->session.pickDiscard();
}

// ---- Lookups ----

QLabel* Board::label_playername(int seat) const {
    return seat >= 1 && seat <= seats ? d->family(seat).name : nullptr;
}
QLabel* Board::label_score(int seat) const {
    return seat >= 1 && seat <= seats ? d->family(seat).score : nullptr;
}
QLabel* Board::label_bonus(int seat) const {
    return seat >= 1 && seat <= seats ? d->family(seat).bonus : nullptr;
}
QLabel* Board::image_eyes(int seat) const {
    return seat >= 1 && seat <= seats ? d->family(seat).eyes : nullptr;
}
QLabel* Board::image_penalty(int seat) const {
    return seat >= 1 && seat <= seats ? d->family(seat).penalty : nullptr;
}
QLabel* Board::image_notplaying(int seat) const {
    return seat >= 1 && seat <= seats ? d->family(seat).notplaying : nullptr;
}
QLabel* Board::card(int seat, int position) const {
    if (seat < 1 || seat > seats || position < 1 || position > 9) return nullptr;
    return d->family(seat).cards[position];
}
QLabel* Board::label_status() const {
    return d->status;
}
QLabel* Board::label_roundnum() const {
    return d->roundnum;
}
QAbstractButton* Board::button_start() const {
    return d->start;
}

int Board::screenPosition(int seat) const {
    return seat >= 1 && seat <= seats ? d->positionOf[seat] : 0;
}
int Board::seatAtPosition(int position) const {
    return position >= 1 && position <= seats ? d->seatAt[position] : 0;
}

} // namespace pelvo
