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

QByteArray levelsText(const Engine& e) {
    QByteArray text = "levels ";
    for (int s = 1; s <= Seats; ++s) {
        if (s > 1) text += ',';
        text += botLevelName(e.levelOf(s));
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

// ---- recording -------------------------------------------------------------------------------

HostRecorder::HostRecorder(Engine& engine) : engine_(engine) {
    engine_.dealtHook = [this](int seat) {
        if (enabled && inInput_) pending_.append({record::table, dealtText(engine_.table, seat)});
    };
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

QList<QByteArray> HostRecorder::snapshot() const {
    const Table& t = engine_.table;
    QList<QByteArray> lines;
    lines << "windowless " + QByteArray(engine_.options().windowless ? "1" : "0");
    lines << "reserve " + QByteArray::number(engine_.options().reserveSeconds);
    lines << holdText(engine_.options().holdSeats);
    lines << "slots " + QByteArray::number(t.slotCount);
    for (int slot = 1; slot <= t.slotCount && slot <= MaxOpenSlots; ++slot)
        if (t.seats[slot].inUse)
            lines << "seat " + QByteArray::number(slot) + ' ' +
                         QByteArray(t.seats[slot].watching ? "1" : "0") + ' ' +
                         t.seats[slot].name.toUtf8();
    for (const QByteArray& line : engine_.carriedState()) lines << recorded(line);
    return lines;
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
    QList<QByteArray> before;
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
        writer_->add(0, record::table, "deal " + QByteArray::number(engine_.deal()));
        writer_->add(0, record::table, levelsText(engine_));
        for (const QByteArray& line : before) writer_->add(0, record::table, line);
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
    for (const RecordEvent& e : record.events) {
        if (e.who != record::table) continue;
        const auto [word, rest] = split(e.text);
        if (word != "deal") continue;
        bool ok = false;
        const std::uint64_t deal = rest.toULongLong(&ok);
        if (ok) return deal;
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

VerifyResult verifyStream(const Opener& open) {
    VerifyResult result;
    auto fail = [&result](int line, const QString& what) {
        result.ok = false;
        result.message = QStringLiteral("Line %1: %2").arg(line).arg(what);
        return result;
    };
    const std::unique_ptr<QIODevice> device = open();
    if (!device) return fail(0, QStringLiteral("the record cannot be read."));
    RecordReader reader(*device);
    auto readFault = [&] {
        result.ok = false;
        result.message = reader.error();
        return result;
    };
    if (!reader.ok()) return readFault();
    if (reader.kind() != GameRecord::Kind::Host)
        return fail(1, QStringLiteral("a player's record holds no host inputs to run."));

    // The header: everything the engine knew before the game's first input.
    std::optional<std::uint64_t> deal;
    bool windowless = false;
    int reserveSeconds = 0;
    bool holdSeats = true; // records from before the choice held seats
    QList<std::pair<QByteArray, QByteArray>> carried;
    std::array<BotLevel, Seats + 1> levels{};
    int slotCount = 0;
    struct SeatLine {
        int slot;
        bool watching;
        QString name;
    };
    QList<SeatLine> seatLines;
    RecordEvent e;
    bool pending = false; // e holds the first input
    int lastLine = 1;
    while (reader.next(e)) {
        lastLine = e.line;
        if (e.who != record::table) {
            pending = true;
            break;
        }
        const auto [word, rest] = split(e.text);
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
            carried.append({word, rest});
        } else if (word == "levels") {
            const QList<QByteArray> names = rest.split(',');
            if (names.size() != Seats) return fail(e.line, QStringLiteral("four levels expected."));
            for (int s = 1; s <= Seats; ++s) {
                const auto level = botLevelFromName(names[s - 1].toStdString());
                if (!level) return fail(e.line, QStringLiteral("unknown level."));
                levels[std::size_t(s)] = *level;
            }
        } else if (word == "slots") {
            slotCount = rest.toInt();
        } else if (word == "seat") {
            const QList<QByteArray> parts = rest.split(' ');
            const int slot = parts.value(0).toInt();
            if (parts.size() < 2 || slot < 1 || slot > MaxOpenSlots)
                return fail(e.line, QStringLiteral("a malformed seat."));
            const qsizetype nameAt = parts[0].size() + parts[1].size() + 2;
            seatLines.append({slot, parts[1] == "1", QString::fromUtf8(rest.mid(nameAt))});
        } else {
            pending = true;
            break; // the first input
        }
    }
    if (!reader.ok()) return readFault();
    if (!deal) return fail(2, QStringLiteral("the record names no deal number."));
    if (slotCount < 0 || slotCount > MaxOpenSlots)
        return fail(pending ? e.line : lastLine + 1, QStringLiteral("slots out of range."));

    // Notices the engine sent that the record has not yet matched, oldest first.
    std::deque<std::pair<QByteArray, QByteArray>> produced;
    CollectingOutbox outbox;
    outbox.out = &produced;
    Random deals, bots;
    Engine engine(outbox, deals, bots, Engine::Options{windowless, reserveSeconds, holdSeats});
    for (const auto& [word, rest] : carried) engine.restoreCarried(word, rest);
    // Reservations run on the record's clock, and new tokens are the ones the table handed out
    // then, in the order they first appear.
    qint64 eventMs = 0;
    engine.wallClock = [&eventMs] { return eventMs; };
    QSet<QString> usedTokens;
    for (int s = 1; s <= Seats; ++s) usedTokens.insert(engine.tokenOf(s));
    TokenLookahead tokens(open());
    engine.tokenSource = [&tokens, &usedTokens] {
        const QString t = tokens.nextUnused(usedTokens);
        if (!t.isEmpty()) usedTokens.insert(t);
        return t;
    };
    engine.botSpeed = [] { return 1; };
    engine.botLevels = levels;
    engine.dealSource = [d = *deal] { return d; };
    engine.dealtHook = [&](int seat) {
        produced.push_back({record::table, dealtText(engine.table, seat)});
    };
    Table& t = engine.table;
    t.slotCount = slotCount;
    for (const SeatLine& s : seatLines) {
        t.seats[s.slot].inUse = true;
        t.seats[s.slot].watching = s.watching;
        t.seats[s.slot].name = s.name;
    }

    for (; pending || reader.next(e); pending = false) {
        lastLine = e.line;
        if (e.who == record::end) break;
        const auto [word, rest] = split(e.text);
        const bool output = e.slot("to") != 0 || (e.who == record::table && word == "dealt");
        if (output) {
            if (produced.empty())
                return fail(e.line, QStringLiteral("the engine sent no such notice."));
            const auto [who, text] = std::move(produced.front());
            produced.pop_front();
            if (who != e.who || text != e.text)
                return fail(e.line, QStringLiteral("the engine sent %1 %2 instead.")
                                        .arg(QString::fromUtf8(who), QString::fromUtf8(text)));
            ++result.notices;
            continue;
        }
        if (!produced.empty())
            return fail(e.line, QStringLiteral("the engine sent %1 more notices before this "
                                               "input, the first: %2 %3.")
                                    .arg(produced.size())
                                    .arg(QString::fromUtf8(produced.front().first),
                                         QString::fromUtf8(produced.front().second)));
        ++result.inputs;
        eventMs = e.ms;
        if (const int slot = e.slot("from")) {
            if (!engine.request(slot, e.textString()))
                return fail(e.line, QStringLiteral("the engine refused this request."));
        } else if (e.who == record::table && word == "tick") {
            if (rest == "timer1")
                engine.timer1Timer();
            else if (rest == "computertimer")
                engine.computertimerTimer();
            else
                return fail(e.line, QStringLiteral("an unknown timer."));
        } else if (e.who == record::table && word == "connect") {
            const int slot = engine.acceptConnection();
            if (QByteArray::number(slot) != rest)
                return fail(e.line, QStringLiteral("the engine gave slot %1.").arg(slot));
        } else if (e.who == record::table && word == "lost") {
            engine.lostConnection(rest.toInt());
        } else if (e.who == record::table && word == "hold") {
            engine.setHoldSeats(rest == "1");
        } else if (e.who == record::table && word == "start") {
            const QStringList f = QString::fromUtf8(rest).split(u'+');
            if (f.size() != 4) return fail(e.line, QStringLiteral("a malformed start."));
            engine.startgame(f[0], f[1], f[2], f[3]);
        } else {
            return fail(e.line, QStringLiteral("an event the engine does not take."));
        }
    }
    if (e.who == record::end) reader.next(e); // nothing may follow the end line
    if (!reader.ok()) return readFault();
    if (!produced.empty())
        return fail(lastLine,
                    QStringLiteral("the engine sent %1 notices more than the record holds.")
                        .arg(produced.size()));
    result.ok = true;
    result.message = QStringLiteral("deal %1: %2 inputs, %3 notices, all the same")
                         .arg(*deal)
                         .arg(result.inputs)
                         .arg(result.notices);
    return result;
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
