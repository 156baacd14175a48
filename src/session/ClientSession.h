#pragma once
// The player client without its windows: a thin shell around three parts. The Connection owns
// the socket, the queue of received lines and the reconnect; the reducer (session/reduce) turns
// each notice and each intent into the next model and its effects; this class applies those
// effects and tells listeners precisely what changed. Views read the model and call intents;
// they never write into it.
//
// Links Qt Core and Network only, so a headless player, a replay or a test drives it without a
// widget.

// own
#include "protocol/CommandTable.h"
#include "protocol/Notices.h"
#include "session/ChatHistory.h"
#include "session/Connection.h"
#include "session/SessionModel.h"
#include "session/Settings.h"

// Qt
#include <QObject>
#include <QStringList>

// std
#include <deque>
#include <functional>

namespace pelvo {

class ClientSession : public QObject {
    Q_OBJECT
public:
    explicit ClientSession(QObject* parent = nullptr);
    ~ClientSession() override;

    const SessionModel& model() const { return model_; }
    const ClientState& state() const { return model_.state; }
    const TableModel& table() const { return model_.table; }
    // The chat as data: views render it and follow its signals.
    ChatHistory& chat() { return chat_; }
    const Settings& settings() const { return settings_; }
    // Replaces the settings; views follow through settingsChanged.
    void setSettings(const Settings& settings);
    // The player chose new settings in a menu or window: as setSettings, then settingsChosen
    // (the window writes the settings file).
    void chooseSettings(const Settings& settings);
    // Edits a copy of the settings and puts it in their place: as chooseSettings when `chosen`,
    // else as setSettings.
    void editSettings(const std::function<void(Settings&)>& edit, bool chosen = false);
    // Calls `show` now and after every change of the settings, as long as `context` lives.
    template <class Show> void followSettings(const QObject* context, Show show) {
        show();
        connect(this, &ClientSession::settingsChanged, context, std::move(show));
    }

    // ---- Connection ----
    Connection& connection() { return *connection_; }
    // Connects to the host at `address` on the game port, to log in as `name`. Throws
    // ESockException when the socket cannot even start; a failed attempt ends in connectFailed.
    void connectToHost(const QString& address, const QString& name);
    // Hosts a table here and logs in to it as the player name.
    void hostHere();
    // Hands one frame to the host. False when nothing could go out (no connection).
    bool sendToHost(const QByteArray& frame) { return connection_->send(frame); }
    // Replaces the socket as the way out (tests, replays). Empty: the socket again.
    void setTransport(std::function<bool(const QByteArray&)> send);
    // The window is closing: no more dispatch.
    void stop() { connection_->stop(); }
    // Handles one line at once, as the dispatch timer would (replays, tests).
    CommandTable::Outcome handleLine(const QString& line);
    bool reconnecting() const { return connection_->reconnecting(); }
    static constexpr int ReclaimPatience = Connection::ReclaimPatience;

    // ---- Replays: the whole client state as a value ----
    struct Snapshot {
        SessionModel model;
        std::deque<ChatLine> chat;
    };
    // Without the chat, `chat` is left empty.
    Snapshot snapshot(bool withChat = true) const;
    // Puts the session back as it was (the chat view is rebuilt only when its lines differ).
    void restore(const Snapshot& snapshot);
    // Replaces only what the board shows (a replay showing every card); views follow.
    void showTable(const TableModel& table);

    // ---- Local changes ----
    // Who this player is and where the table is, before connecting.
    void setPlayer(const QString& name, const QString& hostAddress);
    // Where the window was when the settings were last loaded or saved.
    void setSavedPlace(const WindowPlace& place);
    // Offers or withdraws the Start button (the host's window and the winner's banner).
    void setStartShown(bool shown);
    // A line of this client's own in the system colour.
    void note(const QString& text);
    // Any line the chat is to show; its time is now unless it has one.
    void addLine(ChatLine line);

    // ---- The player's intents ----
    void chooseCell(int position); // one of the own nine cards (card19Click)
    void drawFromPile();           // image_drawClick
    void pickDiscard();            // image_discardClick
    void startGame(const QString& starter, const QString& rounds, int bot3, int bot4);
    // The chat entry's text: a chat line, "/me " an action; other "/" commands go nowhere.
    void sendChat(const QString& text);
    // A phrase button's text; false when nothing went out. After a phrase went out the next
    // waits for the cool-down, whoever asks.
    bool sendPhrase(const QString& phrase);
    bool phraseReady() const;
    // The wait between two phrases (2 seconds unless changed).
    void setPhraseCooldown(int ms) { phraseCooldownMs_ = ms; }
    void playChatterSound(int wave); // 1..20
    void justWatch();                // toggles the own seat
    void setJustWatch(int seat, bool watching);
    void remove(int slot); // kicking

    // The chatter sounds: clip names "wave1".."wave20" and their captions; index 0 "<Cancel>".
    static QStringList chatterCaptions();

signals:
    // Anything the board shows changed; views repaint from the model.
    void tableChanged();
    // Precise changes, after tableChanged.
    void seatChanged(int slot);  // a seat's or a spectator's name, tags or score
    void cardsChanged(int seat); // a grid's cards
    void moveMade(const pelvo::MoveEvent& move);
    void turnChanged(); // whose turn it is, or what this client may do in it
    void roundStarted(int round);
    void roundScored(int seat);         // a seat's round points were posted
    void gameOver(const QString& text); // the winner's banner
    // Sentences that tell a listener what just happened.
    void announced(const QStringList& sentences);
    // An event sound by name ("flip", "turn", ...); the player decides whether it plays.
    void sound(const QString& name);
    // A chatter clip to play whatever "Play Sounds" says.
    void clip(const QString& name);
    // A message the player must confirm; the handler returns once it is confirmed.
    void message(const QString& text);
    // The settings value changed (loaded, or changed through a menu or window).
    void settingsChanged();
    // The player changed a setting; it is to be written to the settings file.
    void settingsChosen();
    // This client's own seat has arrived: its settings are loaded now.
    void joined();
    // A game ended with a winner: the winner's name, or "addtomine" when it is this player.
    void gameRecorded(const QString& winner);
    // The host went away or refused us: the window closes.
    void closeRequested();
    // The connection to a table could not be made; `text` says why and what to try. Nothing
    // more arrives from this session.
    void connectFailed(const QString& text);
    // A line arrived from the host (before it is handled), and a frame went out to it: what a
    // player's game record keeps.
    void lineReceived(const QString& line);
    void frameSent(const QByteArray& frame);
    // This connection was given (true) or lost the rights to run the table.
    void rightsChanged(bool runsTable);

private:
    void buildDispatchTable();
    template <class Notice, class Reduce> void on(const char* command, Reduce reduce);
    void apply(const Effects& e);
    void tableEffects(const Effects& e);
    // The host hung up, and what it sent before has been handled.
    void lost();
    // Says why the connection ended, when the player did not end it, and closes.
    void end();

    SessionModel model_;
    ChatHistory chat_;
    Settings settings_;
    CommandTable commands_;
    Connection* connection_ = nullptr;
    int phraseCooldownMs_ = 2000;
    qint64 phraseReadyAt_ = 0; // monotonic ms
};

} // namespace pelvo
