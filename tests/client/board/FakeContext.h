#pragma once
// A main window stand-in for board tests: records what the board asks for.

#include "client/ClientContext.h"

#include <QList>
#include <QStringList>

namespace pelvo::test {

class FakeContext : public ClientContext {
public:
    ClientState st;
    QList<QByteArray> frames;
    QStringList sounds;
    QStringList chat;
    int saves = 0;

    ClientState& state() override { return st; }
    bool sendToHost(const QByteArray& frame) override {
        frames.append(frame);
        return true;
    }
    void addlinetochat(const QString& line, quint32) override { chat.append(line); }
    void playsounds(const QString& name) override { sounds.append(name); }
    void saveinifile() override { ++saves; }
    quint32 chatColour() const override { return 0; }
    QString seatCaption(int) const override { return {}; }
    void closeMainWindow() override {}
};

// The payload of a built notice: the bytes between "CMD_x+" and the terminator.
inline QString payloadOf(const QByteArray& frame) {
    QByteArray body = frame;
    if (body.endsWith('\xff')) body.chop(1);
    return QString::fromUtf8(body.mid(body.indexOf('+') + 1));
}

} // namespace pelvo::test
