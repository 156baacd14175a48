#pragma once
// A session that records what the sound parts send, show and have saved.

#include "session/ClientSession.h"

#include <QList>
#include <QPair>

namespace pelvo::soundtest {

class RecordingContext {
public:
    ClientSession session;
    const ClientState& st = session.state();
    QList<QByteArray> frames;
    QList<QPair<QString, quint32>> lines; // chat lines as sender "+" text, with their colour
    int saves = 0;
    bool socketAccepts = true;

    RecordingContext() {
        QObject::connect(&session, &ClientSession::settingsChosen, [this] { ++saves; });
        session.setTransport([this](const QByteArray& frame) {
            if (!socketAccepts) return false;
            frames << frame;
            return true;
        });
        setColour(0x0000FF);                            // clRed
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
};

} // namespace pelvo::soundtest
