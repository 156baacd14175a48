#pragma once
// Looks for tables on this network: sends the discovery query (protocol/Discovery.h) to the
// game port of every machine on the local network, or of PELVO_DISCOVERY_ADDRESS when it is set
// (tests ask 127.0.0.1 only), and collects the answers as they come.

// own
#include "protocol/Discovery.h"

// Qt
#include <QList>
#include <QObject>
#include <QString>

class QUdpSocket;

namespace pelvo {

class TableFinder : public QObject {
    Q_OBJECT
public:
    struct Found {
        QString address; // where the answer came from: the address to join
        discovery::TableInfo table;
    };

    explicit TableFinder(QObject* parent = nullptr);
    ~TableFinder() override;

    // Forgets earlier answers and asks again; false when the query could not be sent.
    bool search(quint16 port);
    const QList<Found>& found() const { return found_; }

    // PELVO_DISCOVERY_ADDRESS, else the local network's broadcast address.
    static QString queryAddress();

signals:
    // A table answered (each address and port once per search).
    void tableFound(const pelvo::TableFinder::Found& found);

private:
    void readAnswers();

    QUdpSocket* socket_ = nullptr;
    QList<Found> found_;
};

} // namespace pelvo
