// The main window from creation to the seated player: layout, menu, command line, login.

#include "client/mainwindow/Support.h"

#include "client/board/Board.h"
#include "client/sound/PhraseBar.h"
#include "client/chat/ChatPanel.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "windows/Tabout.h"
#include "windows/Tdownload.h"
#include "windows/Tspylist.h"

#include <QAbstractButton>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

using namespace pelvo;
using namespace pelvo::test;

namespace {

// A caption as it reads, without the accelerator's mark.
QString shown(const QAction* a) {
    return QString(a->text()).remove(u'&');
}

// objectName and caption of each item, "-" for a separator.
QStringList items(const QMenu* menu) {
    QStringList out;
    for (const QAction* a : menu->actions())
        out << a->objectName() + "=" + (a->isSeparator() ? QString("-") : shown(a));
    return out;
}

QMenu* menuNamed(Tchat& w, const QString& title) {
    for (QAction* a : w.menuBar()->actions())
        if (shown(a) == title) return a->menu();
    return nullptr;
}

QAction* item(Tchat& w, const char* name) {
    return w.findChild<QAction*>(name);
}

} // namespace

// The side windows every start needs are built with the window, hidden; the rarely opened ones
// when first asked for, once.
TEST_F(TchatTest, CreatesTheWindowThenTheSideWindowsWhenNeeded) {
    Tchat w({});
    EXPECT_EQ(w.windowTitle(), "Pelvo");
    EXPECT_EQ(w.pos(), QPoint(3, 3));
    EXPECT_EQ(w.centralWidget()->palette().color(QPalette::Window), QColor(140, 158, 83));
    EXPECT_EQ(w.board()->geometry(), QRect(1, 1, 765, 542));

    const auto captions = [&w] {
        QStringList shown;
        for (QObject* child : w.children())
            if (auto* dialog = qobject_cast<QDialog*>(child)) {
                shown << dialog->windowTitle();
                EXPECT_TRUE(dialog->isHidden()) << qPrintable(dialog->windowTitle());
            }
        return shown;
    };
    const QStringList atStart{"Pelvo - Spys", "Download The Kavrel Hub", "Pelvo - Tally List"};
    EXPECT_EQ(captions(), atStart);
    QDialog* about = w.about();
    EXPECT_EQ(w.about(), about);
    w.help();
    w.gamestart();
    w.phrasesEditor();
    w.help();
    EXPECT_EQ(captions(), atStart + QStringList({"Pelvo - About", "Pelvo - Help File",
                                                 "Pelvo - Game Start", "Pelvo - Phrase Buttons "}));
    ASSERT_NE(w.server(), nullptr);
    EXPECT_FALSE(w.server()->Sock1->Listen());
    EXPECT_EQ(w.about()->versionText(), "1.0.1");
    EXPECT_FALSE(w.Timer1()->isActive()) << "an idle client must not tick";
    EXPECT_TRUE(w.session().phraseReady());
    EXPECT_EQ(w.state().seatnames[2], "Klot");

    // Chat and phrases sit in the lower right, clear of the own seat's cards and labels.
    const QPoint board = w.board()->pos();
    const QRect cards(252, 200, 223, 295), labels(252, 219, 349, 42);
    for (QWidget* part : {static_cast<QWidget*>(w.chat()), static_cast<QWidget*>(w.phraseBar())}) {
        const QRect inBoard = part->geometry().translated(-board);
        EXPECT_FALSE(inBoard.intersects(cards)) << qPrintable(part->metaObject()->className());
        EXPECT_FALSE(inBoard.intersects(labels)) << qPrintable(part->metaObject()->className());
        EXPECT_TRUE(QRect(0, 0, 765, 542).contains(inBoard));
    }
    EXPECT_LT(w.phraseBar()->geometry().bottom(), w.chat()->geometry().top());
}

TEST_F(TchatTest, MenuBarHoldsEveryItemInOrder) {
    Tchat w({});
    EXPECT_EQ(w.menuBar()->objectName(), "MainMenu1");
    QStringList titles;
    for (QAction* a : w.menuBar()->actions()) titles << shown(a);
    EXPECT_EQ(titles, QStringList({"File", "Options", "View", "Help"}));

    EXPECT_EQ(
        items(menuNamed(w, "File")),
        QStringList({"StartGame1=Start Game", "HostOrJoin1=Host or Join a Table…",
                     "FindTableOnline1=Find a Table Online…", "RematchThisDeal1=Rematch This Deal",
                     "OpenGameRecord1=Open Game Record\u2026", "Statistics1=Statistics", "N1=-",
                     "Exit1=Exit"}));
    EXPECT_EQ(items(menuNamed(w, "View")),
              QStringList({"ViewTally1=View Tally", "SpyList1=Spy List", "PrhaseList1=Phrase List",
                           "N6=-", "Zoom1=Zoom", "FourColourSuits1=Four-Colour Suits",
                           "ScoreSheet1=Score Sheet"}));
    EXPECT_EQ(items(menuNamed(w, "Help")),
              QStringList({"Help2=Content", "Hint1=Hint", "N4=-", "About1=About"}));
    EXPECT_EQ(item(w, "Help2")->shortcut(), QKeySequence(Qt::Key_F1));
    EXPECT_EQ(item(w, "Hint1")->shortcut(), QKeySequence(Qt::Key_H));

    // The sound items come first and the chat items after N3; the window's own items close it.
    const QStringList options = items(menuNamed(w, "Options"));
    ASSERT_GE(options.size(), 4);
    EXPECT_EQ(options.mid(options.size() - 3),
              QStringList(
                  {"ResetScreenLocation1=Reset Screen Location", "N2=-", "JustWatch1=Just Watch"}));
    const qsizetype n3 = options.indexOf("N3=-");
    ASSERT_GE(n3, 0);
    for (const char* sound : {"PlaySounds1", "BotSpeed1"}) {
        QAction* a = item(w, sound);
        ASSERT_NE(a, nullptr) << sound;
        EXPECT_LT(menuNamed(w, "Options")->actions().indexOf(a), n3) << sound;
    }
    EXPECT_TRUE(item(w, "JustWatch1")->isCheckable());
    EXPECT_FALSE(item(w, "JustWatch1")->isChecked());
}

TEST_F(TchatTest, ComputerPlayersLevelIsChosenInTheOptionsSavedAndReadByTheHost) {
    Tchat w({});
    QAction* levels = item(w, "ComputerPlayers1");
    ASSERT_NE(levels, nullptr);
    EXPECT_LT(menuNamed(w, "Options")->actions().indexOf(levels),
              menuNamed(w, "Options")->actions().indexOf(item(w, "N3")));
    EXPECT_EQ(items(levels->menu()),
              QStringList({"BotLevelClassic1=Classic", "BotLevelExpert1=Expert"}));
    EXPECT_TRUE(item(w, "BotLevelClassic1")->isChecked());
    ASSERT_TRUE(w.server()->botLevel);
    EXPECT_EQ(w.server()->botLevel(), BotLevel::Classic);

    item(w, "BotLevelExpert1")->trigger();
    EXPECT_EQ(w.session().settings().botLevel, 1);
    EXPECT_TRUE(item(w, "BotLevelExpert1")->isChecked());
    EXPECT_FALSE(item(w, "BotLevelClassic1")->isChecked());
    EXPECT_EQ(w.server()->botLevel(), BotLevel::Expert);
    QFile file(QDir(home.path()).filePath("kavrelhub.ini"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("Botlevel=Expert"));
}

TEST_F(TchatTest, NoParametersHostsASoloGameAsYou) {
    Tchat w({});
    w.processparams();
    EXPECT_TRUE(chatText(w).contains("Loading Solo Game..Please wait."));
    EXPECT_TRUE(w.download()->isVisible());
    EXPECT_EQ(w.state().playername, "You");
    EXPECT_EQ(w.state().hostaddress, "127.0.0.1");
    EXPECT_EQ(w.state().loginfield, "You");
    EXPECT_TRUE(w.state().ishost);
    EXPECT_TRUE(w.server()->Sock1->Listen());
    EXPECT_EQ(w.sock()->HostName(), "127.0.0.1");
    EXPECT_EQ(w.sock()->PortName(), QString::number(port));
    EXPECT_FALSE(w.board()->button_start()->isHidden());
    EXPECT_TRUE(item(w, "StartGame1")->isEnabled());
    EXPECT_TRUE(w.spylist()->popup_kickhim()->isEnabled());
}

TEST_F(TchatTest, OnlyTheExactWordTrueHostsAndThenOnLoopback) {
    Tchat w({"Anna", "10.0.0.5", "true"});
    w.processparams();
    EXPECT_TRUE(chatText(w).contains("Loading Multi-player Game.. Please Wait."));
    EXPECT_TRUE(w.state().ishost);
    EXPECT_EQ(w.state().hostaddress, "10.0.0.5");
    EXPECT_EQ(w.sock()->HostName(), "127.0.0.1");
    EXPECT_FALSE(w.download()->isVisible());
}

TEST_F(TchatTest, AnyOtherFlagJoinsAndLogsInWithSeatVersionAndName) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Anna", "127.0.0.1", "True", "ignored"});
    w.processparams();
    EXPECT_FALSE(w.state().ishost);
    EXPECT_FALSE(w.server()->Sock1->Listen());
    EXPECT_TRUE(w.board()->button_start()->isHidden());
    EXPECT_FALSE(item(w, "StartGame1")->isEnabled());
    EXPECT_FALSE(w.spylist()->popup_kickhim()->isEnabled());

    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_sendlogininfo+3\xFF");
    const QByteArray login = readUntil(peer, 28);
    // The name field carries its own terminator, so an empty frame follows the login line.
    EXPECT_EQ(login, QByteArray("CMD_logininfo+3+1.0.1+Anna\xFF\xFF"));
    EXPECT_EQ(w.state().myseat, 3);
    EXPECT_TRUE(w.state().connected);
    EXPECT_TRUE(waitFor([&] { return !w.Timer1()->isActive(); }));
}

TEST_F(TchatTest, BurstsAndCutFramesAreHandledOneLinePerTickInOrder) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Anna", "127.0.0.1", "no"});
    w.processparams();
    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    peer->write("CMD_sendlogininfo+3\xFF"
                "CMD_newplayerinfo+3+Anna\xFF"
                "\xFF"
                "CMD_existingplayers+2+Bo\xFF"
                "CMD_newplay");
    peer->flush();
    ASSERT_TRUE(waitFor([&] { return chatText(w).contains("Bo is Connected."); }));
    peer->write("erinfo+6+Cy\xFF");
    ASSERT_TRUE(waitFor([&] { return chatText(w).contains("Cy is spying."); }));
    const QString text = chatText(w);
    const qsizetype you = text.indexOf("You are Connected."), bo = text.indexOf("Bo is Connected."),
                    cy = text.indexOf("Cy is spying.");
    EXPECT_TRUE(you >= 0 && you < bo && bo < cy) << qPrintable(text);
    EXPECT_EQ(w.seatCaption(2), "Bo");
    EXPECT_TRUE(waitFor([&] { return !w.Timer1()->isActive(); }));
}

TEST_F(TchatTest, AnOversizedFrameIsSkippedAndTheWindowStays) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Anna", "127.0.0.1", "false"});
    QSignalSpy closed(&w, &Tchat::mainWindowClosed);
    w.processparams();
    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    peer->write(QByteArray(70 * 1024, 'x'));
    peer->write("\xFF"
                "CMD_newplayerinfo+3+Bo\xFF");
    EXPECT_TRUE(waitFor([&] { return w.seatCaption(3) == "Bo"; }));
    EXPECT_EQ(closed.count(), 0);
}

TEST_F(TchatTest, ASoloGameSeatsItsOwnClientAndClosesCleanly) {
    auto w = std::make_unique<Tchat>(QStringList{});
    QSignalSpy closed(w.get(), &Tchat::mainWindowClosed);
    w->processparams();
    ASSERT_TRUE(waitFor([&] { return chatText(*w).contains("You are Connected."); }));
    EXPECT_EQ(w->state().myseat, 1);
    EXPECT_TRUE(w->state().connected);
    EXPECT_EQ(w->seatCaption(1), "You");
    w->close();
    EXPECT_EQ(closed.count(), 1);
    // The table host and both ends of the loopback connection go down with the window.
    w.reset();
    QCoreApplication::processEvents();
    QTcpSocket probe;
    probe.connectToHost(QHostAddress::LocalHost, port);
    EXPECT_FALSE(probe.waitForConnected(2000));
}

TEST_F(TchatTest, LinesThatArrivedWithTheCloseAreStillHandled) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Anna", "127.0.0.1", "false"});
    QSignalSpy closed(&w, &Tchat::mainWindowClosed);
    w.processparams();
    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    // A full table answers and hangs up in one go.
    peer->write("CMD_full+\xFF");
    peer->disconnectFromHost();
    ASSERT_TRUE(waitFor([&] { return closed.count() == 1; }));
    EXPECT_EQ(messages, QStringList({"Game is full"}));
}

TEST_F(TchatTest, AHostThatHangsUpWhileAMessageShowsClosesTheWindowOnlyAfterIt) {
    host.listen(QHostAddress::LocalHost, port);
    Tchat w({"Anna", "127.0.0.1", "false"});
    QSignalSpy closed(&w, &Tchat::mainWindowClosed);
    w.processparams();
    QTcpSocket* peer = acceptClient();
    ASSERT_NE(peer, nullptr);
    int closedWhileShown = -1;
    // The box stays up, as a player reads it, while the host hangs up.
    setMessageBoxHandler([&](QWidget*, const QString&) {
        peer->disconnectFromHost();
        waitFor([&] { return !w.sock()->Connected(); });
        closedWhileShown = int(closed.count());
    });
    peer->write("CMD_full+\xFF");
    ASSERT_TRUE(waitFor([&] { return closed.count() == 1; }));
    EXPECT_EQ(closedWhileShown, 0) << "the window closed under the message";
}
