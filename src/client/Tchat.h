#pragma once
// The main window: the shell that wires the session (connection, notices, table model, chat
// history) to its views — board, chat and phrase bar, the menu bar and the side windows.
// It writes the settings file and shows the message boxes the session asks for.

// own
#include "session/settings/SettingsFile.h"
#include "session/ClientSession.h"
#include "session/TableChoice.h"

// Qt
#include <QMainWindow>
#include <QRandomGenerator>
#include <QStringList>

// std
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QTimer;

namespace pelvo {

class Board;
class ChatPanel;
class DiscoveryResponder;
class HostOrJoin;
class HubReporter;
class NamedMutex;
class PhraseBar;
class PlayerRecorder;
class Replay;
class ReplayBar;
class ScoreSheetAction;
class SoundOptions;
class TServer;
class TSock;
class Tabout;
class Tdownload;
class Tgamestart;
class Tlobby;
class Thelp;
class Tphrases;
class Tspylist;
class Tstatistics;
class Ttallylist;

class Tchat : public QMainWindow {
    Q_OBJECT
public:
    // `params`: the command line without the program's own name. Creates the window, then the
    // side windows in their order and the hidden table host.
    explicit Tchat(const QStringList& params, QWidget* parent = nullptr);
    ~Tchat() override;

    // ---- the session's state, for the window's own parts and for tests ----
    const ClientState& state() const { return session_->state(); }
    // A line of the window's own in the chat. PELVO_TEST_DUMP_CHAT=<file> (whole-program
    // tests): after every line the chat view's plain text is written to <file>.
    void note(const QString& text);
    // Writes the settings file: the session's settings with the window's place.
    void saveinifile();
    // Caption of `label_playername`<seat>; empty when there is no such seat.
    QString seatCaption(int seat) const;

    // ---- window place (left, top, width, height of the outer frame) ----
    WindowPlace windowPlace() const;
    // Moves the window there; it also becomes `savedplace`.
    void setWindowPlace(const WindowPlace& place);

    // ---- start-up and connection ----
    void processparams();
    void hostpress();
    void joinpress();
    void processsocktimer() { session_->connection().dispatchOne(); }
    void loadinifile();
    void ResetScreenLocation1Click();
    void button_startClick();
    void Exit1Click();
    // A second start asked for this window: restore it if minimised, raise and activate it.
    void restoreAndRaise();

    // ---- spectators, removal, side windows ----
    void JustWatch1Click();
    void label_playername1ContextPopup(int seat);
    void SettoJustWatch1Click();
    void UnsetJustWatch1Click();
    void RemoveFromGame1Click();
    void kicking(int slot);
    void SpyList1Click();
    void loadchecklist();
    void ViewTally1Click();
    // File › Statistics: counted from the game records whenever the window is shown.
    void Statistics1Click();
    Tstatistics* statistics() const { return statistics_; }
    void PrhaseList1Click();
    void Help2Click();
    void About1Click();

    // ---- host or join a table (TchatTables.cpp) ----
    // File › "Host or Join a Table…": the dialog, filled with the remembered name and addresses.
    void HostOrJoin1Click();
    // Goes on with a choice as the command line would: remembers it, then restarts the program.
    void goOnWith(const TableChoice& choice);
    // How the program restarts; tests replace it (empty: the real restart).
    using Restarter = std::function<void(const RestartPlan& plan)>;
    void setRestarter(Restarter restarter) { restarter_ = std::move(restarter); }
    HostOrJoin* hostOrJoin() const { return hostOrJoin_; }
    // File › "Find a Table Online…" and "Play with Others": the lobby window of a hub (the one
    // last chosen, else PELVO_HUB).
    void FindTableOnline1Click();
    Tlobby* lobby() const { return lobby_; }
    DiscoveryResponder* responder() const { return responder_; }

    // ---- View › Zoom and the table's colours ----
    // Sizes the window so the table shows at `scale` (1: the design size), as far as the screen
    // allows.
    void zoomTo(qreal scale);
    void zoomIn();
    void zoomOut();
    void FourColourSuits1Click(bool on);

    // ---- parts, for the program and for tests ----
    ClientSession& session() const { return *session_; }
    Board* board() const { return board_; }
    ChatPanel* chat() const { return chat_; }
    PhraseBar* phraseBar() const { return phraseBar_; }
    SoundOptions* sounds() const { return sounds_; }
    TSock* sock() const { return session_->connection().sock(); }
    TSock* Sock11() const { return sock11_; }
    TServer* server() const { return server_; }
    QTimer* Timer1() const { return session_->connection().dispatchTimer(); }
    LineQueue& receivedlist() { return session_->connection().received(); }
    QMenu* popup_kick() const { return popupKick_; }
    int kickSeat() const { return kickSeat_; } // the seat popup_kick was opened for
    // The rarely opened side windows are built when first asked for.
    Tabout* about();
    Tspylist* spylist() const { return spylist_; }
    Thelp* help();
    Tgamestart* gamestart();
    Tphrases* phrasesEditor();
    Tdownload* download() const { return download_; }
    Ttallylist* tallylist() const { return tallylist_; }
    QRandomGenerator& random() { return random_; }
    ScoreSheetAction* scoreSheet() const { return scoreSheet_; }

    // ---- game records (TchatRecords.cpp) ----
    // `params` {"--replay", FILE}: the window shows that record, read-only.
    static bool isReplayParams(const QStringList& params);
    bool replayMode() const { return replayMode_; }
    Replay* replay() const { return replay_; }
    ReplayBar* replayBar() const { return replayBar_; }
    PlayerRecorder* recorder() const { return recorder_; }
    QAction* rematchAction() const { return rematch_; }
    // Shows the record at `path` in this replay window; a file read only in part says where
    // reading stopped and shows what came before. False when nothing at all could be read.
    bool openReplay(const QString& path);
    // File › Open Game Record…: a replay window for the chosen file.
    void OpenGameRecord1Click();
    // File › Rematch This Deal: the last game again, from its deal number (the host, between
    // games).
    void RematchThisDeal1Click();

signals:
    // The main window has closed: the program ends.
    void mainWindowClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildParts();
    void buildMenu();
    // Options › Computer Players: Classic or Expert, bound to the settings.
    void addLevelItems(QMenu* options);
    // Options › Hold Seats for Dropped Players, bound to the settings and to this window's host.
    void addHoldSeatsItem(QMenu* options);
    // View › Zoom and View › Four-Colour Suits.
    void addViewItems(QMenu* view);
    void layoutTable();
    void FormCreate();
    void createSideWindows();
    void connectSession();
    void showTable();
    void openLobbyLink();
    void placeWindow(const WindowPlace& place);
    void dumpChat() const;
    // The connection could not be made: say why, then end.
    void connectionFailed(const QString& text);
    // Hosting found the game port taken: offer to join the table running there, or end.
    void portInUse();
    // A table hosted from the command line answers searches of the network.
    void startResponder();
    void offerHostOrJoin(const TableChoice& initial, bool endIfDeclined);
    TableChoice rememberedChoice() const;
    // A start from the lobby window may ask to watch (PELVO_JUST_WATCH=1) or to show its
    // creator a private table's code (PELVO_TABLE_CODE), and a host to list its table
    // (PELVO_LIST_ON_HUB); each is taken once, here.
    void takeLobbyRequests();
    void lobbyJoined();
    void watchWhenPlaying();
    // The hub the lobby window last used (else PELVO_HUB); empty when none.
    QString knownHub() const;
    // "List this table on the hub": the hosted table reports to the hub while it runs.
    void listOnHub(quint16 port);
    void buildReplay();
    void startRecording();
    void updateRematch();

    QStringList params_;
    ClientSession* session_ = nullptr;
    QRandomGenerator random_;
    std::unique_ptr<NamedMutex> mutex_;
    std::optional<WindowPlace> closingPlace_;
    bool shown_ = false;
    bool closing_ = false;
    bool zoomChosen_ = false; // View › Zoom was used in this run
    int kickSeat_ = 0;        // the seat whose name label opened popup_kick
    QString chatDumpPath_;

    Board* board_ = nullptr;
    ChatPanel* chat_ = nullptr;
    PhraseBar* phraseBar_ = nullptr;
    SoundOptions* sounds_ = nullptr;
    TSock* sock11_ = nullptr;
    QMenu* popupKick_ = nullptr;
    QAction* startGame1_ = nullptr;
    QAction* justWatch1_ = nullptr;
    QAction* removeFromGame1_ = nullptr;
    QAction* settoJustWatch1_ = nullptr;
    QAction* unsetJustWatch1_ = nullptr;

    Tabout* about_ = nullptr;
    Tspylist* spylist_ = nullptr;
    Thelp* help_ = nullptr;
    Tgamestart* gamestart_ = nullptr;
    Tphrases* phrases_ = nullptr;
    Tdownload* download_ = nullptr;
    Ttallylist* tallylist_ = nullptr;
    Tstatistics* statistics_ = nullptr;
    TServer* server_ = nullptr;
    HostOrJoin* hostOrJoin_ = nullptr;
    Tlobby* lobby_ = nullptr;
    bool watchOnJoin_ = false;
    int watchAskedInTurn_ = 0;
    QString listOnHub_; // the hub this hosted table is listed on
    HubReporter* hubReporter_ = nullptr;
    QString tableCode_;
    DiscoveryResponder* responder_ = nullptr;
    Restarter restarter_;
    bool endIfDeclined_ = false;

    bool replayMode_ = false;
    PlayerRecorder* recorder_ = nullptr;
    Replay* replay_ = nullptr;
    ReplayBar* replayBar_ = nullptr;
    QAction* rematch_ = nullptr;
    ScoreSheetAction* scoreSheet_ = nullptr;
};

} // namespace pelvo
