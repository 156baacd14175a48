#include "net/TSock.h"
#include "support/TestEnv.h"

// Qt
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

// std
#include <algorithm>
#include <functional>
#include <vector>

// POSIX
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

// GoogleTest
#include <gtest/gtest.h>

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}

using pelvo::ESockException;
using pelvo::TSock;

namespace {

constexpr int kWait = 5000; // ms; generous upper bound, the waits end as soon as the event fires

#define EXPECT_SOCK_THROW(stmt, text)                                                              \
    do {                                                                                           \
        try {                                                                                      \
            stmt;                                                                                  \
            ADD_FAILURE() << "no exception, expected: " << (text);                                 \
        } catch (const ESockException& e) {                                                        \
            EXPECT_STREQ(e.what(), text);                                                          \
        }                                                                                          \
    } while (0)

// Runs the event loop until the condition holds; false after kWait ms without it.
bool waitFor(const std::function<bool()>& condition) {
    QElapsedTimer clock;
    clock.start();
    QTimer tick; // wakes the loop so the deadline is seen even when no socket event comes
    tick.start(20);
    while (!condition()) {
        if (clock.elapsed() > kWait) return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

// Runs the event loop for a short while, for checks that nothing (more) happens.
void settle() {
    QElapsedTimer clock;
    clock.start();
    waitFor([&] { return clock.elapsed() >= 50; });
}

// Records every event of the sockets it watches, in order.
struct Recorder {
    QStringList events;

    void watch(TSock& s) {
        s.OnInfo = [this](TSock*, int code, const QString& text) {
            events << QStringLiteral("%1 %2").arg(code).arg(text);
        };
        s.OnConnect = [this](TSock*) { events << QStringLiteral("connect"); };
        s.OnDisconnect = [this](TSock*) { events << QStringLiteral("disconnect"); };
    }
    bool has(const QString& e) const { return events.contains(e); }
    QStringList without(int code) const { return without(events, code); }
    static QStringList without(const QStringList& list, int code) {
        QStringList out;
        for (const auto& e : list)
            if (!e.startsWith(QString::number(code) + ' ')) out << e;
        return out;
    }
};

// A listener on a free port, a client connected to it and the accepted server side.
struct Link {
    quint16 port = pelvo::test::freePort();
    TSock listener;
    TSock client;
    QPointer<TSock> server;

    Link() {
        listener.setPortName(QString::number(port));
        listener.OnAccept = [this](TSock* l) {
            TSock* s = nullptr;
            if (l->Accept(s)) server = s;
        };
        listener.setListen(true);
        client.setHostName(QStringLiteral("127.0.0.1"));
        client.setPortName(QString::number(port));
    }
    bool open() {
        client.Open();
        return waitFor([&] { return client.Connected() && server; });
    }
};

TEST(TSockTransfer, BytesArriveExactlyAndInOrderIncludingSendsBeforeConnect) {
    Link link;
    link.client.Open();
    ASSERT_FALSE(link.client.Connected());
    // Both go out before the connection exists; they must wait in order, unchanged.
    link.client.Send(QByteArray("CMD_full+") + char(0xFF));
    link.client.Send(QByteArray("CMD_x+1+") + char(0xFF));
    ASSERT_TRUE(waitFor([&] { return link.server && link.server->inboundSize() >= 18; }));
    EXPECT_EQ(link.server->Receive(), QByteArray("CMD_full+\xFF"
                                                 "CMD_x+1+\xFF"));
    EXPECT_EQ(link.client.outboundSize(), 0);
}

TEST(TSockTransfer, MegabytesArriveCompleteAndInOrderInBoundedReads) {
    Link link;
    ASSERT_TRUE(link.open());
    QByteArray got;
    qsizetype largest = 0;
    link.server->OnRead = [&](TSock* s, int) {
        const QByteArray part = s->Receive();
        largest = std::max(largest, part.size());
        got += part;
    };
    // Megabyte pieces until the system stops taking them, so the rest must wait for
    // ready-for-writing events and still come out in order.
    QByteArray sent;
    for (int piece = 0; piece < 64 && link.client.outboundSize() == 0; ++piece) {
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < chunk.size(); ++i)
            chunk[i] = char(((sent.size() + i) * 131) % 251);
        sent += chunk;
        link.client.Send(chunk);
    }
    EXPECT_GT(link.client.outboundSize(), 0);
    ASSERT_TRUE(waitFor([&] { return got.size() >= sent.size(); }));
    EXPECT_TRUE(got == sent);
    EXPECT_LE(largest, 32768);
    EXPECT_EQ(link.client.outboundSize(), 0);
}

TEST(TSockLifecycle, AcceptedSocketIsSetUpAndPeerCloseDisconnectsBeforeClosing) {
    Recorder rec; // outlives the sockets whose handlers point at it
    Link link;
    rec.watch(link.listener); // copied onto the accepted socket
    ASSERT_TRUE(link.open());
    const QString port = QString::number(link.port);
    EXPECT_EQ(rec.events, (QStringList{"0 Setting PortName While Connected Has No Effect",
                                       "0 Setting HostName While Connected Has No Effect",
                                       "6 Created New TSock Structure"}));
    EXPECT_EQ(link.server->parent(), &link.listener);
    EXPECT_EQ(link.server->PortName(), port);
    EXPECT_EQ(link.server->HostName(), QStringLiteral("127.0.0.1"));
    EXPECT_TRUE(link.server->Connected());
    // One ready-for-writing event for the fresh connection, then an idle socket stays quiet.
    ASSERT_TRUE(waitFor([&] { return rec.has("5 Non-Blocking Outgoing Data"); }));
    settle();
    EXPECT_EQ(rec.events.count("5 Non-Blocking Outgoing Data"), 1);

    rec.events.clear();
    link.client.Close();
    ASSERT_TRUE(waitFor([&] { return rec.has("2 Socket Closed"); }));
    const QStringList order = rec.without(5); // the fresh socket's first ready-for-writing
    EXPECT_EQ(order, (QStringList{"disconnect", "2 Socket Closed"}));
    EXPECT_FALSE(link.server->Connected());
}

TEST(TSockLifecycle, ReceiveAfterPeerCloseHandsOverBufferedDataThenRaises) {
    Recorder rec; // outlives the sockets whose handlers point at it
    Link link;
    rec.watch(link.client);
    ASSERT_TRUE(link.open());
    link.server->Send("hello");
    link.server->Close();
    ASSERT_TRUE(waitFor([&] { return rec.has("2 Socket Closed"); }));
    EXPECT_EQ(link.client.Receive(), QByteArray("hello"));
    EXPECT_SOCK_THROW(link.client.Receive(), "Receive - Socket Not Connected");
}

TEST(TSockLifecycle, RefusedConnectGivesOnlyTheErrorNoticeAndOpenTwiceChangesNothing) {
    Recorder rec;
    TSock client;
    rec.watch(client);
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(pelvo::test::freePort()));
    EXPECT_FALSE(client.Open());
    EXPECT_EQ(rec.events,
              (QStringList{"0 Lookup Of Port " + client.PortName(), "0 Lookup Of Host 127.0.0.1"}));
    ASSERT_TRUE(waitFor([&] { return rec.events.size() > 2; }));
    settle();
    EXPECT_EQ(rec.without(0), QStringList{"7 Error #10061 (WSAECONNREFUSED)"});
    EXPECT_FALSE(client.Connected());
    EXPECT_TRUE(client.holdsSocket()); // stays allocated, as a failed connect does

    rec.events.clear();
    EXPECT_FALSE(client.Open());
    EXPECT_TRUE(rec.events.isEmpty());
}

TEST(TSockLifecycle, SendingWhileTheConnectFailsDoesNotHideTheFailure) {
    Recorder rec;
    TSock client;
    rec.watch(client);
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(QString::number(pelvo::test::freePort()));
    client.Open();
    EXPECT_TRUE(client.Send("early"));
    ASSERT_TRUE(waitFor([&] { return !Recorder::without(rec.without(0), 5).isEmpty(); }));
    EXPECT_EQ(Recorder::without(rec.without(0), 5),
              QStringList{"7 Error #10061 (WSAECONNREFUSED)"});
    EXPECT_FALSE(client.Connected());
}

TEST(TSockLifecycle, ListenTwiceBindConflictAndStop) {
    const QString port = QString::number(pelvo::test::freePort());
    Recorder rec;
    TSock first;
    rec.watch(first);
    first.setPortName(port);
    first.setListen(true);
    first.setListen(true);
    EXPECT_TRUE(rec.has("3 Listening Started"));
    EXPECT_TRUE(rec.has("3 Listening Already Running"));

    TSock second;
    second.setPortName(port);
    EXPECT_SOCK_THROW(second.setListen(true), "Listen - Error Binding Socket");
    EXPECT_FALSE(second.Listen());
    EXPECT_SOCK_THROW(second.setListen(true), "Listen - Socket Already In Use");

    rec.events.clear();
    first.setListen(false);
    EXPECT_EQ(rec.without(0), (QStringList{"2 Socket Closed", "3 Listening Stopped"}));
    EXPECT_FALSE(first.Listen());
}

TEST(TSockLifecycle, WrongStateOperationsRaiseAndCloseNeverThrows) {
    Recorder rec;
    TSock s;
    EXPECT_SOCK_THROW(s.Send("x"), "Send - Socket Not Connected");
    EXPECT_SOCK_THROW(s.Receive(), "Receive - Socket Not Connected");
    TSock* out = nullptr;
    EXPECT_SOCK_THROW(s.Accept(out), "Accept - Socket Not In Listening Mode");

    rec.watch(s);
    EXPECT_FALSE(s.Close());
    EXPECT_EQ(rec.events, QStringList{"2 Socket Closed"});

    s.setPortName(QString::number(pelvo::test::freePort()));
    s.setListen(true);
    EXPECT_SOCK_THROW(s.Send("x"), "Send - Cannot Send On A Listener Socket");
    EXPECT_SOCK_THROW(s.Receive(), "Receive - Cannot Receive On A Listener Socket");

    s.OnInfo = [](TSock*, int, const QString&) { throw std::runtime_error("handler"); };
    EXPECT_SOCK_THROW(s.setListen(true), "Error here");
    s.setPortName(QString());
    EXPECT_TRUE(s.Close());
}

// With every descriptor in use the waiting connection stays readable; the listener must pause
// rather than spin on it, and take the connection once a descriptor is free again.
TEST(TSockLifecycle, ListenerOutOfDescriptorsPausesThenAccepts) {
    Link link;
    int attempts = 0;
    link.listener.OnAccept = [&](TSock* l) {
        ++attempts;
        TSock* s = nullptr;
        if (l->Accept(s)) link.server = s;
    };
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = std::min<rlim_t>(saved.rlim_cur, 4096);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &tight), 0);
    std::vector<int> hogs;
    for (int fd; hogs.size() < 4096 && (fd = ::open("/dev/null", O_RDONLY)) >= 0;)
        hogs.push_back(fd);
    ASSERT_FALSE(hogs.empty());
    ::close(hogs.back()); // one for the client's own socket
    hogs.pop_back();
    link.client.Open();
    QElapsedTimer clock;
    clock.start();
    waitFor([&] { return clock.elapsed() >= 400; });
    const int whileFull = attempts;
    for (int fd : hogs) ::close(fd);
    ::setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_GE(whileFull, 1);
    EXPECT_LE(whileFull, 10) << "the listener spun on a connection it could not take";
    EXPECT_TRUE(waitFor([&] { return bool(link.server); }));
}

TEST(TSockLifecycle, DestroyingAListenerClosesItsConnectionsFirst) {
    Recorder rec;
    TSock client;
    rec.watch(client);
    auto listener = std::make_unique<TSock>();
    listener->setPortName(QString::number(pelvo::test::freePort()));
    int closedUnderWholeListener = 0;
    listener->OnAccept = [&](TSock* l) {
        TSock* s = nullptr;
        if (!l->Accept(s)) return;
        s->OnInfo = [&, l](TSock* self, int code, const QString&) {
            if (code == pelvo::InfoClosed && self->parent() == l && l->Listen())
                ++closedUnderWholeListener;
        };
    };
    listener->setListen(true);
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(listener->PortName());
    client.Open();
    ASSERT_TRUE(waitFor([&] { return client.Connected() && !listener->children().isEmpty(); }));

    listener.reset();
    EXPECT_EQ(closedUnderWholeListener, 1);
    ASSERT_TRUE(waitFor([&] { return rec.has("2 Socket Closed"); }));
    EXPECT_EQ(rec.without(5).mid(rec.without(5).indexOf("disconnect")),
              (QStringList{"disconnect", "2 Socket Closed"}));
}

TEST(TSockLookup, DottedNamesAreConvertedAndNamesResolvedOnce) {
    const int before = TSock::hostNameResolutions();
    Link link;
    ASSERT_TRUE(link.open());
    EXPECT_EQ(TSock::hostNameResolutions(), before);

    // The cache lives as long as the process, so count from the first use on.
    TSock a, b;
    for (TSock* s : {&a, &b}) {
        s->setHostName(QStringLiteral("localhost"));
        s->setPortName(QString::number(link.port));
    }
    a.Open();
    const int afterFirst = TSock::hostNameResolutions();
    EXPECT_LE(afterFirst, before + 1);
    b.Open();
    EXPECT_EQ(TSock::hostNameResolutions(), afterFirst);
    EXPECT_TRUE(waitFor([&] { return a.Connected() && b.Connected(); }));
}

TEST(TSockLookup, UnknownNamesRaiseAndLeaveNothingAllocated) {
    TSock s;
    s.setHostName(QStringLiteral("127.0.0.1"));
    s.setPortName(QStringLiteral("no-such-service-pelvo"));
    EXPECT_SOCK_THROW(s.Open(), "Port Lookup - Could Not Find Service Entry");
    s.setPortName(QString());
    EXPECT_SOCK_THROW(s.Open(), "Port Lookup - Could Not Find Service Entry");
    EXPECT_SOCK_THROW(s.setListen(true), "Port Lookup - Could Not Find Service Entry");

    s.setPortName(QStringLiteral("http")); // a service name resolves to its port
    s.setHostName(QStringLiteral("no-such-host.invalid"));
    EXPECT_SOCK_THROW(s.Open(), "Host Lookup - Could Not Find Host Entry");
    EXPECT_FALSE(s.holdsSocket());
}

TEST(TSockRobustness, PeerThatNeverReadsIsClosedAtTheOutboundCap) {
    // A listener that never accepts: the connection completes but nobody reads it.
    TSock deaf;
    deaf.setPortName(QString::number(pelvo::test::freePort()));
    deaf.setListen(true);
    Recorder rec;
    TSock client;
    rec.watch(client);
    client.MaxOutbound = 256 * 1024;
    client.setHostName(QStringLiteral("127.0.0.1"));
    client.setPortName(deaf.PortName());
    client.Open();
    ASSERT_TRUE(waitFor([&] { return client.Connected(); }));

    const QByteArray chunk(64 * 1024, 'x');
    qsizetype sent = 0;
    while (client.Connected() && sent < (256 << 20)) {
        client.Send(chunk);
        sent += chunk.size();
    }
    EXPECT_FALSE(client.Connected());
    EXPECT_TRUE(rec.has("2 Socket Closed"));
    EXPECT_EQ(client.outboundSize(), 0);
}

TEST(TSockRobustness, ResetConnectionIsReportedThenClosed) {
    Recorder rec;
    Link link;
    rec.watch(link.listener);
    // A raw peer that aborts its connection, so the reset path is taken.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(link.port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_TRUE(waitFor([&] { return bool(link.server); }));
    const linger abort{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    ::close(fd);
    ASSERT_TRUE(waitFor([&] { return rec.has("2 Socket Closed"); }));
    QStringList endings;
    for (const auto& e : rec.events)
        if (e.startsWith("2 ") || e.startsWith("7 ") || e == "disconnect") endings << e;
    EXPECT_EQ(endings,
              (QStringList{"7 Error #10054 (WSAECONNRESET)", "disconnect", "2 Socket Closed"}));
}

TEST(TSockRobustness, HandlersMayCloseOrDeleteTheirSocket) {
    Link link;
    ASSERT_TRUE(link.open());
    QPointer<TSock> server = link.server;
    // Closing from inside a read event, then deleting from inside the disconnect.
    int reads = 0;
    server->OnRead = [&](TSock* s, int) {
        ++reads;
        s->Close();
    };
    link.client.Send("a");
    ASSERT_TRUE(waitFor([&] { return reads == 1; }));
    EXPECT_FALSE(server->Connected());

    Link second;
    ASSERT_TRUE(second.open());
    second.server->OnDisconnect = [](TSock* s) { delete s; };
    second.client.Close();
    ASSERT_TRUE(waitFor([&] { return !second.server; }));

    // A child deleted by its owner leaves the listener working and destructible.
    Link third;
    ASSERT_TRUE(third.open());
    delete third.server.data();
    TSock another;
    another.setHostName(QStringLiteral("127.0.0.1"));
    another.setPortName(QString::number(third.port));
    another.Open();
    ASSERT_TRUE(waitFor([&] { return third.server; }));
    third.listener.setListen(false);

    // A disconnect handler that fails still leaves the socket closed, so its owner hears of it.
    Link fourth;
    ASSERT_TRUE(fourth.open());
    bool closedNotice = false;
    fourth.server->OnDisconnect = [](TSock*) { throw std::runtime_error("handler failed"); };
    fourth.server->OnInfo = [&](TSock*, int code, const QString&) {
        closedNotice |= code == pelvo::InfoClosed;
    };
    fourth.client.Close();
    ASSERT_TRUE(waitFor([&] { return closedNotice; }));
    EXPECT_FALSE(fourth.server->Connected());
}

TEST(TSockErrors, NamesCoverExactlyTheWindowsSocketsRanges) {
    for (int named : {10004, 10009, 10013, 10014, 10022, 10024, 10035, 10071, 10091, 10093, 10101,
                      11001, 11004})
        EXPECT_NE(TSock::errorName(named), QStringLiteral("UNKNOWN ERROR")) << named;
    for (int unnamed : {10000, 10005, 10034, 10072, 10090, 10094, 10100, 11000, 11005})
        EXPECT_EQ(TSock::errorName(unnamed), QStringLiteral("UNKNOWN ERROR")) << unnamed;
    EXPECT_EQ(TSock::errorName(TSock::wsaErrorFromErrno(ETIMEDOUT)),
              QStringLiteral("WSAETIMEDOUT"));
    // An errno without a counterpart never borrows a real name.
    EXPECT_EQ(TSock::errorName(TSock::wsaErrorFromErrno(ENOENT)), QStringLiteral("UNKNOWN ERROR"));
}

} // namespace
