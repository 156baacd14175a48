#include "session/settings/SettingsFile.h"

#include "protocol/ColourText.h"
#include "session/settings/IniFile.h"
#include "protocol/Fields.h"
#include "session/settings/SettingKeys.h"

// Qt
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

// std
#include <optional>
#include <type_traits>
#include <variant>

namespace pelvo {

namespace {

// Reads key by key, each read loading the file afresh.
class Reader {
public:
    Reader(const QString& path, const QString& section) : file_(path), section_(section) {}

    std::optional<QString> stored(const QString& key) const {
        return file_.readString(section_, key);
    }
    QString text(const QString& key) const { return stored(key).value_or(QString()); }

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
    bool has(const QString& key) const { return file_.readString(section_, key).has_value(); }

private:
    IniFile file_;
    QString section_;
    std::function<void(const QString&)> beforeKey_;
};

// Where each key's value lives.
std::variant<int*, bool*, quint32*> fieldOf(Settings& s, SettingId id) {
    switch (id) {
    case SettingId::TextSize:
        return &s.textSize;
    case SettingId::Top:
        return &s.place.top;
    case SettingId::Left:
        return &s.place.left;
    case SettingId::Width:
        return &s.place.width;
    case SettingId::Height:
        return &s.place.height;
    case SettingId::ChatColour:
        return &s.chatColour;
    case SettingId::PlayToScore:
        return &s.playtoscore;
    case SettingId::Bot3:
        return &s.bot3;
    case SettingId::Bot4:
        return &s.bot4;
    case SettingId::BotSpeed:
        return &s.botSpeed;
    case SettingId::TurnSound:
        return &s.turnSound;
    case SettingId::PlayerPhraseSounds:
        return &s.playerPhraseSounds;
    case SettingId::PlaySounds:
        return &s.playSounds;
    case SettingId::BotLevel:
        return &s.botLevel;
    case SettingId::FourColourSuits:
        return &s.fourColourSuits;
    case SettingId::Zoom:
        return &s.zoom;
    case SettingId::HoldSeats:
        return &s.holdSeats;
    }
    Q_UNREACHABLE();
}

QString keyName(const SettingKey& key) {
    return QString::fromLatin1(key.name.data(), qsizetype(key.name.size()));
}

// A key's stored text as its value; nothing when the text does not read.
std::optional<qint64> parse(const SettingKey& key, const QString& text) {
    switch (key.type) {
    case SettingType::Number: {
        const std::optional<int> n = toInt(text);
        if (!n) return std::nullopt;
        if (key.clamp) return qBound(key.lo, *n, key.hi);
        if (*n < key.lo || *n > key.hi) return std::nullopt;
        return *n;
    }
    case SettingType::Choice:
        for (const SettingChoice& c : key.choices) {
            if (c.text.empty()) break;
            const QLatin1String choice(c.text.data(), qsizetype(c.text.size()));
            if (text.compare(choice, key.anyCase ? Qt::CaseInsensitive : Qt::CaseSensitive) == 0)
                return c.value;
        }
        return std::nullopt;
    case SettingType::Flag:
        if (text == u"true") return 1;
        if (text == u"false") return 0;
        return std::nullopt;
    case SettingType::Colour:
        if (const auto colour = textToColour(text)) return qint64(*colour);
        return std::nullopt;
    }
    return std::nullopt;
}

// A value as the text the file keeps.
QString format(const SettingKey& key, qint64 value) {
    switch (key.type) {
    case SettingType::Choice:
        for (const SettingChoice& c : key.choices)
            if (!c.text.empty() && c.value == value)
                return QString::fromLatin1(c.text.data(), qsizetype(c.text.size()));
        break;
    case SettingType::Flag:
        return value ? QStringLiteral("true") : QStringLiteral("false");
    case SettingType::Colour:
        return colourToText(quint32(value));
    case SettingType::Number:
        break;
    }
    return QString::number(value);
}

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
    for (const SettingKey& key : settingKeys) {
        const std::optional<QString> stored = ini.stored(keyName(key));
        const std::optional<qint64> value = stored ? parse(key, *stored) : key.absent;
        if (value)
            setSettingValue(settings, key.id, *value);
        else if (!key.keepUnreadable)
            setSettingValue(settings, key.id, key.absent);
    }

    while (settings.phrases.size() < 9) settings.phrases.append(QString());
    for (int n = 1; n <= 9; ++n) {
        const QString phrase = ini.text("Phrase" + QString::number(n));
        if (!phrase.isEmpty()) settings.phrases[n - 1] = phrase;
    }
}

void saveinifile(const QString& path, const QString& section, const Settings& settings,
                 const std::function<void(const QString& key)>& beforeKey) {
    Writer ini(path, section, beforeKey);
    for (const SettingKey& key : settingKeys) {
        const QString name = keyName(key);
        const qint64 value = settingValue(settings, key.id);
        if (key.write == SettingWrite::OnceChosen && value == key.absent && !ini.has(name))
            continue;
        if (key.write != SettingWrite::AlwaysUnlessRefused) {
            ini.text(name, format(key, value));
            continue;
        }
        try {
            ini.text(name, format(key, value));
        } catch (const std::exception&) {
            // This key's failure must not stop the save.
        }
    }
}

void writePhrases(const QString& path, const QString& section, const QStringList& phrases) {
    Writer ini(path, section);
    for (int n = 1; n <= 9; ++n) ini.text("Phrase" + QString::number(n), phrases.value(n - 1));
}

qint64 settingValue(const Settings& settings, SettingId id) {
    return std::visit([](auto* field) { return qint64(*field); },
                      fieldOf(const_cast<Settings&>(settings), id));
}

void setSettingValue(Settings& settings, SettingId id, qint64 value) {
    std::visit([value](auto* field) { *field = std::remove_pointer_t<decltype(field)>(value); },
               fieldOf(settings, id));
}

} // namespace pelvo
