// Entry point: the single-instance guard, the windows in their order, the event loop.

// own
#include "client/DeferredStyleIcons.h"
#include "client/OrderlyStop.h"
#include "client/SingleInstance.h"
#include "client/Tchat.h"
#include "client/board/CardArt.h"
#include "client/sound/SoundPlayer.h"
#include "protocol/Commands.h"
#include "session/settings/SettingsFile.h"

// Qt
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>

// std
#include <cstdio>
#include <cstring>

namespace {

// PELVO_TEST_REPORT_STARTUP: prints "startup-ms <n>" to stderr, the time from the start of
// main() to the first paint of the main window, and then what the program found to paint and
// play with: "startup-assets card-deck=yes|no sounds=<n>" (an installed copy must find both).
class FirstPaintReporter : public QObject {
public:
    explicit FirstPaintReporter(const QElapsedTimer& clock) : clock_(clock) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint && !reported_) {
            reported_ = true;
            std::fprintf(stderr, "startup-ms %lld\n", static_cast<long long>(clock_.elapsed()));
            std::fprintf(stderr, "startup-assets card-deck=%s sounds=%lld\n",
                         pelvo::board::CardArt::instance().hasDeck() ? "yes" : "no",
                         static_cast<long long>(pelvo::SoundPlayer::clipNames().size()));
            std::fflush(stderr);
            watched->removeEventFilter(this);
        }
        return false;
    }

private:
    const QElapsedTimer& clock_;
    bool reported_ = false;
};

constexpr char helpText[] = R"(Usage: pelvo
       pelvo NAME ADDRESS true|false
       pelvo --replay FILE
A card game of the nine-card golf family for one to four players and up to five onlookers.

Without arguments, plays a solo game against the computer on this machine.
  NAME ADDRESS true    host a table as NAME; others join this machine's address
  NAME ADDRESS false   join the table hosted at ADDRESS as NAME
                       (only the exact word "true" hosts; any other word joins)

  --replay FILE        show the game record FILE (read-only): step through it,
                       play it, and with a host's record see every hand

Every game played is recorded in the folder "games" of the per-user data
folder (of PELVO_HOME when set).

  --help               show this help and exit
  --version            show the version and exit

Environment:
  PELVO_PORT           game port (default 7772)
  PELVO_HOME           folder of the settings and tally files (default: the
                       per-user data folder of an installed program)
  PELVO_INSTANCE       name of the single-instance guard (one program runs per
                       settings folder; another PELVO_HOME is another player)
  PELVO_CARD_DECK      SVG card deck for the card faces
  PELVO_LOBBY_URL      address the lobby installer is downloaded from
  PELVO_LOBBY_PROGRAM  where the installed lobby program is looked for
  PELVO_CONNECT_TIMEOUT_MS  how long a join waits for the table (default 20000)
  PELVO_DISCOVERY_ADDRESS   where the search for tables is sent (default: broadcast)
  PELVO_RESERVE_SECONDS  how long a table hosted here keeps a dropped player's
                       seat during a game (default 120)
  PELVO_RECONNECT_MS   first wait before reconnecting to a table (default 1000)
  PELVO_HUB            hub offered in File > Find a Table Online... while none is kept

The game uses TCP port 7772; a host must accept connections on it.
)";

// A lone --help or --version is answered on stdout before any window exists (so without
// a display); every other argument list keeps its meaning for the game. Returns true when
// answered.
bool answeredInfoRequest(int argc, char** argv) {
    if (argc != 2) return false;
    const char* arg = argv[1];
    if (!std::strcmp(arg, "--help")) {
        std::fputs(helpText, stdout);
        return true;
    }
    if (!std::strcmp(arg, "--version")) {
        std::printf("pelvo %s\n", pelvo::wire::version);
        return true;
    }
    return false;
}

} // namespace

int main(int argc, char** argv) {
    QElapsedTimer clock;
    clock.start();

    if (answeredInfoRequest(argc, argv)) return 0;

    QApplication app(argc, argv);
    QApplication::setStyle(new pelvo::DeferredStyleIcons);
    QApplication::setApplicationName("Pelvo");
    QApplication::setApplicationVersion(QString::fromLatin1(pelvo::wire::version));
    // Ties the windows to the desktop entry and its icon (on Wayland, too).
    QGuiApplication::setDesktopFileName(QString::fromLatin1(pelvo::desktopId));
    QApplication::setWindowIcon(QIcon::fromTheme(QString::fromLatin1(pelvo::desktopId)));

    QStringList params = QApplication::arguments();
    params.removeFirst();

    // A second start asks the first to come forward and ends before any window exists. A
    // replay joins no table: it may run beside a game.
    pelvo::SingleInstance guard;
    if (!pelvo::Tchat::isReplayParams(params) && !guard.tryLock()) {
        // Nothing else would tell the player why no window opened.
        std::fprintf(stderr,
                     "pelvo: Pelvo already runs with the settings folder %s; its window was "
                     "brought forward. To play a second player on this computer, start with "
                     "PELVO_HOME set to another folder.\n",
                     qPrintable(QDir::toNativeSeparators(pelvo::dataFolder())));
        return 0;
    }
    // The main window first; it creates the side windows and the hidden table host in order.
    pelvo::Tchat chat(params);
    QObject::connect(&guard, &pelvo::SingleInstance::raiseRequested, &chat,
                     &pelvo::Tchat::restoreAndRaise);
    QObject::connect(&chat, &pelvo::Tchat::mainWindowClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Stop signals and the end of the desktop session save the tally and close in order.
    pelvo::OrderlyStop orderlyStop(chat);

    FirstPaintReporter reporter(clock);
    if (qEnvironmentVariableIsSet("PELVO_TEST_REPORT_STARTUP")) {
        chat.installEventFilter(&reporter);
        chat.centralWidget()->installEventFilter(&reporter);
    }

    chat.show(); // its first showing reads the command line
    return app.exec();
}
