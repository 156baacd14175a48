// A whole game's notices handed to a session with a computer player at its seat: the requests
// that go out, byte for byte, must stay what they were. The notices are fed one at a time and
// the player thinks after each one that changed the turn, as the event loop would let it.

// own
#include "bot/BotPlayer.h"
#include "data/WholeGame.h"
#include "session/ClientSession.h"

// Qt
#include <QCryptographicHash>

#include <gtest/gtest.h>

namespace pelvo {
namespace {

struct Transcript {
    QByteArray wire;
    QStringList outOfTurn; // moves asked for in a turn the host had not handed to the seat
};

Transcript playWholeGame() {
    ClientSession session;
    Transcript out;
    session.setTransport([&](const QByteArray& frame) {
        out.wire += frame + '\n';
        const bool move = frame.startsWith("CMD_drawcard") || frame.startsWith("CMD_replace") ||
                          frame.startsWith("CMD_discarddrawn");
        if (move && session.table().turnMarkerSeat != session.state().myseat)
            out.outOfTurn << QString::fromLatin1(frame);
        return true;
    });
    BotPlayer bot(session, 7);
    bool turned = false;
    QObject::connect(&session, &ClientSession::turnChanged, [&] { turned = true; });
    for (const QString& line : test::wholeGameNotices()) {
        session.handleLine(line);
        if (std::exchange(turned, false)) bot.act();
    }
    return out;
}

TEST(WireTranscript, AWholeGameSendsTheSameRequestsAndNoneOutOfTurn) {
    const Transcript t = playWholeGame();
    EXPECT_TRUE(t.outOfTurn.isEmpty()) << t.outOfTurn.join(u' ').toStdString();
    const std::string digest =
        QCryptographicHash::hash(t.wire, QCryptographicHash::Sha256).toHex().toStdString();
    EXPECT_EQ(digest, "1493aab897bb5f4019edbe5602b2331af2ae001642510704d55dbcabd64c770e")
        << QByteArray(t.wire).replace('\xff', "").constData();
}

} // namespace
} // namespace pelvo
