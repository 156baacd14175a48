#pragma once
// A TCP listener for the HTTP services that an open network cannot exhaust: it caps the
// connections it holds (in total and per peer address) and closes connections that stall.
//
// Hand it to QAbstractHttpServer::bind() after listen(); the HTTP server takes each accepted
// socket as usual. The guard only watches: it never reads or writes a socket it accepted.
//
//   - Over the per-address cap, a new connection is closed at once (refused).
//   - Over the total cap, the connection that has gone longest without sending a byte is closed
//     to make room, if it has been quiet a while; otherwise the newcomer is refused. So a crowd
//     of stalled connections cannot keep an honest request out.
//   - A connection that sends nothing for `idleMs`, or lives longer than `lifetimeMs` however
//     slowly it trickles, is closed (timed out). Either bound <= 0 is off.
//
// Long-lived connections (a WebSocket after its upgrade) must be released with release(): they
// then stay counted against the caps until they close, but no time-out applies to them any more.
// QAbstractHttpServer drops every signal connection of a socket it upgrades, so the guard finds
// out about the socket's end by polling; release() it as soon as the upgrade is seen (in the
// newWebSocketConnection handler, with the QWebSocket's peerAddress() and peerPort()).

// Qt
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QPointer>
#include <QTcpServer>
#include <QTimer>

// std
#include <cstdint>
#include <list>

class QTcpSocket;

namespace pelvo {

class GuardedTcpServer : public QTcpServer {
    Q_OBJECT
public:
    struct Limits {
        int maxConnections = 64;
        int maxPerAddress = 8;
        int idleMs = 10'000;     // without a byte received
        int lifetimeMs = 30'000; // from accept, unless released
    };

    explicit GuardedTcpServer(QObject* parent = nullptr);
    explicit GuardedTcpServer(Limits limits, QObject* parent = nullptr);
    ~GuardedTcpServer() override;

    const Limits& limits() const { return limits_; }

    // Lifts the time-outs from the connection of that peer (see above); false when the guard
    // holds no such connection.
    bool release(const QHostAddress& peer, quint16 peerPort);

    // Connections held now, and counters since start for the caller's metrics.
    int connections() const { return int(held_.size()); }
    std::uint64_t refused() const { return refused_; }   // turned away at accept
    std::uint64_t evicted() const { return evicted_; }   // closed to make room for a newcomer
    std::uint64_t timedOut() const { return timedOut_; } // closed for idling or living too long

protected:
    void incomingConnection(qintptr descriptor) override;

private:
    struct Held {
        QPointer<QTcpSocket> socket;
        const QObject* key = nullptr; // the socket's address, valid as a key after it is gone
        QHostAddress peer;
        quint16 peerPort = 0;
        qint64 acceptedAt = 0;
        qint64 lastReadAt = 0;
        bool released = false;
    };
    using List = std::list<Held>;

    qint64 now() const { return clock_.elapsed(); }
    bool makeRoom();
    void close(QTcpSocket* socket);
    void forget(const QObject* socket);
    void sweep();

    Limits limits_;
    QElapsedTimer clock_;
    List held_;
    QHash<const QObject*, List::iterator> index_;
    QHash<QHostAddress, int> perAddress_;
    QTimer sweeper_;
    std::uint64_t refused_ = 0;
    std::uint64_t evicted_ = 0;
    std::uint64_t timedOut_ = 0;
};

} // namespace pelvo
