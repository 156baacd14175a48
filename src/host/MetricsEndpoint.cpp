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
                                   server_.metricsText());
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

bool MetricsEndpoint::listen(quint16 port) {
    return http_->listen(QHostAddress::Any, port) == port;
}

} // namespace pelvo
