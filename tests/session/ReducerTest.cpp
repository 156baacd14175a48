// The session's rules as plain functions: notices and intents fed straight into the reducer,
// with no session object, socket or event loop. What goes out, what is heard and what the
// model holds are checked together along one round.

// own
#include "protocol/Fields.h"
#include "protocol/Messages.h"
#include "session/reduce/Reducer.h"

#include <gtest/gtest.h>

namespace pelvo {
namespace {

using notice::Placed;

QList<Placed> grid(int firstCode) {
    QList<Placed> cards;
    for (int p = 1; p <= GridSize; ++p) cards << Placed{p, firstCode + p - 1};
    return cards;
}

struct ReducerTest : ::testing::Test {
    SessionModel m;
    Settings settings;

    template <class Notice> Effects feed(const Notice& n) { return reduce::apply(m, n, settings); }
    // Seated at 1 as Ann, Klot at 2, a game of 3 rounds with seat 3 and 4 left out.
    void seatAndStart() {
        feed(notice::SendLoginInfo{1});
        feed(notice::PlayerInfo{1, "Ann"});
        feed(notice::PlayerInfo{2, "Klot"});
        feed(notice::StartGame{"Ann", 3, false, false});
    }
};

TEST_F(ReducerTest, ARoundFromLoginToWinnerWithEveryEffect) {
    Effects e = feed(notice::SendLoginInfo{1});
    EXPECT_EQ(e.login, 1) << "the seat's arrival sends the login";
    EXPECT_TRUE(m.state.connected);
    e = feed(notice::PlayerInfo{1, "Ann"});
    EXPECT_TRUE(e.joined);
    EXPECT_TRUE(e.ownLoginSeen);
    ASSERT_EQ(e.lines.size(), 1u);
    EXPECT_EQ(e.lines[0].text, "You are Connected.");
    EXPECT_EQ(e.lines[0].kind, ChatLine::Kind::System);
    EXPECT_EQ(e.sounds, QStringList{"entered"});
    feed(notice::PlayerInfo{2, "Klot"});
    e = feed(notice::StartGame{"Ann", 3, false, false});
    EXPECT_EQ(e.token, Effects::Token::Keep);
    EXPECT_TRUE(m.gameRunning());
    EXPECT_TRUE(m.table.seats[3].sittingOut);

    e = feed(notice::RoundStarting{1, 5});
    EXPECT_EQ(e.roundStarted, 1);
    EXPECT_EQ(e.announcements, QStringList{"Round 1 of 3."});
    e = feed(notice::MyCards{1, grid(1)});
    EXPECT_EQ(e.announcements, QStringList{"Choose 2 cards to flip over."});
    EXPECT_EQ(e.sounds, QStringList{"flip"});

    // Two flips go out; the same card twice and a third card do not.
    EXPECT_EQ(reduce::chooseCell(m, 4).frames, QList<QByteArray>{msg::flipcard(1, 4)});
    EXPECT_TRUE(reduce::chooseCell(m, 4).frames.isEmpty());
    EXPECT_EQ(reduce::chooseCell(m, 9).frames, QList<QByteArray>{msg::flipcard(1, 9)});
    EXPECT_TRUE(reduce::chooseCell(m, 1).frames.isEmpty());
    e = feed(notice::HeFlipped{2, 1, 1});
    EXPECT_EQ(e.announcements, QStringList{"Klot turned up the ace of clubs in row 1 column 1."});
    EXPECT_TRUE(e.cards.test(2));

    // Not our turn: nothing goes out.
    feed(notice::NextPlayer{2, 0});
    EXPECT_TRUE(reduce::drawFromPile(m).frames.isEmpty());
    e = reduce::replacedDiscard(m, {2, 4, 12, 5});
    ASSERT_TRUE(e.move);
    EXPECT_EQ(e.move->kind, MoveKind::TookDiscard);
    EXPECT_EQ(e.move->seat, 2);
    EXPECT_EQ(m.table.status, "Klot played the top discard.");

    settings.turnSound = 1;
    e = feed(notice::NextPlayer{1, 2});
    EXPECT_EQ(e.sounds, QStringList{"lastturn"}) << "the last turn has its own sound";
    EXPECT_EQ(e.announcements, (QStringList{"Klot went out.", "Your turn. Last turn."}));
    EXPECT_EQ(reduce::drawFromPile(m).frames, QList<QByteArray>{msg::drawcard(1)});
    feed(notice::DrawACard{1, 26});
    EXPECT_EQ(reduce::chooseCell(m, 3).frames, QList<QByteArray>{msg::replacedraw(1, 3)});
    e = reduce::replacedDraw(m, {1, 3, 3, 26});
    EXPECT_EQ(e.announcements,
              QStringList{"You took the king of diamonds from the draw pile and put it in row 3 "
                          "column 1; the 3 of clubs went to the discard pile."});
    EXPECT_EQ(m.table.turnSeat, 0) << "no second move before the host hands out the next turn";
    EXPECT_TRUE(reduce::chooseCell(m, 5).frames.isEmpty());

    e = feed(notice::PostScores{2, 12, 40, grid(20)});
    EXPECT_EQ(e.scored, 2);
    EXPECT_EQ(e.sounds, QStringList{"roundover"});
    e = feed(notice::Winner{"Ann"});
    EXPECT_EQ(e.recorded, "addtomine");
    EXPECT_EQ(e.token, Effects::Token::Unstore);
    EXPECT_TRUE(e.gameOver);
    EXPECT_EQ(m.table.winnerText, "You have Won the Game!");
    EXPECT_FALSE(m.gameRunning());
}

TEST_F(ReducerTest, PickingUpTheDiscardTwiceIsRefusedWithAMessage) {
    seatAndStart();
    feed(notice::RoundStarting{1, 7});
    feed(notice::NextPlayer{1, 0});
    Effects e = reduce::pickDiscard(m);
    EXPECT_TRUE(e.frames.isEmpty()) << "picking up is shown before a card is chosen";
    EXPECT_TRUE(m.table.discardInHand);
    EXPECT_EQ(e.announcements.size(), 1);
    e = reduce::pickDiscard(m);
    EXPECT_EQ(e.messages, QStringList{"You Cannot discard the discard you picked up."});
    EXPECT_EQ(e.sounds, QStringList{"invalid"});
    EXPECT_EQ(reduce::chooseCell(m, 2).frames, QList<QByteArray>{msg::replacediscard(1, 2)});
}

// What each click may ask for in each phase of a turn, and what the model says meanwhile.
TEST_F(ReducerTest, AClickAsksOnlyForWhatTheTurnAllows) {
    using Frames = QList<QByteArray>;
    seatAndStart();
    feed(notice::RoundStarting{1, 7});
    // Only two cards dealt: an undealt card cannot be flipped and keeps both flips.
    feed(notice::MyCards{1, {{1, 5}, {2, 6}}});
    EXPECT_TRUE(reduce::chooseCell(m, 3).frames.isEmpty());
    EXPECT_EQ(m.table.flipsLeft, 2);
    feed(notice::MyCards{1, grid(10)});
    reduce::chooseCell(m, 1);
    reduce::chooseCell(m, 2);

    // Another seat's turn: piles closed, nothing goes out, its drawn card stays hidden.
    feed(notice::NextPlayer{2, 0});
    EXPECT_EQ(m.table.drawPick, Pick::Closed);
    EXPECT_TRUE(reduce::drawFromPile(m).frames.isEmpty());
    EXPECT_TRUE(reduce::pickDiscard(m).frames.isEmpty());
    EXPECT_EQ(m.table.discardPick, Pick::Closed);
    feed(notice::DrawACard{2, 44});
    EXPECT_FALSE(m.table.drawInHand);
    feed(notice::DiscardADrawn{2, 44});
    EXPECT_EQ(m.table.status, "Klot discarded the drawn card.");

    // The own turn: the turn sound follows the setting.
    EXPECT_EQ(feed(notice::NextPlayer{1, 0}).sounds, QStringList{"turn"});
    settings.turnSound = 1;
    EXPECT_EQ(feed(notice::NextPlayer{1, 0}).sounds, QStringList{"turnnew"});
    EXPECT_EQ(m.table.drawPick, Pick::Open);
    EXPECT_EQ(m.table.status, "Your Turn.");

    // A drawn card in the hand: no second draw; the discard pile throws it away instead of
    // being taken.
    EXPECT_EQ(reduce::drawFromPile(m).frames, Frames{msg::drawcard(1)});
    feed(notice::DrawACard{1, 30});
    EXPECT_EQ(m.table.status, "Choose to Keep or Discard.");
    EXPECT_TRUE(reduce::drawFromPile(m).frames.isEmpty());
    EXPECT_EQ(reduce::pickDiscard(m).frames, Frames{msg::discarddrawn(1)});
    EXPECT_FALSE(m.table.discardInHand);
    feed(notice::DiscardADrawn{1, 30});
    EXPECT_EQ(m.table.status, "You discarded the drawn card.");
    EXPECT_EQ(m.table.discardPicture, 30);

    // The top discard picked up: no draw on top of it.
    feed(notice::NextPlayer{1, 0});
    reduce::pickDiscard(m);
    EXPECT_TRUE(reduce::drawFromPile(m).frames.isEmpty());
    EXPECT_EQ(reduce::chooseCell(m, 7).frames, Frames{msg::replacediscard(1, 7)});
    reduce::replacedDiscard(m, {1, 7, 16, 30});
    EXPECT_EQ(m.table.status, "You play the top discard.");

    // Without a connection nothing goes out, even on the own turn.
    feed(notice::NextPlayer{1, 0});
    m.state.connected = false;
    EXPECT_TRUE(reduce::drawFromPile(m).frames.isEmpty());
    EXPECT_TRUE(reduce::chooseCell(m, 1).frames.isEmpty());
}

TEST_F(ReducerTest, RejectedNoticesLeaveTheModelAsItWas) {
    seatAndStart();
    const SessionModel before = m;
    EXPECT_THROW(feed(notice::SendLoginInfo{10}), BadField);
    EXPECT_EQ(m.state.myseat, before.state.myseat);
    // Another seat's deal and a late joiner's snapshot for someone else change nothing here.
    EXPECT_TRUE(feed(notice::DrawACard{2, 5}).announcements.isEmpty());
    notice::GameStats forBo;
    forBo.addressee = 2;
    EXPECT_FALSE(feed(forBo).table);
    EXPECT_EQ(m.table.status, before.table.status);
}

TEST_F(ReducerTest, ARemovedPlayerLeavesSilentlyAndTheSeatIsForgotten) {
    seatAndStart();
    feed(notice::PlayerRemoved{2});
    Effects e = reduce::disconnected(m, {2, "Klot"});
    EXPECT_TRUE(e.lines.empty()) << "the host's own line told of the removal";
    EXPECT_EQ(m.table.seats[2].occupant, Occupant::Computer);
    e = feed(notice::Removed{});
    EXPECT_EQ(e.token, Effects::Token::Drop);
    EXPECT_EQ(m.ending, SessionModel::Ending::Removed);
}

TEST_F(ReducerTest, TheLostConnectionStopsMovesUntilTheSeatIsBack) {
    seatAndStart();
    feed(notice::RoundStarting{1, 7});
    feed(notice::NextPlayer{1, 0});
    reduce::connectionLost(m);
    EXPECT_TRUE(reduce::drawFromPile(m).frames.isEmpty());
    EXPECT_TRUE(m.reconnected);
    // History lines the host replays are shown already.
    EXPECT_TRUE(feed(notice::ChatHistoryLine{false, {2, "Klot chats: hi", 0}}).lines.empty());
}

} // namespace
} // namespace pelvo
