#include "SettingsTestSupport.h"

#include "session/settings/IniFile.h"
#include "session/settings/SettingKeys.h"
#include "session/settings/SettingsFile.h"

// Qt
#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <QTemporaryDir>

// std
#include <optional>
#include <random>
#include <utility>

#include <gtest/gtest.h>

namespace pelvo {
namespace {

using test::designSettings;
using test::readBytes;
using test::writeBytes;

const QString section = "Pelvo";

class SettingsFileTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString path = dir.filePath("kavrelhub.ini");

    Settings loaded(const QByteArray& contents, Settings start = designSettings()) {
        writeBytes(path, contents);
        loadinifile(path, section, start);
        return start;
    }
    std::optional<QByteArray> stored(const char* key) const {
        return ini::value(readBytes(path), "Pelvo", key);
    }
};

TEST_F(SettingsFileTest, NoFileGivesEveryDefaultAndCreatesNothing) {
    // Every field starts away from its file default, so each one must be read.
    Settings target;
    target.textSize = 14;
    target.place = {1, 2, 3, 4};
    target.chatColour = 0x123456;
    target.playtoscore = 7;
    target.botSpeed = 500;
    target.turnSound = 1;
    target.playSounds = target.playerPhraseSounds = false;
    loadinifile(path, section, target);

    Settings expected;
    expected.textSize = 8;
    expected.place = {3, 3, 772, 580};
    expected.chatColour = 0;
    expected.playtoscore = 5;
    expected.bot3 = expected.bot4 = 0;
    expected.botSpeed = 1000;
    expected.turnSound = 0;
    expected.phrases = Settings::designPhrases();
    expected.playSounds = expected.playerPhraseSounds = true;
    EXPECT_EQ(target, expected);
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(SettingsFileTest, FirstSaveCreatesTheFileWithEveryKeyInWritingOrder) {
    Settings target = designSettings();
    target.place = {10, 20, 800, 600};
    target.chatColour = 0x0000FF;
    target.bot4 = 0;
    target.botSpeed = 500;
    target.turnSound = 1;
    target.playerPhraseSounds = false;
    QStringList keys;
    saveinifile(path, section, target, [&](const QString& key) { keys << key; });

    EXPECT_EQ(keys, (QStringList{"Textsize", "Top", "Left", "Width", "Height", "Textcolor",
                                 "Playtoscore", "Bot3", "Bot4", "Botspeed", "Turnsound",
                                 "Playerphrasesounds", "Playsounds"}));

    EXPECT_EQ(readBytes(path), "[Pelvo]\nTextsize=10\nTop=20\nLeft=10\nWidth=800\nHeight=600\n"
                               "Textcolor=clRed\nPlaytoscore=5\nBot3=1\nBot4=0\nBotspeed=500\n"
                               "Turnsound=1\nPlayerphrasesounds=false\nPlaysounds=true\n");

    Settings back = designSettings();
    back.textSize = 12;
    loadinifile(path, section, back);
    EXPECT_EQ(back, target);
}

TEST_F(SettingsFileTest, OptionTextsCompareExactlyAndSaveTheTagsBack) {
    Settings target = loaded("[Pelvo]\nBotspeed=750\nTurnsound=2\nPlaysounds=False\n"
                             "Playerphrasesounds=false\n");
    EXPECT_EQ(target.botSpeed, 1000);
    EXPECT_EQ(target.turnSound, 0);
    EXPECT_TRUE(target.playSounds);
    EXPECT_FALSE(target.playerPhraseSounds);
    saveinifile(path, section, target);
    EXPECT_EQ(stored("Botspeed"), "1000");
    EXPECT_EQ(stored("Turnsound"), "0");
    EXPECT_EQ(stored("Playsounds"), "true");
    EXPECT_EQ(stored("Playerphrasesounds"), "false");

    const std::pair<const char*, int> speeds[] = {{"2000", 2000}, {"500", 500},   {"  500  ", 500},
                                                  {"0500", 1000}, {"fast", 1000}, {"", 1000}};
    for (const auto& [text, ms] : speeds)
        EXPECT_EQ(loaded(QByteArray("[Pelvo]\nBotspeed=") + text).botSpeed, ms) << text;
    EXPECT_EQ(loaded("[Pelvo]\nTurnsound=1").turnSound, 1);
    EXPECT_EQ(loaded("[Pelvo]\nTurnsound=01").turnSound, 0);
    EXPECT_FALSE(loaded("[Pelvo]\nPlaysounds=false").playSounds);
    EXPECT_TRUE(loaded("[Pelvo]\nPlaysounds=FALSE").playSounds);
    EXPECT_TRUE(loaded("[Pelvo]\nPlaysounds=").playSounds);
}

// A value of `key` other than the one a missing key gives, that the file can hold.
qint64 chosenValue(const SettingKey& key) {
    switch (key.type) {
    case SettingType::Flag:
        return key.absent ? 0 : 1;
    case SettingType::Colour:
        return 0x0000FF;
    case SettingType::Choice:
        return key.choices[0].value != key.absent ? key.choices[0].value : key.choices[1].value;
    case SettingType::Number:
        break;
    }
    return key.absent < key.hi ? key.absent + 1 : key.absent - 1;
}

// Every row of the keys' table, through the real file: a new value holds the design value, a
// file without the key gives the value when absent, text that does not read gives it too (or
// leaves the value), and a chosen value is written under its name and read back.
TEST_F(SettingsFileTest, EveryKeyOfTheTableReadsWritesAndDefaultsAsDescribed) {
    for (const SettingKey& key : settingKeys) {
        const QString name = QString::fromLatin1(key.name.data(), qsizetype(key.name.size()));
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(settingValue(Settings{}, key.id), key.design);

        const qint64 chosen = chosenValue(key);
        ASSERT_NE(chosen, key.absent);
        Settings target;
        setSettingValue(target, key.id, chosen);
        EXPECT_EQ(settingValue(loaded("[Pelvo]\n", target), key.id), key.absent);
        const qint64 afterJunk =
            settingValue(loaded("[Pelvo]\n" + name.toLatin1() + "=?x\n", target), key.id);
        EXPECT_EQ(afterJunk, key.keepUnreadable ? chosen : key.absent);

        QFile::remove(path);
        saveinifile(path, section, target);
        EXPECT_TRUE(stored(key.name.data()).has_value());
        Settings back;
        loadinifile(path, section, back);
        EXPECT_EQ(settingValue(back, key.id), chosen);

        // A key left at its absent value is written unless it waits to be chosen.
        QFile::remove(path);
        setSettingValue(target, key.id, key.absent);
        saveinifile(path, section, target);
        EXPECT_EQ(stored(key.name.data()).has_value(), key.write != SettingWrite::OnceChosen);
    }
}

TEST_F(SettingsFileTest, TextSizeWithoutMenuItemIsKeptAndUnusableSizesGiveTheDefault) {
    Settings target = loaded("[Pelvo]\nTextsize=11\n");
    EXPECT_EQ(target.textSize, 11); // no menu item has 11; the size is kept all the same
    saveinifile(path, section, target);
    EXPECT_EQ(stored("Textsize"), "11");

    for (const char* text : {"0", "-4", "9999", "big", "12pt", ""})
        EXPECT_EQ(loaded(QByteArray("[Pelvo]\nTextsize=") + text).textSize, 8) << text;
}

TEST_F(SettingsFileTest, IntegerKeysTakeTheirDefaultForTextThatIsNoNumber) {
    Settings target = loaded("[Pelvo]\nTop=abc\nLeft=-20\nWidth=12x\nHeight=\nBot3=yes\nBot4=1\n");
    EXPECT_EQ(target.place, (WindowPlace{-20, 3, 772, 580}));
    EXPECT_EQ(target.bot3, 0);
    EXPECT_EQ(target.bot4, 1);

    // Rounds that are empty or no number leave the value alone.
    Settings seven = designSettings();
    seven.playtoscore = 7;
    for (const char* text : {"", "abc", "7.5"})
        EXPECT_EQ(loaded(QByteArray("[Pelvo]\nPlaytoscore=") + text, seven).playtoscore, 7) << text;
    EXPECT_EQ(loaded("[Pelvo]\nPlaytoscore=8").playtoscore, 8);
}

TEST_F(SettingsFileTest, ColourTextRoundTripsAndUnreadableColourIsBlack) {
    struct Case {
        const char* text;
        quint32 colour;
        const char* saved;
    };
    for (const Case& c :
         {Case{"$000080FF", 0x000080FF, "$000080FF"}, Case{"clred", 0x0000FF, "clRed"},
          Case{"orange", 0, "clBlack"}, Case{"", 0, "clBlack"}}) {
        Settings target = loaded(QByteArray("[Pelvo]\nTextcolor=") + c.text + "\n");
        EXPECT_EQ(target.chatColour, c.colour) << c.text;
        saveinifile(path, section, target);
        EXPECT_EQ(stored("Textcolor"), c.saved) << c.text;
    }
}

TEST_F(SettingsFileTest, PhrasesAreReadWhenNotEmptyAndWrittenOnlyByThePhraseEditor) {
    Settings target = loaded("[Pelvo]\nPhrase1=Hello there\nPhrase3=\nPhrase9=Bye\n");
    EXPECT_EQ(target.phrases[0], "Hello there");
    EXPECT_EQ(target.phrases[2], "Nice Try!");
    EXPECT_EQ(target.phrases[8], "Bye");

    saveinifile(path, section, target);
    EXPECT_FALSE(stored("Phrase2"));
    EXPECT_EQ(stored("Phrase9"), "Bye");

    writePhrases(path, section, {"Gut gemacht, Käpt'n!", "", "Third"});
    EXPECT_EQ(stored("Phrase1"), "Gut gemacht, Käpt'n!");
    for (const char* key : {"Phrase2", "Phrase4", "Phrase9"}) EXPECT_EQ(stored(key), "") << key;
    EXPECT_EQ(stored("Textsize"), "8"); // the other writer's keys stay

    Settings back = designSettings();
    loadinifile(path, section, back);
    EXPECT_EQ(back.phrases[0], "Gut gemacht, Käpt'n!");
    EXPECT_EQ(back.phrases[1], "Good One!");
    EXPECT_EQ(back.phrases[2], "Third");

    // A value holding fewer than nine phrases still gets all nine.
    Settings few = designSettings();
    few.phrases = {"Only"};
    EXPECT_EQ(loaded("[Pelvo]\nPhrase9=Bye\n", few).phrases,
              (QStringList{"Only", "", "", "", "", "", "", "", "Bye"}));
}

TEST_F(SettingsFileTest, TextThatIsNotUtf8IsReadAsLatin1) {
    EXPECT_EQ(loaded("[Pelvo]\nPhrase2=K\xE4pt'n\n").phrases[1], "K\u00E4pt'n");
}

TEST_F(SettingsFileTest, APhraseCannotAddLinesToTheFile) {
    writePhrases(path, section, {"hi\r\n[Pelvo]\nTextsize=40\nPlaysounds=false"});
    Settings target = designSettings();
    loadinifile(path, section, target);
    EXPECT_EQ(target.textSize, 8);
    EXPECT_TRUE(target.playSounds);
    EXPECT_EQ(target.phrases[0], "hi  [Pelvo] Textsize=40 Playsounds=false");
}

// The file the lobby program shares: its section, comments, odd spacing, unknown keys and
// CRLF line ends must come through every save unchanged.
TEST_F(SettingsFileTest, OtherSectionsAndUnknownKeysSurviveEverySaveByteForByte) {
    const QByteArray head = "; lobby settings\r\n"
                            "[Lobby]\r\n"
                            "  Name =  Ann Smith  \r\n"
                            "Server=host:9001 ; not a comment\r\n"
                            "Textsize=99\r\n"
                            "\r\n"
                            "[Pelvo]\r\n"
                            "; my window\r\n"
                            "\tTop =  40 \r\n"
                            "UnknownKey=keep me\r\n";
    const QByteArray tail = "odd line without equals\r\n"
                            "\r\n"
                            "# trailer\r\n"
                            "[Other]\r\n"
                            "x=1\r\n"
                            "x=2";
    writeBytes(path, head + tail);

    Settings target = designSettings();
    loadinifile(path, section, target);
    EXPECT_EQ(target.place.top, 40);
    EXPECT_EQ(target.textSize, 8);

    auto pelvoLines = [](int top, const char* speed, const QByteArray& phrases) {
        return QByteArray("; my window\r\n\tTop =  ") + QByteArray::number(top) +
               " \r\nUnknownKey=keep me\r\n"
               "Textsize=8\r\nLeft=3\r\nWidth=772\r\nHeight=580\r\nTextcolor=clBlack\r\n"
               "Playtoscore=5\r\nBot3=0\r\nBot4=0\r\nBotspeed=" +
               speed + "\r\nTurnsound=0\r\nPlayerphrasesounds=true\r\nPlaysounds=true\r\n" +
               phrases;
    };
    const QByteArray lobby = head.left(head.indexOf("; my window"));

    saveinifile(path, section, target);
    EXPECT_EQ(readBytes(path), lobby + pelvoLines(40, "1000", "") + tail);

    target.place.top = 7;
    target.botSpeed = 2000;
    saveinifile(path, section, target);
    writePhrases(path, section, {"One"});
    QByteArray phrases = "Phrase1=One\r\n";
    for (int n = 2; n <= 9; ++n) phrases += "Phrase" + QByteArray::number(n) + "=\r\n";
    EXPECT_EQ(readBytes(path), lobby + pelvoLines(7, "2000", phrases) + tail);
}

// The computer players' level: a key that appears only once a level is chosen, so that every
// file saved before keeps its exact lines.
TEST_F(SettingsFileTest, TheComputerLevelIsWrittenOnceChosenAndKeptFromThenOn) {
    for (const char* text : {"Expert", "expert", "EXPERT"})
        EXPECT_EQ(loaded(QByteArray("[Pelvo]\nBotlevel=") + text).botLevel, 1) << text;
    for (const char* text : {"Classic", "", "1", "Expert2", "Experte"})
        EXPECT_EQ(loaded(QByteArray("[Pelvo]\nBotlevel=") + text).botLevel, 0) << text;

    const QByteArray other = "[Lobby]\r\nName=Ann\r\n";
    writeBytes(path, other);
    Settings target = designSettings();
    loadinifile(path, section, target);
    EXPECT_EQ(target.botLevel, 0);
    saveinifile(path, section, target);
    const QByteArray classicFile = readBytes(path);
    EXPECT_FALSE(stored("Botlevel"));

    target.botLevel = 1;
    saveinifile(path, section, target);
    EXPECT_EQ(readBytes(path), classicFile + "Botlevel=Expert\r\n");
    Settings back = designSettings();
    loadinifile(path, section, back);
    EXPECT_EQ(back.botLevel, 1);

    // Back to Classic: said in the file, not dropped from it.
    target.botLevel = 0;
    saveinifile(path, section, target);
    EXPECT_EQ(readBytes(path), classicFile + "Botlevel=Classic\r\n");
    loadinifile(path, section, back);
    EXPECT_EQ(back.botLevel, 0);
}

// The view's keys follow the same rule: absent until chosen, read back, and clamped to a scale
// the table can take.
TEST_F(SettingsFileTest, FourColourSuitsAndZoomAreWrittenOnceChosen) {
    writeBytes(path, "[Lobby]\r\nName=Ann\r\n");
    Settings target = designSettings();
    loadinifile(path, section, target);
    EXPECT_FALSE(target.fourColourSuits);
    EXPECT_EQ(target.zoom, 100);
    saveinifile(path, section, target);
    const QByteArray plain = readBytes(path);
    EXPECT_FALSE(stored("Foursuits"));
    EXPECT_FALSE(stored("Zoom"));

    target.fourColourSuits = true;
    target.zoom = 150;
    saveinifile(path, section, target);
    EXPECT_EQ(readBytes(path), plain + "Foursuits=true\r\nZoom=150\r\n");
    Settings back = designSettings();
    loadinifile(path, section, back);
    EXPECT_TRUE(back.fourColourSuits);
    EXPECT_EQ(back.zoom, 150);

    for (const auto& [text, zoom] : {std::pair{"0", 100},
                                     {"-5", 100},
                                     {"99999999999", 100},
                                     {"400", 400},
                                     {"401", 400},
                                     {"x", 100}})
        EXPECT_EQ(loaded(QByteArray("[Pelvo]\nZoom=") + text).zoom, zoom) << text;
}

TEST_F(SettingsFileTest, SectionAndKeyNamesIgnoreLetterCase) {
    Settings target = loaded("[ pelvo ]\nTEXTSIZE=12\nplaysounds=false\n");
    EXPECT_EQ(target.textSize, 12);
    EXPECT_FALSE(target.playSounds);

    target.textSize = 14;
    saveinifile(path, section, target);
    const QByteArray text = readBytes(path);
    EXPECT_TRUE(text.startsWith("[ pelvo ]\nTEXTSIZE=14\nplaysounds=false\n")) << text.constData();
    EXPECT_FALSE(text.contains("Textsize"));
    EXPECT_FALSE(text.contains("Playsounds"));
    EXPECT_EQ(text.count('['), 1);
}

TEST_F(SettingsFileTest, MalformedFilesReadAsDefaultsOrSensibleValues) {
    // Binary garbage: defaults, and a save keeps every byte of it.
    std::mt19937 random(8);
    QByteArray garbage;
    for (int i = 0; i < 4096; ++i) garbage += char(random() & 0xFF);
    garbage.replace('[', '.'); // no chance of a section of that name
    Settings target = loaded(garbage);
    EXPECT_EQ(target.textSize, 8);
    EXPECT_EQ(target.botSpeed, 1000);
    target.textSize = 12;
    saveinifile(path, section, target);
    EXPECT_TRUE(readBytes(path).startsWith(garbage));
    EXPECT_EQ(stored("Textsize"), "12");

    // Lines without "=", an empty key name, and a header without its bracket.
    target = loaded("[Pelvo]\nTextsize\n=12\nTop 5\n[Other\nWidth=900\n");
    EXPECT_EQ(target.textSize, 8);
    EXPECT_EQ(target.place, (WindowPlace{3, 3, 772, 580}));

    // Duplicates: the first key and the first section count, for reading and writing.
    target = loaded("[Pelvo]\nTextsize=12\nTextsize=14\n[Pelvo]\nLeft=30\n");
    EXPECT_EQ(target.textSize, 12);
    EXPECT_EQ(target.place.left, 3);
    target.textSize = 10;
    saveinifile(path, section, target);
    EXPECT_TRUE(readBytes(path).startsWith("[Pelvo]\nTextsize=10\nTextsize=14\n"));
    EXPECT_TRUE(readBytes(path).endsWith("[Pelvo]\nLeft=30\n"));

    // Only another section.
    EXPECT_EQ(loaded("[Lobby]\nTextsize=12\n").textSize, 8);

    // Rounds outside what the game start window offers come to its nearest end, and a save
    // writes them back in range; a computer box is empty for anything but 1.
    const std::pair<const char*, int> rounds[] = {{"0", 3}, {"-5", 3}, {"2", 3},    {"3", 3},
                                                  {"9", 9}, {"10", 9}, {"99999", 9}};
    for (const auto& [text, expected] : rounds)
        EXPECT_EQ(loaded(QByteArray("[Pelvo]\nPlaytoscore=") + text).playtoscore, expected) << text;
    target = loaded("[Pelvo]\nPlaytoscore=12\n");
    saveinifile(path, section, target);
    EXPECT_EQ(stored("Playtoscore"), "9");
    for (const char* text : {"0", "2", "-1", "11", "true"}) {
        const Settings boxes = loaded(QByteArray("[Pelvo]\nBot3=") + text + "\nBot4=" + text);
        EXPECT_EQ(boxes.bot3, 0) << text;
        EXPECT_EQ(boxes.bot4, 0) << text;
    }

    // A 5 MB file with the section at its end.
    QByteArray big = "[Lobby]\n";
    while (big.size() < 5 * 1024 * 1024) big += "Key" + QByteArray::number(big.size()) + "=x\n";
    target = loaded(big + "[Pelvo]\nTextsize=12\n");
    EXPECT_EQ(target.textSize, 12);
    saveinifile(path, section, target);
    EXPECT_TRUE(readBytes(path).startsWith(big));
    EXPECT_EQ(stored("Playsounds"), "true");
}

TEST_F(SettingsFileTest, ALinkedFileIsWrittenThroughItsLink) {
    const QString shared = dir.filePath("lobby.ini");
    writeBytes(shared, "[Lobby]\nName=Ann\n");
    ASSERT_TRUE(QFile::link(shared, path));
    Settings target = designSettings();
    saveinifile(path, section, target);
    EXPECT_TRUE(QFileInfo(path).isSymLink());
    EXPECT_TRUE(readBytes(shared).startsWith("[Lobby]\nName=Ann\n[Pelvo]\nTextsize=10\n"));
}

TEST_F(SettingsFileTest, AHugeFileIsNeitherReadNorRewritten) {
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[Pelvo]\nTextsize=12\n");
        ASSERT_TRUE(file.resize(IniFile::maxFileSize + 1));
    }
    Settings target = designSettings();
    loadinifile(path, section, target);
    EXPECT_EQ(target.textSize, 8);
    EXPECT_THROW(saveinifile(path, section, target), SettingsWriteError);
    EXPECT_EQ(QFileInfo(path).size(), IniFile::maxFileSize + 1);
}

TEST_F(SettingsFileTest, AFileThatCannotBeReadGivesTheDefaults) {
    ASSERT_TRUE(QDir().mkpath(path)); // the settings "file" is a folder
    Settings target = designSettings();
    loadinifile(path, section, target);
    EXPECT_EQ(target.textSize, 8);
    EXPECT_EQ(target.botSpeed, 1000);
}

class RefusedWriteTest : public SettingsFileTest {
protected:
    QString fullPath(const QString& p) const { return QFileInfo(p).absoluteFilePath(); }
    // Replaces the file with a folder of its name, so even root cannot write it.
    void block() {
        ASSERT_TRUE(QFile::rename(path, path + ".kept"));
        ASSERT_TRUE(QDir().mkdir(path));
    }
    void unblock() {
        ASSERT_TRUE(QDir().rmdir(path));
        ASSERT_TRUE(QFile::rename(path + ".kept", path));
    }
};

TEST_F(RefusedWriteTest, AFileThatCannotBeCreatedRaisesTheErrorWithTheFullPath) {
    writeBytes(dir.filePath("plain"), "not a folder");
    const QString blocked = dir.filePath("plain/kavrelhub.ini");
    Settings target = designSettings();
    try {
        saveinifile(blocked, section, target);
        FAIL() << "no error";
    } catch (const SettingsWriteError& e) {
        EXPECT_EQ(QString::fromUtf8(e.what()), "Unable to write to " + fullPath(blocked));
    }
    EXPECT_THROW(writePhrases(blocked, section, {}), SettingsWriteError);

    ASSERT_TRUE(QDir().mkpath(path));
    EXPECT_THROW(saveinifile(path, section, target), SettingsWriteError);
    EXPECT_TRUE(QFileInfo(path).isDir());
}

TEST_F(RefusedWriteTest, TheSaveStopsAtTheRefusedKey) {
    writeBytes(path, "[Lobby]\nName=Ann\n");
    Settings target = designSettings();
    target.botSpeed = 2000;
    const auto refuseTheTurnSound = [&](const QString& key) {
        if (key == "Turnsound") block();
    };
    EXPECT_THROW(saveinifile(path, section, target, refuseTheTurnSound), SettingsWriteError);
    unblock();
    EXPECT_EQ(stored("Botspeed"), "2000");
    EXPECT_FALSE(stored("Turnsound"));
    EXPECT_FALSE(stored("Playerphrasesounds"));
    EXPECT_FALSE(stored("Playsounds"));
    EXPECT_TRUE(readBytes(path).startsWith("[Lobby]\nName=Ann\n"));
}

TEST_F(RefusedWriteTest, ARefusedColourIsSkippedAndTheSaveGoesOn) {
    writeBytes(path, "");
    Settings target = designSettings();
    const auto refuseTheColourOnly = [&](const QString& key) {
        if (key == "Textcolor") block();
        if (key == "Playtoscore") unblock();
    };
    EXPECT_NO_THROW(saveinifile(path, section, target, refuseTheColourOnly));
    EXPECT_EQ(stored("Height"), "580");
    EXPECT_FALSE(stored("Textcolor"));
    EXPECT_EQ(stored("Playtoscore"), "5");
    EXPECT_EQ(stored("Playsounds"), "true");
}

TEST_F(RefusedWriteTest, AReadOnlyFileIsRefused) {
    writeBytes(path, "[Pelvo]\nTextsize=12\n");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    if (QFile file(path); file.open(QIODevice::WriteOnly | QIODevice::Append))
        GTEST_SKIP() << "this user writes read-only files";
    Settings target = designSettings();
    EXPECT_THROW(saveinifile(path, section, target), SettingsWriteError);
    EXPECT_EQ(readBytes(path), "[Pelvo]\nTextsize=12\n");
}

TEST(DataFolderTest, HomeOverridesThenTheProgramFolderThenTheUserFolder) {
    QTemporaryDir dir;
    const QByteArray previous = qgetenv("PELVO_HOME");
    qputenv("PELVO_HOME", dir.path().toUtf8());
    EXPECT_EQ(dataFolder(), dir.path());
    EXPECT_EQ(settingsPath(), dir.path() + "/kavrelhub.ini");
    if (previous.isNull())
        qunsetenv("PELVO_HOME");
    else
        qputenv("PELVO_HOME", previous);

    const QString user = dir.filePath("user/data");
    EXPECT_EQ(chooseDataFolder("/elsewhere", dir.path(), user), "/elsewhere");
    EXPECT_EQ(chooseDataFolder(QString(), dir.path(), user), dir.path());
    test::writeBytes(dir.filePath("plain"), "x");
    EXPECT_EQ(chooseDataFolder(QString(), dir.filePath("plain"), user), user);
    EXPECT_TRUE(QFileInfo(user).isDir());
}

TEST(DataFolderTest, AnInstalledProgramKeepsItsDataPerUserEvenWhereItsFolderIsWritable) {
    QTemporaryDir prefix;
    const QString bin = prefix.filePath("bin");
    const QString user = prefix.filePath("home/.local/share/Pelvo");
    QDir().mkpath(bin);
    // A build folder (no desktop entry beside it) keeps the files next to the program.
    EXPECT_FALSE(isInstalledProgramFolder(bin));
    EXPECT_EQ(chooseDataFolder(QString(), bin, user), bin);

    QDir().mkpath(prefix.filePath("share/applications"));
    test::writeBytes(prefix.filePath("share/applications/org.pelvo.Pelvo.desktop"), "");
    EXPECT_TRUE(isInstalledProgramFolder(bin));
    EXPECT_FALSE(isInstalledProgramFolder(prefix.filePath("share")));
    QDir().mkpath(prefix.filePath("games"));
    EXPECT_TRUE(isInstalledProgramFolder(prefix.filePath("games")));
    EXPECT_EQ(chooseDataFolder(QString(), bin, user), user);
    EXPECT_TRUE(QFileInfo(user).isDir());
    EXPECT_EQ(chooseDataFolder("/elsewhere", bin, user), "/elsewhere");
}

} // namespace
} // namespace pelvo
