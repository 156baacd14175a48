#include "session/SeatKeys.h"

// own
#include "protocol/Notices.h"
#include "session/settings/SettingsFile.h"

// Qt
#include <QDir>
#include <QFile>
#include <QSaveFile>

namespace pelvo::seatkeys {

namespace {
// A host name as part of a file name: nothing that leaves the folder or the name.
QString safe(const QString& text) {
    QString out;
    for (const QChar c : text)
        out += (c.isLetterOrNumber() && c.unicode() < 128) || c == u'.' || c == u'-' ? c : u'_';
    return out;
}
} // namespace

QString defaultFolder() {
    return userDataFolder();
}

QString pathOf(const QString& folder, const QString& host, const QString& port) {
    return QDir(folder).filePath(QStringLiteral("seat-%1-%2.key").arg(safe(host), safe(port)));
}

QString load(const QString& folder, const QString& host, const QString& port) {
    QFile file(pathOf(folder, host, port));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    const QString token = QString::fromLatin1(file.read(256)).trimmed();
    return notice::isToken(token) ? token : QString();
}

bool save(const QString& folder, const QString& host, const QString& port, const QString& token) {
    if (folder.isEmpty() || !QDir().mkpath(folder)) return false;
    QSaveFile file(pathOf(folder, host, port));
    if (!file.open(QIODevice::WriteOnly)) return false;
    // The token is a key to a seat: no one else reads it.
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(token.toLatin1() + '\n');
    return file.commit();
}

void remove(const QString& folder, const QString& host, const QString& port) {
    if (!folder.isEmpty()) QFile::remove(pathOf(folder, host, port));
}

} // namespace pelvo::seatkeys
