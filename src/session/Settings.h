#pragma once
// The player's settings as a value: what the settings file holds for this game, and what the
// menus and windows show. The session owns one; the settings file reads into it and writes it.

// own
#include "session/ClientState.h"

// Qt
#include <QString>
#include <QStringList>

namespace pelvo {

struct Settings {
    // The phrases a new player starts with.
    static QStringList designPhrases();

    int textSize = 10;      // chat text, points
    WindowPlace place;      // all 0 until loaded
    quint32 chatColour = 0; // 0x00BBGGRR, black
    int playtoscore = 5;    // rounds offered by the game start window (3..9)
    int bot3 = 1, bot4 = 1; // computer players may take seats 3 and 4 (0/1)
    int botSpeed = 0;       // ms; 0 until loaded (the host then plays at normal speed)
    int turnSound = 0;      // 0 Classic, 1 New
    int botLevel = 0;       // how well the hosted computer players play: 0 Classic, 1 Expert
    QStringList phrases = designPhrases(); // the nine phrase buttons' texts
    bool playSounds = true;
    bool playerPhraseSounds = true;
    bool fourColourSuits = false; // diamonds blue and clubs green, for eyes that mix the colours
    int zoom = 100;               // the table's last scale in percent (100: the design size)
    // At a table hosted here, a dropped player's seat is kept from newcomers while its token
    // may bring the player back; off, a newcomer may take it over as any free seat.
    bool holdSeats = false;

    friend bool operator==(const Settings&, const Settings&) = default;
};

} // namespace pelvo
