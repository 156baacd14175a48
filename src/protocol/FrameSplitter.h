#pragma once
// Cuts a byte stream into frames at 0xFF. Bytes after the last 0xFF are kept for the next read,
// so a frame that the network delivers in two pieces is not lost.

#include <QByteArray>
#include <QList>

namespace pelvo {

class FrameSplitter {
public:
    // A partial frame longer than this is no frame of ours: the peer is broken.
    static constexpr qsizetype MaxPartial = 64 * 1024;

    // Appends every complete frame (without its 0xFF) to `frames`. Returns false when the
    // unterminated rest has grown past MaxPartial; the rest is then discarded.
    bool feed(const QByteArray& bytes, QList<QByteArray>& frames);

    qsizetype pendingSize() const { return pending_.size(); }
    void clear() { pending_.clear(); }

private:
    QByteArray pending_;
};

} // namespace pelvo
