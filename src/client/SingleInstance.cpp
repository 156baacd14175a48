#include "client/SingleInstance.h"

// own
#include "session/settings/SettingsFile.h"

// Qt
#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLoggingCategory>

// POSIX
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcInstance, "pelvo.instance")

namespace pelvo {

namespace {
constexpr int AnswerWaitMs = 1000;
const QByteArray RaiseRequest = "raise\n";
} // namespace

QString userKey() {
    const QByteArray uid = QByteArray::number(static_cast<qulonglong>(::getuid()));
    return QString::fromLatin1(
        QCryptographicHash::hash("pelvo-user-" + uid, QCryptographicHash::Sha256).toHex().left(16));
}

SingleInstance::SingleInstance(const QString& name, QObject* parent)
    : QObject(parent), name_(name.isEmpty() ? defaultName() : name) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::defaultName() {
    const QString forced = qEnvironmentVariable("PELVO_INSTANCE");
    const QString base = forced.isEmpty() ? "pelvo-qexdor-" + userKey() : forced;
    // One program per settings folder: two folders are two players, each with its own window.
    QString folder = QDir(dataFolder()).canonicalPath();
    if (folder.isEmpty()) folder = QDir(dataFolder()).absolutePath();
    return base + u'-' +
           QString::fromLatin1(QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha256)
                                   .toHex()
                                   .left(12));
}

bool SingleInstance::askFirstToRaise() {
    QLocalSocket socket;
    socket.connectToServer(name_);
    if (!socket.waitForConnected(AnswerWaitMs)) return false;
    socket.write(RaiseRequest);
    socket.waitForBytesWritten(AnswerWaitMs);
    socket.disconnectFromServer();
    return true;
}

bool SingleInstance::tryLock() {
    if (askFirstToRaise()) return false;
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, &SingleInstance::onNewConnection);
    if (server_->listen(name_)) return true;
    // Nobody answered, so a socket file left by a crashed run is stale.
    QLocalServer::removeServer(name_);
    if (server_->listen(name_)) return true;
    // Another start may have won the race in between.
    if (askFirstToRaise()) return false;
    qCWarning(lcInstance) << "single-instance guard unavailable:" << server_->errorString();
    return true;
}

void SingleInstance::onNewConnection() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto readRequests = [this, socket] {
            while (socket->canReadLine()) {
                if (socket->readLine() == RaiseRequest) {
                    qCInfo(lcInstance) << "raise requested by a second start";
                    emit raiseRequested();
                }
            }
        };
        connect(socket, &QLocalSocket::readyRead, this, readRequests);
        readRequests();
    }
}

NamedMutex::NamedMutex(const QString& name)
    : path_(QDir::temp().filePath(name + "-" + userKey() + ".lock")) {
    fd_ = ::open(QFile::encodeName(path_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ >= 0 && ::flock(fd_, LOCK_SH | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

NamedMutex::~NamedMutex() {
    if (fd_ >= 0) ::close(fd_);
}

} // namespace pelvo
