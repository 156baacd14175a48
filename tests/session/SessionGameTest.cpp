// Whole games with the session alone: no window, a real table host on loopback, and the
// computer players' rules playing the client's seat through the session's intents.

// own
#include "bot/BotPlayer.h"
#include "support/SessionEdit.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "protocol/Ports.h"
#include "session/ClientSession.h"
#include "support/TestEnv.h"

// Qt
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSignalSpy>

#include <gtest/gtest.h>

namespace pelvo {
namespace {

template <typename Pred> bool waitFor(Pred done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

// What a player may see at any moment: cards of other seats only face down or as the host
// showed them, never a code the client was not sent; the own grid's codes are its deal.
void expectPlausible(const ClientSession& s) {
    const TableModel& t = s.table();
    for (int seat = 1; seat <= TableSeats; ++seat)
        for (int g = 1; g <= GridSize; ++g) {
            const CardView& c = t.seats[std::size_t(seat)].cards[std::size_t(g)];
            ASSERT_GE(c.picture, -1);
            ASSERT_LE(c.picture, 53);
            if (seat != s.state().myseat) {
                ASSERT_EQ(c.code, 0) << "a hidden card reached us";
            }
        }
}

class SessionGameTest : public ::testing::Test {
protected:
    void SetUp() override {
        port = test::freePort();
        qputenv("PELVO_PORT", QByteArray::number(port));
        server = std::make_unique<TServer>(TServer::Options{.windowless = true});
        server->botSpeed = [] { return 2; };
        server->seed(20261208);
        server->Sock1->setListen(true);
    }
    void TearDown() override { qunsetenv("PELVO_PORT"); }

    quint16 port = 0;
    std::unique_ptr<TServer> server;
};

TEST_F(SessionGameTest, AWindowlessSessionPlaysAWholeGameToTheWinner) {
    ClientSession session;
    session.setPlayer("Anna", "127.0.0.1");
    BotPlayer bot(session, 7);
    QSignalSpy recorded(&session, &ClientSession::gameRecorded);
    QStringList sounds;
    QObject::connect(&session, &ClientSession::sound, [&](const QString& s) { sounds << s; });
    int changes = 0;
    bool plausible = true;
    QObject::connect(&session, &ClientSession::tableChanged, [&] {
        ++changes;
        if (changes % 7 == 0) {
            expectPlausible(session);
            plausible = plausible && !::testing::Test::HasFailure();
        }
    });

    session.connectToHost("127.0.0.1", "Anna");
    ASSERT_TRUE(
        waitFor([&] { return session.table().seats[1].occupant == Occupant::Player; }, 5000));
    EXPECT_EQ(session.state().myseat, 1);
    EXPECT_TRUE(session.state().connected);
    EXPECT_EQ(session.table().seats[1].caption(), "Anna");

    session.startGame("Anna", "3", 1, 1);
    ASSERT_TRUE(waitFor([&] { return !session.table().winnerText.isEmpty(); }, 60000))
        << "status: " << session.table().status.toStdString();
    EXPECT_TRUE(plausible);

    const TableModel& t = session.table();
    EXPECT_EQ(t.status, "Game Over!");
    EXPECT_EQ(t.round, 3);
    EXPECT_EQ(t.rounds, 3);
    for (int s = 2; s <= 4; ++s) EXPECT_EQ(t.seats[std::size_t(s)].occupant, Occupant::Computer);
    // Every card of the last round was shown face up when the scores were posted.
    for (int s = 1; s <= 4; ++s)
        for (int g = 1; g <= 9; ++g)
            EXPECT_GT(t.seats[std::size_t(s)].cards[std::size_t(g)].picture, 0);
    // The winner is the seat with the lowest total, as the scores said.
    int lowest = 1;
    for (int s = 2; s <= 4; ++s)
        if (t.seats[std::size_t(s)].score < t.seats[std::size_t(lowest)].score) lowest = s;
    // Named as its seat's label names it, seat 3's computer ("Klick") included.
    const QString winnerName =
        lowest == 1 ? QString("You have") : t.seats[std::size_t(lowest)].caption();
    EXPECT_TRUE(t.winnerText.startsWith(winnerName + " ")) << t.winnerText.toStdString();
    ASSERT_EQ(recorded.size(), 1);
    EXPECT_EQ(recorded[0][0].toString(),
              lowest == 1 ? QString("addtomine") : t.seats[std::size_t(lowest)].caption());
    EXPECT_TRUE(sounds.contains("flip"));
    EXPECT_TRUE(sounds.contains("roundover"));
    EXPECT_EQ(sounds.last(), "winner");

    QStringList chat;
    for (const ChatLine& line : session.chat().lines()) chat << line.text;
    EXPECT_TRUE(chat.contains("You are Connected."));
    EXPECT_TRUE(chat.contains("Anna has started a game."));
    EXPECT_EQ(chat.last(), t.winnerText);
}

TEST_F(SessionGameTest, TheSessionFollowsTheHostThroughALostConnection) {
    ClientSession session;
    QSignalSpy closed(&session, &ClientSession::closeRequested);
    session.connectToHost("127.0.0.1", "Bo");
    ASSERT_TRUE(waitFor([&] { return session.state().connected; }, 5000));
    server->closeAll();
    ASSERT_TRUE(waitFor([&] { return closed.size() == 1; }, 5000));
    EXPECT_TRUE(session.connection().received().isEmpty());
}

} // namespace
} // namespace pelvo
