// The words a screen reader hears, built from the session's table alone: a scripted game fed as
// the host's notices, and the card and grid naming every sentence rests on.

// own
#include "protocol/Messages.h"
#include "session/Announcer.h"
#include "session/ClientSession.h"

// Qt
#include <QSet>

#include <gtest/gtest.h>

namespace pelvo {
namespace {

constexpr int sevenOfHearts = 2 * 13 + 7;
constexpr int queenOfSpades = 3 * 13 + 12;
constexpr int aceOfClubs = 1;
constexpr int kingOfDiamonds = 13 + 13;

class AnnouncerTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.setTransport([](const QByteArray&) { return true; });
        feed(msg::sendlogininfo(1));
        feed(msg::newplayerinfo(1, "Ann"));
        feed(msg::newplayerinfo(2, "Klot"));
        feed(msg::startgameNotice("Ann", 5, true, false));
        heard.clear();
    }
    void feed(const QByteArray& frame) {
        QByteArray body = frame;
        if (body.endsWith('\xff')) body.chop(1);
        ASSERT_EQ(session.handleLine(QString::fromUtf8(body)), CommandTable::Outcome::Handled)
            << body.constData();
    }
    // What was said since the last call.
    QStringList said() { return std::exchange(heard, {}); }

    ClientSession session;
    Announcer announcer{session};
    QStringList heard;
    QMetaObject::Connection listening = QObject::connect(
        &announcer, &Announcer::announced, [this](const QString& text) { heard << text; });
};

TEST_F(AnnouncerTest, AGameIsToldMoveByMove) {
    feed(msg::roundstarting(1, sevenOfHearts));
    EXPECT_EQ(said(), QStringList{"Round 1 of 5."});

    feed(msg::mycards(1, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(said(), QStringList{"Choose 2 cards to flip over."});
    feed(msg::heflipped(2, 9, aceOfClubs));
    EXPECT_EQ(said(), QStringList{"Klot turned up the ace of clubs in row 3 column 3."});

    feed(msg::nextplayer(2, 0));
    EXPECT_EQ(said(), QStringList{"Klot's turn."});
    // Klot takes the seven of hearts into row 1 column 2; a queen of spades lay there.
    feed(msg::replaceadiscard(2, 4, queenOfSpades, sevenOfHearts));
    EXPECT_EQ(said(), QStringList{"Klot took the 7 of hearts from the discard pile and put it in "
                                  "row 1 column 2; the queen of spades went to the discard pile."});

    // Klot has gone out: everybody hears it once, and every later turn is the last.
    feed(msg::nextplayer(1, 2));
    EXPECT_EQ(said(), QStringList{"Klot went out. Your turn. Last turn."});
    EXPECT_EQ(session.table().status, "Your Turn. Last turn.");
    session.drawFromPile();
    feed(msg::drawacard(1, kingOfDiamonds));
    EXPECT_EQ(said(),
              QStringList{"You drew the king of diamonds. Put it in your grid, or throw it away."});
    feed(msg::replaceadraw(1, 3, 5, kingOfDiamonds));
    EXPECT_EQ(said(), QStringList{"You took the king of diamonds from the draw pile and put it in "
                                  "row 3 column 1; the 5 of clubs went to the discard pile."});

    feed(msg::nextplayer(2, 2));
    EXPECT_EQ(said(), QStringList{"Klot's turn. Last turn."});
    EXPECT_EQ(session.table().status, "Klot's turn. Last turn.");
    feed(msg::discardadrawn(2, aceOfClubs));
    EXPECT_EQ(said(), QStringList{"Klot drew the ace of clubs and threw it on the discard pile."});

    // The round's results are told once, when the penalty is in: its total is the label's.
    feed(msg::postscores(1, 5, 5, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    feed(msg::postscores(2, 12, 12, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    feed(msg::postscores(3, 20, 20, {1, 2, 3, 4, 5, 6, 7, 8, 9}));
    EXPECT_EQ(said(), QStringList{});
    feed(msg::penalty(2, 37));
    EXPECT_EQ(said(), QStringList{"Round 1 of 5 is over. Klot went out but you scored lower: +25. "
                                  "You scored 5 this round, 5 in all. Klot scored 12 this round "
                                  "plus a penalty of 25, 37 in all. Klick scored 20 this round, "
                                  "20 in all."});
    feed(msg::roundstarting(2, sevenOfHearts));
    EXPECT_EQ(said(), QStringList{"Round 2 of 5."});
    feed(msg::winner("Klot"));
    EXPECT_EQ(said(), QStringList{"Klot has Won the Game!"});
    EXPECT_EQ(announcer.text(), "Klot has Won the Game!");
}

TEST(Speech, CardsAndCellsHaveOneNameEach) {
    QSet<QString> names;
    for (int code = 0; code <= 53; ++code) names.insert(speech::cardName(code));
    EXPECT_EQ(names.size(), 54) << "two cards read alike";
    EXPECT_EQ(speech::cardName(aceOfClubs), "ace of clubs");
    EXPECT_EQ(speech::cardName(0), "face down");
    EXPECT_EQ(speech::cardName(53), "joker");
    EXPECT_TRUE(speech::cardName(-1).isEmpty());
    EXPECT_TRUE(speech::cardName(54).isEmpty());

    // Positions run down the columns; every cell is named once and maps back.
    QSet<QString> cells;
    for (int g = 1; g <= GridSize; ++g) {
        cells.insert(speech::cellName(g));
        EXPECT_EQ(speech::positionAt(speech::rowOf(g), speech::columnOf(g)), g);
    }
    EXPECT_EQ(cells.size(), GridSize);
    EXPECT_EQ(speech::cellName(2), "row 2 column 1");
    EXPECT_EQ(speech::cellName(8), "row 2 column 3");

    TableModel t;
    t.seats[2].occupant = Occupant::Player;
    t.seats[2].playerName = "Klot";
    t.seats[1].cards[8].picture = sevenOfHearts;
    t.seats[2].cards[1].picture = 0;
    EXPECT_EQ(speech::cellDescription(t, 1, 8, 1), "Your card, row 2 column 3: 7 of hearts");
    EXPECT_EQ(speech::cellDescription(t, 2, 1, 1), "Klot's card, row 1 column 1: face down");
}

} // namespace
} // namespace pelvo
