#pragma once
// A plain SettingsTarget with the main window's design values, and file helpers for the
// settings tests.

#include "session/settings/SettingsFile.h"

// Qt
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

// std
#include <array>
#include <functional>
#include <optional>

namespace pelvo::test {

struct FakeTarget : SettingsTarget {
    int size = 10;
    std::optional<int> checkedSize;
    WindowPlace place{3, 3, 772, 580};
    quint32 colour = 0;
    int rounds = 5;
    int bot3 = 1;
    int bot4 = 1;
    int speed = 0;
    int turn = 0;
    std::array<QString, 10> phrases{
        QString(),    "Way To Go!", "Good One!", "Nice Try!",         "Excellent!",
        "Brilliant!", "Wow, WTG!",  "Thanks!",   "Way To Go Teamie!", "Good Game Everyone!"};
    bool sounds = true;
    bool phraseSounds = true;

    QStringList calls;                              // setters, in the order they ran
    std::function<void(const QString&)> beforeRead; // runs as each getter is asked

    int textSize() const override { return got("textSize", size); }
    void setTextSize(int points) override { size = points, calls << "setTextSize"; }
    void checkSizeItem(int points) override { checkedSize = points, calls << "checkSizeItem"; }
    WindowPlace windowPlace() const override { return got("windowPlace", place); }
    void setWindowPlace(const WindowPlace& p) override { place = p, calls << "setWindowPlace"; }
    quint32 chatColour() const override { return got("chatColour", colour); }
    void setChatColour(quint32 c) override { colour = c, calls << "setChatColour"; }
    int playtoscore() const override { return got("playtoscore", rounds); }
    void setPlaytoscore(int position) override { rounds = position, calls << "setPlaytoscore"; }
    int botBox(int seat) const override { return got("botBox", seat == 3 ? bot3 : bot4); }
    void changebox(int seat, int value) override {
        (seat == 3 ? bot3 : bot4) = value;
        calls << "changebox" + QString::number(seat);
    }
    int botSpeed() const override { return got("botSpeed", speed); }
    void setBotSpeed(int ms) override { speed = ms, calls << "setBotSpeed"; }
    int turnSound() const override { return got("turnSound", turn); }
    void setTurnSound(int tag) override { turn = tag, calls << "setTurnSound"; }
    void setPhrase(int n, const QString& phrase) override {
        phrases.at(n) = phrase;
        calls << "setPhrase" + QString::number(n);
    }
    bool playSounds() const override { return got("playSounds", sounds); }
    void setPlaySounds(bool on) override { sounds = on, calls << "setPlaySounds"; }
    bool playerPhraseSounds() const override { return got("playerPhraseSounds", phraseSounds); }
    void setPlayerPhraseSounds(bool on) override {
        phraseSounds = on, calls << "setPlayerPhraseSounds";
    }

private:
    template <typename T> T got(const QString& name, T value) const {
        if (beforeRead) beforeRead(name);
        return value;
    }
};

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace pelvo::test
