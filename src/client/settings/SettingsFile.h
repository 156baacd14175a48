#pragma once
// The settings file "kavrelhub.ini", section `gamename`. Every access opens the file, works key
// by key and closes it again; nothing is cached. Other sections and keys stay as they are.

#include "client/ClientState.h"

#include <QString>
#include <QStringList>

#include <stdexcept>

namespace pelvo {

// A write the system refused: "Unable to write to " + the file's full path.
class SettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The state that the settings file reads into and writes from; the main window implements it.
class SettingsTarget {
public:
    virtual ~SettingsTarget() = default;
    virtual int textSize() const = 0;
    virtual void setTextSize(int points) = 0;   // all chat styles; lays the view out again
    virtual void checkSizeItem(int points) = 0; // N<points> checked, or none
    virtual WindowPlace windowPlace() const = 0;
    virtual void setWindowPlace(const WindowPlace& place) = 0; // also becomes `savedplace`
    virtual quint32 chatColour() const = 0;
    virtual void setChatColour(quint32 colour) = 0;
    virtual int playtoscore() const = 0; // UpDown1 position
    virtual void setPlaytoscore(int position) = 0;
    virtual int botBox(int seat) const = 0; // tag of image_bot3 / image_bot4
    virtual void changebox(int seat, int value) = 0;
    virtual int botSpeed() const = 0;     // tag of BotSpeed1
    virtual void setBotSpeed(int ms) = 0; // 2000, 1000 or 500, with the check mark
    virtual int turnSound() const = 0;    // tag of TurnSound1
    virtual void setTurnSound(int tag) = 0;
    virtual void setPhrase(int n, const QString& phrase) = 0; // n = 1..9, non-empty only
    virtual bool playSounds() const = 0;
    virtual void setPlaySounds(bool on) = 0;
    virtual bool playerPhraseSounds() const = 0;
    virtual void setPlayerPhraseSounds(bool on) = 0;
};

// Folder of the settings and tally files: PELVO_HOME, else the program's folder, else (when
// that cannot be written) the per-user data folder.
QString dataFolder();
// The choice behind dataFolder(): home when set, else programFolder when it can be written (or
// there is no userFolder), else userFolder, which is created.
QString chooseDataFolder(const QString& home, const QString& programFolder,
                         const QString& userFolder);
// Full path of "kavrelhub.ini" in dataFolder().
QString settingsPath();

// Reads every key in order and applies it. Never fails: a missing or unreadable file gives
// the defaults.
void loadinifile(const QString& path, const QString& section, SettingsTarget& target);
// Writes every key but the phrases, in order. Throws SettingsWriteError at the first key the
// system refuses (only "Textcolor" swallows its own error).
void saveinifile(const QString& path, const QString& section, const SettingsTarget& target);
// The phrase editor's "Done": "Phrase1" to "Phrase9", empty ones included. Throws
// SettingsWriteError at the first key the system refuses.
void writePhrases(const QString& path, const QString& section, const QStringList& phrases);

} // namespace pelvo
