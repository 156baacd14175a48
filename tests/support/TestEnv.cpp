#include "support/TestEnv.h"

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

} // namespace pelvo::test
