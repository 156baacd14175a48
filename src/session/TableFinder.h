#pragma once
// Looks for tables on this network: sends the discovery query (protocol/Discovery.h) to the
// game port of every machine on the local network, or of PELVO_DISCOVERY_ADDRESS when it is set
// (tests ask 127.0.0.1 only), and collects the answers as they come. Anyone on the network can
// answer, so the list is bounded and the names in it are made safe to show.

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
        QString address;            // where the answer came from: the address to join
        discovery::TableInfo table; // names as shownName() makes them; a blank table name
                                    // becomes the address
    };

    // One row per address and port; answers for further tables are dropped.
    static constexpr int MaxTables = 64;

    explicit TableFinder(QObject* parent = nullptr);
    ~TableFinder() override;

    // Forgets earlier answers and asks again; false when the query could not be sent.
    bool search(quint16 port);
    const QList<Found>& found() const { return found_; }

    // PELVO_DISCOVERY_ADDRESS, else the local network's broadcast address.
    static QString queryAddress();

    // A name as it may be shown: no control, format (direction overrides, zero-width
    // characters) or unassigned characters, nor invisible fillers; white space collapsed.
    // Empty when nothing visible is left.
    static QString shownName(const QString& name);

signals:
    // A table answered for the first time in this search: it is found().last().
    void tableFound(const pelvo::TableFinder::Found& found);
    // A table answered again with something new: found()[index] now holds it.
    void tableUpdated(int index, const pelvo::TableFinder::Found& found);

private:
    void readAnswers();

    QUdpSocket* socket_ = nullptr;
    QList<Found> found_;
};

} // namespace pelvo
