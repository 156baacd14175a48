// The dialog's list of tables when anyone on the network can answer a search: forged names show
// harmlessly, and a flood of forged answers leaves a bounded list that still follows real ones.
// PELVO_SHOT_DIR=/tmp keeps a picture of the list.
#include "protocol/Discovery.h"
#include "session/TableFinder.h"
#include "support/TestEnv.h"
#include "windows/HostOrJoin.h"

#include <QDir>
#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QTest>
#include <QTreeWidget>
#include <QUdpSocket>

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>

using namespace pelvo;

namespace {

long residentKiB() {
    QFile statm("/proc/self/statm");
    if (!statm.open(QIODevice::ReadOnly)) return 0;
    return statm.readAll().split(' ').value(1).toLong() * 4;
}

} // namespace

TEST(HostOrJoinList, ForgedAnswersShowHarmlesslyAndStayBounded) {
    // A fake table on loopback that answers whatever the dialog's search asks.
    QUdpSocket fake;
    ASSERT_TRUE(fake.bind(QHostAddress::LocalHost, test::freePort()));
    QHostAddress asker;
    quint16 askerPort = 0;
    QObject::connect(&fake, &QUdpSocket::readyRead, [&] {
        while (fake.hasPendingDatagrams()) {
            const QNetworkDatagram d = fake.receiveDatagram();
            if (!discovery::isQuery(d.data())) continue;
            asker = d.senderAddress();
            askerPort = quint16(d.senderPort());
        }
    });
    const auto answer = [&](const QString& name, quint16 port, bool playing = false) {
        fake.writeDatagram(discovery::answer({name, "den", 1, 4, playing, port}), asker, askerPort);
    };

    HostOrJoin dialog;
    dialog.setChoice({"Me", false, "", fake.localPort()});
    dialog.show();
    dialog.search();
    ASSERT_TRUE(QTest::qWaitFor([&] { return askerPort != 0; }, 5000));

    answer(u"\u202Eevil"_qs, 7001);
    answer(u"\u200B\u200B\u200D"_qs, 7002);
    answer("Back Room", 7003);
    QTreeWidget* list = dialog.tables();
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->topLevelItemCount() == 3; }, 5000));
    EXPECT_EQ(list->topLevelItem(0)->text(0), "evil");
    EXPECT_EQ(list->topLevelItem(1)->text(0), "127.0.0.1"); // blank: the address instead
    EXPECT_EQ(list->topLevelItem(1)->text(1), "127.0.0.1:7002");
    EXPECT_EQ(list->topLevelItem(2)->text(0), "Back Room");
    const QString shots = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (!shots.isEmpty()) dialog.grab().save(QDir(shots).filePath("hostorjoin-forged.png"));

    // Every port number a forger can name, from the same address, a small batch at a time.
    const long memoryBefore = residentKiB();
    const std::clock_t cpuBefore = std::clock();
    QElapsedTimer clock;
    clock.start();
    for (int port = 1; port <= 65535; ++port) {
        answer(QStringLiteral("Spoof %1").arg(port), quint16(port));
        if (port % 128 == 0) QTest::qWait(1);
    }
    // The real table's next answer still reaches its row.
    bool updated = false;
    for (int attempt = 0; attempt < 20 && !updated; ++attempt) {
        answer("Back Room", 7003, true);
        updated = QTest::qWaitFor([&] { return list->topLevelItem(2)->text(4) == "playing"; }, 250);
    }
    const double cpuSeconds = double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    EXPECT_TRUE(updated);
    EXPECT_EQ(list->topLevelItemCount(), TableFinder::MaxTables);
    EXPECT_EQ(dialog.finder().found().size(), TableFinder::MaxTables);
    // Rows keep their place; a later answer for the same address and port replaces the row's text.
    EXPECT_EQ(list->topLevelItem(0)->text(1), "127.0.0.1:7001");
    EXPECT_EQ(list->topLevelItem(0)->text(0), "Spoof 7001");
    std::printf("spoofed answers: 65535 sent in %lld ms, %.1f s CPU, resident %+ld KiB, %d rows\n",
                clock.elapsed(), cpuSeconds, residentKiB() - memoryBefore,
                list->topLevelItemCount());
}
