// pelvo-hub: lists tables, starts pelvo-table processes for players who have nowhere to host,
// hands out join codes for private tables and runs the lobby chat. docs/hub.md is its interface.

// own
#include "host/DiscoveryResponder.h"
#include "host/EventLog.h"
#include "hub/HubService.h"
#include "hub/LocalTableLauncher.h"
#include "protocol/Commands.h"
#include "service/DescriptorLimit.h"
#include "service/ServiceProgram.h"

// Qt
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QHostAddress>
#include <QHostInfo>
#include <QHttpServer>
#include <QHttpServerResponse>
#include <QTextStream>

// std
#include <algorithm>
#include <memory>
#include <optional>

namespace {

std::optional<int> number(const QString& text, int low, int high) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < low || n > high) return std::nullopt;
    return n;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QString about = QStringLiteral(
        "Lists Pelvo tables, starts pelvo-table processes for players, gives private tables\n"
        "join codes and runs the lobby chat, over HTTP and a WebSocket (see docs/hub.md).\n"
        "Runs until SIGTERM, SIGINT or SIGHUP; then closes the tables it started (unless\n"
        "--keep-tables) and exits 0. Logs one key=value line per event on stderr.");
    pelvo::ServiceProgram program(QStringLiteral("pelvo-hub"),
                                  QString::fromLatin1(pelvo::wire::version), about);
    QCommandLineParser& parser = program.parser;
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("TCP port of the hub (default 7780)."),
                                        QStringLiteral("N"), QStringLiteral("7780"));
    const QCommandLineOption rangeOption(
        QStringLiteral("table-ports"),
        QStringLiteral("Ports for the tables it starts (default 7781-7880)."),
        QStringLiteral("A-B"), QStringLiteral("7781-7880"));
    const QCommandLineOption maxOption(
        QStringLiteral("max-tables"),
        QStringLiteral("Tables listed and started, in all (default 100)."), QStringLiteral("N"),
        QStringLiteral("100"));
    const QCommandLineOption perAddressOption(
        QStringLiteral("tables-per-address"),
        QStringLiteral("Tables one address may have started (default 4)."), QStringLiteral("N"),
        QStringLiteral("4"));
    const QCommandLineOption publicOption(
        QStringLiteral("public-address"),
        QStringLiteral("Host name or address at which players reach the tables on this machine "
                       "(default 127.0.0.1)."),
        QStringLiteral("HOST"), QStringLiteral("127.0.0.1"));
    const QCommandLineOption metricsOption(
        QStringLiteral("metrics-port"),
        QStringLiteral("Serve /metrics and /healthz on this TCP port (default: off)."),
        QStringLiteral("N"));
    const QCommandLineOption idleOption(
        QStringLiteral("idle-seconds"),
        QStringLiteral("Close a table it started once nobody has been at it this long "
                       "(default 600)."),
        QStringLiteral("N"), QStringLiteral("600"));
    const QCommandLineOption silenceOption(
        QStringLiteral("silence-seconds"),
        QStringLiteral("Drop a table from the list once it has not reported this long "
                       "(default 45)."),
        QStringLiteral("N"), QStringLiteral("45"));
    const QCommandLineOption speedOption(
        QStringLiteral("table-bot-speed"),
        QStringLiteral("--bot-speed of the tables it starts, in ms (default: theirs)."),
        QStringLiteral("MS"));
    const QCommandLineOption recordOption(
        QStringLiteral("table-records"),
        QStringLiteral("--record folder of the tables it starts (default: none)."),
        QStringLiteral("DIR"));
    const QCommandLineOption keepOption(
        QStringLiteral("keep-tables"),
        QStringLiteral("On stop, leave the tables it started running (for an upgrade: a new "
                       "hub lists them again from their reports)."));
    parser.addOptions({portOption, rangeOption, maxOption, perAddressOption, publicOption,
                       metricsOption, idleOption, silenceOption, speedOption, recordOption,
                       keepOption});
    parser.process(app);

    QTextStream err(stderr);
    const auto fail = [&err](const QString& what) {
        err << "pelvo-hub: " << what << "\n";
        return 2;
    };
    const auto port = number(parser.value(portOption), 1, 65535);
    if (!port) return fail(QStringLiteral("not a port number: ") + parser.value(portOption));
    const QStringList range = parser.value(rangeOption).split(u'-');
    const auto first = number(range.value(0), 1, 65535);
    const auto last = number(range.value(1), 1, 65535);
    if (range.size() != 2 || !first || !last || *first > *last)
        return fail(QStringLiteral("not a port range A-B: ") + parser.value(rangeOption));
    if (*port >= *first && *port <= *last)
        return fail(QStringLiteral("the hub's port lies in the table ports"));
    const auto maxTables = number(parser.value(maxOption), 1, 100000);
    const auto perAddress = number(parser.value(perAddressOption), 1, 100000);
    const auto idle = number(parser.value(idleOption), 1, 100000000);
    const auto silence = number(parser.value(silenceOption), 1, 100000);
    if (!maxTables || !perAddress || !idle || !silence)
        return fail(QStringLiteral("--max-tables, --tables-per-address, --idle-seconds and "
                                   "--silence-seconds take whole numbers above 0"));
    std::optional<int> metricsPort;
    if (parser.isSet(metricsOption)) {
        metricsPort = number(parser.value(metricsOption), 1, 65535);
        if (!metricsPort || *metricsPort == *port)
            return fail(QStringLiteral("not a metrics port (1 to 65535, not the hub's): ") +
                        parser.value(metricsOption));
    }
    const QString publicAddress = parser.value(publicOption).trimmed();
    if (publicAddress.isEmpty() || publicAddress.size() > 253 || publicAddress.contains(u' '))
        return fail(QStringLiteral("not a host name or address: ") + publicAddress);

    pelvo::hub::LocalTableLauncher::Options launch;
    launch.firstPort = quint16(*first);
    launch.lastPort = quint16(*last);
    launch.hubUrl = QStringLiteral("http://127.0.0.1:%1").arg(*port);
    // A table outlives a hub restart; it then closes itself when nobody comes.
    launch.idleSeconds = *idle + 60;
    if (parser.isSet(speedOption)) {
        const auto speed = number(parser.value(speedOption), 1, 100000);
        if (!speed)
            return fail(QStringLiteral("not a bot speed in ms: ") + parser.value(speedOption));
        launch.extraArgs << QStringLiteral("--bot-speed") << QString::number(*speed);
    }
    if (parser.isSet(recordOption))
        launch.extraArgs << QStringLiteral("--record") << parser.value(recordOption);
    if (pelvo::hub::LocalTableLauncher::tableProgram().isEmpty())
        return fail(QStringLiteral("pelvo-table is neither beside this program nor on PATH"));
    pelvo::hub::LocalTableLauncher launcher(launch);

    pelvo::hub::HubService::Options options;
    options.publicAddress = publicAddress;
    options.maxTables = *maxTables;
    options.tablesPerAddress = *perAddress;
    options.idleMs = qint64(*idle) * 1000;
    options.silenceMs = qint64(*silence) * 1000;
    pelvo::hub::HubService hub(launcher, options);
    hub.eventLog = [&err](const QString& line) { err << line << Qt::endl; };
    const long openFiles = pelvo::raiseOpenFileLimit();
    pelvo::GuardedTcpServer::Limits limits;
    // Room for every lobby connection and the tables' reports, within the descriptors we have
    // (each table the hub starts costs it a few for its process).
    limits.maxConnections = int(std::clamp<long>(openFiles - 64 - 4L * *maxTables, 64, 20000));
    limits.maxPerAddress = options.lobby.perAddress + 16;
    bool ok = false;
    if (const int ms = qEnvironmentVariableIntValue("PELVO_HTTP_IDLE_MS", &ok); ok && ms > 0)
        limits.idleMs = ms;
    if (const int ms = qEnvironmentVariableIntValue("PELVO_HTTP_LIFETIME_MS", &ok); ok && ms > 0)
        limits.lifetimeMs = ms;
    if (!hub.listen(quint16(*port), limits)) {
        err << "pelvo-hub: cannot listen on port " << *port << "\n";
        return 1;
    }

    // Windows on this network that look for tables on the hub's port find the hub itself, so a
    // lobby window can offer it without anyone typing an address.
    pelvo::DiscoveryResponder finder([port = quint16(*port)] {
        pelvo::discovery::TableInfo info;
        info.tableName = QStringLiteral("Pelvo hub");
        info.hostName = QHostInfo::localHostName();
        info.port = port;
        return info;
    });
    if (!finder.start(quint16(*port)))
        err << "pelvo-hub: no search answers on UDP port " << *port << " (taken)\n";

    std::unique_ptr<QHttpServer> metrics;
    if (metricsPort) {
        metrics = std::make_unique<QHttpServer>();
        metrics->route(QStringLiteral("/metrics"), [&hub] {
            return QHttpServerResponse(
                QByteArrayLiteral("text/plain; version=0.0.4; charset=utf-8"), hub.metricsText());
        });
        metrics->route(QStringLiteral("/healthz"), [&hub] {
            return QHttpServerResponse(
                QByteArrayLiteral("text/plain; charset=utf-8"),
                hub.serving() ? QByteArrayLiteral("ok\n") : QByteArrayLiteral("stopping\n"),
                hub.serving() ? QHttpServerResponse::StatusCode::Ok
                              : QHttpServerResponse::StatusCode::ServiceUnavailable);
        });
        if (metrics->listen(QHostAddress::Any, quint16(*metricsPort)) != *metricsPort) {
            err << "pelvo-hub: cannot serve metrics on port " << *metricsPort << "\n";
            return 1;
        }
    }

    const bool keepTables = parser.isSet(keepOption);
    QObject::connect(&program.stopSignals, &pelvo::SignalWatcher::caught, &app, [&](int signal) {
        if (!hub.serving()) return;
        hub.eventLog(
            pelvo::eventLine(u"pelvo-hub", "stop",
                             {{"signal", pelvo::signalName(signal)},
                              {"tables", QString::fromLatin1(keepTables ? "kept" : "closed")}}));
        if (keepTables) launcher.detach();
        hub.shutdown(keepTables, [] { QCoreApplication::exit(0); });
    });

    hub.eventLog(pelvo::eventLine(
        u"pelvo-hub", "listening",
        {{"port", *port},
         {"table_ports", QStringLiteral("%1-%2").arg(*first).arg(*last)},
         {"metrics_port", metricsPort ? QString::number(*metricsPort) : QStringLiteral("off")},
         {"public_address", publicAddress},
         {"max_connections", limits.maxConnections},
         {"open_files", qint64(openFiles)}}));
    const int rc = app.exec();
    hub.eventLog(pelvo::eventLine(u"pelvo-hub", "exit", {{"status", rc}}));
    return rc;
}
