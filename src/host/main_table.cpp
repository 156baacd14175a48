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

// std
#include <cstdint>
#include <optional>

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
        "to start games and remove players; a seat whose player leaves is played by the\n"
        "computer. Runs until SIGINT or SIGTERM, then closes every connection."));
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
    const QCommandLineOption dealOption(
        QStringLiteral("deal"),
        QStringLiteral("Deal number of the first game (default: drawn at random)."),
        QStringLiteral("N"));
    const QCommandLineOption recordOption(
        QStringLiteral("record"),
        QStringLiteral("Write a record of every game into DIR once the game is over."),
        QStringLiteral("DIR"));
    parser.addOption(portOption);
    parser.addOption(speedOption);
    parser.addOption(levelOption);
    parser.addOption(dealOption);
    parser.addOption(recordOption);
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

    std::optional<std::uint64_t> deal;
    if (parser.isSet(dealOption)) {
        bool ok = false;
        deal = parser.value(dealOption).toULongLong(&ok);
        if (!ok) {
            err << "pelvo-table: not a deal number: " << parser.value(dealOption) << "\n";
            return 2;
        }
    }

    pelvo::TServer server(pelvo::TServer::Options{.windowless = true});
    if (deal) server.setNextDeal(*deal);
    if (parser.isSet(recordOption)) server.setRecordFolder(parser.value(recordOption));
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
        server.flushRecords(); // a game cut short by the signal is still kept
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
