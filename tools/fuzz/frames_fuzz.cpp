// libFuzzer target for the way in of every frame: bytes cut into pieces as a network would
// deliver them, split at 0xFF (refusing and skipping oversized frames), queued as lines and
// dispatched to handlers that read fields the way the host's and the client's handlers do.
// Frames must not depend on how the bytes were cut, the queue must keep its order, and a bad
// field must end as a malformed message, never as an escaped exception.

#include "FuzzInput.h"

#include "protocol/CommandTable.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/FrameSplitter.h"
#include "protocol/LineQueue.h"
#include "protocol/WireText.h"

#include <QList>

#include <cstdlib>

using namespace pelvo;

namespace {

const char* const names[] = {
    cmd::logininfo,     cmd::kickhim,       cmd::chat,         cmd::action,
    cmd::playasound,    cmd::startgame,     cmd::justwatch,    cmd::flipcard,
    cmd::drawcard,      cmd::replacedraw,   cmd::discarddrawn, cmd::replacediscard,
    cmd::sendlogininfo, cmd::newplayerinfo, cmd::gamestats,    cmd::mycards,
    cmd::postscores,    cmd::winner,        cmd::nextplayer,   cmd::heflipped};

void check(bool ok) {
    if (!ok) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    FrameSplitter refusing, skipping(FrameSplitter::Oversize::Skip), whole;
    QList<QByteArray> refused, skipped, all;
    QByteArray stream;
    bool refusedOnce = false;
    // At most one long run without a terminator, to reach the size bound, at a chosen place.
    int longRunAt = in.byte() == 0xA5 ? in.below(8) : -1;
    while (!in.atEnd()) {
        QByteArray piece;
        if (longRunAt-- == 0)
            piece = QByteArray((60 + in.below(8)) * 1024 + in.below(256) * 16, 'a');
        else
            piece = in.bytes(64);
        stream += piece;
        if (!refusedOnce && !refusing.feed(piece, refused)) {
            refusedOnce = true;
            check(refusing.pendingSize() == 0);
        }
        check(skipping.feed(piece, skipped));
        check(skipping.pendingSize() <= FrameSplitter::MaxPartial);
    }
    check(whole.feed(stream, all) || stream.size() > FrameSplitter::MaxPartial);
    if (!refusedOnce && skipping.skipped() == 0) {
        // Cut or whole, the same frames; together with the rest they are the stream.
        check(refused == skipped);
        if (stream.size() <= FrameSplitter::MaxPartial) check(all == refused);
        QByteArray joined;
        for (const QByteArray& f : refused) joined += f + wire::terminator;
        check(joined.size() + refusing.pendingSize() == stream.size());
        check(stream.startsWith(joined));
    }
    for (const QByteArray& f : skipped) check(!f.contains(wire::terminator));

    LineQueue queue;
    for (const QByteArray& f : skipped) queue.append(decodeWire(f));
    check(queue.size() == skipped.size());

    CommandTable table;
    int calls = 0;
    for (const char* name : names)
        table.add(QString::fromLatin1(name), [&](const QString& payload) {
            ++calls;
            FieldReader f(payload);
            const int n = f.nextInt();
            if (n < 0) (void)f.nextInt(1, 9);
            const QString text = f.remainder();
            check(payload.endsWith(text));
        });
    for (qsizetype i = 0; i < skipped.size(); ++i) {
        const QString line = queue.takeFirst();
        check(line == decodeWire(skipped[i]));
        const int before = calls;
        const auto outcome = table.dispatch(line);
        check((outcome == CommandTable::Outcome::Ignored) == (calls == before));
        check(!toInt(line) || toInt(line) == line.toInt());
    }
    check(queue.isEmpty() && queue.takeFirst().isEmpty());
    return 0;
}
