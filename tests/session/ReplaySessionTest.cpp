// The replay without a window: a recorded game fed to a bare session, and records damaged at
// random, which must load what they can and step both ways without harm.
#include "host/HostRecord.h"
#include "session/ClientSession.h"
#include "session/Replay.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <map>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

class TeeOutbox : public Outbox {
public:
    HostRecorder* recorder = nullptr;
    void send(int slot, const QByteArray& frame) override { recorder->notice(slot, frame); }
};

QByteArray recordedGame(std::uint64_t deal) {
    TeeOutbox outbox;
    Random deals, bots;
    Engine::Hooks hooks;
    hooks.botSpeed = [] { return 1; };
    hooks.dealSource = [deal] { return deal; };
    hooks.dealt = [&outbox](const Table&, int seat) { outbox.recorder->dealt(seat); };
    Engine engine(outbox, deals, bots, Engine::Options{}, std::move(hooks));
    HostRecorder recorder(engine);
    outbox.recorder = &recorder;
    recorder.enabled = true;
    QByteArray bytes;
    recorder.finished = [&](const QByteArray& b, const QStringList&) { bytes = b; };
    recorder.acceptConnection();
    recorder.request(1, QStringLiteral("CMD_logininfo+1+1.0.1+Ann"));
    recorder.request(1, QStringLiteral("CMD_startgame+Ann+3+1+1"));
    recorder.request(1, QStringLiteral("CMD_justwatch+1+1"));
    while (engine.table.gameRunning && recorder.advanceClock()) {
    }
    return bytes;
}

QString state(const ClientSession& s) {
    const TableModel& t = s.table();
    QString out = t.status + u'|' + t.roundText() + u'|' + t.winnerText;
    for (int seat = 1; seat <= 4; ++seat) {
        const SeatModel& m = t.seats[std::size_t(seat)];
        out += u'|' + m.caption() + u':' + QString::number(m.score);
        for (int p = 1; p <= 9; ++p) out += u',' + QString::number(m.cards[std::size_t(p)].picture);
    }
    return out;
}

} // namespace

TEST(ReplaySession, EveryPositionReadsTheSameReachedForwardBackwardOrByAJump) {
    ClientSession session;
    Replay replay(session);
    replay.load(readRecord(recordedGame(99)));
    ASSERT_GT(replay.count(), 100);
    QStringList forward{state(session)};
    while (!replay.atEnd()) {
        replay.step();
        forward << state(session);
    }
    EXPECT_EQ(session.table().status, "Game Over!");
    EXPECT_EQ(session.state().myseat, 1);
    // Every step back passes a checkpoint boundary somewhere; every jump lands anywhere.
    for (int p = replay.count() - 1; p >= 0; --p) {
        replay.back();
        ASSERT_EQ(state(session), forward[p]) << p;
    }
    QRandomGenerator random(5);
    for (int i = 0; i < 200; ++i) {
        const int target = random.bounded(replay.count() + 1);
        replay.seek(target);
        ASSERT_EQ(state(session), forward[target]) << target;
    }
}

TEST(ReplaySession, RecordsDamagedAtRandomLoadWhatTheyCanAndStepSafely) {
    const QByteArray good = recordedGame(7);
    QRandomGenerator random(20261208);
    for (int round = 0; round < 300; ++round) {
        QByteArray bad = good;
        // Flip, cut or drop bytes anywhere (the header too).
        for (int k = 0, n = 1 + random.bounded(6); k < n; ++k) {
            const qsizetype at = random.bounded(bad.size());
            switch (random.bounded(3)) {
            case 0:
                bad[at] = char(random.bounded(256));
                break;
            case 1:
                bad.truncate(at);
                break;
            default:
                bad.remove(at, random.bounded(40));
            }
            if (bad.isEmpty()) break;
        }
        const GameRecord record = readRecord(bad);
        if (!record.ok()) {
            EXPECT_GE(record.errorLine, 1);
            EXPECT_TRUE(record.error.startsWith(QStringLiteral("Line %1: ").arg(record.errorLine)));
        }
        for (const RecordEvent& e : record.events)
            EXPECT_LT(e.line, record.errorLine ? record.errorLine : 1 << 30);
        ClientSession session;
        Replay replay(session);
        replay.load(record);
        replay.setShowAllCards(true);
        replay.seek(replay.count());
        replay.seek(replay.count() / 2);
        replay.back();
        replay.toStart();
        EXPECT_EQ(replay.position(), 0);
    }
}

// A player's record of 100,000 chat lines, played to its end and stepped back: the session
// holds the last 5,000 lines as a live one does, the process grows by little more than that,
// and every position reached backwards or by a jump shows the chat the way forward showed.
TEST(ReplaySession, AHundredThousandChatLinesPlayInLittleMemoryAndStepBackExactly) {
    constexpr int lines = 100000;
    QTemporaryDir dir;
    const QString path = dir.filePath("chat.pelvo-game");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("pelvo-game 1 player\n");
        for (int n = 1; n <= lines; ++n)
            file.write(QByteArray::number(n) + " host CMD_chat+1+line " + QByteArray::number(n) +
                       "|clRed\n");
        file.write(QByteArray::number(lines + 1) + " end game-over\n");
    }
    const bool measured = test::resetPeakMemory();
    const long before = test::residentKiB();

    ClientSession session;
    Replay replay(session);
    ASSERT_TRUE(replay.open(path));
    EXPECT_TRUE(replay.error().isEmpty()) << replay.error().toStdString();
    ASSERT_EQ(replay.count(), lines);
    const auto chat = [&session] {
        const auto& held = session.chat().lines();
        if (held.empty()) return QString("empty");
        return QStringLiteral("%1 %2 .. %3")
            .arg(held.size())
            .arg(held.front().text, held.back().text);
    };
    QRandomGenerator random(11);
    std::map<int, QString> seen{{0, {}}, {4999, {}}, {5000, {}}, {5001, {}}};
    for (int p = lines - 40; p <= lines; ++p) seen[p] = {};
    for (int i = 0; i < 20; ++i) seen[random.bounded(lines)] = {};
    seen[0] = chat();
    while (!replay.atEnd()) {
        replay.step();
        if (auto it = seen.find(replay.position()); it != seen.end()) it->second = chat();
    }
    ASSERT_EQ(session.chat().lines().size(), 5000u);
    EXPECT_TRUE(session.chat().lines().back().text.contains("line 100000"));
    EXPECT_TRUE(session.chat().lines().front().text.contains("line 95001"));
    if (measured) {
        // Holding the chat of every checkpoint took gigabytes here.
        const long grown = test::peakResidentKiB() - before;
        RecordProperty("peak_growth_kib", std::to_string(grown));
        EXPECT_LT(grown, 160 * 1024) << grown << " KiB";
    }

    for (int i = 0; i < 40; ++i) {
        replay.back();
        ASSERT_EQ(chat(), seen.at(replay.position())) << replay.position();
    }
    for (const auto& [position, shown] : seen) {
        replay.seek(position);
        ASSERT_EQ(chat(), shown) << position;
    }
}

TEST(ReplaySession, ImpossibleCardsInADamagedRecordAreNotShown) {
    // Every hand dealt with a code no card has, and every replaced card too.
    static const QRegularExpression dealt(QStringLiteral("table dealt (\\d) [0-9+]+"));
    static const QRegularExpression replaced(
        QStringLiteral("(CMD_replacead\\w+\\+\\d\\+\\d\\+\\d+)\\+\\d+"));
    QString text = QString::fromUtf8(recordedGame(7));
    text.replace(dealt, QStringLiteral("table dealt \\1 536+54+-3+99+1000+77+60+61+62"));
    text.replace(replaced, QStringLiteral("\\1+-7"));
    ClientSession session;
    Replay replay(session);
    replay.load(readRecord(text.toUtf8()));
    replay.setShowAllCards(true);
    ASSERT_GT(replay.count(), 10);
    for (int p = 0; p <= replay.count(); p += 3) {
        replay.seek(p);
        for (int seat = 1; seat <= 4; ++seat)
            for (int c = 1; c <= 9; ++c) {
                const int picture =
                    session.table().seats[std::size_t(seat)].cards[std::size_t(c)].picture;
                ASSERT_TRUE(picture >= -1 && picture <= 53) << p << ' ' << seat << ' ' << picture;
            }
    }
}
