// Two connections of one name at a real table: this window tells them apart by their slots in
// chat and on the name labels, while the names on the wire stay as they were typed.

// own
#include "host/TServer.h"
#include "net/TSock.h"
#include "session/ClientSession.h"
#include "support/TestEnv.h"

// Qt
#include <QTest>

#include <gtest/gtest.h>

// std
#include <array>
#include <memory>

namespace pelvo {
namespace {

QStringList chatOf(ClientSession& s) {
    QStringList lines;
    for (const ChatLine& line : s.chat().lines()) lines << line.text;
    return lines;
}

bool seatedAs(ClientSession& s, int slot) {
    return QTest::qWaitFor([&] { return s.state().myseat == slot && s.state().connected; }, 5000);
}

TEST(SharedNames, TwoOfOneNameAreShownWithTheirSlotsUntilOneLeaves) {
    const quint16 port = test::freePort();
    qputenv("PELVO_PORT", QByteArray::number(port));
    TServer server(TServer::Options{.windowless = true});
    server.Sock1->setListen(true);
    std::array<std::unique_ptr<ClientSession>, 6> at; // by slot
    const QStringList names{"", "Anna", "Hal", "Cy", "Dee", "Hal"};
    for (int slot = 1; slot <= 5; ++slot) {
        at[slot] = std::make_unique<ClientSession>();
        at[slot]->connectToHost("127.0.0.1", names[slot]);
        ASSERT_TRUE(seatedAs(*at[slot], slot)) << slot;
    }
    ClientSession& anna = *at[1];
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.table().spectators.size() == 1; }, 5000));
    EXPECT_EQ(anna.table().seatLabel(2), "Hal (2)");
    EXPECT_EQ(anna.table().seatLabel(3), "Cy");
    EXPECT_EQ(anna.table().seats[2].caption(), "Hal");       // what the tally and the wire use
    EXPECT_TRUE(chatOf(anna).contains("Hal is Connected.")); // nobody shared it yet
    EXPECT_TRUE(chatOf(anna).contains("Hal (5) is Connected."));
    EXPECT_TRUE(chatOf(anna).contains("Hal (5) is spying."));

    // Each one's own chat and actions carry the slot; the relayed frame does not.
    at[5]->sendChat("hi from the rail");
    at[2]->sendChat("/me waves");
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return chatOf(anna).contains("Hal (2) waves") &&
                   chatOf(anna).contains("Hal (5) chats: hi from the rail");
        },
        5000))
        << chatOf(anna).join('\n').toStdString();
    // The two see themselves the same way.
    ASSERT_TRUE(QTest::qWaitFor([&] { return chatOf(*at[2]).contains("Hal (2) waves"); }, 5000));

    // Once one of them has gone, the other is plain Hal again.
    at[2].reset();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return chatOf(anna).contains("Hal (2) disconnected."); }, 5000))
        << chatOf(anna).join('\n').toStdString();
    at[5]->sendChat("alone now");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return chatOf(anna).contains("Hal chats: alone now"); }, 5000))
        << chatOf(anna).join('\n').toStdString();
    EXPECT_EQ(anna.table().seatLabel(2), "Klot");
    qunsetenv("PELVO_PORT");
}

} // namespace
} // namespace pelvo
