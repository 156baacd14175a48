#pragma once
// The lobby's live side: WebSocket connections that get the public table list whenever it
// changes, and a chat among the people looking at it. Every connection is bounded: message
// size, chat rate, what may wait unsent for it, and how long it may stay silent.

// own
#include "hub/RateLimiter.h"

// Qt
#include <QJsonObject>
#include <QObject>
#include <QTimer>

// std
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class QWebSocket;

namespace pelvo::hub {

class TableRegistry;

class Lobby : public QObject {
    Q_OBJECT
public:
    struct Options {
        int perAddress = 16;           // lobby connections from one address
        int maxConnections = 4096;     // in all
        int historyLines = 100;        // chat lines a newcomer gets
        double chatBurst = 5;          // lines a connection may send at once
        double chatPerSecond = 0.5;    // and then this many per second
        int strikes = 20;              // refused messages before the connection is closed
        qint64 silenceMs = 60000;      // no message and no answer to a ping: the connection goes
        qint64 maxUnsent = 256 * 1024; // bytes waiting for a reader that does not read
    };

    Lobby(TableRegistry& registry, Options options, QObject* parent = nullptr);
    ~Lobby() override;

    // Takes a connection the HTTP server upgraded; closes it if it is not for the lobby or its
    // address has too many.
    void accept(std::unique_ptr<QWebSocket> socket);
    int connections() const { return int(clients_.size()); }
    std::uint64_t chatLines() const { return chatLines_; }
    std::uint64_t refused() const { return refused_; }
    void closeAll();

    std::function<void(const QString&)> eventLog;

private:
    struct Client;
    void onText(Client* client, const QString& text);
    void sendTo(Client* client, const QJsonObject& message);
    void broadcast(const QJsonObject& message);
    void drop(Client* client);
    QJsonObject tablesMessage() const;
    void sweep();

    TableRegistry& registry_;
    Options options_;
    std::vector<std::unique_ptr<Client>> clients_;
    std::deque<QJsonObject> history_;
    QTimer tablesChanged_; // gathers a burst of changes into one message
    QTimer sweep_;
    std::uint64_t chatLines_ = 0;
    std::uint64_t refused_ = 0;
};

} // namespace pelvo::hub
