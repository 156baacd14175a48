// Seats at a player's own table, over real sockets: a client built to the original catalogue
// that drops mid-game comes back to its own slot and plays its seat on, and a window cut off
// mid-game still finds its seat by itself with its token. Holding seats from newcomers is the
// host's choice, off until made.

#include "bot/BotPlayer.h"
#include "client/Tchat.h"
#include "e2e/HostingSetUp.h"
#include "e2e/TcpProxy.h"
#include "host/TServer.h"
#include "host/TableProcess.h"
#include "support/TestEnv.h"
#include "windows/MessageBox.h"

// Qt
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

// std
#include <memory>

namespace pelvo {
namespace {

TEST(HostedSeats, ADroppedPlayerGetsItsSlotBackAndAWindowWithItsTokenGetsItsSeat) {
    test::HostingSetUp env;
    const quint16 port = env.port;
    const QTemporaryDir& home = env.home;
    const QStringList& boxes = env.boxes;

    Tchat host({"Host", "127.0.0.1", "true"});
    host.server()->botSpeed = [] { return 15; };
    host.processparams();
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.state().myseat == 1; }, 5000));
    BotPlayer hostHand(host.session(), 11);
    auto* hold = host.findChild<QAction*>("HoldSeats1");
    ASSERT_TRUE(hold);
    EXPECT_FALSE(hold->isChecked());
    EXPECT_FALSE(host.server()->holdSeats());

    test::ProtocolPlayer bo("Bo");
    ASSERT_TRUE(bo.client.connectTo(port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo.slot == 2; }, 5000));
    test::TcpProxy proxy(port);
    ASSERT_TRUE(proxy.open());
    qputenv("PELVO_PORT", QByteArray::number(proxy.port()));
    Tchat cy({"Cy", "127.0.0.1", "false"});
    cy.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cy.state().myseat == 3; }, 10000));
    cy.session().connection().setReconnectBase(100);
    BotPlayer cyHand(cy.session(), 5);

    host.session().startGame("Host", "5", 1, 1);
    const Table& t = host.server()->table();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return t.gameRunning && t.turnState != TurnState::Flip; }, 10000));

    // Bo drops mid-game and comes back as a client that knows nothing of tokens: slot 2 again,
    // and the seat is his to play from then on.
    bo.client.socket.abort();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !t.seats[2].inUse; }, 5000));
    test::ProtocolPlayer boAgain("Bo");
    ASSERT_TRUE(boAgain.client.connectTo(port));
    ASSERT_TRUE(QTest::qWaitFor([&] { return boAgain.slot != 0; }, 5000));
    EXPECT_EQ(boAgain.slot, 2);
    ASSERT_TRUE(QTest::qWaitFor([&] { return boAgain.moves >= 1; }, 20000));

    // Cy's window is cut off; the proxy takes connections again and the window reclaims.
    proxy.pause();
    proxy.cut();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cy.session().reconnecting(); }, 5000));
    ASSERT_TRUE(proxy.listen());
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return boAgain.client.count("CMD_action+0+Cy is back.|") == 1; }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !cy.session().reconnecting(); }, 10000));
    EXPECT_EQ(cy.state().myseat, 3);
    EXPECT_TRUE(t.seats[3].inUse);

    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !host.session().table().winnerText.isEmpty(); }, 120000));
    EXPECT_TRUE(boAgain.over);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join('\n').toStdString();

    // Holding is the host's choice, kept in the settings file once made.
    QFile ini(QDir(home.path()).filePath("kavrelhub.ini"));
    const auto saved = [&ini] {
        return ini.open(QIODevice::ReadOnly) ? ini.readAll() : QByteArray();
    };
    EXPECT_FALSE(saved().contains("Holdseats"));
    ini.close();
    hold->trigger();
    EXPECT_TRUE(host.server()->holdSeats());
    EXPECT_TRUE(saved().contains("Holdseats=true"));
    qunsetenv("PELVO_PORT");
}

} // namespace
} // namespace pelvo
