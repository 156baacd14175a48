#pragma once
// A table's voice on a hub: registers the table (unless the hub that started it gave it an id and
// key), then reports its state whenever it changes (at most once a second) and at least every
// ReportEveryMs, so the hub can drop a table that went quiet and rebuild its list after a
// restart. Used by pelvo-table --hub, and by a hosting window whose player lists the table.

// Qt
#include <QElapsedTimer>
#include <QJsonObject>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

// std
#include <algorithm>
#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

namespace pelvo {

class TServer;

class HubReporter : public QObject {
    Q_OBJECT
public:
    // What the table says of itself (the fields of a report in docs/hub.md).
    struct State {
        QString name;
        quint16 port = 0;
        int seatsTaken = 0;
        int seatsFree = 4;
        int watchers = 0;
        bool playing = false;
        QString level = QStringLiteral("classic");
        bool isPrivate = false;

        friend bool operator==(const State&, const State&) = default;
    };
    using Read = std::function<State()>;

    static constexpr int ReportEveryMs = 10000; // unless the hub asks for another interval
    static constexpr int RetryMs = 5000;        // after a failed registration or report

    // `hub` is the hub's base URL (http://host:7780); `read` is asked about once a second.
    HubReporter(const QUrl& hub, Read read, QObject* parent = nullptr);
    ~HubReporter() override;

    // A table the hub started is already listed under this id and key (and code, if private).
    void setIdentity(const QString& id, const QString& key, const QString& code = QString());
    // How often to report when nothing changes (the hub says so at registration).
    void setReportEvery(int ms) { reportEveryMs_ = std::max(500, ms); }
    void start();
    // Takes the listing down (best effort) and stops reporting.
    void withdraw();

    QString id() const { return id_; }
    QString code() const { return code_; }
    bool listed() const { return listed_; }

    // The state of a TServer as a report: persons at seats, watchers, whether a game runs.
    static State stateOf(const TServer& server, const QString& name, quint16 port, bool isPrivate);
    // Lists `server` on the hub at `hub` for as long as the returned reporter lives (a hosting
    // window's "List this table on the hub").
    static HubReporter* listServer(TServer& server, const QUrl& hub, const QString& name,
                                   quint16 port, bool isPrivate, QObject* parent);

    static QJsonObject reportJson(const State& state, const QString& code);

signals:
    // Listed: a registration went through, or the hub took the first report.
    void registered(const QString& id, const QString& code);
    // The hub refused or could not be reached; `error` is its code ("not_reachable", ...) or
    // "unreachable".
    void failed(const QString& error, const QString& message);

private:
    void tick();
    void registerTable();
    void sendReport();
    QNetworkReply* post(const QString& path, const QJsonObject& body, bool withKey);

    QUrl hub_;
    Read read_;
    QNetworkAccessManager* net_;
    QTimer tick_;
    QElapsedTimer sinceReport_;
    State last_;
    bool sent_ = false;
    QString id_, key_, code_;
    bool listed_ = false;
    bool busy_ = false;
    qint64 retryAt_ = 0;
    QElapsedTimer clock_;
    int reportEveryMs_ = ReportEveryMs;
};

} // namespace pelvo
