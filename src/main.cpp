// Entry point: the single-instance guard, the windows in their order, the event loop.

#include "client/SingleInstance.h"
#include "client/Tchat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>

namespace {

// PELVO_TEST_REPORT_STARTUP: prints "startup-ms <n>" to stderr, the time from the start of
// main() to the first paint of the main window.
class FirstPaintReporter : public QObject {
public:
    explicit FirstPaintReporter(const QElapsedTimer& clock) : clock_(clock) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            std::fprintf(stderr, "startup-ms %lld\n", static_cast<long long>(clock_.elapsed()));
            std::fflush(stderr);
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    const QElapsedTimer& clock_;
    bool reported_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();

    QApplication app(argc, argv);
    QApplication::setApplicationName("Pelvo");

    // A second start asks the first to come forward and ends before any window exists.
    pelvo::SingleInstance guard;
    if (!guard.tryLock()) return 0;

    QStringList params = QApplication::arguments();
    params.removeFirst();
    // The main window first; it creates the side windows and the hidden table host in order.
    pelvo::Tchat chat(params);
    QObject::connect(&guard, &pelvo::SingleInstance::raiseRequested, &chat,
                     &pelvo::Tchat::restoreAndRaise);
    QObject::connect(&chat, &pelvo::Tchat::mainWindowClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);

    FirstPaintReporter reporter(clock);
    if (qEnvironmentVariableIsSet("PELVO_TEST_REPORT_STARTUP")) {
        chat.installEventFilter(&reporter);
        chat.centralWidget()->installEventFilter(&reporter);
    }

    chat.show(); // its first showing reads the command line
    return app.exec();
}
