#pragma once
// How the hub gets a table running. The hub asks for a table and learns where players reach it;
// one implementation starts local pelvo-table processes, another could ask a fleet manager for a
// game server on another machine. The started table reports to the hub like any other.

// own
#include "hub/HubJson.h"

// Qt
#include <QObject>
#include <QString>

// std
#include <functional>
#include <optional>

namespace pelvo::hub {

struct LaunchRequest {
    QString id;   // the listing the table reports under
    QString key;  // its reporter's secret (never on a command line)
    QString code; // a private table's join code; empty for a public one
    QString name;
    Level level = Level::Classic;
    bool isPrivate = false;
    int reportSeconds = 15; // how often the table reports at the least
};

struct LaunchedTable {
    QString address; // empty: the hub's public address
    quint16 port = 0;
};

class TableLauncher : public QObject {
    Q_OBJECT
public:
    using Done = std::function<void(std::optional<LaunchedTable>)>;
    using QObject::QObject;

    // Starts a table; `done` is called once, when it takes players or has failed.
    virtual void launch(const LaunchRequest& request, Done done) = 0;
    // Asks the table `id` to close (its players are told, its record kept).
    virtual void stop(const QString& id) = 0;
    // Asks every table to close and calls `done` once all have gone (or `graceMs` passed).
    virtual void stopAll(std::function<void()> done, int graceMs) = 0;
    // Tables started and not yet ended.
    virtual int running() const = 0;

signals:
    // A table started here has ended, however.
    void ended(const QString& id);
};

} // namespace pelvo::hub
