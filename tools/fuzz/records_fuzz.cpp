// libFuzzer target for game records as they come from a file: the input is the file. It is
// read; a record read whole must write back to a file that reads the same; a host's record is
// run through the rules' check; and either kind is played back in the replay viewer's session,
// stepped to the end, to the middle and back, with and without every hand shown, which must
// keep the session within its ranges.

#include "SessionChecks.h"

#include "host/HostRecord.h"
#include "protocol/GameRecord.h"
#include "session/Replay.h"

#include <QCoreApplication>

#include <algorithm>

using namespace pelvo;

namespace {

void sameEvents(const GameRecord& a, const GameRecord& b) {
    check(a.kind == b.kind && a.events.size() == b.events.size());
    for (qsizetype i = 0; i < a.events.size(); ++i) {
        const RecordEvent& x = a.events[i];
        const RecordEvent& y = b.events[i];
        check(x.ms == y.ms && x.who == y.who && x.text == y.text);
    }
}

void readBack(const GameRecord& r) {
    int line = 1;
    for (const RecordEvent& e : r.events) {
        check(e.line > line && !e.who.isEmpty() && !e.who.contains(' ') && e.ms >= 0);
        line = e.line;
    }
    if (!r.ok()) {
        check(r.errorLine >= 1 && (r.events.isEmpty() || line < r.errorLine));
        return;
    }
    check(r.complete && !r.events.isEmpty() && r.events.back().who == record::end);
    RecordWriter writer(r.kind);
    for (qsizetype i = 0; i + 1 < r.events.size(); ++i)
        writer.add(r.events[i].ms, r.events[i].who, r.events[i].text);
    const GameRecord again = readRecord(writer.finish(r.events.back().ms, r.events.back().text));
    check(again.ok());
    sameEvents(r, again);
}

void replay(const GameRecord& r) {
    ClientSession session;
    Replay viewer(session);
    viewer.load(r);
    const int count = viewer.count();
    for (const int to : {count, count / 2, count / 2 - 1, Replay::CheckpointEvery + 1, 0, count}) {
        viewer.seek(to);
        check(viewer.position() == std::clamp(to, 0, count));
        fuzz::checkModel(session.table());
        viewer.setShowAllCards(!viewer.showingAllCards());
        fuzz::checkModel(session.table());
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    QByteArray unescaped;
    const QByteArray escaped = escapeRecordText(bytes);
    check(!escaped.contains('\n') && !escaped.contains('\r'));
    check(unescapeRecordText(escaped, unescaped) && unescaped == bytes);

    const GameRecord r = readRecord(bytes);
    readBack(r);
    if (r.kind == GameRecord::Kind::Host) {
        const VerifyResult v = verifyHostRecord(r);
        check(!v.ok || r.ok());
    }
    replay(r);
    return 0;
}
