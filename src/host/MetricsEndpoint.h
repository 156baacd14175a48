#pragma once
// pelvo-table's HTTP endpoint for monitoring: GET /metrics (the Prometheus text format) and
// GET /healthz ("ok" while the table takes players, 503 once it is closing). Built into the
// pelvo-table program only, so the host library needs no HTTP server.

// Qt
#include <QObject>

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
    bool listen(quint16 port);

private:
    TServer& server_;
    std::unique_ptr<QHttpServer> http_;
};

} // namespace pelvo
