#include "protocol/FrameSplitter.h"

#include "protocol/Commands.h"

namespace pelvo {

bool FrameSplitter::feed(const QByteArray& bytes, QList<QByteArray>& frames) {
    qsizetype start = 0;
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
        return false;
    }
    return true;
}

} // namespace pelvo
