// The game record format: any bytes survive the escaping on one line, and a damaged file is
// read up to the line that is wrong, which the error names.
#include "protocol/GameRecord.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pelvo;

TEST(GameRecordFormat, AnyTextSurvivesAWriteAndARead) {
    QRandomGenerator random(20261208);
    RecordWriter writer(GameRecord::Kind::Player);
    QList<QByteArray> texts;
    for (int i = 0; i < 500; ++i) {
        QByteArray text(random.bounded(0, 40), '\0');
        for (char& c : text) {
            // Mostly the awkward bytes: escapes, line ends, 0xFF, backslashes, UTF-8.
            static const char pool[] = "\\\n\r\xFF\x01 +|xn\xC3\xA9";
            c = random.bounded(3) == 0 ? char(random.bounded(256))
                                       : pool[random.bounded(int(sizeof pool) - 1)];
        }
        texts << text;
        writer.add(i * 7, i % 2 ? record::fromMe : record::fromHost, text);
    }
    const QByteArray file = writer.finish(9999, "game-over");
    EXPECT_EQ(file.count('\n'), 502); // header, 500 events, end: one line each
    EXPECT_FALSE(file.contains('\xFF'));
    EXPECT_FALSE(file.contains('\r'));

    const GameRecord r = readRecord(file);
    ASSERT_TRUE(r.ok()) << r.error.toStdString();
    EXPECT_TRUE(r.complete);
    EXPECT_EQ(r.kind, GameRecord::Kind::Player);
    ASSERT_EQ(r.events.size(), 501);
    for (int i = 0; i < 500; ++i) {
        EXPECT_EQ(r.events[i].text, texts[i]) << i;
        EXPECT_EQ(r.events[i].ms, i * 7);
        EXPECT_EQ(r.events[i].line, i + 2);
    }
    EXPECT_EQ(r.events.back().who, "end");
}

TEST(GameRecordFormat, DamagedFilesNameTheLineAndKeepWhatCameBefore) {
    const QByteArray good = "pelvo-game 1 host\n"
                            "0 table deal 12\n"
                            "5 from1 CMD_chat+1+a\\nb|$0000FF\n"
                            "5 to1 CMD_chat+1+Ann+a\\nb|$0000FF\n"
                            "9 end game-over\n";
    const GameRecord ok = readRecord(good);
    ASSERT_TRUE(ok.ok()) << ok.error.toStdString();
    EXPECT_EQ(ok.kind, GameRecord::Kind::Host);
    EXPECT_EQ(ok.events[1].text, "CMD_chat+1+a\nb|$0000FF");
    EXPECT_EQ(ok.events[1].slot("from"), 1);
    EXPECT_EQ(ok.events[2].slot("to"), 1);
    EXPECT_EQ(ok.events[2].slot("from"), 0);

    struct Case {
        QByteArray bytes;
        int line;
        int eventsRead;
        const char* says;
    };
    const Case cases[] = {
        {"", 1, 0, "empty"},
        {"\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 1, 0, "not a Pelvo game record"},
        {"pelvo-game 2 host\n0 end x\n", 1, 0, "version 2; this program reads version 1"},
        {"pelvo-game one host\n", 1, 0, "not a number"},
        {"pelvo-game 1 referee\n", 1, 0, "unknown kind"},
        {good.left(good.indexOf("5 to1") + 9), 4, 2, "truncated"},       // cut inside a line
        {good.left(good.indexOf("9 end")), 5, 3, "before its end line"}, // cut between lines
        {QByteArray(good).replace("5 to1", "5to1"), 4, 2, "not an event"},
        {QByteArray(good).replace("5 to1", "-5 to1"), 4, 2, "not a number of milliseconds"},
        {QByteArray(good).replace("a\\nb|$0000FF\n5", "a\\qb|$0000FF\n5"), 3, 1, "escape"},
        {QByteArray(good).replace("a\\nb|$0000FF\n5", "a\\x4|$0000FF\n5"), 3, 1, "escape"},
        {good + "10 to1 CMD_chat+1+late\n", 6, 4, "after the end line"},
        // A line no record holds is not read whole, wherever it is.
        {QByteArray(good).insert(good.indexOf("5 to1"),
                                 "5 to1 " + QByteArray(RecordReader::MaxLine + 10, 'x') + "\n"),
         4, 2, "too long"},
        {"pelvo-game 1 host\n0 table " + QByteArray(3 * RecordReader::MaxLine, 'y'), 2, 0,
         "too long"},
    };
    for (const Case& c : cases) {
        const GameRecord r = readRecord(c.bytes);
        EXPECT_FALSE(r.ok()) << c.says;
        EXPECT_EQ(r.errorLine, c.line) << c.says << ": " << r.error.toStdString();
        EXPECT_TRUE(r.error.startsWith(QStringLiteral("Line %1: ").arg(c.line)))
            << r.error.toStdString();
        EXPECT_TRUE(r.error.contains(QLatin1String(c.says))) << r.error.toStdString();
        EXPECT_EQ(r.events.size(), c.eventsRead) << c.says;
    }
}

TEST(GameRecordFormat, FilesAreNamedSafelyAndNeverOverwritten) {
    // A name cannot lead out of the folder or make a second file name.
    EXPECT_EQ(recordFileName("2026-12-08_1444", {"Ann", "Klot", "\u00dcmit \u00d6z", "../x"}),
              QStringLiteral("2026-12-08_1444_Ann-Klot-\u00dcmit_\u00d6z-.._x.pelvo-game"));
    EXPECT_EQ(recordFileName("2026-12-08_1444", {"", "/"}, "host"),
              "2026-12-08_1444___host.pelvo-game");
    EXPECT_EQ(recordFileName("2026-12-08_1444", {}), "2026-12-08_1444_game.pelvo-game");

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString folder = dir.filePath("games/deeper");
    const QString first = writeRecordFile(folder, "a.pelvo-game", "one\n");
    const QString second = writeRecordFile(folder, "a.pelvo-game", "two\n");
    EXPECT_TRUE(first.endsWith("/games/deeper/a.pelvo-game"));
    EXPECT_TRUE(second.endsWith("/games/deeper/a-2.pelvo-game"));
    QFile file(first);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "one\n");
    // Its hands are its owner's alone.
    EXPECT_EQ(QFile(first).permissions() &
                  ~(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser),
              QFile::Permissions());

    // A link planted at the name, dangling or not, is not written through.
    QFile victim(dir.filePath("victim"));
    ASSERT_TRUE(victim.open(QIODevice::WriteOnly));
    victim.write("mine\n");
    victim.close();
    ASSERT_TRUE(QFile::link(victim.fileName(), QDir(folder).filePath("b.pelvo-game")));
    ASSERT_TRUE(QFile::link(dir.filePath("nowhere"), QDir(folder).filePath("c.pelvo-game")));
    EXPECT_TRUE(writeRecordFile(folder, "b.pelvo-game", "x\n").endsWith("/b-2.pelvo-game"));
    EXPECT_TRUE(writeRecordFile(folder, "c.pelvo-game", "x\n").endsWith("/c-2.pelvo-game"));
    ASSERT_TRUE(victim.open(QIODevice::ReadOnly));
    EXPECT_EQ(victim.readAll(), "mine\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("nowhere")));
}

TEST(GameRecordFormat, LongNamesInAnyScriptStillGiveARecordFile) {
    // Four names of 24 letters of three bytes each (the file name would pass 255 bytes), of
    // characters outside the basic plane, and of plain letters.
    const QString cjk = QString(24, QChar(0x4E2D));
    QString emoji;
    for (int i = 0; i < 24; ++i) emoji += QString::fromUcs4(U"\U0001F600");
    QTemporaryDir dir;
    for (const QString& long_ : {cjk, emoji, QString(300, u'x')}) {
        const QString name =
            recordFileName("2026-12-08_1444", {long_, long_, long_, long_}, "host");
        EXPECT_LE(name.toUtf8().size(), 255 - 4) << name.toStdString();
        EXPECT_TRUE(name.endsWith("_host.pelvo-game"));
        EXPECT_TRUE(name.startsWith("2026-12-08_1444_"));
        EXPECT_GT(name.size(), 60); // cut to fit, not to nothing
        EXPECT_FALSE(name.contains(QChar::ReplacementCharacter));
        for (int copy = 1; copy <= 3; ++copy)
            EXPECT_FALSE(writeRecordFile(dir.path(), name, "x\n").isEmpty()) << copy;
    }
}
