#pragma once
// Answers the discovery query of windows looking for tables on this network: a UDP socket on the
// game port that replies to each well-formed query, to its sender only, with one datagram that
// describes this table (protocol/Discovery.h has the format). Anything else is dropped unread.

// own
#include "protocol/Discovery.h"

// Qt
#include <QElapsedTimer>
#include <QHash>
#include <QHostAddress>
#include <QObject>

// std
#include <functional>

class QUdpSocket;

namespace pelvo {

struct Table;

class DiscoveryResponder : public QObject {
    Q_OBJECT
public:
    using Describe = std::function<discovery::TableInfo()>;

    // `describe` is asked afresh for every answer.
    explicit DiscoveryResponder(Describe describe, QObject* parent = nullptr);
    ~DiscoveryResponder() override;

    // Binds the UDP port; false when it cannot (the table plays on, it is only not found).
    bool start(quint16 port);
    quint16 port() const;

    // A table on an open network must not become a loudspeaker for forged queries, and one
    // flooding sender must not use up the answers meant for everyone else: each second, each
    // sender address gets a few answers, all of them together at most MaxAnswersPerSecond, and
    // at most MaxSendersPerSecond different senders are heard. Further queries are dropped.
    static constexpr int MaxAnswersPerSecond = 20;
    static constexpr int MaxAnswersPerSender = 4;
    static constexpr int MaxSendersPerSecond = 256;

    // Counters for tests and logs.
    int answered() const { return answered_; }
    int dropped() const { return dropped_; }

    // What a host says of its table: persons seated, whether a game runs; `hostName` empty:
    // this machine's name.
    static discovery::TableInfo describeTable(const Table& table, const QString& tableName,
                                              quint16 port, QString hostName = QString());

signals:
    // After each datagram has been answered or dropped.
    void handled();

private:
    void readPending();
    // Spends one answer of the current second for `sender`; false when its budget is gone.
    bool spend(const QHostAddress& sender);

    Describe describe_;
    QUdpSocket* socket_ = nullptr;
    int answered_ = 0;
    int dropped_ = 0;
    QElapsedTimer second_;             // the current one-second budget started here
    int spent_ = 0;                    // answers sent in it
    QHash<QHostAddress, int> spentBy_; // and to each sender
};

} // namespace pelvo
