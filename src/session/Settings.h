#pragma once
// The player's settings as a value: what the settings file holds for this game, and what the
// menus and windows show. The session owns one; the settings file reads into it and writes it.

// own
#include "session/ClientState.h"
#include "session/settings/SettingKeys.h"

// Qt
#include <QString>
#include <QStringList>

namespace pelvo {

// Each key's value before any file is read (its design value) and the value a file without the
// key gives come from the table of settings keys.
struct Settings {
    // The phrases a new player starts with.
    static QStringList designPhrases();

    int textSize = design<int>(SettingId::TextSize); // chat text, points
    // all 0 until loaded
    WindowPlace place{design<int>(SettingId::Left), design<int>(SettingId::Top),
                      design<int>(SettingId::Width), design<int>(SettingId::Height)};
    quint32 chatColour = design<quint32>(SettingId::ChatColour); // 0x00BBGGRR, black
    int playtoscore = design<int>(SettingId::PlayToScore); // rounds the game start window offers
    int bot3 = design<int>(SettingId::Bot3); // computer players may take seats 3 and 4 (0/1)
    int bot4 = design<int>(SettingId::Bot4);
    // ms; 0 until loaded (the host then plays at normal speed)
    int botSpeed = design<int>(SettingId::BotSpeed);
    int turnSound = design<int>(SettingId::TurnSound); // 0 Classic, 1 New
    // How well the hosted computer players play: 0 Classic, 1 Expert.
    int botLevel = design<int>(SettingId::BotLevel);
    QStringList phrases = designPhrases(); // the nine phrase buttons' texts
    bool playSounds = design<bool>(SettingId::PlaySounds);
    bool playerPhraseSounds = design<bool>(SettingId::PlayerPhraseSounds);
    // Diamonds blue and clubs green, for eyes that mix the colours.
    bool fourColourSuits = design<bool>(SettingId::FourColourSuits);
    // The table's last scale in percent (100: the design size).
    int zoom = design<int>(SettingId::Zoom);
    // At a table hosted here, a dropped player's seat is kept from newcomers while its token
    // may bring the player back; off, a newcomer may take it over as any free seat.
    bool holdSeats = design<bool>(SettingId::HoldSeats);

    friend bool operator==(const Settings&, const Settings&) = default;

private:
    template <class T> static constexpr T design(SettingId id) {
        return static_cast<T>(settingKey(id).design);
    }
};

} // namespace pelvo
