// Notices a well-behaved host never sends to this client, handled without a socket: what the
// session holds must stay within the ranges its views index by.

#include "session/ClientSession.h"

#include <gtest/gtest.h>

namespace pelvo {
namespace {

void expectInRange(const TableModel& t) {
    EXPECT_GE(t.turnSeat, 0);
    EXPECT_LE(t.turnSeat, TableSeats);
    EXPECT_GE(t.turnMarkerSeat, 0);
    EXPECT_LE(t.turnMarkerSeat, TableSeats);
}

TEST(HostileNotices, CardsDealtToAnOnlookerOrBeforeTheSlotNeverNameASeatThatIsNone) {
    for (const char* slot : std::initializer_list<const char*>{"6", "9", nullptr}) {
        ClientSession session;
        QByteArrayList sent;
        session.setTransport([&](const QByteArray& frame) {
            sent << frame;
            return true;
        });
        if (slot) session.handleLine(QStringLiteral("CMD_sendlogininfo+%1").arg(slot));
        session.handleLine("CMD_startgame+Anna+1+t+t+");
        session.handleLine("CMD_roundstarting+1+5+");
        EXPECT_EQ(session.handleLine("CMD_mycards+2+1+3+2+4+3+5+4+6+5+7+6+8+7+9+8+10+9+11+"),
                  CommandTable::Outcome::Handled);
        expectInRange(session.table());
        EXPECT_EQ(session.table().turnSeat, 0) << (slot ? slot : "no slot");
        // A click on a card asks the host for nothing: it is nobody's own grid.
        const qsizetype before = sent.size();
        session.chooseCell(1);
        EXPECT_EQ(sent.size(), before);
    }
}

} // namespace
} // namespace pelvo
