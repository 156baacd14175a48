// pelvo-table: the table host without any window, for a dedicated table on a server and for
// tests that play over raw sockets. The first connection gets slot 1 and the hosting rights.

// own
#include "host/DiscoveryResponder.h"
#include "host/HubReporter.h"
#include "host/MetricsEndpoint.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/Ports.h"
#include "service/DescriptorLimit.h"
#include "service/ServiceProgram.h"

// Qt
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QTimer>
#include <QUrl>
#include <QTextStream>

// std
#include <cstdint>
#include <memory>
#include <optional>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    // Every connection, on the game port and the metrics port, takes a descriptor.
    pelvo::raiseOpenFileLimit();
    const QString about = QStringLiteral(
        "A Pelvo table without a window. The first connection gets slot 1 and with it the right\n"
        "to start games and remove players; when it leaves, the right passes to the connected\n"
        "player in the lowest slot. A seat whose player leaves is played by the computer (and\n"
        "kept a while for that player during a game). Runs until SIGTERM, SIGINT or SIGHUP,\n"
        "then tells everyone \"The table is closing.\", closes every connection and exits 0.\n"
        "Logs one key=value line per event on stderr.");
    // SIGTERM, SIGINT and SIGHUP close the table in order.
    pelvo::ServiceProgram program(QStringLiteral("pelvo-table"),
                                  QString::fromLatin1(pelvo::wire::version), about);
    QCommandLineParser& parser = program.parser;
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
    const QCommandLineOption nameOption(
        QStringLiteral("name"),
        QStringLiteral("Table name shown to players who search the network (default: this "
                       "computer's name)."),
        QStringLiteral("TEXT"));
    const QCommandLineOption reserveOption(
        QStringLiteral("reserve-seconds"),
        QStringLiteral("Seconds the seat of a player whose connection drops during a game is "
                       "kept for that player (default: PELVO_RESERVE_SECONDS or 120; 0: not "
                       "at all)."),
        QStringLiteral("N"));
    const QCommandLineOption dealOption(
        QStringLiteral("deal"),
        QStringLiteral("Deal number of the first game (default: drawn at random)."),
        QStringLiteral("N"));
    const QCommandLineOption recordOption(
        QStringLiteral("record"),
        QStringLiteral("Write a record of every game into DIR once the game is over."),
        QStringLiteral("DIR"));
    parser.addOption(portOption);
    parser.addOption(reserveOption);
    parser.addOption(nameOption);
    parser.addOption(speedOption);
    const QCommandLineOption metricsOption(
        QStringLiteral("metrics-port"),
        QStringLiteral("Serve /metrics (Prometheus text) and /healthz over HTTP on this TCP port "
                       "(default: off)."),
        QStringLiteral("N"));
    parser.addOption(levelOption);
    parser.addOption(metricsOption);
    parser.addOption(dealOption);
    parser.addOption(recordOption);
    const QCommandLineOption hubOption(
        QStringLiteral("hub"),
        QStringLiteral("List the table on the hub at URL (http://host:7780) and report its state "
                       "there. A hub that started the table passes its listing in "
                       "PELVO_HUB_ID, PELVO_HUB_KEY and PELVO_HUB_CODE."),
        QStringLiteral("URL"));
    const QCommandLineOption privateOption(
        QStringLiteral("private"),
        QStringLiteral("On the hub, list the table as private: not shown, joined by a code."));
    const QCommandLineOption idleOption(
        QStringLiteral("idle-seconds"),
        QStringLiteral("Close the table once nobody has been connected for N seconds "
                       "(default: never)."),
        QStringLiteral("N"));
    parser.addOption(hubOption);
    parser.addOption(privateOption);
    parser.addOption(idleOption);
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

    std::optional<int> metricsPort;
    if (parser.isSet(metricsOption)) {
        metricsPort = pelvo::toInt(parser.value(metricsOption));
        if (!metricsPort || *metricsPort < 1 || *metricsPort > 65535 ||
            *metricsPort == *portNumber) {
            err << "pelvo-table: not a metrics port number (1 to 65535, not the game port): "
                << parser.value(metricsOption) << "\n";
            return 2;
        }
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

    // A number of seconds of at least `least` into `seconds`, when the option is given.
    const auto readSeconds = [&](const QCommandLineOption& option, int least, int& seconds) {
        if (!parser.isSet(option)) return true;
        const auto n = pelvo::toInt(parser.value(option));
        if (!n || *n < least) {
            err << "pelvo-table: not a number of seconds: " << parser.value(option) << "\n";
            return false;
        }
        seconds = *n;
        return true;
    };
    int reserveSeconds = -1;
    if (!readSeconds(reserveOption, 0, reserveSeconds)) return 2;

    QUrl hubUrl;
    if (parser.isSet(hubOption)) {
        hubUrl = QUrl(parser.value(hubOption));
        if (!hubUrl.isValid() ||
            (hubUrl.scheme() != QLatin1String("http") &&
             hubUrl.scheme() != QLatin1String("https")) ||
            hubUrl.host().isEmpty()) {
            err << "pelvo-table: not a hub URL (http://host:port): " << parser.value(hubOption)
                << "\n";
            return 2;
        }
    }
    int idleSeconds = 0;
    if (!readSeconds(idleOption, 1, idleSeconds)) return 2;

    pelvo::TServer server(pelvo::TServer::Options{
        .windowless = true, .reserveSeconds = reserveSeconds, .holdSeats = true});
    server.eventLog = [&err](const QString& line) { err << line << Qt::endl; };
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

    std::unique_ptr<pelvo::MetricsEndpoint> metrics;
    if (metricsPort) {
        metrics = std::make_unique<pelvo::MetricsEndpoint>(server);
        if (!metrics->listen(quint16(*metricsPort))) {
            err << "pelvo-table: cannot serve metrics on port " << *metricsPort << "\n";
            return 1;
        }
    }

    // Windows searching the network find the table by a datagram on the same port.
    const quint16 tablePort = quint16(*portNumber);
    const QString tableName = parser.value(nameOption);
    pelvo::DiscoveryResponder responder([&server, tableName, tablePort] {
        return pelvo::DiscoveryResponder::describeTable(server.table(), tableName, tablePort);
    });
    responder.start(tablePort);

    std::unique_ptr<pelvo::HubReporter> reporter;
    if (!hubUrl.isEmpty()) {
        const bool isPrivate = parser.isSet(privateOption);
        reporter = std::make_unique<pelvo::HubReporter>(
            hubUrl, [&server, tableName, tablePort, isPrivate] {
                return pelvo::HubReporter::stateOf(
                    server, tableName.isEmpty() ? QStringLiteral("Pelvo") : tableName, tablePort,
                    isPrivate);
            });
        const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        if (env.contains(QStringLiteral("PELVO_HUB_ID")))
            reporter->setIdentity(env.value(QStringLiteral("PELVO_HUB_ID")),
                                  env.value(QStringLiteral("PELVO_HUB_KEY")),
                                  env.value(QStringLiteral("PELVO_HUB_CODE")));
        if (const int seconds = env.value(QStringLiteral("PELVO_HUB_REPORT_SECONDS")).toInt();
            seconds > 0)
            reporter->setReportEvery(seconds * 1000);
        QObject::connect(
            reporter.get(), &pelvo::HubReporter::registered, &app,
            [&server](const QString& id, const QString& code) {
                server.eventLog(pelvo::eventLine(
                    u"pelvo-table", "hub_listed",
                    {{"id", id}, {"code", code.isEmpty() ? QStringLiteral("-") : code}}));
            });
        QObject::connect(reporter.get(), &pelvo::HubReporter::failed, &app,
                         [&server](const QString& error, const QString& message) {
                             server.eventLog(pelvo::eventLine(
                                 u"pelvo-table", "hub_refused",
                                 {{"error", error}, pelvo::LogField::text("message", message)}));
                         });
        QObject::connect(&server, &pelvo::TServer::tableClosing, reporter.get(),
                         &pelvo::HubReporter::withdraw);
        reporter->start();
    }

    // A table nobody comes to closes itself, so tables a hub started end even when that hub
    // is gone.
    QTimer idleCheck;
    QElapsedTimer idleFor;
    if (idleSeconds > 0) {
        idleFor.start();
        idleCheck.setInterval(std::min(1000, idleSeconds * 100));
        QObject::connect(&idleCheck, &QTimer::timeout, &app, [&] {
            const pelvo::TableGauges g = server.gauges();
            if (g.players + g.justWatch + g.spectators + g.loggingIn > 0) idleFor.start();
            if (idleFor.elapsed() < qint64(idleSeconds) * 1000 || server.closing()) return;
            server.eventLog(
                pelvo::eventLine(u"pelvo-table", "stop", {{"reason", QStringLiteral("idle")}}));
            server.closeTable([] { QCoreApplication::exit(0); });
        });
        idleCheck.start();
    }

    QObject::connect(&program.stopSignals, &pelvo::SignalWatcher::caught, &app, [&](int number) {
        if (server.closing()) return; // a second signal while closing changes nothing
        server.eventLog(
            pelvo::eventLine(u"pelvo-table", "stop", {{"signal", pelvo::signalName(number)}}));
        server.closeTable([] { QCoreApplication::exit(0); });
    });

    server.eventLog(pelvo::eventLine(
        u"pelvo-table", "listening",
        {{"port", *portNumber},
         {"metrics_port", metricsPort ? QString::number(*metricsPort) : QStringLiteral("off")}}));
    QTextStream out(stdout);
    out << "pelvo-table listening on port " << *portNumber << Qt::endl;

    const int rc = app.exec();
    server.eventLog(pelvo::eventLine(u"pelvo-table", "exit", {{"status", rc}}));
    return rc;
}
