// Unix signals reach the event loop as a Qt signal, one report per signal, and the previous
// handlers come back when the watcher goes.
#include "net/SignalWatcher.h"

#include <QTest>

#include <gtest/gtest.h>

#include <csignal>
#include <vector>

using pelvo::SignalWatcher;

namespace {
volatile std::sig_atomic_t previousHandlerRan = 0;
extern "C" void previousHandler(int) {
    previousHandlerRan = 1;
}
} // namespace

TEST(SignalWatcher, ReportsEachStopSignalInTheEventLoopAndRestoresTheOldHandlers) {
    std::signal(SIGHUP, previousHandler);
    {
        SignalWatcher watcher(SignalWatcher::stopSignals());
        ASSERT_TRUE(watcher.isWatching());
        std::vector<int> caught;
        QObject::connect(&watcher, &SignalWatcher::caught, [&](int n) { caught.push_back(n); });

        // The handler only queues the number: nothing is reported before the loop runs.
        errno = EDOM;
        ASSERT_EQ(::raise(SIGTERM), 0);
        EXPECT_EQ(errno, EDOM) << "the handler must leave errno as it found it";
        ASSERT_EQ(::raise(SIGINT), 0);
        ASSERT_EQ(::raise(SIGHUP), 0);
        ASSERT_EQ(::raise(SIGTERM), 0);
        EXPECT_TRUE(caught.empty());
        ASSERT_TRUE(QTest::qWaitFor([&] { return caught.size() == 4; }, 5000));
        EXPECT_EQ(caught, (std::vector<int>{SIGTERM, SIGINT, SIGHUP, SIGTERM}));
        EXPECT_EQ(previousHandlerRan, 0);

        // One watcher per process: a second one watches nothing and leaves the first alone.
        {
            SignalWatcher second({SIGTERM});
            EXPECT_FALSE(second.isWatching());
        }
        ASSERT_EQ(::raise(SIGTERM), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return caught.size() == 5; }, 5000));
    }
    ASSERT_EQ(::raise(SIGHUP), 0);
    EXPECT_EQ(previousHandlerRan, 1);
    std::signal(SIGHUP, SIG_DFL);

    // A new watcher may start once the old one is gone.
    SignalWatcher again({SIGUSR1});
    EXPECT_TRUE(again.isWatching());
    bool seen = false;
    QObject::connect(&again, &SignalWatcher::caught, [&](int n) { seen = n == SIGUSR1; });
    ASSERT_EQ(::raise(SIGUSR1), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return seen; }, 5000));
}
