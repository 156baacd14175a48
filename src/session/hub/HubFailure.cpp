#include "session/hub/HubFailure.h"

namespace pelvo::hub {

Failure classifyAnswer(int status, const QString& errorCode) {
    if (errorCode == u"hub_full") return Failure::Full;
    if (errorCode == u"start_failed") return Failure::StartFailed;
    if (errorCode == u"too_many_tables") return Failure::TooManyTables;
    if (errorCode == u"unknown_code") return Failure::CodeUnknown;
    if (errorCode == u"rate_limited") return Failure::RateLimited;
    switch (status) {
    case 503:
        return Failure::Full;
    case 429:
        return Failure::RateLimited;
    case 404:
    case 410:
        return Failure::TableGone;
    case 400:
    case 413:
    case 422:
        return Failure::Refused;
    default:
        return Failure::BadAnswer;
    }
}

QString failureText(const Error& error, const QString& hub) {
    switch (error.kind) {
    case Failure::Unreachable:
        return QStringLiteral("The hub at %1 does not answer. Check the address and this "
                              "computer's connection to the internet, then press Connect again.")
            .arg(hub);
    case Failure::Full:
        return QStringLiteral("The hub at %1 is full: it runs as many tables as it can. Join a "
                              "table that has a free seat, or try again in a few minutes.")
            .arg(hub);
    case Failure::StartFailed:
        return QStringLiteral("The hub at %1 could not start a table just now. Try again in a "
                              "minute, or join a table in the list.")
            .arg(hub);
    case Failure::TooManyTables:
        return QStringLiteral("Your address already has as many tables on this hub as it may "
                              "have. Join one of them, or wait until one of them closes.");
    case Failure::CodeUnknown:
        return QStringLiteral("No table has that code. Check the code with the friend who gave "
                              "it to you (it has six letters and digits); the table may have "
                              "closed.");
    case Failure::TableGone:
        return QStringLiteral("That table is gone: it closed or left the list. Choose another "
                              "table, or create one.");
    case Failure::RateLimited:
        return QStringLiteral("The hub is asked too often from your address just now. Wait a "
                              "minute, then try again.");
    case Failure::Refused:
        return error.hubMessage.isEmpty()
                   ? QStringLiteral("The hub refused the request. Check what you typed, then "
                                    "try again.")
                   : QStringLiteral("The hub refused the request: %1").arg(error.hubMessage);
    case Failure::BadAnswer:
        break;
    }
    return QStringLiteral("The answer from %1 does not look like a Pelvo hub. Check the address "
                          "(the hub's port is usually 7780).")
        .arg(hub);
}

} // namespace pelvo::hub
