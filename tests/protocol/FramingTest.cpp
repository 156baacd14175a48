#include "protocol/CommandTable.h"
#include "protocol/Fields.h"
#include "protocol/FrameSplitter.h"
#include "protocol/LineQueue.h"
#include "protocol/WireText.h"

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

QByteArray ff(const char* text) {
    QByteArray b(text);
    b.replace('|', '\xFF'); // '|' marks a terminator in these fixtures
    return b;
}

QList<QByteArray> feedAll(FrameSplitter& s, std::initializer_list<QByteArray> reads) {
    QList<QByteArray> frames;
    for (const auto& r : reads) EXPECT_TRUE(s.feed(r, frames));
    return frames;
}

} // namespace

TEST(FrameSplitter, SplitsTwoFramesOfOneRead) {
    FrameSplitter s;
    auto frames = feedAll(s, {ff("CMD_a+1|CMD_b+2|")});
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0], "CMD_a+1");
    EXPECT_EQ(frames[1], "CMD_b+2");
    EXPECT_EQ(s.pendingSize(), 0);
}

TEST(FrameSplitter, KeepsAFrameCutAcrossReads) {
    FrameSplitter s;
    auto frames = feedAll(s, {ff("CMD_draw"), ff("card+2+|CMD_"), ff("x+|")});
    ASSERT_EQ(frames.size(), 2);
    EXPECT_EQ(frames[0], "CMD_drawcard+2+");
    EXPECT_EQ(frames[1], "CMD_x+");
}

TEST(FrameSplitter, SkippingDropsOnlyTheOversizedFrameWhereverTheReadsCut) {
    // Frames before and after a 100 KB one survive, for every way reads can cut the stream.
    const QByteArray stream = ff("CMD_a+1|") + QByteArray(100000, 'y') + ff("|CMD_b+2||CMD_c+3|");
    for (const qsizetype cut : {qsizetype(1000), qsizetype(32768), qsizetype(65537),
                                qsizetype(99999), qsizetype(100008), stream.size()}) {
        SCOPED_TRACE(cut);
        FrameSplitter s(FrameSplitter::Oversize::Skip);
        QList<QByteArray> frames;
        for (qsizetype at = 0; at < stream.size(); at += cut)
            EXPECT_TRUE(s.feed(stream.mid(at, cut), frames));
        // Read in pieces of up to 32 KiB, as a socket delivers it, the frame outgrows the cap;
        // in larger pieces it may end before it does.
        EXPECT_LE(s.skipped(), 1);
        if (cut <= 32768) {
            EXPECT_EQ(s.skipped(), 1);
        }
        QList<QByteArray> expected{"CMD_a+1"};
        if (s.skipped() == 0) expected << QByteArray(100000, 'y');
        expected << "CMD_b+2"
                 << ""
                 << "CMD_c+3";
        EXPECT_EQ(frames, expected);
        EXPECT_EQ(s.pendingSize(), 0);
    }
}

TEST(FrameSplitter, EmptyFramesBecomeEmptyLines) {
    FrameSplitter s;
    auto frames = feedAll(s, {ff("CMD_logininfo+1+1.0.1+Anna||")});
    ASSERT_EQ(frames.size(), 2);
    EXPECT_TRUE(frames[1].isEmpty());
}

TEST(FrameSplitter, GarbageWithoutTerminatorIsBoundedAndReported) {
    FrameSplitter s;
    QList<QByteArray> frames;
    const QByteArray chunk(32768, 'x');
    bool ok = true;
    int reads = 0;
    while (ok && reads < 40) { // 1.25 MB at most
        ok = s.feed(chunk, frames);
        ++reads;
    }
    EXPECT_FALSE(ok);
    EXPECT_LE(reads, 3);
    EXPECT_TRUE(frames.isEmpty());
    EXPECT_EQ(s.pendingSize(), 0);
}

TEST(LineQueue, TakingFromEmptyGivesEmptyLineAndKeepsOrder) {
    LineQueue q;
    EXPECT_TRUE(q.takeFirst().isEmpty());
    q.append("a");
    q.append("b");
    EXPECT_EQ(q.takeFirst(), "a");
    EXPECT_EQ(q.takeFirst(), "b");
    EXPECT_TRUE(q.isEmpty());
}

TEST(CommandTable, DispatchesByExactNameAndIgnoresTheRest) {
    CommandTable table;
    QStringList seen;
    table.add("CMD_chat", [&](const QString& p) { seen << "chat:" + p; });
    EXPECT_EQ(table.dispatch("CMD_chat+1+hi+there"), CommandTable::Outcome::Handled);
    EXPECT_EQ(table.dispatch("cmd_chat+1+x"), CommandTable::Outcome::Ignored);
    EXPECT_EQ(table.dispatch("CMD_chat"), CommandTable::Outcome::Ignored);  // no "+"
    EXPECT_EQ(table.dispatch("+CMD_chat"), CommandTable::Outcome::Ignored); // empty command
    EXPECT_EQ(table.dispatch(""), CommandTable::Outcome::Ignored);
    EXPECT_EQ(table.dispatch("CMD_unknown+1"), CommandTable::Outcome::Ignored);
    EXPECT_EQ(seen, QStringList{"chat:1+hi+there"});
}

TEST(CommandTable, BadNumberStopsOnlyThatMessage) {
    CommandTable table;
    int changed = 0;
    table.add("CMD_x", [&](const QString& p) {
        FieldReader r(p);
        changed += r.nextInt();
        changed += r.nextInt(); // throws on the second, bad field
        changed += 100;
    });
    EXPECT_EQ(table.dispatch("CMD_x+1+zz+"), CommandTable::Outcome::Malformed);
    EXPECT_EQ(changed, 1); // what was done before the bad field stays done
    EXPECT_EQ(table.dispatch("CMD_x+1+2+"), CommandTable::Outcome::Handled);
    EXPECT_EQ(changed, 104);
}

TEST(CommandTable, AHandlerFailureNeverEscapes) {
    CommandTable table;
    table.add("CMD_x", [](const QString&) { throw std::out_of_range("boom"); });
    EXPECT_EQ(table.dispatch("CMD_x+"), CommandTable::Outcome::Malformed);
}

TEST(WireText, Utf8RoundTripAndLatin1Fallback) {
    const QString name = QString::fromUtf8("Zoë ♣");
    EXPECT_EQ(decodeWire(encodeWire(name)), name);
    EXPECT_FALSE(encodeWire(name).contains('\xFF'));
    const QByteArray latin1("Zo\xEB", 3); // a single-byte peer
    EXPECT_EQ(decodeWire(latin1), QString::fromUtf8("Zoë"));
}
