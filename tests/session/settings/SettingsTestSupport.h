#pragma once
// The main window's design settings, and file helpers for the settings tests.

#include "session/Settings.h"

// Qt
#include <QByteArray>
#include <QFile>
#include <QString>

// std
#include <ostream>

namespace pelvo {

// Lets a failed comparison of two values show what differs.
inline void PrintTo(const Settings& s, std::ostream* out) {
    *out << "{size " << s.textSize << ", place " << s.place.left << ',' << s.place.top << ','
         << s.place.width << ',' << s.place.height << ", colour " << s.chatColour << ", rounds "
         << s.playtoscore << ", bots " << s.bot3 << '/' << s.bot4 << ", speed " << s.botSpeed
         << ", turn " << s.turnSound << ", phrases [" << s.phrases.join('|').toStdString()
         << "], sounds " << s.playSounds << ", phrase sounds " << s.playerPhraseSounds << '}';
}

namespace test {

// What the window holds before the file is read: the value's own defaults, placed where a
// new window opens.
inline Settings designSettings() {
    Settings s;
    s.place = {3, 3, 772, 580};
    return s;
}

inline void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly)) file.write(bytes);
}

inline QByteArray readBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace test
} // namespace pelvo
