// The single-instance guard over a real local socket.

#include "client/mainwindow/Support.h"

#include "client/SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QUuid>

using namespace pelvo;
using namespace pelvo::test;

namespace {
QString uniqueName() {
    return "pelvo-test-" + QUuid::createUuid().toString(QUuid::Id128);
}
} // namespace

TEST(SingleInstance, ASecondStartAsksTheFirstToRaiseAndGivesWay) {
    const QString name = uniqueName();
    SingleInstance first(name);
    ASSERT_TRUE(first.tryLock());
    QSignalSpy raised(&first, &SingleInstance::raiseRequested);

    SingleInstance second(name);
    EXPECT_FALSE(second.tryLock());
    EXPECT_TRUE(waitFor([&] { return raised.count() == 1; }));

    SingleInstance third(name);
    EXPECT_FALSE(third.tryLock());
    EXPECT_TRUE(waitFor([&] { return raised.count() == 2; }));
}

TEST(SingleInstance, AStaleSocketFileDoesNotBlockTheNextStart) {
    const QString name = uniqueName();
    const QString path = QDir::temp().filePath(name);
    {
        QFile stale(path); // left behind by a run that crashed
        ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    }
    SingleInstance guard(name);
    EXPECT_TRUE(guard.tryLock());
    QSignalSpy raised(&guard, &SingleInstance::raiseRequested);
    SingleInstance later(name);
    EXPECT_FALSE(later.tryLock());
    EXPECT_TRUE(waitFor([&] { return raised.count() == 1; }));
}
