#pragma once
// What a table has done since it started, for an operator's monitoring: plain counters that the
// host raises as things happen, and the gauges read from the table when someone asks. No
// sockets here; pelvo-table serves the text over HTTP.

// Qt
#include <QByteArray>
#include <QElapsedTimer>

// std
#include <cstdint>

namespace pelvo {

struct TableMetrics {
    std::uint64_t connectionsAccepted = 0;
    std::uint64_t connectionsRefused = 0; // a tenth connection at a full table
    std::uint64_t logins = 0;             // a reclaim counts as the login it is
    std::uint64_t reclaims = 0;           // of them, those that got a kept seat back
    std::uint64_t gamesStarted = 0;
    std::uint64_t gamesFinished = 0; // to a winner
    std::uint64_t framesIn = 0;
    std::uint64_t framesOut = 0;
    std::uint64_t bytesIn = 0;
    std::uint64_t bytesOut = 0;
    // Connections the table closed itself, by reason.
    std::uint64_t closedFlood = 0;        // too many lines waiting to be handled
    std::uint64_t closedRate = 0;         // sent frames past the per-connection rate
    std::uint64_t closedLoginTimeout = 0; // no login in time
    std::uint64_t closedOversized = 0;    // a frame past the size limit
    std::uint64_t closedStalled = 0;      // stopped reading what the table sends
    std::uint64_t kicked = 0;             // removed by the player with the rights
    QElapsedTimer uptime;

    TableMetrics() { uptime.start(); }
};

// The moment's state of the table, read when the metrics are asked for.
struct TableGauges {
    int players = 0;       // connected and logged in at seats 1 to 4, playing themselves
    int justWatch = 0;     // at seats 1 to 4, letting the computer play ("Just Watch")
    int spectators = 0;    // logged in at slots 5 to 9
    int loggingIn = 0;     // connected, login not yet received
    int computerSeats = 0; // seats of a running game that the computer plays
    bool gameRunning = false;
    int queuedLines = 0;
};

// The Prometheus text exposition (format 0.0.4) of both.
QByteArray prometheusText(const TableMetrics& m, const TableGauges& g);

} // namespace pelvo
