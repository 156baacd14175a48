#include "client/sound/SoundOptions.h"

#include "session/ClientSession.h"
#include "client/sound/SoundPlayer.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QPointer>

namespace pelvo {

struct SoundOptions::Impl {
    explicit Impl(ClientSession& s) : session(s) {}
    ClientSession& session;
    SoundPlayer player;
    QAction* playSounds = nullptr;
    QAction* phraseSounds = nullptr;
    // Radio items whose data is the setting's value: turn sound 0 or 1, bot speed in ms.
    QActionGroup* turnGroup = nullptr;
    QActionGroup* speedGroup = nullptr;
    QPointer<QMenu> turnMenu, speedMenu; // exist once added to a menu bar
};

namespace {
QAction* makeItem(QObject* owner, const char* name, const QString& caption, bool checked,
                  QActionGroup* group = nullptr, int tag = 0) {
    auto* a = new QAction(caption, owner);
    a->setObjectName(QString::fromLatin1(name));
    a->setCheckable(true);
    a->setChecked(checked);
    a->setData(tag);
    if (group) group->addAction(a);
    return a;
}

// Checks the group's item for `tag`; with none for it, the check mark stays where it is.
void checkTagged(QActionGroup* group, int tag) {
    for (QAction* a : group->actions())
        if (a->data().toInt() == tag) a->setChecked(true); // the group clears the other
}

QMenu* addGroupMenu(QMenu* options, const QString& caption, const QString& name,
                    QActionGroup* group) {
    QMenu* menu = options->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    menu->addActions(group->actions());
    return menu;
}
} // namespace

SoundOptions::SoundOptions(ClientSession& session, QObject* parent)
    : QObject(parent), d(new Impl(session)) {
    d->playSounds = makeItem(this, "PlaySounds1", QStringLiteral("Play Sounds"), true);
    d->phraseSounds =
        makeItem(this, "PlayerPhraseSounds1", QStringLiteral("Player Phrase Sounds"), true);

    d->turnGroup = new QActionGroup(this);
    makeItem(this, "Classic1", QStringLiteral("Classic"), true, d->turnGroup, 0);
    makeItem(this, "New1", QStringLiteral("New"), false, d->turnGroup, 1);

    d->speedGroup = new QActionGroup(this);
    makeItem(this, "Slow1", QStringLiteral("Slow"), false, d->speedGroup, 2000);
    makeItem(this, "Normal1", QStringLiteral("Normal"), true, d->speedGroup, 1000);
    makeItem(this, "Fast1", QStringLiteral("Fast"), false, d->speedGroup, 500);

    connect(d->playSounds, &QAction::triggered, this, &SoundOptions::PlaySounds1Click);
    connect(d->phraseSounds, &QAction::triggered, this, &SoundOptions::PlayerPhraseSounds1Click);
    connect(d->turnGroup, &QActionGroup::triggered, this, &SoundOptions::Classic1Click);
    connect(d->speedGroup, &QActionGroup::triggered, this, &SoundOptions::Fast1Click);
    session.followSettings(this, [this] { showSettings(); });
}

void SoundOptions::showSettings() {
    const Settings& s = d->session.settings();
    d->playSounds->setChecked(s.playSounds);
    d->phraseSounds->setChecked(s.playerPhraseSounds);
    checkTagged(d->turnGroup, s.turnSound == 1 ? 1 : 0);
    if (d->turnMenu) d->turnMenu->menuAction()->setData(s.turnSound);
    checkTagged(d->speedGroup, s.botSpeed);
    if (d->speedMenu) d->speedMenu->menuAction()->setData(s.botSpeed);
}

SoundOptions::~SoundOptions() {
    delete d;
}

void SoundOptions::addOptionsItems(QMenu* options) {
    options->addAction(d->playSounds);
    options->addAction(d->phraseSounds);

    d->turnMenu = addGroupMenu(options, QStringLiteral("Turn Sound"), QStringLiteral("TurnSound1"),
                               d->turnGroup);
    d->speedMenu = addGroupMenu(options, QStringLiteral("Bot and Delay Speed"),
                                QStringLiteral("BotSpeed1"), d->speedGroup);

    showSettings();
}

void SoundOptions::playsounds(const QString& name) {
    if (d->session.settings().playSounds) d->player.play(name);
}

void SoundOptions::playclip(const QString& name) {
    d->player.play(name);
}

bool SoundOptions::playSounds() const {
    return d->session.settings().playSounds;
}
void SoundOptions::setPlaySounds(bool on) {
    d->session.editSettings([on](Settings& s) { s.playSounds = on; });
}
bool SoundOptions::playerPhraseSounds() const {
    return d->session.settings().playerPhraseSounds;
}
void SoundOptions::setPlayerPhraseSounds(bool on) {
    d->session.editSettings([on](Settings& s) { s.playerPhraseSounds = on; });
}
int SoundOptions::turnSound() const {
    return d->session.settings().turnSound;
}
int SoundOptions::botSpeed() const {
    return d->session.settings().botSpeed;
}

void SoundOptions::setTurnSound(int tag) {
    d->session.editSettings([tag](Settings& s) { s.turnSound = tag == 1 ? 1 : 0; });
}

void SoundOptions::setBotSpeed(int ms) {
    d->session.editSettings(
        [ms](Settings& s) { s.botSpeed = ms == 2000 || ms == 500 ? ms : 1000; });
}

SoundPlayer& SoundOptions::player() {
    return d->player;
}

void SoundOptions::PlaySounds1Click() {
    const bool on = d->playSounds->isChecked();
    d->session.editSettings([on](Settings& s) { s.playSounds = on; }, true);
}
void SoundOptions::PlayerPhraseSounds1Click() {
    const bool on = d->phraseSounds->isChecked();
    d->session.editSettings([on](Settings& s) { s.playerPhraseSounds = on; }, true);
}

void SoundOptions::Classic1Click(QAction* item) {
    const int tag = item->data().toInt() == 1 ? 1 : 0;
    d->session.editSettings([tag](Settings& s) { s.turnSound = tag; }, true);
}

void SoundOptions::Fast1Click(QAction* item) {
    const int ms = item->data().toInt();
    d->session.editSettings([ms](Settings& s) { s.botSpeed = ms == 2000 || ms == 500 ? ms : 1000; },
                            true);
}

} // namespace pelvo
