#include "protocol/FrameSplitter.h"

#include "protocol/Commands.h"

namespace pelvo {

bool FrameSplitter::feed(const QByteArray& bytes, QList<QByteArray>& frames) {
    qsizetype start = 0;
    if (skipping_) {
        const qsizetype end = bytes.indexOf(wire::terminator);
        if (end < 0) return true; // still inside the oversized frame
        skipping_ = false;
        start = end + 1;
    }
    for (;;) {
        const qsizetype end = bytes.indexOf(wire::terminator, start);
        if (end < 0) break;
        if (pending_.isEmpty()) {
            frames.append(bytes.mid(start, end - start));
        } else {
            pending_.append(bytes.constData() + start, end - start);
            frames.append(pending_);
            pending_.clear();
        }
        start = end + 1;
    }
    pending_.append(bytes.constData() + start, bytes.size() - start);
    if (pending_.size() > MaxPartial) {
        pending_.clear();
        if (oversize_ == Oversize::Refuse) return false;
        skipping_ = true;
        ++skipped_;
    }
    return true;
}

} // namespace pelvo
