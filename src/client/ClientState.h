#pragma once
// The values every part of the player client shares, one set per process, owned by the main
// window for the whole run.

#include <QString>

#include <array>

namespace pelvo {

struct WindowPlace {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

struct ClientState {
    int myseat = 0;          // slot the host gave us; 1-4 seats, 5 and up spectators
    bool connected = false;  // set when the seat has arrived and the login went out; never cleared
    bool ishost = false;
    int turnseat = 0;        // seat whose move the board expects; 0 = none
    int flipsleft = 0;       // opening flips this client may still request
    std::array<bool, 5> seatplaying{};                                  // index 1..4
    std::array<QString, 5> seatnames{QString(), "You", "Klot", "Klick", "Kling"}; // index 1..4
    int maxseats = 4;
    QString playername;
    QString hostaddress;
    QString loginfield;      // playername; the login frame adds its terminator
    quint32 syscolour = 0xFF0000; // blue, stored as 0x00BBGGRR
    bool phraseready = true;
    int phraseticks = 0;
    QString gamename = "Pelvo";
    int defaultwidth = 772, defaultheight = 580;
    WindowPlace savedplace;  // all 0 until the settings file is loaded

    bool isSpectator() const { return myseat > maxseats; }
};

} // namespace pelvo
