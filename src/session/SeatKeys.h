#pragma once
// Reclaim tokens kept between runs of the program, one small file per table (host address and
// port) in a folder "keys" that only this user may enter. A program that was closed or crashed
// during a game finds its token here and asks for its seat back; the file goes when the game
// ends, the table closes or the seat is lost.

// Qt
#include <QString>

namespace pelvo::seatkeys {

// PELVO_HOME when set, else the per-user data folder.
QString defaultFolder();
// The file of the table at host:port, under folder.
QString pathOf(const QString& folder, const QString& host, const QString& port);
// The stored token, or empty when there is none or it is not a token.
QString load(const QString& folder, const QString& host, const QString& port);
// False when the file could not be written.
bool save(const QString& folder, const QString& host, const QString& port, const QString& token);
void remove(const QString& folder, const QString& host, const QString& port);

} // namespace pelvo::seatkeys
