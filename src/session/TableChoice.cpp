#include "session/TableChoice.h"

// own
#include "session/settings/IniFile.h"
#include "session/settings/SettingsFile.h"

// Qt
#include <QFileInfo>

namespace pelvo {

namespace {
constexpr char NameKey[] = "Playername";
constexpr char RecentKey[] = "Recentaddresses";
constexpr char HubKey[] = "Hubaddress";

// An address fit for the list: no separator, no blank, no control character.
bool listable(const QString& address) {
    if (address.isEmpty() || address.size() > 253) return false;
    for (QChar c : address)
        if (c == u',' || c.isSpace() || c.category() == QChar::Other_Control) return false;
    return true;
}

void write(IniFile& file, const QString& section, const QString& key, const QString& value) {
    if (!file.writeString(section, key, value))
        throw SettingsWriteError(
            ("Unable to write to " + QFileInfo(file.path()).absoluteFilePath()).toStdString());
}
} // namespace

QString checkTableChoice(const TableChoice& choice) {
    if (choice.name.trimmed().isEmpty()) return QStringLiteral("Please type your name.");
    if (!choice.host && choice.address.trimmed().isEmpty())
        return QStringLiteral("Please type the address of the table to join.");
    if (choice.port == 0) return QStringLiteral("Please choose a port from 1 to 65535.");
    return QString();
}

RestartPlan restartPlan(const TableChoice& choice, const QString& currentPort) {
    RestartPlan plan;
    // A host's own window always joins on loopback; the address is only the lobby's habit.
    const QString address = choice.host ? QStringLiteral("127.0.0.1") : choice.address.trimmed();
    plan.arguments = {choice.name.trimmed(), address,
                      choice.host ? QStringLiteral("true") : QStringLiteral("false")};
    if (QString::number(choice.port) != currentPort) plan.port = choice.port;
    if (!choice.host) {
        plan.justWatch = choice.justWatch;
        plan.privateCode = choice.privateCode;
    } else {
        plan.listOnHub = choice.listOnHub.trimmed();
    }
    return plan;
}

RememberedTables loadRememberedTables(const QString& path, const QString& section) {
    const IniFile file(path);
    RememberedTables out;
    out.playerName = file.readString(section, NameKey).value_or(QString()).trimmed();
    const QString recent = file.readString(section, RecentKey).value_or(QString());
    for (const QString& address : recent.split(u',', Qt::SkipEmptyParts)) {
        const QString a = address.trimmed();
        if (listable(a) && !out.recentAddresses.contains(a, Qt::CaseInsensitive))
            out.recentAddresses << a;
        if (out.recentAddresses.size() == MaxRecentAddresses) break;
    }
    return out;
}

void rememberTableChoice(const QString& path, const QString& section, const TableChoice& choice) {
    IniFile file(path);
    write(file, section, NameKey, choice.name.trimmed());
    const QString address = choice.address.trimmed();
    if (choice.host || !listable(address)) return;
    QStringList recent = loadRememberedTables(path, section).recentAddresses;
    recent.removeIf([&](const QString& a) { return a.compare(address, Qt::CaseInsensitive) == 0; });
    recent.prepend(address);
    while (recent.size() > MaxRecentAddresses) recent.removeLast();
    write(file, section, RecentKey, recent.join(u','));
}

QString loadHubAddress(const QString& path, const QString& section) {
    const QString address = IniFile(path).readString(section, HubKey).value_or(QString()).trimmed();
    return listable(address) ? address : QString();
}

void rememberHubAddress(const QString& path, const QString& section, const QString& address) {
    if (!listable(address.trimmed())) return;
    IniFile file(path);
    if (file.readString(section, HubKey).value_or(QString()) == address.trimmed()) return;
    write(file, section, HubKey, address.trimmed());
}

} // namespace pelvo
