#pragma once
// A game record played back through a ClientSession: the session is fed the record's lines
// instead of a socket's, so the board and chat show the game as that player saw it. Steps go
// both ways: a step back restores the nearest checkpoint (a copy of the session's state taken
// every few steps on the way forward) and replays the few lines after it.
//
// A player's record is shown as its player saw it. A host's record is shown as the lowest slot
// seated at its start saw it, and can show every hand face up.

// own
#include "protocol/GameRecord.h"
#include "session/ClientSession.h"

// Qt
#include <QList>
#include <QObject>
#include <QString>

// std
#include <array>
#include <vector>

namespace pelvo {

class Replay : public QObject {
    Q_OBJECT
public:
    // Steps between two checkpoints.
    static constexpr int CheckpointEvery = 16;

    // `session` must be fresh (nothing received yet) and is fed only by this replay.
    explicit Replay(ClientSession& session, QObject* parent = nullptr);

    // Takes a record (a partly read one too: its readable part is shown).
    void load(const GameRecord& record);
    const GameRecord& record() const { return record_; }

    int count() const { return int(steps_.size()); }
    int position() const { return position_; } // steps applied, 0 .. count()
    // The record's time of the step at `index` (0 .. count()-1), in ms.
    qint64 msAt(int index) const;
    // Steps where a round starts (the slider's marks).
    QList<int> roundMarks() const;

    // Brings the session to `position` steps applied.
    void seek(int position);
    void step() { seek(position_ + 1); }
    void back() { seek(position_ - 1); }
    void toStart() { seek(0); }
    bool atEnd() const { return position_ >= count(); }

    bool canShowAllCards() const { return record_.kind == GameRecord::Kind::Host; }
    bool showingAllCards() const { return showAll_; }
    void setShowAllCards(bool on);
    // The slot whose view a host record is shown from.
    int viewSlot() const { return viewSlot_; }

signals:
    void positionChanged(int position);

private:
    using Hands = std::array<int, 4 * 9>; // every seat's grid codes, seat-major
    struct Step {
        QString line;
        qint64 ms = 0;
        int hands = -1; // index into hands_ (host records)
    };
    void applyOverlay();
    void removeOverlay();

    ClientSession& session_;
    ClientSession::Snapshot initial_; // the fresh session, before any record
    GameRecord record_;
    std::vector<Step> steps_;
    std::vector<Hands> hands_;
    // checkpoints_[k]: the session after k * CheckpointEvery steps, once passed
    std::vector<ClientSession::Snapshot> checkpoints_;
    int position_ = 0;
    int viewSlot_ = 0;
    bool showAll_ = false;
    bool overlaid_ = false;
    TableModel clean_; // the table without the overlay, while it is shown
};

} // namespace pelvo
