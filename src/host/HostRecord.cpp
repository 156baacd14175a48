#include "host/HostRecord.h"

// own
#include "protocol/Fields.h"
#include "protocol/Notices.h"

// Qt
#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>
#include <QHash>
#include <QSet>

// std
#include <deque>
#include <functional>
#include <memory>
#include <utility>

namespace pelvo {

namespace {

QByteArray withoutTerminator(const QByteArray& frame) {
    return frame.endsWith('\xFF') ? frame.chopped(1) : frame;
}

QByteArray dealtText(const Table& t, int seat) {
    QByteArray text = "dealt " + QByteArray::number(seat) + ' ';
    for (int p = 1; p <= GridCells; ++p) {
        if (p > 1) text += '+';
        text += QByteArray::number(t.seats[seat].cards[p].code);
    }
    return text;
}

// A record never carries a reclaim token that works: each is written as a stand-in made from it,
// the same wherever it appears, so a re-run still matches tokens as the table did.
QByteArray tokenStandIn(QByteArrayView token) {
    return QCryptographicHash::hash(token, QCryptographicHash::Sha256).toHex().left(32);
}

// `text` with its field number `field` (the command is field 0) replaced by its stand-in.
QByteArray withoutToken(const QByteArray& text, int field) {
    qsizetype start = 0;
    for (int i = 0; i < field; ++i) {
        start = text.indexOf('+', start);
        if (start < 0) return text;
        ++start;
    }
    qsizetype end = text.indexOf('+', start);
    if (end < 0) end = text.size();
    return text.left(start) + tokenStandIn(QByteArrayView(text).sliced(start, end - start)) +
           text.mid(end);
}

QByteArray recorded(const QByteArray& text) {
    if (text.startsWith("CMD_reclaimtoken+")) return withoutToken(text, 1);
    if (text.startsWith("CMD_reclaimseat+")) return withoutToken(text, 2);
    if (text.startsWith("token "))
        return withoutToken(QByteArray(text).replace(' ', '+'), 2).replace('+', ' ');
    return text;
}

QByteArray holdText(bool hold) {
    return hold ? "hold 1" : "hold 0";
}

// The record's header word and the rest of a "table" event.
std::pair<QByteArray, QByteArray> split(const QByteArray& text) {
    const qsizetype space = text.indexOf(' ');
    if (space < 0) return {text, {}};
    return {text.left(space), text.mid(space + 1)};
}

} // namespace

// ---- the header -------------------------------------------------------------------------------

QList<QByteArray> HostRecordHeader::lines() const {
    QList<QByteArray> out;
    out << "deal " + QByteArray::number(deal.value_or(0));
    QByteArray names = "levels ";
    for (int s = 1; s <= Seats; ++s) {
        if (s > 1) names += ',';
        names += botLevelName(levels[std::size_t(s)]);
    }
    out << names;
    out << "windowless " + QByteArray(windowless ? "1" : "0");
    out << "reserve " + QByteArray::number(reserveSeconds);
    out << holdText(holdSeats);
    out << "slots " + QByteArray::number(slotCount);
    for (const SeatLine& seat : seats)
        out << "seat " + QByteArray::number(seat.slot) + ' ' +
                   QByteArray(seat.watching ? "1" : "0") + ' ' + seat.name.toUtf8();
    out << carried;
    return out;
}

HostRecordHeader::Read HostRecordHeader::read(const QByteArray& text, QString& error) {
    const auto [word, rest] = split(text);
    if (word == "deal") {
        bool ok = false;
        const std::uint64_t number = rest.toULongLong(&ok);
        if (ok && !deal) deal = number;
    } else if (word == "windowless") {
        windowless = rest == "1";
    } else if (word == "reserve") {
        reserveSeconds = std::max(0, rest.toInt());
    } else if (word == "hold") {
        holdSeats = rest == "1";
    } else if (word == "holder" || word == "token" || word == "loggedin" || word == "history") {
        carried.append(text);
    } else if (word == "levels") {
        const QList<QByteArray> names = rest.split(',');
        if (names.size() != Seats) {
            error = QStringLiteral("four levels expected.");
            return Read::Malformed;
        }
        for (int s = 1; s <= Seats; ++s) {
            const auto level = botLevelFromName(names[s - 1].toStdString());
            if (!level) {
                error = QStringLiteral("unknown level.");
                return Read::Malformed;
            }
            levels[std::size_t(s)] = *level;
        }
    } else if (word == "slots") {
        slotCount = rest.toInt();
    } else if (word == "seat") {
        const QList<QByteArray> parts = rest.split(' ');
        const int slot = parts.value(0).toInt();
        if (parts.size() < 2 || slot < 1 || slot > MaxOpenSlots) {
            error = QStringLiteral("a malformed seat.");
            return Read::Malformed;
        }
        const qsizetype nameAt = parts[0].size() + parts[1].size() + 2;
        seats.append({slot, parts[1] == "1", QString::fromUtf8(rest.mid(nameAt))});
    } else {
        return Read::Ended;
    }
    return Read::Taken;
}

// ---- recording -------------------------------------------------------------------------------

HostRecorder::HostRecorder(Engine& engine) : engine_(engine) {}

void HostRecorder::dealt(int seat) {
    if (enabled && inInput_) pending_.append({record::table, dealtText(engine_.table, seat)});
}

void HostRecorder::startgame(const QString& starter, const QString& rounds, const QString& flag3,
                             const QString& flag4) {
    input(record::table, true, [&]() -> std::optional<QByteArray> {
        engine_.startgame(starter, rounds, flag3, flag4);
        return "start " + QStringList{starter, rounds, flag3, flag4}.join(u'+').toUtf8();
    });
}

qint64 HostRecorder::now() const {
    return clock ? clock() : 0;
}

HostRecordHeader HostRecorder::snapshot() const {
    const Table& t = engine_.table;
    HostRecordHeader header;
    header.windowless = engine_.options().windowless;
    header.reserveSeconds = engine_.options().reserveSeconds;
    header.holdSeats = engine_.options().holdSeats;
    header.slotCount = t.slotCount;
    for (int slot = 1; slot <= t.slotCount && slot <= MaxOpenSlots; ++slot)
        if (t.seats[slot].inUse)
            header.seats.append({slot, t.seats[slot].watching, t.seats[slot].name});
    for (const QByteArray& line : engine_.carriedState()) header.carried << recorded(line);
    return header;
}

QStringList HostRecorder::names() const {
    QStringList out;
    for (int s = 1; s <= Seats; ++s) {
        const Seat& seat = engine_.table.seats[s];
        if (seat.inGame) out << (seat.name.isEmpty() ? seat.botName : seat.name);
    }
    return out;
}

template <class F> void HostRecorder::input(const QByteArray& who, bool startsGame, F&& run) {
    inputAt_ = now(); // the one time of this input, for the record and for the rules alike
    if (!enabled) {
        run();
        return;
    }
    HostRecordHeader before;
    if (!recording_ || startsGame) before = snapshot();
    pending_.clear();
    inInput_ = true;
    const std::optional<QByteArray> taken = run();
    inInput_ = false;
    if (!taken) {
        pending_.clear();
        return;
    }
    const bool started = startsGame && engine_.table.gameRunning;
    if (started) {
        finish("restarted");
        writer_.emplace(GameRecord::Kind::Host);
        start_ = inputAt_;
        recording_ = true;
        before.deal = engine_.deal();
        before.levels = engine_.botLevels;
        for (const QByteArray& line : before.lines()) writer_->add(0, record::table, line);
    }
    if (recording_) {
        const qint64 ms = inputAt_ - start_;
        writer_->add(ms, who, *taken);
        for (const auto& [to, frame] : pending_) writer_->add(ms, to, frame);
        if (!engine_.table.gameRunning) finish("game-over");
    }
    pending_.clear();
}

bool HostRecorder::request(int slot, const QString& line) {
    bool accepted = false;
    input(record::fromSlot(slot), line.startsWith(u"CMD_startgame+"),
          [&]() -> std::optional<QByteArray> {
              accepted = engine_.request(slot, line);
              if (!accepted) return std::nullopt;
              return recorded(line.toUtf8());
          });
    return accepted;
}

int HostRecorder::acceptConnection() {
    int slot = 0;
    input(record::table, false, [&]() -> std::optional<QByteArray> {
        slot = engine_.acceptConnection();
        return "connect " + QByteArray::number(slot);
    });
    return slot;
}

void HostRecorder::lostConnection(int slot) {
    input(record::table, false, [&]() -> std::optional<QByteArray> {
        engine_.lostConnection(slot);
        return "lost " + QByteArray::number(slot);
    });
}

void HostRecorder::setHoldSeats(bool hold) {
    input(record::table, false, [&]() -> std::optional<QByteArray> {
        engine_.setHoldSeats(hold);
        return holdText(hold);
    });
}

void HostRecorder::timer1Timer() {
    // A tick of a stopped timer changes nothing and is not an input.
    if (!engine_.timer1.enabled) return;
    input(record::table, false, [&]() -> std::optional<QByteArray> {
        engine_.timer1Timer();
        return QByteArray("tick timer1");
    });
}

void HostRecorder::computertimerTimer() {
    if (!engine_.computertimer.enabled) return;
    input(record::table, false, [&]() -> std::optional<QByteArray> {
        engine_.computertimerTimer();
        return QByteArray("tick computertimer");
    });
}

bool HostRecorder::advanceClock() {
    const TimerSeam& t1 = engine_.timer1;
    const TimerSeam& ct = engine_.computertimer;
    if (!t1.enabled && !ct.enabled) return false;
    // The same choice as Engine::advanceClock: the delay timer unless the other is due first.
    const bool delay = t1.enabled && !(ct.enabled && ct.dueAt < t1.dueAt);
    input(record::table, false, [&]() -> std::optional<QByteArray> {
        engine_.advanceClock();
        return QByteArray(delay ? "tick timer1" : "tick computertimer");
    });
    return true;
}

void HostRecorder::notice(int slot, const QByteArray& frame) {
    if (enabled && inInput_)
        pending_.append({record::toSlot(slot), recorded(withoutTerminator(frame))});
}

void HostRecorder::finish(const QByteArray& reason) {
    if (!recording_) return;
    recording_ = false;
    const QByteArray bytes = writer_->finish(now() - start_, reason);
    writer_.reset();
    if (finished) finished(bytes, names());
}

// ---- checking --------------------------------------------------------------------------------

std::optional<std::uint64_t> recordDeal(const GameRecord& record) {
    HostRecordHeader header;
    QString ignored;
    for (const RecordEvent& e : record.events) {
        if (e.who != record::table) continue;
        header.read(e.text, ignored);
        if (header.deal) return header.deal;
    }
    return std::nullopt;
}

namespace {

class CollectingOutbox : public Outbox {
public:
    std::deque<std::pair<QByteArray, QByteArray>>* out = nullptr;
    void send(int slot, const QByteArray& frame) override {
        out->push_back({record::toSlot(slot), withoutTerminator(frame)});
    }
};

} // namespace

namespace {

using Opener = std::function<std::unique_ptr<QIODevice>()>;

// The tokens the table handed out, in the order they first appear in the record, read ahead
// of the run on a reader of its own only as far as a new one is needed.
class TokenLookahead {
public:
    explicit TokenLookahead(std::unique_ptr<QIODevice> device)
        : device_(std::move(device)), reader_(*device_) {}

    QString nextUnused(const QSet<QString>& used) {
        while (!seen_.empty() && used.contains(seen_.front())) seen_.pop_front();
        for (const QString& t : seen_)
            if (!used.contains(t)) return t;
        RecordEvent e;
        while (reader_.next(e)) {
            if (e.slot("to") == 0 || !e.text.startsWith("CMD_reclaimtoken+")) continue;
            const auto n = notice::decode<notice::ReclaimToken>(
                e.textString().mid(int(qstrlen("CMD_reclaimtoken+"))));
            if (!n) continue;
            seen_.push_back(n->token);
            if (!used.contains(n->token)) return n->token;
        }
        return {};
    }

private:
    std::unique_ptr<QIODevice> device_;
    RecordReader reader_;
    std::deque<QString> seen_; // read, not yet handed out
};

// Runs a fresh engine over a record's inputs, comparing every notice it sends with the record's.
class Verifier {
public:
    explicit Verifier(const Opener& open) : open_(open) {}

    VerifyResult run() {
        const std::unique_ptr<QIODevice> device = open_();
        if (!device) return fail(0, QStringLiteral("the record cannot be read."));
        RecordReader reader(*device);
        if (!reader.ok()) return readFault(reader);
        if (reader.kind() != GameRecord::Kind::Host)
            return fail(1, QStringLiteral("a player's record holds no host inputs to run."));
        HostRecordHeader header;
        if (auto failed = readHeader(reader, header)) return *failed;
        startEngine(header);
        return runInputs(reader, *header.deal);
    }

private:
    VerifyResult fail(int line, const QString& what) {
        result_.ok = false;
        result_.message = QStringLiteral("Line %1: %2").arg(line).arg(what);
        return result_;
    }
    VerifyResult readFault(const RecordReader& reader) {
        result_.ok = false;
        result_.message = reader.error();
        return result_;
    }

    // Reads the header up to the first input, which is left in e_ (pending_).
    std::optional<VerifyResult> readHeader(RecordReader& reader, HostRecordHeader& header) {
        while (reader.next(e_)) {
            lastLine_ = e_.line;
            QString error;
            const auto read = e_.who == record::table ? header.read(e_.text, error)
                                                      : HostRecordHeader::Read::Ended;
            if (read == HostRecordHeader::Read::Malformed) return fail(e_.line, error);
            if (read == HostRecordHeader::Read::Ended) {
                pending_ = true;
                break;
            }
        }
        if (!reader.ok()) return readFault(reader);
        if (!header.deal) return fail(2, QStringLiteral("the record names no deal number."));
        if (header.slotCount < 0 || header.slotCount > MaxOpenSlots)
            return fail(pending_ ? e_.line : lastLine_ + 1, QStringLiteral("slots out of range."));
        return std::nullopt;
    }

    // An engine as the table's was before the first input. Reservations run on the record's
    // clock, and new tokens are the ones the table handed out then, in the order they first
    // appear.
    void startEngine(const HostRecordHeader& header) {
        Engine::Hooks hooks;
        hooks.dealSource = [d = *header.deal] { return d; };
        hooks.dealt = [this](const Table& t, int seat) {
            produced_.push_back({record::table, dealtText(t, seat)});
        };
        hooks.botSpeed = [] { return 1; };
        hooks.botLevels = [levels = header.levels] { return levels; };
        hooks.wallClock = [this] { return eventMs_; };
        hooks.tokenSource = [this] {
            const QString t = tokens_->nextUnused(usedTokens_);
            if (!t.isEmpty()) usedTokens_.insert(t);
            return t;
        };
        outbox_.out = &produced_;
        engine_.emplace(outbox_, deals_, bots_,
                        Engine::Options{header.windowless, header.reserveSeconds, header.holdSeats},
                        std::move(hooks));
        engine_->botLevels = header.levels;
        for (const QByteArray& line : header.carried) {
            const auto [word, rest] = split(line);
            engine_->restoreCarried(word, rest);
        }
        for (int s = 1; s <= Seats; ++s) usedTokens_.insert(engine_->tokenOf(s));
        tokens_.emplace(open_());
        Table& t = engine_->table;
        t.slotCount = header.slotCount;
        for (const HostRecordHeader::SeatLine& s : header.seats) {
            t.seats[s.slot].inUse = true;
            t.seats[s.slot].watching = s.watching;
            t.seats[s.slot].name = s.name;
        }
    }

    VerifyResult runInputs(RecordReader& reader, std::uint64_t deal) {
        for (; pending_ || reader.next(e_); pending_ = false) {
            lastLine_ = e_.line;
            if (e_.who == record::end) break;
            const auto [word, rest] = split(e_.text);
            const bool output = e_.slot("to") != 0 || (e_.who == record::table && word == "dealt");
            if (auto failed = output ? matchNotice() : takeInput(word, rest)) return *failed;
        }
        if (e_.who == record::end) reader.next(e_); // nothing may follow the end line
        if (!reader.ok()) return readFault(reader);
        if (!produced_.empty())
            return fail(lastLine_,
                        QStringLiteral("the engine sent %1 notices more than the record holds.")
                            .arg(produced_.size()));
        result_.ok = true;
        result_.message = QStringLiteral("deal %1: %2 inputs, %3 notices, all the same")
                              .arg(deal)
                              .arg(result_.inputs)
                              .arg(result_.notices);
        return result_;
    }

    std::optional<VerifyResult> matchNotice() {
        if (produced_.empty())
            return fail(e_.line, QStringLiteral("the engine sent no such notice."));
        const auto [who, text] = std::move(produced_.front());
        produced_.pop_front();
        if (who != e_.who || text != e_.text)
            return fail(e_.line, QStringLiteral("the engine sent %1 %2 instead.")
                                     .arg(QString::fromUtf8(who), QString::fromUtf8(text)));
        ++result_.notices;
        return std::nullopt;
    }

    std::optional<VerifyResult> takeInput(const QByteArray& word, const QByteArray& rest) {
        if (!produced_.empty())
            return fail(e_.line, QStringLiteral("the engine sent %1 more notices before this "
                                                "input, the first: %2 %3.")
                                     .arg(produced_.size())
                                     .arg(QString::fromUtf8(produced_.front().first),
                                          QString::fromUtf8(produced_.front().second)));
        ++result_.inputs;
        eventMs_ = e_.ms;
        Engine& engine = *engine_;
        const bool fromTable = e_.who == record::table;
        if (const int slot = e_.slot("from")) {
            if (!engine.request(slot, e_.textString()))
                return fail(e_.line, QStringLiteral("the engine refused this request."));
        } else if (fromTable && word == "tick") {
            if (rest == "timer1")
                engine.timer1Timer();
            else if (rest == "computertimer")
                engine.computertimerTimer();
            else
                return fail(e_.line, QStringLiteral("an unknown timer."));
        } else if (fromTable && word == "connect") {
            const int slot = engine.acceptConnection();
            if (QByteArray::number(slot) != rest)
                return fail(e_.line, QStringLiteral("the engine gave slot %1.").arg(slot));
        } else if (fromTable && word == "lost") {
            engine.lostConnection(rest.toInt());
        } else if (fromTable && word == "hold") {
            engine.setHoldSeats(rest == "1");
        } else if (fromTable && word == "start") {
            const QStringList f = QString::fromUtf8(rest).split(u'+');
            if (f.size() != 4) return fail(e_.line, QStringLiteral("a malformed start."));
            engine.startgame(f[0], f[1], f[2], f[3]);
        } else {
            return fail(e_.line, QStringLiteral("an event the engine does not take."));
        }
        return std::nullopt;
    }

    const Opener& open_;
    VerifyResult result_;
    RecordEvent e_;
    bool pending_ = false; // e_ holds the first input, not read by runInputs yet
    int lastLine_ = 1;
    // Notices the engine sent that the record has not yet matched, oldest first.
    std::deque<std::pair<QByteArray, QByteArray>> produced_;
    CollectingOutbox outbox_;
    Random deals_, bots_;
    std::optional<Engine> engine_;
    qint64 eventMs_ = 0;
    QSet<QString> usedTokens_;
    std::optional<TokenLookahead> tokens_;
};

VerifyResult verifyStream(const Opener& open) {
    return Verifier(open).run();
}

} // namespace

VerifyResult verifyHostRecord(const GameRecord& record) {
    if (record.kind == GameRecord::Kind::Host && !record.ok()) {
        VerifyResult result;
        result.message = record.error;
        return result;
    }
    // Read again from its text, the way a file is.
    RecordWriter writer(record.kind);
    for (const RecordEvent& e : record.events) writer.add(e.ms, e.who, e.text);
    const QByteArray bytes = writer.bytes();
    return verifyStream([&bytes]() -> std::unique_ptr<QIODevice> {
        auto buffer = std::make_unique<QBuffer>();
        buffer->setData(bytes);
        buffer->open(QIODevice::ReadOnly);
        return buffer;
    });
}

VerifyResult verifyHostRecordFile(const QString& path) {
    if (QFile file(path); !file.open(QIODevice::ReadOnly)) {
        VerifyResult result;
        result.message = QStringLiteral("Cannot open %1: %2").arg(path, file.errorString());
        return result;
    }
    return verifyStream([&path]() -> std::unique_ptr<QIODevice> {
        auto file = std::make_unique<QFile>(path);
        if (!file->open(QIODevice::ReadOnly)) return nullptr;
        return file;
    });
}

} // namespace pelvo
