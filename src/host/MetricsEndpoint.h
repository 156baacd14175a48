#pragma once
// pelvo-table's HTTP endpoint for monitoring: GET /metrics (the Prometheus text format) and
// GET /healthz ("ok" while the table takes players, 503 once it is closing). Built into the
// pelvo-table program only, so the host library needs no HTTP server. Its listener caps and
// times out connections, so the port cannot use up the table's descriptors.

// own
#include "service/GuardedTcpServer.h"

// Qt
#include <QObject>
#include <QPointer>

// std
#include <memory>

class QHttpServer;

namespace pelvo {

class TServer;

class MetricsEndpoint : public QObject {
public:
    explicit MetricsEndpoint(TServer& server, QObject* parent = nullptr);
    ~MetricsEndpoint() override;

    // Listens on every address at `port`; false when the port cannot be had.
    bool listen(quint16 port, GuardedTcpServer::Limits limits = defaultLimits());

    // The listener's defaults; PELVO_HTTP_IDLE_MS and PELVO_HTTP_LIFETIME_MS shorten the
    // time-outs (tests).
    static GuardedTcpServer::Limits defaultLimits();

private:
    QByteArray metricsText() const;

    TServer& server_;
    std::unique_ptr<QHttpServer> http_;
    QPointer<GuardedTcpServer> listener_; // owned by http_
};

} // namespace pelvo
