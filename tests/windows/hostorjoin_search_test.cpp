// The Host or Join dialog's search for tables says how it ended: tables found, or none.

#include "protocol/Discovery.h"
#include "support/TestEnv.h"
#include "windows/HostOrJoin.h"

#include <QLabel>
#include <QNetworkDatagram>
#include <QTest>
#include <QTreeWidget>
#include <QUdpSocket>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

QString statusOf(const HostOrJoin& dialog) {
    return dialog.findChild<QLabel*>("label_status")->text();
}

TEST(HostOrJoinSearch, ASearchNobodyAnswersSaysSoAndWhatToTryAndOneAnsweredKeepsItsTable) {
    qputenv("PELVO_DISCOVERY_ADDRESS", "127.0.0.1");
    const quint16 silent = test::freePort();
    HostOrJoin dialog;
    dialog.present(TableChoice{"Anna", false, "", silent}, {});
    dialog.show();
    EXPECT_EQ(statusOf(dialog), QStringLiteral("Looking for tables on port %1…").arg(silent));
    const QString none = QStringLiteral("No table answered on port %1.").arg(silent);
    ASSERT_TRUE(QTest::qWaitFor([&] { return statusOf(dialog).startsWith(none); },
                                HostOrJoin::SearchPeriodMs + 5000))
        << statusOf(dialog).toStdString();
    EXPECT_TRUE(statusOf(dialog).contains("another port")) << statusOf(dialog).toStdString();
    EXPECT_TRUE(statusOf(dialog).contains("address")) << statusOf(dialog).toStdString();
    if (const char* dir = getenv("PELVO_SHOT_DIR"))
        dialog.grab().save(QString::fromLocal8Bit(dir) + "/hostorjoin-none.png");

    // Searching again on a port where a table answers: the table stays the last word.
    discovery::TableInfo info;
    info.tableName = "Bo";
    info.hostName = "here";
    info.seatsTaken = 1;
    info.port = 7772;
    QUdpSocket table;
    ASSERT_TRUE(table.bind(QHostAddress::LocalHost, 0));
    const quint16 answering = table.localPort();
    QObject::connect(&table, &QUdpSocket::readyRead, [&] {
        while (table.hasPendingDatagrams()) {
            const QNetworkDatagram query = table.receiveDatagram();
            table.writeDatagram(discovery::answer(info), query.senderAddress(), query.senderPort());
        }
    });
    dialog.setChoice(TableChoice{"Anna", false, "", answering});
    dialog.search();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.tables()->topLevelItemCount() == 1; }));
    QTest::qWait(HostOrJoin::SearchPeriodMs + 300);
    EXPECT_EQ(statusOf(dialog), "1 table found.");
    qunsetenv("PELVO_DISCOVERY_ADDRESS");
}

} // namespace
