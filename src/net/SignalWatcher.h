#pragma once
// Unix signals as a Qt signal: the handler only writes the signal's number into a pipe (the one
// thing a handler may safely do), and a socket notifier reads it on the owner's thread, where any
// code may run. One watcher at a time per process; it restores the previous handlers when
// destroyed.

// Qt
#include <QObject>

// std
#include <vector>

// POSIX
#include <csignal>

class QSocketNotifier;

namespace pelvo {

class SignalWatcher : public QObject {
    Q_OBJECT
public:
    // Catches each of `numbers` from now on; a repeated signal is reported again.
    explicit SignalWatcher(const std::vector<int>& numbers, QObject* parent = nullptr);
    ~SignalWatcher() override;

    // False when the pipe or a handler could not be set up: the signals keep their old effect.
    bool isWatching() const { return notifier_ != nullptr; }

    // SIGTERM, SIGINT and SIGHUP: what a service manager, a terminal and a closing session send
    // to ask a program to end.
    static std::vector<int> stopSignals() { return {SIGTERM, SIGINT, SIGHUP}; }

signals:
    void caught(int signalNumber);

private:
    void drain();

    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    std::vector<std::pair<int, struct sigaction>> previous_;
};

} // namespace pelvo
