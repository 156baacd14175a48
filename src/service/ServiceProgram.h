#pragma once
// What the table and the hub set up before they read their options.

// own
#include "net/SignalWatcher.h"

// Qt
#include <QCommandLineParser>

namespace pelvo {

// The program's name and version for --help and --version, and the stop signals (SIGTERM,
// SIGINT, SIGHUP) caught from the start, before anyone can connect. A log reader that went away
// (a hub that started a table and died) must not end the service: writes to a closed stderr
// fail quietly instead.
struct ServiceProgram {
    ServiceProgram(const QString& name, const QString& version, const QString& description);

    QCommandLineParser parser;
    SignalWatcher stopSignals{SignalWatcher::stopSignals()};
};

// A caught signal's name for the log ("TERM"), "?" for an unknown number.
QString signalName(int number);

} // namespace pelvo
