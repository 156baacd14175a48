#pragma once
// The window shown at the start of a solo game that points to the lobby program: it downloads
// the lobby's installer over HTTP into the game's folder and runs it, starts an installed lobby
// program, or steps aside for the solo game. The download runs asynchronously on the UI thread,
// so the game and "Stop Download" keep working while it lasts.

#include <QDialog>
#include <QFile>
#include <QNetworkReply>
#include <QPointer>
#include <QUrl>

#include <functional>

class QLabel;
class QNetworkAccessManager;
class QPushButton;

namespace pelvo {

class Tdownload : public QDialog {
    Q_OBJECT
public:
    // Starts a program with arguments without waiting for it; false if it could not be started.
    using Launcher = std::function<bool(const QString& program, const QStringList& arguments)>;

    // Download states, held in the tag of `infolabel`.
    static constexpr int Downloading = 1;
    static constexpr int Aborted = 2;

    explicit Tdownload(QWidget* parent = nullptr);
    ~Tdownload() override;

    // "Download And Install The Kavrel Hub Now".
    void getbuttonClick();
    // "Stop Download".
    void abortbuttonClick();
    // "Play Solo Game": closes this window; the solo game goes on.
    void Button1Click();
    // "Play with Others": starts the installed lobby program and closes the game, or opens the
    // lobby window.
    void Button2Click();

    // The installer's address; PELVO_LOBBY_URL overrides the built-in one.
    QUrl installerUrl() const { return url_; }
    void setInstallerUrl(const QUrl& url) { url_ = url; }
    // Folder the installer is saved in (the game's data folder).
    QString dataFolder() const { return folder_; }
    void setDataFolder(const QString& folder) { folder_ = folder; }
    // Where the installed lobby program lives; PELVO_LOBBY_PROGRAM overrides the usual place.
    QString lobbyProgram() const { return lobbyProgram_; }
    void setLobbyProgram(const QString& path) { lobbyProgram_ = path; }
    // Full path the installer is (or was last) written to.
    QString installerPath() const;

    // Replaces the program starter (empty: the default); returns the previous one.
    Launcher setLauncher(Launcher launcher);

    // Tag of `infolabel`: 0 before any download, then Downloading or Aborted.
    int downloadState() const;
    bool isDownloading() const { return reply_ != nullptr; }

    // The installer's address when nothing overrides it.
    static QUrl defaultInstallerUrl();
    // The lobby program's usual place on this system.
    static QString defaultLobbyProgram();
    // The installer's arguments: silent, no questions, no icons.
    static QStringList installerArguments();

signals:
    // The game is to close (the main window's "Exit").
    void exitRequested();
    // A download has ended, one way or the other, and its outcome has been acted on.
    void downloadEnded();
    // "Play with Others" found no lobby program: the lobby window is to open.
    void lobbyOffered();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void HttpCli1HeaderData();
    void HttpCli1DocBegin();
    void HttpCli1DocData();
    void replyFinished();
    void setState(int state);
    void message(const QString& text);
    bool launch(const QString& program, const QStringList& arguments);

    QUrl url_;
    QString folder_;
    QString lobbyProgram_;
    Launcher launcher_;

    QNetworkAccessManager* http_ = nullptr;
    QPointer<QNetworkReply> reply_;
    QFile file_;
    qint64 received_ = 0;
    int headerLines_ = 0;
    bool bodyBegun_ = false;
    bool userAborted_ = false;
    QString writeError_;

    QPushButton* getbutton_ = nullptr;
    QPushButton* abortbutton_ = nullptr;
    QLabel* infolabel_ = nullptr;
    QLabel* infolabel2_ = nullptr;
    QLabel* infolabel3_ = nullptr;
};

} // namespace pelvo
