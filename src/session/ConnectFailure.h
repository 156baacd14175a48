#pragma once
// Why a connection to a table could not be made, in words a player can act on: what happened
// and what to try. The window shows the text and ends.

// Qt
#include <QString>

namespace pelvo {

enum class ConnectFailure {
    NothingListening, // the address answered that nothing listens on the port
    Refused,          // something took the connection and dropped it before the game began
    Blocked,          // this computer's firewall stopped the attempt
    Unreachable,      // no route to the address
    TimedOut,         // no answer, or no table's greeting, in time
    LookupFailed,     // the name is no known computer
    Other,
};

// The kind of a socket error number as the socket component reports it (10061 and so on).
ConnectFailure classifyConnectError(int wsaNumber);

struct ConnectFailureReport {
    ConnectFailure kind = ConnectFailure::Other;
    QString address;
    QString port;
    int timeoutMs = 0; // for TimedOut
    QString detail;    // for Other: the component's own text
};

QString connectFailureText(const ConnectFailureReport& report);

// Hosting found the game port taken: the offer to join what runs there.
QString portInUseQuestion(const QString& port);

} // namespace pelvo
