#include "client/sound/SoundOptions.h"

#include "client/ClientContext.h"

namespace pelvo {

// Placeholder until sounds are built: options only, no playback.
struct SoundOptions::Impl {
    ClientContext& ctx;
    bool play = true, phrase = true;
    int turn = 0, speed = 0;
};

SoundOptions::SoundOptions(ClientContext& ctx, QObject* parent) : QObject(parent), d(new Impl{ctx}) {}
SoundOptions::~SoundOptions() { delete d; }
void SoundOptions::addOptionsItems(QMenu*) {}
void SoundOptions::playsounds(const QString&) {}
void SoundOptions::playclip(const QString&) {}
bool SoundOptions::playSounds() const { return d->play; }
void SoundOptions::setPlaySounds(bool on) { d->play = on; }
bool SoundOptions::playerPhraseSounds() const { return d->phrase; }
void SoundOptions::setPlayerPhraseSounds(bool on) { d->phrase = on; }
int SoundOptions::turnSound() const { return d->turn; }
void SoundOptions::setTurnSound(int tag) { d->turn = tag; }
int SoundOptions::botSpeed() const { return d->speed; }
void SoundOptions::setBotSpeed(int ms) { d->speed = ms; }

} // namespace pelvo
