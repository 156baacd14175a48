#include "protocol/Messages.h"

#include <gtest/gtest.h>

using namespace pelvo;

namespace {
// Expected bytes: '|' stands for the 0xFF terminator.
QByteArray wire(const char* text) {
    QByteArray b(text);
    b.replace('|', '\xFF');
    return b;
}
const msg::Grid grid{1, 2, 3, 4, 5, 6, 7, 8, 53};
} // namespace

TEST(Messages, RequestsHaveExactBytes) {
    EXPECT_EQ(msg::logininfo(3, "1.0.1", "Anna"), wire("CMD_logininfo+3+1.0.1+Anna||"));
    EXPECT_EQ(msg::kickhim(1, 6), wire("CMD_kickhim+1+6+|"));
    EXPECT_EQ(msg::chat(2, "a+b", "clRed"), QByteArray("CMD_chat+2+a+b|clRed\xFF"));
    EXPECT_EQ(msg::action(2, "says: hi", "$00FF8000"),
              QByteArray("CMD_action+2+says: hi|$00FF8000\xFF"));
    EXPECT_EQ(msg::playasound(4, 13), wire("CMD_playasound+4+wave13+|"));
    EXPECT_EQ(msg::startgame("You", "5", 1, 1), wire("CMD_startgame+You+5+1+1+|"));
    EXPECT_EQ(msg::justwatch(3, 1), wire("CMD_justwatch+3+1|"));
    EXPECT_EQ(msg::flipcard(2, 9), wire("CMD_flipcard+2+9+|"));
    EXPECT_EQ(msg::drawcard(2), wire("CMD_drawcard+2+|"));
    EXPECT_EQ(msg::replacedraw(2, 4), wire("CMD_replacedraw+2+4+|"));
    EXPECT_EQ(msg::discarddrawn(2), wire("CMD_discarddrawn+2+|"));
    EXPECT_EQ(msg::replacediscard(2, 1), wire("CMD_replacediscard+2+1+|"));
}

TEST(Messages, NoticesHaveExactBytes) {
    EXPECT_EQ(msg::sendlogininfo(2), wire("CMD_sendlogininfo+2|"));
    EXPECT_EQ(msg::full(), wire("CMD_full+|"));
    EXPECT_EQ(msg::full().size(), 10);
    EXPECT_EQ(msg::newplayerinfo(5, "Bo+Jo"), wire("CMD_newplayerinfo+5+Bo+Jo|"));
    EXPECT_EQ(msg::existingplayers(1, "Anna"), wire("CMD_existingplayers+1+Anna|"));
    EXPECT_EQ(msg::havewrongversion("Bo"), wire("CMD_havewrongversion+Bo|"));
    EXPECT_EQ(msg::wrongversion(), wire("CMD_wrongversion+|"));
    EXPECT_EQ(msg::playerdisconnected(3, "Cy"), wire("CMD_playerdisconnected+3+Cy|"));
    EXPECT_EQ(msg::justwatching(3, "2"), wire("CMD_justwatching+3+2|"));
    EXPECT_EQ(msg::playasoundRelay("2", "wave4+"), wire("CMD_playasound+2+wave4+|"));
    EXPECT_EQ(msg::actionRelay("2", "Anna", "waves|clRed"),
              QByteArray("CMD_action+2+Anna waves|clRed\xFF"));
    EXPECT_EQ(msg::chatRelay("2", "Anna", "a+b"), wire("CMD_chat+2+Anna chats: a+b|"));
    EXPECT_EQ(msg::startgameNotice("You", 5, true, false), wire("CMD_startgame+You+5+t+f+|"));
    EXPECT_EQ(msg::roundstarting(1, 53), wire("CMD_roundstarting+1+53+|"));
    EXPECT_EQ(msg::mycards(2, grid), wire("CMD_mycards+2+1+1+2+2+3+3+4+4+5+5+6+6+7+7+8+8+9+53|"));
    EXPECT_EQ(msg::heflipped(1, 5, 12), wire("CMD_heflipped+1+5+12+|"));
    EXPECT_EQ(msg::nextplayer(3, 0), wire("CMD_nextplayer+3+0+|"));
    EXPECT_EQ(msg::drawacard(3, 40), wire("CMD_drawacard+3+40+|"));
    EXPECT_EQ(msg::replaceadraw(3, 2, 7, 40), wire("CMD_replaceadraw+3+2+7+40+|"));
    EXPECT_EQ(msg::discardadrawn(3, 40), wire("CMD_discardadrawn+3+40+|"));
    EXPECT_EQ(msg::replaceadiscard(3, 2, 7, 40), wire("CMD_replaceadiscard+3+2+7+40+|"));
    EXPECT_EQ(msg::postscores(1, -4, 20, grid),
              wire("CMD_postscores+1+-4+20+1+1+2+2+3+3+4+4+5+5+6+6+7+7+8+8+9+53|"));
    EXPECT_EQ(msg::penalty(2, 45), wire("CMD_penalty+2+45+|"));
    EXPECT_EQ(msg::winner("Klot"), wire("CMD_winner+Klot+|"));
}

TEST(Messages, GameStatsSnapshot) {
    msg::GameStats s;
    s.slot = 5;
    s.roundsToPlay = 5;
    s.roundNumber = 2;
    s.currentPlayer = 3;
    s.discardTop = 12;
    s.totals = {10, 20, 30, 40};
    s.seat4Out = true;
    EXPECT_EQ(msg::gamestats(s), wire("CMD_gamestats+5+5+2+3+12+10+20+30+40+0+1+0+0+0|"));
    s.faceUp = {{1, 2, 33}, {3, 9, 53}};
    EXPECT_EQ(msg::gamestats(s), wire("CMD_gamestats+5+5+2+3+12+10+20+30+40+0+1+1+2+33+3+9+53|"));
}
