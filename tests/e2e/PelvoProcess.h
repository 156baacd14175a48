#pragma once
// Runs the real `pelvo` program under the offscreen platform with its own instance name, game
// port and settings folder, so whole-program tests can run side by side.

#include <QProcess>
#include <QTemporaryDir>

#include <functional>

namespace pelvo::test {

// Runs the event loop until `done` holds or `ms` pass; returns the final value of `done`.
bool eventually(const std::function<bool()>& done, int ms = 10000);

class PelvoProcess {
public:
    // `port` 0: a free port of its own.
    explicit PelvoProcess(quint16 port = 0);
    ~PelvoProcess();

    void start(const QStringList& params);
    // Environment for the next start (instance name, port, folder are set already).
    void setEnv(const QString& name, const QString& value) { env_.insert(name, value); }

    quint16 port() const { return port_; }
    // The program's settings and tally folder (PELVO_HOME).
    QString home() const { return home_.path(); }
    QString instance() const { return instance_; }
    QString chatFile() const { return home_.filePath("chat.txt"); }
    // The chat view's text as last written by the program.
    QString chat() const;
    // Everything the program wrote to stderr so far.
    QString errors();

    bool waitForExit(int ms = 10000);
    bool running() const { return process_.state() != QProcess::NotRunning; }
    int exitCode() const { return process_.exitCode(); }
    QProcess& process() { return process_; }

private:
    quint16 port_;
    QString instance_;
    QTemporaryDir home_;
    QProcessEnvironment env_;
    QProcess process_;
    QByteArray stderr_;
};

} // namespace pelvo::test
