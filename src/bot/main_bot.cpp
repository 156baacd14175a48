// pelvo-bot: a computer player that joins a table over the network like a person would, and
// plays its seat with the computer players' rules. It is a player without a window: it uses
// the client's session alone. Also a load generator for table servers.

// own
#include "bot/BotPlayer.h"
#include "rules/ComputerRules.h"
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/LogText.h"
#include "protocol/Ports.h"
#include "session/ClientSession.h"

// Qt
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QTextStream>

// std
#include <cstdint>
#include <optional>

namespace {

// A number option within [lo, hi]; prints the complaint and returns nullopt otherwise.
std::optional<int> numberOption(const QCommandLineParser& parser, const QCommandLineOption& option,
                                int lo, int hi) {
    const auto n = pelvo::toInt(parser.value(option));
    if (n && *n >= lo && *n <= hi) return n;
    QTextStream(stderr) << "pelvo-bot: --" << option.names().constFirst() << " takes a number from "
                        << lo << " to " << hi << ", not \"" << parser.value(option) << "\"\n";
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("pelvo-bot"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(pelvo::wire::version));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "A Pelvo player without a window: joins the table at HOST as NAME and plays its seat\n"
        "with the computer players' rules. Ends when the table closes the connection, or after\n"
        "--games games."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("NAME"), QStringLiteral("Name to log in with."));
    parser.addPositionalArgument(QStringLiteral("HOST"), QStringLiteral("Address of the table."));
    const QCommandLineOption portOption(QStringLiteral("port"),
                                        QStringLiteral("Game port (default: PELVO_PORT or 7772)."),
                                        QStringLiteral("N"), pelvo::gamePortName());
    const QCommandLineOption levelOption(
        QStringLiteral("level"), QStringLiteral("Computer level: classic (default) or expert."),
        QStringLiteral("LEVEL"), QStringLiteral("classic"));
    const QCommandLineOption thinkOption(
        QStringLiteral("think"), QStringLiteral("Milliseconds before each move (default 300)."),
        QStringLiteral("MS"), QStringLiteral("300"));
    const QCommandLineOption seedOption(QStringLiteral("seed"),
                                        QStringLiteral("Seed of the bot's own random picks."),
                                        QStringLiteral("S"));
    const QCommandLineOption startOption(
        QStringLiteral("start-after"),
        QStringLiteral("In slot 1: start a game once N players are seated (0: never; default)."),
        QStringLiteral("N"), QStringLiteral("0"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Rounds of a game it starts (3 to 9)."),
                                          QStringLiteral("N"), QStringLiteral("5"));
    const QCommandLineOption gamesOption(
        QStringLiteral("games"),
        QStringLiteral("Leave after this many games have ended (0: stay; default)."),
        QStringLiteral("N"), QStringLiteral("0"));
    parser.addOptions(
        {portOption, levelOption, thinkOption, seedOption, startOption, roundsOption, gamesOption});
    parser.process(app);

    QTextStream err(stderr);
    const QStringList args = parser.positionalArguments();
    if (args.size() != 2) {
        err << "pelvo-bot: usage: pelvo-bot NAME HOST [options]; see --help\n";
        return 2;
    }
    const auto level = pelvo::botLevelFromName(parser.value(levelOption).toStdString());
    if (!level) {
        err << "pelvo-bot: unknown level \"" << parser.value(levelOption)
            << "\"; known: classic, expert\n";
        return 2;
    }
    const auto port = numberOption(parser, portOption, 1, 65535);
    const auto think = numberOption(parser, thinkOption, 0, 60000);
    const auto startAfter = numberOption(parser, startOption, 0, 4);
    const auto rounds = numberOption(parser, roundsOption, 3, 9);
    const auto games = numberOption(parser, gamesOption, 0, 1000000);
    if (!port || !think || !startAfter || !rounds || !games) return 2;
    std::uint64_t seed = std::uint64_t(QDateTime::currentMSecsSinceEpoch());
    if (parser.isSet(seedOption)) {
        bool ok = false;
        seed = parser.value(seedOption).toULongLong(&ok);
        if (!ok) {
            err << "pelvo-bot: --seed takes a whole number\n";
            return 2;
        }
    }

    const QString name = args.at(0);
    pelvo::ClientSession session;
    session.setPlayer(name, args.at(1));
    pelvo::BotPlayer bot(session, seed);
    bot.setThinkTime(*think);
    bot.setLevel(*level);

    QTextStream out(stdout);
    int ended = 0;          // games seen to their end
    bool inGame = false;    // a game runs at the table
    bool requested = false; // this bot asked for a game that has not started yet
    QObject::connect(&session, &pelvo::ClientSession::closeRequested, &app, [&] {
        out << "pelvo-bot: " << name << ": the table closed the connection" << Qt::endl;
        QCoreApplication::exit(ended > 0 || *games == 0 ? 0 : 1);
    });
    QObject::connect(&session, &pelvo::ClientSession::connectFailed, &app,
                     [&](const QString& text) {
                         err << "pelvo-bot: " << name << ": " << pelvo::logSafe(text) << Qt::endl;
                         QCoreApplication::exit(1);
                     });
    QObject::connect(&session, &pelvo::ClientSession::message, &app, [&](const QString& text) {
        // Names from the table are in these lines: one line each, whatever they hold.
        out << "pelvo-bot: " << name << ": " << pelvo::logSafe(text) << Qt::endl;
    });
    QObject::connect(&session, &pelvo::ClientSession::tableChanged, &app, [&] {
        const pelvo::TableModel& t = session.table();
        if (t.rounds > 0 && t.winnerText.isEmpty()) {
            inGame = true;
            requested = false;
        }
        if (inGame && !t.winnerText.isEmpty()) {
            inGame = false;
            ++ended;
            out << "pelvo-bot: " << name << ": game over: " << pelvo::logSafe(t.winnerText)
                << Qt::endl;
            if (*games > 0 && ended >= *games) {
                QCoreApplication::exit(0);
                return;
            }
        }
        if (inGame || requested || *startAfter == 0 || session.state().myseat != 1) return;
        int seated = 0;
        for (int s = 1; s <= pelvo::TableSeats; ++s)
            seated += t.seats[std::size_t(s)].occupant == pelvo::Occupant::Player;
        if (seated < *startAfter) return;
        requested = true;
        session.startGame(name, QString::number(*rounds), 1, 1);
    });
    QObject::connect(&session, &pelvo::ClientSession::joined, &app, [&] {
        const int slot = session.state().myseat;
        // Slots above the seats only look on.
        out << "pelvo-bot: " << name
            << (slot > pelvo::TableSeats ? ": watching from slot " : ": seated in slot ") << slot
            << Qt::endl;
    });

    session.connection().sock()->setPortName(QString::number(*port));
    try {
        session.connectToHost(args.at(1), name);
    } catch (const pelvo::ESockException& e) {
        err << "pelvo-bot: cannot connect to " << args.at(1) << ": " << e.what() << "\n";
        return 1;
    }
    return app.exec();
}
