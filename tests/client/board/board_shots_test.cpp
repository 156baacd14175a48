// Pictures of the board in the states a game goes through, for a person to look at.
// Written only when PELVO_SHOT_DIR names a folder.

#include "client/board/Board.h"
#include "support/SessionEdit.h"

#include "protocol/Messages.h"
#include "session/ClientSession.h"

#include <QDir>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

TEST(BoardShots, GameStates) {
    const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (dir.isEmpty()) GTEST_SKIP() << "set PELVO_SHOT_DIR to write the pictures";
    QDir().mkpath(dir);
    ClientSession session;
    session.setTransport([](const QByteArray&) { return true; });
    Board board(session);
    const auto feed = [&](QByteArray frame) {
        if (frame.endsWith('\xff')) frame.chop(1);
        EXPECT_EQ(session.handleLine(QString::fromUtf8(frame)), CommandTable::Outcome::Handled)
            << frame.constData();
    };
    feed(msg::sendlogininfo(1));
    test::edit(session)->ishost = true;
    feed(msg::newplayerinfo(1, "Anna"));
    feed(msg::newplayerinfo(3, "Bartholomew"));
    session.setStartShown(true);
    const auto save = [&](const char* name) {
        EXPECT_TRUE(board.grab().save(dir + "/board-" + name + ".png")) << name;
    };
    save("empty");

    feed(msg::startgameNotice("Anna", 5, true, true));
    feed(msg::roundstarting(1, 37));
    feed(msg::mycards(1, {5, 18, 31, 44, 53, 12, 25, 38, 51}));
    feed(msg::heflipped(2, 1, 13));
    feed(msg::heflipped(2, 6, 22));
    feed(msg::heflipped(3, 4, 40));
    board.card19Click(1);
    feed(msg::heflipped(1, 1, 5));
    save("flip");

    board.card19Click(5);
    feed(msg::heflipped(1, 5, 53));
    feed(msg::heflipped(3, 8, 11));
    feed(msg::heflipped(4, 2, 26));
    feed(msg::heflipped(4, 9, 1));
    feed(msg::nextplayer(2, 0));
    feed(msg::replaceadiscard(2, 3, 9, 37));
    feed(msg::nextplayer(1, 0));
    board.image_drawClick();
    feed(msg::drawacard(1, 12));
    save("turn");

    board.card19Click(9);
    feed(msg::replaceadraw(1, 9, 51, 12));
    save("moved");
    feed(msg::postscores(1, 32, 32, {5, 18, 31, 44, 53, 12, 25, 38, 12}));
    feed(msg::postscores(2, 7, 7, {13, 2, 37, 4, 5, 22, 7, 8, 9}));
    feed(msg::postscores(3, 104, 104, {1, 14, 27, 40, 41, 42, 11, 11, 11}));
    feed(msg::postscores(4, -2, -2, {53, 26, 53, 13, 26, 39, 52, 1, 1}));
    feed(msg::penalty(3, 129));
    save("scores");

    feed(msg::winner("Bartholomew"));
    save("winner");
}

} // namespace
