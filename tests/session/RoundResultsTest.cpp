// Round results from the host's notices alone: when a round's results are complete and told
// (once), what a penalty's reason says, and the score sheet of a client that came late, came
// back, or sat through a tie that would not end.

// own
#include "protocol/Messages.h"
#include "session/ClientSession.h"
#include "session/RoundResults.h"

#include <gtest/gtest.h>

// std
#include <algorithm>

namespace pelvo {
namespace {

class RoundResultsTest : public ::testing::Test {
protected:
    void SetUp() override {
        session.setTransport([](const QByteArray&) { return true; });
    }
    void feed(const QByteArray& frame) {
        QByteArray body = frame;
        if (body.endsWith('\xff')) body.chop(1);
        ASSERT_EQ(session.handleLine(QString::fromUtf8(body)), CommandTable::Outcome::Handled)
            << body.constData();
    }
    // Seat 1 "Ann" here, Bo at seat 2, the computer at seat 3, seat 4 out of the game.
    void seated() {
        feed(msg::sendlogininfo(1));
        feed(msg::newplayerinfo(1, "Ann"));
        feed(msg::newplayerinfo(2, "Bo"));
    }
    void start(int rounds = 5) { feed(msg::startgameNotice("Ann", rounds, true, false)); }
    // A round's end: `wentOut` went out, the seats scored `points` (seats 1 to 3).
    void scoreRound(int round, int wentOut, std::array<int, 3> points, bool penaltyToo = true) {
        feed(msg::roundstarting(round, 7));
        feed(msg::nextplayer(wentOut % 3 + 1, wentOut));
        for (int s = 1; s <= 3; ++s) {
            totals[std::size_t(s)] += points[std::size_t(s - 1)];
            feed(msg::postscores(s, points[std::size_t(s - 1)], totals[std::size_t(s)], {}));
        }
        const int out = points[std::size_t(wentOut - 1)];
        const bool due = std::any_of(points.begin(), points.end(), [&](int p) { return p < out; });
        if (due && penaltyToo) {
            totals[std::size_t(wentOut)] += 25;
            feed(msg::penalty(wentOut, totals[std::size_t(wentOut)]));
        }
    }
    QStringList chatSince(std::size_t from) const {
        QStringList out;
        const auto& lines = const_cast<ClientSession&>(session).chat().lines();
        for (std::size_t i = from; i < lines.size(); ++i) out << lines[i].text;
        return out;
    }
    std::size_t chatSize() { return session.chat().lines().size(); }
    const ScoreSheet& sheet() const { return session.table().sheet; }

    ClientSession session;
    std::array<int, 5> totals{};
};

TEST_F(RoundResultsTest, ARoundIsToldOnceItsLastScoreOrItsPenaltyIsIn) {
    seated();
    start();

    // A tie for the lowest score costs nothing: told at the last score.
    feed(msg::roundstarting(1, 7));
    feed(msg::nextplayer(1, 3));
    std::size_t before = chatSize();
    feed(msg::postscores(1, 5, 9, {}));
    feed(msg::postscores(2, 8, 42, {}));
    feed(msg::postscores(3, 5, 17, {}));
    ASSERT_NE(sheet().shown(), nullptr);
    EXPECT_EQ(sheet().shown()->penaltySeat(), 0);
    EXPECT_EQ(chatSince(before), QStringList{"Round 1 of 5: Ann +5 = 9, Bo +8 = 42, Klick +5 = "
                                             "17. Klick went out."});

    // A penalty that never comes (a host that forgot it): the next deal tells the round as it
    // stands, once, and takes it down.
    feed(msg::roundstarting(2, 7));
    EXPECT_EQ(sheet().shown(), nullptr);
    feed(msg::nextplayer(1, 3));
    before = chatSize();
    feed(msg::postscores(1, 1, 10, {}));
    feed(msg::postscores(2, 1, 43, {}));
    feed(msg::postscores(3, 30, 47, {}));
    EXPECT_TRUE(chatSince(before).isEmpty());
    feed(msg::roundstarting(3, 7));
    EXPECT_EQ(chatSince(before).size(), 1);
    EXPECT_EQ(sheet().shown(), nullptr);
    EXPECT_EQ(sheet().rows().size(), 2);

    // Who went out was not seen (a late arrival in the last turns): the penalty says it, and
    // results already told are told again, right.
    feed(msg::nextplayer(2, 0));
    before = chatSize();
    const int told = sheet().told();
    for (int s = 1; s <= 3; ++s) feed(msg::postscores(s, s == 1 ? 20 : 2, 60 + s, {}));
    feed(msg::penalty(1, 86));
    EXPECT_EQ(sheet().told(), told + 2);
    EXPECT_EQ(chatSince(before).last(), "Round 3 of 5: Ann +20 +25 = 86, Bo +2 = 62, Klick +2 = "
                                        "63. Ann went out but Bo and Klick scored lower: +25.");
}

TEST_F(RoundResultsTest, TheSheetOfALateArrivalAComebackAndAnEndlessTie) {
    seated();
    // A newcomer in round 3 learns only the totals: they are carried, not made up.
    msg::GameStats stats;
    stats.slot = 1;
    stats.roundsToPlay = 5;
    stats.roundNumber = 3;
    stats.currentPlayer = 2;
    stats.discardTop = 7;
    stats.totals = {30, 12, 50, 0};
    stats.seat4Out = true;
    feed(msg::gamestats(stats));
    ASSERT_EQ(sheet().rows().size(), 1);
    EXPECT_TRUE(sheet().rows()[0].earlier());
    EXPECT_EQ(results::roundName(sheet(), sheet().rows()[0]), "Rounds not seen");
    EXPECT_EQ(sheet().total(3), 50);
    totals = {0, 30, 12, 50, 0};
    scoreRound(3, 1, {3, 4, 5});
    ASSERT_EQ(sheet().rows().size(), 2);
    EXPECT_EQ(sheet().rows()[1].round, 3);
    EXPECT_EQ(sheet().total(2), 16);

    // Back after a lost connection in the same game: what it saw stays; rounds missed meanwhile
    // are carried in one row.
    stats.roundNumber = 3;
    stats.totals = {33, 16, 55, 0};
    feed(msg::gamestats(stats));
    EXPECT_EQ(sheet().rows().size(), 2);
    stats.roundNumber = 5;
    stats.totals = {40, 30, 60, 0};
    feed(msg::gamestats(stats));
    ASSERT_EQ(sheet().rows().size(), 3);
    EXPECT_TRUE(sheet().rows()[2].earlier());
    EXPECT_EQ(sheet().total(2), 30);

    // A new game starts a new sheet; a tie that goes on and on keeps the latest rounds and
    // carries the rest, its totals still the host's.
    start(3);
    totals = {};
    EXPECT_TRUE(sheet().rows().isEmpty());
    for (int round = 1; round <= ScoreSheet::MaxRows + 20; ++round) scoreRound(round, 1, {5, 5, 5});
    ASSERT_EQ(sheet().rows().size(), ScoreSheet::MaxRows);
    EXPECT_TRUE(sheet().rows().first().earlier());
    EXPECT_EQ(sheet().rows().last().round, ScoreSheet::MaxRows + 20);
    EXPECT_EQ(results::roundName(sheet(), sheet().rows().last()), "Tie breaker round 120");
    for (int s = 1; s <= 3; ++s) EXPECT_EQ(sheet().total(s), totals[std::size_t(s)]);
}

} // namespace
} // namespace pelvo
