// pelvo-sim: plays four-computer games through the table engine at full speed and reports the
// rate and the outcome figures, overall and per seat (each seat may play at its own level). By
// default no message is built: the outcomes come from the engine's score events. With --frames
// (or --digest) every message is built as for real clients and handed to a counting outbox (one
// onlooker is connected, so every notice to all has a receiver), and the outcomes are read from
// the frames themselves; the figures must come out the same either way.

// own
#include "host/Engine.h"
#include "host/HostRecord.h"
#include "protocol/Fields.h"

// Qt
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

// std
#include <array>
#include <cmath>
#include <cstdint>
#include <ctime>
#include <string_view>

namespace {

// Reads the decimal number at `i` of a frame and moves past it and its "+".
int number(const QByteArray& frame, qsizetype& i) {
    int sign = 1, v = 0;
    if (frame[i] == '-') {
        sign = -1;
        ++i;
    }
    while (i < frame.size() && frame[i] >= '0' && frame[i] <= '9') v = v * 10 + (frame[i++] - '0');
    ++i;
    return sign * v;
}

struct Outcomes {
    long long rounds = 0, penalties = 0;
    std::array<long long, 5> scoreSum{};
    std::array<long long, 5> scoreCount{};
    std::array<long long, 5> penaltiesOf{};

    void scored(int seat, int score) {
        if (seat < 1 || seat > 4) return;
        if (seat == 1) ++rounds;
        scoreSum[std::size_t(seat)] += score;
        ++scoreCount[std::size_t(seat)];
    }
    void penalty(int seat) {
        ++penalties;
        if (seat >= 1 && seat <= 4) ++penaltiesOf[std::size_t(seat)];
    }
};

class CountingOutbox : public pelvo::Outbox {
public:
    bool frames = false;
    long long frameCount = 0, bytes = 0;
    // FNV-1a over every receiver and frame (with --digest): two runs with the same seed must
    // print the same. Off by default, as hashing every byte would weigh on the rate.
    bool digesting = false;
    std::uint64_t digest = 0xcbf29ce484222325ULL;
    Outcomes outcomes;

    bool wantsFrames() const override { return frames; }
    void roundScored(int seat, int roundScore, int) override {
        if (!frames) outcomes.scored(seat, roundScore);
    }
    void penalised(int seat, int) override {
        if (!frames) outcomes.penalty(seat);
    }
    void send(int slot, const QByteArray& frame) override {
        ++frameCount;
        bytes += frame.size();
        if (digesting) {
            mix(char(slot));
            for (const char c : frame) mix(c);
        }
        constexpr std::string_view post = "CMD_postscores+";
        constexpr std::string_view pen = "CMD_penalty+";
        const std::string_view text(frame.constData(), std::size_t(frame.size()));
        if (text.starts_with(post)) {
            qsizetype i = qsizetype(post.size());
            const int seat = number(frame, i);
            outcomes.scored(seat, number(frame, i));
        } else if (text.starts_with(pen)) {
            qsizetype i = qsizetype(pen.size());
            outcomes.penalty(number(frame, i));
        }
    }

private:
    void mix(char c) {
        digest ^= std::uint8_t(c);
        digest *= 0x100000001b3ULL;
    }
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Plays four-computer games through the table engine at full speed."));
    parser.addHelpOption();
    const QCommandLineOption gamesOption(QStringLiteral("games"),
                                         QStringLiteral("Number of games (default 10000)."),
                                         QStringLiteral("N"), QStringLiteral("10000"));
    const QCommandLineOption seedOption(
        QStringLiteral("seed"),
        QStringLiteral("Deal number of the first game; game g has seed + g (default 1)."),
        QStringLiteral("S"), QStringLiteral("1"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Rounds per game (default 5)."),
                                          QStringLiteral("R"), QStringLiteral("5"));
    const QCommandLineOption digestOption(
        QStringLiteral("digest"),
        QStringLiteral("Print a digest of every frame sent (builds them, as --frames)."));
    const QCommandLineOption framesOption(
        QStringLiteral("frames"),
        QStringLiteral("Build every message as for real clients, count them and read the "
                       "outcomes from them."));
    const QCommandLineOption levelsOption(
        QStringLiteral("levels"),
        QStringLiteral("Levels of seats 1 to 4, comma-separated: classic or expert (default "
                       "classic,classic,classic,classic)."),
        QStringLiteral("L"), QStringLiteral("classic,classic,classic,classic"));
    parser.addOption(gamesOption);
    parser.addOption(levelsOption);
    parser.addOption(seedOption);
    parser.addOption(roundsOption);
    parser.addOption(digestOption);
    parser.addOption(framesOption);
    const QCommandLineOption verifyOption(
        QStringLiteral("verify"),
        QStringLiteral("Replay a host's game record through the table's rules and check that "
                       "every message comes out the same; exit 0 when it does."),
        QStringLiteral("FILE"));
    parser.addOption(verifyOption);
    parser.process(app);

    QTextStream out(stdout), err(stderr);
    if (parser.isSet(verifyOption)) {
        const QString path = parser.value(verifyOption);
        const pelvo::VerifyResult result = pelvo::verifyHostRecordFile(path);
        (result.ok ? out : err) << path << ": " << result.message << "\n";
        return result.ok ? 0 : 1;
    }
    const auto games = pelvo::toInt(parser.value(gamesOption));
    const auto seed = pelvo::toInt(parser.value(seedOption));
    if (!games || *games < 1 || !seed) {
        err << "pelvo-sim: --games needs a positive number, --seed a number\n";
        return 2;
    }
    const QString rounds = parser.value(roundsOption);
    std::array<pelvo::BotLevel, 5> levels{};
    const QStringList levelNames = parser.value(levelsOption).split(u',');
    bool levelsRead = levelNames.size() == 4;
    for (int s = 1; levelsRead && s <= 4; ++s) {
        const auto level = pelvo::botLevelFromName(levelNames[s - 1].trimmed().toStdString());
        levelsRead = level.has_value();
        if (level) levels[std::size_t(s)] = *level;
    }
    if (!levelsRead) {
        err << "pelvo-sim: --levels needs four levels, each classic or expert\n";
        return 2;
    }

    CountingOutbox outbox;
    outbox.digesting = parser.isSet(digestOption);
    outbox.frames = outbox.digesting || parser.isSet(framesOption);
    pelvo::Random random, bots;
    long long tieBreakers = 0;
    std::array<long long, 5> wins{}, finalTotals{};
    QElapsedTimer clock;
    clock.start();
    const std::clock_t cpuStart = std::clock();
    for (int g = 0; g < *games; ++g) {
        pelvo::Engine::Hooks hooks;
        // Game g is dealt from deal number seed + g.
        hooks.dealSource = [deal = std::uint64_t(*seed) + std::uint64_t(g)] { return deal; };
        hooks.botSpeed = [] { return 1; };
        hooks.botLevels = [&levels] { return levels; };
        pelvo::Engine engine(outbox, random, bots, pelvo::Engine::Options{}, std::move(hooks));
        engine.table.slotCount = 5;
        engine.table.seats[5].inUse = true; // one onlooker receives every notice to all
        engine.startgame(QStringLiteral("sim"), rounds, QStringLiteral("1"), QStringLiteral("1"));
        while (engine.table.gameRunning && engine.advanceClock()) {
        }
        tieBreakers += qMax(0, engine.table.roundNumber - 1 - engine.table.roundsToPlay);
        int winner = 1;
        for (int s = 1; s <= 4; ++s) {
            finalTotals[std::size_t(s)] += engine.table.seats[s].total;
            if (engine.table.seats[s].total < engine.table.seats[winner].total) winner = s;
        }
        ++wins[std::size_t(winner)];
    }
    const double seconds = clock.nsecsElapsed() / 1e9;
    // On a shared machine the processor time tells more than the clock on the wall.
    const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;

    out << "games            " << *games << "\n";
    out << "games per second " << qRound64(*games / seconds) << " ("
        << qRound64(*games / cpuSeconds) << " per second of processor time)\n";
    const Outcomes& o = outbox.outcomes;
    out << "rounds           " << o.rounds << " (" << tieBreakers << " tie-breakers)\n";
    if (outbox.frames)
        out << "messages         " << outbox.frameCount << " (" << outbox.frameCount / *games
            << " per game, " << outbox.bytes << " bytes)\n";
    if (outbox.digesting) out << "frame digest     " << QString::number(outbox.digest, 16) << "\n";
    out << "average round score per seat";
    for (int s = 1; s <= 4; ++s)
        out << "  " << s << ": "
            << QString::number(double(o.scoreSum[s]) / qMax(1LL, o.scoreCount[s]), 'f', 2);
    out << "\n";
    out << "rounds ending in a penalty "
        << QString::number(100.0 * o.penalties / qMax(1LL, o.rounds), 'f', 1) << " %\n";

    // Per seat: the share of games won with its 95 % (Wilson score) interval, the mean round
    // score without penalties, the mean final total with them, and the share of rounds in
    // which the seat went out and was penalised.
    out << "\nseat  level     games won (95 % interval)      round score  final total  penalties\n";
    const double n = *games;
    constexpr double z = 1.96;
    auto percent = [](double share) { return QString::number(100 * share, 'f', 1); };
    for (int s = 1; s <= 4; ++s) {
        const auto i = std::size_t(s);
        const double share = wins[i] / n;
        const double centre = (share + z * z / (2 * n)) / (1 + z * z / n);
        const double half =
            z * std::sqrt(share * (1 - share) / n + z * z / (4 * n * n)) / (1 + z * z / n);
        out << "   " << s << "  "
            << QString::fromLatin1(pelvo::botLevelName(levels[i])).leftJustified(8)
            << QString::number(wins[i]).rightJustified(7) << " = "
            << (percent(share) + " %").rightJustified(6) << " (" << percent(centre - half) << " - "
            << percent(centre + half) << " %)"
            << QString::number(double(o.scoreSum[i]) / qMax(1LL, o.scoreCount[i]), 'f', 2)
                   .rightJustified(13)
            << QString::number(double(finalTotals[i]) / n, 'f', 1).rightJustified(13)
            << (percent(double(o.penaltiesOf[i]) / qMax(1LL, o.scoreCount[i])) + " %")
                   .rightJustified(11)
            << "\n";
    }
    return 0;
}
