#pragma once
// A player's game record: what this client received and sent during one game, written to the
// games folder when the game is over (or the connection or window closes during it). It holds
// only what this player saw. The lines before the game that tell who sits where (the login and
// the players' names) come first, so that the record replays on its own.

// own
#include "protocol/GameRecord.h"

// Qt
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

namespace pelvo {

class ClientSession;

// The folder game records are written to: "games" in PELVO_HOME when that is set, else in the
// per-user data folder.
QString gamesFolder();

class PlayerRecorder : public QObject {
    Q_OBJECT
public:
    PlayerRecorder(ClientSession& session, const QString& folder, QObject* parent = nullptr);

    bool recording() const { return inGame_; }
    // This client hosts the table (its window offers the Start button): the record says so.
    void setHosting(bool hosting) { hosting_ = hosting; }
    // Writes the record of the game under way, as ended for `reason`; nothing when none runs.
    void finish(const QByteArray& reason);
    // The path written last; empty before the first.
    QString lastRecord() const { return lastRecord_; }

signals:
    void recordWritten(const QString& path);

private:
    struct Entry {
        qint64 ms;
        QByteArray who;
        QByteArray text;
        bool seating; // tells who sits where: kept for the next game's record
    };
    void add(const QByteArray& who, const QString& line);

    ClientSession& session_;
    QString folder_;
    QElapsedTimer clock_;
    QList<Entry> entries_;
    bool inGame_ = false;
    bool hosting_ = false;
    QString lastRecord_;
};

} // namespace pelvo
