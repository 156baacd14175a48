#include "session/PlayerRecord.h"

// own
#include "session/ClientSession.h"
#include "session/settings/SettingsFile.h"

// Qt
#include <QDateTime>
#include <QDir>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcRecord, "pelvo.session.record")

namespace pelvo {

namespace {

// Lines before a game are kept within this bound (the seating lines always).
constexpr qsizetype MaxPrelude = 2000;

// A reclaim token is a key to a seat: it never goes into a record, which may be shared.
bool carriesToken(const QString& line) {
    return line.startsWith(u"CMD_reclaimtoken+") || line.startsWith(u"CMD_reclaimseat+");
}

bool isSeating(const QString& line) {
    for (const char* command : {"CMD_sendlogininfo+", "CMD_newplayerinfo+", "CMD_existingplayers+",
                                "CMD_playerdisconnected+", "CMD_logininfo+"})
        if (line.startsWith(QLatin1String(command))) return true;
    return false;
}

} // namespace

QString gamesFolder() {
    return QDir(userDataFolder()).filePath(QStringLiteral("games"));
}

PlayerRecorder::PlayerRecorder(ClientSession& session, const QString& folder, QObject* parent)
    : QObject(parent), session_(session), folder_(folder) {
    clock_.start();
    connect(&session, &ClientSession::lineReceived, this,
            [this](const QString& line) { add(record::fromHost, line); });
    connect(&session, &ClientSession::frameSent, this, [this](const QByteArray& frame) {
        QByteArray bytes = frame;
        while (bytes.endsWith('\xFF')) bytes.chop(1);
        add(record::fromMe, QString::fromUtf8(bytes));
    });
}

void PlayerRecorder::add(const QByteArray& who, const QString& line) {
    if (carriesToken(line)) return;
    const bool fromHost = who == record::fromHost;
    // A game starts, or this window joins one that runs (an onlooker, a late player).
    const bool starts = fromHost && (line.startsWith(u"CMD_startgame+") ||
                                     (!inGame_ && line.startsWith(u"CMD_gamestats+")));
    if (starts && inGame_) {
        // A new game before the last one ended: that one is over now.
        finish("restarted");
    }
    entries_.append({clock_.elapsed(), who, line.toUtf8(), isSeating(line)});
    if (starts) inGame_ = true;
    if (inGame_ && fromHost && line.startsWith(u"CMD_winner+")) {
        finish("game-over");
        return;
    }
    if (!inGame_ && entries_.size() > MaxPrelude) {
        // Between games only the seating matters for the next record, and the recent talk.
        QList<Entry> kept;
        for (qsizetype i = 0; i < entries_.size(); ++i)
            if (entries_[i].seating || i >= entries_.size() - MaxPrelude / 2)
                kept.append(entries_[i]);
        entries_ = std::move(kept);
    }
}

void PlayerRecorder::finish(const QByteArray& reason) {
    if (!inGame_) return;
    inGame_ = false;
    RecordWriter writer(GameRecord::Kind::Player);
    const qint64 start = entries_.isEmpty() ? 0 : entries_.front().ms;
    if (hosting_) writer.add(0, record::local, "host");
    for (const Entry& e : entries_) writer.add(e.ms - start, e.who, e.text);
    const QByteArray bytes = writer.finish(clock_.elapsed() - start, reason);

    QStringList names;
    for (int s = 1; s <= TableSeats; ++s) {
        const SeatModel& seat = session_.table().seats[std::size_t(s)];
        if (seat.playing) names << seat.caption();
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmm"));
    const QString path = writeRecordFile(folder_, recordFileName(stamp, names), bytes);
    // The next game's record starts from who sits where.
    QList<Entry> kept;
    for (const Entry& e : entries_)
        if (e.seating) kept.append(e);
    entries_ = std::move(kept);
    if (path.isEmpty()) {
        qCWarning(lcRecord).noquote()
            << "could not write the game record into" << QDir::toNativeSeparators(folder_);
        return;
    }
    lastRecord_ = path;
    emit recordWritten(path);
}

} // namespace pelvo
