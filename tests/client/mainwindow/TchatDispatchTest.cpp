// Received lines reaching their handlers: player lists, spectators, version lines, removal,
// "Just Watch", and lines that must be dropped without harm.

#include "client/mainwindow/Support.h"
#include "support/SessionEdit.h"

#include "client/board/Board.h"
#include "client/sound/SoundOptions.h"
#include "client/sound/SoundPlayer.h"
#include "windows/Tgamestart.h"
#include "windows/Tspylist.h"
#include "windows/Ttallylist.h"

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QTest>

using namespace pelvo;
using namespace pelvo::test;

namespace {

void feed(Tchat& w, const QStringList& lines) {
    for (const QString& line : lines) w.receivedlist().append(line);
    drain(w);
}

QStringList spies(Tchat& w) {
    QStringList out;
    for (int i = 0; i < w.spylist()->listbox_spys()->count(); ++i)
        out << w.spylist()->listbox_spys()->item(i)->text();
    return out;
}

QAction* popupItem(Tchat& w, const char* name) {
    return w.popup_kick()->findChild<QAction*>(name);
}

} // namespace

TEST_F(TchatTest, NewPlayerInfoFillsSeatsAndTheSpyList) {
    Tchat w({});
    test::edit(w.session())->myseat = 2;
    feed(w, {"CMD_newplayerinfo+2+Anna", "CMD_existingplayers+1+Bo",
             "CMD_existingplayers+3+Al+Bert", "CMD_newplayerinfo+6+Cy"});
    const QString text = chatText(w);
    EXPECT_TRUE(text.contains("You are Connected."));
    EXPECT_TRUE(text.contains("Bo is Connected."));
    EXPECT_TRUE(text.contains("Al+Bert is Connected.")) << "the name is the rest of the payload";
    EXPECT_TRUE(text.contains("Cy is spying."));
    EXPECT_EQ(w.seatCaption(1), "Bo");
    EXPECT_EQ(w.seatCaption(3), "Al+Bert");
    EXPECT_FALSE(w.board()->label_playername(1)->isHidden());
    EXPECT_FALSE(w.board()->label_score(1)->isHidden());
    EXPECT_EQ(spies(w), QStringList({"6: Cy"}));
}

TEST_F(TchatTest, ASharedNameShowsItsSlotOnTheNameLabelAndInTheSpyList) {
    Tchat w({});
    test::edit(w.session())->myseat = 1;
    feed(w, {"CMD_newplayerinfo+1+Anna", "CMD_existingplayers+2+Hal", "CMD_existingplayers+3+Cy",
             "CMD_newplayerinfo+6+Hal"});
    EXPECT_EQ(w.board()->label_playername(2)->text(), "Hal (2)");
    EXPECT_EQ(w.board()->label_playername(3)->text(), "Cy");
    EXPECT_EQ(w.seatCaption(2), "Hal"); // the tally's opponent stays the name itself
    EXPECT_EQ(spies(w), QStringList({"6: Hal"}));
    EXPECT_TRUE(chatText(w).contains("Hal (6) is spying.")) << qPrintable(chatText(w));
    if (const QString dir = qEnvironmentVariable("PELVO_SHOT_DIR"); !dir.isEmpty()) {
        w.show();
        w.grab().save(dir + "/shared-name.png");
    }
    feed(w, {"CMD_playerdisconnected+6+Hal"});
    EXPECT_EQ(w.board()->label_playername(2)->text(), "Hal");
}

TEST_F(TchatTest, DisconnectsAreAnnouncedOnlyForRealPlayersAndListedSpies) {
    Tchat w({});
    // Bo at seat 2, watching; seat 3 empty and out of the game; the computer at seat 4.
    feed(w, {"CMD_newplayerinfo+2+Bo", "CMD_justwatching+2+1", "CMD_startgame+Anna+5+f+t+",
             "CMD_newplayerinfo+6+Cy"});
    ASSERT_EQ(w.seatCaption(3), "<Waiting>");
    ASSERT_EQ(w.seatCaption(4), "Kling");
    ASSERT_FALSE(w.board()->image_eyes(2)->isHidden());
    ASSERT_EQ(spies(w), QStringList({"6: Cy"}));

    feed(w, {"CMD_playerdisconnected+2+Bo", "CMD_playerdisconnected+3+X",
             "CMD_playerdisconnected+4+Kling", "CMD_playerdisconnected+7+Zed",
             "CMD_playerdisconnected+6+Cy"});
    const QString text = chatText(w);
    EXPECT_TRUE(text.contains("Bo disconnected."));
    EXPECT_FALSE(text.contains("X disconnected.")) << qPrintable(text);
    EXPECT_FALSE(text.contains("Kling disconnected.")) << qPrintable(text);
    EXPECT_FALSE(text.contains("Zed")) << qPrintable(text);
    EXPECT_TRUE(text.contains("Cy has left."));
    EXPECT_EQ(w.seatCaption(2), "Klot");
    EXPECT_EQ(w.seatCaption(3), "Klick");
    EXPECT_TRUE(w.board()->image_eyes(2)->isHidden());
    EXPECT_TRUE(spies(w).isEmpty());
}

TEST_F(TchatTest, VersionMismatchOnlyAddsTheTwoLines) {
    Tchat w({});
    QSignalSpy closed(&w, &Tchat::mainWindowClosed);
    feed(w, {"CMD_havewrongversion+Bo", "CMD_wrongversion+"});
    EXPECT_TRUE(chatText(w).contains("Bo has a different version of the game then you."));
    EXPECT_TRUE(chatText(w).contains("You have a differnt version of the game then the host."));
    EXPECT_EQ(closed.count(), 0);
}

TEST_F(TchatTest, BadLinesAreDroppedAndTheNextLineStillRuns) {
    Tchat w({});
    feed(w, {"CMD_sendlogininfo+abc", "CMD_sendlogininfo+0", "CMD_newplayerinfo+x+Bo",
             "CMD_newplayerinfo+0+Bo", "CMD_newplayerinfo+99+Bo", "CMD_newplayerinfo",
             "CMD_playerdisconnected+-1+Bo", "CMD_justwatching+z+1", "", "garbage", "CMD_unknown+1",
             "cmd_wrongversion+", "CMD_wrongversion+"});
    EXPECT_EQ(w.state().myseat, 0);
    EXPECT_FALSE(w.state().connected);
    EXPECT_FALSE(chatText(w).contains("Bo"));
    EXPECT_TRUE(spies(w).isEmpty());
    EXPECT_TRUE(chatText(w).contains("You have a differnt version of the game then the host."));
    EXPECT_EQ(chatText(w).count("differnt"), 1);
}

TEST_F(TchatTest, JustWatchFollowsTheHostsAnnouncement) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Anna", "127.0.0.1", "join"});
    w.processparams();
    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_sendlogininfo+3\xFF");
    readUntil(peer, 28);
    feed(w, {"CMD_newplayerinfo+3+Anna"});

    QAction* justWatch = w.findChild<QAction*>("JustWatch1");
    justWatch->trigger();
    EXPECT_FALSE(justWatch->isChecked()) << "the click alone changes nothing";
    EXPECT_EQ(readUntil(peer, 18), QByteArray("CMD_justwatch+3+1\xFF"));

    feed(w, {"CMD_justwatching+3+1"});
    EXPECT_TRUE(justWatch->isChecked());
    EXPECT_FALSE(w.board()->image_eyes(3)->isHidden());
    EXPECT_TRUE(chatText(w).contains("Anna is just watching"));

    justWatch->trigger();
    EXPECT_EQ(readUntil(peer, 18), QByteArray("CMD_justwatch+3+2\xFF"));
    feed(w, {"CMD_justwatching+3+2", "CMD_justwatching+6+1"});
    EXPECT_FALSE(justWatch->isChecked());
    EXPECT_TRUE(w.board()->image_eyes(3)->isHidden());
    EXPECT_TRUE(chatText(w).contains("Anna is now playing again"));

    // Another seat's announcement leaves the own mark alone; a game start takes it off.
    feed(w, {"CMD_newplayerinfo+4+Bo", "CMD_justwatching+3+1", "CMD_justwatching+4+1"});
    EXPECT_TRUE(justWatch->isChecked());
    EXPECT_FALSE(w.board()->image_eyes(4)->isHidden());
    EXPECT_TRUE(chatText(w).contains("Bo is just watching"));
    feed(w, {"CMD_startgame+Bo+5+t+t+"});
    EXPECT_FALSE(justWatch->isChecked());
}

TEST_F(TchatTest, NameLabelMenuIsForTheHostOnly) {
    Tchat w({});
    feed(w, {"CMD_newplayerinfo+3+Bo"});
    ASSERT_EQ(w.seatCaption(2), "<Waiting>");
    w.label_playername1ContextPopup(3);
    for (const char* name : {"RemoveFromGame1", "SettoJustWatch1", "UnsetJustWatch1"})
        EXPECT_FALSE(popupItem(w, name)->isEnabled()) << name;

    test::edit(w.session())->ishost = true;
    w.label_playername1ContextPopup(2);
    EXPECT_FALSE(popupItem(w, "RemoveFromGame1")->isEnabled());
    EXPECT_TRUE(popupItem(w, "SettoJustWatch1")->isEnabled());
    EXPECT_TRUE(popupItem(w, "UnsetJustWatch1")->isEnabled());
    EXPECT_EQ(w.kickSeat(), 2);
    w.label_playername1ContextPopup(3);
    EXPECT_TRUE(popupItem(w, "RemoveFromGame1")->isEnabled());
}

TEST_F(TchatTest, RemovalAndSeatRequestsReachTheHost) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Anna", "127.0.0.1", "join"}); // the stand-in host plays the table
    w.processparams();
    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_sendlogininfo+1\xFF");
    readUntil(peer, 28);

    w.kicking(7); // not the host: nothing goes out
    test::edit(w.session())->ishost = true;
    w.kicking(6);
    EXPECT_EQ(readUntil(peer, 17), QByteArray("CMD_kickhim+1+6+\xFF"));

    w.label_playername1ContextPopup(4);
    w.findChild<QAction*>("SettoJustWatch1")->trigger();
    EXPECT_EQ(readUntil(peer, 18), QByteArray("CMD_justwatch+4+1\xFF"));

    w.label_playername1ContextPopup(2);
    w.findChild<QAction*>("UnsetJustWatch1")->trigger();
    EXPECT_EQ(readUntil(peer, 18), QByteArray("CMD_justwatch+2+2\xFF"));

    // Spy list, through the mouse: the entry last under the pointer, not the selected one.
    Tspylist* spy = w.spylist();
    QListWidget* list = spy->listbox_spys();
    QWidget* area = list->viewport();
    spy->popup_kickhim()->setEnabled(true); // as in the hosting process
    spy->show();
    feed(w, {"CMD_newplayerinfo+6+Cy", "CMD_newplayerinfo+7+Di"});
    list->addItem("broken"); // an entry the session did not make: no slot to remove
    const auto at = [&](int row) { return list->visualItemRect(list->item(row)).center(); };
    const auto move = [&](QPoint pos) {
        QMouseEvent event(QEvent::MouseMove, pos, area->mapToGlobal(pos), Qt::NoButton,
                          Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(area, &event);
    };
    // Right click: the menu opens over the entry under the pointer; its item removes that one.
    const auto rightClickAndRemove = [&](QPoint pos) {
        QContextMenuEvent event(QContextMenuEvent::Mouse, pos, area->mapToGlobal(pos));
        QApplication::sendEvent(area, &event);
        QMenu* menu = spy->findChild<QMenu*>("popup_kick");
        EXPECT_TRUE(menu->isVisible());
        QTest::mouseClick(menu, Qt::LeftButton, {},
                          menu->actionGeometry(spy->popup_kickhim()).center());
        EXPECT_FALSE(menu->isVisible());
    };
    list->setCurrentRow(0);
    move(at(0));
    rightClickAndRemove(at(1));
    EXPECT_EQ(readUntil(peer, 17), QByteArray("CMD_kickhim+1+7+\xFF"));
    EXPECT_EQ(spy->listTag(), 1);

    // Nothing under the pointer (it left the list, or points below the entries), or an entry
    // without a slot: nothing goes out.
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(area, &leave);
    EXPECT_EQ(spy->listTag(), -1);
    spy->popup_kickhim()->trigger();
    rightClickAndRemove(QPoint(5, area->height() - 3));
    rightClickAndRemove(at(2));
    move(at(0));
    spy->popup_kickhim()->trigger();
    EXPECT_EQ(readUntil(peer, 17), QByteArray("CMD_kickhim+1+6+\xFF"));
}

TEST_F(TchatTest, ASpectatorsJustWatchSendsNothing) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Eve", "127.0.0.1", "join"});
    w.processparams();
    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_sendlogininfo+6\xFF");
    EXPECT_TRUE(readUntil(peer, 27).startsWith("CMD_logininfo+6+"));
    ASSERT_TRUE(w.state().connected);

    w.findChild<QAction*>("JustWatch1")->trigger();
    w.session().sendChat("next");
    // The chat line is the first thing after the login.
    EXPECT_TRUE(readUntil(peer, 17).startsWith("CMD_chat+6+next|"));
}

TEST_F(TchatTest, StartNeedsAConnection) {
    Tchat w({});
    w.findChild<QAction*>("StartGame1")->trigger();
    EXPECT_EQ(messages, QStringList({"You are not connected"}));
    EXPECT_FALSE(w.gamestart()->isVisible());
    test::edit(w.session())->connected = true;
    w.board()->button_start()->click();
    EXPECT_TRUE(w.gamestart()->isVisible());
    EXPECT_EQ(messages.size(), 1);
}

TEST_F(TchatTest, ViewTallyListsTheOpponentsAndTicksFollowedOnes) {
    Tchat w({});
    test::edit(w.session())->myseat = 1;
    feed(w, {"CMD_newplayerinfo+1+Me", "CMD_newplayerinfo+2+Bo", "CMD_newplayerinfo+4+Cy"});
    w.tallylist()->listbox_tally()->addItem("Cy");
    w.ViewTally1Click();
    QListWidget* list = w.tallylist()->checklist();
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "Bo");
    EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list->item(1)->text(), "Cy");
    EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
    EXPECT_TRUE(w.tallylist()->isVisible());

    emit w.session().gameRecorded("addtomine");
    EXPECT_EQ(w.tallylist()->recordedGames(), QStringList({"addtomine"}));
}

// A host built to the letter calls seat 3's computer "Klock"; this client's label, banner and
// tally all call it "Klick", as a repaired host does too.
TEST_F(TchatTest, SeatThreesComputerHasOneNameInTheLabelTheBannerAndTheTally) {
    Tchat w({});
    test::edit(w.session())->myseat = 1;
    feed(w, {"CMD_newplayerinfo+1+Me", "CMD_startgame+Me+3+t+f+"});
    ASSERT_EQ(w.seatCaption(3), "Klick");
    w.ViewTally1Click();
    Ttallylist* tally = w.tallylist();
    const auto found = tally->checklist()->findItems("Klick", Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1);
    tally->checklistClickCheck(found.first());

    feed(w, {"CMD_winner+Klock+"});
    EXPECT_TRUE(chatText(w).contains("Klick has Won the Game!")) << qPrintable(chatText(w));
    EXPECT_FALSE(chatText(w).contains("Klock"));
    feed(w, {"CMD_winner+Klick+"});
    // Someone who goes by "Klock" keeps his name.
    feed(w, {"CMD_newplayerinfo+2+Klock", "CMD_winner+Klock+"});
    EXPECT_TRUE(chatText(w).contains("Klock has Won the Game!"));
    EXPECT_EQ(tally->recordedGames(), QStringList({"Klick", "Klick", "Klock"}));
    EXPECT_EQ(tally->stringgrid_scores().cell(0, 1), "Klick");
    EXPECT_EQ(tally->stringgrid_scores().cell(2, 1), "2") << "both wins are Klick's";
    EXPECT_EQ(tally->stringgrid_scores().cell(4, 1), "1");
}

TEST_F(TchatTest, TheTurnSoundMenuChoosesTheOwnTurnsClip) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Anna", "127.0.0.1", "join"});
    w.processparams();
    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_sendlogininfo+2\xFF");
    readUntil(peer, 28);
    feed(w, {"CMD_nextplayer+2+0+"});
    EXPECT_EQ(w.sounds()->player().lastRequested(), "turn");

    w.findChild<QAction*>("New1")->trigger();
    feed(w, {"CMD_nextplayer+2+0+"});
    EXPECT_EQ(w.sounds()->player().lastRequested(), "turnnew");
    feed(w, {"CMD_nextplayer+2+1+"});
    EXPECT_EQ(w.sounds()->player().lastRequested(), "lastturn");

    w.findChild<QAction*>("Classic1")->trigger();
    feed(w, {"CMD_nextplayer+2+0+"});
    EXPECT_EQ(w.sounds()->player().lastRequested(), "turn");
}

TEST_F(TchatTest, TheChatDumpFollowsEveryLine) {
    const QString dump = home.filePath("chat.txt");
    qputenv("PELVO_TEST_DUMP_CHAT", dump.toUtf8());
    Tchat w({});
    qunsetenv("PELVO_TEST_DUMP_CHAT");
    Settings quiet = w.session().settings();
    quiet.playerPhraseSounds = false; // chatter sounds show as lines
    w.session().setSettings(quiet);
    const auto dumped = [&] {
        QFile file(dump);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    };
    // A system line, a player's chat, an action, a chatter sound's line.
    for (const QString& line :
         {QString("CMD_newplayerinfo+2+Bo"), QString("CMD_chat+2+Bo chats: pipe a|b test|clBlue"),
          QString("CMD_action+2+Bo waves|clBlue"), QString("CMD_playasound+2+wave3+")}) {
        const QString before = chatText(w);
        feed(w, {line});
        ASSERT_NE(chatText(w), before) << qPrintable(line);
        EXPECT_EQ(dumped(), chatText(w)) << qPrintable(line);
    }
    EXPECT_TRUE(dumped().contains("pipe a|b test"));
}
