// Pictures of the board in the states a game goes through, for a person to look at.
// Written only when PELVO_SHOT_DIR names a folder.

#include "client/board/Board.h"
#include "client/board/FakeContext.h"

#include "protocol/Messages.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>

#include <gtest/gtest.h>

using namespace pelvo;
using pelvo::test::payloadOf;

namespace {

TEST(BoardShots, GameStates) {
    const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set PELVO_SHOT_DIR to write the pictures";
    QDir().mkpath(dir);
    pelvo::test::FakeContext ctx;
    ctx.st.myseat = 1;
    ctx.st.connected = true;
    ctx.st.ishost = true;
    Board board(ctx);
    board.setMessageBox([](const QString&) {});
    board.sortstuff(1);
    board.label_playername(1)->setText("Anna");
    board.label_playername(3)->setText("Bartholomew");
    board.button_start()->show();
    const auto save = [&](const char* name) {
        EXPECT_TRUE(board.grab().save(dir + "/board-" + name + ".png")) << name;
    };
    save("empty");

    board.startthegame(payloadOf(msg::startgameNotice("Anna", 5, true, true)));
    board.roundstarting(payloadOf(msg::roundstarting(1, 37)));
    board.mycards(payloadOf(msg::mycards(1, {5, 18, 31, 44, 53, 12, 25, 38, 51})));
    board.heflipped(payloadOf(msg::heflipped(2, 1, 13)));
    board.heflipped(payloadOf(msg::heflipped(2, 6, 22)));
    board.heflipped(payloadOf(msg::heflipped(3, 4, 40)));
    board.card19Click(1);
    board.heflipped(payloadOf(msg::heflipped(1, 1, 5)));
    save("flip");

    board.card19Click(5);
    board.heflipped(payloadOf(msg::heflipped(1, 5, 53)));
    board.heflipped(payloadOf(msg::heflipped(3, 8, 11)));
    board.heflipped(payloadOf(msg::heflipped(4, 2, 26)));
    board.heflipped(payloadOf(msg::heflipped(4, 9, 1)));
    board.getnextplayer(payloadOf(msg::nextplayer(2, 0)));
    board.replaceadiscard(payloadOf(msg::replaceadiscard(2, 3, 9, 37)));
    board.getnextplayer(payloadOf(msg::nextplayer(1, 0)));
    board.image_drawClick();
    board.drawacard(payloadOf(msg::drawacard(1, 12)));
    save("turn");

    board.card19Click(9);
    board.replaceadraw(payloadOf(msg::replaceadraw(1, 9, 51, 12)));
    save("moved");
    board.postscores(payloadOf(msg::postscores(1, 32, 32, {5, 18, 31, 44, 53, 12, 25, 38, 12})));
    board.postscores(payloadOf(msg::postscores(2, 7, 7, {13, 2, 37, 4, 5, 22, 7, 8, 9})));
    board.postscores(payloadOf(msg::postscores(3, 104, 104, {1, 14, 27, 40, 41, 42, 11, 11, 11})));
    board.postscores(payloadOf(msg::postscores(4, -2, -2, {53, 26, 53, 13, 26, 39, 52, 1, 1})));
    board.penalty(payloadOf(msg::penalty(3, 129)));
    save("scores");

    board.winner(payloadOf(msg::winner("Bartholomew")));
    save("winner");
}

} // namespace
