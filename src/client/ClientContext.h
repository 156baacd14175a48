#pragma once
// What the parts of the player client (board, chat, phrases, settings, side windows) may ask of
// the main window. The main window `Tchat` implements it; widget tests can supply their own.

#include "session/ClientState.h"

#include <QByteArray>
#include <QString>

namespace pelvo {

class ClientContext {
public:
    virtual ~ClientContext() = default;

    virtual ClientState& state() = 0;
    // Hands one frame to the game socket `sock`. Callers check `connected` where the behaviour
    // asks for it. Returns false when the socket refuses (no connection), sending nothing.
    virtual bool sendToHost(const QByteArray& frame) = 0;
    // The one way a line reaches the chat view: sender "+" text, in a 0x00BBGGRR colour.
    virtual void addlinetochat(const QString& line, quint32 colour) = 0;
    // Plays an event sound by name when "Play Sounds" is on.
    virtual void playsounds(const QString& name) = 0;
    // Writes the whole settings file (all keys but the phrases).
    virtual void saveinifile() = 0;
    // The player's chat text colour (0x00BBGGRR).
    virtual quint32 chatColour() const = 0;
    // Caption of `label_playername`<seat>; empty when there is no such label.
    virtual QString seatCaption(int seat) const = 0;
    // "Exit": closes the main window, which ends the program.
    virtual void closeMainWindow() = 0;
};

} // namespace pelvo
