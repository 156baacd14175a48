#include "host/MetricsEndpoint.h"

// own
#include "host/TServer.h"
#include "net/TSock.h"

// Qt
#include <QHostAddress>
#include <QHttpServer>
#include <QHttpServerRequest>
#include <QHttpServerResponse>

namespace pelvo {

MetricsEndpoint::MetricsEndpoint(TServer& server, QObject* parent)
    : QObject(parent), server_(server), http_(std::make_unique<QHttpServer>()) {
    using Method = QHttpServerRequest::Method;
    http_->route(QStringLiteral("/metrics"), Method::Get, [this] {
        return QHttpServerResponse(QByteArrayLiteral("text/plain; version=0.0.4; charset=utf-8"),
                                   metricsText());
    });
    http_->route(QStringLiteral("/healthz"), Method::Get, [this] {
        const bool serving = !server_.closing() && server_.Sock1->Listen();
        return QHttpServerResponse(QByteArrayLiteral("text/plain; charset=utf-8"),
                                   serving ? QByteArrayLiteral("ok\n")
                                           : QByteArrayLiteral("closing\n"),
                                   serving ? QHttpServerResponse::StatusCode::Ok
                                           : QHttpServerResponse::StatusCode::ServiceUnavailable);
    });
}

MetricsEndpoint::~MetricsEndpoint() = default;

GuardedTcpServer::Limits MetricsEndpoint::defaultLimits() {
    GuardedTcpServer::Limits limits;
    bool ok = false;
    const int idle = qEnvironmentVariableIntValue("PELVO_HTTP_IDLE_MS", &ok);
    if (ok && idle > 0) limits.idleMs = idle;
    const int lifetime = qEnvironmentVariableIntValue("PELVO_HTTP_LIFETIME_MS", &ok);
    if (ok && lifetime > 0) limits.lifetimeMs = lifetime;
    return limits;
}

bool MetricsEndpoint::listen(quint16 port, GuardedTcpServer::Limits limits) {
    auto listener = std::make_unique<GuardedTcpServer>(limits);
    if (!listener->listen(QHostAddress::Any, port)) return false;
    listener_ = listener.get();
    http_->bind(listener.release()); // the HTTP server takes it as its child
    return true;
}

QByteArray MetricsEndpoint::metricsText() const {
    QByteArray text = server_.metricsText();
    if (!listener_) return text;
    const auto family = [&text](const char* name, const char* type, const char* help,
                                std::uint64_t value) {
        text += QByteArray("# HELP ") + name + ' ' + help + "\n# TYPE " + name + ' ' + type + '\n' +
                name + ' ' + QByteArray::number(qulonglong(value)) + '\n';
    };
    family("pelvo_table_http_connections", "gauge", "Open connections to this HTTP port.",
           std::uint64_t(listener_->connections()));
    family("pelvo_table_http_refused_total", "counter",
           "HTTP connections refused over the connection caps.", listener_->refused());
    family("pelvo_table_http_evicted_total", "counter",
           "Quiet HTTP connections closed to make room for a new one.", listener_->evicted());
    family("pelvo_table_http_timeouts_total", "counter",
           "HTTP connections closed for sending nothing or lasting too long.",
           listener_->timedOut());
    return text;
}

} // namespace pelvo
