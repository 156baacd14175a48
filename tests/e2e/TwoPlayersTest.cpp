// Two real programs at one table: one hosts, the other joins over loopback.

#include "e2e/PelvoProcess.h"

#include <QTcpSocket>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using namespace pelvo::test;

TEST(TwoPlayers, HostAndJoinerSeeEachOtherConnect) {
    PelvoProcess anna;
    anna.start({"Anna", "127.0.0.1", "true"});
    ASSERT_TRUE(eventually([&] { return anna.chat().contains("You are Connected."); }))
        << qPrintable(anna.chat());

    PelvoProcess bo(anna.port());
    bo.start({"Bo", "127.0.0.1", "false"});
    EXPECT_TRUE(eventually([&] { return bo.chat().contains("You are Connected."); }))
        << qPrintable(bo.chat());
    EXPECT_TRUE(eventually([&] { return bo.chat().contains("Anna is Connected."); }))
        << qPrintable(bo.chat());
    EXPECT_TRUE(eventually([&] { return anna.chat().contains("Bo is Connected."); }))
        << qPrintable(anna.chat());
    EXPECT_TRUE(anna.running());
    EXPECT_TRUE(bo.running());
}

TEST(TwoPlayers, AJoinerAtAFullTableIsToldSoAndEnds) {
    PelvoProcess anna;
    anna.start({"Anna", "127.0.0.1", "true"});
    ASSERT_TRUE(eventually([&] { return anna.chat().contains("You are Connected."); }));
    // Slots 2 to 9 taken by silent connections.
    std::vector<std::unique_ptr<QTcpSocket>> others;
    for (int slot = 2; slot <= 9; ++slot) {
        others.push_back(std::make_unique<QTcpSocket>());
        others.back()->connectToHost(QHostAddress::LocalHost, anna.port());
        ASSERT_TRUE(others.back()->waitForConnected(5000));
        ASSERT_TRUE(eventually([&] { return others.back()->bytesAvailable() > 0; }));
    }
    PelvoProcess bo(anna.port());
    bo.start({"Bo", "127.0.0.1", "false"});
    ASSERT_TRUE(bo.waitForExit());
    EXPECT_EQ(bo.exitCode(), 0);
    EXPECT_TRUE(bo.errors().contains("pelvo: message box: Game is full"));
    EXPECT_TRUE(anna.running());
}
