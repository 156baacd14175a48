#pragma once
// The way to the table: the socket, its frames, the queue of received lines handed out one at a
// time, the connect timeout, the seat's token and the reconnect after a drop. It knows nothing
// of the game; the session tells it when a login, a reclaim or a kept seat is due.

// own
#include "protocol/FrameSplitter.h"
#include "protocol/LineQueue.h"
#include "session/ConnectFailure.h"

// Qt
#include <QObject>

// std
#include <functional>

class QTimer;

namespace pelvo {

class TSock;

class Connection : public QObject {
    Q_OBJECT
public:
    explicit Connection(QObject* parent = nullptr);
    ~Connection() override;

    // Who handles a received line (the session), one at a time.
    void setHandler(std::function<void(const QString&)> handler) { handler_ = std::move(handler); }

    // Connects to the host at `address` on the game port. Throws ESockException when the socket
    // cannot even start (a name that no lookup finds). A refused, dropped or silent attempt ends
    // in failed: the host must greet with a frame within the connect timeout.
    void open(const QString& address);
    // PELVO_CONNECT_TIMEOUT_MS, else 20 s.
    int connectTimeout() const { return connectTimeoutMs_; }
    void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }
    // Hands one frame to the host. False when nothing could go out (no connection).
    bool send(const QByteArray& frame);
    // Replaces the socket as the way out (tests, replays). Empty: the socket again.
    void setTransport(std::function<bool(const QByteArray&)> send) { transport_ = std::move(send); }

    TSock* sock() const { return sock_; }
    QTimer* dispatchTimer() const { return timer1_; }
    LineQueue& received() { return receivedlist_; }

    // No more dispatch (the window is closing, or the session ended).
    void stop();
    bool closing() const { return closing_; }
    // Everything still queued is dropped and dispatch stops.
    void dropQueue();
    void sockRead();
    void sockInfo(int code, const QString& text);
    // Hands the oldest received line to the handler.
    void dispatchOne();
    // Runs `handle` as a line's handler: a hang-up during it is acted on once it returns.
    void whileHandling(const std::function<void()>& handle);

    // ---- The seat's token ----
    // Where the token is kept between runs (empty, the default: in memory only).
    void setTokenFolder(const QString& folder) { tokenFolder_ = folder; }
    QString token() const { return token_; }
    void setToken(const QString& token, int reserveSeconds);
    // The token in the token folder while a game runs; gone from there when it ends.
    void keepToken();
    void unstoreToken();
    void dropToken(); // the host did not take it: forgotten here and there

    // The login, or with a token the request for the seat it keeps.
    void sendLogin(int slot, const QString& name);
    // The host told of our own login: a reclaim it did not answer with the seat is over.
    void ownLoginSeen();
    // The host gave the kept seat back.
    void seatBack();

    // ---- Reconnecting ----
    // The first wait before reconnecting, in ms; each further wait doubles. Default:
    // PELVO_RECONNECT_MS, else 1000.
    void setReconnectBase(int ms) { reconnectBase_ = ms; }
    bool reconnecting() const { return reconnecting_; }
    // Starts reconnecting, when the host keeps the seat for a while; false when it does not.
    bool startReconnect();
    // This try found nobody, or the table took the connection and dropped it again.
    void retryLater();
    // How long a reclaim waits for its answer before the ordinary login goes out (ms).
    static constexpr int ReclaimPatience = 3000;

signals:
    // A line arrived from the host (before it is handled), and a frame went out to it.
    void lineReceived(const QString& line);
    void frameSent(const QByteArray& frame);
    // The connection could not be made; `text` says why and what to try.
    void failed(const QString& text);
    // The host hung up, and what it sent before has been handled.
    void lost();
    // The seat's reservation ran out while reconnecting.
    void gaveUp();

private:
    void failConnect(ConnectFailure kind, int wsaNumber, const QString& detail);
    void retryConnection();

    std::function<void(const QString&)> handler_;
    LineQueue receivedlist_;
    FrameSplitter splitter_{FrameSplitter::Oversize::Skip};
    TSock* sock_ = nullptr;
    QTimer* timer1_ = nullptr;
    std::function<bool(const QByteArray&)> transport_;
    int dispatching_ = 0;        // handlers running (a message box nests them)
    bool hangUpPending_ = false; // the host hung up during a handler
    bool closing_ = false;
    QTimer* connectTimer_ = nullptr;
    int connectTimeoutMs_ = 20000;
    bool loginPending_ = false;  // connecting, and no frame from the host yet
    bool connectFailed_ = false; // reported once; the socket's later notices are ignored

    QString hostAddress_;
    QString tokenFolder_;
    QString token_;
    int reserveSeconds_ = 0;
    int reconnectBase_ = 0; // 0: not read yet
    bool reconnecting_ = false;
    bool reclaimPending_ = false; // a reclaim went out and has no answer yet
    bool ignoreClose_ = false;    // closing the old socket before a new try
    int attempt_ = 0;
    int logins_ = 0; // logins sent, so that a late fallback knows it is late
    qint64 deadline_ = 0;
    QTimer* retry_ = nullptr;
};

} // namespace pelvo
