// Two real programs at one table: one hosts, the other joins over loopback.

#include "e2e/PelvoProcess.h"

#include <gtest/gtest.h>

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
