#include "hub/LocalTableLauncher.h"

// own
#include "hub/TableProbe.h"

// Qt
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTimer>
#include <QElapsedTimer>

// std
#include <memory>

namespace pelvo::hub {

struct LocalTableLauncher::Start {
    LaunchRequest request;
    Done done;
    int attempts = 0;
    bool answered = false;
    quint16 port = 0;
    QProcess* process = nullptr;
};

LocalTableLauncher::LocalTableLauncher(Options options, QObject* parent)
    : TableLauncher(parent), options_(std::move(options)), program_(tableProgram()),
      nextPort_(options_.firstPort) {}

LocalTableLauncher::~LocalTableLauncher() {
    // A QProcess kills its child when it goes; for an upgrade the children must outlive us.
    if (detached_)
        for (QProcess* p : std::as_const(processes_)) {
            p->disconnect();
            p->setParent(nullptr);
        }
}

QString LocalTableLauncher::tableProgram() {
    const QString beside =
        QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("pelvo-table"));
    if (QFileInfo(beside).isExecutable()) return beside;
    return QStandardPaths::findExecutable(QStringLiteral("pelvo-table"));
}

quint16 LocalTableLauncher::freePort() {
    const int span = options_.lastPort - options_.firstPort + 1;
    for (int i = 0; i < span; ++i) {
        const quint16 port = nextPort_;
        nextPort_ = port >= options_.lastPort ? options_.firstPort : quint16(port + 1);
        if (std::find(ports_.cbegin(), ports_.cend(), port) != ports_.cend()) continue;
        // A table left running by an earlier hub may hold it.
        QTcpServer probe;
        if (probe.listen(QHostAddress::Any, port)) return port;
    }
    return 0;
}

void LocalTableLauncher::launch(const LaunchRequest& request, Done done) {
    auto start = std::make_shared<Start>();
    start->request = request;
    start->done = std::move(done);
    tryStart(start);
}

void LocalTableLauncher::tryStart(std::shared_ptr<Start> start) {
    // Nothing new starts once every table has been asked to close.
    const quint16 port = program_.isEmpty() || stopping_ ? 0 : freePort();
    if (port == 0 || ++start->attempts > 3) {
        if (auto done = std::exchange(start->done, nullptr)) done(std::nullopt);
        return;
    }
    start->port = port;
    const LaunchRequest& r = start->request;
    QStringList args{QStringLiteral("--port"),
                     QString::number(port),
                     QStringLiteral("--name=") + r.name,
                     QStringLiteral("--bot-level"),
                     levelName(r.level),
                     QStringLiteral("--hub"),
                     options_.hubUrl};
    if (r.isPrivate) args << QStringLiteral("--private");
    if (options_.idleSeconds > 0)
        args << QStringLiteral("--idle-seconds") << QString::number(options_.idleSeconds);
    args << options_.extraArgs;

    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("PELVO_HUB_ID"), r.id);
    env.insert(QStringLiteral("PELVO_HUB_KEY"), r.key);
    if (!r.code.isEmpty()) env.insert(QStringLiteral("PELVO_HUB_CODE"), r.code);
    env.insert(QStringLiteral("PELVO_HUB_REPORT_SECONDS"), QString::number(r.reportSeconds));

    auto* process = new QProcess(this);
    start->process = process;
    process->setProcessEnvironment(env);
    process->setProgram(program_);
    process->setArguments(args);
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    processes_.insert(r.id, process);
    ports_.insert(r.id, port);

    connect(process, &QProcess::finished, this, [this, start, process] {
        const QString id = start->request.id;
        if (processes_.value(id) == process) {
            processes_.remove(id);
            ports_.remove(id);
        }
        process->deleteLater();
        if (!start->answered) {
            if (start->done) tryStart(start); // the port was taken meanwhile, most likely
            return;
        }
        emit ended(id);
    });
    connect(process, &QProcess::errorOccurred, this,
            [this, start, process](QProcess::ProcessError e) {
                if (e != QProcess::FailedToStart) return; // no finished() follows this one
                if (processes_.value(start->request.id) == process) {
                    processes_.remove(start->request.id);
                    ports_.remove(start->request.id);
                }
                process->deleteLater();
                if (auto done = std::exchange(start->done, nullptr)) done(std::nullopt);
            });
    process->start();

    // Ready once it answers the table search on its port.
    auto deadline = std::make_shared<QElapsedTimer>();
    deadline->start();
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [this, start, process, port, deadline, poll] {
        if (start->process != process || process->state() == QProcess::NotRunning) return;
        TableProbe::ask(
            QHostAddress::LocalHost, port,
            [this, start, process, port, deadline, poll](auto info) {
                if (start->process != process || !start->done) return;
                if (info) {
                    start->answered = true;
                    auto done = std::exchange(start->done, nullptr);
                    *poll = nullptr; // breaks the cycle
                    done(LaunchedTable{QString(), port});
                } else if (deadline->elapsed() > options_.startTimeoutMs) {
                    auto done = std::exchange(start->done, nullptr);
                    *poll = nullptr;
                    process->kill();
                    done(std::nullopt);
                } else {
                    QTimer::singleShot(100, this, [poll] {
                        if (*poll) (*poll)();
                    });
                }
            },
            200, this);
    };
    QTimer::singleShot(50, this, [poll] {
        if (*poll) (*poll)();
    });
}

void LocalTableLauncher::stop(const QString& id) {
    if (QProcess* p = processes_.value(id)) p->terminate();
}

void LocalTableLauncher::stopAll(std::function<void()> done, int graceMs) {
    stopping_ = true;
    for (QProcess* p : std::as_const(processes_)) p->terminate();
    auto waited = std::make_shared<QElapsedTimer>();
    waited->start();
    auto timer = new QTimer(this);
    timer->setInterval(50);
    connect(timer, &QTimer::timeout, this, [this, timer, waited, graceMs, done] {
        if (!processes_.isEmpty() && waited->elapsed() < graceMs) return;
        for (QProcess* p : std::as_const(processes_)) p->kill();
        timer->deleteLater();
        done();
    });
    timer->start();
}

} // namespace pelvo::hub
