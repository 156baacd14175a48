#include "service/ServiceProgram.h"

// Qt
#include <QCoreApplication>

// std
#include <csignal>
#include <cstring>

namespace pelvo {

ServiceProgram::ServiceProgram(const QString& name, const QString& version,
                               const QString& description) {
    std::signal(SIGPIPE, SIG_IGN);
    QCoreApplication::setApplicationName(name);
    QCoreApplication::setApplicationVersion(version);
    parser.setApplicationDescription(description);
    parser.addHelpOption();
    parser.addVersionOption();
}

QString signalName(int number) {
    const char* name = sigabbrev_np(number);
    return QString::fromLatin1(name ? name : "?");
}

} // namespace pelvo
