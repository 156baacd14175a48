#pragma once
// One running program per user and settings folder: the first start listens on a local socket
// named after both; a second start asks it to raise its window and then ends, before it creates
// any window. Another settings folder is another player, with a window of its own.

#include <QObject>
#include <QString>

class QLocalServer;

namespace pelvo {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `name` empty: defaultName().
    explicit SingleInstance(const QString& name = QString(), QObject* parent = nullptr);
    ~SingleInstance() override;

    // PELVO_INSTANCE when set (tests), else "pelvo-qexdor-" and a hash of the user's id; then a
    // hash of the settings folder.
    static QString defaultName();

    // True when this is the first instance (now listening, or unable to listen: then it goes
    // on alone). False when a first instance answered and was asked to raise its window.
    bool tryLock();

    QString name() const { return name_; }

signals:
    // A later start asked this instance to show its window.
    void raiseRequested();

private:
    bool askFirstToRaise();
    void onNewConnection();

    QString name_;
    QLocalServer* server_ = nullptr;
};

// A per-user object that tells the lobby program that the game runs: a shared lock held for the
// life of the process. Many instances may hold it; nothing waits on it.
class NamedMutex {
public:
    explicit NamedMutex(const QString& name);
    ~NamedMutex();
    NamedMutex(const NamedMutex&) = delete;
    NamedMutex& operator=(const NamedMutex&) = delete;
    bool held() const { return fd_ >= 0; }
    QString path() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
};

// Hex hash of the user's numeric id, the part of every per-user name.
QString userKey();

} // namespace pelvo
