#pragma once
// What the player chose in "Host or Join a Table…": a name, host or join, an address and a
// port; what of it the settings file remembers (the name and the recent addresses, two keys of
// their own); and the command line that goes on with it, as the lobby program would start us.

// Qt
#include <QString>
#include <QStringList>

// std
#include <optional>

namespace pelvo {

struct TableChoice {
    QString name;
    bool host = false;
    QString address; // where to join; a host plays on this machine
    quint16 port = 0;
    bool justWatch = false;   // join, then leave the seat to the computer and watch
    QString privateCode = {}; // the join code of a private table its creator goes to
    QString listOnHub = {};   // a hosted table is listed on this hub; empty: not listed

    friend bool operator==(const TableChoice&, const TableChoice&) = default;
};

// Empty when the choice can be played; otherwise what is missing, for the player.
QString checkTableChoice(const TableChoice& choice);

// The program's parameters NAME ADDRESS true|false, and the game port when it is not the one
// the program would use anyway (it then goes to the restarted program as PELVO_PORT).
// A join to watch, the code of a private table to show its creator, and the hub a hosted table
// is listed on go to the new start as PELVO_JUST_WATCH=1, PELVO_TABLE_CODE and
// PELVO_LIST_ON_HUB.
struct RestartPlan {
    QStringList arguments;
    std::optional<quint16> port;
    bool justWatch = false;
    QString privateCode = {};
    QString listOnHub = {};

    friend bool operator==(const RestartPlan&, const RestartPlan&) = default;
};
RestartPlan restartPlan(const TableChoice& choice, const QString& currentPort);

// Keys "Playername" and "Recentaddresses" (most recent first, comma separated) in the game's
// section of the settings file.
struct RememberedTables {
    QString playerName;
    QStringList recentAddresses;
};
inline constexpr int MaxRecentAddresses = 8;
RememberedTables loadRememberedTables(const QString& path, const QString& section);
// Writes the name and, for a join, puts the address first among the recent ones. Only these
// two keys change. Throws SettingsWriteError when the system refuses the write.
void rememberTableChoice(const QString& path, const QString& section, const TableChoice& choice);

// Key "Hubaddress": the hub the lobby window last connected to, as the player typed it. It is
// written only once a player has chosen a hub. Throws SettingsWriteError.
QString loadHubAddress(const QString& path, const QString& section);
void rememberHubAddress(const QString& path, const QString& section, const QString& address);

} // namespace pelvo
