#include "client/board/Board.h"
#include "client/board/FakeContext.h"

#include "protocol/Fields.h"
#include "protocol/Messages.h"

#include <QAbstractButton>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace pelvo;
using pelvo::test::FakeContext;
using pelvo::test::payloadOf;

namespace {

int tagOf(const QObject* o) {
    return o->property("Tag").toInt();
}
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
    FakeContext ctx;
    std::unique_ptr<Board> board;
    QStringList boxes;

    // A player logged in at `seat`, with a game of `rounds` rounds started and dealt.
    void seat(int myseat) {
        ctx.st.myseat = myseat;
        ctx.st.connected = true;
        board = std::make_unique<Board>(ctx);
        board->setMessageBox([this](const QString& t) { boxes << t; });
        board->sortstuff(myseat);
    }
    void startGame(int rounds = 5, bool seat3 = true, bool seat4 = true) {
        board->startthegame(payloadOf(msg::startgameNotice("Anna", rounds, seat3, seat4)));
        board->roundstarting(payloadOf(msg::roundstarting(1, 7)));
    }
    void deal() { board->mycards(payloadOf(msg::mycards(ctx.st.myseat, grid(10)))); }
    // Deals and makes the two opening flips (on grid positions 1 and 2).
    void dealAndFlip() {
        deal();
        board->card19Click(1);
        board->card19Click(2);
        ctx.frames.clear();
    }
    QLabel* named(const QString& name) const { return board->findChild<QLabel*>(name); }
    QWidget* widget(const QString& name) const { return board->findChild<QWidget*>(name); }
    QString status() const { return board->label_status()->text(); }
    void frameIs(const QByteArray& expected) {
        ASSERT_FALSE(ctx.frames.isEmpty());
        EXPECT_EQ(ctx.frames.last(), expected);
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
            EXPECT_EQ(name->property("Hint").toString(), ctx.st.seatnames[s]);
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
    board->label_playername(1)->setText("Anna");
    QSignalSpy started(board.get(), &Board::gameStarted);
    board->startthegame(payloadOf(msg::startgameNotice("Anna", 7, false, true)));
    EXPECT_EQ(started.size(), 1);
    EXPECT_EQ(tagOf(board->label_roundnum()), 7);
    EXPECT_EQ(ctx.chat.last(), "0+Anna has started a game.");
    EXPECT_EQ(board->label_playername(2)->text(), "Klot");
    EXPECT_EQ(board->label_playername(3)->text(), "<Waiting>");
    EXPECT_EQ(board->label_playername(4)->text(), "Kling");
    EXPECT_FALSE(board->image_notplaying(3)->isHidden());
    EXPECT_TRUE(board->image_notplaying(4)->isHidden());
    EXPECT_FALSE(ctx.st.seatplaying[3]);
    EXPECT_TRUE(ctx.st.seatplaying[4]);

    board->roundstarting(payloadOf(msg::roundstarting(1, 20)));
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
    board->roundstarting(payloadOf(msg::roundstarting(10, 3)));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 10 of 9");
    EXPECT_EQ(status(), "Tie Breaker Round.");
}

TEST_F(BoardTest, DealingOpensTheFlipPhaseAndFlipsAskOnce) {
    seat(3);
    startGame();
    deal();
    EXPECT_EQ(ctx.st.flipsleft, 2);
    EXPECT_EQ(ctx.st.turnseat, 3);
    EXPECT_EQ(status(), "Choose 2 cards to flip over.");
    EXPECT_EQ(ctx.sounds.last(), "flip");
    for (int g = 1; g <= 9; ++g) {
        EXPECT_EQ(tagOf(board->card(3, g)), 9 + g);
        EXPECT_EQ(pictureOf(board->card(3, g)), 0);
        EXPECT_EQ(board->card(3, g)->pixmap().deviceIndependentSize().toSize(), QSize(71, 96));
    }

    board->card19Click(4);
    frameIs(msg::flipcard(3, 4));
    EXPECT_EQ(ctx.sounds.last(), "flipcard");
    board->card19Click(4); // the same card again keeps the second flip
    EXPECT_EQ(ctx.frames.size(), 1);
    EXPECT_EQ(ctx.st.flipsleft, 1);
    board->card19Click(9);
    frameIs(msg::flipcard(3, 9));
    board->card19Click(1); // both flips used
    EXPECT_EQ(ctx.frames.size(), 2);

    // Flips are shown only when the host reports them, in the seat's own card size.
    EXPECT_EQ(pictureOf(board->card(3, 4)), 0);
    board->heflipped(payloadOf(msg::heflipped(3, 4, 13)));
    EXPECT_EQ(pictureOf(board->card(3, 4)), 13);
    board->heflipped(payloadOf(msg::heflipped(1, 2, 53)));
    EXPECT_EQ(pictureOf(named("card12")), 53);
    EXPECT_EQ(named("card12")->pixmap().deviceIndependentSize().toSize(), QSize(39, 58));
}

TEST_F(BoardTest, FlipPhaseIgnoresUndealtCardsAndOtherTurns) {
    seat(1);
    startGame();
    board->mycards("1+1+5+2+6"); // only two cards dealt
    board->card19Click(3);       // Tag 0
    EXPECT_TRUE(ctx.frames.isEmpty());
    EXPECT_EQ(ctx.st.flipsleft, 2);
    ctx.st.turnseat = 2;
    board->card19Click(1);
    EXPECT_TRUE(ctx.frames.isEmpty());
    ctx.st.turnseat = 1;
    ctx.st.connected = false;
    board->card19Click(1);
    EXPECT_TRUE(ctx.frames.isEmpty()) << "nothing is sent without a connection";
    EXPECT_EQ(ctx.st.flipsleft, 2);
}

TEST_F(BoardTest, PickStatesLockForOthersAndFreeOnTheOwnTurn) {
    seat(2);
    startGame();
    deal();
    QWidget* draw = widget("image_draw");
    QWidget* discard = widget("image_discard");
    board->getnextplayer(payloadOf(msg::nextplayer(3, 0)));
    EXPECT_EQ(tagOf(draw), 2);
    EXPECT_EQ(tagOf(discard), 2);
    EXPECT_EQ(status(), "Klick's turn.");
    QWidget* turn = widget("image_Turn");
    EXPECT_FALSE(turn->isHidden());
    EXPECT_EQ(turn->pos(), board->image_eyes(3)->pos() - QPoint(8, 0));
    board->image_drawClick();
    board->image_discardClick();
    EXPECT_TRUE(ctx.frames.isEmpty());
    EXPECT_TRUE(widget("image_idiscard")->isHidden());

    board->getnextplayer(payloadOf(msg::nextplayer(2, 0)));
    EXPECT_EQ(tagOf(draw), 0);
    EXPECT_EQ(tagOf(discard), 0);
    EXPECT_EQ(status(), "Your Turn.");
    EXPECT_EQ(ctx.sounds.last(), "turn");
    board->setTurnSoundNew(true);
    board->getnextplayer(payloadOf(msg::nextplayer(2, 0)));
    EXPECT_EQ(ctx.sounds.last(), "turnnew");
    board->getnextplayer(payloadOf(msg::nextplayer(2, 4)));
    EXPECT_EQ(ctx.sounds.last(), "lastturn");
    EXPECT_EQ(turn->pos(), QPoint(468, 199));
}

TEST_F(BoardTest, DrawAndReplace) {
    seat(1);
    startGame();
    dealAndFlip();
    board->getnextplayer(payloadOf(msg::nextplayer(1, 0)));
    board->image_drawClick();
    frameIs(msg::drawcard(1));
    board->drawacard(payloadOf(msg::drawacard(1, 25)));
    EXPECT_EQ(tagOf(widget("image_draw")), 1);
    EXPECT_FALSE(widget("image_idraw")->isHidden());
    EXPECT_EQ(pictureOf(widget("image_idraw")), 25);
    EXPECT_EQ(status(), "Choose to Keep or Discard.");
    EXPECT_EQ(ctx.sounds.last(), "draw");
    board->image_drawClick(); // a card is already in the hand
    EXPECT_EQ(ctx.frames.size(), 1);

    board->card19Click(5);
    frameIs(msg::replacedraw(1, 5));
    board->replaceadraw(payloadOf(msg::replaceadraw(1, 5, 14, 25)));
    EXPECT_EQ(pictureOf(board->card(1, 5)), 25);
    EXPECT_EQ(pictureOf(widget("image_discard")), 14);
    EXPECT_EQ(pictureOf(widget("image_draw")), 0);
    EXPECT_TRUE(widget("image_idraw")->isHidden());
    EXPECT_EQ(widget("image_hand")->pos(), board->card(1, 5)->pos() + QPoint(34, 60));
    EXPECT_FALSE(widget("image_hand")->isHidden());
    EXPECT_EQ(status(), "You used the drawn card.");
    EXPECT_EQ(ctx.st.turnseat, 0);
    EXPECT_EQ(ctx.sounds.last(), "discard");
    board->card19Click(6); // the move is over until the next turn
    EXPECT_EQ(ctx.frames.size(), 2);
}

TEST_F(BoardTest, DiscardPickThenReplace) {
    seat(1);
    startGame();
    dealAndFlip();
    board->getnextplayer(payloadOf(msg::nextplayer(1, 0)));
    board->image_discardClick();
    EXPECT_TRUE(ctx.frames.isEmpty()) << "picking up the discard sends nothing";
    EXPECT_EQ(tagOf(widget("image_discard")), 1);
    EXPECT_FALSE(widget("image_idiscard")->isHidden());
    EXPECT_EQ(status(), "Choose a Card from your Hand to discard.");
    board->image_discardClick();
    EXPECT_EQ(boxes, QStringList{"You Cannot discard the discard you picked up."});
    EXPECT_EQ(ctx.sounds.last(), "invalid");
    board->image_drawClick();
    EXPECT_TRUE(ctx.frames.isEmpty());
    board->card19Click(7);
    frameIs(msg::replacediscard(1, 7));
    board->replaceadiscard(payloadOf(msg::replaceadiscard(1, 7, 16, 7)));
    EXPECT_EQ(pictureOf(board->card(1, 7)), 7);
    EXPECT_EQ(pictureOf(widget("image_discard")), 16);
    EXPECT_TRUE(widget("image_idiscard")->isHidden());
    EXPECT_EQ(status(), "You play the top discard.");
}

TEST_F(BoardTest, ThrownAwayDrawAndOtherSeatsMoves) {
    seat(1);
    startGame();
    dealAndFlip();
    board->label_playername(2)->setText("Bo");
    board->getnextplayer(payloadOf(msg::nextplayer(1, 0)));
    board->image_drawClick();
    board->drawacard(payloadOf(msg::drawacard(1, 30)));
    board->image_discardClick();
    frameIs(msg::discarddrawn(1));
    EXPECT_TRUE(widget("image_idiscard")->isHidden()) << "the discard is not taken";
    board->discardadrawn(payloadOf(msg::discardadrawn(1, 30)));
    EXPECT_EQ(pictureOf(widget("image_discard")), 30);
    EXPECT_EQ(widget("image_hand")->pos(), QPoint(288 + 34, 48 + 60));
    EXPECT_EQ(status(), "You discarded the drawn card.");

    // Another seat's draw is not shown to us; its move shows on its small grid.
    board->getnextplayer(payloadOf(msg::nextplayer(2, 0)));
    board->drawacard(payloadOf(msg::drawacard(2, 44)));
    EXPECT_TRUE(widget("image_idraw")->isHidden());
    board->replaceadiscard(payloadOf(msg::replaceadiscard(2, 3, 9, 30)));
    EXPECT_EQ(pictureOf(board->card(2, 3)), 30);
    EXPECT_EQ(widget("image_hand")->pos(), board->card(2, 3)->pos() + QPoint(4, 31));
    EXPECT_EQ(status(), "Bo played the top discard.");
    board->replaceadraw(payloadOf(msg::replaceadraw(2, 1, 5, 6)));
    EXPECT_EQ(status(), "Bo used the drawn card.");
    board->discardadrawn(payloadOf(msg::discardadrawn(2, 8)));
    EXPECT_EQ(status(), "Bo discarded the drawn card.");
}

TEST_F(BoardTest, ScoresBonusAndPenaltyPlacement) {
    seat(1);
    startGame();
    board->postscores(payloadOf(msg::postscores(2, 5, 12345, grid(1))));
    QLabel* score = board->label_score(2);
    QLabel* bonus = board->label_bonus(2);
    EXPECT_EQ(score->text(), "12345");
    EXPECT_EQ(bonus->text(), "+5");
    EXPECT_EQ(bonus->x(), score->x() + score->width() + 4);
    EXPECT_GE(score->width(), score->fontMetrics().horizontalAdvance("12345"));
    EXPECT_EQ(bonus->y(), 267);
    EXPECT_EQ(pictureOf(board->card(2, 9)), 9);
    EXPECT_EQ(status(), "Round is Over");
    EXPECT_EQ(ctx.sounds.last(), "roundover");

    board->penalty(payloadOf(msg::penalty(2, 7)));
    EXPECT_EQ(score->text(), "7");
    EXPECT_EQ(bonus->x(), score->x() + score->width() + 4);
    EXPECT_FALSE(board->image_penalty(2)->isHidden());

    board->postscores(payloadOf(msg::postscores(3, -2, -2, grid(40))));
    EXPECT_EQ(board->label_bonus(3)->text(), "-2");

    board->roundstarting(payloadOf(msg::roundstarting(2, 1)));
    EXPECT_TRUE(board->image_penalty(2)->isHidden());
    EXPECT_TRUE(bonus->text().isEmpty());
}

TEST_F(BoardTest, WinnerBannerForPlayerAndSpectator) {
    seat(1);
    ctx.st.ishost = true;
    board->label_playername(1)->setText("Anna");
    startGame();
    QSignalSpy recorded(board.get(), &Board::gameRecorded);
    board->winner("Anna+");
    EXPECT_EQ(named("label_winner1")->text(), "You have Won the Game!");
    EXPECT_EQ(named("label_winner2")->text(), "You have Won the Game!");
    EXPECT_FALSE(widget("panel_winner")->isHidden());
    EXPECT_FALSE(board->button_start()->isHidden());
    EXPECT_EQ(status(), "Game Over!");
    EXPECT_EQ(ctx.chat.last(), "0+You have Won the Game!");
    EXPECT_EQ(ctx.sounds.last(), "winner");
    ASSERT_EQ(recorded.size(), 1);
    EXPECT_EQ(recorded[0][0].toString(), "addtomine");
    board->winner("Klot+");
    EXPECT_EQ(recorded.last()[0].toString(), "Klot");

    seat(6);
    ctx.st.ishost = false;
    board->label_playername(1)->setText("Anna");
    QSignalSpy spectator(board.get(), &Board::gameRecorded);
    board->winner("Anna+");
    EXPECT_EQ(named("label_winner1")->text(), "Anna has Won the Game!");
    EXPECT_TRUE(board->button_start()->isHidden());
    EXPECT_TRUE(spectator.isEmpty());

    // The next game clears the banner.
    board->startthegame(payloadOf(msg::startgameNotice("Anna", 5, true, true)));
    EXPECT_TRUE(widget("panel_winner")->isHidden());
}

// Player names come from other people: markup in them is shown as typed, never interpreted.
TEST_F(BoardTest, NamesWithMarkupAreShownAsTyped) {
    seat(1);
    const QString name = QStringLiteral("<b>Bo</b><img src=x>");
    board->label_playername(2)->setText(name);
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
    board->getnextplayer(payloadOf(msg::nextplayer(2, 0)));
    shownAsTyped("label_status");
    board->winner(name + "+");
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
    board->gamestats(payloadOf(msg::gamestats(gs)));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 3 of 7");
    EXPECT_EQ(tagOf(board->label_roundnum()), 7);
    EXPECT_EQ(ctx.st.turnseat, 2);
    EXPECT_EQ(board->label_score(3)->text(), "30");
    EXPECT_FALSE(ctx.st.seatplaying[4]);
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
    board->gamestats(payloadOf(msg::gamestats(gs)));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 3 of 7");
    gs.slot = 6;
    gs.faceUp.clear();
    board->gamestats(payloadOf(msg::gamestats(gs)));
    EXPECT_EQ(board->label_roundnum()->text(), "Round: 4 of 7");
    EXPECT_EQ(pictureOf(board->card(1, 5)), 0);
}

// Everything a handler may touch, to show that a refused message touched nothing.
QStringList snapshot(const Board& b, const ClientState& st) {
    QStringList out;
    for (QWidget* w : b.findChildren<QWidget*>()) {
        QString line = w->objectName() + (w->isHidden() ? " hidden" : " shown") + " " +
                       w->property("Tag").toString() + " " + w->property("picture").toString() +
                       " " + QString::number(w->x()) + "," + QString::number(w->y());
        if (auto* l = qobject_cast<QLabel*>(w)) line += " " + l->text();
        out << line;
    }
    out << QString("%1 %2 %3 %4 %5")
               .arg(st.turnseat)
               .arg(st.flipsleft)
               .arg(st.seatplaying[1])
               .arg(st.seatplaying[3])
               .arg(st.seatplaying[4]);
    return out;
}

TEST_F(BoardTest, MalformedPayloadsChangeNothing) {
    seat(1);
    startGame();
    deal();
    board->getnextplayer(payloadOf(msg::nextplayer(2, 0)));
    const QStringList before = snapshot(*board, ctx.st);
    const int sounds = ctx.sounds.size();
    const std::pair<void (Board::*)(const QString&), const char*> bad[] = {
        {&Board::mycards, "1+1+5+2+x"},
        {&Board::mycards, "5+1+5"},
        {&Board::mycards, "1+10+5"},
        {&Board::mycards, "1+1+54"},
        {&Board::mycards, "1+0+-1"},
        {&Board::heflipped, "0+1+5+"},
        {&Board::heflipped, "1+9+99+"},
        {&Board::heflipped, "2+-3+5+"},
        {&Board::replaceadraw, "1+5+3+"},
        {&Board::replaceadraw, "9+5+3+4+"},
        {&Board::replaceadiscard, "1+5+x+4+"},
        {&Board::discardadrawn, "1+60+"},
        {&Board::drawacard, "1+abc+"},
        {&Board::postscores, "5+1+1"},
        {&Board::postscores, "2+1+1+1+1+12+2"},
        {&Board::penalty, "0+25+"},
        {&Board::penalty, "2+"},
        {&Board::getnextplayer, "7+0+"},
        {&Board::getnextplayer, "2+z+"},
        {&Board::roundstarting, "2+54+"},
        {&Board::roundstarting, "+3+"},
        {&Board::startthegame, "Anna+many+t+t+"},
        {&Board::gamestats, "1+5+2+9+3+0+0+0+0+0+0+0+0+0"},
        {&Board::gamestats, "1+5+2+1+3+0+0+0+0+0+0+2+10+5"},
        {&Board::gamestats, "1+5+2+1+3+0+0"},
        {&Board::gamestats, "1+5+2+1+3+0+0+0+0+0+0+1+1+99999999999"},
    };
    for (const auto& [handler, payload] : bad) {
        SCOPED_TRACE(payload);
        EXPECT_THROW((board.get()->*handler)(QString::fromLatin1(payload)), BadField);
        EXPECT_EQ(snapshot(*board, ctx.st), before);
    }
    EXPECT_EQ(ctx.sounds.size(), sounds);
    EXPECT_TRUE(ctx.frames.isEmpty());
}

TEST_F(BoardTest, OnlyTheBottomCardsAndThePilesReactToTheMouse) {
    seat(2);
    startGame();
    deal();
    QTest::mouseClick(board->card(3, 1), Qt::LeftButton); // a small grid
    EXPECT_TRUE(ctx.frames.isEmpty());
    QTest::mouseClick(board->card(2, 8), Qt::LeftButton);
    frameIs(msg::flipcard(2, 8));
    QTest::mouseClick(board->card(2, 2), Qt::RightButton);
    EXPECT_EQ(ctx.frames.size(), 1);
    board->getnextplayer(payloadOf(msg::nextplayer(2, 0)));
    QTest::mouseClick(widget("image_draw"), Qt::LeftButton);
    frameIs(msg::drawcard(2));
    board->drawacard(payloadOf(msg::drawacard(2, 5)));
    // The picked-up card overlaps the discard pile; a click on it counts for its pile.
    QTest::mouseClick(widget("image_idraw"), Qt::LeftButton);
    EXPECT_EQ(ctx.frames.size(), 2);
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
    board->button_start()->show();
    board->button_start()->click();
    EXPECT_EQ(start.size(), 1);
}

TEST_F(BoardTest, SpectatorClicksNeverSend) {
    seat(5);
    startGame();
    ctx.st.turnseat = 5; // even a stray turn value
    board->image_drawClick();
    board->image_discardClick();
    board->card19Click(1);
    EXPECT_TRUE(ctx.frames.isEmpty());
    EXPECT_EQ(tagOf(widget("image_discard")), 0);

    seat(0); // before the login
    board->image_discardClick();
    EXPECT_EQ(tagOf(widget("image_discard")), 0);
}

} // namespace
