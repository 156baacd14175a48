#include "windows/MessageBox.h"
#include "client/Tchat.h"
#include "support/TestEnv.h"
#include "windows/Tabout.h"
#include "windows/Tdownload.h"
#include "windows/Thelp.h"
#include "windows/Tlobby.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace pelvo;

namespace {

// A small HTTP server: "/ok/..." sends a body, "/missing/..." a 404, "/headers/..." only the
// headers, "/slow/..." announces a large body, sends a first piece and then waits.
class LocalHttpServer : public QObject {
public:
    QByteArray body = "installer-bytes:" + QByteArray(3000, 'x');
    QList<QByteArray> requests;
    QList<QPointer<QTcpSocket>> held;

    LocalHttpServer() {
        server_.listen(QHostAddress::LocalHost, 0);
        connect(&server_, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = server_.nextPendingConnection()) {
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { answer(socket); });
                connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            }
        });
    }
    QUrl url(const QString& path) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }

private:
    void answer(QTcpSocket* socket) {
        QByteArray& request = pending_[socket];
        request += socket->readAll();
        if (!request.contains("\r\n\r\n")) return;
        requests << request;
        const QByteArray path = request.split(' ').value(1);
        if (path.startsWith("/ok/")) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                          "Content-Length: " +
                          QByteArray::number(body.size()) +
                          "\r\nX-Kind: installer\r\nConnection: close\r\n\r\n" + body);
            socket->disconnectFromHost();
        } else if (path.startsWith("/headers/")) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 10\r\nContent-Type: "
                          "application/octet-stream\r\nX-Kind: installer\r\n\r\n");
            held << socket;
        } else if (path.startsWith("/slow/")) {
            socket->write("HTTP/1.1 200 OK\r\nContent-Length: 1000000\r\n\r\n" +
                          QByteArray(1000, 'p'));
            held << socket; // the rest never comes
        } else {
            socket->write("HTTP/1.1 404 Not Found\r\nContent-Length: 9\r\nConnection: close"
                          "\r\n\r\nnot found");
            socket->disconnectFromHost();
        }
    }

    QTcpServer server_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

struct DownloadTest : ::testing::Test {
    QTemporaryDir folder;
    LocalHttpServer http;
    Tdownload window;
    QList<QPair<QString, QStringList>> launched;
    QStringList messages;
    bool launchWorks = true;
    QSignalSpy exits{&window, &Tdownload::exitRequested};
    QSignalSpy ended{&window, &Tdownload::downloadEnded};

    DownloadTest() {
        window.setDataFolder(folder.path());
        window.setLauncher([this](const QString& program, const QStringList& arguments) {
            launched.append({program, arguments});
            return launchWorks;
        });
        previous =
            setMessageBoxHandler([this](QWidget*, const QString& text) { messages << text; });
    }
    ~DownloadTest() override { setMessageBoxHandler(previous); }
    MessageBoxHandler previous;
    QString label(const char* name) const {
        auto* l = window.findChild<QLabel*>(name);
        return l ? l->text() : QStringLiteral("<missing>");
    }
    QPushButton* button(const char* name) const { return window.findChild<QPushButton*>(name); }
    void download(const QString& path) {
        window.setInstallerUrl(http.url(path));
        QTest::mouseClick(button("getbutton"), Qt::LeftButton);
    }
    bool waitForEnd() { return ended.count() > 0 || ended.wait(10000); }
    QByteArray saved(const QString& name) const {
        QFile file(QDir(folder.path()).filePath(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<none>");
    }
};

TEST_F(DownloadTest, WindowTexts) {
    EXPECT_EQ(window.windowTitle(), "Download The Kavrel Hub");
    EXPECT_EQ(window.size(), QSize(724, 500));
    EXPECT_TRUE(window.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(label("Label1"), "Download The Kavrel Hub Now to play this  and other exciting "
                               "games online with other players! ");
    EXPECT_EQ(label("Label5"), "IS CLOSED");
    EXPECT_EQ(button("getbutton")->text(), "Download And Install The Kavrel Hub Now");
    EXPECT_EQ(button("abortbutton")->text(), "Stop Download");
    EXPECT_EQ(button("Button1")->text(), "Play Solo Game");
    EXPECT_TRUE(button("Button1")->isDefault());
    EXPECT_EQ(button("Button2")->text(), "Play with Others");
    EXPECT_TRUE(label("infolabel").isEmpty());
    EXPECT_TRUE(label("infolabel3").isEmpty());
    EXPECT_FALSE(window.findChild<QLabel*>("infolabel2")->isVisibleTo(&window));
    // The picture shows: it is read with an explicit format, never guessed.
    auto* picture = window.findChild<QLabel*>("Image1");
    ASSERT_NE(picture, nullptr);
    EXPECT_FALSE(picture->pixmap().isNull());
}

TEST_F(DownloadTest, CompletedDownloadRunsTheInstallerAndClosesTheGame) {
    download("/ok/KavrelHubSetup.exe");
    EXPECT_FALSE(button("getbutton")->isEnabled());
    EXPECT_TRUE(button("abortbutton")->isEnabled());
    EXPECT_EQ(window.downloadState(), Tdownload::Downloading);
    ASSERT_TRUE(waitForEnd());

    const QString expectedSize = QString::number(http.body.size());
    EXPECT_EQ(label("infolabel"), "Received " + expectedSize + " bytes");
    EXPECT_EQ(label("infolabel2"), "KavrelHubSetup.exe");
    EXPECT_EQ(label("infolabel3"), "Installing");
    EXPECT_EQ(saved("KavrelHubSetup.exe"), http.body);
    ASSERT_EQ(launched.size(), 1);
    EXPECT_EQ(launched[0].first, QDir(folder.path()).filePath("KavrelHubSetup.exe"));
    EXPECT_EQ(launched[0].second, QStringList({"/SP-", "/silent", "/noicons"}));
    EXPECT_EQ(exits.count(), 1);
    EXPECT_TRUE(messages.isEmpty());
    EXPECT_TRUE(button("getbutton")->isEnabled());
    EXPECT_FALSE(button("abortbutton")->isEnabled());

    ASSERT_EQ(http.requests.size(), 1);
    const QByteArray request = http.requests[0];
    EXPECT_TRUE(request.startsWith("GET /ok/KavrelHubSetup.exe HTTP/1."));
    EXPECT_TRUE(request.contains("Connection: close\r\n")); // one request per connection
    EXPECT_TRUE(request.contains("User-Agent: Mozilla/3.0 (compatible)\r\n"));
    EXPECT_TRUE(
        request.contains("Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"));
}

TEST_F(DownloadTest, ProgressShowsHeaderDotsThenTheFileThenBytes) {
    download("/slow/KavrelHubSetup.exe");
    EXPECT_EQ(label("infolabel"), "Loading");
    // Two header lines, then the first piece of the body.
    QTRY_COMPARE_WITH_TIMEOUT(label("infolabel"), QStringLiteral("1000 bytes"), 10000);
    EXPECT_EQ(label("infolabel3"), "Downloading: KavrelHubSetup.exe");
    window.abortbuttonClick();
}

TEST_F(DownloadTest, LoadingGetsOneDotPerHeaderLine) {
    download("/headers/KavrelHubSetup.exe"); // three header lines, the body held back
    QTRY_COMPARE_WITH_TIMEOUT(label("infolabel"), QStringLiteral("Loading..."), 10000);
    EXPECT_TRUE(label("infolabel3").isEmpty());
    window.abortbuttonClick();
}

TEST_F(DownloadTest, NotFoundEndsAbortedAndRunsNothing) {
    download("/missing/KavrelHubSetup.exe");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(label("infolabel"), "Download Aborted");
    EXPECT_EQ(window.downloadState(), Tdownload::Aborted);
    EXPECT_TRUE(launched.isEmpty());
    EXPECT_EQ(exits.count(), 0);
    EXPECT_NE(label("infolabel3"), "Installing");
    EXPECT_TRUE(button("getbutton")->isEnabled());
    EXPECT_FALSE(button("abortbutton")->isEnabled());
}

TEST_F(DownloadTest, UnreachableServerEndsAborted) {
    QTcpServer closed;
    closed.listen(QHostAddress::LocalHost, 0);
    const quint16 port = closed.serverPort();
    closed.close(); // nothing listens there now
    window.setInstallerUrl(QUrl(QStringLiteral("http://127.0.0.1:%1/x/Setup.exe").arg(port)));
    window.getbuttonClick();
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(label("infolabel"), "Download Aborted");
    EXPECT_TRUE(launched.isEmpty());
}

TEST_F(DownloadTest, StopDuringTransferThenASecondDownloadOverwrites) {
    download("/slow/KavrelHubSetup.exe");
    QTRY_COMPARE_WITH_TIMEOUT(label("infolabel"), QStringLiteral("1000 bytes"), 10000);
    QTest::mouseClick(button("abortbutton"), Qt::LeftButton);
    EXPECT_EQ(label("infolabel"), "Download has been aborted.");
    EXPECT_EQ(label("infolabel3"), "Download Aborted");
    EXPECT_EQ(window.downloadState(), Tdownload::Aborted);
    EXPECT_FALSE(window.isDownloading());
    EXPECT_TRUE(button("getbutton")->isEnabled());
    EXPECT_FALSE(button("abortbutton")->isEnabled());
    QTest::qWait(50); // late events of the aborted transfer change nothing
    EXPECT_EQ(label("infolabel"), "Download has been aborted.");
    EXPECT_TRUE(launched.isEmpty());
    EXPECT_EQ(exits.count(), 0);
    EXPECT_EQ(saved("KavrelHubSetup.exe"), QByteArray(1000, 'p')); // the partial file stays

    ended.clear();
    download("/ok/KavrelHubSetup.exe");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(saved("KavrelHubSetup.exe"), http.body);
    EXPECT_EQ(launched.size(), 1);
}

TEST_F(DownloadTest, StopBeforeAnyDownloadThenANormalDownload) {
    QTest::mouseClick(button("abortbutton"), Qt::LeftButton);
    EXPECT_EQ(label("infolabel"), "Download has been aborted.");
    EXPECT_EQ(label("infolabel3"), "Download Aborted");
    EXPECT_EQ(window.downloadState(), Tdownload::Aborted);

    download("/ok/KavrelHubSetup.exe");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(label("infolabel"), QStringLiteral("Received %1 bytes").arg(http.body.size()));
    EXPECT_EQ(launched.size(), 1);
}

TEST_F(DownloadTest, InstallerThatCannotStartKeepsTheGame) {
    launchWorks = false;
    download("/ok/KavrelHubSetup.exe");
    ASSERT_TRUE(waitForEnd());
    EXPECT_EQ(messages, QStringList{"An Error has Occurred."});
    EXPECT_EQ(exits.count(), 0);
}

TEST_F(DownloadTest, FileThatCannotBeCreatedStartsNoDownload) {
    window.setDataFolder(folder.filePath("no/such/folder"));
    download("/ok/KavrelHubSetup.exe");
    EXPECT_EQ(messages.size(), 1);
    EXPECT_FALSE(window.isDownloading());
    EXPECT_TRUE(button("getbutton")->isEnabled());
    QTest::qWait(20);
    EXPECT_TRUE(http.requests.isEmpty());
    EXPECT_TRUE(launched.isEmpty());
}

TEST_F(DownloadTest, PlayWithOthers) {
    window.setLobbyProgram(folder.filePath("KavrelHub"));
    QSignalSpy lobby(&window, &Tdownload::lobbyOffered);
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    EXPECT_TRUE(messages.isEmpty()); // the game's own lobby opens instead
    EXPECT_EQ(lobby.count(), 1);
    EXPECT_TRUE(launched.isEmpty());
    EXPECT_EQ(exits.count(), 0);

    QFile program(folder.filePath("KavrelHub"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
    program.close();
    QTest::mouseClick(button("Button2"), Qt::LeftButton);
    ASSERT_EQ(launched.size(), 1);
    EXPECT_EQ(launched[0].first, folder.filePath("KavrelHub"));
    EXPECT_TRUE(launched[0].second.isEmpty());
    EXPECT_EQ(exits.count(), 1);
}

TEST_F(DownloadTest, ClosingTheProgramStopsARunningDownload) {
    auto* doomed = new Tdownload;
    doomed->setDataFolder(folder.path());
    bool ran = false;
    doomed->setLauncher([&](const QString&, const QStringList&) { return ran = true; });
    doomed->setInstallerUrl(http.url("/slow/Setup.exe"));
    doomed->getbuttonClick();
    QTRY_VERIFY_WITH_TIMEOUT(!http.held.isEmpty(), 10000);
    delete doomed;
    QTRY_VERIFY_WITH_TIMEOUT(http.held.first().isNull() ||
                                 http.held.first()->state() != QAbstractSocket::ConnectedState,
                             10000);
    EXPECT_FALSE(ran);
}

} // namespace

namespace {

// The main window's side of it: the data folder, its message boxes, its "Exit", and the help
// window's "About".
TEST(SideWindowsInMainWindow, WiredToTheMainWindow) {
    QTemporaryDir home;
    qputenv("PELVO_HOME", home.path().toUtf8());
    qputenv("PELVO_PORT", QByteArray::number(test::freePort()));
    qputenv("PELVO_LOBBY_PROGRAM", home.filePath("KavrelHub").toUtf8());
    QStringList messages;
    const MessageBoxHandler previous =
        setMessageBoxHandler([&](QWidget*, const QString& text) { messages << text; });

    {
        Tchat w({QStringLiteral("Ann")}); // one argument: no connection is made
        w.show();
        EXPECT_EQ(w.download()->dataFolder(), home.path());

        w.help()->button_aboutClick();
        EXPECT_TRUE(w.about()->isVisible());

        w.download()->Button2Click(); // no lobby program: the lobby window
        EXPECT_TRUE(messages.isEmpty());
        ASSERT_TRUE(w.lobby());
        EXPECT_TRUE(w.lobby()->isVisible());

        QFile(home.filePath("KavrelHub")).open(QIODevice::WriteOnly);
        bool started = false;
        w.download()->setLauncher(
            [&](const QString&, const QStringList&) { return started = true; });
        QSignalSpy closed(&w, &Tchat::mainWindowClosed);
        w.download()->Button2Click();
        EXPECT_TRUE(started);
        EXPECT_FALSE(w.isVisible());
        EXPECT_EQ(closed.count(), 1);
    }
    setMessageBoxHandler(previous);
    qunsetenv("PELVO_LOBBY_PROGRAM");
    qunsetenv("PELVO_HOME");
    qunsetenv("PELVO_PORT");
}

} // namespace
