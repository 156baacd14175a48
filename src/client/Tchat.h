#pragma once
// The main window: board, chat and phrase bar, the menu bar, the game connection `sock`, the
// queue of received lines and the table that hands each line to the part that handles it.
// It is the ClientContext of every client part and the target of the settings file.

// own
#include "client/ClientContext.h"
#include "client/ClientState.h"
#include "client/settings/SettingsFile.h"
#include "protocol/CommandTable.h"
#include "protocol/FrameSplitter.h"
#include "protocol/LineQueue.h"
#include "session/ChatHistory.h"

// Qt
#include <QMainWindow>
#include <QRandomGenerator>
#include <QStringList>

// std
#include <memory>
#include <optional>

class QAction;
class QMenu;
class QTimer;

namespace pelvo {

class Board;
class ChatPanel;
class NamedMutex;
class PhraseBar;
class SoundOptions;
class TServer;
class TSock;
class Tabout;
class Tdownload;
class Tgamestart;
class Thelp;
class Tphrases;
class Tspylist;
class Ttallylist;

class Tchat : public QMainWindow, public ClientContext, public SettingsTarget {
    Q_OBJECT
public:
    // `params`: the command line without the program's own name. Creates the window, then the
    // side windows in their order and the hidden table host.
    explicit Tchat(const QStringList& params, QWidget* parent = nullptr);
    ~Tchat() override;

    // ---- ClientContext ----
    ClientState& state() override { return state_; }
    bool sendToHost(const QByteArray& frame) override;
    // PELVO_TEST_DUMP_CHAT=<file> (whole-program tests): after every line the chat view's plain
    // text is written to <file>.
    void addlinetochat(const QString& line, quint32 colour) override;
    void playsounds(const QString& name) override;
    void saveinifile() override;
    quint32 chatColour() const override;
    QString seatCaption(int seat) const override;
    void closeMainWindow() override;

    // ---- SettingsTarget ----
    int textSize() const override;
    void setTextSize(int points) override;
    void checkSizeItem(int points) override;
    WindowPlace windowPlace() const override;
    void setWindowPlace(const WindowPlace& place) override;
    void setChatColour(quint32 colour) override;
    int playtoscore() const override;
    void setPlaytoscore(int position) override;
    int botBox(int seat) const override;
    void changebox(int seat, int value) override;
    int botSpeed() const override;
    void setBotSpeed(int ms) override;
    int turnSound() const override;
    void setTurnSound(int tag) override;
    void setPhrase(int n, const QString& phrase) override;
    bool playSounds() const override;
    void setPlaySounds(bool on) override;
    bool playerPhraseSounds() const override;
    void setPlayerPhraseSounds(bool on) override;

    // ---- start-up and connection ----
    void processparams();
    void hostpress();
    void joinpress();
    void sockRead();
    void sockInfo(int code, const QString& text);
    void Timer1Timer();
    void processsocktimer();
    void sendloginfo(const QString& payload);
    void newplayerinfo(const QString& payload);
    void playerdisconnected(const QString& payload);
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
    void justwatching(const QString& payload);
    void SpyList1Click();
    void loadchecklist();
    void ViewTally1Click();
    void PrhaseList1Click();
    void Help2Click();
    void About1Click();

    // ---- parts, for the program and for tests ----
    Board* board() const { return board_; }
    ChatPanel* chat() const { return chat_; }
    PhraseBar* phraseBar() const { return phraseBar_; }
    SoundOptions* sounds() const { return sounds_; }
    TSock* sock() const { return sock_; }
    TSock* Sock11() const { return sock11_; }
    TServer* server() const { return server_; }
    QTimer* Timer1() const { return timer1_; }
    LineQueue& receivedlist() { return receivedlist_; }
    QMenu* popup_kick() const { return popupKick_; }
    Tabout* about() const { return about_; }
    Tspylist* spylist() const { return spylist_; }
    Thelp* help() const { return help_; }
    Tgamestart* gamestart() const { return gamestart_; }
    Tphrases* phrasesEditor() const { return phrases_; }
    Tdownload* download() const { return download_; }
    Ttallylist* tallylist() const { return tallylist_; }
    QRandomGenerator& random() { return random_; }

signals:
    // The main window has closed: the program ends.
    void mainWindowClosed();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildParts();
    void buildMenu();
    void FormCreate();
    void createSideWindows();
    void buildDispatchTable();
    void openLobbyLink();
    void placeWindow(const WindowPlace& place);
    void dumpChat() const;

    QStringList params_;
    ClientState state_;
    LineQueue receivedlist_;
    FrameSplitter splitter_;
    CommandTable table_;
    QRandomGenerator random_;
    std::unique_ptr<NamedMutex> mutex_;
    std::optional<WindowPlace> closingPlace_;
    bool shown_ = false;
    bool closing_ = false;
    int dispatching_ = 0;        // handlers of received lines running (a message box nests them)
    bool hangUpPending_ = false; // the host hung up during a handler
    QString chatDumpPath_;
    ChatHistory chatHistory_; // outlives the chat panel, which ~Tchat takes down first

    Board* board_ = nullptr;
    ChatPanel* chat_ = nullptr;
    PhraseBar* phraseBar_ = nullptr;
    SoundOptions* sounds_ = nullptr;
    TSock* sock_ = nullptr;
    TSock* sock11_ = nullptr;
    QTimer* timer1_ = nullptr;
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
    TServer* server_ = nullptr;
};

} // namespace pelvo
