#include "support/TestEnv.h"

#include <QFile>

#include <QCoreApplication>
#include <QDir>
#include <QTcpServer>

namespace pelvo::test {

quint16 freePort() {
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
