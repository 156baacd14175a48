// The table host's bookkeeping for operators: counters for the metrics, one event line per
// thing an operator cares about, and the orderly close of a table.
#include "host/TServer.h"

// own
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/Notices.h"

// Qt
#include <QElapsedTimer>
#include <QTimer>

namespace pelvo {

namespace {
// Host lines in chat are blue, like the clients' own system lines.

bool isCommand(const QString& line, const char* command) {
    const qsizetype end = line.indexOf(u'+');
    return QStringView(line).left(end < 0 ? line.size() : end) == QLatin1String(command);
}
} // namespace

void TServer::logEvent(const char* event, std::initializer_list<LogField> fields) const {
    if (eventLog) eventLog(eventLine(u"pelvo-table", event, fields));
}

void TServer::dispatchRequest(int slot, const QString& line) {
    // A removal is told as such, under the removed player's name (noteLost).
    ClosingFor outer = closingFor_;
    if (isCommand(line, cmd::kickhim)) {
        const auto target = toInt(line.section(u'+', 2, 2));
        if (target && *target >= 1 && *target <= MaxOpenSlots)
            closingFor_ = {*target, "kicked", slot};
    }
    const bool accepted = recorder_.request(slot, line);
    closingFor_ = outer;
    if (!accepted) return;
    if (isCommand(line, cmd::logininfo)) {
        noteLogin(slot, 0);
    } else if (isCommand(line, cmd::reclaimseat)) {
        // Either the kept seat back (the connection may be that seat's slot now) or a login.
        noteLogin(slot, engine_.lastReclaimedSeat());
    } else if (isCommand(line, cmd::startgame)) {
        ++metrics_.gamesStarted;
        gameWasRunning_ = table().gameRunning;
        int people = 0, computers = 0;
        for (int s = 1; s <= Seats; ++s) {
            if (!table().seats[s].inGame) continue;
            ++(table().computerPlays(s) ? computers : people);
        }
        logEvent("game_start", {{"by", slot},
                                {"rounds", table().roundsToPlay},
                                {"people", people},
                                {"computers", computers}});
    }
}

void TServer::noteLogin(int slot, int reclaimed) {
    ++metrics_.logins;
    const int now = reclaimed ? reclaimed : slot;
    const Connection& c = conns_[now];
    const LogField name = LogField::text("name", table().seats[now].name);
    if (!reclaimed) {
        logEvent("login", {{"slot", slot}, name, {"addr", c.addr}});
        return;
    }
    ++metrics_.reclaims;
    logEvent("reclaim", {{"slot", now}, {"from", slot}, name, {"addr", c.addr}});
}

void TServer::noteGameState() {
    const bool running = table().gameRunning;
    if (gameWasRunning_ && !running) {
        // Ended to a winner: the lowest total, as the rules decided it.
        ++metrics_.gamesFinished;
        const Table& t = table();
        int leader = 0;
        for (int s = 1; s <= Seats; ++s)
            if (t.seats[s].inGame && (!leader || t.seats[s].total < t.seats[leader].total))
                leader = s;
        const Seat& winner = t.seats[leader ? leader : 1];
        logEvent("game_end",
                 {LogField::text("winner", winner.name.isEmpty() ? winner.botName : winner.name),
                  {"seat", leader},
                  {"rounds", t.roundNumber - 1}});
    }
    gameWasRunning_ = running;
}

void TServer::noteLost(int slot) {
    const Connection& c = conns_[slot];
    const QString& name = table().seats[slot].name;
    if (slot != closingFor_.slot || !closingFor_.reason) {
        logEvent("disconnect", {{"slot", slot}, LogField::text("name", name), {"addr", c.addr}});
        return;
    }
    const QLatin1String why(closingFor_.reason);
    if (why == QLatin1String("kicked")) {
        ++metrics_.kicked;
        logEvent("kick", {{"slot", slot},
                          LogField::text("name", name),
                          {"addr", c.addr},
                          {"by", closingFor_.by}});
        return;
    }
    if (why == QLatin1String("flood"))
        ++metrics_.closedFlood;
    else if (why == QLatin1String("rate"))
        ++metrics_.closedRate;
    else if (why == QLatin1String("login_timeout"))
        ++metrics_.closedLoginTimeout;
    else if (why == QLatin1String("oversized"))
        ++metrics_.closedOversized;
    else
        ++metrics_.closedStalled;
    logEvent(
        "close",
        {{"slot", slot}, {"reason", QString(why)}, LogField::text("name", name), {"addr", c.addr}});
}

TableGauges TServer::gauges() const {
    TableGauges g;
    const Table& t = table();
    for (int slot = 1; slot <= MaxOpenSlots; ++slot) {
        const Connection& c = conns_[slot];
        if (!c.sock) continue;
        if (!loggedIn(slot))
            ++g.loggingIn;
        else if (slot > Seats)
            ++g.spectators;
        else
            ++(t.seats[slot].watching ? g.justWatch : g.players);
    }
    g.gameRunning = t.gameRunning;
    if (t.gameRunning)
        for (int s = 1; s <= Seats; ++s) g.computerSeats += t.computerPlays(s) ? 1 : 0;
    g.queuedLines = int(queuedLines());
    return g;
}

void TServer::closeTable(std::function<void()> done, int graceMs) {
    if (closing_) return;
    emit tableClosing();
    flushRecords(); // a game cut short is kept before anything closes
    int open = 0;
    for (int slot = 1; slot <= MaxOpenSlots; ++slot) open += conns_[slot].sock ? 1 : 0;
    logEvent("closing", {{"connections", open}});
    try {
        if (Sock1->Listen()) Sock1->setListen(false);
    } catch (const ESockException&) {
        // Not listening is what we want.
    }
    // Newer clients learn the table is going (and do not try to reconnect); then a host line in
    // chat, as an action from slot 0, that every client shows, including those built before
    // anything told them why a table goes away.
    const QByteArray going = notice::encode(notice::TableClosing{});
    for (int slot = 1; slot <= MaxOpenSlots; ++slot)
        if (conns_[slot].sock) wire_.send(slot, going);
    hostLine(QStringLiteral("The table is closing."));
    closing_ = true;
    timer1.stop();
    computertimer.stop();
    socktimer.stop();
    logintimer.stop();
    for (Connection& c : conns_) c.receivedlist.clear();

    // The notice leaves as fast as each peer reads it; one that does not read is not waited
    // for past the grace time.
    auto* poll = new QTimer(this);
    QElapsedTimer waited;
    waited.start();
    connect(poll, &QTimer::timeout, this, [this, poll, waited, graceMs, done = std::move(done)] {
        bool pending = false;
        for (int slot = 1; slot <= MaxOpenSlots; ++slot)
            if (conns_[slot].sock && conns_[slot].sock->outboundSize() > 0) pending = true;
        if (pending && waited.elapsed() < graceMs) return;
        poll->stop();
        poll->deleteLater();
        closeAll(false);
        if (done) done();
    });
    poll->start(5);
}

} // namespace pelvo
