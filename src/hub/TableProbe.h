#pragma once
// Asks a table whether it answers: the network search's query datagram sent to its game port,
// repeated a few times, until an answer from that address and port comes back or the time is up.
// The hub lists nothing that does not answer where it claims to be.

// own
#include "protocol/Discovery.h"

// Qt
#include <QHostAddress>
#include <QObject>
#include <QTimer>

// std
#include <functional>
#include <optional>

class QUdpSocket;

namespace pelvo::hub {

class TableProbe : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(std::optional<discovery::TableInfo>)>;

    // Calls `done` once, from the event loop, then deletes itself. `timeoutMs` bounds the wait.
    static void ask(const QHostAddress& address, quint16 port, Done done, int timeoutMs = 2000,
                    QObject* context = nullptr);

private:
    TableProbe(const QHostAddress& address, quint16 port, Done done, int timeoutMs,
               QObject* parent);
    void send();
    void readPending();
    void finish(std::optional<discovery::TableInfo> info);

    QHostAddress address_;
    quint16 port_;
    Done done_;
    QUdpSocket* socket_;
    QTimer resend_;
    QTimer deadline_;
};

} // namespace pelvo::hub
