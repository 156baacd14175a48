#include "client/board/Board.h"
#include "support/SessionEdit.h"

#include "protocol/Commands.h"
#include "protocol/Messages.h"
#include "session/ClientSession.h"

#include <QAbstractButton>
#include <QHash>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace pelvo;

namespace {

int pictureOf(const QObject* o) {
    return o->property("picture").toInt();
}

msg::Grid grid(int first) {
    msg::Grid g{};
    for (int i = 0; i < 9; ++i) g[i] = first + i;
    return g;
}

class BoardTest : public ::testing::Test {
protected:
    std::unique_ptr<ClientSession> session;
    std::unique_ptr<Board> board;
    QList<QByteArray> frames;
    QStringList sounds;
    QStringList boxes;

    // A fresh session and board, the player logged in at `myseat` (0: before the login).
    void seat(int myseat) {
        board.reset();
        session = std::make_unique<ClientSession>();
        session->setTransport([this](const QByteArray& f) {
            frames.append(f);
            return true;
        });
        QObject::connect(session.get(), &ClientSession::sound,
                         [this](const QString& name) { sounds << name; });
        QObject::connect(session.get(), &ClientSession::message,
                         [this](const QString& text) { boxes << text; });
        board = std::make_unique<Board>(*session);
        if (myseat >= 1) {
            feed(msg::sendlogininfo(myseat));
        } else {
            test::edit(*session)->myseat = myseat;
        }
        frames.clear(); // the login answer
    }
    // A notice as the dispatch timer hands it over: one line without its terminator.
    CommandTable::Outcome feed(const QByteArray& frame) {
        QByteArray body = frame;
        if (body.endsWith('\xff')) body.chop(1);
        return session->handleLine(QString::fromUtf8(body));
    }
    void startGame(int rounds = 5, bool seat3 = true, bool seat4 = true) {
        feed(msg::startgameNotice("Anna", rounds, seat3, seat4));
        feed(msg::roundstarting(1, 7));
    }
    void deal() { feed(msg::mycards(session->state().myseat, grid(10))); }
    // Deals and makes the two opening flips (on grid positions 1 and 2).
    void dealAndFlip() {
        deal();
        board->card19Click(1);
        board->card19Click(2);
        frames.clear();
    }
    const TableModel& table() const { return session->table(); }
    const ChatLine& lastChat() const { return session->chat().lines().back(); }
    QLabel* named(const QString& name) const { return board->findChild<QLabel*>(name); }
    QWidget* widget(const QString& name) const { return board->findChild<QWidget*>(name); }
    QString status() const { return board->label_status()->text(); }
    void frameIs(const QByteArray& expected) {
        ASSERT_FALSE(frames.isEmpty());
        EXPECT_EQ(frames.last(), expected);
    }
};

// Expected seat at screen positions 1..4 for each own seat.
struct Rotation {
    int myseat;
    int seatAt[4];
};

TEST_F(BoardTest, RotationPutsOwnSeatAtTheBottomAndNamesFollowTheSeat) {
    const Rotation table[] = {{1, {1, 2, 3, 4}},
                              {2, {2, 3, 4, 1}},
                              {3, {3, 4, 1, 2}},
                              {4, {4, 1, 2, 3}},
                              {6, {1, 2, 3, 4}}};
    // Where card 1 of each screen position stands, and where its name label is.
    const QPoint cardAt[4] = {{252, 200}, {9, 220}, {40, 15}, {488, 3}};
    const QPoint nameAt[4] = {{478, 219}, {131, 243}, {162, 89}, {610, 41}};
    for (const Rotation& r : table) {
        SCOPED_TRACE(r.myseat);
        seat(r.myseat);
        for (int p = 1; p <= 4; ++p) {
            const int s = r.seatAt[p - 1];
            EXPECT_EQ(board->seatAtPosition(p), s);
            EXPECT_EQ(board->screenPosition(s), p);
            QLabel* c1 = named(QString("card%1%2").arg(s).arg(1));
            ASSERT_NE(c1, nullptr);
            EXPECT_EQ(c1->pos(), cardAt[p - 1]);
            EXPECT_EQ(c1, board->card(s, 1));
            EXPECT_EQ(c1->size(), p == 1 ? QSize(71, 96) : QSize(39, 58));
            QLabel* name = board->label_playername(s);
            EXPECT_EQ(name->objectName(), QString("label_playername%1").arg(s));
            EXPECT_EQ(name->pos(), nameAt[p - 1]);
            EXPECT_EQ(name->property("Hint").toString(),
                      session->state().seatnames[std::size_t(s)]);
            EXPECT_EQ(board->label_score(s)->objectName(), QString("label_score%1").arg(s));
            EXPECT_EQ(board->image_eyes(s)->objectName(), QString("image_eyes%1").arg(s));
        }
        // Exactly one control carries each name.
        EXPECT_EQ(board->findChildren<QLabel*>("card39").size(), 1);
    }
}

TEST_F(BoardTest, SharedControlsStandAtTheirPlaces) {
    seat(1);
    EXPECT_EQ(board->size(), QSize(765, 542));
    EXPECT_EQ(widget("image_discard")->geometry(), QRect(288, 48, 71, 96));
    EXPECT_EQ(widget("image_draw")->geometry(), QRect(363, 48, 71, 96));
    EXPECT_EQ(widget("image_idiscard")->geometry(), QRect(288, 64, 71, 96));
    EXPECT_EQ(widget("image_hand")->size(), QSize(36, 26));
    EXPECT_EQ(widget("image_Turn")->size(), QSize(111, 65));
    EXPECT_EQ(widget("label_status")->geometry(), QRect(208, 178, 313, 16));
    EXPECT_EQ(status(), "Welcome to Pelvo by Kavrel Software");
    EXPECT_EQ(board->label_roundnum()->geometry(), QRect(18, 412, 168, 14));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 0");
    EXPECT_EQ(board->button_start()->geometry(), QRect(301, 8, 122, 34));
    EXPECT_EQ(board->button_start()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(widget("panel_winner")->geometry(), QRect(144, 136, 441, 41));
    EXPECT_EQ(named("label_winner1")->pos(), QPoint(1, 12));
    EXPECT_EQ(named("label_winner2")->pos(), QPoint(2, 11));
    EXPECT_EQ(board->image_penalty(2)->geometry(), QRect(136, 288, 97, 25));
    EXPECT_EQ(board->image_notplaying(4)->geometry(), QRect(504, 48, 89, 41));
    EXPECT_EQ(board->label_playername(1)->text(), "<Waiting>");
    EXPECT_EQ(board->label_playername(1)->font().pixelSize(), 19);
    EXPECT_EQ(board->label_bonus(1)->font().pixelSize(), 16);
    for (const char* hidden : {"image_idiscard", "image_idraw", "image_hand", "image_Turn",
                               "panel_winner", "image_eyes1", "image_penalty1"})
        EXPECT_TRUE(widget(hidden)->isHidden()) << hidden;
}

TEST_F(BoardTest, GameStartMarksEmptySeatsAndGivesComputerSeatsTheirNames) {
    seat(1);
    feed(msg::newplayerinfo(1, "Anna"));
    feed(msg::startgameNotice("Anna", 7, false, true));
    EXPECT_EQ(table().rounds, 7);
    EXPECT_EQ(lastChat().sender, 0);
    EXPECT_EQ(lastChat().text, "Anna has started a game.");
    EXPECT_EQ(board->label_playername(1)->text(), "Anna");
    EXPECT_EQ(board->label_playername(2)->text(), "Klot");
    EXPECT_EQ(board->label_playername(3)->text(), "<Waiting>");
    EXPECT_EQ(board->label_playername(4)->text(), "Kling");
    EXPECT_FALSE(board->image_notplaying(3)->isHidden());
    EXPECT_TRUE(board->image_notplaying(4)->isHidden());
    EXPECT_FALSE(table().seats[3].playing);
    EXPECT_TRUE(table().seats[4].playing);

    feed(msg::roundstarting(1, 20));
    EXPECT_EQ(pictureOf(board->card(2, 5)), 0) << "other seats are dealt face down";
    EXPECT_EQ(pictureOf(board->card(3, 5)), -1) << "a seat out of the game stays empty";
    EXPECT_EQ(pictureOf(board->card(1, 5)), -1) << "the own grid waits for its cards";
    EXPECT_EQ(pictureOf(widget("image_discard")), 20);
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 1 of 7");
    EXPECT_EQ(status(), "New Round!");
}

TEST_F(BoardTest, TieBreakerRound) {
    seat(1);
    startGame(9);
    feed(msg::roundstarting(10, 3));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 10 of 9");
    EXPECT_EQ(status(), "Tie Breaker Round.");
}

// Which clicks may ask for what is the session's rule; here: the dealt cards show their backs
// and a flip is shown only when the host reports it.
TEST_F(BoardTest, DealtCardsShowBacksUntilTheHostReportsAFlip) {
    seat(3);
    startGame();
    deal();
    EXPECT_EQ(status(), "Choose 2 cards to flip over.");
    for (int g = 1; g <= 9; ++g) {
        EXPECT_EQ(pictureOf(board->card(3, g)), 0);
        EXPECT_EQ(board->card(3, g)->pixmap().deviceIndependentSize().toSize(), QSize(71, 96));
    }

    board->card19Click(4);
    frameIs(msg::flipcard(3, 4));

    // Flips are shown only when the host reports them, in the seat's own card size.
    EXPECT_EQ(pictureOf(board->card(3, 4)), 0);
    feed(msg::heflipped(3, 4, 13));
    EXPECT_EQ(pictureOf(board->card(3, 4)), 13);
    feed(msg::heflipped(1, 2, 53));
    EXPECT_EQ(pictureOf(named("card12")), 53);
    EXPECT_EQ(named("card12")->pixmap().deviceIndependentSize().toSize(), QSize(39, 58));
}

// Counts the paint events of the widgets it watches.
struct PaintCounter : QObject {
    QHash<QObject*, int> paints;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints[watched];
        return false;
    }
};

TEST_F(BoardTest, AMoveRepaintsOnlyTheCardsItChanged) {
    seat(1);
    startGame();
    deal();
    for (int s = 2; s <= 4; ++s)
        for (int g = 1; g <= 9; ++g) feed(msg::heflipped(s, g, s * 9 + g));
    board->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(board.get()));
    QCoreApplication::processEvents();

    PaintCounter counter;
    for (int s = 1; s <= 4; ++s)
        for (int g = 1; g <= 9; ++g) board->card(s, g)->installEventFilter(&counter);
    feed(msg::heflipped(3, 5, 2));
    QTest::qWait(50);

    EXPECT_EQ(pictureOf(board->card(3, 5)), 2);
    EXPECT_GE(counter.paints.value(board->card(3, 5)), 1);
    for (int s = 1; s <= 4; ++s) {
        for (int g = 1; g <= 9; ++g) {
            if (s == 3 && g == 5) continue;
            EXPECT_EQ(counter.paints.value(board->card(s, g)), 0) << "seat " << s << " card " << g;
        }
    }
}

TEST_F(BoardTest, TheTurnMarkerStandsBySeatWhoseTurnItIs) {
    seat(2);
    startGame();
    deal();
    feed(msg::nextplayer(3, 0));
    EXPECT_EQ(status(), "Klick's turn.");
    QWidget* turn = widget("image_Turn");
    EXPECT_FALSE(turn->isHidden());
    EXPECT_EQ(turn->pos(), board->image_eyes(3)->pos() - QPoint(8, 0));
    board->image_discardClick();
    EXPECT_TRUE(widget("image_idiscard")->isHidden());

    feed(msg::nextplayer(2, 4));
    EXPECT_EQ(status(), "Your Turn. Last turn.");
    EXPECT_EQ(turn->pos(), QPoint(468, 199));
}

TEST_F(BoardTest, DrawAndReplace) {
    seat(1);
    startGame();
    dealAndFlip();
    feed(msg::nextplayer(1, 0));
    board->image_drawClick();
    frameIs(msg::drawcard(1));
    feed(msg::drawacard(1, 25));
    EXPECT_FALSE(widget("image_idraw")->isHidden());
    EXPECT_EQ(pictureOf(widget("image_idraw")), 25);

    board->card19Click(5);
    frameIs(msg::replacedraw(1, 5));
    feed(msg::replaceadraw(1, 5, 14, 25));
    EXPECT_EQ(pictureOf(board->card(1, 5)), 25);
    EXPECT_EQ(pictureOf(widget("image_discard")), 14);
    EXPECT_EQ(pictureOf(widget("image_draw")), 0);
    EXPECT_TRUE(widget("image_idraw")->isHidden());
    EXPECT_EQ(widget("image_hand")->pos(), board->card(1, 5)->pos() + QPoint(34, 60));
    EXPECT_FALSE(widget("image_hand")->isHidden());
    EXPECT_EQ(status(), "You used the drawn card.");
}

TEST_F(BoardTest, DiscardPickThenReplace) {
    seat(1);
    startGame();
    dealAndFlip();
    feed(msg::nextplayer(1, 0));
    board->image_discardClick();
    EXPECT_FALSE(widget("image_idiscard")->isHidden());
    EXPECT_EQ(status(), "Choose a Card from your Hand to discard.");
    board->image_discardClick();
    EXPECT_EQ(boxes, QStringList{"You Cannot discard the discard you picked up."});
    board->card19Click(7);
    frameIs(msg::replacediscard(1, 7));
    feed(msg::replaceadiscard(1, 7, 16, 7));
    EXPECT_EQ(pictureOf(board->card(1, 7)), 7);
    EXPECT_EQ(pictureOf(widget("image_discard")), 16);
    EXPECT_TRUE(widget("image_idiscard")->isHidden());
    EXPECT_EQ(status(), "You play the top discard.");
}

TEST_F(BoardTest, ThrownAwayDrawAndOtherSeatsMoves) {
    seat(1);
    startGame();
    dealAndFlip();
    feed(msg::newplayerinfo(2, "Bo"));
    feed(msg::nextplayer(1, 0));
    board->image_drawClick();
    feed(msg::drawacard(1, 30));
    board->image_discardClick();
    frameIs(msg::discarddrawn(1));
    EXPECT_TRUE(widget("image_idiscard")->isHidden()) << "the discard is not taken";
    feed(msg::discardadrawn(1, 30));
    EXPECT_EQ(pictureOf(widget("image_discard")), 30);
    EXPECT_EQ(widget("image_hand")->pos(), QPoint(288 + 34, 48 + 60));
    EXPECT_EQ(status(), "You discarded the drawn card.");

    // Another seat's draw is not shown to us; its move shows on its small grid.
    feed(msg::nextplayer(2, 0));
    feed(msg::drawacard(2, 44));
    EXPECT_TRUE(widget("image_idraw")->isHidden());
    feed(msg::replaceadiscard(2, 3, 9, 30));
    EXPECT_EQ(pictureOf(board->card(2, 3)), 30);
    EXPECT_EQ(widget("image_hand")->pos(), board->card(2, 3)->pos() + QPoint(4, 31));
    EXPECT_EQ(status(), "Bo played the top discard.");
}

TEST_F(BoardTest, ScoresBonusAndPenaltyPlacement) {
    seat(1);
    startGame();
    feed(msg::postscores(2, 5, 12345, grid(1)));
    QLabel* score = board->label_score(2);
    QLabel* bonus = board->label_bonus(2);
    EXPECT_EQ(score->text(), "12345");
    EXPECT_EQ(bonus->text(), "+5");
    EXPECT_EQ(bonus->x(), score->x() + score->width() + 4);
    EXPECT_GE(score->width(), score->fontMetrics().horizontalAdvance("12345"));
    EXPECT_EQ(bonus->y(), 267);
    EXPECT_EQ(pictureOf(board->card(2, 9)), 9);
    EXPECT_EQ(status(), "Round is Over");
    EXPECT_EQ(sounds.last(), "roundover");

    feed(msg::penalty(2, 7));
    EXPECT_EQ(score->text(), "7");
    EXPECT_EQ(bonus->x(), score->x() + score->width() + 4);
    EXPECT_FALSE(board->image_penalty(2)->isHidden());

    feed(msg::postscores(3, -2, -2, grid(40)));
    EXPECT_EQ(board->label_bonus(3)->text(), "-2");

    feed(msg::roundstarting(2, 1));
    EXPECT_TRUE(board->image_penalty(2)->isHidden());
    EXPECT_TRUE(bonus->text().isEmpty());
}

TEST_F(BoardTest, WinnerBannerForPlayerAndSpectator) {
    seat(1);
    test::edit(*session)->ishost = true;
    feed(msg::newplayerinfo(1, "Anna"));
    startGame();
    QSignalSpy recorded(session.get(), &ClientSession::gameRecorded);
    feed(msg::winner("Anna"));
    EXPECT_EQ(named("label_winner1")->text(), "You have Won the Game!");
    EXPECT_EQ(named("label_winner2")->text(), "You have Won the Game!");
    EXPECT_FALSE(widget("panel_winner")->isHidden());
    EXPECT_FALSE(board->button_start()->isHidden());
    EXPECT_EQ(status(), "Game Over!");
    EXPECT_EQ(lastChat().sender, 0);
    EXPECT_EQ(lastChat().text, "You have Won the Game!");
    EXPECT_EQ(sounds.last(), "winner");
    ASSERT_EQ(recorded.size(), 1);
    EXPECT_EQ(recorded[0][0].toString(), "addtomine");
    feed(msg::winner("Klot"));
    EXPECT_EQ(recorded.last()[0].toString(), "Klot");

    seat(6);
    feed(msg::newplayerinfo(1, "Anna"));
    QSignalSpy spectator(session.get(), &ClientSession::gameRecorded);
    feed(msg::winner("Anna"));
    EXPECT_EQ(named("label_winner1")->text(), "Anna has Won the Game!");
    EXPECT_TRUE(board->button_start()->isHidden());
    EXPECT_TRUE(spectator.isEmpty());

    // The next game clears the banner.
    feed(msg::startgameNotice("Anna", 5, true, true));
    EXPECT_TRUE(widget("panel_winner")->isHidden());
}

// Player names come from other people: markup in them is shown as typed, never interpreted.
TEST_F(BoardTest, NamesWithMarkupAreShownAsTyped) {
    seat(1);
    const QString name = QStringLiteral("<b>Bo</b><img src=x>");
    feed(msg::newplayerinfo(2, name));
    startGame();
    const auto shownAsTyped = [&](const QString& control) {
        QLabel* label = named(control);
        ASSERT_NE(label, nullptr) << qPrintable(control);
        EXPECT_TRUE(label->text().contains(name)) << qPrintable(control);
        // Drawn as text, the label needs the room of every character it holds.
        EXPECT_GE(label->sizeHint().width(), label->fontMetrics().horizontalAdvance(name))
            << qPrintable(control);
    };
    shownAsTyped("label_playername2");
    feed(msg::nextplayer(2, 0));
    shownAsTyped("label_status");
    feed(msg::winner(name));
    shownAsTyped("label_winner1");
    shownAsTyped("label_winner2");
}

TEST_F(BoardTest, LateJoinerGetsTheWholePicture) {
    seat(6);
    msg::GameStats gs;
    gs.slot = 6;
    gs.roundsToPlay = 7;
    gs.roundNumber = 3;
    gs.currentPlayer = 2;
    gs.discardTop = 44;
    gs.totals = {10, 20, 30, 40};
    gs.seat4Out = true;
    gs.faceUp = {{1, 5, 12}, {2, 9, 53}};
    feed(msg::gamestats(gs));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 3 of 7");
    EXPECT_EQ(table().rounds, 7);
    EXPECT_EQ(table().turnSeat, 2);
    EXPECT_EQ(board->label_score(3)->text(), "30");
    EXPECT_FALSE(table().seats[4].playing);
    EXPECT_FALSE(board->image_notplaying(4)->isHidden());
    EXPECT_EQ(pictureOf(board->card(1, 5)), 12);
    EXPECT_EQ(board->card(1, 5)->size(), QSize(71, 96));
    EXPECT_EQ(pictureOf(board->card(1, 4)), 0);
    EXPECT_EQ(pictureOf(board->card(2, 9)), 53);
    EXPECT_EQ(pictureOf(board->card(4, 1)), -1);
    EXPECT_EQ(pictureOf(widget("image_discard")), 44);
    EXPECT_TRUE(widget("image_idiscard")->isHidden());
    EXPECT_EQ(board->label_playername(3)->text(), "Klick");
    EXPECT_EQ(board->label_playername(4)->text(), "<Waiting>");
    EXPECT_TRUE(widget("image_Turn")->isHidden());

    // Addressed to someone else: nothing changes. No face-up card: the single 0 triple.
    gs.slot = 7;
    gs.roundNumber = 4;
    feed(msg::gamestats(gs));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 3 of 7");
    gs.slot = 6;
    gs.faceUp.clear();
    feed(msg::gamestats(gs));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 4 of 7");
    EXPECT_EQ(pictureOf(board->card(1, 5)), 0);
}

// Everything a notice may touch, to show that a refused notice touched nothing.
QStringList snapshot(const Board& b, const TableModel& t) {
    QStringList out;
    for (QWidget* w : b.findChildren<QWidget*>()) {
        QString line = w->objectName() + (w->isHidden() ? " hidden" : " shown") + " " +
                       w->property("picture").toString() + " " + QString::number(w->x()) + "," +
                       QString::number(w->y());
        if (auto* l = qobject_cast<QLabel*>(w)) line += " " + l->text();
        out << line;
    }
    out << QString("%1 %2 %3 %4 %5 %6 %7")
               .arg(t.turnSeat)
               .arg(t.flipsLeft)
               .arg(int(t.drawPick))
               .arg(int(t.discardPick))
               .arg(t.seats[1].playing)
               .arg(t.seats[3].playing)
               .arg(t.seats[4].playing);
    return out;
}

TEST_F(BoardTest, MalformedPayloadsChangeNothing) {
    seat(1);
    startGame();
    deal();
    feed(msg::nextplayer(2, 0));
    const QStringList before = snapshot(*board, table());
    const int soundCount = sounds.size();
    const std::size_t chatLines = session->chat().lines().size();
    const std::pair<const char*, const char*> bad[] = {
        {cmd::mycards, "1+1+5+2+x"},
        {cmd::mycards, "5+1+5"},
        {cmd::mycards, "1+10+5"},
        {cmd::mycards, "1+1+54"},
        {cmd::mycards, "1+0+-1"},
        {cmd::heflipped, "0+1+5+"},
        {cmd::heflipped, "1+9+99+"},
        {cmd::heflipped, "2+-3+5+"},
        {cmd::replaceadraw, "1+5+3+"},
        {cmd::replaceadraw, "9+5+3+4+"},
        {cmd::replaceadiscard, "1+5+x+4+"},
        {cmd::discardadrawn, "1+60+"},
        {cmd::drawacard, "1+abc+"},
        {cmd::postscores, "5+1+1"},
        {cmd::postscores, "2+1+1+1+1+12+2"},
        {cmd::penalty, "0+25+"},
        {cmd::penalty, "2+"},
        {cmd::nextplayer, "7+0+"},
        {cmd::nextplayer, "2+z+"},
        {cmd::roundstarting, "2+54+"},
        {cmd::roundstarting, "+3+"},
        {cmd::startgame, "Anna+many+t+t+"},
        {cmd::gamestats, "1+5+2+9+3+0+0+0+0+0+0+0+0+0"},
        {cmd::gamestats, "1+5+2+1+3+0+0+0+0+0+0+2+10+5"},
        {cmd::gamestats, "1+5+2+1+3+0+0"},
        {cmd::gamestats, "1+5+2+1+3+0+0+0+0+0+0+1+1+99999999999"},
    };
    for (const auto& [command, payload] : bad) {
        const QString line = QString::fromLatin1(command) + "+" + QString::fromLatin1(payload);
        SCOPED_TRACE(qPrintable(line));
        EXPECT_EQ(session->handleLine(line), CommandTable::Outcome::Malformed);
        EXPECT_EQ(snapshot(*board, table()), before);
    }
    EXPECT_EQ(sounds.size(), soundCount);
    EXPECT_EQ(session->chat().lines().size(), chatLines);
    EXPECT_TRUE(frames.isEmpty());
}

TEST_F(BoardTest, OnlyTheBottomCardsAndThePilesReactToTheMouse) {
    seat(2);
    startGame();
    deal();
    QTest::mouseClick(board->card(3, 1), Qt::LeftButton); // a small grid
    EXPECT_TRUE(frames.isEmpty());
    QTest::mouseClick(board->card(2, 8), Qt::LeftButton);
    frameIs(msg::flipcard(2, 8));
    QTest::mouseClick(board->card(2, 2), Qt::RightButton);
    EXPECT_EQ(frames.size(), 1);
    feed(msg::nextplayer(2, 0));
    QTest::mouseClick(widget("image_draw"), Qt::LeftButton);
    frameIs(msg::drawcard(2));
    feed(msg::drawacard(2, 5));
    // The picked-up card overlaps the discard pile; a click on it counts for its pile.
    QTest::mouseClick(widget("image_idraw"), Qt::LeftButton);
    EXPECT_EQ(frames.size(), 2);
    QTest::mouseClick(widget("image_discard"), Qt::LeftButton);
    frameIs(msg::discarddrawn(2));

    QSignalSpy menu(board.get(), &Board::nameLabelMenuRequested);
    QLabel* name = board->label_playername(4); // on the left for seat 2
    emit name->customContextMenuRequested(QPoint(3, 3));
    ASSERT_EQ(menu.size(), 1);
    EXPECT_EQ(menu[0][0].toInt(), 4);

    QSignalSpy logo(board.get(), &Board::logoClicked);
    QTest::mouseClick(widget("image_logo"), Qt::LeftButton);
    EXPECT_EQ(logo.size(), 1);
    QSignalSpy start(board.get(), &Board::startClicked);
    session->setStartShown(true);
    ASSERT_FALSE(board->button_start()->isHidden());
    board->button_start()->click();
    EXPECT_EQ(start.size(), 1);
}

TEST_F(BoardTest, SpectatorClicksNeverSend) {
    seat(5);
    startGame();
    feed(msg::mycards(1, grid(10))); // a stray deal makes the spectator's slot the turn
    ASSERT_EQ(table().turnSeat, 5);
    board->image_drawClick();
    board->image_discardClick();
    board->card19Click(1);
    EXPECT_TRUE(frames.isEmpty());
    EXPECT_EQ(table().discardPick, Pick::Open);
    EXPECT_TRUE(widget("image_idiscard")->isHidden());

    seat(0); // before the login
    board->image_discardClick();
    EXPECT_EQ(table().discardPick, Pick::Open);
    EXPECT_TRUE(widget("image_idiscard")->isHidden());
}

} // namespace
