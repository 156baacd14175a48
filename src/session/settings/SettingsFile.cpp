#include "session/settings/SettingsFile.h"

#include "protocol/ColourText.h"
#include "session/settings/IniFile.h"
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
// The game start window offers 3 to 9 rounds.
constexpr int minRounds = 3;
constexpr int maxRounds = 9;
constexpr int minZoom = 100;
constexpr int maxZoom = 400;

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
    Writer(const QString& path, const QString& section,
           std::function<void(const QString&)> beforeKey = {})
        : file_(path), section_(section), beforeKey_(std::move(beforeKey)) {}

    void text(const QString& key, const QString& value) {
        if (beforeKey_) beforeKey_(key);
        if (!file_.writeString(section_, key, value))
            throw SettingsWriteError(
                ("Unable to write to " + QFileInfo(file_.path()).absoluteFilePath()).toStdString());
    }
    void integer(const QString& key, int value) { text(key, QString::number(value)); }
    void flag(const QString& key, bool on) { text(key, on ? "true" : "false"); }
    bool has(const QString& key) const { return file_.readString(section_, key).has_value(); }

private:
    IniFile file_;
    QString section_;
    std::function<void(const QString&)> beforeKey_;
};

bool isWritableFolder(const QString& folder) {
    const QFileInfo info(folder);
    return !folder.isEmpty() && info.isDir() && info.isWritable();
}

} // namespace

bool isInstalledProgramFolder(const QString& folder) {
    const QDir bin(folder);
    // Debian keeps the programs of games in /usr/games.
    return (bin.dirName() == QLatin1String("bin") || bin.dirName() == QLatin1String("games")) &&
           QFileInfo::exists(bin.filePath(QStringLiteral("../share/applications/") +
                                          QLatin1String(desktopId) + QStringLiteral(".desktop")));
}

QString chooseDataFolder(const QString& home, const QString& programFolder,
                         const QString& userFolder) {
    if (!home.isEmpty()) return home;
    if (userFolder.isEmpty()) return programFolder;
    // An installed program's folder is shared by every user even where it can be written (as
    // root, or in a staging folder).
    if (isWritableFolder(programFolder) && !isInstalledProgramFolder(programFolder))
        return programFolder;
    QDir().mkpath(userFolder);
    return userFolder;
}

QString userDataFolder() {
    const QString home = qEnvironmentVariable("PELVO_HOME");
    return !home.isEmpty() ? home
                           : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString dataFolder() {
    const QString home = qEnvironmentVariable("PELVO_HOME");
    if (!home.isEmpty()) return home;
    return chooseDataFolder(QString(), QCoreApplication::applicationDirPath(), userDataFolder());
}

QString settingsPath() {
    return QDir(dataFolder()).filePath("kavrelhub.ini");
}

void loadinifile(const QString& path, const QString& section, Settings& settings) {
    const Reader ini(path, section);

    int size = ini.integer("Textsize", defaultTextSize);
    if (size < minTextSize || size > maxTextSize) size = defaultTextSize;
    settings.textSize = size;

    settings.place.top = ini.integer("Top", defaultPlace.top);
    settings.place.left = ini.integer("Left", defaultPlace.left);
    settings.place.width = ini.integer("Width", defaultPlace.width);
    settings.place.height = ini.integer("Height", defaultPlace.height);

    // A colour that cannot be read gives black.
    settings.chatColour = textToColour(ini.text("Textcolor", "clblack")).value_or(0);

    if (const auto rounds = toInt(ini.text("Playtoscore", "5")))
        settings.playtoscore = qBound(minRounds, *rounds, maxRounds);

    // Each box has two pictures only: anything but 1 is the empty box.
    settings.bot3 = ini.integer("Bot3", 0) == 1 ? 1 : 0;
    settings.bot4 = ini.integer("Bot4", 0) == 1 ? 1 : 0;

    const QString speed = ini.text("Botspeed");
    settings.botSpeed = speed == "2000" ? 2000 : speed == "500" ? 500 : 1000;
    settings.turnSound = ini.text("Turnsound", "0") == "1" ? 1 : 0;
    settings.botLevel =
        ini.text("Botlevel").compare(QLatin1String("Expert"), Qt::CaseInsensitive) == 0 ? 1 : 0;

    while (settings.phrases.size() < 9) settings.phrases.append(QString());
    for (int n = 1; n <= 9; ++n) {
        const QString phrase = ini.text("Phrase" + QString::number(n));
        if (!phrase.isEmpty()) settings.phrases[n - 1] = phrase;
    }

    settings.playSounds = ini.text("Playsounds", "true") != "false";
    settings.playerPhraseSounds = ini.text("Playerphrasesounds", "true") != "false";
    settings.fourColourSuits = ini.text("Foursuits", "false") == "true";
    settings.holdSeats = ini.text("Holdseats", "false") == "true";
    // The table's scale: from the design size to four times it.
    settings.zoom = qBound(minZoom, ini.integer("Zoom", 100), maxZoom);
}

void saveinifile(const QString& path, const QString& section, const Settings& settings,
                 const std::function<void(const QString& key)>& beforeKey) {
    Writer ini(path, section, beforeKey);
    ini.integer("Textsize", settings.textSize);
    ini.integer("Top", settings.place.top);
    ini.integer("Left", settings.place.left);
    ini.integer("Width", settings.place.width);
    ini.integer("Height", settings.place.height);
    try {
        ini.text("Textcolor", colourToText(settings.chatColour));
    } catch (const std::exception&) {
        // The colour is the one key whose failure must not stop the save.
    }
    ini.integer("Playtoscore", settings.playtoscore);
    ini.integer("Bot3", settings.bot3);
    ini.integer("Bot4", settings.bot4);
    ini.integer("Botspeed", settings.botSpeed);
    ini.integer("Turnsound", settings.turnSound);
    ini.flag("Playerphrasesounds", settings.playerPhraseSounds);
    ini.flag("Playsounds", settings.playSounds);
    // Written once the player has chosen a level, so that a file saved with the default keeps
    // exactly the keys it always had.
    if (settings.botLevel != 0 || ini.has("Botlevel"))
        ini.text("Botlevel", settings.botLevel == 1 ? "Expert" : "Classic");
    // Likewise the view's keys: a player who never chose them keeps the file as it was.
    if (settings.fourColourSuits || ini.has("Foursuits"))
        ini.flag("Foursuits", settings.fourColourSuits);
    if (settings.zoom != 100 || ini.has("Zoom")) ini.integer("Zoom", settings.zoom);
    if (settings.holdSeats || ini.has("Holdseats")) ini.flag("Holdseats", settings.holdSeats);
}

void writePhrases(const QString& path, const QString& section, const QStringList& phrases) {
    Writer ini(path, section);
    for (int n = 1; n <= 9; ++n) ini.text("Phrase" + QString::number(n), phrases.value(n - 1));
}

} // namespace pelvo
