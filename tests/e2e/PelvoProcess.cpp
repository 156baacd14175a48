#include "e2e/PelvoProcess.h"

#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QUuid>

namespace pelvo::test {

bool eventually(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

PelvoProcess::PelvoProcess(quint16 port)
    : port_(port ? port : freePort()),
      instance_("pelvo-e2e-" + QUuid::createUuid().toString(QUuid::Id128)),
      env_(QProcessEnvironment::systemEnvironment()) {
    env_.insert("QT_QPA_PLATFORM", "offscreen");
    env_.insert("PELVO_INSTANCE", instance_);
    env_.insert("PELVO_PORT", QString::number(port_));
    env_.insert("PELVO_HOME", home_.path());
    env_.insert("PELVO_TEST_DUMP_CHAT", chatFile());
    env_.insert("PELVO_TEST_AUTO_ACCEPT", "1");
    env_.insert("QT_LOGGING_RULES", "pelvo.*.info=true");
}

PelvoProcess::~PelvoProcess() {
    if (running()) {
        process_.kill();
        process_.waitForFinished(5000);
    }
}

void PelvoProcess::start(const QStringList& params) {
    process_.setProcessEnvironment(env_);
    process_.start(programPath("src/pelvo"), params);
    process_.waitForStarted(5000);
}

QString PelvoProcess::chat() const {
    QFile file(chatFile());
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QString PelvoProcess::errors() {
    stderr_ += process_.readAllStandardError();
    return QString::fromUtf8(stderr_);
}

bool PelvoProcess::waitForExit(int ms) {
    return eventually([&] { return !running(); }, ms);
}

} // namespace pelvo::test
