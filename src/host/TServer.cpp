#include "host/TServer.h"

// own
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Messages.h"
#include "protocol/Notices.h"
#include "protocol/Ports.h"
#include "protocol/WireText.h"

// Qt
#include <QCoreApplication>
#include <QDateTime>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcHost, "pelvo.host")

namespace pelvo {

namespace {
std::uint64_t clockSeed() {
    return std::uint64_t(QDateTime::currentMSecsSinceEpoch()) * 0x9E3779B97F4A7C15ULL ^
           std::uint64_t(QCoreApplication::applicationPid());
}

// A connection's login: the described one, or the reclaim of a kept seat, which logs in too.
bool isLogin(QLatin1StringView command) {
    return command == QLatin1StringView(cmd::logininfo) ||
           command == QLatin1StringView(cmd::reclaimseat);
}
bool isLogin(const QByteArray& frame) {
    const qsizetype end = frame.indexOf('+');
    return end >= 0 && isLogin(QLatin1StringView(frame.constData(), end));
}
bool isLogin(QStringView line) {
    const qsizetype end = line.indexOf(u'+');
    return end >= 0 && (line.left(end) == QLatin1StringView(cmd::logininfo) ||
                        line.left(end) == QLatin1StringView(cmd::reclaimseat));
}
} // namespace

TServer::TServer(QObject* parent) : TServer(Options{}, parent) {}

std::optional<TServer::Rematch> TServer::rematch() const {
    const auto deal = lastDeal();
    if (!deal || engine_.table.gameRunning) return std::nullopt;
    const Engine::Start& last = engine_.lastStart();
    return Rematch{*deal, last.starter, last.rounds, engine_.table.seats[3].inGame,
                   engine_.table.seats[4].inGame};
}

Engine::Hooks TServer::engineHooks() {
    Engine::Hooks hooks;
    // Deal numbers people can read out: up to ten digits.
    hooks.dealSource = [this]() -> std::uint64_t {
        if (nextDeal_) return *std::exchange(nextDeal_, std::nullopt);
        return 1 + dealPicker_.bits() % 9'999'999'999ULL;
    };
    hooks.dealt = [this](const Table&, int seat) { recorder_.dealt(seat); };
    hooks.wallClock = [this] { return recorder_.inputTime(); };
    hooks.botSpeed = [this] { return botSpeed ? botSpeed() : 1000; };
    hooks.botLevels = [this] {
        std::array<BotLevel, Seats + 1> levels;
        levels.fill(botLevel ? botLevel() : BotLevel::Classic);
        return levels;
    };
    return hooks;
}

TServer::TServer(const Options& options, QObject* parent)
    : QObject(parent), random_(clockSeed()), bots_(clockSeed() + 1), dealPicker_(clockSeed() + 2),
      engine_(wire_, random_, bots_,
              Engine::Options{options.windowless,
                              options.reserveSeconds >= 0 ? options.reserveSeconds
                                                          : defaultReserveSeconds(),
                              options.holdSeats.value_or(options.windowless)},
              engineHooks()),
      loginTimeout_(options.loginTimeout) {
    recordClock_.start();
    recorder_.clock = [this] { return recordClock_.elapsed(); };
    botSpeed = [] { return 1000; };

    Sock1 = new TSock(this);
    Sock1->setObjectName(QStringLiteral("Sock1"));
    Sock1->setPortName(gamePortName());
    Sock1->MaxOutbound = MaxOutbound; // accepted sockets take it over
    Sock1->OnAccept = [this](TSock* listener) { Sock1Accept(listener); };

    clock_.start();
    socktimer.setObjectName(QStringLiteral("socktimer"));
    socktimer.setSingleShot(true); // armed for each line by armDispatch()
    connect(&socktimer, &QTimer::timeout, this, [this] { socktimerTimer(); });
    timer1.setObjectName(QStringLiteral("timer1"));
    connect(&timer1, &QTimer::timeout, this, [this] { timer1Timer(); });
    logintimer.setObjectName(QStringLiteral("logintimer"));
    logintimer.setSingleShot(true); // armed for the next deadline by armLoginTimer()
    connect(&logintimer, &QTimer::timeout, this, [this] { logintimerTimer(); });
    computertimer.setObjectName(QStringLiteral("computertimer"));
    connect(&computertimer, &QTimer::timeout, this, [this] { computertimerTimer(); });
}

int TServer::defaultReserveSeconds() {
    bool ok = false;
    const int seconds = qEnvironmentVariableIntValue("PELVO_RESERVE_SECONDS", &ok);
    return ok && seconds >= 0 ? seconds : 120;
}

TServer::~TServer() {
    flushRecords();
    // Connections go first and quietly: their close notices must not reach a half-destroyed host.
    // Each peer still learns that the table closes rather than that its connection broke.
    const QByteArray closing = notice::encode(notice::TableClosing{});
    for (Connection& c : conns_) {
        if (!c.sock) continue;
        c.sock->OnInfo = nullptr;
        c.sock->OnDisconnect = nullptr;
        c.sock->OnRead = nullptr;
        try {
            c.sock->Send(closing);
        } catch (const ESockException&) {
        }
        delete c.sock;
        c.sock = nullptr;
    }
    delete Sock1;
    Sock1 = nullptr;
}

template <class F> void TServer::run(F&& work) {
    ++depth_;
    work();
    --depth_;
    if (depth_ > 0) return;
    while (!lost_.empty()) {
        const int slot = lost_.front();
        lost_.erase(lost_.begin());
        ++depth_;
        lose(slot);
        --depth_;
    }
    noteGameState();
    syncTimers();
    armLoginTimer();
}

void TServer::syncTimers() {
    if (closing_) return; // nothing plays on while the table closes
    const auto follow = [](QTimer& timer, const TimerSeam& seam, std::uint64_t& armings) {
        if (!seam.enabled) {
            timer.stop();
            return;
        }
        if (seam.armings != armings || !timer.isActive()) {
            armings = seam.armings;
            timer.start(seam.interval);
        }
    };
    follow(timer1, engine_.timer1, timer1Armings_);
    follow(computertimer, engine_.computertimer, computerArmings_);
}

// ---- connections -----------------------------------------------------------------------------

void TServer::Sock1Accept(TSock* listener) {
    TSock* sock = nullptr;
    try {
        if (!listener->Accept(sock) || !sock) return;
    } catch (const ESockException& e) {
        qCWarning(lcHost) << "accept failed:" << e.what();
        return;
    }
    int slot = 0;
    run([&] { slot = recorder_.acceptConnection(); });
    if (slot < 1 || slot > MaxOpenSlots) {
        // The tenth connection: told so, then the socket object is destroyed, which closes it.
        sock->OnInfo = nullptr;
        sock->OnDisconnect = nullptr;
        sock->OnRead = nullptr;
        sock->Tag = Slots;
        ++metrics_.connectionsRefused;
        ++metrics_.framesOut;
        logEvent("refuse", {{"reason", QStringLiteral("full")}, {"addr", sock->HostName()}});
        sock->Send(msg::full());
        delete sock;
        return;
    }
    Connection& c = conns_[slot];
    if (c.sock) forget(slot); // a leftover of the slot's previous holder
    c = Connection{};
    c.sock = sock;
    c.addr = sock->HostName();
    c.acceptedAt = c.creditAt = clock_.elapsed();
    c.credit = qint64(RateBurst) * 1000;
    ++metrics_.connectionsAccepted;
    logEvent("connect", {{"slot", slot}, {"addr", c.addr}});
    sock->Tag = slot;
    sock->OnRead = [this](TSock* s, int count) { Sock1Read(s, count); };
    sock->OnDisconnect = [this](TSock* s) { tempsockDisconnect(s); };
    sock->OnInfo = [this](TSock* s, int code, const QString& text) { tempsockInfo(s, code, text); };
    run([&] { wire_.send(slot, msg::sendlogininfo(slot)); });
}

void TServer::Sock1Read(TSock* sock, int) {
    QByteArray bytes;
    try {
        bytes = sock->Receive();
    } catch (const ESockException&) {
        return;
    }
    const int slot = sock->Tag;
    if (slot < 1 || slot > MaxOpenSlots || conns_[slot].sock != sock) return;
    Connection& c = conns_[slot];
    if (closing_) return; // the table is going; what is said now goes nowhere
    metrics_.bytesIn += std::uint64_t(bytes.size());
    QList<QByteArray> frames;
    const bool healthy = c.splitter.feed(bytes, frames);
    const bool paced = withinRate(c, frames.size());
    bool flooding = false;
    for (const QByteArray& frame : frames) {
        if (frame.isEmpty()) continue; // the login's second terminator; dropped anyway
        ++metrics_.framesIn;
        // Until it has logged in a connection is heard only for its login.
        if (!loggedIn(slot) && !c.loginQueued) {
            if (!isLogin(frame)) continue;
            c.loginQueued = true;
        }
        if (qsizetype(c.receivedlist.size()) >= MaxQueuedLines) {
            flooding = true;
            break;
        }
        c.receivedlist.push_back(decodeWire(frame));
    }
    if (!c.receivedlist.empty() && !socktimer.isActive()) armDispatch();
    if (!healthy || flooding || !paced) {
        qCWarning(lcHost) << "closing slot" << slot << ": not a peer of this protocol";
        closeFor(slot, !healthy ? "oversized" : flooding ? "flood" : "rate");
    }
}

bool TServer::withinRate(Connection& c, qsizetype frames) {
    const qint64 now = clock_.elapsed();
    c.credit =
        std::min(c.credit + (now - c.creditAt) * RateLinesPerSecond, qint64(RateBurst) * 1000);
    c.creditAt = now;
    c.credit -= qint64(frames) * 1000;
    return c.credit >= 0;
}

void TServer::closeFor(int slot, const char* reason) {
    TSock* sock = conns_[slot].sock;
    if (!sock) return;
    const ClosingFor outer = std::exchange(closingFor_, {slot, reason, 0});
    sock->Close();
    closingFor_ = outer;
}

void TServer::armDispatch() {
    // A line after a rest of a tick or more is handled at once, so a lone request never waits;
    // one that follows the last handled line sooner keeps the pace of one line per tick.
    qint64 delay = 0;
    if (lastDispatch_.isValid())
        delay = qBound(qint64(0), DispatchTick - lastDispatch_.elapsed(), qint64(DispatchTick));
    socktimer.start(int(delay));
}

qsizetype TServer::queuedLines() const {
    qsizetype n = 0;
    for (const Connection& c : conns_) n += qsizetype(c.receivedlist.size());
    return n;
}

void TServer::socktimerTimer() {
    // One line per tick, the connections with lines taking turns, so no one waits behind
    // another's burst; each connection's own lines keep their order. Lines that are dropped
    // unread (a connection not logged in past its login) use no tick.
    for (int looked = 0; looked < MaxOpenSlots;) {
        const int slot = served_ % MaxOpenSlots + 1;
        Connection& c = conns_[slot];
        if (c.receivedlist.empty()) {
            served_ = slot;
            ++looked;
            continue;
        }
        QString line = std::move(c.receivedlist.front());
        c.receivedlist.pop_front();
        if (!loggedIn(slot) && !isLogin(QStringView(line))) continue;
        served_ = slot;
        lastDispatch_.start();
        run([&] { dispatchRequest(slot, line); });
        // A login that failed: what follows it is not heard until another login comes.
        if (!loggedIn(slot)) conns_[slot].loginQueued = false;
        break;
    }
    // Idle costs nothing: the dispatch timer runs only while lines wait.
    if (queuedLines() == 0)
        socktimer.stop();
    else
        socktimer.start(DispatchTick);
}

void TServer::logintimerTimer() {
    const qint64 now = clock_.elapsed();
    for (int slot = 1; slot <= MaxOpenSlots; ++slot) {
        const Connection& c = conns_[slot];
        if (c.sock && !loggedIn(slot) && now - c.acceptedAt >= loginTimeout_.count())
            closeFor(slot, "login_timeout");
    }
    armLoginTimer();
}

void TServer::armLoginTimer() {
    // Runs only while a connection has yet to log in.
    qint64 next = -1;
    for (int slot = 1; slot <= MaxOpenSlots; ++slot) {
        const Connection& c = conns_[slot];
        if (!c.sock || loggedIn(slot)) continue;
        const qint64 due = c.acceptedAt + loginTimeout_.count();
        if (next < 0 || due < next) next = due;
    }
    if (next < 0 || closing_) {
        logintimer.stop();
        return;
    }
    const qint64 wait = std::max<qint64>(0, next - clock_.elapsed());
    if (!logintimer.isActive() || logintimer.remainingTime() > wait) logintimer.start(int(wait));
}

void TServer::tempsockDisconnect(TSock* sock) {
    const int slot = sock->Tag;
    if (slot >= 1 && slot <= MaxOpenSlots && conns_[slot].sock == sock && table().seats[slot].inUse)
        sock->Close();
}

void TServer::tempsockInfo(TSock* sock, int, const QString& text) {
    if (text != QLatin1String("Socket Closed")) return;
    const int slot = sock->Tag;
    // Only the slot's current connection speaks for it; a repeated notice finds it gone.
    if (slot < 1 || slot > MaxOpenSlots || conns_[slot].sock != sock) return;
    noteLost(slot);
    forget(slot);
    if (depth_ > 0)
        lost_.push_back(slot);
    else
        run([&] { lose(slot); });
}

void TServer::forget(int slot) {
    Connection& c = conns_[slot];
    TSock* sock = std::exchange(c.sock, nullptr);
    // Lines still queued go with their connection: they never speak for the slot's next holder.
    c = Connection{};
    if (!sock) return;
    sock->OnRead = nullptr;
    sock->OnDisconnect = nullptr;
    sock->deleteLater();
}

void TServer::hostLine(const QString& text) {
    run([&] { engine_.hostLine(text); });
}

void TServer::lose(int slot) {
    recorder_.lostConnection(slot);
}

// ---- records ---------------------------------------------------------------------------------

void TServer::setRecordFolder(const QString& folder) {
    recordFolder_ = folder;
    recorder_.enabled = !folder.isEmpty();
    recorder_.finished = [this](const QByteArray& bytes, const QStringList& names) {
        const QString stamp =
            QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HHmm"));
        const QString path = writeRecordFile(
            recordFolder_, recordFileName(stamp, names, QStringLiteral("host")), bytes);
        if (path.isEmpty())
            qCWarning(lcHost) << "could not write the game record into" << recordFolder_;
        else
            lastRecord_ = path;
    };
}

void TServer::setHoldSeats(bool hold) {
    if (hold == holdSeats()) return;
    run([&] { recorder_.setHoldSeats(hold); });
}

void TServer::flushRecords() {
    recorder_.finish("host-stopped");
}

void TServer::closeAll(bool tell) {
    const QByteArray closing = notice::encode(notice::TableClosing{});
    for (int slot = 1; slot <= MaxOpenSlots; ++slot) {
        if (!conns_[slot].sock) continue;
        if (tell) wire_.send(slot, closing);
        if (conns_[slot].sock) conns_[slot].sock->Close();
    }
}

// ---- timers ----------------------------------------------------------------------------------

void TServer::timer1Timer() {
    run([&] { recorder_.timer1Timer(); });
}

void TServer::computertimerTimer() {
    run([&] { recorder_.computertimerTimer(); });
}

// ---- outbox ----------------------------------------------------------------------------------

void TServer::Wire::send(int slot, const QByteArray& frame) {
    server_.recorder_.notice(slot, frame); // what the engine said, whether it gets out or not
    if (slot < 1 || slot > MaxOpenSlots) return;
    TSock* sock = server_.conns_[slot].sock;
    if (!sock || server_.closing_) return; // a closing table's last word is that it closes
    try {
        ++server_.metrics_.framesOut;
        server_.metrics_.bytesOut += std::uint64_t(frame.size());
        // A peer that stopped reading is closed here (MaxOutbound).
        // A connection lost inside Send is one that stopped reading (MaxOutbound).
        const ClosingFor outer = std::exchange(server_.closingFor_, {slot, "stalled", 0});
        sock->Send(frame);
        server_.closingFor_ = outer;
    } catch (const ESockException& e) {
        qCDebug(lcHost) << "send to slot" << slot << "failed:" << e.what();
    }
}

void TServer::Wire::close(int slot) {
    if (slot < 1 || slot > MaxOpenSlots) return;
    if (TSock* sock = server_.conns_[slot].sock) sock->Close();
}

void TServer::Wire::move(int from, int to) {
    if (from < 1 || from > MaxOpenSlots || to < 1 || to > MaxOpenSlots || from == to) return;
    Connection& was = server_.conns_[from];
    if (!was.sock) return;
    if (server_.conns_[to].sock) server_.forget(to);
    Connection& now = server_.conns_[to];
    now = std::exchange(was, Connection{});
    // Lines still queued were written for the old slot: they are dropped.
    now.receivedlist.clear();
    now.loginQueued = false;
    now.sock->Tag = to;
}

} // namespace pelvo
