// A whole game's notices handed to a session with a computer player at its seat: the requests
// that go out, byte for byte, must stay what they were. The notices are fed one at a time and
// the player thinks after each one that changed the table, as the event loop would let it.

// own
#include "bot/BotPlayer.h"
#include "data/WholeGame.h"
#include "session/ClientSession.h"

// Qt
#include <QCryptographicHash>

#include <gtest/gtest.h>

namespace pelvo {
namespace {

QByteArray playWholeGame() {
    ClientSession session;
    QByteArray wire;
    session.setTransport([&](const QByteArray& frame) {
        wire += frame + '\n';
        return true;
    });
    BotPlayer bot(session, 7);
    bool changed = false;
    QObject::connect(&session, &ClientSession::tableChanged, [&] { changed = true; });
    for (const QString& line : test::wholeGameNotices()) {
        session.handleLine(line);
        if (std::exchange(changed, false)) bot.act();
    }
    return wire;
}

TEST(WireTranscript, AWholeGameSendsTheSameRequests) {
    const QByteArray wire = playWholeGame();
    const std::string digest =
        QCryptographicHash::hash(wire, QCryptographicHash::Sha256).toHex().toStdString();
    EXPECT_EQ(digest, "6c3f986e70029deaa5ecc84612468091725be41af659da4f3193981b59f4a788")
        << QByteArray(wire).replace('\xff', "").constData();
}

} // namespace
} // namespace pelvo
