#include "client/Tchat.h"

// own
#include "client/MessageBox.h"
#include "client/SingleInstance.h"
#include "client/board/Board.h"
#include "client/chat/ChatPanel.h"
#include "client/sound/PhraseBar.h"
#include "client/sound/SoundOptions.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "protocol/Commands.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"
#include "protocol/Ports.h"
#include "protocol/WireText.h"
#include "windows/Art.h"
#include "windows/Tabout.h"
#include "windows/Tdownload.h"
#include "windows/Tgamestart.h"
#include "windows/Thelp.h"
#include "windows/Tphrases.h"
#include "windows/Tspylist.h"
#include "windows/Ttallylist.h"

// Qt
#include <QAbstractButton>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QPainter>
#include <QSaveFile>
#include <QScreen>
#include <QTextBrowser>
#include <QTimer>

// std
#include <utility>

Q_LOGGING_CATEGORY(lcClient, "pelvo.client")

namespace pelvo {

namespace {

constexpr int BoardWidth = 765;
constexpr int BoardHeight = 542;
constexpr char Waiting[] = "<Waiting>";

// The lowest seat or slot a message may name, and the highest slot the host hands out.
constexpr int FirstSlot = 1;
constexpr int LastSlot = 9;

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    return item;
}

void addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(name);
}

QString spectatorEntry(int slot, const QString& name) {
    return QString::number(slot) + ": " + name;
}

} // namespace

Tchat::Tchat(const QStringList& params, QWidget* parent)
    : QMainWindow(parent), params_(params),
      chatDumpPath_(qEnvironmentVariable("PELVO_TEST_DUMP_CHAT")) {
    setObjectName("chat");
    setWindowTitle("Pelvo");
    buildParts();
    buildMenu();
    FormCreate();
    createSideWindows();
    buildDispatchTable();
}

Tchat::~Tchat() {
    // The sockets close while the window is being taken apart; their notices must not reach it.
    sock_->OnInfo = nullptr;
    sock_->OnRead = nullptr;
    // The parts keep a reference to this window: take them down while it is still whole,
    // the host first, then the side windows in reverse order of creation.
    delete server_;
    delete tallylist_;
    delete download_;
    delete phrases_;
    delete gamestart_;
    delete help_;
    delete spylist_;
    delete about_;
    delete centralWidget();
    delete sounds_;
}

// ---------------------------------------------------------------- construction

namespace {
// The client area: the board's felt continued past the board's edges.
class FeltArea : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        Board::paintFelt(p, rect(), QPoint(1, 1));
    }
};
} // namespace

void Tchat::buildParts() {
    auto* client = new FeltArea(this);
    client->setObjectName("client");
    QPalette colours = client->palette();
    colours.setColor(QPalette::Window, art::feltColour());
    client->setPalette(colours);
    // The client area never gets smaller than the board and a 2-pixel margin around it.
    client->setMinimumSize(BoardWidth + 4, BoardHeight + 4);
    setCentralWidget(client);

    sounds_ = new SoundOptions(*this, this);

    board_ = new Board(*this, client);
    board_->move(1, 1);

    // Lower right of the board, clear of seat 1's cards and labels.
    phraseBar_ = new PhraseBar(*this, *sounds_, client);
    phraseBar_->setGeometry(485, 269, 280, 20);
    chat_ = new ChatPanel(*this, chatHistory_, client);
    chat_->setGeometry(485, 291, 280, 250);
    phraseBar_->raise();
    chat_->raise();

    connect(board_, &Board::startClicked, this, &Tchat::button_startClick);
    connect(board_, &Board::gameRecorded, this, [this](const QString& winner) {
        loadchecklist();
        tallylist_->addgame(winner);
    });
    connect(board_, &Board::nameLabelMenuRequested, this, [this](int seat, const QPoint& at) {
        label_playername1ContextPopup(seat);
        popupKick_->popup(at);
    });
    connect(board_, &Board::gameStarted, this, [this] { justWatch1_->setChecked(false); });
    connect(board_, &Board::logoClicked, this, [this] { about_->label_urlClick(); });

    // One way to show a message box, so that tests and the desktop see the same thing.
    board_->setMessageBox([this](const QString& text) { showMessage(this, text); });
    chat_->setMessageBox([this](const QString& text) { showMessage(this, text); });

    popupKick_ = new QMenu(this);
    popupKick_->setObjectName("popup_kick");
    removeFromGame1_ = addItem(popupKick_, "RemoveFromGame1", "Remove From Game");
    settoJustWatch1_ = addItem(popupKick_, "SettoJustWatch1", "Set to Just Watch");
    unsetJustWatch1_ = addItem(popupKick_, "UnsetJustWatch1", "Unset Just Watch");
    popupKick_->setProperty("Tag", 0);
    connect(removeFromGame1_, &QAction::triggered, this, &Tchat::RemoveFromGame1Click);
    connect(settoJustWatch1_, &QAction::triggered, this, &Tchat::SettoJustWatch1Click);
    connect(unsetJustWatch1_, &QAction::triggered, this, &Tchat::UnsetJustWatch1Click);

    sock_ = new TSock(this);
    sock_->setObjectName("sock");
    sock_->setPortName(gamePortName());
    sock_->OnRead = [this](TSock*, int) { sockRead(); };
    sock_->OnInfo = [this](TSock*, int code, const QString& text) { sockInfo(code, text); };

    // For the lobby program that started us; nothing is sent or read on it.
    sock11_ = new TSock(this);
    sock11_->setObjectName("Sock11");
    sock11_->setHostName("127.0.0.1");
    sock11_->setPortName("9001");

    // Dispatch runs only while lines wait, so an idle client costs nothing.
    timer1_ = new QTimer(this);
    timer1_->setObjectName("Timer1");
    timer1_->setInterval(1);
    connect(timer1_, &QTimer::timeout, this, &Tchat::Timer1Timer);
}

void Tchat::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    QMenu* file = bar->addMenu("File");
    file->setObjectName("File1");
    startGame1_ = addItem(file, "StartGame1", "Start Game");
    addSeparator(file, "N1");
    QAction* exit = addItem(file, "Exit1", "Exit");
    connect(startGame1_, &QAction::triggered, this, &Tchat::button_startClick);
    connect(exit, &QAction::triggered, this, &Tchat::Exit1Click);

    QMenu* options = bar->addMenu("Options");
    options->setObjectName("Options1");
    sounds_->addOptionsItems(options);
    addSeparator(options, "N3");
    chat_->addOptionsItems(options);
    QAction* reset = addItem(options, "ResetScreenLocation1", "Reset Screen Location");
    addSeparator(options, "N2");
    justWatch1_ = addItem(options, "JustWatch1", "Just Watch");
    justWatch1_->setCheckable(true);
    connect(reset, &QAction::triggered, this, &Tchat::ResetScreenLocation1Click);
    connect(justWatch1_, &QAction::triggered, this, [this](bool checked) {
        // The check mark follows the host's announcement, not the click.
        justWatch1_->setChecked(!checked);
        JustWatch1Click();
    });

    QMenu* view = bar->addMenu("View");
    view->setObjectName("View1");
    connect(addItem(view, "ViewTally1", "View Tally"), &QAction::triggered, this,
            &Tchat::ViewTally1Click);
    connect(addItem(view, "SpyList1", "Spy List"), &QAction::triggered, this,
            &Tchat::SpyList1Click);
    connect(addItem(view, "PrhaseList1", "Phrase List"), &QAction::triggered, this,
            &Tchat::PrhaseList1Click);

    QMenu* help = bar->addMenu("Help");
    help->setObjectName("Help1");
    QAction* content = addItem(help, "Help2", "Content");
    content->setShortcut(Qt::Key_F1);
    addSeparator(help, "N4");
    QAction* about = addItem(help, "About1", "About");
    connect(content, &QAction::triggered, this, &Tchat::Help2Click);
    connect(about, &QAction::triggered, this, &Tchat::About1Click);
}

void Tchat::FormCreate() {
    state_.gamename = "Pelvo";
    mutex_ = std::make_unique<NamedMutex>("pelvo");
    state_.defaultwidth = 772;
    state_.defaultheight = 580;
    state_.phraseready = true;
    state_.syscolour = 0xFF0000;
    state_.maxseats = 4;
    board_->clearall();
    random_.seed(quint32(QDateTime::currentMSecsSinceEpoch()));
    state_.ishost = false;
    state_.turnseat = 0;
    // The chat view's link counter starts at -1 inside the chat panel itself.
    state_.seatnames = {QString(), "You", "Klot", "Klick", "Kling"};

    // Design place: left 3, top 3, a client area of 767 by 544 (the minimum then rounds it up).
    move(3, 3);
    resize(767, 544 + menuBar()->sizeHint().height());
}

void Tchat::createSideWindows() {
    about_ = new Tabout(this);
    spylist_ = new Tspylist(this);
    help_ = new Thelp(this);
    gamestart_ = new Tgamestart(*this, this);
    phrases_ = new Tphrases(this);
    download_ = new Tdownload(this);
    // The tally file sits beside the settings file: "Pelvo" + "tally.tld".
    tallylist_ = new Ttallylist(QDir(dataFolder()).filePath(state_.gamename + "tally.tld"), this);
    server_ = new TServer(this);
    server_->botSpeed = [this] { return sounds_->botSpeed(); };

    connect(spylist_, &Tspylist::kickRequested, this, &Tchat::kicking);
    connect(phrases_, &Tphrases::done, this, [this](const QStringList& phrases) {
        for (int n = 1; n <= 9; ++n) phraseBar_->setPhrase(n, phrases.value(n - 1));
        try {
            writePhrases(settingsPath(), state_.gamename, phrases);
        } catch (const SettingsWriteError& e) {
            showMessage(this, QString::fromUtf8(e.what()));
        }
    });
    connect(help_, &Thelp::aboutRequested, this, &Tchat::About1Click);
    // The installer is saved beside the settings file; running it closes the game.
    download_->setDataFolder(dataFolder());
    download_->setMessageBox([this](const QString& text) { showMessage(this, text); });
    connect(download_, &Tdownload::exitRequested, this, &Tchat::Exit1Click);
}

void Tchat::buildDispatchTable() {
    table_.add(cmd::sendlogininfo, [this](const QString& p) { sendloginfo(p); });
    table_.add(cmd::chat, [this](const QString& p) { chat_->chatrecieved(p); });
    table_.add(cmd::action,
               [this](const QString& p) { chat_->chatrecieved(p, ChatLine::Kind::Action); });
    table_.add(cmd::playasound, [this](const QString& p) { phraseBar_->playasound(p); });
    table_.add(cmd::newplayerinfo, [this](const QString& p) { newplayerinfo(p); });
    table_.add(cmd::havewrongversion, [this](const QString& p) {
        addlinetochat("0+" + p + " has a different version of the game then you.",
                      state_.syscolour);
    });
    table_.add(cmd::wrongversion, [this](const QString&) {
        addlinetochat("0+You have a differnt version of the game then the host.", state_.syscolour);
    });
    table_.add(cmd::existingplayers, [this](const QString& p) { newplayerinfo(p); });
    table_.add(cmd::playerdisconnected, [this](const QString& p) { playerdisconnected(p); });
    table_.add(cmd::full, [this](const QString&) {
        // The window closes anyway: nothing queued after this matters.
        timer1_->stop();
        receivedlist_.clear();
        showMessage(this, "Game is full");
        close();
    });
    table_.add(cmd::justwatching, [this](const QString& p) { justwatching(p); });
    table_.add(cmd::startgame, [this](const QString& p) { board_->startthegame(p); });
    table_.add(cmd::nextplayer, [this](const QString& p) { board_->getnextplayer(p); });
    table_.add(cmd::winner, [this](const QString& p) { board_->winner(p); });
    table_.add(cmd::mycards, [this](const QString& p) { board_->mycards(p); });
    table_.add(cmd::heflipped, [this](const QString& p) { board_->heflipped(p); });
    table_.add(cmd::drawacard, [this](const QString& p) { board_->drawacard(p); });
    table_.add(cmd::replaceadraw, [this](const QString& p) { board_->replaceadraw(p); });
    table_.add(cmd::discardadrawn, [this](const QString& p) { board_->discardadrawn(p); });
    table_.add(cmd::replaceadiscard, [this](const QString& p) { board_->replaceadiscard(p); });
    table_.add(cmd::postscores, [this](const QString& p) { board_->postscores(p); });
    table_.add(cmd::roundstarting, [this](const QString& p) { board_->roundstarting(p); });
    table_.add(cmd::penalty, [this](const QString& p) { board_->penalty(p); });
    table_.add(cmd::gamestats, [this](const QString& p) { board_->gamestats(p); });
}

// ---------------------------------------------------------------- ClientContext

bool Tchat::sendToHost(const QByteArray& frame) {
    try {
        return sock_->Send(frame);
    } catch (const ESockException& e) {
        qCDebug(lcClient) << "send refused:" << e.what();
        return false;
    }
}

void Tchat::addlinetochat(const QString& line, quint32 colour) {
    chat_->addlinetochat(line, colour);
    if (!chatDumpPath_.isEmpty()) dumpChat();
}

void Tchat::playsounds(const QString& name) {
    sounds_->playsounds(name);
}

void Tchat::saveinifile() {
    try {
        pelvo::saveinifile(settingsPath(), state_.gamename, *this);
    } catch (const SettingsWriteError& e) {
        showMessage(this, QString::fromUtf8(e.what()));
    }
}

quint32 Tchat::chatColour() const {
    return chat_->chatColour();
}

QString Tchat::seatCaption(int seat) const {
    const QLabel* label = board_->label_playername(seat);
    return label ? label->text() : QString();
}

void Tchat::closeMainWindow() {
    close();
}

// ---------------------------------------------------------------- SettingsTarget

int Tchat::textSize() const {
    return chat_->textSize();
}
void Tchat::setTextSize(int points) {
    chat_->setTextSize(points);
    chat_->reformat(); // a loaded size shows at once, unlike a menu choice
}
void Tchat::checkSizeItem(int points) {
    chat_->checkSizeItem(points);
}

WindowPlace Tchat::windowPlace() const {
    if (closingPlace_) return *closingPlace_;
    return {pos().x(), pos().y(), width(), height()};
}

void Tchat::setWindowPlace(const WindowPlace& place) {
    state_.savedplace = place;
    placeWindow(place);
}

void Tchat::placeWindow(const WindowPlace& place) {
    // Left and top are the outer corner, as pos() reports them; one call moves and sizes.
    const QPoint frameOffset = geometry().topLeft() - pos();
    setGeometry(
        QRect(QPoint(place.left, place.top) + frameOffset, QSize(place.width, place.height)));
}

void Tchat::setChatColour(quint32 colour) {
    chat_->setChatColour(colour);
}
int Tchat::playtoscore() const {
    return gamestart_->rounds();
}
void Tchat::setPlaytoscore(int position) {
    gamestart_->setRounds(position);
}
int Tchat::botBox(int seat) const {
    return gamestart_->boxTag(seat == 3 ? "image_bot3" : "image_bot4");
}
void Tchat::changebox(int seat, int value) {
    gamestart_->changebox(seat == 3 ? "image_bot3" : "image_bot4", value);
}
int Tchat::botSpeed() const {
    return sounds_->botSpeed();
}
void Tchat::setBotSpeed(int ms) {
    sounds_->setBotSpeed(ms);
}
int Tchat::turnSound() const {
    return sounds_->turnSound();
}
void Tchat::setTurnSound(int tag) {
    sounds_->setTurnSound(tag); // the board reads the choice through turnSound()
}
void Tchat::setPhrase(int n, const QString& phrase) {
    phraseBar_->setPhrase(n, phrase);
}
bool Tchat::playSounds() const {
    return sounds_->playSounds();
}
void Tchat::setPlaySounds(bool on) {
    sounds_->setPlaySounds(on);
}
bool Tchat::playerPhraseSounds() const {
    return sounds_->playerPhraseSounds();
}
void Tchat::setPlayerPhraseSounds(bool on) {
    sounds_->setPlayerPhraseSounds(on);
}

// ---------------------------------------------------------------- start-up and connection

void Tchat::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // FormShow: the command line is read once the window is on screen.
    QTimer::singleShot(0, this, &Tchat::processparams);
}

void Tchat::processparams() {
    board_->button_start()->hide();
    startGame1_->setEnabled(false);
    state_.loginfield.clear();

    if (params_.isEmpty()) {
        addlinetochat("0+Loading Solo Game..Please wait.", state_.syscolour);
        download_->show();
        state_.hostaddress = "127.0.0.1";
        state_.playername = "You";
        hostpress();
        return;
    }
    addlinetochat("0+Loading Multi-player Game.. Please Wait.", state_.syscolour);
    if (params_.size() < 3) return; // without a host/join flag the client stays unconnected
    state_.playername = params_.at(0);
    state_.hostaddress = params_.at(1);
    if (params_.at(2) == QLatin1String("true"))
        hostpress();
    else
        joinpress();
    openLobbyLink();
}

void Tchat::openLobbyLink() {
    try {
        sock11_->Open();
    } catch (const ESockException& e) {
        qCDebug(lcClient) << "lobby link:" << e.what(); // nothing depends on it
    }
}

void Tchat::hostpress() {
    try {
        server_->Sock1->setListen(true);
        state_.loginfield = state_.playername;
        state_.ishost = true;
        sock_->setHostName("127.0.0.1");
        sock_->Open();
        board_->button_start()->show();
        startGame1_->setEnabled(true);
        spylist_->popup_kickhim()->setEnabled(true);
    } catch (const ESockException& e) {
        // As the toolkit would report an uncaught failure: tell the player, go on.
        showMessage(this, QString::fromUtf8(e.what()));
    }
}

void Tchat::joinpress() {
    try {
        state_.loginfield = state_.playername;
        sock_->setHostName(state_.hostaddress);
        sock_->Open();
        board_->button_start()->hide();
        startGame1_->setEnabled(false);
    } catch (const ESockException& e) {
        showMessage(this, QString::fromUtf8(e.what()));
    }
}

void Tchat::sockRead() {
    QList<QByteArray> frames;
    const bool intact = splitter_.feed(sock_->Receive(), frames);
    for (const QByteArray& frame : frames) receivedlist_.append(decodeWire(frame));
    if (!receivedlist_.isEmpty() && !timer1_->isActive()) timer1_->start();
    if (!intact) {
        qCWarning(lcClient) << "the host sent an endless frame; closing";
        sockInfo(InfoClosed, "Socket Closed");
    }
}

void Tchat::sockInfo(int, const QString& text) {
    if (text != QLatin1String("Socket Closed")) return;
    // A handler waiting on the player (a message box) finishes first; then the window closes.
    if (dispatching_ > 0) {
        hangUpPending_ = true;
        return;
    }
    // What arrived before the close is still handled: a full table sends "CMD_full" and
    // closes at once, and the player must see why the game ends.
    while (!receivedlist_.isEmpty() && !closing_) processsocktimer();
    close();
}

void Tchat::Timer1Timer() {
    processsocktimer();
    if (receivedlist_.isEmpty()) timer1_->stop();
}

void Tchat::processsocktimer() {
    ++dispatching_;
    table_.dispatch(receivedlist_.takeFirst());
    --dispatching_;
    if (dispatching_ == 0 && std::exchange(hangUpPending_, false))
        sockInfo(InfoClosed, "Socket Closed");
}

void Tchat::sendloginfo(const QString& payload) {
    const int seat = toIntOrThrow(payload);
    if (seat < FirstSlot || seat > LastSlot) throw BadField("seat out of range");
    state_.myseat = seat;
    state_.connected = true;
    sendToHost(msg::logininfo(seat, about_->versionText(), state_.loginfield));
    board_->sortstuff(seat);
}

void Tchat::newplayerinfo(const QString& payload) {
    FieldReader fields(payload);
    const int seat = fields.nextInt(FirstSlot, LastSlot);
    const QString name = fields.remainder();

    if (seat == state_.myseat) {
        addlinetochat("0+You are Connected.", state_.syscolour);
        loadinifile();
    } else {
        addlinetochat("0+" + name + " is Connected.", state_.syscolour);
    }
    if (seat <= state_.maxseats) {
        if (QLabel* label = board_->label_playername(seat)) {
            label->setText(name);
            label->show();
        }
        if (QLabel* score = board_->label_score(seat)) score->show();
    } else {
        spylist_->listbox_spys()->addItem(spectatorEntry(seat, name));
        addlinetochat(seat == state_.myseat ? QString("0+You are spying.")
                                            : "0+" + name + " is spying.",
                      state_.syscolour);
    }
    playsounds("entered");
}

void Tchat::playerdisconnected(const QString& payload) {
    FieldReader fields(payload);
    const int seat = fields.nextInt(FirstSlot, LastSlot);
    const QString name = fields.remainder();

    if (seat <= state_.maxseats) {
        QLabel* label = board_->label_playername(seat);
        if (!label) return;
        const QString caption = label->text();
        const QString defaultName = label->property("Hint").toString(); // the default name
        if (caption != QLatin1String(Waiting) && caption != defaultName)
            addlinetochat("0+" + caption + " disconnected.", state_.syscolour);
        label->setText(defaultName);
        if (QLabel* eyes = board_->image_eyes(seat)) eyes->hide();
        return;
    }
    QListWidget* spys = spylist_->listbox_spys();
    const auto found = spys->findItems(spectatorEntry(seat, name), Qt::MatchExactly);
    if (found.isEmpty()) return;
    addlinetochat("0+" + name + " has left.", state_.syscolour);
    delete found.first();
}

void Tchat::loadinifile() {
    pelvo::loadinifile(settingsPath(), state_.gamename, *this);
}

void Tchat::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    WindowPlace place = windowPlace();
    if (!(place == state_.savedplace)) {
        // A window larger than the work area is made a little smaller, once per dimension.
        const QRect work = screen() ? screen()->availableGeometry() : QRect();
        if (place.width > work.width()) place.width -= 15;
        if (place.height > work.height()) place.height -= 15;
        state_.savedplace = place;
        closingPlace_ = place;
        saveinifile();
        closingPlace_.reset();
    }
    timer1_->stop();
    event->accept();
    emit mainWindowClosed();
}

void Tchat::ResetScreenLocation1Click() {
    placeWindow({3, 3, state_.defaultwidth, state_.defaultheight});
}

void Tchat::button_startClick() {
    if (state_.connected)
        gamestart_->show();
    else
        showMessage(this, "You are not connected");
}

void Tchat::Exit1Click() {
    close();
}

void Tchat::restoreAndRaise() {
    if (isMinimized()) setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void Tchat::dumpChat() const {
    QSaveFile file(chatDumpPath_);
    if (!file.open(QIODevice::WriteOnly)) return;
    file.write(chat_->mainchat()->toPlainText().toUtf8());
    file.commit();
}

// ---------------------------------------------------------------- spectators and removal

void Tchat::JustWatch1Click() {
    if (!state_.connected || state_.myseat < FirstSlot || state_.myseat > state_.maxseats) return;
    sendToHost(msg::justwatch(state_.myseat, justWatch1_->isChecked() ? 2 : 1));
}

void Tchat::label_playername1ContextPopup(int seat) {
    for (QAction* item : {removeFromGame1_, settoJustWatch1_, unsetJustWatch1_})
        item->setEnabled(state_.ishost);
    if (seatCaption(seat) == QLatin1String(Waiting)) removeFromGame1_->setEnabled(false);
    popupKick_->setProperty("Tag", seat);
}

void Tchat::SettoJustWatch1Click() {
    const int seat = popupKick_->property("Tag").toInt();
    if (state_.connected && seat >= FirstSlot && seat <= state_.maxseats)
        sendToHost(msg::justwatch(seat, 1));
}

void Tchat::UnsetJustWatch1Click() {
    const int seat = popupKick_->property("Tag").toInt();
    if (state_.connected && seat >= FirstSlot && seat <= state_.maxseats)
        sendToHost(msg::justwatch(seat, 2));
}

void Tchat::RemoveFromGame1Click() {
    kicking(popupKick_->property("Tag").toInt());
}

void Tchat::kicking(int slot) {
    if (state_.ishost && state_.connected) sendToHost(msg::kickhim(state_.myseat, slot));
}

void Tchat::justwatching(const QString& payload) {
    FieldReader fields(payload);
    const int seat = fields.nextInt();
    const QString mode = fields.remainder();
    if (seat < FirstSlot || seat > state_.maxseats) return;
    const bool watching = mode == QLatin1String("1");
    if (seat == state_.myseat) justWatch1_->setChecked(watching);
    addlinetochat("0+" + seatCaption(seat) +
                      (watching ? " is just watching" : " is now playing again"),
                  state_.syscolour);
    if (QLabel* eyes = board_->image_eyes(seat)) eyes->setVisible(watching);
}

void Tchat::SpyList1Click() {
    spylist_->show();
}

void Tchat::loadchecklist() {
    QListWidget* checklist = tallylist_->checklist();
    checklist->clear();
    for (int seat = 1; seat <= state_.maxseats; ++seat) {
        if (seat == state_.myseat) continue;
        const QString name = seatCaption(seat);
        if (name == QLatin1String(Waiting)) continue;
        auto* item = new QListWidgetItem(name, checklist);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const bool followed =
            !tallylist_->listbox_tally()->findItems(name, Qt::MatchExactly).isEmpty();
        item->setCheckState(followed ? Qt::Checked : Qt::Unchecked);
    }
}

void Tchat::ViewTally1Click() {
    loadchecklist();
    tallylist_->show();
}

void Tchat::PrhaseList1Click() {
    QStringList current;
    for (int n = 1; n <= 9; ++n) current << phraseBar_->phrase(n);
    phrases_->edit(current);
}

void Tchat::Help2Click() {
    help_->show();
}
void Tchat::About1Click() {
    about_->show();
}

} // namespace pelvo
