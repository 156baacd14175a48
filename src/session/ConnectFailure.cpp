#include "session/ConnectFailure.h"

namespace pelvo {

ConnectFailure classifyConnectError(int wsaNumber) {
    switch (wsaNumber) {
    case 10061: // ECONNREFUSED
        return ConnectFailure::NothingListening;
    case 10053: // ECONNABORTED
    case 10054: // ECONNRESET
        return ConnectFailure::Refused;
    case 10013: // EACCES, EPERM
        return ConnectFailure::Blocked;
    case 10050: // ENETDOWN
    case 10051: // ENETUNREACH
    case 10064: // EHOSTDOWN
    case 10065: // EHOSTUNREACH
        return ConnectFailure::Unreachable;
    case 10060: // ETIMEDOUT
        return ConnectFailure::TimedOut;
    default:
        return ConnectFailure::Other;
    }
}

namespace {
QString duration(int ms) {
    if (ms == 1000) return QStringLiteral("1 second");
    if (ms % 1000 == 0) return QStringLiteral("%1 seconds").arg(ms / 1000);
    return QStringLiteral("%1 seconds").arg(ms / 1000.0, 0, 'g', 3);
}
} // namespace

QString connectFailureText(const ConnectFailureReport& r) {
    const QString& a = r.address;
    const QString& p = r.port;
    switch (r.kind) {
    case ConnectFailure::NothingListening:
        return QStringLiteral("Nothing answers at %1 port %2. Is the table running, and does its "
                              "firewall let port %2 in?")
            .arg(a, p);
    case ConnectFailure::Refused:
        return QStringLiteral("%1 port %2 refused the connection: it let us in and closed again "
                              "before the game began. Is that the address and port of a Pelvo "
                              "table?")
            .arg(a, p);
    case ConnectFailure::Blocked:
        return QStringLiteral("This computer's firewall stopped the connection to %1 port %2. "
                              "Let Pelvo use the network in the firewall, then try again.")
            .arg(a, p);
    case ConnectFailure::Unreachable:
        return QStringLiteral("%1 cannot be reached from this computer. Is the address right, and "
                              "is this computer connected to the network?")
            .arg(a);
    case ConnectFailure::TimedOut:
        return QStringLiteral("No table answered at %1 port %2 within %3. Is the address right, "
                              "is the table running, and does its firewall let port %2 in?")
            .arg(a, p, duration(r.timeoutMs));
    case ConnectFailure::LookupFailed:
        return QStringLiteral("No computer named %1 was found. Check the spelling of the "
                              "address, or use its number (for example 192.168.1.20).")
            .arg(a);
    case ConnectFailure::Other:
        break;
    }
    return QStringLiteral("Could not connect to %1 port %2 (%3). Check the address and port, "
                          "then try again.")
        .arg(a, p, r.detail);
}

QString portInUseQuestion(const QString& port) {
    return QStringLiteral("Port %1 is already in use on this computer, perhaps by a Pelvo table "
                          "that is running. Join the table running here instead?")
        .arg(port);
}

} // namespace pelvo
