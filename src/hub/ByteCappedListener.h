#pragma once
// The hub's listener: the connection guard, and besides a cap on the bytes one plain HTTP
// connection may send, because the HTTP server keeps a whole request in memory before anyone
// can look at its size. A connection past the cap is cut. A WebSocket leaves the cap behind
// when it is upgraded (the upgrade drops every watcher of the socket; the WebSocket then bounds
// its own messages).

// own
#include "service/GuardedTcpServer.h"

namespace pelvo::hub {

class ByteCappedListener : public GuardedTcpServer {
    Q_OBJECT
public:
    ByteCappedListener(Limits limits, qint64 maxBytes, QObject* parent = nullptr);

    std::uint64_t cut() const { return cut_; }

private:
    void watch(QTcpSocket* socket);

    qint64 maxBytes_;
    std::uint64_t cut_ = 0;
};

} // namespace pelvo::hub
