#include "session/Replay.h"

// own
#include "protocol/Messages.h"

// Qt
#include <QBuffer>
#include <QFile>
#include <QStringList>

// std
#include <algorithm>

namespace pelvo {

namespace {

// A card code as the overlay may show it: a damaged record can name any number.
bool isCard(int code) {
    return code >= 0 && code <= 53;
}

QString lineOf(QByteArray frame) {
    while (frame.endsWith('\xFF')) frame.chop(1);
    return QString::fromUtf8(frame);
}

// "CMD_replaceadraw+seat+position+old+new": the new card at that place.
bool readReplace(const QByteArray& text, int& seat, int& position, int& code) {
    if (!text.startsWith("CMD_replaceadraw+") && !text.startsWith("CMD_replaceadiscard+"))
        return false;
    const QList<QByteArray> f = text.split('+');
    if (f.size() < 5) return false;
    seat = f[1].toInt();
    position = f[2].toInt();
    code = f[4].toInt();
    return seat >= 1 && seat <= 4 && position >= 1 && position <= 9 && isCard(code);
}

} // namespace

Replay::Replay(ClientSession& session, QObject* parent) : QObject(parent), session_(session) {
    // Read-only: whatever the session would send goes nowhere.
    session_.setTransport([](const QByteArray&) { return false; });
    initial_ = session_.snapshot();
    connect(&session_.chat(), &ChatHistory::lineAdded, this, [this] { ++produced_; });
}

Replay::~Replay() = default;

bool Replay::open(const QString& path) {
    auto file = std::make_unique<QFile>(path);
    if (!file->open(QIODevice::ReadOnly)) {
        reset();
        error_ = QStringLiteral("Cannot open %1: %2").arg(path, file->errorString());
        checkpoints_.assign(1, {session_.snapshot(), produced_, 0, true});
        emit positionChanged(0);
        return false;
    }
    scan(std::move(file));
    return true;
}

void Replay::load(const GameRecord& record) {
    // Read back from its text, as a file is.
    RecordWriter writer(record.kind);
    for (const RecordEvent& e : record.events) writer.add(e.ms, e.who, e.text);
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(writer.bytes());
    buffer->open(QIODevice::ReadOnly);
    scan(std::move(buffer));
    if (!record.ok()) error_ = record.error;
}

void Replay::reset() {
    removeOverlay();
    showAll_ = false;
    session_.restore(initial_);
    reader_.reset();
    device_.reset();
    error_.clear();
    kind_ = GameRecord::Kind::Player;
    steps_.clear();
    synthetic_.clear();
    hands_.clear();
    marks_.clear();
    checkpoints_.clear();
    position_ = 0;
    viewSlot_ = 0;
    produced_ = 0;
}

void Replay::scan(std::unique_ptr<QIODevice> device) {
    reset();
    device_ = std::move(device);
    reader_ = std::make_unique<RecordReader>(*device_);
    kind_ = reader_->kind();
    if (reader_->ok()) {
        if (kind_ == GameRecord::Kind::Player)
            scanPlayer();
        else
            scanHost();
    }
    error_ = reader_->error();
    every_ = std::max(CheckpointEvery, (count() + MaxCheckpoints - 1) / MaxCheckpoints);
    produced_ = 0;
    takeCheckpoint();
    emit positionChanged(0);
}

void Replay::addStep(qint64 offset, const RecordEvent& e, int hands) {
    if (e.text.startsWith("CMD_roundstarting+")) marks_ << count();
    steps_.push_back({offset, e.ms, e.line, hands});
}

void Replay::addMadeUp(const QByteArray& frame) {
    steps_.push_back({-1 - qint64(synthetic_.size()), 0, 0, -1});
    synthetic_.push_back(lineOf(frame));
}

void Replay::scanPlayer() {
    RecordEvent e;
    for (qint64 at = reader_->offset(); reader_->next(e); at = reader_->offset())
        if (e.who == record::fromHost) addStep(at, e);
}

void Replay::findHostView() {
    // A host record: the view of the lowest slot seated at the start, which is told who sits
    // where first, as a joining player is. The first reading finds who that is.
    struct Seated {
        int slot;
        QString name;
    };
    QList<Seated> seated;
    int lowestTold = 0;
    bool header = true;
    RecordEvent e;
    while (reader_->next(e)) {
        header = header && e.who == record::table;
        if (header && e.text.startsWith("seat ")) {
            const QList<QByteArray> f = e.text.split(' ');
            if (f.size() < 3) continue;
            const qsizetype nameAt = f[0].size() + f[1].size() + f[2].size() + 3;
            seated.append({f[1].toInt(), QString::fromUtf8(e.text.mid(nameAt))});
        }
        if (const int slot = e.slot("to"); slot && (lowestTold == 0 || slot < lowestTold))
            lowestTold = slot;
    }
    for (const Seated& s : seated)
        if (s.slot >= 1 && s.slot <= 9 && (viewSlot_ == 0 || s.slot < viewSlot_))
            viewSlot_ = s.slot;
    if (viewSlot_ == 0) viewSlot_ = lowestTold;
    if (viewSlot_ == 0) viewSlot_ = 5; // nobody was told anything: an onlooker's view
    addMadeUp(msg::sendlogininfo(viewSlot_));
    for (const Seated& s : seated)
        if (s.slot != viewSlot_) addMadeUp(msg::existingplayers(s.slot, s.name));
    for (const Seated& s : seated)
        if (s.slot == viewSlot_) addMadeUp(msg::newplayerinfo(s.slot, s.name));
}

void Replay::scanHost() {
    findHostView();

    // The second reading takes the steps.
    RecordEvent e;
    device_->seek(0);
    reader_ = std::make_unique<RecordReader>(*device_);
    const QByteArray view = record::toSlot(viewSlot_);
    Hands hands{};
    bool changed = true;
    for (qint64 at = reader_->offset(); reader_->next(e); at = reader_->offset()) {
        if (e.who == record::table && e.text.startsWith("dealt ")) {
            const QList<QByteArray> f = e.text.split(' ');
            const int seat = f.value(1).toInt();
            const QList<QByteArray> codes = f.value(2).split('+');
            if (seat >= 1 && seat <= 4 && codes.size() == 9 &&
                std::all_of(codes.cbegin(), codes.cend(),
                            [](const QByteArray& c) { return isCard(c.toInt()); })) {
                for (int p = 0; p < 9; ++p)
                    hands[std::size_t((seat - 1) * 9 + p)] = codes[p].toInt();
                changed = true;
            }
            continue;
        }
        if (!e.slot("to")) continue;
        int seat = 0, position = 0, code = 0;
        if (readReplace(e.text, seat, position, code)) {
            hands[std::size_t((seat - 1) * 9 + position - 1)] = code;
            changed = true;
        }
        if (e.who != view) continue;
        if (changed) {
            hands_.push_back(hands);
            changed = false;
        }
        addStep(at, e, int(hands_.size()) - 1);
    }
}

QString Replay::lineAt(int index) {
    const Step& s = steps_[std::size_t(index)];
    if (s.offset < 0) return synthetic_[std::size_t(-1 - s.offset)];
    RecordEvent e;
    return reader_->readAt(s.offset, s.line, e) ? e.textString() : QString();
}

qint64 Replay::msAt(int index) const {
    if (index < 0 || index >= count()) return 0;
    return steps_[std::size_t(index)].ms;
}

void Replay::takeCheckpoint() {
    const int chatSize = int(session_.chat().lines().size());
    const bool keepChat = chatSize <= CheckpointChat;
    checkpoints_.push_back({session_.snapshot(keepChat), produced_, chatSize, keepChat});
}

void Replay::restoreBefore(int target) {
    const std::size_t k = std::min(std::size_t(target / every_), checkpoints_.size() - 1);
    // A checkpoint without its chat starts from one whose later lines write all of it.
    std::size_t j = k;
    const Checkpoint& goal = checkpoints_[k];
    while (j > 0 && !checkpoints_[j].hasChat &&
           goal.produced - checkpoints_[j].produced < goal.chatSize)
        --j;
    session_.restore(checkpoints_[j].snapshot);
    produced_ = checkpoints_[j].produced;
    position_ = int(j) * every_;
}

void Replay::seek(int target) {
    target = std::clamp(target, 0, count());
    removeOverlay();
    // The nearest checkpoint at or before the target, when going back or when it saves steps.
    const std::size_t k = std::min(std::size_t(target / every_), checkpoints_.size() - 1);
    if (target < position_ || int(k) * every_ > position_) restoreBefore(target);
    while (position_ < target) {
        session_.handleLine(lineAt(position_));
        ++position_;
        if (position_ % every_ == 0 && checkpoints_.size() == std::size_t(position_ / every_))
            takeCheckpoint();
    }
    // A record starts no game: the Start button its player had is not offered here.
    if (session_.table().startShown) session_.setStartShown(false);
    applyOverlay();
    emit positionChanged(position_);
}

void Replay::setShowAllCards(bool on) {
    if (!canShowAllCards()) on = false;
    if (on == showAll_) return;
    removeOverlay();
    showAll_ = on;
    applyOverlay();
    emit positionChanged(position_);
}

void Replay::applyOverlay() {
    if (!showAll_ || position_ == 0) return;
    const int index = steps_[std::size_t(position_ - 1)].hands;
    if (index < 0) return;
    const Hands& hands = hands_[std::size_t(index)];
    clean_ = session_.table();
    TableModel shown = clean_;
    for (int s = 1; s <= TableSeats; ++s) {
        SeatModel& seat = shown.seats[std::size_t(s)];
        for (int p = 1; p <= GridSize; ++p) {
            CardView& card = seat.cards[std::size_t(p)];
            const int code = hands[std::size_t((s - 1) * 9 + p - 1)];
            if (card.picture == 0 && code > 0) card.picture = code;
        }
    }
    overlaid_ = true;
    session_.showTable(shown);
}

void Replay::removeOverlay() {
    if (!overlaid_) return;
    overlaid_ = false;
    session_.showTable(clean_);
}

} // namespace pelvo
