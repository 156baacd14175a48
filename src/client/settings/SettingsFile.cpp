#include "client/settings/SettingsFile.h"

#include <QCoreApplication>

namespace pelvo {

// Placeholder until the settings file is built: nothing is read or written.
QString dataFolder() {
    const QString home = qEnvironmentVariable("PELVO_HOME");
    return home.isEmpty() ? QCoreApplication::applicationDirPath() : home;
}
QString settingsPath() { return dataFolder() + "/kavrelhub.ini"; }
void loadinifile(const QString&, const QString&, SettingsTarget&) {}
void saveinifile(const QString&, const QString&, const SettingsTarget&) {}
void writePhrases(const QString&, const QString&, const QStringList&) {}

} // namespace pelvo
