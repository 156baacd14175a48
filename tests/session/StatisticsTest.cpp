// Statistics from a folder of game records: records written by the window's own recorder for
// games with known scores give the counts worked out by hand; records that are not games this
// player played through, and damaged files, are passed over; a reset moves only what it counted.
#include "session/ClientSession.h"
#include "session/PlayerRecord.h"
#include "session/Statistics.h"
#include "protocol/Messages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

using namespace pelvo;

namespace {

struct Played {
    int myseat = 1;
    int players = 2;
    QString level;
    QList<int> rounds; // my round scores
    int total = 0;     // mine
    int penalties = 0;
    bool won = false;
};

// Plays one game's worth of host lines into a recorder, with random scores; returns what the
// game was for this player, counted by hand.
Played playGame(ClientSession& session, std::mt19937& gen) {
    Played p;
    const auto host = [&](const QByteArray& frame) {
        QByteArray line = frame;
        line.chop(1); // the terminator
        emit session.lineReceived(QString::fromUtf8(line));
    };
    p.myseat = std::uniform_int_distribution<int>(1, 4)(gen);
    const bool seat3 = gen() % 2 || p.myseat == 3, seat4 = gen() % 2 || p.myseat == 4;
    p.players = 2 + seat3 + seat4;
    host(msg::sendlogininfo(p.myseat));
    host(msg::newplayerinfo(p.myseat, "Me"));
    // Sometimes another person sits at seat 2 (when it is not mine): no computer there.
    const bool personAt2 = p.myseat != 2 && gen() % 3 == 0;
    if (personAt2) host(msg::existingplayers(2, "Bo"));
    int computers = 0;
    for (int s = 1; s <= 4; ++s)
        computers +=
            s != p.myseat && !(s == 2 && personAt2) && (s <= 2 || (s == 3 ? seat3 : seat4));
    host(msg::startgameNotice("Me", 3, seat3, seat4));
    const int levelKind = computers == 0 ? 0 : int(gen() % 3);
    p.level = computers == 0 ? "None" : levelKind == 0 ? "Classic" : "Expert";
    if (levelKind == 1) host("CMD_action+0+Computer players: Expert.|clBlue\xFF");
    if (levelKind == 2) {
        // Mixed levels name every seat; people's seats say nothing about the computers.
        QStringList seats;
        int firstComputer = 0;
        for (int s = 1; s <= 4; ++s) {
            const bool in = s <= 2 || (s == 3 ? seat3 : seat4);
            const bool computer = in && s != p.myseat && !(s == 2 && personAt2);
            if (computer && !firstComputer) firstComputer = s;
            if (in)
                seats << QStringLiteral("seat %1 %2")
                             .arg(s)
                             .arg(s == firstComputer ? "Expert" : "Classic");
        }
        p.level = computers > 1 ? "Mixed" : "Expert";
        host("CMD_action+0+Computer players: " + seats.join(", ").toUtf8() + ".|clBlue\xFF");
    }
    host("CMD_action+0+Deal 42.|clBlue\xFF");
    std::array<int, 5> totals{};
    const int rounds = std::uniform_int_distribution<int>(3, 5)(gen);
    for (int r = 1; r <= rounds; ++r) {
        host(msg::roundstarting(r, 7));
        for (int s = 1; s <= 4; ++s) {
            if (s > 2 && !(s == 3 ? seat3 : seat4)) continue;
            const int points = std::uniform_int_distribution<int>(-4, 60)(gen);
            totals[std::size_t(s)] += points;
            if (s == p.myseat) p.rounds << points;
            host(msg::postscores(s, points, totals[std::size_t(s)], {1, 2, 3, 4, 5, 6, 7, 8, 9}));
        }
        const int out = std::uniform_int_distribution<int>(1, 2)(gen);
        if (gen() % 3 == 0) {
            totals[std::size_t(out)] += 25;
            p.penalties += out == p.myseat;
            host(msg::penalty(out, totals[std::size_t(out)]));
        }
    }
    p.total = totals[std::size_t(p.myseat)];
    p.won = true;
    for (int s = 1; s <= 4; ++s)
        if (s != p.myseat && (s <= 2 || (s == 3 ? seat3 : seat4)) &&
            totals[std::size_t(s)] <= p.total)
            p.won = false;
    host(msg::winner(p.won ? "Me" : "Someone"));
    return p;
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(Statistics, AFolderOfRecordsGivesTheHandCount) {
    QTemporaryDir home;
    ASSERT_TRUE(home.isValid());
    const QString folder = home.filePath("games");
    std::mt19937 gen(2026);
    QList<Played> games;
    for (int i = 0; i < 40; ++i) {
        // A window of its own for each game: each sits where the host put it.
        ClientSession session;
        PlayerRecorder recorder(session, folder);
        games << playGame(session, gen);
        ASSERT_FALSE(recorder.lastRecord().isEmpty());
        // One game a day, in the order played.
        const QString dated = QDir(folder).filePath(
            QStringLiteral("2026-01-%1_1200_game.pelvo-game").arg(i + 1, 2, 10, QChar(u'0')));
        ASSERT_TRUE(QFile::rename(recorder.lastRecord(), dated));
    }

    // Things in the folder that are no game of this player's, or damaged.
    const auto noise = [&](const char* name, const QByteArray& bytes) {
        writeFile(QDir(folder).filePath(name), bytes);
    };
    noise("2026-02-01_1200_empty.pelvo-game", "");
    noise("2026-02-01_1201_junk.pelvo-game", QByteArray("\x00\xff\xfe garbage\n", 13).repeated(50));
    const QByteArray whole = readFile(QDir(folder).filePath("2026-01-01_1200_game.pelvo-game"));
    noise("2026-02-01_1202_cut.pelvo-game", whole.left(whole.size() * 2 / 3));
    QByteArray badNumbers = whole;
    badNumbers.replace("CMD_postscores+", "CMD_postscores+x");
    badNumbers.replace("CMD_winner+", "CMD_winn\\q");
    noise("2026-02-01_1203_badfields.pelvo-game", badNumbers);
    noise("2026-02-01_1204_version.pelvo-game", "pelvo-game 2 player\n0 end game-over\n");
    noise("2026-02-01_1205_host.pelvo-game",
          "pelvo-game 1 host\n0 table deal 1\n1 end game-over\n");
    noise("2026-02-01_1206_longline.pelvo-game",
          "pelvo-game 1 player\n0 host CMD_startgame+" + QByteArray(3 << 20, 'x'));
    QByteArray onlooker = whole;
    const qsizetype login = onlooker.indexOf("CMD_sendlogininfo+");
    ASSERT_GE(login, 0);
    onlooker[login + 18] = '7'; // the game watched from slot 7
    noise("2026-02-01_1207_onlooker.pelvo-game", onlooker);
    noise("notes.txt", "not a record");

    // By hand.
    Statistics hand;
    int roundSum = 0, gameSum = 0, streak = 0;
    hand.bestRound = 1000;
    hand.bestGame = 1000;
    for (const Played& p : games) {
        ++hand.all.played;
        hand.all.won += p.won;
        ++hand.byPlayers[p.players].played;
        hand.byPlayers[p.players].won += p.won;
        ++hand.byLevel[p.level].played;
        hand.byLevel[p.level].won += p.won;
        for (int r : p.rounds) roundSum += r, hand.bestRound = std::min(hand.bestRound, r);
        hand.rounds += int(p.rounds.size());
        gameSum += p.total;
        hand.bestGame = std::min(hand.bestGame, p.total);
        hand.penalties += p.penalties;
        streak = p.won ? streak + 1 : 0;
        hand.longestStreak = std::max(hand.longestStreak, streak);
    }

    const Statistics st = gatherStatistics(folder);
    ASSERT_EQ(st.games.size(), games.size());
    for (qsizetype i = 0; i < games.size(); ++i) {
        EXPECT_EQ(st.games[i].total, games[i].total) << i;
        EXPECT_EQ(st.games[i].rounds, games[i].rounds) << i;
        EXPECT_EQ(st.games[i].level, games[i].level) << i;
    }
    EXPECT_EQ(st.all, hand.all);
    EXPECT_GT(hand.all.won, 3);
    EXPECT_LT(hand.all.won, 37);
    EXPECT_EQ(st.byPlayers, hand.byPlayers);
    EXPECT_EQ(st.byLevel, hand.byLevel);
    EXPECT_EQ(st.byLevel.size(), 4) << "None, Classic, Expert and Mixed all came up";
    EXPECT_EQ(st.rounds, hand.rounds);
    EXPECT_DOUBLE_EQ(st.averageRound, double(roundSum) / hand.rounds);
    EXPECT_EQ(st.bestRound, hand.bestRound);
    EXPECT_DOUBLE_EQ(st.averageGame, double(gameSum) / games.size());
    EXPECT_EQ(st.bestGame, hand.bestGame);
    EXPECT_EQ(st.penalties, hand.penalties);
    EXPECT_GT(hand.penalties, 0);
    EXPECT_EQ(st.longestStreak, hand.longestStreak);
    EXPECT_EQ(st.passedOver, 8);

    // A reset moves the counted records aside, and only them.
    QString error;
    const QString aside = setRecordsAside(st, folder, error);
    ASSERT_FALSE(aside.isEmpty()) << error.toStdString();
    EXPECT_EQ(QDir(aside).entryList(QDir::Files).size(), games.size());
    EXPECT_EQ(readFile(QDir(aside).filePath("2026-01-01_1200_game.pelvo-game")), whole);
    const QStringList left = QDir(folder).entryList(QDir::Files);
    EXPECT_EQ(left.size(), 9) << left.join(", ").toStdString();
    EXPECT_TRUE(left.contains("notes.txt"));
    const Statistics after = gatherStatistics(folder);
    EXPECT_TRUE(after.empty());
    EXPECT_EQ(after.passedOver, 8);
    EXPECT_EQ(after.all, Tally{});
}

TEST(Statistics, NoFolderYetIsEmpty) {
    QTemporaryDir home;
    const Statistics st = gatherStatistics(home.filePath("games"));
    EXPECT_TRUE(st.empty());
    EXPECT_EQ(st.passedOver, 0);
    EXPECT_EQ(st.longestStreak, 0);
}

} // namespace
