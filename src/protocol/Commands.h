#pragma once
// Command names of the wire protocol. A frame is: name "+" payload 0xFF, with payload fields
// separated by "+". There is no escaping, no length and no checksum; free text is always the
// last field and runs to the end of the payload.

namespace pelvo::cmd {

// Requests, client to host.
inline constexpr char logininfo[] = "CMD_logininfo";
inline constexpr char kickhim[] = "CMD_kickhim";
inline constexpr char chat[] = "CMD_chat";
inline constexpr char action[] = "CMD_action";
inline constexpr char playasound[] = "CMD_playasound";
inline constexpr char startgame[] = "CMD_startgame";
inline constexpr char justwatch[] = "CMD_justwatch";
inline constexpr char flipcard[] = "CMD_flipcard";
inline constexpr char drawcard[] = "CMD_drawcard";
inline constexpr char replacedraw[] = "CMD_replacedraw";
inline constexpr char discarddrawn[] = "CMD_discarddrawn";
inline constexpr char replacediscard[] = "CMD_replacediscard";

// Notices, host to client (chat, action, playasound and startgame share their request's name).
inline constexpr char sendlogininfo[] = "CMD_sendlogininfo";
inline constexpr char full[] = "CMD_full";
inline constexpr char newplayerinfo[] = "CMD_newplayerinfo";
inline constexpr char existingplayers[] = "CMD_existingplayers";
inline constexpr char havewrongversion[] = "CMD_havewrongversion";
inline constexpr char wrongversion[] = "CMD_wrongversion";
inline constexpr char gamestats[] = "CMD_gamestats";
inline constexpr char playerdisconnected[] = "CMD_playerdisconnected";
inline constexpr char justwatching[] = "CMD_justwatching";
inline constexpr char roundstarting[] = "CMD_roundstarting";
inline constexpr char mycards[] = "CMD_mycards";
inline constexpr char heflipped[] = "CMD_heflipped";
inline constexpr char nextplayer[] = "CMD_nextplayer";
inline constexpr char drawacard[] = "CMD_drawacard";
inline constexpr char replaceadraw[] = "CMD_replaceadraw";
inline constexpr char discardadrawn[] = "CMD_discardadrawn";
inline constexpr char replaceadiscard[] = "CMD_replaceadiscard";
inline constexpr char postscores[] = "CMD_postscores";
inline constexpr char penalty[] = "CMD_penalty";
inline constexpr char winner[] = "CMD_winner";

// Added to the catalogue (a peer that does not know them ignores them; see docs/wire.md).
// Host to client:
inline constexpr char tablerights[] = "CMD_tablerights";     // who runs a dedicated table
inline constexpr char reclaimtoken[] = "CMD_reclaimtoken";   // a seated player's seat key
inline constexpr char removed[] = "CMD_removed";             // the host removes this connection
inline constexpr char tableclosing[] = "CMD_tableclosing";   // the table shuts down
inline constexpr char seatreclaimed[] = "CMD_seatreclaimed"; // the seat is this connection's again
inline constexpr char seatstate[] = "CMD_seatstate";         // own cards and the turn, after it
inline constexpr char chathistory[] = "CMD_chathistory";     // one earlier chat or action line
inline constexpr char playerremoved[] = "CMD_playerremoved"; // that connection was removed
// Client to host:
inline constexpr char reclaimseat[] = "CMD_reclaimseat"; // login that asks for a reserved seat

} // namespace pelvo::cmd

namespace pelvo::wire {
inline constexpr char terminator = '\xFF';
inline constexpr char version[] = "1.0.1"; // compared at login; shown on the About window
} // namespace pelvo::wire
