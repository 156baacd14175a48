#include "session/Statistics.h"

// own
#include "protocol/GameRecord.h"
#include "protocol/Notices.h"

// Qt
#include <QDir>
#include <QFile>
#include <QFileInfo>

// std
#include <algorithm>
#include <array>
#include <limits>

namespace pelvo {

namespace {

constexpr int Seats = 4;
// A game's record is a few hundred kilobytes; anything far larger is no record of ours.
constexpr qint64 MaxRecordBytes = 64 << 20;
const QString levelsLine = QStringLiteral("Computer players: ");

// The computer players' levels by seat from the host's line: "Expert." for all, or
// "seat 1 Classic, seat 2 Expert." seat by seat. Seats not named keep `fallback`.
std::array<QString, Seats + 1> readLevels(const QString& text, const QString& fallback) {
    std::array<QString, Seats + 1> levels;
    levels.fill(fallback);
    QString list = text.mid(levelsLine.size());
    if (list.endsWith(u'.')) list.chop(1);
    if (!list.startsWith(QStringLiteral("seat "))) {
        levels.fill(list);
        return levels;
    }
    for (const QString& entry : list.split(QStringLiteral(", "))) {
        const QStringList words = entry.split(u' ');
        bool ok = false;
        const int seat = words.value(1).toInt(&ok);
        if (words.size() == 3 && ok && seat >= 1 && seat <= Seats)
            levels[std::size_t(seat)] = words[2];
    }
    return levels;
}

// What one record says, line by line.
class GameReader {
public:
    void take(const RecordEvent& e);
    std::optional<GameSummary> summary() const;

private:
    int myseat_ = 0;
    std::array<bool, Seats + 1> person_{}; // a person holds the seat's slot
    std::array<bool, Seats + 1> inGame_{};
    std::array<bool, Seats + 1> computer_{};
    std::array<QString, Seats + 1> levels_;
    std::array<int, Seats + 1> totals_{};
    bool started_ = false;
    bool over_ = false;
    QList<int> rounds_;
    int penalties_ = 0;
};

void GameReader::take(const RecordEvent& e) {
    if (e.who != record::fromHost || over_) return;
    const QString line = e.textString();
    const qsizetype plus = line.indexOf(u'+');
    if (plus < 0) return;
    const QStringView command = QStringView(line).left(plus);
    const QString payload = line.mid(plus + 1);
    const auto seat = [](int n) { return n >= 1 && n <= Seats; };

    if (command == u"CMD_sendlogininfo") {
        if (const auto n = notice::decode<notice::SendLoginInfo>(payload)) myseat_ = n->slot;
    } else if (command == u"CMD_seatreclaimed") {
        if (const auto n = notice::decode<notice::SeatReclaimed>(payload)) myseat_ = n->seat;
    } else if (command == u"CMD_newplayerinfo" || command == u"CMD_existingplayers") {
        if (const auto n = notice::decode<notice::PlayerInfo>(payload); n && seat(n->slot))
            person_[std::size_t(n->slot)] = true;
    } else if (command == u"CMD_playerdisconnected") {
        if (const auto n = notice::decode<notice::PlayerInfo>(payload); n && seat(n->slot))
            person_[std::size_t(n->slot)] = false;
    } else if (command == u"CMD_startgame") {
        const auto n = notice::decode<notice::StartGame>(payload);
        if (!n) return;
        // Only who sits where carries over from before the game.
        const int me = myseat_;
        const auto people = person_;
        *this = GameReader();
        myseat_ = me;
        person_ = people;
        started_ = true;
        inGame_ = {false, true, true, n->seat3Plays, n->seat4Plays};
        for (int s = 1; s <= Seats; ++s)
            computer_[std::size_t(s)] = inGame_[std::size_t(s)] && !person_[std::size_t(s)];
        levels_.fill(QStringLiteral("Classic"));
    } else if (!started_) {
        return;
    } else if (command == u"CMD_action") {
        const auto n = notice::decode<notice::ChatText>(payload);
        if (n && n->sender == 0 && n->text.startsWith(levelsLine))
            levels_ = readLevels(n->text, QStringLiteral("Classic"));
    } else if (command == u"CMD_postscores") {
        const auto n = notice::decode<notice::PostScores>(payload);
        if (!n || !seat(n->seat)) return;
        totals_[std::size_t(n->seat)] = n->total;
        if (n->seat == myseat_) rounds_ << n->points;
    } else if (command == u"CMD_penalty") {
        const auto n = notice::decode<notice::Penalty>(payload);
        if (!n || !seat(n->seat)) return;
        totals_[std::size_t(n->seat)] = n->total;
        if (n->seat == myseat_) ++penalties_;
    } else if (command == u"CMD_winner") {
        over_ = true;
    }
}

std::optional<GameSummary> GameReader::summary() const {
    if (!started_ || !over_ || myseat_ < 1 || myseat_ > Seats) return std::nullopt;
    if (!inGame_[std::size_t(myseat_)] || rounds_.isEmpty()) return std::nullopt;
    GameSummary g;
    g.total = totals_[std::size_t(myseat_)];
    g.won = true;
    QStringList levels;
    for (int s = 1; s <= Seats; ++s) {
        if (!inGame_[std::size_t(s)]) continue;
        ++g.players;
        if (s != myseat_ && totals_[std::size_t(s)] <= g.total) g.won = false;
        const QString& level = levels_[std::size_t(s)];
        if (computer_[std::size_t(s)] && !levels.contains(level)) levels << level;
    }
    g.level = levels.isEmpty()     ? QStringLiteral("None")
              : levels.size() == 1 ? levels.front()
                                   : QStringLiteral("Mixed");
    g.rounds = rounds_;
    g.penalties = penalties_;
    return g;
}

} // namespace

std::optional<GameSummary> summarizeRecord(QIODevice& device) {
    RecordReader reader(device);
    if (!reader.ok() || reader.kind() != GameRecord::Kind::Player) return std::nullopt;
    GameReader game;
    RecordEvent e;
    while (reader.next(e)) game.take(e);
    return game.summary();
}

Statistics tally(QList<GameSummary> summaries) {
    std::stable_sort(summaries.begin(), summaries.end(),
                     [](const GameSummary& a, const GameSummary& b) {
                         return a.when != b.when ? a.when < b.when : a.path < b.path;
                     });
    Statistics st;
    st.games = summaries;
    if (summaries.isEmpty()) return st;
    st.bestRound = std::numeric_limits<int>::max();
    st.bestGame = std::numeric_limits<int>::max();
    qint64 roundSum = 0, gameSum = 0;
    int streak = 0;
    for (const GameSummary& g : summaries) {
        for (Tally* t : {&st.all, &st.byPlayers[g.players], &st.byLevel[g.level]}) {
            ++t->played;
            t->won += int(g.won);
        }
        for (int r : g.rounds) {
            roundSum += r;
            st.bestRound = std::min(st.bestRound, r);
        }
        st.rounds += int(g.rounds.size());
        gameSum += g.total;
        st.bestGame = std::min(st.bestGame, g.total);
        st.penalties += g.penalties;
        streak = g.won ? streak + 1 : 0;
        st.longestStreak = std::max(st.longestStreak, streak);
    }
    st.averageRound = st.rounds > 0 ? double(roundSum) / st.rounds : 0;
    st.averageGame = double(gameSum) / double(summaries.size());
    return st;
}

Statistics gatherStatistics(const QString& folder) {
    QList<GameSummary> games;
    int passedOver = 0;
    const QFileInfoList files =
        QDir(folder).entryInfoList({QStringLiteral("*") + QLatin1String(record::suffix)},
                                   QDir::Files | QDir::Readable | QDir::Hidden, QDir::Name);
    for (const QFileInfo& info : files) {
        QFile file(info.filePath());
        std::optional<GameSummary> g;
        if (!info.isSymLink() && info.size() <= MaxRecordBytes && file.open(QIODevice::ReadOnly))
            g = summarizeRecord(file);
        if (!g) {
            ++passedOver;
            continue;
        }
        g->path = info.filePath();
        // Record names begin with the minute the game ended; the file's own time orders the
        // games of one minute, unless the file was copied since.
        const QDateTime named =
            QDateTime::fromString(info.fileName().left(15), QStringLiteral("yyyy-MM-dd_HHmm"));
        const QDateTime written = info.lastModified();
        const bool sameMinute = named.isValid() && written >= named && written < named.addSecs(60);
        g->when = named.isValid() && !sameMinute ? named : written;
        games << *g;
    }
    Statistics st = tally(games);
    st.passedOver = passedOver;
    return st;
}

QString setRecordsAside(const Statistics& stats, const QString& folder, QString& error) {
    const QDir dir(folder);
    const QString stamp =
        QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmmss"));
    QString name = QStringLiteral("reset ") + stamp;
    for (int n = 2; dir.exists(name); ++n) name = QStringLiteral("reset %1-%2").arg(stamp).arg(n);
    if (!dir.mkdir(name)) {
        error = QStringLiteral("Could not make the folder %1.")
                    .arg(QDir::toNativeSeparators(dir.filePath(name)));
        return {};
    }
    const QDir aside(dir.filePath(name));
    for (const GameSummary& g : stats.games) {
        const QFileInfo info(g.path);
        // Only what was counted, and only from this folder.
        if (info.absolutePath() != dir.absolutePath()) continue;
        if (!QFile::rename(info.filePath(), aside.filePath(info.fileName()))) {
            error =
                QStringLiteral("Could not move %1.").arg(QDir::toNativeSeparators(info.filePath()));
            return {};
        }
    }
    return aside.path();
}

} // namespace pelvo
