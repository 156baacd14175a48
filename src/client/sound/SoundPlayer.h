#pragma once
// Plays the wave clips compiled into the program, one at a time and without waiting for them.

#include <QObject>
#include <QString>
#include <QStringList>

class QSoundEffect;

namespace pelvo {

class SoundPlayer : public QObject {
    Q_OBJECT
public:
    explicit SoundPlayer(QObject* parent = nullptr);
    ~SoundPlayer() override;

    // Starts the clip of that name (any letter case) and returns at once; a clip still playing
    // stops. An unknown name, or a machine without an audio output, plays nothing.
    void play(const QString& name);

    // What was last asked of play() and how often, whether or not anything could be heard.
    QString lastRequested() const { return m_last; }
    int requestCount() const { return m_count; }

    // Names of all clips, upper case ("DRAW", "WAVE1", ...).
    static QStringList clipNames();
    // Resource path of a clip (":/sounds/DRAW.wav"), or empty when there is no such clip.
    static QString resourcePath(const QString& name);

private:
    QSoundEffect* m_effect = nullptr; // made on first use, only where an output exists
    QString m_last;
    int m_count = 0;
};

} // namespace pelvo
