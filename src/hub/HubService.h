#pragma once
// pelvo-hub's HTTP interface (docs/hub.md): the table list, starting tables, join codes,
// registrations and reports of tables hosted elsewhere, and the lobby WebSocket. Holds only soft
// state: after a restart the tables' own reports rebuild the list.

// own
#include "host/EventLog.h"
#include "hub/Lobby.h"
#include "hub/RateLimiter.h"
#include "hub/TableLauncher.h"
#include "hub/TableRegistry.h"
#include "service/GuardedTcpServer.h"

// Qt
#include <QElapsedTimer>
#include <QHostAddress>
#include <QObject>
#include <QSet>
#include <QTimer>

// std
#include <functional>
#include <memory>

class QHttpServer;
class QHttpServerRequest;
class QHttpServerResponse;
class QHttpServerResponder;
class QTcpServer;

namespace pelvo::hub {
class ByteCappedListener;
struct Refusal;
} // namespace pelvo::hub

namespace pelvo::hub {

struct HubCounters {
    std::uint64_t requests = 0;
    std::uint64_t tablesStarted = 0;
    std::uint64_t startsFailed = 0;
    std::uint64_t registrations = 0;
    std::uint64_t registrationsRefused = 0; // the address did not answer
    std::uint64_t reports = 0;
    std::uint64_t reportsRefused = 0; // wrong key, malformed or too many
    std::uint64_t adopted = 0;        // reports of tables a restarted hub did not know
    std::uint64_t codeLookups = 0;
    std::uint64_t codeMisses = 0;
    std::uint64_t rateLimited = 0;
    std::uint64_t badRequests = 0;
    std::uint64_t expired = 0; // listings dropped for silence
    std::uint64_t idleStopped = 0;
};

class HubService : public QObject {
    Q_OBJECT
public:
    struct Options {
        QString publicAddress = QStringLiteral("127.0.0.1"); // where this machine's tables are met
        int maxTables = 100;                                 // listed and starting, in all
        int tablesPerAddress = 4;  // tables one address may have the hub start
        int listedPerAddress = 16; // tables hosted elsewhere listed from one address
        qint64 silenceMs = 45000;  // a table not heard from this long leaves the list
        qint64 idleMs = 600000;    // a table started here with nobody this long is stopped
        int probeTimeoutMs = 2000;
        // Token buckets: how many at once, then how many per second.
        double createBurst = 4, createRate = 0.1;     // per address
        double lookupBurst = 10, lookupRate = 0.2;    // per address
        double registerBurst = 8, registerRate = 0.5; // per address
        double reportBurst = 5, reportRate = 2;       // per table
        Lobby::Options lobby;
    };

    HubService(TableLauncher& launcher, Options options, QObject* parent = nullptr);
    ~HubService() override;

    // Serves on `port` of every address behind a connection guard with `limits`; false when the
    // port cannot be had.
    bool listen(quint16 port, GuardedTcpServer::Limits limits);

    TableRegistry& registry() { return registry_; }
    Lobby& lobby() { return *lobby_; }
    const HubCounters& counters() const { return counters_; }
    QByteArray metricsText() const;
    bool serving() const { return !stopping_; }

    // Stops taking requests, closes the lobby, and (unless `keepTables`) closes the tables it
    // started; `done` once that is over.
    void shutdown(bool keepTables, std::function<void()> done);

    std::function<void(const QString&)> eventLog;

    // The rate-limit key for an address: IPv4 as it is, IPv6 by its /64 network (one home
    // gets a whole /64, so its single addresses are not worth counting apart).
    static QString addressKey(const QHostAddress& address);
    // A peer's address as written: IPv4-mapped IPv6 addresses as plain IPv4.
    static QHostAddress plain(const QHostAddress& address);

    // What one plain HTTP connection may send before it is cut: many small requests, never one
    // big one (a body over MaxBodyBytes is refused anyway).
    static constexpr qint64 MaxConnectionBytes = 64 * 1024;

private:
    void routes();
    void createTable(const QHttpServerRequest& request, QHttpServerResponder&& responder);
    void registerTable(const QHttpServerRequest& request, QHttpServerResponder&& responder);
    void report(const QString& id, const QHttpServerRequest& request,
                QHttpServerResponder&& responder);
    void adopt(const QString& id, const QString& key, const TableReport& report,
               const QHostAddress& peer, QHttpServerResponder&& responder);
    void sweep();
    // A request that comes too often, counted and told to wait.
    QHttpServerResponse tooOften(const QString& message);
    // A malformed request, counted and told what is wrong.
    QHttpServerResponse malformed(const Refusal& r);
    void log(const char* event, std::initializer_list<LogField> fields) const;
    QString listedAddress(const QHostAddress& peer) const;
    int reportSeconds() const;
    QString freshCode() const;
    qint64 now() const { return clock_.elapsed(); }

    TableLauncher& launcher_;
    Options options_;
    std::unique_ptr<QHttpServer> http_;
    ByteCappedListener* listener_ = nullptr; // owned by http_
    TableRegistry registry_;
    std::unique_ptr<Lobby> lobby_;
    RateLimiter creates_, lookups_, registers_, reports_;
    QElapsedTimer clock_;
    QTimer sweep_;
    QSet<QString> adopting_;            // ids being checked after an unknown report
    QHash<QString, QString> launching_; // id -> key of tables being started
    int starting_ = 0;
    QHash<QString, int> startingBy_;
    HubCounters counters_;
    bool stopping_ = false;
};

} // namespace pelvo::hub
