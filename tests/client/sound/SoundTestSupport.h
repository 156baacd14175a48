#pragma once
// A stand-in for the main window that records what the sound parts send and show.

#include "client/ClientContext.h"

#include <QList>
#include <QPair>

namespace pelvo::soundtest {

class RecordingContext : public ClientContext {
public:
    ClientState st;
    QList<QByteArray> frames;
    QList<QPair<QString, quint32>> lines;
    int saves = 0;
    bool socketAccepts = true;
    quint32 colour = 0x0000FF; // clRed
    QStringList names{QString(), "You", "Anna", "Klick", "Kling"};

    ClientState& state() override { return st; }
    bool sendToHost(const QByteArray& frame) override {
        if (!socketAccepts) return false;
        frames << frame;
        return true;
    }
    void addlinetochat(const QString& line, quint32 c) override { lines.append({line, c}); }
    void playsounds(const QString&) override {}
    void saveinifile() override { ++saves; }
    quint32 chatColour() const override { return colour; }
    QString seatCaption(int seat) const override {
        return seat >= 1 && seat <= 4 ? names[seat] : QString();
    }
    void closeMainWindow() override {}
};

} // namespace pelvo::soundtest
