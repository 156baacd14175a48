#include "windows/Tdownload.h"

#include "windows/MessageBox.h"

// own
#include "windows/Art.h"
#include "windows/help/SideWindowArt.h"

// Qt
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QImageReader>
#include <QGuiApplication>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QNetworkProxy>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QStandardPaths>

namespace pelvo {

namespace {

constexpr int ClientWidth = 724;
constexpr int ClientHeight = 500;

constexpr char DefaultInstaller[] = "http://www.kavrel.example/download/KavrelHubSetup.exe";
// Used when the address ends in "/" and so names no file.
constexpr char FallbackFileName[] = "KavrelHubSetup.exe";

QFrame* whitePanel(QWidget* parent, const char* name, const QRect& place) {
    auto* panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setGeometry(place);
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setStyleSheet(QStringLiteral("QFrame#%1 { background: white;"
                                        " border: 1px solid #9a9a9a; border-radius: 4px; }")
                             .arg(QString::fromLatin1(name)));
    return panel;
}

QLabel* text(QWidget* parent, const char* name, const QString& caption, const QRect& place,
             int pixels = 13, bool bold = false, const char* colour = "black") {
    auto* label = new QLabel(caption, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
    label->setGeometry(place);
    label->setFont(art::pixelFont(pixels, bold));
    label->setStyleSheet(
        QStringLiteral("color: %1; background: transparent;").arg(QString::fromLatin1(colour)));
    return label;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QRect& place,
                    const char* colour = "black") {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(place);
    b->setFont(art::pixelFont(13, true));
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(
        QStringLiteral("QPushButton { color: %1; background: qlineargradient(x1:0, y1:0, x2:0,"
                       " y2:1, stop:0 #fdfdfd, stop:1 #e2e2e2); border: 1px solid #8a8a8a;"
                       " border-radius: 4px; padding: 2px 8px; }"
                       "QPushButton:hover { background: #f4f4f4; }"
                       "QPushButton:pressed { background: #d6d6d6; }"
                       "QPushButton:default { border: 2px solid #3a6ea5; }"
                       "QPushButton:disabled { color: #a0a0a0; }")
            .arg(QString::fromLatin1(colour)));
    return b;
}

// A white panel on the right that offers one way on: its words over the button the caller
// adds.
QFrame* offer(QWidget* parent, const char* name, int top, const char* label, const QString& words,
              int wordsHeight) {
    QFrame* frame = whitePanel(parent, name, QRect(464, top, 253, 240));
    text(frame, label, words, QRect(12, 12, 229, wordsHeight), 14);
    return frame;
}

bool startProgram(const QString& program, const QStringList& arguments) {
    // A downloaded file arrives without the execute bit.
    QFile::setPermissions(program, QFile::permissions(program) | QFile::ExeOwner | QFile::ExeGroup |
                                       QFile::ExeOther);
    return QProcess::startDetached(program, arguments);
}

} // namespace

Tdownload::Tdownload(QWidget* parent)
    : QDialog(parent), url_(defaultInstallerUrl()), folder_(QCoreApplication::applicationDirPath()),
      lobbyProgram_(defaultLobbyProgram()) {
    sidewindows::initResources();
    setObjectName(QStringLiteral("download"));
    setWindowTitle(QStringLiteral("Download The Kavrel Hub"));
    setWindowFlag(Qt::Tool);
    setWindowFlag(Qt::WindowStaysOnTopHint);
    setFixedSize(ClientWidth, ClientHeight);
    setModal(false);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(212, 208, 200));
    setPalette(pal);
    setAutoFillBackground(true);

    // Left: the picture, the offer, the download controls.
    QFrame* left = whitePanel(this, "Panel1", QRect(7, 7, 450, 487));
    auto* picture = new QLabel(left);
    picture->setObjectName(QStringLiteral("Image1"));
    picture->setGeometry(7, 7, 436, 268);
    // Read as the PNG it is: left to guess, the reader would load every image-format plugin.
    // PNG is read by Qt Gui itself, so no plugin and no JPEG library loads at start.
    QImageReader reader(QStringLiteral(":/download/lobby.png"), "png");
    reader.setAutoDetectImageFormat(false);
    picture->setPixmap(QPixmap::fromImage(reader.read()));
    picture->setAccessibleName(QStringLiteral("The game lobby's sign"));
    // Over the lower half of the picture's sign.
    text(left, "Label5", QStringLiteral("IS CLOSED"), QRect(107, 71, 236, 34), 28, true, "#d00000")
        ->setAccessibleName(QStringLiteral("The game lobby is closed"));
    text(left, "Label1",
         QStringLiteral("Download The Kavrel Hub Now to play this  and other exciting games "
                        "online with other players! "),
         QRect(16, 282, 418, 50), 16, true);
    getbutton_ =
        button(left, "getbutton", QStringLiteral("Download And Install The Kavrel Hub Now"),
               QRect(55, 342, 340, 34), "#d00000");
    abortbutton_ =
        button(left, "abortbutton", QStringLiteral("Stop Download"), QRect(160, 386, 130, 26));
    infolabel_ = text(left, "infolabel", QString(), QRect(16, 424, 418, 20), 13, true);
    infolabel_->setProperty("Tag", 0);
    infolabel2_ = text(left, "infolabel2", QString(), QRect(16, 446, 418, 16));
    infolabel2_->hide();
    infolabel3_ =
        text(left, "infolabel3", QString(), QRect(16, 450, 418, 20), 13, false, "#000080");
    connect(getbutton_, &QPushButton::clicked, this, &Tdownload::getbuttonClick);
    connect(abortbutton_, &QPushButton::clicked, this, &Tdownload::abortbuttonClick);

    // Upper right: the solo game.
    QFrame* solo = offer(this, "Panel2", 7, "Label2",
                         QStringLiteral("To proceed to the game without the ability to play "
                                        "against others click the button below."),
                         64);
    QPushButton* soloButton =
        button(solo, "Button1", QStringLiteral("Play Solo Game"), QRect(51, 84, 150, 32));
    soloButton->setDefault(true);
    soloButton->setFocus();
    text(solo, "Label3",
         QStringLiteral("Note: Even if you are playing offline, you will need to configure your "
                        "FIREWALL to allow the game to access the internet components."),
         QRect(12, 128, 229, 100), 13, true, "#d00000");
    connect(soloButton, &QPushButton::clicked, this, &Tdownload::Button1Click);

    // Lower right: the installed lobby program.
    QFrame* others = offer(this, "Panel3", 254, "Label4",
                           QStringLiteral("If you already have The Kavrel Hub and you wish to "
                                          "play with others then click the button below to "
                                          "close this game and open The Kavrel Hub."),
                           96);
    QPushButton* othersButton =
        button(others, "Button2", QStringLiteral("Play with Others"), QRect(51, 120, 150, 32));
    connect(othersButton, &QPushButton::clicked, this, &Tdownload::Button2Click);

    http_ = new QNetworkAccessManager(this);
    http_->setProxy(QNetworkProxy::NoProxy);
}

Tdownload::~Tdownload() {
    // The program is closing: a running download stops here, and nothing reacts to its end.
    if (QNetworkReply* reply = reply_) {
        reply_ = nullptr;
        reply->disconnect(this);
        reply->abort();
        delete reply;
    }
}

QUrl Tdownload::defaultInstallerUrl() {
    const QString custom = qEnvironmentVariable("PELVO_LOBBY_URL");
    return QUrl(custom.isEmpty() ? QString::fromLatin1(DefaultInstaller) : custom);
}

QString Tdownload::defaultLobbyProgram() {
    const QString custom = qEnvironmentVariable("PELVO_LOBBY_PROGRAM");
    if (!custom.isEmpty()) return custom;
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
           QStringLiteral("/kavrel/KavrelHub");
}

QStringList Tdownload::installerArguments() {
    return {QStringLiteral("/SP-"), QStringLiteral("/silent"), QStringLiteral("/noicons")};
}

QString Tdownload::installerPath() const {
    return QDir(folder_).filePath(infolabel2_->text());
}

Tdownload::Launcher Tdownload::setLauncher(Launcher launcher) {
    std::swap(launcher_, launcher);
    return launcher;
}

int Tdownload::downloadState() const {
    return infolabel_->property("Tag").toInt();
}

void Tdownload::setState(int state) {
    infolabel_->setProperty("Tag", state);
}

void Tdownload::message(const QString& text) {
    showMessage(this, text);
}

bool Tdownload::launch(const QString& program, const QStringList& arguments) {
    return launcher_ ? launcher_(program, arguments) : startProgram(program, arguments);
}

// ---------------------------------------------------------------- download

void Tdownload::getbuttonClick() {
    if (reply_) return; // one download at a time
    setState(Downloading);
    userAborted_ = false;
    QString name = url_.fileName();
    if (name.isEmpty()) name = QString::fromLatin1(FallbackFileName);
    infolabel2_->setText(name);

    file_.close();
    file_.setFileName(installerPath());
    if (!file_.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        setState(Aborted);
        infolabel_->setText(QStringLiteral("Download Aborted"));
        message(QStringLiteral("Cannot create file \"%1\". %2")
                    .arg(QDir::toNativeSeparators(file_.fileName()), file_.errorString()));
        return;
    }

    getbutton_->setEnabled(false);
    abortbutton_->setEnabled(true);
    infolabel_->setText(QStringLiteral("Loading"));
    received_ = 0;
    headerLines_ = 0;
    bodyBegun_ = false;
    writeError_.clear();

    QNetworkRequest request(url_);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Mozilla/3.0 (compatible)"));
    request.setRawHeader("Accept", "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    // One plain request per connection, as an HTTP/1.0 client makes it.
    request.setRawHeader("Connection", "close");
    request.setAttribute(QNetworkRequest::Http2AllowedAttribute, false);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    request.setAttribute(QNetworkRequest::CacheSaveControlAttribute, false);

    QNetworkReply* reply = http_->get(request);
    reply_ = reply;
    connect(reply, &QNetworkReply::metaDataChanged, this, &Tdownload::HttpCli1HeaderData);
    connect(reply, &QNetworkReply::redirected, this, [this] { headerLines_ = 0; });
    connect(reply, &QNetworkReply::readyRead, this, &Tdownload::HttpCli1DocData);
    connect(reply, &QNetworkReply::finished, this, &Tdownload::replyFinished);
}

void Tdownload::HttpCli1HeaderData() {
    if (!reply_) return;
    // One dot per header line; the reply reports its headers as a whole, so count the new ones.
    const int lines = int(reply_->rawHeaderPairs().size());
    if (lines > headerLines_) {
        infolabel_->setText(infolabel_->text() + QString(lines - headerLines_, u'.'));
        headerLines_ = lines;
    }
}

void Tdownload::HttpCli1DocBegin() {
    bodyBegun_ = true;
    infolabel3_->setText(QStringLiteral("Downloading: ") + infolabel2_->text());
}

void Tdownload::HttpCli1DocData() {
    if (!reply_) return;
    const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const QByteArray data = reply_->readAll();
    // An error page is no installer: it is read and dropped.
    if (status >= 400 || !writeError_.isEmpty()) return;
    if (!bodyBegun_) HttpCli1DocBegin();
    if (file_.write(data) != data.size()) {
        writeError_ = file_.errorString();
        reply_->abort();
        return;
    }
    received_ += data.size();
    infolabel_->setText(QString::number(received_) + QStringLiteral(" bytes"));
}

void Tdownload::replyFinished() {
    QNetworkReply* reply = reply_;
    if (!reply) return;
    if (reply->error() == QNetworkReply::NoError && reply->bytesAvailable() > 0) HttpCli1DocData();
    reply_ = nullptr;
    reply->deleteLater();

    const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    const bool failed = reply->error() != QNetworkReply::NoError || status >= 400 ||
                        !writeError_.isEmpty() || userAborted_;
    file_.flush();
    if (!failed) {
        if (!bodyBegun_) HttpCli1DocBegin(); // an empty body starts and ends at once
        infolabel_->setText(QStringLiteral("Received %1 bytes").arg(file_.size()));
    } else {
        setState(Aborted);
        // "Stop Download" leaves its own words in the label.
        if (!userAborted_) infolabel_->setText(QStringLiteral("Download Aborted"));
    }

    getbutton_->setEnabled(true);
    abortbutton_->setEnabled(false);
    file_.close();

    if (!writeError_.isEmpty())
        message(QStringLiteral("The download could not be saved. ") + writeError_);

    bool closeGame = false;
    if (downloadState() != Aborted) {
        infolabel3_->setText(QStringLiteral("Installing"));
        if (launch(installerPath(), installerArguments()))
            closeGame = true;
        else
            message(QStringLiteral("An Error has Occurred."));
    }
    emit downloadEnded();
    if (closeGame) emit exitRequested();
}

void Tdownload::abortbuttonClick() {
    userAborted_ = true;
    if (QNetworkReply* reply = reply_) reply->abort(); // ends the download through replyFinished
    infolabel_->setText(QStringLiteral("Download has been aborted."));
    setState(Aborted);
    infolabel3_->setText(QStringLiteral("Download Aborted"));
}

// ---------------------------------------------------------------- the other ways on

void Tdownload::Button1Click() {
    close();
}

void Tdownload::Button2Click() {
    if (QFileInfo(lobbyProgram_).isFile()) {
        if (launch(lobbyProgram_, {}))
            emit exitRequested();
        else
            message(QStringLiteral("An Error has Occurred."));
        return;
    }
    // No lobby program here: the game's own lobby window finds the others.
    emit lobbyOffered();
}

void Tdownload::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the desktop, not on the game's window.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect place = frameGeometry();
        place.moveCenter(screen->availableGeometry().center());
        move(place.topLeft());
    }
}

} // namespace pelvo
