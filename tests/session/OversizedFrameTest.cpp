// One oversized line from the host costs the client that line, not the table.

#include "session/ClientSession.h"
#include "support/TestEnv.h"

// Qt
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

namespace pelvo {
namespace {

TEST(OversizedFrame, TheClientSkipsItAndStaysAtTheTable) {
    const quint16 port = test::freePort();
    qputenv("PELVO_PORT", QByteArray::number(port));
    QTcpServer host;
    ASSERT_TRUE(host.listen(QHostAddress::LocalHost, port));
    ClientSession session;
    QSignalSpy closed(&session, &ClientSession::closeRequested);
    session.connectToHost("127.0.0.1", "Anna");
    ASSERT_TRUE(QTest::qWaitFor([&] { return host.hasPendingConnections(); }, 5000));
    QTcpSocket* peer = host.nextPendingConnection();

    // A 200 KB chat line between two good ones, written in pieces as a network would deliver it.
    QByteArray stream = "CMD_sendlogininfo+2\xFF"
                        "CMD_chat+3+Bo chats: ";
    stream += QByteArray(200000, 'x') + "|clRed\xFF"
                                        "CMD_newplayerinfo+3+Bo\xFF";
    for (qsizetype at = 0; at < stream.size(); at += 40000) {
        peer->write(stream.mid(at, 40000));
        peer->flush();
        QTest::qWait(5);
    }
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return session.table().seats[3].occupant == Occupant::Player; }, 5000));
    EXPECT_EQ(session.state().myseat, 2);
    EXPECT_TRUE(closed.isEmpty());
    for (const ChatLine& line : session.chat().lines()) EXPECT_LT(line.text.size(), 1000);
    // Still connected: what it sends reaches the host.
    session.sendChat("still here");
    QByteArray got;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            got += peer->readAll();
            return got.contains("CMD_chat+2+still here|");
        },
        5000));
    qunsetenv("PELVO_PORT");
}

} // namespace
} // namespace pelvo
