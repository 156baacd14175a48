// pelvo-table as a process, talked to over raw sockets: start-up, the dedicated table's rules
// for slot 1, shutdown on a signal, and a whole game with two people and two computers.
#include "TableProcess.h"

#include <gtest/gtest.h>

#include <csignal>

using namespace pelvo::test;

TEST(TableProcess, ExplainsItselfAndRefusesBadArguments) {
    QProcess help;
    help.start(programPath("src/pelvo-table"), {"--help"});
    ASSERT_TRUE(help.waitForFinished(10000));
    EXPECT_EQ(help.exitCode(), 0);
    const QString text = QString::fromLocal8Bit(help.readAllStandardOutput());
    EXPECT_TRUE(text.contains("--port")) << text.toStdString();
    EXPECT_TRUE(text.contains("--bot-speed"));

    QProcess bad;
    bad.start(programPath("src/pelvo-table"), {"--port", "seventy"});
    ASSERT_TRUE(bad.waitForFinished(10000));
    EXPECT_NE(bad.exitCode(), 0);
}

TEST(TableProcess, ListensOnItsPortAndClosesEveryConnectionOnASignal) {
    for (int signal : {SIGTERM, SIGINT}) {
        // PELVO_PORT names the port when --port is not given.
        TableProcess table;
        const quint16 port = freePort();
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PELVO_PORT", QString::number(port));
        ASSERT_TRUE(table.start({"--bot-speed", "5"}, env));
        EXPECT_EQ(table.output().count('\n'), 1);
        EXPECT_TRUE(table.output().contains(QString::number(port)));

        RawClient first, second;
        ASSERT_TRUE(first.connectTo(port));
        ASSERT_EQ(first.login("Anna"), 1);
        ASSERT_TRUE(second.connectTo(port));
        ASSERT_EQ(second.login("Bo"), 2);
        ASSERT_TRUE(second.waitFor("CMD_existingplayers+1+Anna"));

        ASSERT_TRUE(table.stop(signal));
        EXPECT_EQ(table.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(table.process.exitCode(), 0);
        EXPECT_TRUE(first.waitClosed());
        EXPECT_TRUE(second.waitClosed());
    }
}

TEST(TableProcess, ALostSlotOneIsPlayedByTheComputerAndTheNextHolderMayStartGames) {
    TableProcess table;
    ASSERT_TRUE(table.startOnFreePort());
    auto anna = std::make_unique<RawClient>();
    RawClient bo;
    ASSERT_TRUE(anna->connectTo(table.port));
    ASSERT_EQ(anna->login("Anna"), 1);
    ASSERT_TRUE(bo.connectTo(table.port));
    ASSERT_EQ(bo.login("Bo"), 2);
    bo.send("CMD_startgame+Bo+3+0+0+\xFF"); // not slot 1: ignored
    anna->send("CMD_startgame+Anna+3+0+0+\xFF");
    ASSERT_TRUE(bo.waitFor("CMD_startgame+Anna+3+f+f+"));
    EXPECT_EQ(bo.count("CMD_startgame+"), 1);

    // Anna leaves before flipping: the computer makes her flips at once.
    anna.reset();
    ASSERT_TRUE(bo.waitFor("CMD_playerdisconnected+1+Anna"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return bo.count("CMD_heflipped+1+") == 2; }, 5000));

    // The rights pass to the connected player in the lowest slot, and the table hears of it.
    ASSERT_TRUE(bo.waitFor("CMD_tablerights+2"));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return bo.count("CMD_action+0+Bo now runs the table.|") == 1; }, 5000));
    // Seat 1 waits for Anna's token: a newcomer gets another slot and no rights.
    RawClient cy;
    ASSERT_TRUE(cy.connectTo(table.port));
    ASSERT_EQ(cy.login("Cy"), 3);
    ASSERT_TRUE(cy.waitFor("CMD_tablerights+2"));
    cy.send("CMD_startgame+Cy+3+0+0+\xFF");
    bo.send("CMD_startgame+Bo+3+0+0+\xFF");
    ASSERT_TRUE(bo.waitFor("CMD_startgame+Bo+3+t+f+"));
    EXPECT_EQ(bo.count("CMD_startgame+Cy"), 0);
}

TEST(TableProcess, TwoPeopleAndTwoComputersPlayAWholeGame) {
    TableProcess table;
    ASSERT_TRUE(table.startOnFreePort("2"));
    ProtocolPlayer anna("Anna"), bo("Bo");
    ASSERT_TRUE(anna.client.connectTo(table.port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+1+Anna"));
    ASSERT_TRUE(bo.client.connectTo(table.port));
    ASSERT_TRUE(anna.client.waitFor("CMD_newplayerinfo+2+Bo"));

    anna.client.send("CMD_startgame+Anna+2+1+1+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.over && bo.over; }, 45000))
        << anna.client.frames.size() << " frames seen";

    EXPECT_EQ(anna.winner, bo.winner);
    const QList<QByteArray> names{"Anna", "Bo", "Klick", "Kling"};
    EXPECT_TRUE(names.contains(anna.winner)) << anna.winner.constData();
    EXPECT_EQ(anna.client.frames.last(), "CMD_winner+" + anna.winner + "+");
    EXPECT_GT(anna.moves, 2);
    EXPECT_GT(bo.moves, 2);
    // Two rounds or more (tie-breakers), each with four scores.
    EXPECT_GE(anna.client.count("CMD_postscores+"), 8);
    EXPECT_EQ(anna.client.count("CMD_postscores+") % 4, 0);
    EXPECT_EQ(anna.client.count("CMD_mycards+"), anna.client.count("CMD_roundstarting+"));
    EXPECT_EQ(anna.client.count("CMD_mycards+2+"), 0);
    for (const QByteArray& seat : {QByteArray("3"), QByteArray("4")})
        EXPECT_GT(anna.client.count("CMD_nextplayer+" + seat + "+"), 2);
}
