// The player's program asked to stop from outside, as at logout or shutdown: what it counted is
// on disk afterwards, and a table it hosts tells its players why it goes before closing; a
// window at a table that stops shows why.

#include "client/Tchat.h"
#include "e2e/PelvoProcess.h"
#include "host/TableProcess.h"
#include "session/ClientSession.h"
#include "windows/MessageBox.h"
#include "windows/Ttallylist.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

using namespace pelvo::test;

namespace {

// "Total Games" of the tally file, as the tally window reads it; -1 when there is no file.
int totalGames(const QString& file) {
    if (!QFileInfo::exists(file)) return -1;
    pelvo::Ttallylist tally(file);
    bool ok = false;
    const int games = tally.stringgrid_scores().cell(1, 0).toInt(&ok);
    return ok ? games : 0;
}

} // namespace

TEST(OrderlyStop, AGameCountedBeforeSigtermIsInTheTallyFileAfterIt) {
    TableProcess table;
    ASSERT_TRUE(table.startOnFreePort("2"));
    // Slot 1, with the rights, is a raw client; the program joins as slot 2.
    RawClient anna;
    ASSERT_TRUE(anna.connectTo(table.port));
    ASSERT_EQ(anna.login("Anna"), 1);
    PelvoProcess pelvo(table.port);
    pelvo.start({"Cy", "127.0.0.1", "false"});
    ASSERT_TRUE(anna.waitFor("CMD_newplayerinfo+2+Cy", 20000)) << pelvo.errors().toStdString();
    const QString tallyFile = QDir(pelvo.home()).filePath("Pelvotally.tld");
    ASSERT_LE(totalGames(tallyFile), 0);

    // Every seat goes to the computer, so the game plays itself to a winner.
    anna.send("CMD_startgame+Anna+1+1+1+\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.count("CMD_startgame+") == 1; }, 5000));
    anna.send("CMD_justwatch+1+1\xFF");
    anna.send("CMD_justwatch+2+1\xFF");
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna.count("CMD_winner+") == 1; }, 60000));
    ASSERT_TRUE(eventually([&] { return pelvo.chat().contains("Won the Game!"); }))
        << pelvo.chat().toStdString();
    // Counted in memory only, so far.
    ASSERT_LE(totalGames(tallyFile), 0);

    ::kill(pid_t(pelvo.process().processId()), SIGTERM);
    ASSERT_TRUE(pelvo.waitForExit(15000));
    EXPECT_EQ(pelvo.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(pelvo.exitCode(), 0);
    EXPECT_EQ(totalGames(tallyFile), 1);
    // Only the finished file is left: the private temporary files went with the rename.
    EXPECT_EQ(QDir(pelvo.home()).entryList({"Pelvotally.tld*"}, QDir::Files),
              QStringList{"Pelvotally.tld"});
}

TEST(OrderlyStop, AHostingProgramTellsItsTableItClosesOnAStopSignal) {
    for (int signal : {SIGHUP, SIGINT}) {
        PelvoProcess pelvo;
        pelvo.start({"Host", "127.0.0.1", "true"});
        ASSERT_TRUE(eventually([&] { return pelvo.chat().contains("You are Connected."); }))
            << pelvo.chat().toStdString();
        RawClient bo;
        ASSERT_TRUE(bo.connectTo(pelvo.port()));
        ASSERT_EQ(bo.login("Bo"), 2);

        ::kill(pid_t(pelvo.process().processId()), signal);
        EXPECT_TRUE(bo.waitClosed(15000));
        ASSERT_FALSE(bo.frames.isEmpty());
        EXPECT_TRUE(bo.frames.last().startsWith("CMD_action+0+The table is closing.|"))
            << bo.frames.last().constData();
        ASSERT_TRUE(pelvo.waitForExit(15000));
        EXPECT_EQ(pelvo.exitCode(), 0);
        // The host's own window saw it too, as a chat line.
        EXPECT_TRUE(pelvo.chat().contains("The table is closing.")) << pelvo.chat().toStdString();
        EXPECT_TRUE(QFileInfo::exists(QDir(pelvo.home()).filePath("Pelvotally.tld")));
    }
}

TEST(OrderlyStop, AJoiningWindowShowsWhyItsTableWent) {
    QTemporaryDir home;
    TableProcess table;
    ASSERT_TRUE(table.startOnFreePort("50"));
    qputenv("PELVO_PORT", QByteArray::number(table.port));
    qputenv("PELVO_HOME", home.path().toUtf8());
    QStringList boxes;
    const pelvo::MessageBoxHandler previous =
        pelvo::setMessageBoxHandler([&](QWidget*, const QString& text) { boxes << text; });
    {
        pelvo::Tchat w({"Bo", "127.0.0.1", "false"});
        w.processparams();
        w.show();
        ASSERT_TRUE(QTest::qWaitFor([&] { return w.state().myseat == 1; }, 10000));
        const auto said = [&](const QString& text) {
            for (const pelvo::ChatLine& line : w.session().chat().lines())
                if (line.text.contains(text)) return true;
            return false;
        };
        ASSERT_TRUE(table.stop(SIGTERM));
        EXPECT_EQ(table.process.exitCode(), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return said("The table is closing."); }, 5000));
        const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
        if (!dir.isEmpty()) w.grab().save(QDir(dir).filePath("table-closing.png"));
    }
    pelvo::setMessageBoxHandler(previous);
}
