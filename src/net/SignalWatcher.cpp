#include "net/SignalWatcher.h"

// Qt
#include <QLoggingCategory>
#include <QPointer>
#include <QSocketNotifier>

// std
#include <atomic>
#include <cerrno>
#include <cstring>

// POSIX
#include <fcntl.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcSignal, "pelvo.net")

namespace pelvo {

namespace {
// The pipe's write end for the handler; -1 while no watcher exists. Lock-free, so the handler
// reads it safely.
std::atomic<int> writeEnd{-1};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void onSignal(int number) {
    const int saved = errno; // the interrupted code may be about to read errno
    const int fd = writeEnd.load(std::memory_order_relaxed);
    if (fd >= 0) {
        const unsigned char byte = static_cast<unsigned char>(number);
        // A full pipe already holds a wake-up; losing this byte loses nothing that matters.
        [[maybe_unused]] const ssize_t n = ::write(fd, &byte, 1);
    }
    errno = saved;
}
} // namespace

SignalWatcher::SignalWatcher(const std::vector<int>& numbers, QObject* parent) : QObject(parent) {
    if (writeEnd.load() >= 0) {
        qCWarning(lcSignal) << "a signal watcher exists already; this one watches nothing";
        return;
    }
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
        qCWarning(lcSignal) << "no pipe for signals:" << strerror(errno);
        return;
    }
    writeEnd.store(pipe_[1]);
    for (int number : numbers) {
        struct sigaction action {};
        action.sa_handler = onSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART; // reads and writes elsewhere go on undisturbed
        struct sigaction old {};
        if (::sigaction(number, &action, &old) == 0)
            previous_.emplace_back(number, old);
        else
            qCWarning(lcSignal) << "cannot catch signal" << number;
        // A stop signal blocked by whoever started us would never arrive.
        sigset_t one;
        sigemptyset(&one);
        sigaddset(&one, number);
        pthread_sigmask(SIG_UNBLOCK, &one, nullptr);
    }
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &SignalWatcher::drain);
}

SignalWatcher::~SignalWatcher() {
    for (const auto& [number, old] : previous_) ::sigaction(number, &old, nullptr);
    if (pipe_[1] >= 0) {
        writeEnd.store(-1);
        ::close(pipe_[1]);
    }
    delete notifier_;
    if (pipe_[0] >= 0) ::close(pipe_[0]);
}

void SignalWatcher::drain() {
    unsigned char bytes[64];
    ssize_t n;
    const QPointer<SignalWatcher> alive(this); // a receiver may end the watcher
    while (alive && (n = ::read(pipe_[0], bytes, sizeof bytes)) > 0)
        for (ssize_t i = 0; i < n && alive; ++i) emit caught(int(bytes[i]));
}

} // namespace pelvo
