// pelvo-table: the table host without any window, for a dedicated table on a server and for
// tests that play over raw sockets. The first connection gets slot 1 and the hosting rights.

// own
#include "host/TServer.h"
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/Ports.h"

// Qt
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

// POSIX
#include <csignal>
#include <sys/signalfd.h>
#include <unistd.h>

int main(int argc, char** argv) {
    // SIGINT and SIGTERM arrive through a descriptor, so shutting down runs in the event loop.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    sigprocmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelvo-table"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(pelvo::wire::version));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A Pelvo table without a window. The first connection gets slot 1 and with it the right\n"
        "to start games and remove players; when it leaves, the right passes to the connected\n"
        "player in the lowest slot. A seat whose player leaves is played by the computer (and\n"
        "kept a while for that player during a game). Runs until SIGINT or SIGTERM, then\n"
        "closes every connection."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("TCP port to listen on (default: PELVO_PORT or 7772)."),
        QStringLiteral("N"));
    const QCommandLineOption speedOption(
        QStringLiteral("bot-speed"),
        QStringLiteral("Delay of the computer players and between turns, in ms (default 1000)."),
        QStringLiteral("MS"), QStringLiteral("1000"));
    const QCommandLineOption levelOption(
        QStringLiteral("bot-level"),
        QStringLiteral("How well the computer players play: classic or expert (default classic)."),
        QStringLiteral("LEVEL"), QStringLiteral("classic"));
    const QCommandLineOption reserveOption(
        QStringLiteral("reserve-seconds"),
        QStringLiteral("Seconds the seat of a player whose connection drops during a game is "
                       "kept for that player (default: PELVO_RESERVE_SECONDS or 120; 0: not "
                       "at all)."),
        QStringLiteral("N"));
    parser.addOption(portOption);
    parser.addOption(reserveOption);
    parser.addOption(speedOption);
    parser.addOption(levelOption);
    parser.process(app);

    QTextStream err(stderr);
    const QString port =
        parser.isSet(portOption) ? parser.value(portOption) : pelvo::gamePortName();
    const auto portNumber = pelvo::toInt(port);
    if (!portNumber || *portNumber < 1 || *portNumber > 65535) {
        err << "pelvo-table: not a port number: " << port << "\n";
        return 2;
    }
    const auto speed = pelvo::toInt(parser.value(speedOption));
    if (!speed || *speed < 1) {
        err << "pelvo-table: not a bot speed in ms: " << parser.value(speedOption) << "\n";
        return 2;
    }

    const auto level = pelvo::botLevelFromName(parser.value(levelOption).toStdString());
    if (!level) {
        err << "pelvo-table: not a bot level (classic or expert): " << parser.value(levelOption)
            << "\n";
        return 2;
    }

    int reserveSeconds = -1;
    if (parser.isSet(reserveOption)) {
        const auto n = pelvo::toInt(parser.value(reserveOption));
        if (!n || *n < 0) {
            err << "pelvo-table: not a number of seconds: " << parser.value(reserveOption) << "\n";
            return 2;
        }
        reserveSeconds = *n;
    }

    pelvo::TServer server(
        pelvo::TServer::Options{.windowless = true, .reserveSeconds = reserveSeconds});
    const int botSpeed = *speed;
    server.botSpeed = [botSpeed] { return botSpeed; };
    const pelvo::BotLevel botLevel = *level;
    server.botLevel = [botLevel] { return botLevel; };
    server.Sock1->setPortName(QString::number(*portNumber));
    try {
        server.Sock1->setListen(true);
    } catch (const pelvo::ESockException& e) {
        err << "pelvo-table: cannot listen on port " << *portNumber << ": " << e.what() << "\n";
        return 1;
    }

    const int fd = signalfd(-1, &stopSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    if (fd < 0) {
        err << "pelvo-table: cannot watch for signals\n";
        return 1;
    }
    QSocketNotifier stopNotifier(fd, QSocketNotifier::Read);
    QObject::connect(&stopNotifier, &QSocketNotifier::activated, &app, [&] {
        signalfd_siginfo info;
        while (::read(fd, &info, sizeof info) == sizeof info) {
        }
        stopNotifier.setEnabled(false);
        server.closeAll();
        server.Sock1->setListen(false);
        QCoreApplication::quit();
    });

    QTextStream out(stdout);
    out << "pelvo-table listening on port " << *portNumber << Qt::endl;

    const int rc = app.exec();
    ::close(fd);
    return rc;
}
