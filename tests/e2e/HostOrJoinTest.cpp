// Playing with others without the lobby program: a window started without arguments hosts
// through "Host or Join a Table…", a second finds that table in the dialog's list (asked over
// loopback only) and joins it, and they play a game to the winner. The restart that goes on
// with a choice is checked by its command line in-process, and once for real.

#include "bot/BotPlayer.h"
#include "client/Restart.h"
#include "client/Tchat.h"
#include "client/board/Board.h"
#include "host/TServer.h"
#include "session/TableChoice.h"
#include "session/TableFinder.h"
#include "session/settings/IniFile.h"
#include "session/settings/SettingsFile.h"
#include "support/TestEnv.h"
#include "windows/HostOrJoin.h"
#include "windows/MessageBox.h"
#include "windows/Tdownload.h"
#include "windows/Tlobby.h"

// Qt
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>
#include <QUuid>

#include <gtest/gtest.h>

// std
#include <memory>
#include <optional>

// POSIX
#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace pelvo {
namespace {

class HostOrJoinTest : public ::testing::Test {
protected:
    void SetUp() override {
        port = test::freePort();
        qputenv("PELVO_PORT", QByteArray::number(port));
        qputenv("PELVO_HOME", home.path().toUtf8());
        ASSERT_EQ(qgetenv("PELVO_DISCOVERY_ADDRESS"), "127.0.0.1"); // set by the test's main
        previousMessage =
            setMessageBoxHandler([this](QWidget*, const QString& text) { messages << text; });
        previousQuestion = setQuestionHandler([this](QWidget*, const QString& text) {
            questions << text;
            return true;
        });
    }
    void TearDown() override {
        setMessageBoxHandler(previousMessage);
        setQuestionHandler(previousQuestion);
        qunsetenv("PELVO_HOME");
        qunsetenv("PELVO_PORT");
    }

    // A window as a start without arguments makes it; a restart is recorded, not made.
    std::unique_ptr<Tchat> start(const QStringList& params, std::optional<RestartPlan>* plan) {
        auto w = std::make_unique<Tchat>(params);
        w->server()->botSpeed = [] { return 2; };
        if (plan) w->setRestarter([plan](const RestartPlan& p) { *plan = p; });
        w->show();
        return w;
    }
    static QLineEdit* nameField(HostOrJoin* d) { return d->findChild<QLineEdit*>("edit_name"); }
    QString remembered(const char* key) const {
        return IniFile(settingsPath()).readString("Pelvo", key).value_or(QString());
    }

    QTemporaryDir home;
    quint16 port = 0;
    QStringList messages, questions;
    MessageBoxHandler previousMessage;
    QuestionHandler previousQuestion;
};

void saveShot(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (!dir.isEmpty()) widget->grab().save(QDir(dir).filePath(name));
}

TEST_F(HostOrJoinTest, AWindowHostsThroughTheDialogASecondJoinsFromTheListAndTheyPlay) {
    // Anna starts without arguments (a solo game) and hosts through the dialog.
    std::optional<RestartPlan> annaPlan;
    auto anna = start({}, &annaPlan);
    ASSERT_TRUE(QTest::qWaitFor([&] { return anna->state().myseat == 1; }, 5000));
    anna->findChild<QAction*>("HostOrJoin1")->trigger();
    HostOrJoin* dialog = anna->hostOrJoin();
    ASSERT_TRUE(dialog && dialog->isVisible());
    EXPECT_EQ(dialog->choice(), (TableChoice{"", false, "", port})); // nothing remembered yet
    dialog->setChoice({"Anna", true, "", port});
    dialog->chooseClicked();
    ASSERT_TRUE(annaPlan);
    EXPECT_EQ(annaPlan->arguments, QStringList({"Anna", "127.0.0.1", "true"}));
    EXPECT_FALSE(annaPlan->port); // the port the program uses anyway
    EXPECT_FALSE(anna->isVisible());
    EXPECT_EQ(remembered("Playername"), "Anna");
    anna.reset(); // the process is replaced: its table and sockets are gone

    auto annaHost = start(annaPlan->arguments, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return annaHost->seatCaption(1) == "Anna"; }, 5000));

    // Bo starts without arguments too: the port is taken by Anna's table, so his window offers
    // to join and its dialog lists the tables that answered over loopback.
    std::optional<RestartPlan> boPlan;
    auto bo = start({}, &boPlan);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return bo->hostOrJoin() && bo->hostOrJoin()->isVisible(); }, 5000));
    EXPECT_EQ(messages, QStringList("Listen - Error Binding Socket"));
    EXPECT_EQ(questions.size(), 1);
    HostOrJoin* find = bo->hostOrJoin();
    ASSERT_TRUE(QTest::qWaitFor([&] { return find->tables()->topLevelItemCount() == 1; }, 5000));
    QTreeWidgetItem* row = find->tables()->topLevelItem(0);
    EXPECT_EQ(row->text(0), "Anna");
    EXPECT_EQ(row->text(1), QString("127.0.0.1:%1").arg(port));
    EXPECT_EQ(row->text(3), "1 of 4");
    EXPECT_EQ(row->text(4), "waiting");
    EXPECT_EQ(nameField(find)->text(), "Anna"); // the name this computer remembers
    nameField(find)->setText("Bo");
    find->tables()->clearSelection();
    find->findChild<QComboBox*>("combo_address")->setEditText("");
    find->pickTable(0);
    find->resize(560, 420);
    saveShot(find, "host-or-join-dialog.png");
    EXPECT_EQ(find->choice(), (TableChoice{"Bo", false, "127.0.0.1", port}));
    find->chooseClicked();
    ASSERT_TRUE(boPlan);
    EXPECT_EQ(boPlan->arguments, QStringList({"Bo", "127.0.0.1", "false"}));
    EXPECT_EQ(remembered("Recentaddresses"), "127.0.0.1");
    bo.reset();

    auto boPlayer = start(boPlan->arguments, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return annaHost->seatCaption(2) == "Bo"; }, 5000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return boPlayer->seatCaption(1) == "Anna"; }, 5000));

    // A third window types the address itself; it is seated beside them.
    std::optional<RestartPlan> cyPlan;
    auto cy = start({}, &cyPlan);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return cy->hostOrJoin() && cy->hostOrJoin()->isVisible(); }, 5000));
    EXPECT_EQ(cy->hostOrJoin()->choice().address, "127.0.0.1"); // the table on this computer
    nameField(cy->hostOrJoin())->setText("Cy");
    cy->hostOrJoin()->findChild<QComboBox*>("combo_address")->setEditText("localhost");
    cy->hostOrJoin()->chooseClicked();
    ASSERT_TRUE(cyPlan);
    EXPECT_EQ(cyPlan->arguments, QStringList({"Cy", "localhost", "false"}));
    EXPECT_EQ(remembered("Recentaddresses"), "localhost,127.0.0.1");
    cy.reset();
    auto cyPlayer = start(cyPlan->arguments, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return annaHost->seatCaption(3) == "Cy"; }, 5000));

    // They play, each seat through its own window's session, to the winner.
    BotPlayer annaHand(annaHost->session(), 1), boHand(boPlayer->session(), 2),
        cyHand(cyPlayer->session(), 3);
    annaHost->session().startGame("Anna", "3", 1, 1);
    for (Tchat* w : {annaHost.get(), boPlayer.get(), cyPlayer.get()})
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return w->board()->label_status()->text() == "Game Over!"; }, 120000))
            << w->board()->label_status()->text().toStdString();
    const QString banner = annaHost->board()->findChild<QLabel*>("label_winner1")->text();
    EXPECT_TRUE(banner.endsWith("Won the Game!")) << banner.toStdString();
    EXPECT_EQ(messages.size(), 2) << messages.join("; ").toStdString(); // Bo's and Cy's port
}

TEST_F(HostOrJoinTest, PlayWithOthersWithoutTheLobbyProgramOpensTheLobbyWindow) {
    qputenv("PELVO_LOBBY_PROGRAM", home.filePath("absent").toUtf8());
    auto w = start({}, nullptr);
    w->download()->Button2Click();
    qunsetenv("PELVO_LOBBY_PROGRAM");
    EXPECT_TRUE(messages.isEmpty());
    ASSERT_TRUE(w->lobby());
    EXPECT_TRUE(w->lobby()->isVisible());
    // The solo game goes on if the player closes it.
    w->lobby()->close();
    QTest::qWait(50);
    EXPECT_TRUE(w->isVisible());
}

// The restart for real: the chosen command line replaces a process, which then hosts the table
// under the chosen name on the chosen port (handed over as PELVO_PORT), and answers a search.
TEST(HostOrJoinRestart, TheProgramStartsAgainWithTheChosenCommandLine) {
    QTemporaryDir home;
    const quint16 port = test::freePort();
    const RestartPlan plan = restartPlan({"Anna", true, "", port}, "7772");
    ASSERT_EQ(plan.port, port);
    const QString program = test::programPath("src/pelvo");
    EXPECT_EQ(restartCommand(program, plan), QStringList({program, "Anna", "127.0.0.1", "true"}));

    const QByteArray previousPort = qgetenv("PELVO_PORT");
    qunsetenv("PELVO_PORT");
    qputenv("PELVO_HOME", home.path().toUtf8());
    qputenv("PELVO_INSTANCE", "pelvo-restart-" + QUuid::createUuid().toByteArray(QUuid::Id128));
    qputenv("PELVO_TEST_AUTO_ACCEPT", "1");
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execRestart(program, plan);
        ::_exit(127);
    }
    qunsetenv("PELVO_TEST_AUTO_ACCEPT");
    qunsetenv("PELVO_INSTANCE");
    qunsetenv("PELVO_HOME");
    if (!previousPort.isEmpty()) qputenv("PELVO_PORT", previousPort);

    TableFinder finder;
    const bool found = QTest::qWaitFor(
        [&] {
            finder.search(port);
            QTest::qWait(100);
            return !finder.found().isEmpty();
        },
        15000);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(found);
    EXPECT_EQ(finder.found().first().address, "127.0.0.1");
    EXPECT_EQ(finder.found().first().table.tableName, "Anna");
    EXPECT_EQ(finder.found().first().table.port, port);
    EXPECT_EQ(finder.found().first().table.seatsTaken, 1); // Anna's own window
}

} // namespace
} // namespace pelvo
