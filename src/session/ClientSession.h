#pragma once
// The player client without its windows: the game connection `sock`, the queue of received
// lines and its dispatch timer, the typed notices and their handlers, what the client knows of
// the table (TableModel), the chat history and the settings. Views paint what it holds and hand
// the player's intents to it; it sends exactly the requests the host expects.
//
// Links Qt Core and Network only, so a headless player, a replay or a test drives it without a
// widget.

// own
#include "protocol/CommandTable.h"
#include "protocol/FrameSplitter.h"
#include "protocol/LineQueue.h"
#include "protocol/Notices.h"
#include "session/ChatHistory.h"
#include "session/ClientState.h"
#include "session/ConnectFailure.h"
#include "session/Settings.h"
#include "session/TableModel.h"

// Qt
#include <QObject>
#include <QStringList>

// std
#include <bitset>
#include <deque>
#include <functional>

class QTimer;

namespace pelvo {

class TSock;

class ClientSession : public QObject {
    Q_OBJECT
public:
    explicit ClientSession(QObject* parent = nullptr);
    ~ClientSession() override;

    ClientState& state() { return state_; }
    const ClientState& state() const { return state_; }
    const TableModel& table() const { return table_; }
    ChatHistory& chat() { return chat_; }
    const Settings& settings() const { return settings_; }
    // Replaces the settings; views follow through settingsChanged.
    void setSettings(const Settings& settings);
    // The player chose new settings in a menu or window: as setSettings, then settingsChosen
    // (the window writes the settings file).
    void chooseSettings(const Settings& settings);

    // ---- Connection ----
    // Connects `sock` to the host at `address` on the game port, to log in as `name`.
    // Throws ESockException when the socket cannot even start (a name that no lookup finds).
    // A refused, dropped or silent attempt ends in connectFailed: the host must greet with a
    // frame within the connect timeout.
    void connectToHost(const QString& address, const QString& name);
    // PELVO_CONNECT_TIMEOUT_MS, else 20 s.
    int connectTimeout() const { return connectTimeoutMs_; }
    void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }
    // Hands one frame to the host. False when nothing could go out (no connection).
    bool sendToHost(const QByteArray& frame);
    // Replaces the socket as the way out (tests, replays). Empty: the socket again.
    void setTransport(std::function<bool(const QByteArray&)> send);

    TSock* sock() const { return sock_; }
    QTimer* Timer1() const { return timer1_; }
    LineQueue& receivedlist() { return receivedlist_; }

    // The window is closing: no more dispatch.
    void stop();
    void sockRead();
    void sockInfo(int code, const QString& text);
    void Timer1Timer();
    // Hands the oldest received line to its handler.
    void processsocktimer();
    // Handles one line at once, as the dispatch timer would (replays, tests).
    CommandTable::Outcome handleLine(const QString& line);

    // ---- Replays: the whole client state as a value ----
    struct Snapshot {
        ClientState state;
        TableModel table;
        std::deque<ChatLine> chat;
    };
    // Without the chat, `chat` is left empty.
    Snapshot snapshot(bool withChat = true) const;
    // Puts the session back as it was (the chat view is rebuilt only when its lines differ).
    void restore(const Snapshot& snapshot);
    // Replaces only what the board shows (a replay showing every card); views follow.
    void showTable(const TableModel& table);

    // ---- Notices ----
    void sendloginfo(const notice::SendLoginInfo& n);
    void newplayerinfo(const notice::PlayerInfo& n);
    void playerdisconnected(const notice::PlayerInfo& n);
    void justwatching(const notice::JustWatching& n);
    void chatrecieved(const notice::ChatText& n, ChatLine::Kind kind);
    // A relayed line's text with its sender's name as this window shows it.
    QString withShownName(int sender, const QString& text) const;
    void playasound(const notice::PlayASound& n);
    void startthegame(const notice::StartGame& n);
    void roundstarting(const notice::RoundStarting& n);
    void mycards(const notice::MyCards& n);
    void gamestats(const notice::GameStats& n);
    void postscores(const notice::PostScores& n);
    void penalty(const notice::Penalty& n);
    void getnextplayer(const notice::NextPlayer& n);
    void winner(const notice::Winner& n);
    void drawacard(const notice::DrawACard& n);
    void heflipped(const notice::HeFlipped& n);
    void replaceadraw(const notice::Replaced& n);
    void discardadrawn(const notice::DiscardADrawn& n);
    void replaceadiscard(const notice::Replaced& n);

    // ---- Seats ----
    // The seat rotation starts from here: default names of the four seats.
    void sortstuff(int myseat);
    // Offers or withdraws the Start button (the host's window and the winner's banner).
    void setStartShown(bool shown);
    // A system line in the chat ("0+" lines): this client's own note in the system colour.
    void note(const QString& text);
    // sender "+" text in a colour; throws BadField for a sender that is no number from 0 to 9.
    void addlinetochat(const QString& line, quint32 colour, ChatLine::Kind kind);

    // ---- The player's intents ----
    void chooseCell(int position); // one of the own nine cards (card19Click)
    void drawFromPile();           // image_drawClick
    void pickDiscard();            // image_discardClick
    void startGame(const QString& starter, const QString& rounds, int bot3, int bot4);
    // The chat entry's text: a chat line, "/me " an action; other "/" commands go nowhere.
    void sendChat(const QString& text);
    // A phrase button's text; false when nothing went out.
    bool sendPhrase(const QString& phrase);
    void playChatterSound(int wave); // 1..20
    void justWatch();                // toggles the own seat
    void setJustWatch(int seat, bool watching);
    void remove(int slot); // kicking

    // The chatter sounds: clip names "wave1".."wave20" and their captions; index 0 "<Cancel>".
    static QStringList chatterCaptions();

    // ---- Beyond the described client: table rights, getting a seat back, why it ended ----
    // Where the reclaim token is kept between runs (empty, the default: in memory only).
    void setTokenFolder(const QString& folder) { tokenFolder_ = folder; }
    // The first wait before reconnecting, in ms; each further wait doubles. Default:
    // PELVO_RECONNECT_MS, else 1000.
    void setReconnectBase(int ms) { reconnectBase_ = ms; }
    bool reconnecting() const { return reconnecting_; }
    // How long a reclaim waits for its answer before the ordinary login goes out (ms).
    static constexpr int ReclaimPatience = 3000;
    QString reclaimToken() const { return token_; }
    void tablerights(const notice::TableRights& n);
    void reclaimtoken(const notice::ReclaimToken& n);
    void seatreclaimed(const notice::SeatReclaimed& n);
    void seatstate(const notice::SeatState& n);
    void chathistory(const notice::ChatHistoryLine& n);

signals:
    // The table model changed; views repaint from it.
    void tableChanged();
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
    template <class Notice, class Handler> void on(const char* command, Handler handler);
    SeatModel& seat(int s) { return table_.seats[std::size_t(s)]; }
    bool myTurn() const;
    // A name from the host as this client shows it: a computer player named otherwise by the
    // host (seat 3's "Klock") reads as its seat's label, unless someone at the table goes by it.
    QString shownName(const QString& name) const;
    // A move is over: the hand marks where the card went (seat 0: the discard pile), the
    // status line says who did it.
    void moveEnded(int mover, int handSeat, int handPosition, const QString& mine,
                   const QString& theirs);
    void changed() { emit tableChanged(); }
    void failConnect(ConnectFailure kind, int wsaNumber, const QString& detail);

    void buildAddedDispatch();
    bool gameRunning() const { return table_.rounds > 0 && table_.winnerText.isEmpty(); }
    // The login, or with a token the request for the seat it keeps.
    void sendLogin(int slot);
    // The connection is gone: true when a reconnect is under way instead of the end.
    bool reconnectAfterLoss();
    void scheduleRetry();
    void retryConnection();
    // Says why the connection ended, when the player did not end it.
    void sayWhyItEnded();
    // The token in the token folder while a game runs; gone from there when it ends.
    void keepToken();
    void unstoreToken();
    void dropToken(); // the host did not take it: forgotten here and there

    ClientState state_;
    TableModel table_;
    ChatHistory chat_;
    Settings settings_;
    LineQueue receivedlist_;
    FrameSplitter splitter_{FrameSplitter::Oversize::Skip};
    CommandTable commands_;
    TSock* sock_ = nullptr;
    QTimer* timer1_ = nullptr;
    std::function<bool(const QByteArray&)> transport_;
    int dispatching_ = 0;        // handlers running (a message box nests them)
    bool hangUpPending_ = false; // the host hung up during a handler
    bool closing_ = false;
    QTimer* connectTimer_ = nullptr;
    int connectTimeoutMs_ = 20000;
    bool loginPending_ = false;  // connecting, and no frame from the host yet
    bool connectFailed_ = false; // reported once; the socket's later notices are ignored

    // Slots the host said it removed: their departure is its host line, not one of ours.
    std::bitset<10> removed_; // slots 1..9
    enum class Ending { Unknown, Removed, Closed };
    Ending ending_ = Ending::Unknown;
    QString hostAddress_;
    QString tokenFolder_;
    QString token_;
    int reserveSeconds_ = 0;
    int reconnectBase_ = 0; // 0: not read yet
    bool reconnecting_ = false;
    bool reclaimPending_ = false; // a reclaim went out and has no answer yet
    bool reconnected_ = false;    // this session has reconnected: it has the chat already
    bool ignoreClose_ = false;    // closing the old socket before a new try
    int attempt_ = 0;
    int logins_ = 0; // logins sent, so that a late fallback knows it is late
    qint64 deadline_ = 0;
    QTimer* retry_ = nullptr;
};

} // namespace pelvo
