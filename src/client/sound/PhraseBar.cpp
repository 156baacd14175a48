#include "client/sound/PhraseBar.h"

#include "client/ClientContext.h"
#include "client/sound/SoundOptions.h"

#include <QStringList>

namespace pelvo {

// Placeholder until the phrase buttons are built: the design phrases only.
struct PhraseBar::Impl {
    ClientContext& ctx;
    SoundOptions& sounds;
    QStringList phrases{"Way To Go!", "Good One!", "Nice Try!", "Excellent!", "Brilliant!",
                        "Wow, WTG!", "Thanks!", "Way To Go Teamie!", "Good Game Everyone!"};
};

PhraseBar::PhraseBar(ClientContext& ctx, SoundOptions& sounds, QWidget* parent)
    : QWidget(parent), d(new Impl{ctx, sounds}) {
    setFixedSize(270, 19);
}
PhraseBar::~PhraseBar() { delete d; }
void PhraseBar::playasound(const QString&) {}
QString PhraseBar::phrase(int n) const { return n >= 1 && n <= 9 ? d->phrases[n - 1] : QString(); }
void PhraseBar::setPhrase(int n, const QString& text) {
    if (n >= 1 && n <= 9) d->phrases[n - 1] = text;
}

} // namespace pelvo
