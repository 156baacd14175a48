// What "Host or Join a Table…" goes on with: the command line of the restart, and the two keys
// the settings file keeps for it without touching any other byte.

#include "session/TableChoice.h"
#include "session/settings/SettingsFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace pelvo;

TEST(TableChoice, GoesOnAsTheCommandLineWouldWithThePortOnlyWhenItDiffers) {
    // A host's own window joins on loopback, whatever address was typed.
    EXPECT_EQ(restartPlan({"Anna", true, "10.0.0.5", 7772}, "7772"),
              (RestartPlan{{"Anna", "127.0.0.1", "true"}, std::nullopt}));
    EXPECT_EQ(restartPlan({" Bo ", false, " table.lan ", 7772}, "7772"),
              (RestartPlan{{"Bo", "table.lan", "false"}, std::nullopt}));
    EXPECT_EQ(restartPlan({"Bo", false, "10.0.0.5", 40001}, "7772"),
              (RestartPlan{{"Bo", "10.0.0.5", "false"}, quint16(40001)}));

    // What the lobby adds goes only where it means something: watching and a private code with
    // a join, the hub listing with a host.
    const RestartPlan watch = restartPlan({"Cy", false, "h", 7772, true, "K7QF2M", "hub"}, "7772");
    EXPECT_TRUE(watch.justWatch);
    EXPECT_EQ(watch.privateCode, "K7QF2M");
    EXPECT_TRUE(watch.listOnHub.isEmpty());
    const RestartPlan host = restartPlan({"Cy", true, "h", 7772, true, "K7QF2M", " hub "}, "7772");
    EXPECT_FALSE(host.justWatch);
    EXPECT_TRUE(host.privateCode.isEmpty());
    EXPECT_EQ(host.listOnHub, "hub");

    EXPECT_TRUE(checkTableChoice({"Anna", true, "", 7772}).isEmpty());
    EXPECT_FALSE(checkTableChoice({"  ", true, "", 7772}).isEmpty());
    EXPECT_FALSE(checkTableChoice({"Bo", false, " ", 7772}).isEmpty());
    EXPECT_FALSE(checkTableChoice({"Bo", false, "x", 0}).isEmpty());
}

TEST(TableChoice, RemembersTheNameAndRecentAddressesAndNothingElseChanges) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kavrelhub.ini");
    const QByteArray before = "; the lobby's own file\r\n[Hub]\r\nPlayername=Lobby Anna\r\n"
                              "[Pelvo]\r\nTextsize = 12\r\nweird line\r\nTop=5\r\n";
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(before);
    }
    EXPECT_EQ(loadRememberedTables(path, "Pelvo").playerName, "");

    rememberTableChoice(path, "Pelvo", {"Bo", false, "10.0.0.5", 7772});
    for (const char* address : {"b.lan", "10.0.0.5", "c.lan"})
        rememberTableChoice(path, "Pelvo", {"Bo", false, address, 7772});
    rememberTableChoice(path, "Pelvo", {"Cy", true, "ignored.lan", 7772}); // a host adds none

    const RememberedTables got = loadRememberedTables(path, "Pelvo");
    EXPECT_EQ(got.playerName, "Cy");
    EXPECT_EQ(got.recentAddresses, QStringList({"c.lan", "10.0.0.5", "b.lan"}));

    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray after = f.readAll();
    // Every old line stays as it was; two lines were added to the game's section.
    EXPECT_EQ(after, before + "Playername=Cy\r\nRecentaddresses=c.lan,10.0.0.5,b.lan\r\n");
    f.close();

    // The hub's key appears only once a hub is chosen, and only a plain address is kept.
    EXPECT_EQ(loadHubAddress(path, "Pelvo"), "");
    rememberHubAddress(path, "Pelvo", "bad hub,x");
    rememberHubAddress(path, "Pelvo", " hub.example.org:7790 ");
    rememberHubAddress(path, "Pelvo", "hub.example.org:7790");
    EXPECT_EQ(loadHubAddress(path, "Pelvo"), "hub.example.org:7790");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), after + "Hubaddress=hub.example.org:7790\r\n");
}

TEST(TableChoice, TheRecentListStaysShortAndCleanWhateverTheFileHolds) {
    QTemporaryDir dir;
    const QString path = dir.filePath("kavrelhub.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("[Pelvo]\nRecentaddresses=a, A ,,b c,d\t,e,f,g,h,i,j,k\n");
    }
    // Entries are trimmed; duplicates (any case), blanks inside an address and empty entries
    // are skipped; eight at most.
    EXPECT_EQ(loadRememberedTables(path, "Pelvo").recentAddresses,
              QStringList({"a", "d", "e", "f", "g", "h", "i", "j"}));
    for (int n = 0; n < 20; ++n)
        rememberTableChoice(path, "Pelvo", {"Bo", false, QString("t%1.lan").arg(n), 7772});
    const QStringList recent = loadRememberedTables(path, "Pelvo").recentAddresses;
    ASSERT_EQ(recent.size(), MaxRecentAddresses);
    EXPECT_EQ(recent.first(), "t19.lan");
    // An address that could not be listed is played but never stored.
    rememberTableChoice(path, "Pelvo", {"Bo", false, "a,b", 7772});
    EXPECT_EQ(loadRememberedTables(path, "Pelvo").recentAddresses, recent);
}
