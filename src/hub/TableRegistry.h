#pragma once
// Every table the hub knows, as soft state: what each table last reported, rebuilt from the
// reports alone after a restart. A listing that stops reporting is dropped by its owner (the
// HubService's sweep); this class only keeps and answers.

// own
#include "hub/HubJson.h"

// Qt
#include <QHash>
#include <QJsonArray>
#include <QObject>
#include <QString>

// std
#include <vector>

namespace pelvo::hub {

struct Listing {
    QString id;
    QString key;          // the reporter's secret; only its holder changes the listing
    QString address;      // where players connect
    QString probeAddress; // where the hub checks that the table answers
    TableReport report;
    qint64 reportedAtMs = 0; // the hub's clock at the last report (or the listing)
    qint64 occupiedAtMs = 0; // the last time anybody was at the table
    bool startedHere = false;
    QString creator; // the address that asked this hub to start it; empty otherwise
};

class TableRegistry : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    Listing* find(const QString& id);
    const Listing* byCode(const QString& code) const;
    // Adds or replaces the listing with that id.
    void put(Listing listing);
    // Takes a table's report; false when the id is unknown.
    bool update(const QString& id, const TableReport& report, qint64 nowMs);
    bool remove(const QString& id);

    qsizetype size() const { return tables_.size(); }
    int countByCreator(const QString& address) const;
    // The tables anyone may see, in the order they were listed.
    QJsonArray publicTables() const;
    // Ids of tables not heard from for `silenceMs`.
    std::vector<QString> silentSince(qint64 nowMs, qint64 silenceMs) const;
    // Ids of tables started here that nobody has been at for `idleMs`.
    std::vector<QString> idleSince(qint64 nowMs, qint64 idleMs) const;
    std::vector<QString> startedHere() const;
    std::vector<const Listing*> all() const;

    static QJsonObject tableJson(const Listing& listing);

signals:
    // The public list changed (a table appeared, went, or its state changed).
    void publicChanged();

private:
    QHash<QString, Listing> tables_;
    QHash<QString, QString> codes_; // code -> id
    std::vector<QString> order_;
};

} // namespace pelvo::hub
