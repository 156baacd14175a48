// Host records: thousands of seeded games with people, computers, an onlooker coming and going,
// a seated player dropping out and taking the seat back with its token (every other game, at a
// dedicated table), chat with line breaks and refused requests, each recorded and then re-run
// from its deal number and inputs. Every notice must come out byte for byte.
#include "HostSupport.h"

#include "host/HostRecord.h"
#include "protocol/Messages.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <random>
#include <tuple>

using namespace pelvo;
using namespace pelvo::test;

namespace {

// A request as the host reads it: without its terminator (a login has two).
QString line(QByteArray frame) {
    while (frame.endsWith('\xFF')) frame.chop(1);
    return QString::fromUtf8(frame);
}

// An outbox that hands every frame to the recorder, as the host's socket layer does.
class TeeOutbox : public Outbox {
public:
    HostRecorder* recorder = nullptr;
    void send(int slot, const QByteArray& frame) override { recorder->notice(slot, frame); }
};

struct Played {
    QByteArray record;
    QStringList names;
    bool seat2Away = false; // the game ended while seat 2's player was away: the computer's name
    QStringList tokens;     // handed out during the game: never in the record
};

// One game at a recording host: people at slots 1 and 2 (their moves chosen by the computer's
// rules with the driver's own generator, sent as requests), seats 3 and 4 handed to the
// computer, an onlooker at slot 5.
Played playRecorded(std::uint64_t deal, std::uint64_t driverSeed, int rounds) {
    TeeOutbox outbox;
    Random deals, bots, driver(driverSeed);
    // Odd deals: a dedicated table that keeps a dropped player's seat (tokens, rights, history).
    const bool dedicated = deal % 2 == 1;
    Engine::Hooks hooks;
    hooks.botSpeed = [] { return 1; };
    hooks.dealSource = [deal] { return deal; };
    hooks.dealt = [&outbox](const Table&, int seat) { outbox.recorder->dealt(seat); };
    hooks.wallClock = [&outbox] { return outbox.recorder->inputTime(); };
    Engine engine(outbox, deals, bots,
                  Engine::Options{.windowless = dedicated, .reserveSeconds = dedicated ? 120 : 0},
                  std::move(hooks));
    HostRecorder rec(engine);
    outbox.recorder = &rec;
    rec.enabled = true;
    rec.clock = [&engine] { return engine.clock(); };
    Played played;
    rec.finished = [&](const QByteArray& bytes, const QStringList& names) {
        played.record = bytes;
        played.names = names;
    };
    const QStringList names{"Anna", QStringLiteral("\u00dcnal \\ \u2665"), "Cy", "Di", "Onlooker"};
    for (int slot = 1; slot <= 5; ++slot) {
        EXPECT_EQ(rec.acceptConnection(), slot);
        rec.request(slot, line(msg::logininfo(slot, "1.0.1", names[slot - 1])));
    }
    EXPECT_TRUE(rec.request(1, line(msg::startgame("Anna", QString::number(rounds), 1, 1))));
    EXPECT_TRUE(rec.recording());
    rec.request(3, line(msg::justwatch(3, 1)));
    rec.request(4, line(msg::justwatch(4, 1)));

    const Table& t = engine.table;
    auto personMove = [&](int seat) -> QString {
        if (t.turnState == TurnState::Flip && t.seats[seat].flipsLeft > 0) {
            const ComputerMove m = chooseFlip(BotLevel::Classic, t, seat, driver);
            return line(msg::flipcard(seat, m.position));
        }
        if (t.currentPlayer != seat) return {};
        if (t.turnState == TurnState::Choose) {
            const ComputerMove m = choosePlay(BotLevel::Classic, t, seat, driver);
            return m.kind == ComputerMove::DrawCard ? line(msg::drawcard(seat))
                                                    : line(msg::replacediscard(seat, m.position));
        }
        if (t.turnState == TurnState::Draw) {
            const ComputerMove m = chooseAfterDraw(BotLevel::Expert, t, seat, driver);
            return m.kind == ComputerMove::DiscardDrawn ? line(msg::discarddrawn(seat))
                                                        : line(msg::replacedraw(seat, m.position));
        }
        return {};
    };
    bool onlookerHere = true;
    int seat2At = 2; // the connection playing seat 2; 0 while it is away
    for (int steps = 0; t.gameRunning && steps < 200000; ++steps) {
        const int pick = driver.below(40);
        if (pick == 0) {
            const int slot = 1 + driver.below(onlookerHere ? 5 : 4);
            rec.request(slot, line(msg::chat(slot, QStringLiteral("hi\nthere \u00e9 %1").arg(steps),
                                             "$0000FF")));
            continue;
        }
        if (pick == 1) { // refused: another seat's move, a move out of turn
            EXPECT_FALSE(rec.request(2, QStringLiteral("CMD_drawcard+1+")));
            rec.request(1, line(msg::drawcard(1)));
            continue;
        }
        if (pick == 2) {
            if (onlookerHere) {
                rec.lostConnection(5);
            } else {
                EXPECT_EQ(rec.acceptConnection(), 5);
                rec.request(5, line(msg::logininfo(5, "1.0.1", "Back")));
            }
            onlookerHere = !onlookerHere;
            continue;
        }
        if (pick == 3 && dedicated) {
            if (seat2At != 0) {
                rec.lostConnection(seat2At);
                seat2At = 0;
            } else {
                // Back with the token: the seat waits for it (a new slot is given first). Now
                // and then the host stopped holding seats meanwhile: the connection then comes
                // in at its own slot.
                const bool hold = driver.below(2) == 0;
                rec.setHoldSeats(hold);
                const int slot = rec.acceptConnection();
                EXPECT_TRUE(hold || slot == 2) << slot;
                if (!engine.tokenOf(2).isEmpty()) played.tokens << engine.tokenOf(2);
                EXPECT_TRUE(rec.request(slot, QStringLiteral("CMD_reclaimseat+%1+%2+1.0.1+%3")
                                                  .arg(slot)
                                                  .arg(engine.tokenOf(2), names[1])));
                rec.setHoldSeats(true);
                seat2At = 2;
            }
            continue;
        }
        QString move;
        for (int seat : {1, 2})
            if (move.isEmpty() && driver.below(2) == 0) move = personMove(seat);
        if (!move.isEmpty()) {
            rec.request(move.section(u'+', 1, 1).toInt(), move);
            continue;
        }
        if (!rec.advanceClock()) {
            // Nothing runs: a person must move.
            for (int seat : {1, 2})
                if (move.isEmpty()) move = personMove(seat);
            EXPECT_FALSE(move.isEmpty()) << "stalled";
            if (move.isEmpty()) break;
            rec.request(move.section(u'+', 1, 1).toInt(), move);
        }
    }
    EXPECT_FALSE(t.gameRunning);
    played.seat2Away = seat2At == 0;
    return played;
}

QByteArray withoutDealLine(const QByteArray& record) {
    QList<QByteArray> lines = record.split('\n');
    lines.removeIf([](const QByteArray& l) { return l.startsWith("0 table deal "); });
    return lines.join('\n');
}

QList<QByteArray> firstRoundDeal(const QByteArray& record) {
    QList<QByteArray> out;
    for (const QByteArray& l : record.split('\n')) {
        const QByteArray text = l.mid(l.indexOf(' ') + 1);
        if (text.startsWith("table dealt ")) out << text;
        if (text.startsWith("to1 CMD_roundstarting+1+")) out << text;
        if (text.contains("CMD_roundstarting+2+")) break;
    }
    return out;
}

} // namespace

TEST(HostRecord, ReRunningTwoThousandRecordedGamesGivesEveryNoticeByteForByte) {
    QSet<QByteArray> seen;
    for (std::uint64_t deal = 1; deal <= 2000; ++deal) {
        const Played p = playRecorded(deal * 7919, deal, 1 + int(deal % 5));
        const GameRecord record = readRecord(p.record);
        ASSERT_TRUE(record.ok()) << record.error.toStdString();
        ASSERT_EQ(record.kind, GameRecord::Kind::Host);
        ASSERT_EQ(recordDeal(record), deal * 7919);
        ASSERT_EQ(record.events.back().text, "game-over");
        const VerifyResult v = verifyHostRecord(record);
        ASSERT_TRUE(v.ok) << "deal " << deal * 7919 << ": " << v.message.toStdString();
        for (const QString& token : p.tokens) ASSERT_FALSE(p.record.contains(token.toLatin1()));
        ASSERT_GT(v.notices, 100);
        // Records of different deal numbers differ in more than the number.
        seen.insert(withoutDealLine(p.record));
        ASSERT_EQ(seen.size(), qsizetype(deal));
        ASSERT_EQ(p.names, (QStringList{"Anna",
                                        p.seat2Away ? QStringLiteral("Klot")
                                                    : QStringLiteral("\u00dcnal \\ \u2665"),
                                        "Cy", "Di"}));
    }
}

TEST(HostRecord, TheSameDealDealsTheSameFirstRoundWhateverThePlayersDo) {
    const Played a = playRecorded(1234567, 1, 3);
    const Played b = playRecorded(1234567, 2, 3);
    ASSERT_NE(a.record, b.record); // the people chose differently
    const QList<QByteArray> dealA = firstRoundDeal(a.record);
    ASSERT_EQ(dealA.size(), 5); // four grids and the first discard
    EXPECT_EQ(dealA, firstRoundDeal(b.record));
    EXPECT_NE(dealA, firstRoundDeal(playRecorded(1234568, 1, 3).record));
    EXPECT_TRUE(a.record.contains("CMD_action+0+Deal 1234567.|"));
}

TEST(HostRecord, AChangedNoticeOrInputIsFoundAndNamed) {
    const QByteArray good = playRecorded(42, 42, 2).record;
    ASSERT_TRUE(verifyHostRecord(readRecord(good)).ok);

    // A notice of the record that the engine would not send.
    const qsizetype at = good.indexOf(" to5 CMD_heflipped+");
    ASSERT_GT(at, 0);
    QByteArray changed = good;
    const qsizetype digit = changed.indexOf('\n', at) - 2; // inside the card code
    changed[digit] = changed[digit] == '1' ? '2' : '1';
    const int lineNo = int(good.left(at).count('\n')) + 1;
    VerifyResult v = verifyHostRecord(readRecord(changed));
    EXPECT_FALSE(v.ok);
    EXPECT_TRUE(v.message.startsWith(QStringLiteral("Line %1: ").arg(lineNo)))
        << v.message.toStdString();

    // A dropped tick: the engine's notices run out of step.
    QByteArray dropped = good;
    const qsizetype tick = dropped.indexOf(" table tick timer1\n");
    const qsizetype start = dropped.lastIndexOf('\n', tick) + 1;
    dropped.remove(start, dropped.indexOf('\n', tick) + 1 - start);
    EXPECT_FALSE(verifyHostRecord(readRecord(dropped)).ok);

    // A player's record holds nothing to re-run.
    EXPECT_FALSE(verifyHostRecord(readRecord("pelvo-game 1 player\n0 end x\n")).ok);
}

// The header's write and read are each other's inverse, whatever the seats' names hold; a
// header line that cannot be read fails the check, naming its line.
TEST(HostRecord, TheHeaderReadsBackWhatItWroteAndNamesAMalformedLine) {
    std::mt19937 gen(5);
    const QString names[] = {"Ann", "Ann Lee", "", "B+o|b"};
    for (int i = 0; i < 200; ++i) {
        HostRecordHeader h;
        h.deal = gen();
        for (int s = 1; s <= Seats; ++s)
            h.levels[std::size_t(s)] = gen() % 2 ? BotLevel::Expert : BotLevel::Classic;
        h.windowless = gen() % 2;
        h.reserveSeconds = int(gen() % 300);
        h.holdSeats = gen() % 2;
        h.slotCount = int(gen() % 10);
        for (int slot = 1; slot <= h.slotCount; ++slot)
            if (gen() % 2) h.seats.append({slot, gen() % 2 == 1, names[gen() % 4]});
        h.carried = {"holder 2", "loggedin 1,3", "history CMD_chat+1+a b|clRed"};
        HostRecordHeader back;
        QString error;
        for (const QByteArray& line : h.lines())
            ASSERT_EQ(back.read(line, error), HostRecordHeader::Read::Taken) << line.constData();
        EXPECT_EQ(back, h);
        EXPECT_EQ(back.read("connect 1", error), HostRecordHeader::Read::Ended);
    }

    const QByteArray good = playRecorded(42, 42, 1).record;
    const std::tuple<const char*, const char*, const char*> broken[] = {
        {"levels Classic,Classic,Classic,Classic", "levels Classic,Classic",
         "four levels expected."},
        {"levels Classic,Classic,Classic,Classic", "levels Classic,Classic,Classic,Wise",
         "unknown level."},
        {"seat 1 0 ", "seat 0 0 ", "a malformed seat."},
    };
    for (const auto& [from, to, why] : broken) {
        const qsizetype at = good.indexOf(from);
        ASSERT_GT(at, 0) << from;
        QByteArray bad = good;
        bad.replace(at, qstrlen(from), to);
        const int lineNo = int(good.left(at).count('\n')) + 1;
        const VerifyResult v = verifyHostRecord(readRecord(bad));
        EXPECT_FALSE(v.ok) << to;
        EXPECT_TRUE(v.message.startsWith(QStringLiteral("Line %1: %2").arg(lineNo).arg(why)))
            << v.message.toStdString();
    }
}

// A record of 300,000 lines (a game's start and 50,000 chat lines) is checked from its file as
// it is read: the checker's memory does not grow with the record. A cut copy still fails.
TEST(HostRecord, ALongRecordIsCheckedFromItsFileInLittleMemory) {
    const QByteArray game = playRecorded(42, 42, 1).record;
    ASSERT_TRUE(verifyHostRecord(readRecord(game)).ok);
    // One chat input and the notices it brought, said again 50,000 times; the record stops there.
    const QList<QByteArray> lines = game.split('\n');
    qsizetype from = -1;
    for (qsizetype i = 0; i < lines.size() && from < 0; ++i)
        if (lines[i].contains(" from1 CMD_chat+")) from = i;
    ASSERT_GT(from, 0);
    qsizetype after = from + 1;
    while (after < lines.size() && lines[after].split(' ').value(1).startsWith("to")) ++after;
    ASSERT_GT(after, from + 1);

    QTemporaryDir dir;
    const QString path = dir.filePath("long.pelvo-game");
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        for (qsizetype i = 0; i < after; ++i) file.write(lines[i] + '\n');
        for (int n = 0; n < 50000; ++n)
            for (qsizetype i = from; i < after; ++i) file.write(lines[i] + '\n');
        file.write(lines[from].split(' ').value(0) + " end host-stopped\n");
    }
    const bool measured = test::resetPeakMemory();
    const long before = test::residentKiB();
    const VerifyResult v = verifyHostRecordFile(path);
    ASSERT_TRUE(v.ok) << v.message.toStdString();
    EXPECT_GE(v.inputs, 50000);
    if (measured) {
        // Reading the whole file first took about thirteen times its size.
        const long grown = test::peakResidentKiB() - before;
        RecordProperty("peak_growth_kib", std::to_string(grown));
        EXPECT_LT(grown, 24 * 1024)
            << grown << " KiB for a file of " << QFileInfo(path).size() / 1024 << " KiB";
    }

    QFile cut(path);
    ASSERT_TRUE(cut.resize(cut.size() - 10));
    const VerifyResult broken = verifyHostRecordFile(path);
    EXPECT_FALSE(broken.ok);
    EXPECT_TRUE(broken.message.contains("truncated")) << broken.message.toStdString();
    EXPECT_FALSE(verifyHostRecordFile(dir.filePath("missing")).ok);
}
