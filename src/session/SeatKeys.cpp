#include "session/SeatKeys.h"

// own
#include "protocol/Notices.h"
#include "protocol/PrivateFile.h"
#include "session/settings/SettingsFile.h"

// Qt
#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    return QDir(folder).filePath(QStringLiteral("keys/seat-%1-%2.key").arg(safe(host), safe(port)));
}

QString load(const QString& folder, const QString& host, const QString& port) {
    QFile file(pathOf(folder, host, port));
    if (!file.open(QIODevice::ReadOnly)) return QString();
    const QString token = QString::fromLatin1(file.read(256)).trimmed();
    return notice::isToken(token) ? token : QString();
}

bool save(const QString& folder, const QString& host, const QString& port, const QString& token) {
    if (folder.isEmpty()) return false;
    // The token is a key to a seat: no one else reads it, nor puts anything in its way.
    const QString path = pathOf(folder, host, port);
    return makeOwnerOnlyFolder(QFileInfo(path).path()) &&
           writeOwnerOnlyFile(path, token.toLatin1() + '\n', ExistingFile::Replace);
}

void remove(const QString& folder, const QString& host, const QString& port) {
    if (!folder.isEmpty()) QFile::remove(pathOf(folder, host, port));
}

} // namespace pelvo::seatkeys
