// A hosting window lists its table on a hub the way its "List this table on the hub" box
// does: the table host of this process, its search answerer, and HubReporter::listServer. The
// hub checks it answers, hands out a code for a private table, hears every change, and the
// listing goes when the table closes.

#include "host/DiscoveryResponder.h"
#include "host/HubReporter.h"
#include "host/RawClient.h"
#include "host/TServer.h"
#include "hub/HubProcess.h"
#include "net/TSock.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace pelvo::test {
namespace {

TEST(HostListing, AHostingWindowListsItsTableWhileItRuns) {
    HubProcess hub;
    ASSERT_TRUE(hub.start({"--silence-seconds", "6"}));
    Http http;

    TServer server;
    const quint16 port = freePort();
    server.Sock1->setPortName(QString::number(port));
    server.Sock1->setListen(true);
    DiscoveryResponder responder(
        [&] { return DiscoveryResponder::describeTable(server.table(), "Window table", port); });
    ASSERT_TRUE(responder.start(port));

    // Public first: it appears in the list, and a player sitting down shows there.
    HubReporter* reporter =
        HubReporter::listServer(server, QUrl(hub.url("")), "Window table", port, false, &server);
    QSignalSpy listed(reporter, &HubReporter::registered);
    ASSERT_TRUE(listed.wait(10000)) << hub.log().toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return tablesOf(http, hub).size() == 1; }, 5000));
    RawClient anna;
    ASSERT_TRUE(anna.connectTo(port));
    ASSERT_GT(anna.login("Anna"), 0);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QJsonArray list = tablesOf(http, hub);
            return !list.isEmpty() && list[0].toObject().value("seats_taken").toInt() == 1;
        },
        10000));
    delete reporter; // unticked: the listing is left to expire

    // Private: not listed; the code the hub gave finds it.
    reporter =
        HubReporter::listServer(server, QUrl(hub.url("")), "Window table", port, true, &server);
    QSignalSpy privateListed(reporter, &HubReporter::registered);
    ASSERT_TRUE(privateListed.wait(10000));
    const QString code = privateListed.at(0).at(1).toString();
    ASSERT_EQ(code.size(), 6);
    const HttpAnswer found = http.get(hub.url("/v1/codes/" + code));
    ASSERT_EQ(found.status, 200);
    EXPECT_EQ(found.json().value("port").toInt(), port);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tablesOf(http, hub).isEmpty(); }, 15000));

    // Closing the table takes its listing down at once.
    bool closed = false;
    server.closeTable([&] { closed = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return closed; }, 10000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return http.get(hub.url("/v1/codes/" + code)).status == 404; }, 5000));
}

} // namespace
} // namespace pelvo::test
