#pragma once
// Cuts a byte stream into frames at 0xFF. Bytes after the last 0xFF are kept for the next read,
// so a frame that the network delivers in two pieces is not lost.

#include <QByteArray>
#include <QList>

namespace pelvo {

class FrameSplitter {
public:
    // A partial frame longer than this is no frame of ours.
    static constexpr qsizetype MaxPartial = 64 * 1024;

    // What becomes of such a frame: the host refuses the peer that sent it; a client skips the
    // frame up to its 0xFF and reads on, so one oversized line does not cost it the table.
    enum class Oversize { Refuse, Skip };
    FrameSplitter() = default;
    explicit FrameSplitter(Oversize oversize) : oversize_(oversize) {}

    // Appends every complete frame (without its 0xFF) to `frames`. Returns false when the
    // unterminated rest has grown past MaxPartial and frames are refused; the rest is then
    // discarded. Skipping, it returns true and counts the frame in skipped().
    bool feed(const QByteArray& bytes, QList<QByteArray>& frames);
    int skipped() const { return skipped_; }

    qsizetype pendingSize() const { return pending_.size(); }
    void clear() {
        pending_.clear();
        skipping_ = false;
    }

private:
    Oversize oversize_ = Oversize::Refuse;
    QByteArray pending_;
    bool skipping_ = false; // inside an oversized frame, until its 0xFF
    int skipped_ = 0;
};

} // namespace pelvo
