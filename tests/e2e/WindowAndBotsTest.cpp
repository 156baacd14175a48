// A hosting window and three pelvo-bot players at one table, over loopback, to the winner: the
// window's own seat is played through its session by the computer rules, as a person's clicks
// would, while the board shows every move.

#include "bot/BotPlayer.h"
#include "client/Tchat.h"
#include "e2e/HostingSetUp.h"
#include "client/board/Board.h"
#include "host/TServer.h"
#include "support/TestEnv.h"
#include "windows/MessageBox.h"

// Qt
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// std
#include <array>
#include <memory>

namespace pelvo {
namespace {

TEST(WindowAndBots, AHostingWindowAndThreeBotsPlayAWholeGame) {
    test::HostingSetUp env;
    const quint16 port = env.port;
    const QStringList& boxes = env.boxes;

    Tchat w({"Host", "127.0.0.1", "true"});
    w.server()->botSpeed = [] { return 2; };
    w.processparams();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.state().myseat == 1; }, 5000));
    BotPlayer hand(w.session(), 11);

    std::array<std::unique_ptr<QProcess>, 3> bots;
    for (int i = 0; i < 3; ++i) {
        bots[i] = std::make_unique<QProcess>();
        bots[i]->setProcessChannelMode(QProcess::MergedChannels);
        bots[i]->start(test::programPath("src/pelvo-bot"),
                       {QString("Bot%1").arg(i + 2), "127.0.0.1", "--port", QString::number(port),
                        "--think", "0", "--games", "1", "--seed", QString::number(i + 2)});
        // One at a time, so that each takes the next slot.
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return w.seatCaption(i + 2) == QString("Bot%1").arg(i + 2); }, 10000));
    }

    w.session().startGame("Host", "3", 1, 1);
    Board* board = w.board();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return board->label_status()->text() == "Game Over!"; }, 120000))
        << board->label_status()->text().toStdString();
    const QString banner = board->findChild<QLabel*>("label_winner1")->text();
    EXPECT_TRUE(banner.endsWith("Won the Game!")) << banner.toStdString();
    for (int s = 1; s <= 4; ++s)
        EXPECT_EQ(w.session().table().seats[std::size_t(s)].occupant, Occupant::Player);
    for (auto& bot : bots) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return bot->state() == QProcess::NotRunning; }, 20000))
            << bot->readAll().toStdString();
        const QString out = QString::fromLocal8Bit(bot->readAll());
        EXPECT_EQ(bot->exitCode(), 0) << out.toStdString();
        // Every player saw the same end of the game.
        const QString seen = out.section("game over: ", 1).section('\n', 0, 0);
        EXPECT_TRUE(seen == "You have Won the Game!" || seen == banner ||
                    (banner == "You have Won the Game!" && seen == "Host has Won the Game!"))
            << seen.toStdString() << " / " << banner.toStdString();
    }
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join("; ").toStdString();
}

} // namespace
} // namespace pelvo
