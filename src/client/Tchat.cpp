#include "client/Tchat.h"

// own
#include "windows/MessageBox.h"
#include "client/HintAction.h"
#include "client/MenuKeys.h"
#include "client/ScoreSheetAction.h"
#include "client/SingleInstance.h"
#include "client/TableLayout.h"
#include "client/board/Board.h"
#include "client/chat/ChatPanel.h"
#include "client/sound/PhraseBar.h"
#include "client/sound/SoundOptions.h"
#include "host/DiscoveryResponder.h"
#include "host/HubReporter.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "session/PlayerRecord.h"
#include "protocol/Fields.h"
#include "protocol/Ports.h"
#include "session/ConnectFailure.h"
#include "session/SeatKeys.h"
#include "windows/Art.h"
#include "windows/Tabout.h"
#include "windows/Tdownload.h"
#include "windows/Tgamestart.h"
#include "windows/Tlobby.h"
#include "windows/Thelp.h"
#include "windows/Tphrases.h"
#include "windows/Tspylist.h"
#include "windows/Tstatistics.h"
#include "windows/Ttallylist.h"

// Qt
#include <QActionGroup>
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
#include <QShortcut>
#include <QTextBrowser>
#include <QTimer>

// std
#include <algorithm>
#include <cmath>
#include <functional>

Q_LOGGING_CATEGORY(lcClient, "pelvo.client")

namespace pelvo {

namespace {

QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    return item;
}

void addSeparator(QMenu* menu, const char* name) {
    menu->addSeparator()->setObjectName(name);
}

} // namespace

Tchat::Tchat(const QStringList& params, QWidget* parent)
    : QMainWindow(parent), params_(params), session_(new ClientSession(this)),
      chatDumpPath_(qEnvironmentVariable("PELVO_TEST_DUMP_CHAT")),
      replayMode_(isReplayParams(params)) {
    setObjectName("chat");
    setWindowTitle("Pelvo");
    buildParts();
    buildMenu();
    FormCreate();
    createSideWindows();
    connectSession();
    if (replayMode_)
        buildReplay();
    else
        startRecording();
    takeLobbyRequests();
}

Tchat::~Tchat() {
    // A game still running is kept as far as it went (the host's record when the host goes).
    if (recorder_) recorder_->finish("window-closed");
    // The session's socket closes while the window is being taken apart: nothing reaches it.
    session_->disconnect(this);
    // The parts keep a reference to this window: take them down while it is still whole,
    // the host first, then the side windows in reverse order of creation.
    delete hubReporter_;
    delete responder_;
    delete lobby_;
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
// The client area: the board's felt continued past the board's edges; the table is laid out
// again whenever its size changes.
class FeltArea : public QWidget {
public:
    using QWidget::QWidget;
    Board* board = nullptr;
    std::function<void()> resized;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        if (board)
            Board::paintFelt(p, rect(), board->pos(), board->scale());
        else
            Board::paintFelt(p, rect(), QPoint(1, 1));
    }
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (resized) resized();
    }
};
} // namespace

void Tchat::buildParts() {
    auto* client = new FeltArea(this);
    client->setObjectName("client");
    QPalette colours = client->palette();
    colours.setColor(QPalette::Window, art::feltColour());
    client->setPalette(colours);
    // The client area never gets smaller than the table at its design size.
    client->setMinimumSize(clientSizeFor(1.0, 0));
    setCentralWidget(client);

    sounds_ = new SoundOptions(*session_, this);

    board_ = new Board(*session_, client);
    board_->move(1, 1);
    client->board = board_;

    // Lower right of the board, clear of seat 1's cards and labels.
    phraseBar_ = new PhraseBar(*session_, client);
    phraseBar_->setGeometry(485, 269, 280, 20);
    chat_ = new ChatPanel(*session_, client);
    chat_->setGeometry(485, 291, 280, 250);
    // An icon alone says nothing to a screen reader.
    if (auto* smilies = chat_->findChild<QWidget*>("button_smilies"))
        smilies->setAccessibleName(QStringLiteral("Smilies"));
    phraseBar_->raise();
    chat_->raise();
    client->resized = [this] { layoutTable(); };

    connect(board_, &Board::startClicked, this, &Tchat::button_startClick);
    connect(board_, &Board::nameLabelMenuRequested, this, [this](int seat, const QPoint& at) {
        label_playername1ContextPopup(seat);
        popupKick_->popup(at);
    });
    connect(board_, &Board::logoClicked, this, [this] { about()->label_urlClick(); });

    popupKick_ = new QMenu(this);
    popupKick_->setObjectName("popup_kick");
    removeFromGame1_ = addItem(popupKick_, "RemoveFromGame1", "Remove From Game");
    settoJustWatch1_ = addItem(popupKick_, "SettoJustWatch1", "Set to Just Watch");
    unsetJustWatch1_ = addItem(popupKick_, "UnsetJustWatch1", "Unset Just Watch");
    connect(removeFromGame1_, &QAction::triggered, this, &Tchat::RemoveFromGame1Click);
    connect(settoJustWatch1_, &QAction::triggered, this, &Tchat::SettoJustWatch1Click);
    connect(unsetJustWatch1_, &QAction::triggered, this, &Tchat::UnsetJustWatch1Click);

    // For the lobby program that started us; nothing is sent or read on it.
    sock11_ = new TSock(this);
    sock11_->setObjectName("Sock11");
    sock11_->setHostName("127.0.0.1");
    sock11_->setPortName("9001");
}

void Tchat::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName("MainMenu1");

    QMenu* file = bar->addMenu("&File");
    file->setObjectName("File1");
    startGame1_ = addItem(file, "StartGame1", "Start Game");
    // The new-game keys of desktop card games; they follow the item's enabled state, so they
    // work only where the player may start a game.
    startGame1_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_N), QKeySequence(Qt::Key_F2)});
    connect(addItem(file, "HostOrJoin1", "Host or Join a Table…"), &QAction::triggered, this,
            &Tchat::HostOrJoin1Click);
    connect(addItem(file, "FindTableOnline1", "Find a Table Online…"), &QAction::triggered, this,
            &Tchat::FindTableOnline1Click);
    rematch_ = addItem(file, "RematchThisDeal1", "Rematch This Deal");
    rematch_->setEnabled(false);
    connect(rematch_, &QAction::triggered, this, &Tchat::RematchThisDeal1Click);
    connect(addItem(file, "OpenGameRecord1", "Open Game Record\u2026"), &QAction::triggered, this,
            &Tchat::OpenGameRecord1Click);
    connect(addItem(file, "Statistics1", "Statistics"), &QAction::triggered, this,
            &Tchat::Statistics1Click);
    addSeparator(file, "N1");
    QAction* exit = addItem(file, "Exit1", "Exit");
    connect(startGame1_, &QAction::triggered, this, &Tchat::button_startClick);
    connect(exit, &QAction::triggered, this, &Tchat::Exit1Click);

    QMenu* options = bar->addMenu("&Options");
    options->setObjectName("Options1");
    sounds_->addOptionsItems(options);
    addLevelItems(options);
    addHoldSeatsItem(options);
    addSeparator(options, "N3");
    chat_->addOptionsItems(options);
    QAction* reset = addItem(options, "ResetScreenLocation1", "Reset Screen Location");
    addSeparator(options, "N2");
    justWatch1_ = addItem(options, "JustWatch1", "Just Watch");
    justWatch1_->setCheckable(true);
    connect(reset, &QAction::triggered, this, &Tchat::ResetScreenLocation1Click);
    connect(justWatch1_, &QAction::triggered, this, [this] {
        // The check mark follows the host's announcement, not the click.
        justWatch1_->setChecked(session_->table().justWatching);
        JustWatch1Click();
    });

    QMenu* view = bar->addMenu("&View");
    view->setObjectName("View1");
    connect(addItem(view, "ViewTally1", "View Tally"), &QAction::triggered, this,
            &Tchat::ViewTally1Click);
    connect(addItem(view, "SpyList1", "Spy List"), &QAction::triggered, this,
            &Tchat::SpyList1Click);
    connect(addItem(view, "PrhaseList1", "Phrase List"), &QAction::triggered, this,
            &Tchat::PrhaseList1Click);

    QMenu* help = bar->addMenu("&Help");
    help->setObjectName("Help1");
    QAction* content = addItem(help, "Help2", "Content");
    content->setShortcut(Qt::Key_F1);
    // The hint: a seated player's; a record's viewer has no game of its own to be advised on.
    auto* hint = new HintAction(*session_, *board_, this);
    help->addAction(hint->action());
    addAction(hint->action()); // H works while the menu is closed
    hint->action()->setVisible(!replayMode_);
    addSeparator(help, "N4");
    QAction* about = addItem(help, "About1", "About");
    connect(content, &QAction::triggered, this, &Tchat::Help2Click);
    connect(about, &QAction::triggered, this, &Tchat::About1Click);

    addViewItems(view);
    // The game's scores round by round; in a record's viewer too.
    scoreSheet_ = new ScoreSheetAction(*session_, *board_, this);
    view->addAction(scoreSheet_->action());
    addAction(scoreSheet_->action()); // S works while the menu is closed
    addAccelerators(bar);
    // F10 opens the menu bar, as on most desktops.
    auto* f10 = new QShortcut(QKeySequence(Qt::Key_F10), this);
    connect(f10, &QShortcut::activated, this, [bar] {
        if (!bar->actions().isEmpty()) bar->setActiveAction(bar->actions().first());
    });
}

void Tchat::addViewItems(QMenu* view) {
    addSeparator(view, "N6");
    QMenu* zoom = view->addMenu("Zoom");
    zoom->setObjectName("Zoom1");
    zoom->menuAction()->setObjectName("Zoom1");
    QAction* in = addItem(zoom, "ZoomIn1", "Zoom In");
    in->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    QAction* out = addItem(zoom, "ZoomOut1", "Zoom Out");
    out->setShortcut(QKeySequence::ZoomOut);
    QAction* actual = addItem(zoom, "ActualSize1", "Actual Size");
    actual->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
    for (QAction* a : {in, out, actual}) {
        a->setShortcutContext(Qt::WindowShortcut);
        addAction(a); // the keys work while the menu is closed
    }
    connect(in, &QAction::triggered, this, &Tchat::zoomIn);
    connect(out, &QAction::triggered, this, &Tchat::zoomOut);
    connect(actual, &QAction::triggered, this, [this] {
        zoomChosen_ = true;
        zoomTo(1.0);
    });

    QAction* four = addItem(view, "FourColourSuits1", "Four-Colour Suits");
    four->setCheckable(true);
    connect(four, &QAction::triggered, this, &Tchat::FourColourSuits1Click);
    session_->followSettings(
        four, [this, four] { four->setChecked(session_->settings().fourColourSuits); });
}

void Tchat::layoutTable() {
    pelvo::layoutTable({centralWidget(), board_, phraseBar_, chat_});
    centralWidget()->update();
}

namespace {
constexpr qreal zoomStep = 0.25;
constexpr qreal maxZoom = 4.0;
} // namespace

void Tchat::zoomTo(qreal scale) {
    scale = std::clamp(scale, 1.0, maxZoom);
    QWidget* client = centralWidget();
    if (isMaximized() || isFullScreen()) showNormal();
    const QSize frame = size() - client->size();
    const int below = belowHeight(client);
    QSize want = clientSizeFor(scale, below) + frame;
    // Actual size is the size the window starts at (a little felt round the table), not the
    // table's bare minimum.
    if (scale == 1.0) {
        const ClientState& st = session_->state();
        want = want.expandedTo(QSize(st.defaultwidth, st.defaultheight + below));
    }
    if (screen()) want = want.boundedTo(screen()->availableGeometry().size());
    resize(want.expandedTo(minimumSizeHint()));
}

void Tchat::zoomIn() {
    zoomChosen_ = true;
    // Steps of a quarter from the design size, the next one up from where the table stands.
    zoomTo((std::floor(board_->scale() / zoomStep + 0.01) + 1) * zoomStep);
}

void Tchat::zoomOut() {
    zoomChosen_ = true;
    zoomTo((std::ceil(board_->scale() / zoomStep - 0.01) - 1) * zoomStep);
}

void Tchat::FourColourSuits1Click(bool on) {
    session_->editSettings([on](Settings& s) { s.fourColourSuits = on; }, true);
}

void Tchat::addLevelItems(QMenu* options) {
    // How well the computer players of a game hosted here play; the host reads it when a game
    // starts.
    QMenu* levels = options->addMenu("Computer Players");
    levels->setObjectName("ComputerPlayers1");
    levels->menuAction()->setObjectName("ComputerPlayers1");
    auto* group = new QActionGroup(levels);
    for (int level : {0, 1}) {
        QAction* item = addItem(levels, level == 1 ? "BotLevelExpert1" : "BotLevelClassic1",
                                level == 1 ? "Expert" : "Classic");
        item->setCheckable(true);
        item->setActionGroup(group);
        item->setData(level);
        connect(item, &QAction::triggered, this, [this, level] {
            session_->editSettings([level](Settings& s) { s.botLevel = level; }, true);
        });
    }
    session_->followSettings(levels, [this, levels] {
        for (QAction* item : levels->actions())
            item->setChecked(item->data().toInt() == session_->settings().botLevel);
    });
}

void Tchat::FormCreate() {
    mutex_ = std::make_unique<NamedMutex>("pelvo");
    random_.seed(quint32(QDateTime::currentMSecsSinceEpoch()));

    // Design place: left 3, top 3, a client area of 767 by 544 (the minimum then rounds it up).
    move(3, 3);
    resize(767, 544 + menuBar()->sizeHint().height());
}

void Tchat::createSideWindows() {
    spylist_ = new Tspylist(this);
    download_ = new Tdownload(this);
    // The tally file sits beside the settings file: "Pelvo" + "tally.tld".
    tallylist_ =
        new Ttallylist(QDir(dataFolder()).filePath(session_->state().gamename + "tally.tld"), this);
    server_ = new TServer(this);
    server_->botSpeed = [this] { return sounds_->botSpeed(); };
    server_->botLevel = [this] {
        return session_->settings().botLevel == 1 ? BotLevel::Expert : BotLevel::Classic;
    };

    connect(spylist_, &Tspylist::kickRequested, this, &Tchat::kicking);
    // The installer is saved beside the settings file; running it closes the game.
    download_->setDataFolder(dataFolder());
    connect(download_, &Tdownload::exitRequested, this, &Tchat::Exit1Click);
    connect(download_, &Tdownload::lobbyOffered, this, &Tchat::FindTableOnline1Click);
}

Tabout* Tchat::about() {
    if (!about_) about_ = new Tabout(this);
    return about_;
}

Thelp* Tchat::help() {
    if (!help_) {
        help_ = new Thelp(this);
        connect(help_, &Thelp::aboutRequested, this, &Tchat::About1Click);
    }
    return help_;
}

Tgamestart* Tchat::gamestart() {
    if (!gamestart_) {
        gamestart_ = new Tgamestart(*session_, this);
        connect(gamestart_, &Tgamestart::started, this, &Tchat::saveinifile);
    }
    return gamestart_;
}

Tphrases* Tchat::phrasesEditor() {
    if (!phrases_) {
        phrases_ = new Tphrases(this);
        connect(phrases_, &Tphrases::done, this, [this](const QStringList& phrases) {
            for (int n = 1; n <= 9; ++n) phraseBar_->setPhrase(n, phrases.value(n - 1));
            try {
                writePhrases(settingsPath(), session_->state().gamename, phrases);
            } catch (const SettingsWriteError& e) {
                showMessage(this, QString::fromUtf8(e.what()));
            }
        });
    }
    return phrases_;
}

void Tchat::connectSession() {
    ClientSession* s = session_;
    connect(s, &ClientSession::tableChanged, this, &Tchat::showTable);
    // A replay only shows: no boxes, sounds, settings, tally or closing from the record.
    if (replayMode_) return;
    connect(s, &ClientSession::message, this,
            [this](const QString& text) { showMessage(this, text); });
    connect(s, &ClientSession::sound, sounds_, &SoundOptions::playsounds);
    connect(s, &ClientSession::settingsChosen, this, &Tchat::saveinifile);
    connect(s, &ClientSession::clip, sounds_, &SoundOptions::playclip);
    connect(s, &ClientSession::joined, this, &Tchat::loadinifile);
    connect(s, &ClientSession::closeRequested, this, &Tchat::close);
    connect(s, &ClientSession::connectFailed, this, &Tchat::connectionFailed);
    connect(s, &ClientSession::tableChanged, this, &Tchat::updateRematch);
    // At a dedicated table the one who runs it gets what a hosting player has.
    connect(s, &ClientSession::rightsChanged, this, [this](bool runs) {
        startGame1_->setEnabled(runs);
        spylist_->popup_kickhim()->setEnabled(runs);
    });
    s->connection().setTokenFolder(seatkeys::defaultFolder());
    connect(s, &ClientSession::gameRecorded, this, [this](const QString& winner) {
        loadchecklist();
        tallylist_->addgame(winner);
    });
    if (!chatDumpPath_.isEmpty())
        connect(&s->chat(), &ChatHistory::lineAdded, this, &Tchat::dumpChat);
}

// What the window itself shows of the table: the Just Watch check mark and the spectators.
void Tchat::showTable() {
    const TableModel& t = session_->table();
    justWatch1_->setChecked(t.justWatching);
    spylist_->showSpectators(t.spectators);
}

// ---------------------------------------------------------------- chat and settings

void Tchat::note(const QString& text) {
    session_->note(text);
}

void Tchat::saveinifile() {
    // The window's place joins the session's settings.
    Settings settings = session_->settings();
    settings.place = windowPlace();
    // The scale is kept once the player has zoomed (now, or in a run that stored it); a window
    // merely made large does not make it a choice.
    if (zoomChosen_ || settings.zoom != 100) settings.zoom = qRound(board_->scale() * 100);
    session_->setSettings(settings);
    try {
        pelvo::saveinifile(settingsPath(), session_->state().gamename, settings);
    } catch (const SettingsWriteError& e) {
        showMessage(this, QString::fromUtf8(e.what()));
    }
}

QString Tchat::seatCaption(int seat) const {
    if (seat < 1 || seat > TableSeats) return QString();
    return session_->table().seats[std::size_t(seat)].caption();
}

// ---------------------------------------------------------------- window place

WindowPlace Tchat::windowPlace() const {
    if (closingPlace_) return *closingPlace_;
    return {pos().x(), pos().y(), width(), height()};
}

void Tchat::setWindowPlace(const WindowPlace& place) {
    session_->setSavedPlace(place);
    placeWindow(place);
}

void Tchat::placeWindow(const WindowPlace& place) {
    // The settings file is shared with another program: numbers in it can be anything. Keep
    // the window where a screen can show it (the stored numbers stay as they are).
    constexpr int reach = 32767; // the window system's coordinate range
    const int width = std::clamp(place.width, minimumWidth(), reach);
    const int height = std::clamp(place.height, minimumHeight(), reach);
    const int left = std::clamp(place.left, -width, reach - width);
    const int top = std::clamp(place.top, -height, reach - height);
    // Left and top are the outer corner, as pos() reports them; one call moves and sizes.
    const QPoint frameOffset = geometry().topLeft() - pos();
    setGeometry(QRect(QPoint(left, top) + frameOffset, QSize(width, height)));
}

// ---------------------------------------------------------------- start-up and connection

void Tchat::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    // The keyboard starts on the table (a click or Tab reaches the chat entry); a record's
    // board is read-only and takes no focus.
    if (!replayMode_) board_->focusTargets().at(1)->setFocus(Qt::OtherFocusReason);
    // FormShow: the command line is read once the window is on screen.
    QTimer::singleShot(0, this, &Tchat::processparams);
}

void Tchat::processparams() {
    session_->setStartShown(false);
    startGame1_->setEnabled(false);
    if (replayMode_) {
        openReplay(params_.at(1));
        return;
    }

    if (params_.isEmpty()) {
        note("Loading Solo Game..Please wait.");
        download_->show();
        session_->setPlayer("You", "127.0.0.1");
        hostpress();
        return;
    }
    note("Loading Multi-player Game.. Please Wait.");
    if (params_.size() < 3) {
        // Without a host/join flag the client stays unconnected; the dialog offers the way on.
        offerHostOrJoin({params_.at(0), false, params_.value(1), quint16(gamePortName().toUInt())},
                        false);
        return;
    }
    session_->setPlayer(params_.at(0), params_.at(1));
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
        server_->setRecordFolder(gamesFolder()); // a host record of every game played here
        if (recorder_) recorder_->setHosting(true);
        session_->hostHere();
        startGame1_->setEnabled(true);
        spylist_->popup_kickhim()->setEnabled(true);
        if (!params_.isEmpty()) startResponder();
    } catch (const ESockException& e) {
        // As the toolkit would report an uncaught failure: tell the player; a taken port may
        // be a table already running here.
        showMessage(this, QString::fromUtf8(e.what()));
        if (QByteArrayView(e.what()) == "Listen - Error Binding Socket") portInUse();
    }
}

void Tchat::joinpress() {
    try {
        session_->connectToHost(session_->state().hostaddress, session_->state().playername);
        session_->setStartShown(false);
        startGame1_->setEnabled(false);
    } catch (const ESockException& e) {
        // A name that no lookup finds; nothing was connected, so the window ends.
        const bool lookup = QByteArrayView(e.what()).startsWith("Host Lookup");
        connectionFailed(lookup ? connectFailureText({ConnectFailure::LookupFailed,
                                                      session_->state().hostaddress,
                                                      sock()->PortName(), 0, QString()})
                                : QString::fromUtf8(e.what()));
    }
}

void Tchat::loadinifile() {
    Settings settings = session_->settings();
    pelvo::loadinifile(settingsPath(), session_->state().gamename, settings);
    session_->setSettings(settings);
    chat_->reformat(); // a loaded size shows at once, unlike a menu choice
    setWindowPlace(settings.place);
    // The window's size brings the table's scale back; a window made smaller outside this
    // program still shows the table as large as it was left, as far as the screen allows.
    if (settings.zoom > 100 && board_->scale() * 100 < settings.zoom - 1)
        zoomTo(settings.zoom / 100.0);
    chat_->checkSizeItem(settings.textSize);
}

void Tchat::closeEvent(QCloseEvent* event) {
    if (closing_) {
        event->accept();
        return;
    }
    closing_ = true;
    if (recorder_) recorder_->finish("window-closed");
    if (replayMode_) { // a viewer keeps no settings of its own
        session_->stop();
        event->accept();
        emit mainWindowClosed();
        return;
    }
    WindowPlace place = windowPlace();
    if (!(place == session_->state().savedplace)) {
        // A window larger than the work area is made a little smaller, once per dimension.
        const QRect work = screen() ? screen()->availableGeometry() : QRect();
        if (place.width > work.width()) place.width -= 15;
        if (place.height > work.height()) place.height -= 15;
        session_->setSavedPlace(place);
        closingPlace_ = place;
        saveinifile();
        closingPlace_.reset();
    }
    session_->stop();
    event->accept();
    emit mainWindowClosed();
}

void Tchat::ResetScreenLocation1Click() {
    placeWindow({3, 3, session_->state().defaultwidth, session_->state().defaultheight});
}

void Tchat::button_startClick() {
    if (session_->state().connected)
        gamestart()->show();
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
    file.write(chat_->plainText().toUtf8());
    file.commit();
}

// ---------------------------------------------------------------- spectators and removal

void Tchat::JustWatch1Click() {
    session_->justWatch();
}

void Tchat::label_playername1ContextPopup(int seat) {
    for (QAction* item : {removeFromGame1_, settoJustWatch1_, unsetJustWatch1_})
        item->setEnabled(session_->state().ishost);
    const bool waiting = seat >= 1 && seat <= TableSeats &&
                         session_->table().seats[std::size_t(seat)].occupant == Occupant::Waiting;
    if (waiting) removeFromGame1_->setEnabled(false);
    kickSeat_ = seat;
}

void Tchat::SettoJustWatch1Click() {
    session_->setJustWatch(kickSeat_, true);
}

void Tchat::UnsetJustWatch1Click() {
    session_->setJustWatch(kickSeat_, false);
}

void Tchat::RemoveFromGame1Click() {
    kicking(kickSeat_);
}

void Tchat::kicking(int slot) {
    session_->remove(slot);
}

void Tchat::SpyList1Click() {
    spylist_->show();
}

void Tchat::loadchecklist() {
    QListWidget* checklist = tallylist_->checklist();
    checklist->clear();
    for (int seat = 1; seat <= session_->state().maxseats; ++seat) {
        if (seat == session_->state().myseat) continue;
        if (session_->table().seats[std::size_t(seat)].occupant == Occupant::Waiting) continue;
        const QString name = seatCaption(seat);
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

void Tchat::Statistics1Click() {
    // Made on first use: most evenings never open it.
    if (!statistics_) {
        statistics_ = new Tstatistics(gamesFolder(), this);
        if (recorder_)
            connect(recorder_, &PlayerRecorder::recordWritten, statistics_, [this] {
                if (statistics_->isVisible()) statistics_->refresh();
            });
    }
    statistics_->show();
    statistics_->raise();
}

void Tchat::PrhaseList1Click() {
    QStringList current;
    for (int n = 1; n <= 9; ++n) current << phraseBar_->phrase(n);
    phrasesEditor()->edit(current);
}

void Tchat::Help2Click() {
    help()->show();
}
void Tchat::About1Click() {
    about()->show();
}

} // namespace pelvo
