#include "support/TestEnv.h"

#include <QFile>

#include <QCoreApplication>
#include <QDir>
#include <QTcpServer>
#include <QUdpSocket>

#include <random>
#include <set>

namespace pelvo::test {

quint16 freePort() {
    // Below the kernel's range for outgoing sockets (32768 and up), so no test running beside
    // this one connects from the port between this probe and its use. Both sides must be free:
    // tables answer searches on the UDP side of their game port. A port is handed out once.
    static std::mt19937 pick(std::random_device{}());
    static std::set<quint16> given;
    std::uniform_int_distribution<int> range(20000, 32000);
    for (int attempt = 0; attempt < 500; ++attempt) {
        const auto port = quint16(range(pick));
        if (given.count(port) != 0) continue;
        QTcpServer tcp;
        QUdpSocket udp;
        if (tcp.listen(QHostAddress::LocalHost, port) && udp.bind(QHostAddress::LocalHost, port)) {
            given.insert(port);
            return port;
        }
    }
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

QString binaryDir() {
    const QByteArray dir = qgetenv("PELVO_TEST_BIN_DIR");
    if (!dir.isEmpty()) return QString::fromLocal8Bit(dir);
    // Run by hand from build/tests/<folder>: the build tree is two levels up.
    return QDir(QCoreApplication::applicationDirPath() + "/../..").absolutePath();
}

QString programPath(const QString& relative) {
    return binaryDir() + "/" + relative;
}

namespace {
long statusKiB(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').value(0).toLong();
    return 0;
}
} // namespace

long residentKiB() {
    return statusKiB("VmRSS:");
}

long peakResidentKiB() {
    return statusKiB("VmHWM:");
}

bool resetPeakMemory() {
    QFile refs(QStringLiteral("/proc/self/clear_refs"));
    return refs.open(QIODevice::WriteOnly) && refs.write("5") == 1;
}

} // namespace pelvo::test
