#include "host/HubReporter.h"

// own
#include "rules/ComputerRules.h"
#include "host/TServer.h"

// Qt
#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

// std
#include <algorithm>

namespace pelvo {

HubReporter::HubReporter(const QUrl& hub, Read read, QObject* parent)
    : QObject(parent), hub_(hub), read_(std::move(read)), net_(new QNetworkAccessManager(this)) {
    clock_.start();
    tick_.setInterval(1000);
    connect(&tick_, &QTimer::timeout, this, &HubReporter::tick);
}

HubReporter::~HubReporter() = default;

void HubReporter::setIdentity(const QString& id, const QString& key, const QString& code) {
    id_ = id;
    key_ = key;
    code_ = code;
}

void HubReporter::start() {
    tick_.start();
    QTimer::singleShot(0, this, &HubReporter::tick);
}

void HubReporter::withdraw() {
    tick_.stop();
    if (id_.isEmpty() || key_.isEmpty()) return;
    QNetworkRequest request(hub_.resolved(QUrl(QStringLiteral("/v1/tables/") + id_)));
    request.setRawHeader("Authorization", "Bearer " + key_.toUtf8());
    request.setTransferTimeout(3000);
    QNetworkReply* reply = net_->deleteResource(request);
    connect(reply, &QNetworkReply::finished, reply, &QObject::deleteLater);
    listed_ = false;
}

HubReporter::State HubReporter::stateOf(const TServer& server, const QString& name, quint16 port,
                                        bool isPrivate) {
    const TableGauges g = server.gauges();
    State s;
    s.name = name;
    s.port = port;
    s.seatsTaken = std::min(4, g.players + g.justWatch);
    s.seatsFree = std::max(0, server.table().seatCount - s.seatsTaken);
    s.watchers = std::min(5, g.spectators);
    s.playing = g.gameRunning;
    s.level =
        QString::fromLatin1(botLevelName(server.botLevel ? server.botLevel() : BotLevel::Classic))
            .toLower();
    s.isPrivate = isPrivate;
    return s;
}

HubReporter* HubReporter::listServer(TServer& server, const QUrl& hub, const QString& name,
                                     quint16 port, bool isPrivate, QObject* parent) {
    auto* reporter = new HubReporter(
        hub, [&server, name, port, isPrivate] { return stateOf(server, name, port, isPrivate); },
        parent);
    connect(&server, &TServer::tableClosing, reporter, &HubReporter::withdraw);
    reporter->start();
    return reporter;
}

QJsonObject HubReporter::reportJson(const State& s, const QString& code) {
    QJsonObject o{{QStringLiteral("name"), s.name.left(64)},
                  {QStringLiteral("port"), int(s.port)},
                  {QStringLiteral("seats_taken"), s.seatsTaken},
                  {QStringLiteral("seats_free"), s.seatsFree},
                  {QStringLiteral("watchers"), s.watchers},
                  {QStringLiteral("playing"), s.playing},
                  {QStringLiteral("level"), s.level},
                  {QStringLiteral("private"), s.isPrivate}};
    if (s.isPrivate && !code.isEmpty()) o.insert(QStringLiteral("code"), code);
    return o;
}

void HubReporter::tick() {
    if (busy_ || clock_.elapsed() < retryAt_) return;
    if (id_.isEmpty()) return registerTable();
    const State now = read_();
    // A change goes out at the next tick (so a burst of changes is one report), and the hub
    // hears from the table at least every ReportEveryMs.
    if (sent_ && now == last_ && sinceReport_.elapsed() < reportEveryMs_) return;
    sendReport();
}

QNetworkReply* HubReporter::post(const QString& path, const QJsonObject& body, bool withKey) {
    QNetworkRequest request(hub_.resolved(QUrl(path)));
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/json"));
    if (withKey) request.setRawHeader("Authorization", "Bearer " + key_.toUtf8());
    // A report every few seconds holds no connection in between (see finish()): the hub counts
    // connections per address, and all the tables on its own machine share one.
    request.setRawHeader("Connection", "close");
    request.setTransferTimeout(5000);
    busy_ = true;
    QNetworkReply* reply = net_->post(request, QJsonDocument(body).toJson(QJsonDocument::Compact));
    connect(reply, &QNetworkReply::finished, this, [this] {
        busy_ = false;
        net_->clearConnectionCache(); // the hub keeps it open otherwise
    });
    return reply;
}

namespace {

// The hub's error code and sentence, or "unreachable" when no answer came.
std::pair<QString, QString> errorOf(QNetworkReply* reply, const QByteArray& body) {
    const QJsonObject o = QJsonDocument::fromJson(body).object();
    if (o.contains(QStringLiteral("error")))
        return {o.value(QStringLiteral("error")).toString(),
                o.value(QStringLiteral("message")).toString()};
    return {QStringLiteral("unreachable"), reply->errorString()};
}

} // namespace

void HubReporter::registerTable() {
    const State s = read_();
    QJsonObject body{{QStringLiteral("name"), s.name.left(64)},
                     {QStringLiteral("port"), int(s.port)},
                     {QStringLiteral("level"), s.level},
                     {QStringLiteral("private"), s.isPrivate}};
    QNetworkReply* reply = post(QStringLiteral("/v1/register"), body, false);
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        reply->deleteLater();
        const QByteArray data = reply->readAll();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status != 201) {
            retryAt_ = clock_.elapsed() + RetryMs * 3;
            const auto [error, message] = errorOf(reply, data);
            emit failed(error, message);
            return;
        }
        const QJsonObject o = QJsonDocument::fromJson(data).object();
        id_ = o.value(QStringLiteral("id")).toString();
        key_ = o.value(QStringLiteral("key")).toString();
        code_ = o.value(QStringLiteral("code")).toString();
        if (const int seconds = o.value(QStringLiteral("report_seconds")).toInt(); seconds > 0)
            setReportEvery(seconds * 1000);
        listed_ = !id_.isEmpty();
        sent_ = false;
        if (listed_) emit registered(id_, code_);
    });
}

void HubReporter::sendReport() {
    const State s = read_();
    QNetworkReply* reply =
        post(QStringLiteral("/v1/tables/%1/report").arg(id_), reportJson(s, code_), true);
    connect(reply, &QNetworkReply::finished, this, [this, reply, s] {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (status == 204) {
            last_ = s;
            sent_ = true;
            sinceReport_.start();
            if (!listed_) {
                listed_ = true;
                emit registered(id_, code_);
            }
            return;
        }
        const auto [error, message] = errorOf(reply, reply->readAll());
        listed_ = false;
        if (status == 403 || status == 409) {
            // The hub holds this id under another key, or the code under another table:
            // start afresh.
            id_.clear();
            key_.clear();
            code_.clear();
        }
        retryAt_ = clock_.elapsed() + RetryMs;
        emit failed(error, message);
    });
}

} // namespace pelvo
