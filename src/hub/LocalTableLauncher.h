#pragma once
// Starts each table as a pelvo-table process on this machine, on a free port of a range. The
// program is the pelvo-table installed beside the hub, else the one on PATH; its arguments are
// the hub's own, and what a client chose (name, level) reaches it only as checked values.
// Tables keep running when the hub dies: their output goes to the hub's standard error, not
// to a pipe the hub reads.

// own
#include "hub/TableLauncher.h"

// Qt
#include <QHash>
#include <QStringList>

class QProcess;

namespace pelvo::hub {

class LocalTableLauncher : public TableLauncher {
    Q_OBJECT
public:
    struct Options {
        quint16 firstPort = 7781;
        quint16 lastPort = 7880;
        QString hubUrl;        // where the tables report
        QStringList extraArgs; // the operator's own arguments for every table (--bot-speed ...)
        int idleSeconds = 0;   // the table closes itself after this long with nobody (0: never)
        int startTimeoutMs = 10000;
    };

    explicit LocalTableLauncher(Options options, QObject* parent = nullptr);
    ~LocalTableLauncher() override;

    void launch(const LaunchRequest& request, Done done) override;
    void stop(const QString& id) override;
    void stopAll(std::function<void()> done, int graceMs) override;
    int running() const override { return int(processes_.size()); }

    // Leaves the processes running when the launcher goes (an upgrade of the hub).
    void detach() { detached_ = true; }

    // The program started: pelvo-table beside this program, else from PATH; empty if neither.
    static QString tableProgram();

private:
    struct Start;
    quint16 freePort();
    void tryStart(std::shared_ptr<Start> start);

    Options options_;
    QString program_;
    QHash<QString, QProcess*> processes_;
    QHash<QString, quint16> ports_;
    quint16 nextPort_;
    bool detached_ = false;
    bool stopping_ = false;
};

} // namespace pelvo::hub
