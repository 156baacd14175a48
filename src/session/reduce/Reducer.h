#pragma once
// The session's rules without a connection or an event loop: a notice from the host, or an
// intent of the player, and the model give the next model and the effects (sounds, chat lines,
// announcements, requests, record events). Nothing here touches a socket, a timer or a clock.

// own
#include "protocol/Notices.h"
#include "session/SessionModel.h"
#include "session/Settings.h"

namespace pelvo::reduce {

// ---- Notices ----
Effects apply(SessionModel& m, const notice::SendLoginInfo& n, const Settings& s);
Effects apply(SessionModel& m, const notice::PlayerInfo& n, const Settings& s); // new/existing
Effects disconnected(SessionModel& m, const notice::PlayerInfo& n);
Effects apply(SessionModel& m, const notice::JustWatching& n, const Settings& s);
Effects apply(SessionModel& m, const notice::PlayASound& n, const Settings& s);
Effects chat(SessionModel& m, const notice::ChatText& n, ChatLine::Kind kind);
Effects apply(SessionModel& m, const notice::ChatHistoryLine& n, const Settings& s);
Effects apply(SessionModel& m, const notice::HaveWrongVersion& n, const Settings& s);
Effects apply(SessionModel& m, const notice::WrongVersion& n, const Settings& s);
Effects apply(SessionModel& m, const notice::Full& n, const Settings& s);
Effects apply(SessionModel& m, const notice::TableRights& n, const Settings& s);
Effects apply(SessionModel& m, const notice::Removed& n, const Settings& s);
Effects apply(SessionModel& m, const notice::TableClosing& n, const Settings& s);
Effects apply(SessionModel& m, const notice::PlayerRemoved& n, const Settings& s);
Effects apply(SessionModel& m, const notice::SeatReclaimed& n, const Settings& s);
Effects apply(SessionModel& m, const notice::SeatState& n, const Settings& s);

Effects apply(SessionModel& m, const notice::StartGame& n, const Settings& s);
Effects apply(SessionModel& m, const notice::RoundStarting& n, const Settings& s);
Effects apply(SessionModel& m, const notice::MyCards& n, const Settings& s);
Effects apply(SessionModel& m, const notice::GameStats& n, const Settings& s);
Effects apply(SessionModel& m, const notice::PostScores& n, const Settings& s);
Effects apply(SessionModel& m, const notice::Penalty& n, const Settings& s);
Effects apply(SessionModel& m, const notice::NextPlayer& n, const Settings& s);
Effects apply(SessionModel& m, const notice::Winner& n, const Settings& s);
Effects apply(SessionModel& m, const notice::DrawACard& n, const Settings& s);
Effects apply(SessionModel& m, const notice::HeFlipped& n, const Settings& s);
Effects apply(SessionModel& m, const notice::DiscardADrawn& n, const Settings& s);
Effects replacedDraw(SessionModel& m, const notice::Replaced& n);
Effects replacedDiscard(SessionModel& m, const notice::Replaced& n);

// ---- Local changes ----
// This client's own note in the system colour.
ChatLine note(const SessionModel& m, const QString& text);
// The connection dropped during a game and a reconnect begins.
Effects connectionLost(SessionModel& m);

// ---- The player's intents ----
Effects chooseCell(SessionModel& m, int position);
Effects drawFromPile(const SessionModel& m);
Effects pickDiscard(SessionModel& m);
Effects sendChat(const SessionModel& m, const QString& text, const Settings& s);
// One request; whether it may go out now (the cool-down) is the session's to decide.
QByteArray phrase(const SessionModel& m, const QString& text, const Settings& s);

// The chatter sounds: clip names "wave1".."wave20" and their captions; index 0 "<Cancel>".
QStringList chatterCaptions();

} // namespace pelvo::reduce
