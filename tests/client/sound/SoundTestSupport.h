#pragma once
// A session with the main window's services stood in for: records what the sound parts send,
// show and save.

#include "client/ClientContext.h"
#include "session/ClientSession.h"

#include <QList>
#include <QPair>

namespace pelvo::soundtest {

class RecordingContext : public ClientContext {
public:
    ClientSession session;
    ClientState& st = session.state();
    QList<QByteArray> frames;
    QList<QPair<QString, quint32>> lines; // chat lines as sender "+" text, with their colour
    int saves = 0;
    bool socketAccepts = true;

    RecordingContext() {
        session.setTransport([this](const QByteArray& frame) {
            if (!socketAccepts) return false;
            frames << frame;
            return true;
        });
        setColour(0x0000FF); // clRed
        session.handleLine("CMD_newplayerinfo+2+Anna"); // a name at seat 2
        QObject::connect(&session.chat(), &ChatHistory::lineAdded, [this](const ChatLine& l) {
            lines.append({QString::number(l.sender) + "+" + l.text, l.colour});
        });
    }
    void setColour(quint32 colour) {
        Settings s = session.settings();
        s.chatColour = colour;
        session.setSettings(s);
    }

    ClientState& state() override { return st; }
    bool sendToHost(const QByteArray& frame) override { return session.sendToHost(frame); }
    void addlinetochat(const QString& line, quint32 c) override { lines.append({line, c}); }
    void playsounds(const QString&) override {}
    void saveinifile() override { ++saves; }
    quint32 chatColour() const override { return session.settings().chatColour; }
    QString seatCaption(int seat) const override {
        return seat >= 1 && seat <= 4 ? session.table().seats[std::size_t(seat)].caption()
                                      : QString();
    }
    void closeMainWindow() override {}
};

} // namespace pelvo::soundtest
