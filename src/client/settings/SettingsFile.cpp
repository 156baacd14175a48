#include "client/settings/SettingsFile.h"

#include "client/chat/ColourText.h"
#include "client/settings/IniFile.h"
#include "protocol/Fields.h"

// Qt
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace pelvo {

namespace {

constexpr int defaultTextSize = 8;
// A font cannot take a size of 0 or below, and a huge one would make the chat unusable.
constexpr int minTextSize = 1;
constexpr int maxTextSize = 72;
constexpr WindowPlace defaultPlace{3, 3, 772, 580}; // left, top, defaultwidth, defaultheight

// Reads key by key, each read loading the file afresh.
class Reader {
public:
    Reader(const QString& path, const QString& section) : file_(path), section_(section) {}

    QString text(const QString& key, const QString& fallback = QString()) const {
        return file_.readString(section_, key).value_or(fallback);
    }
    int integer(const QString& key, int fallback) const {
        const auto stored = file_.readString(section_, key);
        if (!stored) return fallback;
        return toInt(*stored).value_or(fallback);
    }

private:
    IniFile file_;
    QString section_;
};

// Writes key by key; a refused write raises the error that stops the save.
class Writer {
public:
    Writer(const QString& path, const QString& section) : file_(path), section_(section) {}

    void text(const QString& key, const QString& value) {
        if (!file_.writeString(section_, key, value))
            throw SettingsWriteError(
                ("Unable to write to " + QFileInfo(file_.path()).absoluteFilePath()).toStdString());
    }
    void integer(const QString& key, int value) { text(key, QString::number(value)); }
    void flag(const QString& key, bool on) { text(key, on ? "true" : "false"); }

private:
    IniFile file_;
    QString section_;
};

bool isWritableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

} // namespace

QString chooseDataFolder(const QString& home, const QString& programFolder,
                         const QString& userFolder) {
    if (!home.isEmpty()) return home;
    if (isWritableFolder(programFolder) || userFolder.isEmpty()) return programFolder;
    QDir().mkpath(userFolder);
    return userFolder;
}

QString dataFolder() {
    const QString home = qEnvironmentVariable("PELVO_HOME");
    if (!home.isEmpty()) return home;
    return chooseDataFolder(QString(), QCoreApplication::applicationDirPath(),
                            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString settingsPath() {
    return QDir(dataFolder()).filePath("kavrelhub.ini");
}

void loadinifile(const QString& path, const QString& section, SettingsTarget& target) {
    const Reader ini(path, section);

    int size = ini.integer("Textsize", defaultTextSize);
    if (size < minTextSize || size > maxTextSize) size = defaultTextSize;
    target.setTextSize(size);

    WindowPlace place;
    place.top = ini.integer("Top", defaultPlace.top);
    place.left = ini.integer("Left", defaultPlace.left);
    place.width = ini.integer("Width", defaultPlace.width);
    place.height = ini.integer("Height", defaultPlace.height);
    target.setWindowPlace(place);
    target.checkSizeItem(size);

    // A colour that cannot be read gives black.
    target.setChatColour(textToColour(ini.text("Textcolor", "clblack")).value_or(0));

    if (const auto rounds = toInt(ini.text("Playtoscore", "5"))) target.setPlaytoscore(*rounds);

    target.changebox(3, ini.integer("Bot3", 0));
    target.changebox(4, ini.integer("Bot4", 0));

    const QString speed = ini.text("Botspeed");
    target.setBotSpeed(speed == "2000" ? 2000 : speed == "500" ? 500 : 1000);
    target.setTurnSound(ini.text("Turnsound", "0") == "1" ? 1 : 0);

    for (int n = 1; n <= 9; ++n) {
        const QString phrase = ini.text("Phrase" + QString::number(n));
        if (!phrase.isEmpty()) target.setPhrase(n, phrase);
    }

    target.setPlaySounds(ini.text("Playsounds", "true") != "false");
    target.setPlayerPhraseSounds(ini.text("Playerphrasesounds", "true") != "false");
}

void saveinifile(const QString& path, const QString& section, const SettingsTarget& target) {
    Writer ini(path, section);
    ini.integer("Textsize", target.textSize());
    const WindowPlace place = target.windowPlace();
    ini.integer("Top", place.top);
    ini.integer("Left", place.left);
    ini.integer("Width", place.width);
    ini.integer("Height", place.height);
    try {
        ini.text("Textcolor", colourToText(target.chatColour()));
    } catch (const std::exception&) {
        // The colour is the one key whose failure must not stop the save.
    }
    ini.integer("Playtoscore", target.playtoscore());
    ini.integer("Bot3", target.botBox(3));
    ini.integer("Bot4", target.botBox(4));
    ini.integer("Botspeed", target.botSpeed());
    ini.integer("Turnsound", target.turnSound());
    ini.flag("Playerphrasesounds", target.playerPhraseSounds());
    ini.flag("Playsounds", target.playSounds());
}

void writePhrases(const QString& path, const QString& section, const QStringList& phrases) {
    Writer ini(path, section);
    for (int n = 1; n <= 9; ++n) ini.text("Phrase" + QString::number(n), phrases.value(n - 1));
}

} // namespace pelvo
