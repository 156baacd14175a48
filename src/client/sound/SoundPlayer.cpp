#include "client/sound/SoundPlayer.h"

#include <QAudioDevice>
#include <QDir>
#include <QFileInfo>
#include <QMediaDevices>
#include <QSoundEffect>
#include <QUrl>

// The clips live in a static library: pull its resources in explicitly.
static void initSoundResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(sounds);
        return true;
    }();
    Q_UNUSED(done);
}

namespace pelvo {

namespace {
const QString prefix = QStringLiteral(":/sounds/");
}

SoundPlayer::SoundPlayer(QObject* parent) : QObject(parent) {
    initSoundResources();
}

SoundPlayer::~SoundPlayer() = default;

QStringList SoundPlayer::clipNames() {
    initSoundResources();
    QStringList names;
    const auto files = QDir(prefix).entryList({QStringLiteral("*.wav")}, QDir::Files);
    for (const QString& f : files) names << QFileInfo(f).completeBaseName().toUpper();
    return names;
}

QString SoundPlayer::resourcePath(const QString& name) {
    initSoundResources();
    if (name.isEmpty() || name.contains(u'/')) return {};
    // Clips are stored under upper-case names, so upper-casing is the case-blind lookup.
    const QString path = prefix + name.toUpper() + QStringLiteral(".wav");
    return QFileInfo::exists(path) ? path : QString();
}

void SoundPlayer::play(const QString& name) {
    m_last = name;
    ++m_count;
    const QString path = resourcePath(name);
    if (path.isEmpty()) return;
    // Without an output there is nothing to hear; QSoundEffect would only complain.
    if (QMediaDevices::audioOutputs().isEmpty()) return;
    if (!m_effect) m_effect = new QSoundEffect(this);
    m_effect->stop();
    m_effect->setSource(QUrl(QStringLiteral("qrc") + path)); // qrc:/sounds/NAME.wav
    m_effect->play();                                        // plays once loaded; returns at once
}

} // namespace pelvo
