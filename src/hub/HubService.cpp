#include "hub/HubService.h"

// own
#include "hub/ByteCappedListener.h"
#include "hub/JoinCodes.h"
#include "hub/TableProbe.h"

// Qt
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QHttpServerResponse>
#include <QJsonDocument>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QWebSocket>

// std
#include <algorithm>

namespace pelvo::hub {

namespace {

using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

const QByteArray jsonType = QByteArrayLiteral("application/json");

QHttpServerResponse json(const QJsonObject& body, Status status = Status::Ok) {
    return QHttpServerResponse(jsonType, QJsonDocument(body).toJson(QJsonDocument::Compact),
                               status);
}

QHttpServerResponse error(Status status, const QString& code, const QString& message) {
    return QHttpServerResponse(jsonType, errorBody(code, message), status);
}

QHttpServerResponse refusal(const Refusal& r) {
    return error(r.error == QLatin1String("too_large") ? Status::PayloadTooLarge
                                                       : Status::BadRequest,
                 r.error, r.message);
}

// Answers later: the connection may be gone by then, and then the answer is dropped.
class Later {
public:
    explicit Later(QHttpServerResponder&& r)
        : responder_(std::make_shared<QHttpServerResponder>(std::move(r))),
          socket_(responder_->socket()) {}
    void operator()(const QHttpServerResponse& response) const {
        if (!responder_ || !socket_ || socket_->state() != QAbstractSocket::ConnectedState) return;
        response.write(std::move(*responder_));
    }

private:
    std::shared_ptr<QHttpServerResponder> responder_;
    QPointer<QTcpSocket> socket_;
};

QString bearer(const QHttpServerRequest& request) {
    for (const auto& [name, value] : request.headers())
        if (name.compare("authorization", Qt::CaseInsensitive) == 0 && value.startsWith("Bearer "))
            return QString::fromLatin1(value.mid(7).trimmed());
    return QString();
}

// Compares secrets in a time that does not depend on where they first differ.
bool sameKey(const QString& a, const QString& b) {
    const QByteArray x = a.toUtf8(), y = b.toUtf8();
    if (x.size() != y.size() || x.isEmpty()) return false;
    unsigned char diff = 0;
    for (qsizetype i = 0; i < x.size(); ++i) diff |= (unsigned char)(x[i] ^ y[i]);
    return diff == 0;
}

} // namespace

QHostAddress HubService::plain(const QHostAddress& address) {
    bool isV4 = false;
    const quint32 v4 = address.toIPv4Address(&isV4);
    return isV4 ? QHostAddress(v4) : address;
}

QString HubService::addressKey(const QHostAddress& address) {
    const QHostAddress a = plain(address);
    if (a.protocol() != QAbstractSocket::IPv6Protocol) return a.toString();
    Q_IPV6ADDR bytes = a.toIPv6Address();
    for (int i = 8; i < 16; ++i) bytes[i] = 0;
    return QHostAddress(bytes).toString() + QStringLiteral("/64");
}

HubService::HubService(TableLauncher& launcher, Options options, QObject* parent)
    : QObject(parent), launcher_(launcher), options_(std::move(options)),
      http_(std::make_unique<QHttpServer>()),
      lobby_(std::make_unique<Lobby>(registry_, options_.lobby)),
      creates_(options_.createBurst, options_.createRate),
      lookups_(options_.lookupBurst, options_.lookupRate),
      registers_(options_.registerBurst, options_.registerRate),
      reports_(options_.reportBurst, options_.reportRate) {
    clock_.start();
    lobby_->eventLog = [this](const QString& line) {
        if (eventLog) eventLog(line);
    };
    routes();
    connect(http_.get(), &QHttpServer::newWebSocketConnection, this, [this] {
        while (auto socket = http_->nextPendingWebSocketConnection()) {
            // A lobby connection lives as long as its player looks: no lifetime bound.
            if (listener_) listener_->release(socket->peerAddress(), socket->peerPort());
            if (stopping_) {
                socket->abort();
                continue;
            }
            lobby_->accept(std::move(socket));
        }
    });
    connect(&launcher_, &TableLauncher::ended, this, [this](const QString& id) {
        registry_.remove(id);
        log("table_ended", {{"id", id}});
    });
    sweep_.setInterval(
        int(std::clamp<qint64>(std::min(options_.silenceMs, options_.idleMs) / 5, 100, 5000)));
    connect(&sweep_, &QTimer::timeout, this, &HubService::sweep);
    sweep_.start();
}

HubService::~HubService() = default;

bool HubService::listen(quint16 port, GuardedTcpServer::Limits limits) {
    auto listener = std::make_unique<ByteCappedListener>(limits, MaxConnectionBytes);
    if (!listener->listen(QHostAddress::Any, port)) return false;
    listener_ = listener.get();
    http_->bind(listener.release()); // the HTTP server takes it as its child
    return true;
}

void HubService::log(const char* event, std::initializer_list<LogField> fields) const {
    if (eventLog) eventLog(eventLine(u"pelvo-hub", event, fields));
}

QString HubService::freshCode() const {
    QString code = newCode();
    while (registry_.byCode(code)) code = newCode(); // one in 2^30 per table listed
    return code;
}

int HubService::reportSeconds() const {
    // Three reports fit in the silence that drops a table, so one lost report costs nothing.
    return int(std::clamp<qint64>(options_.silenceMs / 3000, 1, 15));
}

QString HubService::listedAddress(const QHostAddress& peer) const {
    // A table on this machine is met where players meet the hub.
    return peer.isLoopback() ? options_.publicAddress : plain(peer).toString();
}

QHttpServerResponse HubService::tooOften(const QString& message) {
    ++counters_.rateLimited;
    return error(Status::TooManyRequests, QStringLiteral("rate_limited"), message);
}

QHttpServerResponse HubService::malformed(const Refusal& r) {
    ++counters_.badRequests;
    return refusal(r);
}

void HubService::routes() {
    http_->route(QStringLiteral("/healthz"), Method::Get, [this] {
        ++counters_.requests;
        return QHttpServerResponse(QByteArrayLiteral("text/plain; charset=utf-8"),
                                   stopping_ ? QByteArrayLiteral("stopping\n")
                                             : QByteArrayLiteral("ok\n"),
                                   stopping_ ? Status::ServiceUnavailable : Status::Ok);
    });
    http_->route(QStringLiteral("/v1/tables"), Method::Get, [this] {
        ++counters_.requests;
        return json(QJsonObject{{QStringLiteral("tables"), registry_.publicTables()}});
    });
    http_->route(QStringLiteral("/v1/tables"), Method::Post,
                 [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                     createTable(request, std::move(responder));
                 });
    http_->route(QStringLiteral("/v1/codes/<arg>"), Method::Get,
                 [this](const QString& text, const QHttpServerRequest& request) {
                     ++counters_.requests;
                     ++counters_.codeLookups;
                     // Counted before the code is even read, so guessing costs the same.
                     if (!lookups_.take(addressKey(request.remoteAddress())))
                         return tooOften(QStringLiteral("Too many codes tried; wait a minute."));
                     const auto code = normaliseCode(text);
                     const Listing* l = code ? registry_.byCode(*code) : nullptr;
                     if (!l) {
                         ++counters_.codeMisses;
                         return error(Status::NotFound, QStringLiteral("unknown_code"),
                                      QStringLiteral("No table has this code."));
                     }
                     return json(QJsonObject{{QStringLiteral("name"), l->report.name},
                                             {QStringLiteral("address"), l->address},
                                             {QStringLiteral("port"), int(l->report.port)}});
                 });
    http_->route(QStringLiteral("/v1/register"), Method::Post,
                 [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                     registerTable(request, std::move(responder));
                 });
    http_->route(
        QStringLiteral("/v1/tables/<arg>/report"), Method::Post,
        [this](const QString& id, const QHttpServerRequest& request,
               QHttpServerResponder&& responder) { report(id, request, std::move(responder)); });
    http_->route(QStringLiteral("/v1/tables/<arg>"), Method::Delete,
                 [this](const QString& id, const QHttpServerRequest& request) {
                     ++counters_.requests;
                     const Listing* l = registry_.find(id);
                     if (!l) return QHttpServerResponse(Status::NoContent);
                     if (!sameKey(bearer(request), l->key)) {
                         ++counters_.reportsRefused;
                         return error(Status::Forbidden, QStringLiteral("wrong_key"),
                                      QStringLiteral("This key does not hold that table."));
                     }
                     registry_.remove(id);
                     log("table_removed", {{"id", id}});
                     return QHttpServerResponse(Status::NoContent);
                 });
    // The HTTP server upgrades a request to a WebSocket only when a route takes it and writes
    // no answer; a plain GET of the lobby is told what it missed.
    http_->route(QStringLiteral("/v1/lobby"), Method::Get,
                 [this](const QHttpServerRequest& request, QHttpServerResponder&& responder) {
                     ++counters_.requests;
                     for (const auto& [name, value] : request.headers())
                         if (name.compare("upgrade", Qt::CaseInsensitive) == 0 &&
                             value.compare("websocket", Qt::CaseInsensitive) == 0)
                             return;
                     error(Status::UpgradeRequired, QStringLiteral("upgrade_required"),
                           QStringLiteral("The lobby is a WebSocket."))
                         .write(std::move(responder));
                 });
    http_->setMissingHandler([this](const QHttpServerRequest&, QHttpServerResponder&& r) {
        ++counters_.requests;
        error(Status::NotFound, QStringLiteral("not_found"),
              QStringLiteral("No such path or method; see /v1 in docs/hub.md."))
            .write(std::move(r));
    });
}

void HubService::createTable(const QHttpServerRequest& request, QHttpServerResponder&& responder) {
    ++counters_.requests;
    const QHostAddress peer = plain(request.remoteAddress());
    const QString who = addressKey(peer);
    const auto answer = [&](const QHttpServerResponse& r) { r.write(std::move(responder)); };
    if (stopping_)
        return answer(error(Status::ServiceUnavailable, QStringLiteral("hub_full"),
                            QStringLiteral("The hub is stopping.")));
    auto parsed = readCreate(request.body());
    if (auto* r = std::get_if<Refusal>(&parsed)) return answer(malformed(*r));
    if (!creates_.take(who))
        return answer(tooOften(QStringLiteral("Too many tables asked for; wait a minute.")));
    if (registry_.countByCreator(who) + startingBy_.value(who) >= options_.tablesPerAddress)
        return answer(error(Status::TooManyRequests, QStringLiteral("too_many_tables"),
                            QStringLiteral("Your address has %1 tables already; close one first.")
                                .arg(options_.tablesPerAddress)));
    if (registry_.size() + starting_ >= options_.maxTables)
        return answer(error(Status::ServiceUnavailable, QStringLiteral("hub_full"),
                            QStringLiteral("The hub runs all the tables it can; try later.")));

    const CreateRequest create = std::get<CreateRequest>(parsed);
    LaunchRequest launch{randomToken(9), randomToken(24), QString(),
                         create.name,    create.level,    create.isPrivate};
    if (create.isPrivate) launch.code = freshCode();
    launch.reportSeconds = reportSeconds();
    ++starting_;
    ++startingBy_[who];
    launching_.insert(launch.id, launch.key);
    Later later(std::move(responder));
    launcher_.launch(launch, [this, launch, later, who](std::optional<LaunchedTable> table) {
        launching_.remove(launch.id);
        --starting_;
        if (--startingBy_[who] <= 0) startingBy_.remove(who);
        if (!table) {
            ++counters_.startsFailed;
            log("table_start_failed", {{"addr", who}});
            return later(error(Status::ServiceUnavailable, QStringLiteral("start_failed"),
                               QStringLiteral("The hub could not start a table; try later.")));
        }
        Listing l;
        l.id = launch.id;
        l.key = launch.key;
        l.address = table->address.isEmpty() ? options_.publicAddress : table->address;
        l.probeAddress = QStringLiteral("127.0.0.1");
        l.report.name = launch.name;
        l.report.port = table->port;
        l.report.level = launch.level;
        l.report.isPrivate = launch.isPrivate;
        l.report.code = launch.code;
        l.reportedAtMs = l.occupiedAtMs = now();
        l.startedHere = true;
        l.creator = who;
        QJsonObject body{{QStringLiteral("id"), l.id},
                         {QStringLiteral("address"), l.address},
                         {QStringLiteral("port"), int(l.report.port)}};
        if (!launch.code.isEmpty()) body.insert(QStringLiteral("code"), launch.code);
        registry_.put(std::move(l));
        ++counters_.tablesStarted;
        log("table_started", {{"id", launch.id},
                              {"port", int(table->port)},
                              {"addr", who},
                              {"private", QString::fromLatin1(launch.isPrivate ? "1" : "0")},
                              LogField::text("name", launch.name)});
        later(json(body, Status::Created));
    });
}

void HubService::registerTable(const QHttpServerRequest& request,
                               QHttpServerResponder&& responder) {
    ++counters_.requests;
    const QHostAddress peer = plain(request.remoteAddress());
    const QString who = addressKey(peer);
    const auto answer = [&](const QHttpServerResponse& r) { r.write(std::move(responder)); };
    auto parsed = readRegister(request.body());
    if (auto* r = std::get_if<Refusal>(&parsed)) return answer(malformed(*r));
    if (!registers_.take(who))
        return answer(tooOften(QStringLiteral("Too many registrations; wait a minute.")));
    TableReport report = std::get<TableReport>(parsed);
    report.code.clear(); // a code is the hub's to give
    int fromThere = 0;
    const QString probe = peer.toString();
    QString replaced;
    for (const Listing* l : registry_.all()) {
        if (l->startedHere || l->probeAddress != probe) continue;
        if (l->report.port == report.port)
            replaced = l->id; // the same table registering again, after its own restart
        else
            ++fromThere;
    }
    if (!peer.isLoopback() && fromThere >= options_.listedPerAddress)
        return answer(error(Status::TooManyRequests, QStringLiteral("too_many_tables"),
                            QStringLiteral("Your address lists %1 tables already.")
                                .arg(options_.listedPerAddress)));
    if (replaced.isEmpty() && registry_.size() + starting_ >= options_.maxTables)
        return answer(error(Status::ServiceUnavailable, QStringLiteral("hub_full"),
                            QStringLiteral("The hub lists all the tables it can; try later.")));
    Later later(std::move(responder));
    TableProbe::ask(
        peer, report.port,
        [this, later, report, peer, replaced](std::optional<discovery::TableInfo> info) mutable {
            if (!info) {
                ++counters_.registrationsRefused;
                log("register_refused", {{"addr", peer.toString()}, {"port", int(report.port)}});
                return later(error(Status::UnprocessableEntity, QStringLiteral("not_reachable"),
                                   QStringLiteral("No table answered at %1 port %2; is the port "
                                                  "open to the internet (TCP and UDP)?")
                                       .arg(peer.toString())
                                       .arg(report.port)));
            }
            if (!replaced.isEmpty()) registry_.remove(replaced);
            Listing l;
            l.id = randomToken(9);
            l.key = randomToken(24);
            l.address = listedAddress(peer);
            l.probeAddress = peer.toString();
            if (report.isPrivate) report.code = freshCode();
            l.report = report;
            l.reportedAtMs = l.occupiedAtMs = now();
            QJsonObject body{{QStringLiteral("id"), l.id},
                             {QStringLiteral("key"), l.key},
                             {QStringLiteral("report_seconds"), reportSeconds()}};
            if (!report.code.isEmpty()) body.insert(QStringLiteral("code"), report.code);
            ++counters_.registrations;
            log("table_registered", {{"id", l.id},
                                     {"addr", l.probeAddress},
                                     {"port", int(report.port)},
                                     LogField::text("name", report.name)});
            registry_.put(std::move(l));
            later(json(body, Status::Created));
        },
        options_.probeTimeoutMs, this);
}

void HubService::report(const QString& id, const QHttpServerRequest& request,
                        QHttpServerResponder&& responder) {
    ++counters_.requests;
    const auto answer = [&](const QHttpServerResponse& r) { r.write(std::move(responder)); };
    const QString key = bearer(request);
    if (const auto starting = launching_.constFind(id); starting != launching_.cend()) {
        // The table is quicker than its start: it is listed once the start is through.
        if (sameKey(key, *starting)) return answer(QHttpServerResponse(Status::NoContent));
        ++counters_.reportsRefused;
        return answer(error(Status::Forbidden, QStringLiteral("wrong_key"),
                            QStringLiteral("This key does not hold that table.")));
    }
    Listing* l = registry_.find(id);
    if (l && !sameKey(key, l->key)) {
        ++counters_.reportsRefused;
        log("report_refused", {{"id", id}, {"reason", QStringLiteral("wrong_key")}});
        return answer(error(Status::Forbidden, QStringLiteral("wrong_key"),
                            QStringLiteral("This key does not hold that table.")));
    }
    if (!reports_.take(id.left(64))) {
        ++counters_.reportsRefused;
        return answer(tooOften(QStringLiteral("Reports come at most a few a second.")));
    }
    auto parsed = readReport(request.body());
    if (auto* r = std::get_if<Refusal>(&parsed)) {
        ++counters_.reportsRefused;
        return answer(malformed(*r));
    }
    TableReport report = std::get<TableReport>(parsed);
    if (l) {
        if (report.port != l->report.port) {
            ++counters_.reportsRefused;
            return answer(error(Status::BadRequest, QStringLiteral("bad_request"),
                                QStringLiteral("A table's port does not change.")));
        }
        // The code stays the one the hub gave; a table cannot pick another.
        report.code = report.isPrivate ? l->report.code : QString();
        registry_.update(id, report, now());
        ++counters_.reports;
        return answer(QHttpServerResponse(Status::NoContent));
    }
    // Not known: a hub that restarted meets a table it listed before.
    adopt(id, key, report, plain(request.remoteAddress()), std::move(responder));
}

void HubService::adopt(const QString& id, const QString& key, const TableReport& report,
                       const QHostAddress& peer, QHttpServerResponder&& responder) {
    const auto answer = [&](const QHttpServerResponse& r) { r.write(std::move(responder)); };
    if (id.isEmpty() || id.size() > 64 || key.size() < 16 || key.size() > 128)
        return answer(error(Status::Forbidden, QStringLiteral("wrong_key"),
                            QStringLiteral("Register first: POST /v1/register.")));
    // The tables on this machine come back all at once after a restart; they are ours.
    if (!peer.isLoopback() && !registers_.take(addressKey(peer)))
        return answer(tooOften(QStringLiteral("Too many registrations; wait a minute.")));
    if (adopting_.contains(id) || registry_.size() + starting_ >= options_.maxTables)
        return answer(error(Status::ServiceUnavailable, QStringLiteral("hub_full"),
                            QStringLiteral("Try again in a moment.")));
    if (!report.code.isEmpty() && registry_.byCode(report.code))
        return answer(error(Status::Conflict, QStringLiteral("code_taken"),
                            QStringLiteral("Another table holds this code; register anew.")));
    adopting_.insert(id);
    Later later(std::move(responder));
    TableProbe::ask(
        peer, report.port,
        [this, later, id, key, report, peer](std::optional<discovery::TableInfo> info) {
            adopting_.remove(id);
            if (!info) {
                ++counters_.registrationsRefused;
                return later(error(Status::UnprocessableEntity, QStringLiteral("not_reachable"),
                                   QStringLiteral("No table answered at %1 port %2.")
                                       .arg(peer.toString())
                                       .arg(report.port)));
            }
            if (registry_.find(id) || (!report.code.isEmpty() && registry_.byCode(report.code)))
                return later(error(Status::Conflict, QStringLiteral("code_taken"),
                                   QStringLiteral("Another table holds this code.")));
            Listing l;
            l.id = id;
            l.key = key;
            l.address = listedAddress(peer);
            l.probeAddress = peer.toString();
            l.report = report;
            l.reportedAtMs = l.occupiedAtMs = now();
            registry_.put(std::move(l));
            ++counters_.adopted;
            ++counters_.reports;
            log("table_adopted", {{"id", id},
                                  {"addr", peer.toString()},
                                  {"port", int(report.port)},
                                  LogField::text("name", report.name)});
            later(QHttpServerResponse(Status::NoContent));
        },
        options_.probeTimeoutMs, this);
}

void HubService::sweep() {
    const qint64 t = now();
    for (const QString& id : registry_.silentSince(t, options_.silenceMs)) {
        const Listing* l = registry_.find(id);
        // A table started here that went silent is hung or lost its way: it is closed too.
        if (l->startedHere) launcher_.stop(id);
        registry_.remove(id);
        ++counters_.expired;
        log("table_expired", {{"id", id}});
    }
    for (const QString& id : registry_.idleSince(t, options_.idleMs)) {
        Listing* l = registry_.find(id);
        l->occupiedAtMs = t; // asked once; the listing goes when the process has ended
        launcher_.stop(id);
        ++counters_.idleStopped;
        log("table_idle", {{"id", id}});
    }
}

void HubService::shutdown(bool keepTables, std::function<void()> done) {
    if (stopping_) return;
    stopping_ = true;
    sweep_.stop();
    lobby_->closeAll();
    if (keepTables) {
        QTimer::singleShot(0, this, std::move(done));
        return;
    }
    launcher_.stopAll(std::move(done), 5000);
}

QByteArray HubService::metricsText() const {
    QByteArray out;
    const auto metric = [&out](const char* name, const char* type, const char* help,
                               std::uint64_t value) {
        out += QByteArray("# HELP pelvo_hub_") + name + ' ' + help + '\n';
        out += QByteArray("# TYPE pelvo_hub_") + name + ' ' + type + '\n';
        out += QByteArray("pelvo_hub_") + name + ' ' + QByteArray::number(quint64(value)) + '\n';
    };
    const HubCounters& c = counters_;
    int privateTables = 0;
    for (const Listing* l : registry_.all()) privateTables += l->report.isPrivate ? 1 : 0;
    metric("tables", "gauge", "Tables listed or known by code.", quint64(registry_.size()));
    metric("tables_private", "gauge", "Private tables known.", quint64(privateTables));
    metric("tables_running", "gauge", "Tables this hub started that still run.",
           quint64(launcher_.running()));
    metric("tables_starting", "gauge", "Tables being started.", quint64(starting_));
    metric("lobby_connections", "gauge", "Open lobby WebSocket connections.",
           quint64(lobby_->connections()));
    metric("requests_total", "counter", "HTTP requests answered.", c.requests);
    metric("tables_started_total", "counter", "Tables started on request.", c.tablesStarted);
    metric("table_starts_failed_total", "counter", "Tables that did not start.", c.startsFailed);
    metric("registrations_total", "counter", "Tables hosted elsewhere listed.", c.registrations);
    metric("registrations_refused_total", "counter", "Listings refused: no answer there.",
           c.registrationsRefused);
    metric("reports_total", "counter", "Table reports taken.", c.reports);
    metric("reports_refused_total", "counter", "Reports refused.", c.reportsRefused);
    metric("tables_adopted_total", "counter", "Unknown tables listed again from their reports.",
           c.adopted);
    metric("code_lookups_total", "counter", "Join codes looked up.", c.codeLookups);
    metric("code_misses_total", "counter", "Join codes that matched no table.", c.codeMisses);
    metric("rate_limited_total", "counter", "Requests refused by a rate limit.", c.rateLimited);
    metric("bad_requests_total", "counter", "Malformed or oversized requests.", c.badRequests);
    metric("tables_expired_total", "counter", "Listings dropped after silence.", c.expired);
    metric("tables_idle_stopped_total", "counter", "Tables stopped for lack of players.",
           c.idleStopped);
    metric("lobby_chat_lines_total", "counter", "Lobby chat lines passed on.", lobby_->chatLines());
    metric("lobby_refused_total", "counter", "Lobby connections refused.", lobby_->refused());
    if (listener_) {
        metric("http_connections", "gauge", "Open connections to the hub's port.",
               quint64(listener_->connections()));
        metric("http_refused_total", "counter", "Connections refused at accept (caps).",
               listener_->refused());
        metric("http_evicted_total", "counter", "Quiet connections closed to make room.",
               listener_->evicted());
        metric("http_timed_out_total", "counter", "Connections closed for idling or lasting.",
               listener_->timedOut());
        metric("http_cut_total", "counter", "Connections cut for sending too many bytes.",
               listener_->cut());
    }
    return out;
}

} // namespace pelvo::hub
