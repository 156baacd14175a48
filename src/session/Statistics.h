#pragma once
// The player's statistics, counted from the game records this window writes (one file a game in
// the games folder): nothing else is stored. A record counts when this player sat in the game
// from its start to its winner; records of the host, of an onlooker, of a game left early, and
// files that are damaged or no records at all are passed over (and counted as such).

// Qt
#include <QDateTime>
#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

// std
#include <optional>

class QIODevice;

namespace pelvo {

// One finished game as this player saw it.
struct GameSummary {
    QString path;      // the record it was read from
    QDateTime when;    // from the file's name (else the file's time): orders the games
    int players = 0;   // seats in the game, 2..4
    QString level;     // the computer players': "Classic", "Expert", "Mixed" or "None"
    bool won = false;  // this player ended alone at the lowest total
    int total = 0;     // this player's total at the end, penalties included
    QList<int> rounds; // this player's round scores, in order
    int penalties = 0; // the penalties this player took
    friend bool operator==(const GameSummary&, const GameSummary&) = default;
};

// Reads one player's record; nothing for anything that is not a game this player played
// through. Never throws; a damaged record gives nothing.
std::optional<GameSummary> summarizeRecord(QIODevice& device);

struct Tally {
    int played = 0;
    int won = 0;
    friend bool operator==(const Tally&, const Tally&) = default;
};

struct Statistics {
    QList<GameSummary> games;   // oldest first
    QMap<int, Tally> byPlayers; // by seats in the game
    QMap<QString, Tally> byLevel;
    Tally all;
    int rounds = 0; // rounds played in those games
    double averageRound = 0;
    int bestRound = 0; // the lowest round score (golf: lowest is best)
    double averageGame = 0;
    int bestGame = 0; // the lowest final total
    int penalties = 0;
    int longestStreak = 0; // games won in a row
    int passedOver = 0;    // files in the folder that were not counted

    bool empty() const { return games.isEmpty(); }
};

// Counts the games of `summaries` (in any order).
Statistics tally(QList<GameSummary> summaries);
// Reads every record file in `folder` (not its subfolders) and counts them.
Statistics gatherStatistics(const QString& folder);

// Moves the counted records out of the folder into a new subfolder "reset <time>" of it, so that
// the statistics start again while the games can still be replayed. Nothing else is touched.
// Returns the subfolder, or an empty string with `error` set (records already moved stay moved).
QString setRecordsAside(const Statistics& stats, const QString& folder, QString& error);

} // namespace pelvo
