// The wait between two phrases is the session's rule: any caller, not only the phrase buttons,
// gets one phrase out per cool-down, and a phrase that could not go out starts no wait.

// own
#include "session/ClientSession.h"

// Qt
#include <QTest>

#include <gtest/gtest.h>

namespace pelvo {
namespace {

TEST(PhraseCooldown, OnePhrasePerCooldownWhoeverAsks) {
    ClientSession session;
    QList<QByteArray> frames;
    bool accepts = false;
    session.setTransport([&](const QByteArray& frame) {
        if (accepts) frames << frame;
        return accepts;
    });
    session.setPhraseCooldown(50);

    EXPECT_FALSE(session.sendPhrase("Hi")) << "nothing went out";
    EXPECT_TRUE(session.phraseReady()) << "a refused phrase starts no wait";
    accepts = true;
    EXPECT_TRUE(session.sendPhrase("Hi"));
    EXPECT_FALSE(session.sendPhrase("Hi again"));
    EXPECT_FALSE(session.phraseReady());
    EXPECT_EQ(frames.size(), 1);

    ASSERT_TRUE(QTest::qWaitFor([&] { return session.phraseReady(); }, 5000));
    EXPECT_TRUE(session.sendPhrase("/me waves"));
    ASSERT_EQ(frames.size(), 2);
    EXPECT_TRUE(frames[1].startsWith("CMD_action+0+waves|"));
}

} // namespace
} // namespace pelvo
