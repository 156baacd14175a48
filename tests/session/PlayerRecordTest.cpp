// The player's record: what starts and ends it, what it keeps of the time before a game, and
// that each record stands on its own; the reclaim token is never in it, nor is its file written
// through a link.
#include "session/ClientSession.h"
#include "session/PlayerRecord.h"
#include "session/SeatKeys.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

QList<QByteArray> texts(const GameRecord& r) {
    QList<QByteArray> out;
    for (const RecordEvent& e : r.events) out << e.who + ' ' + e.text;
    return out;
}

} // namespace

TEST(PlayerRecord, EachGameIsWrittenOnItsOwnStartingFromWhoSitsWhere) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ClientSession session;
    PlayerRecorder recorder(session, dir.filePath("games"));
    QStringList written;
    QObject::connect(&recorder, &PlayerRecorder::recordWritten,
                     [&](const QString& path) { written << path; });
    auto host = [&](const char* line) { emit session.lineReceived(QString::fromUtf8(line)); };

    // An onlooker arrives while a game runs: its record starts there.
    host("CMD_sendlogininfo+5");
    emit session.frameSent(QByteArray("CMD_logininfo+5+1.0.1+Eve\xFF\xFF"));
    host("CMD_existingplayers+1+Ann");
    for (int i = 0; i < 3000; ++i) host("CMD_chat+1+Ann+chatter|clBlack"); // talk before: bounded
    EXPECT_FALSE(recorder.recording());
    host("CMD_gamestats+5+3+2+1+9+10+20+30+40+f+f+");
    EXPECT_TRUE(recorder.recording());
    host("CMD_heflipped+1+3+12");
    emit session.frameSent(QByteArray("CMD_chat+5+hi\nthere|clBlack\xFF"));
    host("CMD_winner+Ann");
    ASSERT_EQ(written.size(), 1);
    EXPECT_FALSE(recorder.recording());
    EXPECT_TRUE(QDir(dir.filePath("games")).exists(QFileInfo(written[0]).fileName()));

    const GameRecord first = readRecordFile(written[0]);
    ASSERT_TRUE(first.ok()) << first.error.toStdString();
    const QList<QByteArray> a = texts(first);
    EXPECT_EQ(a.mid(0, 3),
              (QList<QByteArray>{"host CMD_sendlogininfo+5", "me CMD_logininfo+5+1.0.1+Eve",
                                 "host CMD_existingplayers+1+Ann"}));
    EXPECT_LT(a.size(), 1100); // the talk before the game kept within its bound
    EXPECT_TRUE(a.contains("me CMD_chat+5+hi\nthere|clBlack"));
    EXPECT_EQ(a.back(), "end game-over");

    // The next game: the seating again, nothing of the last game; a restart ends it early.
    recorder.setHosting(true);
    host("CMD_startgame+Ann+3+t+t+");
    host("CMD_roundstarting+1+16+");
    host("CMD_startgame+Ann+3+t+t+");
    ASSERT_EQ(written.size(), 2);
    const QList<QByteArray> b = texts(readRecordFile(written[1]));
    EXPECT_EQ(b, (QList<QByteArray>{
                     "local host", "host CMD_sendlogininfo+5", "me CMD_logininfo+5+1.0.1+Eve",
                     "host CMD_existingplayers+1+Ann", "host CMD_startgame+Ann+3+t+t+",
                     "host CMD_roundstarting+1+16+", "end restarted"}));
    EXPECT_NE(written[1], written[0]); // never over an earlier record
    // The window closes during the third game: what was seen is kept.
    recorder.finish("window-closed");
    ASSERT_EQ(written.size(), 3);
    const GameRecord third = readRecordFile(written[2]);
    EXPECT_TRUE(third.ok());
    EXPECT_EQ(third.events.back().text, "window-closed");
    recorder.finish("window-closed"); // nothing runs any more
    EXPECT_EQ(written.size(), 3);
}

TEST(SeatTokens, NeverInARecordAndTheirFileFollowsNoLink) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString token(32, u'c');

    // The token file: in a folder only its user enters; a link planted at its name is replaced,
    // and what it pointed to is left as it was.
    QFile victim(dir.filePath("victim"));
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("mine\n");
    victim.close();
    victim.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
    const QString path = seatkeys::pathOf(dir.path(), "127.0.0.1", "7772");
    ASSERT_TRUE(QDir().mkpath(QFileInfo(path).path()));
    ASSERT_TRUE(QFile::link(victim.fileName(), path));
    ASSERT_TRUE(seatkeys::save(dir.path(), "127.0.0.1", "7772", token));
    ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
    EXPECT_EQ(victim.readAll(), "mine\n");
    EXPECT_TRUE(victim.permissions() & QFile::ReadOther);
    EXPECT_FALSE(QFileInfo(path).isSymLink());
    const auto others = QFile::ReadGroup | QFile::WriteGroup | QFile::ExeGroup | QFile::ReadOther |
                        QFile::WriteOther | QFile::ExeOther;
    EXPECT_EQ(QFile(path).permissions() & others, QFile::Permissions());
    EXPECT_EQ(QFile(QFileInfo(path).path()).permissions() & others, QFile::Permissions());
    EXPECT_EQ(seatkeys::load(dir.path(), "127.0.0.1", "7772"), token);
    // A keys folder that is itself a link is not used.
    const QString elsewhere = dir.filePath("elsewhere");
    ASSERT_TRUE(QDir().mkpath(elsewhere));
    ASSERT_TRUE(QDir().mkpath(dir.filePath("other")));
    ASSERT_TRUE(QFile::link(elsewhere, dir.filePath("other/keys")));
    EXPECT_FALSE(seatkeys::save(dir.filePath("other"), "127.0.0.1", "7772", token));
    EXPECT_TRUE(QDir(elsewhere).isEmpty());

    // A player's record holds neither the token it was given nor the one it sent.
    ClientSession session;
    PlayerRecorder recorder(session, dir.filePath("games"));
    QString written;
    QObject::connect(&recorder, &PlayerRecorder::recordWritten,
                     [&](const QString& p) { written = p; });
    auto host = [&](const QString& line) { emit session.lineReceived(line); };
    host("CMD_sendlogininfo+5");
    emit session.frameSent("CMD_reclaimseat+5+" + token.toLatin1() + "+1.0.1+Bo\xFF");
    host("CMD_seatreclaimed+2");
    host("CMD_startgame+Ann+3+t+t+");
    host("CMD_reclaimtoken+" + token + "+120");
    host("CMD_winner+Ann");
    ASSERT_FALSE(written.isEmpty());
    QFile record(written);
    ASSERT_TRUE(record.open(QIODevice::ReadOnly));
    const QByteArray bytes = record.readAll();
    EXPECT_FALSE(bytes.contains(token.toLatin1()));
    EXPECT_TRUE(bytes.contains("CMD_seatreclaimed+2"));
    EXPECT_EQ(record.permissions() & others, QFile::Permissions());
}
