#pragma once
// What the player client knows of its own connection: its slot, whether it hosts, the names it
// uses. One set per process, held by the session.

#include <QString>

#include <array>

namespace pelvo {

struct WindowPlace {
    int left = 0, top = 0, width = 0, height = 0;
    friend bool operator==(const WindowPlace&, const WindowPlace&) = default;
};

struct ClientState {
    int myseat = 0;         // slot the host gave us; 1-4 seats, 5 and up spectators
    bool connected = false; // set when the seat has arrived and the login went out; never cleared
    bool ishost = false;
    std::array<QString, 5> seatnames{QString(), "You", "Klot", "Klick", "Kling"}; // 1..4
    int maxseats = 4;
    QString playername;
    QString hostaddress;
    QString loginfield;           // playername; the login frame adds its terminator
    quint32 syscolour = 0xFF0000; // blue, stored as 0x00BBGGRR
    QString gamename = "Pelvo";
    int defaultwidth = 772, defaultheight = 580;
    WindowPlace savedplace; // all 0 until the settings file is loaded

    bool isSpectator() const { return myseat > maxseats; }
};

} // namespace pelvo
