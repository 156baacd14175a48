// Meeting online through a real pelvo-hub that starts real pelvo-table processes: two windows
// meet in the lobby (its list and chat over HTTP and the WebSocket), one creates a private
// table, the other joins it by its code, and they play to the winner; a third finds a public
// table in the list and watches it. Restarts are recorded and made in-process, as the
// Host or Join test does.

#include "bot/BotPlayer.h"
#include "client/Tchat.h"
#include "client/board/Board.h"
#include "client/chat/ChatPanel.h"
#include "host/TServer.h"
#include "session/HubClient.h"
#include "session/settings/IniFile.h"
#include "session/settings/SettingsFile.h"
#include "support/TestEnv.h"
#include "windows/CreateTable.h"
#include "windows/HostOrJoin.h"
#include "windows/MessageBox.h"
#include "windows/Tdownload.h"
#include "windows/Tlobby.h"

// Qt
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeWidget>

#include <gtest/gtest.h>

// std
#include <memory>
#include <optional>

namespace pelvo {
namespace {

void saveShot(QWidget* widget, const QString& name) {
    const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR");
    if (!dir.isEmpty()) widget->grab().save(QDir(dir).filePath(name));
}

class LobbyTest : public ::testing::Test {
protected:
    void SetUp() override {
        const QString program = test::programPath("src/pelvo-hub");
        if (!QFileInfo(program).isExecutable()) GTEST_SKIP() << "pelvo-hub is not built";
        hubPort = test::freePort();
        // Ten table ports above a free one; the hub skips any that turn out taken.
        const quint16 first = test::freePort();
        hub.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        hub.start(program, {"--port", QString::number(hubPort), "--table-ports",
                            QString("%1-%2").arg(first).arg(first + 9), "--table-bot-speed", "3"});
        ASSERT_TRUE(hub.waitForStarted());
        hubAddress = QString("127.0.0.1:%1").arg(hubPort);
        HubClient probe;
        probe.setHub(hub::hubUrl(hubAddress));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                bool answered = false, done = false;
                probe.listTables([&](const auto&) { answered = done = true; },
                                 [&](const auto&) { done = true; });
                (void)QTest::qWaitFor([&] { return done; }, 2000);
                if (!answered) QTest::qWait(100);
                return answered;
            },
            15000));

        qputenv("PELVO_HOME", home.path().toUtf8());
        qputenv("PELVO_HUB", hubAddress.toUtf8());
        qputenv("PELVO_LOBBY_PROGRAM", home.filePath("absent").toUtf8());
        previousMessage =
            setMessageBoxHandler([this](QWidget*, const QString& text) { messages << text; });
        previousQuestion = setQuestionHandler([](QWidget*, const QString&) { return true; });
    }
    void TearDown() override {
        windows.clear();
        setMessageBoxHandler(previousMessage);
        setQuestionHandler(previousQuestion);
        for (const char* name : {"PELVO_HOME", "PELVO_HUB", "PELVO_LOBBY_PROGRAM", "PELVO_PORT"})
            qunsetenv(name);
        if (hub.state() != QProcess::NotRunning) {
            hub.terminate(); // the tables it started are told to close
            if (!hub.waitForFinished(10000)) hub.kill();
        }
    }

    // A window as the program makes it, on a game port of its own; a restart is recorded.
    Tchat* start(const QStringList& params, quint16 port, std::optional<RestartPlan>* plan) {
        qputenv("PELVO_PORT", QByteArray::number(port));
        auto w = std::make_unique<Tchat>(params);
        w->server()->botSpeed = [] { return 2; };
        if (plan) w->setRestarter([plan](const RestartPlan& p) { *plan = p; });
        w->show();
        windows.push_back(std::move(w));
        return windows.back().get();
    }
    // The window a restart makes: its command line, its port and what it was asked to do.
    Tchat* restart(const RestartPlan& plan) {
        if (plan.justWatch) qputenv("PELVO_JUST_WATCH", "1");
        if (!plan.privateCode.isEmpty()) qputenv("PELVO_TABLE_CODE", plan.privateCode.toUtf8());
        if (!plan.listOnHub.isEmpty()) qputenv("PELVO_LIST_ON_HUB", plan.listOnHub.toUtf8());
        return start(plan.arguments, portOf(plan), nullptr);
    }
    // The game port a restart goes on with: the plan's, or the one the process has (all the
    // windows here share one environment).
    static quint16 portOf(const RestartPlan& plan) {
        return plan.port.value_or(quint16(qEnvironmentVariableIntValue("PELVO_PORT")));
    }
    // A solo window has sat down at its own table.
    static bool seated(Tchat* w) {
        return QTest::qWaitFor([&] { return w->state().myseat == 1; }, 20000);
    }
    std::string said(Tchat* w) const {
        return (w->chat()->plainText() + " / " + messages.join("; ")).toStdString();
    }
    static bool connected(Tlobby* lobby) {
        return lobby->client().lobbyConnected() && lobby->status().startsWith("Connected");
    }
    QString remembered(const char* key) const {
        return IniFile(settingsPath()).readString("Pelvo", key).value_or(QString());
    }

    QProcess hub;
    quint16 hubPort = 0;
    QString hubAddress;
    QTemporaryDir home;
    std::vector<std::unique_ptr<Tchat>> windows;
    QStringList messages;
    MessageBoxHandler previousMessage;
    QuestionHandler previousQuestion;
};

TEST_F(LobbyTest, FriendsMeetByCodeAndPlayAThirdWatchesAPublicTable) {
    // Anna's solo game offers "Play with Others"; Bo uses File › Find a Table Online….
    std::optional<RestartPlan> annaPlan, boPlan, cyPlan;
    Tchat* anna = start({}, test::freePort(), &annaPlan);
    ASSERT_TRUE(seated(anna)) << said(anna);
    anna->download()->Button2Click();
    Tlobby* annaLobby = anna->lobby();
    ASSERT_TRUE(annaLobby && annaLobby->isVisible());
    annaLobby->findChild<QLineEdit*>("edit_name")->setText("Anna");
    ASSERT_TRUE(QTest::qWaitFor([&] { return connected(annaLobby); }, 10000))
        << annaLobby->status().toStdString();
    EXPECT_EQ(remembered("Hubaddress"), hubAddress); // chosen by connecting

    Tchat* bo = start({}, test::freePort(), &boPlan);
    ASSERT_TRUE(seated(bo)) << said(bo);
    bo->findChild<QAction*>("FindTableOnline1")->trigger();
    Tlobby* boLobby = bo->lobby();
    ASSERT_TRUE(boLobby && boLobby->isVisible());
    boLobby->findChild<QLineEdit*>("edit_name")->setText("Bo");
    ASSERT_TRUE(QTest::qWaitFor([&] { return connected(boLobby); }, 10000));

    // They talk in the lobby; markup stays text.
    annaLobby->findChild<QLineEdit*>("edit_chat")->setText("Bo, want a game? <b>private</b>");
    annaLobby->sendClicked();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return boLobby->chatText().contains("Anna: Bo, want a game? <b>private</b>"); },
        10000))
        << boLobby->chatText().toStdString();
    boLobby->findChild<QLineEdit*>("edit_chat")->setText("Sure, send me the code.");
    boLobby->sendClicked();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return annaLobby->chatText().contains("Bo: Sure, send me the code."); }, 10000));

    // Anna creates a private table: it is not listed, and she is shown its code.
    annaLobby->createClicked();
    CreateTable* form = annaLobby->createDialog();
    ASSERT_TRUE(form->isVisible());
    EXPECT_EQ(form->tableName(), "Anna's table");
    form->setChoice("Anna and Bo", true, "expert");
    saveShot(form, "lobby-create-table.png");
    form->accept();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !annaLobby->shownCode().isEmpty(); }, 15000))
        << messages.join("; ").toStdString();
    const QString code = annaLobby->shownCode();
    EXPECT_EQ(hub::normaliseCode(code), code);
    annaLobby->copyClicked();
    EXPECT_EQ(QApplication::clipboard()->text(), code);
    saveShot(annaLobby, "lobby-private-code.png");
    QTest::qWait(300); // the list would have shown it by now
    EXPECT_EQ(boLobby->tables()->topLevelItemCount(), 0);

    annaLobby->goToMyTableClicked();
    ASSERT_TRUE(annaPlan);
    EXPECT_EQ(annaPlan->arguments, QStringList({"Anna", "127.0.0.1", "false"}));
    ASSERT_TRUE(annaPlan->port);
    EXPECT_EQ(annaPlan->privateCode, code);
    Tchat* annaAtTable = restart(*annaPlan);
    ASSERT_TRUE(QTest::qWaitFor([&] { return annaAtTable->seatCaption(1) == "Anna"; }, 10000));
    EXPECT_TRUE(annaAtTable->chat()->plainText().contains("Your private table's code is " + code));
    saveShot(annaAtTable, "lobby-code-in-table-chat.png");

    // Bo joins by the code (typed in small letters with a dash).
    QString typed = code.toLower();
    typed.insert(3, '-');
    boLobby->findChild<QLineEdit*>("edit_code")->setText(typed);
    boLobby->codeClicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boPlan.has_value(); }, 10000))
        << messages.join("; ").toStdString();
    EXPECT_EQ(boPlan->arguments, QStringList({"Bo", "127.0.0.1", "false"}));
    EXPECT_EQ(portOf(*boPlan), *annaPlan->port);
    EXPECT_FALSE(boPlan->justWatch);
    Tchat* boAtTable = restart(*boPlan);
    ASSERT_TRUE(QTest::qWaitFor([&] { return annaAtTable->seatCaption(2) == "Bo"; }, 10000));

    // A third window finds only public tables: one appears in its list, and it watches it.
    HubClient other;
    other.setHub(hub::hubUrl(hubAddress));
    std::optional<hub::Created> publicTable;
    other.createTable(
        "Dee's table", false, "classic", [&](const hub::Created& c) { publicTable = c; },
        [](const hub::Error&) {});
    other.createTable(
        "Family game", false, "expert", [](const hub::Created&) {}, [](const hub::Error&) {});
    ASSERT_TRUE(QTest::qWaitFor([&] { return publicTable.has_value(); }, 15000));
    Tchat* cy = start({}, test::freePort(), &cyPlan);
    ASSERT_TRUE(seated(cy)) << said(cy);
    cy->FindTableOnline1Click();
    Tlobby* cyLobby = cy->lobby();
    cyLobby->findChild<QLineEdit*>("edit_name")->setText("Cy");
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return cyLobby->tables()->topLevelItemCount() == 2; }, 15000));
    ASSERT_TRUE(cyLobby->selectTable(publicTable->id));
    EXPECT_EQ(cyLobby->tables()->currentItem()->text(0), "Dee's table");
    // The lobby's last lines greet a newcomer.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return cyLobby->chatText().contains("Bo: Sure, send me the code."); }, 10000));
    saveShot(cyLobby, "lobby-list-and-chat.png");
    cyLobby->watchClicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return cyPlan.has_value(); }, 10000));
    EXPECT_TRUE(cyPlan->justWatch);
    EXPECT_EQ(portOf(*cyPlan), publicTable->port);
    Tchat* cyWatching = restart(*cyPlan);
    EXPECT_TRUE(qEnvironmentVariableIsEmpty("PELVO_JUST_WATCH")); // taken once
    ASSERT_TRUE(QTest::qWaitFor([&] { return cyWatching->seatCaption(1) == "Cy"; }, 10000));
    // Cy runs the empty table, so Cy starts its game: the computer plays Cy's seat throughout.
    cyWatching->session().startGame("Cy", "3", 1, 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return cyWatching->session().table().justWatching; }, 10000));

    // Anna and Bo play their game to the winner.
    BotPlayer annaHand(annaAtTable->session(), 1), boHand(boAtTable->session(), 2);
    annaAtTable->session().startGame("Anna", "3", 1, 1);
    for (Tchat* w : {annaAtTable, boAtTable, cyWatching})
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return w->board()->label_status()->text() == "Game Over!"; }, 180000))
            << w->board()->label_status()->text().toStdString();
    const QString banner = annaAtTable->board()->findChild<QLabel*>("label_winner1")->text();
    EXPECT_TRUE(banner.endsWith("Won the Game!")) << banner.toStdString();
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();
}

// A player who hosts ticks "List this table on the hub": the hub checks that the table answers,
// lists it, and someone in the lobby finds it and joins.
TEST_F(LobbyTest, AHostedTableListedOnTheHubIsFoundAndJoined) {
    std::optional<RestartPlan> annaPlan, boPlan;
    Tchat* anna = start({}, test::freePort(), &annaPlan);
    ASSERT_TRUE(seated(anna)) << said(anna);
    anna->findChild<QAction*>("HostOrJoin1")->trigger();
    HostOrJoin* dialog = anna->hostOrJoin();
    ASSERT_TRUE(dialog && dialog->isVisible());
    auto* tick = dialog->findChild<QCheckBox*>("check_listonhub");
    EXPECT_TRUE(tick->text().contains(hubAddress)); // the hub it would use
    const quint16 tablePort = test::freePort();
    dialog->setChoice({"Anna", true, "", tablePort});
    EXPECT_TRUE(dialog->choice().listOnHub.isEmpty()); // off until ticked
    tick->setChecked(true);
    dialog->chooseClicked();
    ASSERT_TRUE(annaPlan);
    EXPECT_EQ(annaPlan->arguments, QStringList({"Anna", "127.0.0.1", "true"}));
    EXPECT_EQ(annaPlan->listOnHub, hubAddress);
    Tchat* host = restart(*annaPlan);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return host->chat()->plainText().contains("is listed on the hub"); }, 20000))
        << said(host);

    Tchat* bo = start({}, test::freePort(), &boPlan);
    ASSERT_TRUE(seated(bo)) << said(bo);
    bo->FindTableOnline1Click();
    Tlobby* lobby = bo->lobby();
    lobby->findChild<QLineEdit*>("edit_name")->setText("Bo");
    ASSERT_TRUE(QTest::qWaitFor([&] { return lobby->tables()->topLevelItemCount() == 1; }, 20000));
    EXPECT_EQ(lobby->tables()->topLevelItem(0)->text(0), "Anna");
    lobby->tables()->setCurrentItem(lobby->tables()->topLevelItem(0));
    lobby->joinClicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return boPlan.has_value(); }, 10000));
    EXPECT_EQ(portOf(*boPlan), tablePort);
    restart(*boPlan);
    ASSERT_TRUE(QTest::qWaitFor([&] { return host->seatCaption(2) == "Bo"; }, 10000));
    EXPECT_TRUE(messages.isEmpty()) << messages.join("; ").toStdString();

    // The table closes and takes its listing down. A lobby that still shows it (its live
    // connection ended when it was hidden) says so when the player tries to join.
    EXPECT_FALSE(lobby->isVisible());
    host->server()->closeTable([] {});
    HubClient probe;
    probe.setHub(hub::hubUrl(hubAddress));
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            std::optional<int> listed;
            probe.listTables([&](const QList<hub::Table>& t) { listed = int(t.size()); },
                             [&](const hub::Error&) { listed = -1; });
            (void)QTest::qWaitFor([&] { return listed.has_value(); }, 2000);
            return listed == 0;
        },
        10000));
    lobby->show();
    ASSERT_EQ(lobby->tables()->topLevelItemCount(), 1);
    lobby->tables()->setCurrentItem(lobby->tables()->topLevelItem(0));
    boPlan.reset();
    lobby->joinClicked();
    const auto gone = [&] { return messages.filter(QRegularExpression("^That table is gone")); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return !gone().isEmpty(); }, 10000))
        << messages.join("; ").toStdString();
    EXPECT_FALSE(boPlan);
    EXPECT_EQ(lobby->tables()->topLevelItemCount(), 0); // the list is as the hub has it now
}

// Failures against the real hub say what happened and what to try.
TEST_F(LobbyTest, AnUnknownCodeAndAnAbsentHubAreSaid) {
    Tchat* w = start({}, test::freePort(), nullptr);
    w->FindTableOnline1Click();
    Tlobby* lobby = w->lobby();
    lobby->findChild<QLineEdit*>("edit_name")->setText("Bo");
    ASSERT_TRUE(QTest::qWaitFor([&] { return connected(lobby); }, 10000));
    lobby->findChild<QLineEdit*>("edit_code")->setText("ZZZZZZ");
    lobby->codeClicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.isEmpty(); }, 10000));
    EXPECT_TRUE(messages.last().startsWith("No table has that code."))
        << messages.last().toStdString();

    lobby->findChild<QComboBox*>("combo_hub")
        ->setEditText(QString("127.0.0.1:%1").arg(test::freePort()));
    lobby->connectClicked();
    ASSERT_TRUE(QTest::qWaitFor([&] { return lobby->status().contains("does not answer"); }, 15000))
        << lobby->status().toStdString();
    EXPECT_EQ(remembered("Hubaddress"), hubAddress); // a hub that did not answer is not kept
}

} // namespace
} // namespace pelvo
