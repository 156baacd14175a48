#include "session/Replay.h"

// own
#include "protocol/Messages.h"

// Qt
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
}

void Replay::load(const GameRecord& record) {
    removeOverlay();
    showAll_ = false;
    session_.restore(initial_);
    record_ = record;
    steps_.clear();
    hands_.clear();
    position_ = 0;
    viewSlot_ = 0;

    if (record_.kind == GameRecord::Kind::Player) {
        for (const RecordEvent& e : record_.events) {
            if (e.who == record::fromHost) steps_.push_back({e.textString(), e.ms, -1});
            // The hosting player's window offers the Start button between games.
            if (e.who == record::local && e.text == "host") {
                session_.state().ishost = true;
                session_.setStartShown(true);
            }
        }
        checkpoints_.assign(1, session_.snapshot());
        emit positionChanged(0);
        return;
    }
    checkpoints_.assign(1, session_.snapshot());

    // A host record: the view of the lowest slot seated at the start, which is told who sits
    // where first, as a joining player is.
    struct Seated {
        int slot;
        QString name;
    };
    QList<Seated> seated;
    for (const RecordEvent& e : record_.events) {
        if (e.who != record::table) break;
        if (!e.text.startsWith("seat ")) continue;
        const QList<QByteArray> f = e.text.split(' ');
        if (f.size() < 3) continue;
        const qsizetype nameAt = f[0].size() + f[1].size() + f[2].size() + 3;
        seated.append({f[1].toInt(), QString::fromUtf8(e.text.mid(nameAt))});
    }
    for (const Seated& s : seated)
        if (s.slot >= 1 && s.slot <= 9 && (viewSlot_ == 0 || s.slot < viewSlot_))
            viewSlot_ = s.slot;
    if (viewSlot_ == 0) {
        for (const RecordEvent& e : record_.events)
            if (const int slot = e.slot("to"); slot && (viewSlot_ == 0 || slot < viewSlot_))
                viewSlot_ = slot;
    }
    if (viewSlot_ == 0) viewSlot_ = 5; // nobody was told anything: an onlooker's view
    steps_.push_back({lineOf(msg::sendlogininfo(viewSlot_)), 0, -1});
    for (const Seated& s : seated)
        if (s.slot != viewSlot_)
            steps_.push_back({lineOf(msg::existingplayers(s.slot, s.name)), 0, -1});
    for (const Seated& s : seated)
        if (s.slot == viewSlot_)
            steps_.push_back({lineOf(msg::newplayerinfo(s.slot, s.name)), 0, -1});

    const QByteArray view = record::toSlot(viewSlot_);
    Hands hands{};
    bool changed = true;
    for (const RecordEvent& e : record_.events) {
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
        steps_.push_back({e.textString(), e.ms, int(hands_.size()) - 1});
    }
    emit positionChanged(0);
}

qint64 Replay::msAt(int index) const {
    if (index < 0 || index >= count()) return 0;
    return steps_[std::size_t(index)].ms;
}

QList<int> Replay::roundMarks() const {
    QList<int> marks;
    for (int i = 0; i < count(); ++i)
        if (steps_[std::size_t(i)].line.startsWith(u"CMD_roundstarting+")) marks << i;
    return marks;
}

void Replay::seek(int target) {
    target = std::clamp(target, 0, count());
    removeOverlay();
    // The nearest checkpoint at or before the target, when going back or when it saves steps.
    const std::size_t k = std::min(std::size_t(target / CheckpointEvery), checkpoints_.size() - 1);
    const int from = int(k) * CheckpointEvery;
    if (target < position_ || from > position_) {
        session_.restore(checkpoints_[k]);
        position_ = from;
    }
    while (position_ < target) {
        session_.handleLine(steps_[std::size_t(position_)].line);
        ++position_;
        if (position_ % CheckpointEvery == 0 &&
            checkpoints_.size() == std::size_t(position_ / CheckpointEvery))
            checkpoints_.push_back(session_.snapshot());
    }
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
