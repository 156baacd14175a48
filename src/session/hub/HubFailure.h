#pragma once
// Why a request to a hub came to nothing, and the words a player reads for it: what happened
// and what to try.

// Qt
#include <QString>

namespace pelvo::hub {

enum class Failure {
    Unreachable,   // no connection, or no answer in time
    Full,          // the hub runs as many tables as it can
    StartFailed,   // the hub could not start a table just now
    TooManyTables, // this address has made as many tables as the hub allows
    CodeUnknown,   // no table has that code
    TableGone,     // the table closed or left the list
    RateLimited,   // too many requests from this address just now
    Refused,       // the hub refused the request as it was made
    BadAnswer,     // the answer was not the hub's interface (another service, a broken proxy)
};

struct Error {
    Failure kind = Failure::BadAnswer;
    QString hubMessage; // the hub's own words, when it sent any

    friend bool operator==(const Error&, const Error&) = default;
};

// The kind of a failed answer from its HTTP status and the hub's error code.
Failure classifyAnswer(int status, const QString& errorCode);

// What happened and what to try, for the hub at `hub` (as the player typed it).
QString failureText(const Error& error, const QString& hub);

} // namespace pelvo::hub
