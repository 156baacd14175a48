#pragma once
// A game record played back through a ClientSession: the session is fed the record's lines
// instead of a socket's, so the board and chat show the game as that player saw it. Steps go
// both ways: a step back restores the nearest checkpoint (the session's state taken every few
// steps on the way forward) and replays the few lines after it.
//
// The record is read as it is played: only where each step starts in the file is held, and a
// checkpoint keeps the chat only while it is short. A checkpoint without it is restored from an
// earlier one far enough back that replaying from there writes every chat line it showed, so a
// record of any length is played in about the memory of a live game.
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
#include <memory>
#include <vector>

class QIODevice;

namespace pelvo {

class Replay : public QObject {
    Q_OBJECT
public:
    // Steps between two checkpoints, at least; a long record spaces them wider so that there
    // are never more than MaxCheckpoints.
    static constexpr int CheckpointEvery = 16;
    static constexpr int MaxCheckpoints = 1024;
    // Longest chat a checkpoint keeps.
    static constexpr int CheckpointChat = 500;

    // `session` must be fresh (nothing received yet) and is fed only by this replay.
    explicit Replay(ClientSession& session, QObject* parent = nullptr);
    ~Replay() override;

    // Opens the record at `path` (a partly readable one too: its readable part is shown).
    // False when the file cannot be opened.
    bool open(const QString& path);
    // Takes a record already read.
    void load(const GameRecord& record);
    // Empty when the whole record was read; else why and where reading stopped.
    const QString& error() const { return error_; }

    int count() const { return int(steps_.size()); }
    int position() const { return position_; } // steps applied, 0 .. count()
    // The record's time of the step at `index` (0 .. count()-1), in ms.
    qint64 msAt(int index) const;
    // Steps where a round starts (the slider's marks).
    QList<int> roundMarks() const { return marks_; }

    // Brings the session to `position` steps applied.
    void seek(int position);
    void step() { seek(position_ + 1); }
    void back() { seek(position_ - 1); }
    void toStart() { seek(0); }
    bool atEnd() const { return position_ >= count(); }

    bool canShowAllCards() const { return kind_ == GameRecord::Kind::Host; }
    bool showingAllCards() const { return showAll_; }
    void setShowAllCards(bool on);
    // The slot whose view a host record is shown from.
    int viewSlot() const { return viewSlot_; }

signals:
    void positionChanged(int position);

private:
    using Hands = std::array<int, 4 * 9>; // every seat's grid codes, seat-major
    struct Step {
        qint64 offset = 0; // where its line starts; below 0: made up, synthetic_[-1 - offset]
        qint64 ms = 0;
        int line = 0;
        int hands = -1; // index into hands_ (host records)
    };
    struct Checkpoint {
        ClientSession::Snapshot snapshot; // its chat only when hasChat
        qint64 produced = 0;              // chat lines written before it
        int chatSize = 0;
        bool hasChat = false;
    };
    void reset();
    void scan(std::unique_ptr<QIODevice> device);
    void scanPlayer();
    void scanHost();
    // A host record: the first reading finds whose view it shows and who sits where.
    void findHostView();
    void addStep(qint64 offset, const RecordEvent& e, int hands = -1);
    void addMadeUp(const QByteArray& frame);
    QString lineAt(int index);
    void takeCheckpoint();
    void restoreBefore(int target);
    void applyOverlay();
    void removeOverlay();

    ClientSession& session_;
    ClientSession::Snapshot initial_; // the fresh session, before any record
    std::unique_ptr<QIODevice> device_;
    std::unique_ptr<RecordReader> reader_;
    GameRecord::Kind kind_ = GameRecord::Kind::Player;
    QString error_;
    std::vector<Step> steps_;
    std::vector<QString> synthetic_;
    std::vector<Hands> hands_;
    QList<int> marks_;
    // checkpoints_[k]: the session after k * every_ steps, once passed
    std::vector<Checkpoint> checkpoints_;
    int every_ = CheckpointEvery;
    qint64 produced_ = 0; // chat lines written since the record was loaded
    int position_ = 0;
    int viewSlot_ = 0;
    bool showAll_ = false;
    bool overlaid_ = false;
    TableModel clean_; // the table without the overlay, while it is shown
};

} // namespace pelvo
