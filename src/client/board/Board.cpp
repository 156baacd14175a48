#include "client/board/Board.h"

#include "client/ClientContext.h"
#include "client/MessageBox.h"
#include "client/settings/SettingsFile.h"
#include "client/board/BoardWidgets.h"
#include "client/board/CardArt.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"
#include "windows/Art.h"

#include <QPainter>
#include <QPainterPath>

#include <array>
#include <bitset>
#include <limits>
#include <optional>
#include <vector>

namespace pelvo {

using board::CardArt;
using board::CardSize;
using board::Picture;

namespace {

constexpr int seats = 4;
constexpr int lowestCode = 0, highestCode = 53;
constexpr int anyInt = std::numeric_limits<int>::max();
const QString waiting = QStringLiteral("<Waiting>");

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

QLabel* textLabel(QWidget* parent, const QString& name, const QString& text, int px, bool bold) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setTextFormat(Qt::PlainText); // names come from other players: never markup
    l->setFont(art::pixelFont(px, bold));
    l->setAttribute(Qt::WA_TranslucentBackground);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, Qt::black);
    l->setPalette(pal);
    l->setProperty("Tag", 0);
    return l;
}

int tag(const QObject* o) {
    return o->property("Tag").toInt();
}
void setTag(QObject* o, int v) {
    o->setProperty("Tag", v);
}

// Reads a payload field by field. The last field of a message may come without its "+".
class Payload {
public:
    explicit Payload(const QString& text) : r_(text) {}
    QString text() {
        if (r_.remainder().contains(u'+')) return r_.next();
        QString last = r_.remainder();
        r_ = FieldReader(QString());
        return last;
    }
    int number(int lo = -anyInt, int hi = anyInt) {
        const int v = toIntOrThrow(text());
        if (v < lo || v > hi) throw BadField("number out of range");
        return v;
    }
    bool atEnd() const { return r_.atEnd(); }

private:
    FieldReader r_;
};

struct Placed {
    int position, code;
};

} // namespace

struct Board::Impl {
    Impl(ClientContext& context, Board* board) : ctx(context), q(board) {}
    ClientContext& ctx;
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

    std::bitset<10> askedToFlip;      // own grid positions already asked to flip this round
    std::optional<bool> turnSoundNew; // set by the owner; else read from the "Turn Sound" menu
    std::function<void(const QString&)> messageBox;

    ClientState& st() { return ctx.state(); }
    bool newTurnSound() const {
        if (turnSoundNew) return *turnSoundNew;
        // The main window keeps the "Turn Sound" choice with the other settings.
        const auto* settings = dynamic_cast<const SettingsTarget*>(&ctx);
        return settings && settings->turnSound() == 1;
    }
    Family& family(int seat) { return byPosition[positionOf[seat]]; }
    CardSize sizeFor(int seat) const {
        return positionOf[seat] == 1 ? CardSize::Large : CardSize::Small;
    }
    bool ownSeatValid() { return st().myseat >= 1 && st().myseat <= seats; }
    bool myTurn() { return ownSeatValid() && st().turnseat == st().myseat; }

    void show(Picture* pic, int index, CardSize size) {
        pic->setPixmap(CardArt::instance().card(index, size));
        pic->setProperty("picture", index);
    }
    void empty(Picture* pic) {
        pic->clear();
        pic->setProperty("picture", -1);
    }
    void showCard(int seat, int gridPos, int code) {
        show(family(seat).cards[gridPos], code, sizeFor(seat));
    }
    void showBacks(int seat) {
        for (int g = 1; g <= 9; ++g) showCard(seat, g, 0);
    }
    void setScore(int seat, int total) {
        QLabel* l = family(seat).score;
        l->setText(QString::number(total));
        l->adjustSize();
    }
    void placeBonus(int seat) {
        Family& f = family(seat);
        f.bonus->adjustSize();
        f.bonus->move(f.score->x() + f.score->width() + 4, f.bonus->y());
    }
    void showHandAt(QWidget* target, bool large) {
        hand->move(target->x() + (large ? 34 : 4), target->y() + (large ? 60 : 31));
        hand->show();
        hand->raise();
    }
    void setDiscardTop(int code) {
        show(discard, code, CardSize::Large);
        show(idiscard, code, CardSize::Large);
        idiscard->hide();
    }
    void resetDrawPile() {
        show(draw, 0, CardSize::Large);
        show(idraw, 0, CardSize::Large);
        idraw->hide();
    }
    QString nameOf(int seat) { return family(seat).name->text(); }
    void send(const QByteArray& frame) {
        if (st().connected) ctx.sendToHost(frame);
    }
    void chat(const QString& text) {
        ctx.addlinetochat(QStringLiteral("0+") + text, st().syscolour);
    }
    void setStatus(const QString& text) { status->setText(text); }
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
};

void Board::Impl::build() {
    // The turn marker lies under the name labels so they stay readable and keep their menu.
    turn = new Picture(q, QStringLiteral("image_Turn"), QRect(0, 0, 111, 65));
    turn->setPixmap(board::turnMarker());
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
                QObject::connect(c, &Picture::clicked, q, [this, c] {
                    q->card19Click(c->property("Hint").toString().toInt());
                });
            }
            f.cards[g] = c;
        }
        f.name = textLabel(q, QString(), waiting, 19, false);
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
        f.bonus = textLabel(q, QString(), QString(), 16, false);
        f.bonus->move(pl.bonus);
        f.bonus->adjustSize();
        f.eyes = new Picture(q, QString(), QRect(pl.eyes, QSize(23, 10)));
        f.eyes->setPixmap(board::eyesPicture());
        f.eyes->setToolTip(QStringLiteral("Just watching"));
        f.eyes->hide();
        f.penalty = new Picture(q, QString(), QRect(pl.penalty, QSize(97, 25)));
        f.penalty->setPixmap(board::penaltyMarker());
        f.penalty->setAttribute(Qt::WA_TransparentForMouseEvents);
        f.penalty->hide();
        f.notplaying = new Picture(q, QString(), QRect(pl.notplaying, QSize(89, 41)));
        f.notplaying->setPixmap(board::notPlayingMarker());
        f.notplaying->hide();
        rename(p);
    }

    discard = new Picture(q, QStringLiteral("image_discard"), QRect(288, 48, 71, 96));
    draw = new Picture(q, QStringLiteral("image_draw"), QRect(363, 48, 71, 96));
    auto* capDiscard =
        textLabel(q, QStringLiteral("label_discard"), QStringLiteral("Discard"), 13, true);
    capDiscard->move(304, 144);
    capDiscard->adjustSize();
    auto* capDraw = textLabel(q, QStringLiteral("label_draw"), QStringLiteral("Draw"), 13, true);
    capDraw->move(385, 144);
    capDraw->adjustSize();
    // The card in hand, 16 pixels lower than its pile; a click on it counts for the pile.
    idiscard = new Picture(q, QStringLiteral("image_idiscard"), QRect(288, 64, 71, 96));
    idraw = new Picture(q, QStringLiteral("image_idraw"), QRect(363, 64, 71, 96));
    idiscard->hide();
    idraw->hide();
    for (Picture* pile : {discard, draw, idiscard, idraw}) pile->setCursor(Qt::PointingHandCursor);
    QObject::connect(discard, &Picture::clicked, q, &Board::image_discardClick);
    QObject::connect(idiscard, &Picture::clicked, q, &Board::image_discardClick);
    QObject::connect(draw, &Picture::clicked, q, &Board::image_drawClick);
    QObject::connect(idraw, &Picture::clicked, q, &Board::image_drawClick);
    show(draw, 0, CardSize::Large);

    hand = new Picture(q, QStringLiteral("image_hand"), QRect(322, 118, 36, 26));
    hand->setPixmap(board::handPointer());
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

    logo = new Picture(q, QStringLiteral("image_logo"), QRect(20, 452, 200, 72));
    logo->setPixmap(art::logoPicture(logo->size()));
    logo->setCursor(Qt::PointingHandCursor);
    logo->setToolTip(QStringLiteral("Kavrel Software"));
    QObject::connect(logo, &Picture::clicked, q, &Board::logoClicked);
}

Board::Board(ClientContext& ctx, QWidget* parent) : QWidget(parent), d(new Impl(ctx, this)) {
    setObjectName(QStringLiteral("panel_board"));
    setFixedSize(765, 542);
    setAutoFillBackground(false);
    d->messageBox = [this](const QString& text) { showMessage(this, text); };
    d->build();
    sortstuff(ctx.state().myseat); // names and default-name hints before any login
}

Board::~Board() {
    delete d;
}

void Board::paintFelt(QPainter& p, const QRect& area, const QPoint& boardOrigin) {
    // The lamp hangs over the middle of the board.
    art::paintFelt(p, area, QPointF(370, 250) + boardOrigin, 560);
}

void Board::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    paintFelt(p, rect(), QPoint(0, 0));

    // Faint places for every card and both piles, so an empty table reads as a table.
    p.setPen(QPen(QColor(40, 50, 10, 60), 1));
    p.setBrush(QColor(60, 80, 20, 28));
    for (int pos = 1; pos <= seats; ++pos)
        for (int gpos = 1; gpos <= 9; ++gpos)
            p.drawRoundedRect(QRectF(cardRect(pos, gpos)).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    p.drawRoundedRect(QRectF(288.5, 48.5, 70, 95), 5, 5);
    p.drawRoundedRect(QRectF(363.5, 48.5, 70, 95), 5, 5);
}

// ---- Seats ----

void Board::sortstuff(int myseat) {
    for (int p = 1; p <= seats; ++p) {
        // A spectator (or a seat out of range) sees the seats in their natural places.
        const int seat = myseat >= 1 && myseat <= seats ? ((myseat + p - 2) % seats) + 1 : p;
        d->seatAt[p] = seat;
        d->positionOf[seat] = p;
    }
    for (int p = 1; p <= seats; ++p) d->rename(p);
    for (int s = 1; s <= seats; ++s) d->family(s).name->setProperty("Hint", d->st().seatnames[s]);
}

void Board::clearall() {
    for (int s = 1; s <= seats; ++s) {
        Impl::Family& f = d->family(s);
        f.score->setText(QStringLiteral("0"));
        f.score->adjustSize();
        f.bonus->clear();
        f.bonus->adjustSize();
        for (int g = 1; g <= 9; ++g) {
            d->empty(f.cards[g]);
            setTag(f.cards[g], 0);
        }
    }
}

void Board::startthegame(const QString& payload) {
    Payload in(payload);
    const QString name = in.text();
    const int rounds = in.number(0);
    const QString flag3 = in.text();
    const QString flag4 = in.text();

    d->roundnum->setText(QStringLiteral("Round: 0"));
    d->start->hide();
    emit gameStarted();
    d->panelWinner->hide();
    clearall();
    setTag(d->roundnum, rounds);
    d->chat(name + QStringLiteral(" has started a game."));

    auto& playing = d->st().seatplaying;
    for (int s = 1; s <= seats; ++s) {
        d->family(s).notplaying->hide();
        playing[s] = true;
    }
    if (flag3 == u"f") {
        playing[3] = false;
        d->family(3).notplaying->show();
    }
    if (flag4 == u"f") {
        playing[4] = false;
        d->family(4).notplaying->show();
    }
    // A computer player takes an empty seat that plays.
    for (int s = 2; s <= seats; ++s) {
        QLabel* label = d->family(s).name;
        if (label->text() == waiting && playing[s])
            label->setText(label->property("Hint").toString());
    }
}

void Board::roundstarting(const QString& payload) {
    Payload in(payload);
    const int round = in.number(0);
    const int top = in.number(lowestCode, highestCode);

    const ClientState& st = d->st();
    for (int s = 1; s <= seats; ++s)
        if (s != st.myseat && st.seatplaying[s]) d->showBacks(s);
    for (int s = 1; s <= seats; ++s) {
        d->family(s).bonus->clear();
        d->family(s).penalty->hide();
    }
    d->turn->hide();
    d->hand->hide();
    setTag(d->draw, 0);
    setTag(d->discard, 0);
    d->idiscard->hide();
    d->idraw->hide();
    d->setStatus(QStringLiteral("New Round!"));
    d->setDiscardTop(top);
    d->roundnum->setText(QStringLiteral("Round: %1 of %2").arg(round).arg(tag(d->roundnum)));
    if (round > 9) d->setStatus(QStringLiteral("Tie Breaker Round."));
}

void Board::mycards(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    std::vector<Placed> dealt;
    while (!in.atEnd()) {
        const int gpos = in.number(1, 9);
        dealt.push_back({gpos, in.number(lowestCode, highestCode)});
    }

    for (const Placed& c : dealt) {
        Picture* pic = d->family(seat).cards[c.position];
        d->empty(pic);
        setTag(pic, c.code);
        d->show(pic, 0, d->sizeFor(seat));
    }
    ClientState& st = d->st();
    st.flipsleft = 2;
    st.turnseat = st.myseat;
    d->askedToFlip.reset();
    if (st.myseat <= st.maxseats) d->setStatus(QStringLiteral("Choose 2 cards to flip over."));
    d->ctx.playsounds(QStringLiteral("flip"));
}

void Board::gamestats(const QString& payload) {
    Payload in(payload);
    const int addressee = in.number();
    const int rounds = in.number(0);
    const int round = in.number(0);
    const int turnseat = in.number(0, seats);
    const int top = in.number(lowestCode, highestCode);
    std::array<int, seats + 1> totals{};
    for (int s = 1; s <= seats; ++s) totals[s] = in.number();
    const bool out3 = in.text() == u"1";
    const bool out4 = in.text() == u"1";
    struct Shown {
        int seat, position, code;
    };
    std::vector<Shown> faceUp;
    while (!in.atEnd()) {
        const int seat = in.number(0, seats);
        const int gpos = in.number(seat == 0 ? 0 : 1, 9);
        const int code = in.number(lowestCode, highestCode);
        if (seat != 0) faceUp.push_back({seat, gpos, code});
    }
    ClientState& st = d->st();
    if (addressee != st.myseat) return;

    for (int s = 1; s <= seats; ++s) st.seatplaying[s] = true;
    setTag(d->roundnum, rounds);
    d->roundnum->setText(QStringLiteral("Round: %1 of %2").arg(round).arg(rounds));
    st.turnseat = turnseat;
    for (int s = 1; s <= seats; ++s) d->setScore(s, totals[s]);
    for (int s = 1; s <= seats; ++s) d->family(s).notplaying->hide();
    if (out3) {
        st.seatplaying[3] = false;
        d->family(3).notplaying->show();
    }
    if (out4) {
        st.seatplaying[4] = false;
        d->family(4).notplaying->show();
    }
    for (int s = 1; s <= seats; ++s)
        if (st.seatplaying[s]) d->showBacks(s);
    for (const Shown& c : faceUp) d->showCard(c.seat, c.position, c.code);
    d->setDiscardTop(top);
    for (int s = 1; s <= seats; ++s) {
        QLabel* label = d->family(s).name;
        if (st.seatplaying[s] && label->text() == waiting)
            label->setText(label->property("Hint").toString());
    }
}

void Board::postscores(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    const int points = in.number();
    const int total = in.number();
    std::vector<Placed> grid;
    while (!in.atEnd()) {
        const int gpos = in.number(1, 9);
        grid.push_back({gpos, in.number(lowestCode, highestCode)});
    }

    d->turn->hide();
    // A negative round (jokers) reads "-2", not "+-2".
    d->family(seat).bonus->setText(points < 0 ? QString::number(points)
                                              : QStringLiteral("+") + QString::number(points));
    d->setScore(seat, total);
    d->placeBonus(seat);
    for (const Placed& c : grid) d->showCard(seat, c.position, c.code);
    d->setStatus(QStringLiteral("Round is Over"));
    d->ctx.playsounds(QStringLiteral("roundover"));
}

void Board::penalty(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    const int total = in.number();

    d->setScore(seat, total);
    d->placeBonus(seat);
    d->family(seat).penalty->show();
}

void Board::getnextplayer(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    const int lastTurn = in.number();

    d->hand->hide();
    setTag(d->discard, 2);
    setTag(d->draw, 2);
    d->idiscard->hide();
    d->idraw->hide();
    ClientState& st = d->st();
    st.turnseat = seat;
    const QLabel* eyes = d->family(seat).eyes;
    d->turn->move(eyes->x() - 8, eyes->y());
    d->turn->show();
    if (seat != st.myseat) {
        d->setStatus(d->nameOf(seat) + QStringLiteral("'s turn."));
        return;
    }
    d->setStatus(QStringLiteral("Your Turn."));
    if (lastTurn != 0)
        d->ctx.playsounds(QStringLiteral("lastturn"));
    else
        d->ctx.playsounds(d->newTurnSound() ? QStringLiteral("turnnew") : QStringLiteral("turn"));
    setTag(d->discard, 0);
    setTag(d->draw, 0);
}

void Board::winner(const QString& payload) {
    Payload in(payload);
    const QString name = in.text();

    d->turn->hide();
    d->ctx.playsounds(QStringLiteral("winner"));
    const ClientState& st = d->st();
    const bool seated = st.myseat >= 1 && st.myseat <= st.maxseats;
    const bool mine = seated && d->nameOf(st.myseat) == name;
    const QString text = mine ? QStringLiteral("You have Won the Game!")
                              : name + QStringLiteral(" has Won the Game!");
    d->winner1->setText(text);
    d->winner2->setText(text);
    d->setStatus(QStringLiteral("Game Over!"));
    d->chat(text);
    d->panelWinner->show();
    d->panelWinner->raise();
    if (st.ishost) d->start->show();
    if (seated) emit gameRecorded(mine ? QStringLiteral("addtomine") : name);
}

// ---- Moves ----

void Board::card19Click(int position) {
    ClientState& st = d->st();
    if (position < 1 || position > 9 || !d->myTurn() || !st.seatplaying[st.myseat]) return;
    if (!st.connected) return;
    Picture* pic = d->family(st.myseat).cards[position];
    if (st.flipsleft > 0) {
        // A card already asked for keeps the second flip free for another card.
        if (tag(pic) == 0 || d->askedToFlip.test(position)) return;
        st.flipsleft -= 1;
        d->askedToFlip.set(position);
        d->send(msg::flipcard(st.myseat, position));
        d->ctx.playsounds(QStringLiteral("flipcard"));
        return;
    }
    if (tag(d->draw) == 1) {
        d->send(msg::replacedraw(st.myseat, position));
        d->ctx.playsounds(QStringLiteral("draw"));
    } else if (tag(d->discard) == 1) {
        d->send(msg::replacediscard(st.myseat, position));
        d->ctx.playsounds(QStringLiteral("draw"));
    }
}

void Board::image_drawClick() {
    ClientState& st = d->st();
    if (d->myTurn() && tag(d->draw) != 1 && tag(d->discard) != 1 && st.connected)
        d->send(msg::drawcard(st.myseat));
}

void Board::image_discardClick() {
    ClientState& st = d->st();
    if (!d->myTurn()) return;
    if (tag(d->draw) == 1) {
        d->send(msg::discarddrawn(st.myseat));
    } else if (tag(d->discard) == 1) {
        d->messageBox(QStringLiteral("You Cannot discard the discard you picked up."));
        d->ctx.playsounds(QStringLiteral("invalid"));
    } else {
        setTag(d->discard, 1);
        d->idiscard->show();
        d->setStatus(QStringLiteral("Choose a Card from your Hand to discard."));
    }
}

void Board::drawacard(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    const int code = in.number(lowestCode, highestCode);
    if (seat != d->st().myseat) return;

    d->show(d->draw, code, CardSize::Large);
    d->show(d->idraw, code, CardSize::Large);
    d->idraw->show();
    d->setStatus(QStringLiteral("Choose to Keep or Discard."));
    setTag(d->draw, 1);
    d->ctx.playsounds(QStringLiteral("draw"));
}

void Board::heflipped(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    const int gpos = in.number(1, 9);
    const int code = in.number(lowestCode, highestCode);
    d->showCard(seat, gpos, code);
}

void Board::replaceadraw(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    const int gpos = in.number(1, 9);
    const int top = in.number(lowestCode, highestCode);
    const int taken = in.number(lowestCode, highestCode);

    d->setDiscardTop(top);
    d->showCard(seat, gpos, taken);
    d->resetDrawPile();
    d->showHandAt(d->family(seat).cards[gpos], d->sizeFor(seat) == CardSize::Large);
    ClientState& st = d->st();
    d->setStatus(seat == st.myseat ? QStringLiteral("You used the drawn card.")
                                   : d->nameOf(seat) + QStringLiteral(" used the drawn card."));
    st.turnseat = 0;
    d->ctx.playsounds(QStringLiteral("discard"));
}

void Board::replaceadiscard(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    const int gpos = in.number(1, 9);
    const int top = in.number(lowestCode, highestCode);
    const int taken = in.number(lowestCode, highestCode);

    d->showCard(seat, gpos, taken);
    d->setDiscardTop(top);
    d->showHandAt(d->family(seat).cards[gpos], d->sizeFor(seat) == CardSize::Large);
    ClientState& st = d->st();
    d->setStatus(seat == st.myseat ? QStringLiteral("You play the top discard.")
                                   : d->nameOf(seat) + QStringLiteral(" played the top discard."));
    st.turnseat = 0;
    d->ctx.playsounds(QStringLiteral("discard"));
}

void Board::discardadrawn(const QString& payload) {
    Payload in(payload);
    const int seat = in.number(1, seats);
    const int top = in.number(lowestCode, highestCode);

    d->setDiscardTop(top);
    d->resetDrawPile();
    d->showHandAt(d->discard, true);
    ClientState& st = d->st();
    d->setStatus(seat == st.myseat
                     ? QStringLiteral("You discarded the drawn card.")
                     : d->nameOf(seat) + QStringLiteral(" discarded the drawn card."));
    st.turnseat = 0;
    d->ctx.playsounds(QStringLiteral("discard"));
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

void Board::setTurnSoundNew(bool on) {
    d->turnSoundNew = on;
}
void Board::setMessageBox(std::function<void(const QString&)> show) {
    d->messageBox = std::move(show);
}

} // namespace pelvo
