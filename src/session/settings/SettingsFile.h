#pragma once
// The settings file "kavrelhub.ini", section `gamename`. Every access opens the file, works key
// by key and closes it again; nothing is cached. Other sections and keys stay as they are.

#include "session/Settings.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <stdexcept>

namespace pelvo {

// A write the system refused: "Unable to write to " + the file's full path.
class SettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The program's name on the desktop: its desktop entry, icon and metadata are named after it.
inline constexpr char desktopId[] = "org.pelvo.Pelvo";

// The per-user folder of what the program keeps for its player (game records, seat tokens):
// PELVO_HOME when set, else the per-user data folder.
QString userDataFolder();
// Folder of the settings and tally files: PELVO_HOME, else the program's folder, else (when
// that cannot be written, or the program is installed) the per-user data folder.
QString dataFolder();
// The choice behind dataFolder(): home when set, else programFolder when it can be written (or
// there is no userFolder) and is not an installed program's folder, else userFolder, which is
// created.
QString chooseDataFolder(const QString& home, const QString& programFolder,
                         const QString& userFolder);
// True for the "bin" (or "games") folder of an installed program: its desktop entry lies in the
// share folder beside it.
bool isInstalledProgramFolder(const QString& folder);
// Full path of "kavrelhub.ini" in dataFolder().
QString settingsPath();

// Reads every key into `settings`. Never fails: a missing or unreadable file gives the
// defaults; an empty phrase keeps the phrase `settings` already holds.
void loadinifile(const QString& path, const QString& section, Settings& settings);
// Writes every key but the phrases, in order ("Botlevel" only once it is not the default or is
// in the file already). Throws SettingsWriteError at the first key the
// system refuses (only "Textcolor" swallows its own error). `beforeKey` runs before each key is
// written (tests use it to refuse a write part way through).
void saveinifile(const QString& path, const QString& section, const Settings& settings,
                 const std::function<void(const QString& key)>& beforeKey = {});
// The phrase editor's "Done": "Phrase1" to "Phrase9", empty ones included. Throws
// SettingsWriteError at the first key the system refuses.
void writePhrases(const QString& path, const QString& section, const QStringList& phrases);

} // namespace pelvo
