// The metrics port under a crowd of half-open connections: a table whose descriptors are capped
// at the login default of 1,024 keeps taking players and answering /healthz while 1,100
// connections from a hundred-odd addresses each send half a request, and every one of those is
// closed once the (shortened) time-outs pass.
#include "TableProcess.h"

#include "service/DescriptorLimit.h"

#include <QDir>
#include <QFile>
#include <QElapsedTimer>
#include <QTcpSocket>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

using namespace pelvo::test;

namespace {

constexpr int Attackers = 1100;
constexpr int PerAddress = 10;

// A non-blocking connection from `from` to the metrics port, on its way.
int startConnect(const QByteArray& from, quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    ::inet_pton(AF_INET, from.constData(), &local.sin_addr);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(port);
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0 ||
        (::connect(fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

// Waits (bounded) until each connection is writable, then sends the first half of a request.
int sendHalfRequests(const std::vector<int>& fds) {
    std::vector<pollfd> waiting;
    for (int fd : fds) waiting.push_back({fd, POLLOUT, 0});
    int sent = 0;
    QElapsedTimer clock;
    clock.start();
    while (!waiting.empty() && clock.elapsed() < 10000) {
        if (::poll(waiting.data(), waiting.size(), 200) <= 0) continue;
        std::vector<pollfd> still;
        for (const pollfd& p : waiting) {
            if (p.revents == 0) {
                still.push_back({p.fd, POLLOUT, 0});
                continue;
            }
            static const char half[] = "GET /metrics HTTP/1.1\r\nHost: table\r\nAccept: ";
            if (::send(p.fd, half, sizeof half - 1, MSG_NOSIGNAL) > 0) ++sent;
        }
        waiting.swap(still);
    }
    return sent;
}

// True once the peer closed (end of stream or reset).
bool peerClosed(int fd) {
    char buffer[512];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n == 0) return true;
        if (n < 0) return errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR;
    }
}

long residentKiB(qint64 pid) {
    QFile status(QString("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}

int openDescriptors(qint64 pid) {
    return int(QDir(QString("/proc/%1/fd").arg(pid))
                   .entryList(QDir::NoDotAndDotDot | QDir::System)
                   .size());
}

QByteArray get(quint16 port, const QByteArray& path) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000)) return {};
    socket.write("GET " + path + " HTTP/1.1\r\nHost: table\r\nConnection: close\r\n\r\n");
    QByteArray got;
    (void)QTest::qWaitFor(
        [&] {
            got += socket.readAll();
            return socket.state() == QAbstractSocket::UnconnectedState ||
                   (got.contains("\r\n\r\n") && !path.endsWith("metrics")) ||
                   got.contains("pelvo_table_http_timeouts_total ");
        },
        10000);
    return got + socket.readAll();
}

double sample(const QByteArray& text, const QByteArray& name) {
    for (const QByteArray& line : text.split('\n'))
        if (line.startsWith(name + ' ')) return line.mid(name.size() + 1).toDouble();
    return -1;
}

} // namespace

TEST(MetricsAttack, HalfOpenCrowdCannotLockTheTableOut) {
    if (pelvo::raiseOpenFileLimit() < Attackers + 200) GTEST_SKIP() << "too few descriptors";

    TableProcess table;
    table.port = freePort();
    const quint16 metricsPort = freePort();
    // The descriptor ceiling a table had under the unit before LimitNOFILE.
    table.process.setChildProcessModifier([] {
        const rlimit tight{1024, 1024};
        ::setrlimit(RLIMIT_NOFILE, &tight);
    });
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("PELVO_HTTP_IDLE_MS", "1500");
    env.insert("PELVO_HTTP_LIFETIME_MS", "4000");
    ASSERT_TRUE(table.start({"--port", QString::number(table.port), "--bot-speed", "20",
                             "--metrics-port", QString::number(metricsPort)},
                            env));
    const qint64 pid = table.process.processId();

    std::vector<int> fds;
    int peak = 0, sent = 0;
    QElapsedTimer clock;
    clock.start();
    for (int batch = 0; batch < Attackers / 100; ++batch) {
        std::vector<int> these;
        for (int i = batch * 100; i < (batch + 1) * 100; ++i) {
            const QByteArray from = "127.0.1." + QByteArray::number(1 + i / PerAddress);
            const int fd = startConnect(from, metricsPort);
            ASSERT_GE(fd, 0) << "cannot open attacker " << i;
            these.push_back(fd);
        }
        sent += sendHalfRequests(these);
        fds.insert(fds.end(), these.begin(), these.end());
        peak = std::max(peak, openDescriptors(pid));
    }
    const qint64 opened = clock.elapsed();

    // In the middle of the crowd, a newcomer at the game port is greeted and /healthz answers.
    RawClient player;
    ASSERT_TRUE(player.connectTo(table.port));
    ASSERT_TRUE(player.waitFrames(1));
    EXPECT_TRUE(player.frames.first().startsWith("CMD_sendlogininfo+1"))
        << player.frames.first().constData();
    // Logged in, the player outlives the table's login time-out however long the crowd takes.
    player.send(QByteArray("CMD_logininfo+1+1.0.1+Ann") + char(0xFF));
    // A probe that finds every place just taken tries again, as monitors do.
    QByteArray health;
    for (int i = 0; i < 25 && !health.startsWith("HTTP/1.1 200"); ++i) {
        if (i > 0) QTest::qWait(200);
        health = get(metricsPort, "/healthz");
    }
    EXPECT_TRUE(health.startsWith("HTTP/1.1 200")) << health.left(80).constData();
    peak = std::max(peak, openDescriptors(pid));
    // The guard holds at most 64 of them; the rest of the table needs a few dozen.
    EXPECT_LT(peak, 200);

    // Every half-open connection is closed by the table, none is left waiting.
    std::vector<bool> closed(fds.size(), false);
    int closedCount = 0;
    while (closedCount < int(fds.size()) && clock.elapsed() < opened + 30000) {
        for (std::size_t i = 0; i < fds.size(); ++i) {
            if (closed[i] || !peerClosed(fds[i])) continue;
            closed[i] = true;
            ++closedCount;
        }
        QTest::qWait(100);
    }
    const qint64 allClosed = clock.elapsed() - opened;
    EXPECT_EQ(closedCount, Attackers);
    for (int fd : fds) ::close(fd);

    const QByteArray metrics = get(metricsPort, "/metrics");
    const double refused = sample(metrics, "pelvo_table_http_refused_total");
    const double evicted = sample(metrics, "pelvo_table_http_evicted_total");
    const double timedOut = sample(metrics, "pelvo_table_http_timeouts_total");
    EXPECT_GE(refused + evicted + timedOut, Attackers);
    EXPECT_TRUE(player.socket.state() == QAbstractSocket::ConnectedState);
    std::printf("attack: %d connections (%d sent half a request) opened in %lld ms; table peak "
                "%d descriptors; all closed %lld ms after; refused %.0f, evicted %.0f, timed "
                "out %.0f\n",
                Attackers, sent, opened, peak, allClosed, refused, evicted, timedOut);
}

TEST(MetricsAttack, AnEndlessBodyIsCutOffBeforeItTakesTheTablesMemory) {
    TableProcess table;
    table.port = freePort();
    const quint16 metricsPort = freePort();
    ASSERT_TRUE(table.start(
        {"--port", QString::number(table.port), "--metrics-port", QString::number(metricsPort)}));
    const int fd = startConnect("127.0.0.1", metricsPort);
    ASSERT_GE(fd, 0);
    pollfd writable{fd, POLLOUT, 0};
    ASSERT_EQ(::poll(&writable, 1, 5000), 1);
    const QByteArray head =
        "POST /metrics HTTP/1.1\r\nHost: t\r\nContent-Length: 4000000000\r\n\r\n";
    ASSERT_EQ(::send(fd, head.constData(), size_t(head.size()), MSG_NOSIGNAL), head.size());
    // Up to 1 GiB, as fast as the table takes it, until it hangs up.
    const QByteArray chunk(64 * 1024, 'a');
    qint64 sent = 0;
    bool cut = false;
    for (int i = 0; i < 16384 && !cut; ++i) {
        pollfd p{fd, POLLOUT, 0};
        if (::poll(&p, 1, 5000) != 1) break;
        const ssize_t n = ::send(fd, chunk.constData(), size_t(chunk.size()), MSG_NOSIGNAL);
        if (n < 0)
            cut = errno == EPIPE || errno == ECONNRESET;
        else
            sent += n;
    }
    ::close(fd);
    const long resident = residentKiB(table.process.processId());
    EXPECT_TRUE(cut) << sent << " bytes sent";
    // The unit allows 256 MiB; the table holds a few KiB of the body at most.
    EXPECT_LT(resident, 100 * 1024);
    EXPECT_TRUE(get(metricsPort, "/healthz").startsWith("HTTP/1.1 200"));
    std::printf("endless body: cut after %lld bytes sent; table resident %ld KiB\n", sent,
                resident);
}
