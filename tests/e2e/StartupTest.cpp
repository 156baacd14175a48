// The real program from its command line: solo, hosting, joining, unconnected, the
// single-instance guard, and the ways the game connection ends it.

#include "e2e/PelvoProcess.h"

#include <QTcpServer>
#include <QTcpSocket>

#include <gtest/gtest.h>

using namespace pelvo::test;

namespace {

// Bytes from `peer` until at least `size` arrived (or the wait ran out).
QByteArray readAtLeast(QTcpSocket* peer, qsizetype size) {
    QByteArray got;
    eventually([&] {
        got += peer->readAll();
        return got.size() >= size;
    });
    return got;
}

bool canConnect(quint16 port) {
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    return probe.waitForConnected(2000);
}

// A stand-in table host on the program's game port.
struct FakeHost {
    explicit FakeHost(quint16 port) { server.listen(QHostAddress::LocalHost, port); }
    QTcpSocket* accept() {
        if (!eventually([&] { return server.hasPendingConnections(); })) return nullptr;
        return server.nextPendingConnection();
    }
    QTcpServer server;
};

const QByteArray Login3 = QByteArray("CMD_logininfo+3+1.0.1+Anna\xFF\xFF");

} // namespace

TEST(Startup, NoParametersHostsASoloGameWithTheOwnClientInSlotOne) {
    PelvoProcess pelvo;
    pelvo.start({});
    ASSERT_TRUE(
        eventually([&] { return pelvo.chat().contains("Loading Solo Game..Please wait."); }));
    // The program's own client takes slot 1 first; only then does a stranger knock.
    ASSERT_TRUE(eventually([&] { return pelvo.chat().contains("You are Connected."); }));
    QTcpSocket raw;
    ASSERT_TRUE(eventually([&] {
        if (raw.state() != QAbstractSocket::ConnectedState) {
            raw.abort();
            raw.connectToHost(QHostAddress::LocalHost, pelvo.port());
            raw.waitForConnected(500);
        }
        return raw.state() == QAbstractSocket::ConnectedState;
    }));
    // Slot 1 already belongs to the program's own client.
    const QByteArray greeting = readAtLeast(&raw, 20);
    EXPECT_TRUE(greeting.startsWith("CMD_sendlogininfo+2\xFF")) << greeting.toStdString();
}

TEST(Startup, TrueHostsOnTheGamePortWhateverTheAddress) {
    PelvoProcess pelvo;
    pelvo.start({"Anna", "10.0.0.5", "true"});
    ASSERT_TRUE(eventually([&] { return pelvo.chat().contains("Loading Multi-player Game"); }));
    EXPECT_TRUE(eventually([&] { return canConnect(pelvo.port()); }));
    EXPECT_TRUE(pelvo.running());
}

TEST(Startup, AnyOtherFlagJoinsAndSendsTheExactLoginFrame) {
    PelvoProcess pelvo;
    FakeHost host(pelvo.port());
    pelvo.start({"Anna", "127.0.0.1", "True"});
    QTcpSocket* peer = host.accept();
    ASSERT_NE(peer, nullptr);
    EXPECT_TRUE(peer->readAll().isEmpty()) << "nothing is sent before the seat arrives";
    peer->write("CMD_sendlogininfo+3\xFF");
    EXPECT_EQ(readAtLeast(peer, Login3.size()), Login3);
}

TEST(Startup, OneOrTwoParametersNeitherListenNorConnect) {
    {
        PelvoProcess pelvo;
        pelvo.start({"Anna", "127.0.0.1"});
        ASSERT_TRUE(eventually([&] { return pelvo.chat().contains("Loading Multi-player"); }));
        EXPECT_FALSE(canConnect(pelvo.port()));
        EXPECT_TRUE(pelvo.running());
    }
    {
        PelvoProcess pelvo;
        FakeHost host(pelvo.port());
        pelvo.start({"Anna"});
        ASSERT_TRUE(eventually([&] { return pelvo.chat().contains("Loading Multi-player"); }));
        EXPECT_FALSE(eventually([&] { return host.server.hasPendingConnections(); }, 1000));
        EXPECT_FALSE(pelvo.chat().contains("Connected"));
    }
}

TEST(Startup, OnlyALoneHelpOrVersionIsAnsweredInsteadOfPlaying) {
    for (const QString& info : {QStringLiteral("--help"), QStringLiteral("--version")}) {
        PelvoProcess pelvo;
        pelvo.start({info});
        ASSERT_TRUE(pelvo.waitForExit()) << info.toStdString();
        EXPECT_EQ(pelvo.exitCode(), 0);
        const QString out = QString::fromUtf8(pelvo.process().readAllStandardOutput());
        EXPECT_TRUE(out.startsWith(info == "--help" ? "Usage: pelvo" : "pelvo 1.0.1\n"))
            << out.toStdString();
        EXPECT_TRUE(pelvo.chat().isEmpty()) << "no window";
    }
    // Anywhere else they are a name like any other: this joins as "--help".
    PelvoProcess pelvo;
    FakeHost host(pelvo.port());
    pelvo.start({"--help", "127.0.0.1", "--version"});
    QTcpSocket* peer = host.accept();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_sendlogininfo+3\xFF");
    EXPECT_TRUE(readAtLeast(peer, 10).startsWith("CMD_logininfo+3+1.0.1+--help"));
    // A lone short form or any other single word still opens the window unconnected.
    PelvoProcess single;
    single.start({"-h"});
    EXPECT_TRUE(eventually([&] { return single.chat().contains("Loading Multi-player"); }));
    EXPECT_TRUE(single.running());
}

TEST(Startup, ASecondStartRaisesTheFirstAndExits) {
    PelvoProcess first;
    first.start({"Anna", "127.0.0.1"});
    ASSERT_TRUE(eventually([&] { return first.chat().contains("Loading"); }));

    PelvoProcess second;
    second.setEnv("PELVO_INSTANCE", first.instance());
    second.setEnv("PELVO_HOME", first.home());
    second.start({});
    ASSERT_TRUE(second.waitForExit());
    EXPECT_EQ(second.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(second.chat().isEmpty()) << "the second start made no window";
    // It says why it ended, and what would start a second player instead.
    EXPECT_TRUE(second.errors().contains("already runs with the settings folder " + first.home()))
        << second.errors().toStdString();
    EXPECT_TRUE(second.errors().contains("PELVO_HOME")) << second.errors().toStdString();
    EXPECT_TRUE(eventually([&] { return first.errors().contains("raise requested"); }));
    EXPECT_TRUE(first.running());

    // Another settings folder is another player: that window runs beside the first.
    PelvoProcess other;
    other.setEnv("PELVO_INSTANCE", first.instance());
    other.start({"Bo", "127.0.0.1"});
    EXPECT_TRUE(eventually([&] { return other.chat().contains("Loading"); }));
    EXPECT_TRUE(other.running());
    EXPECT_TRUE(first.running());
}

TEST(Startup, TheHostClosingTheConnectionEndsTheProgram) {
    PelvoProcess pelvo;
    FakeHost host(pelvo.port());
    pelvo.start({"Anna", "127.0.0.1", "false"});
    QTcpSocket* peer = host.accept();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_sendlogininfo+3\xFF");
    readAtLeast(peer, Login3.size());
    peer->close();
    ASSERT_TRUE(pelvo.waitForExit());
    EXPECT_EQ(pelvo.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pelvo.exitCode(), 0);
}

TEST(Startup, AFullTableShowsItsMessageThenEndsTheProgram) {
    PelvoProcess pelvo;
    FakeHost host(pelvo.port());
    pelvo.start({"Anna", "127.0.0.1", "false"});
    QTcpSocket* peer = host.accept();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_full+\xFF");
    ASSERT_TRUE(pelvo.waitForExit());
    EXPECT_EQ(pelvo.exitCode(), 0);
    EXPECT_TRUE(pelvo.errors().contains("pelvo: message box: Game is full"));
}
