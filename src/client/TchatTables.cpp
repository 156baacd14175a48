// The main window's ways to a table besides the command line: the "Host or Join a Table…"
// dialog, the restart that goes on with its choice, the answers to searches of the network, and
// what the window says when a connection cannot be made.

#include "client/Tchat.h"

// own
#include "client/Restart.h"
#include "host/DiscoveryResponder.h"
#include "host/HubReporter.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "protocol/Ports.h"
#include "session/ClientSession.h"
#include "session/ConnectFailure.h"
#include "session/hub/HubAnswers.h"
#include "session/settings/SettingsFile.h"
#include "windows/HostOrJoin.h"
#include "windows/MessageBox.h"
#include "windows/Tlobby.h"

// Qt
#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QTimer>

namespace pelvo {

void Tchat::HostOrJoin1Click() {
    offerHostOrJoin(rememberedChoice(), false);
}

TableChoice Tchat::rememberedChoice() const {
    TableChoice initial;
    const RememberedTables remembered =
        loadRememberedTables(settingsPath(), session_->state().gamename);
    initial.name = remembered.playerName;
    initial.address = remembered.recentAddresses.value(0);
    initial.port = quint16(gamePortName().toUInt());
    // The solo game's "You" is no name to offer.
    if (initial.name.isEmpty() && !params_.isEmpty()) initial.name = session_->state().playername;
    return initial;
}

void Tchat::offerHostOrJoin(const TableChoice& initial, bool endIfDeclined) {
    endIfDeclined_ = endIfDeclined;
    if (!hostOrJoin_) {
        hostOrJoin_ = new HostOrJoin(this);
        connect(hostOrJoin_, &QDialog::accepted, this, [this] { goOnWith(hostOrJoin_->choice()); });
        // Declined where no game can run (the port was taken): the program ends.
        connect(hostOrJoin_, &QDialog::rejected, this, [this] {
            if (endIfDeclined_) close();
        });
    }
    hostOrJoin_->setHub(knownHub());
    hostOrJoin_->present(
        initial, loadRememberedTables(settingsPath(), session_->state().gamename).recentAddresses);
    hostOrJoin_->show();
    hostOrJoin_->raise();
}

void Tchat::goOnWith(const TableChoice& choice) {
    // Leaving a table of others is the player's decision; a solo game just ends.
    if (session_->state().connected && !params_.isEmpty() &&
        !askQuestion(this, "Pelvo",
                     "This leaves the table you are at. Go on to the table you chose?"))
        return;
    // The lobby has done its part: its live connection ends with it.
    if (lobby_) lobby_->hide();
    try {
        rememberTableChoice(settingsPath(), session_->state().gamename, choice);
    } catch (const SettingsWriteError& e) {
        showMessage(this, QString::fromUtf8(e.what())); // the choice still goes on
    }
    const RestartPlan plan = restartPlan(choice, gamePortName());
    // The window closes as at the end of the program (its place is saved), then the new start
    // takes over this process.
    close();
    if (restarter_) {
        restarter_(plan);
        return;
    }
    if (!execRestart(QCoreApplication::applicationFilePath(), plan))
        showMessage(this, "Pelvo could not start again with the chosen table.");
}

void Tchat::FindTableOnline1Click() {
    if (!lobby_) {
        lobby_ = new Tlobby(this);
        connect(lobby_, &Tlobby::tableChosen, this, &Tchat::goOnWith);
        connect(lobby_, &Tlobby::hubChosen, this, [this](const QString& address) {
            try {
                rememberHubAddress(settingsPath(), session_->state().gamename, address);
            } catch (const SettingsWriteError& e) {
                showMessage(lobby_, QString::fromUtf8(e.what()));
            }
        });
    }
    const QString address = loadHubAddress(settingsPath(), session_->state().gamename);
    if (!address.isEmpty())
        lobby_->present(rememberedChoice().name, address, true);
    else
        lobby_->present(rememberedChoice().name, qEnvironmentVariable("PELVO_HUB"), false);
}

QString Tchat::knownHub() const {
    const QString address = loadHubAddress(settingsPath(), session_->state().gamename);
    return address.isEmpty() ? qEnvironmentVariable("PELVO_HUB").trimmed() : address;
}

void Tchat::listOnHub(quint16 port) {
    const QUrl url = hub::hubUrl(listOnHub_);
    if (hubReporter_ || !url.isValid()) return;
    const QString hubText = listOnHub_;
    hubReporter_ =
        HubReporter::listServer(*server_, url, session_->state().playername, port, false, this);
    connect(hubReporter_, &HubReporter::registered, this, [this, hubText] {
        note(QStringLiteral("This table is listed on the hub %1: players find it in "
                            "File › Find a Table Online….")
                 .arg(hubText));
    });
    // The reporter tries again by itself; the player hears of the trouble once.
    connect(hubReporter_, &HubReporter::failed, this,
            [this, hubText](const QString& error, const QString& message) {
                if (hubReporter_->property("told").toBool()) return;
                hubReporter_->setProperty("told", true);
                const QString why =
                    error == QLatin1String("not_reachable")
                        ? QStringLiteral("it cannot reach this computer on port %1. Let that "
                                         "port in (TCP and UDP) on your router and firewall.")
                              .arg(server_->Sock1->PortName())
                    : error == QLatin1String("unreachable")
                        ? QStringLiteral("the hub does not answer. Check its address in File › "
                                         "Find a Table Online….")
                        : (message.isEmpty() ? error : message);
                note(QStringLiteral("The hub %1 did not list this table: %2").arg(hubText, why));
            });
}

void Tchat::takeLobbyRequests() {
    // Taken out of the environment so a later start of this process does not inherit them.
    const bool watch = qEnvironmentVariable("PELVO_JUST_WATCH") == QLatin1String("1");
    const QString code = qEnvironmentVariable("PELVO_TABLE_CODE");
    const QString hubToList = qEnvironmentVariable("PELVO_LIST_ON_HUB");
    qunsetenv("PELVO_JUST_WATCH");
    qunsetenv("PELVO_TABLE_CODE");
    qunsetenv("PELVO_LIST_ON_HUB");
    if (params_.size() < 3 || replayMode_) return;
    if (params_.at(2) == QLatin1String("true")) {
        listOnHub_ = hubToList.trimmed();
        return;
    }
    watchOnJoin_ = watch;
    tableCode_ = hub::normaliseCode(code); // shown in the chat: only ever a code
    if (watchOnJoin_ || !tableCode_.isEmpty())
        connect(session_, &ClientSession::joined, this, &Tchat::lobbyJoined);
}

void Tchat::lobbyJoined() {
    disconnect(session_, &ClientSession::joined, this, &Tchat::lobbyJoined);
    if (!tableCode_.isEmpty())
        note(QStringLiteral("Your private table's code is %1. Give it to your friends: "
                            "they type it beside Join by Code in File › Find a Table "
                            "Online…")
                 .arg(tableCode_));
    if (!watchOnJoin_) return;
    note("You watch this table: while a game runs, the computer plays your seat.");
    // A seat can be handed over only while a game runs: now, or at the first turn of the next.
    connect(session_, &ClientSession::turnChanged, this, &Tchat::watchWhenPlaying);
    QTimer::singleShot(0, this, &Tchat::watchWhenPlaying);
}

void Tchat::watchWhenPlaying() {
    const int seat = session_->state().myseat;
    const TableModel& t = session_->table();
    if (seat > TableSeats || t.justWatching) {
        // An onlooker's slot watches already; a handed-over seat stays handed over.
        disconnect(session_, &ClientSession::turnChanged, this, &Tchat::watchWhenPlaying);
        return;
    }
    if (seat < 1 || !t.seats[std::size_t(seat)].playing || watchAskedInTurn_ == t.turnNumber + 1)
        return;
    watchAskedInTurn_ = t.turnNumber + 1; // asked once per turn, not on every change
    session_->setJustWatch(seat, true);
}

void Tchat::connectionFailed(const QString& text) {
    session_->stop();
    showMessage(this, text);
    close();
}

void Tchat::portInUse() {
    const QString port = server_->Sock1->PortName();
    if (!askQuestion(this, "Pelvo", portInUseQuestion(port))) {
        close();
        return;
    }
    if (params_.isEmpty()) {
        // A solo start has no name to join with yet: the dialog asks for it.
        TableChoice here = rememberedChoice();
        here.host = false;
        here.address = QStringLiteral("127.0.0.1");
        here.port = quint16(port.toUInt());
        offerHostOrJoin(here, true);
        return;
    }
    session_->setPlayer(session_->state().playername, QStringLiteral("127.0.0.1"));
    joinpress();
}

void Tchat::startResponder() {
    if (responder_) return;
    const quint16 port = quint16(server_->Sock1->PortName().toUInt());
    const QString tableName = session_->state().playername;
    responder_ = new DiscoveryResponder(
        [this, tableName, port] {
            return DiscoveryResponder::describeTable(server_->table(), tableName, port);
        },
        this);
    responder_->start(port);
    if (!listOnHub_.isEmpty()) listOnHub(port);
}

void Tchat::addHoldSeatsItem(QMenu* options) {
    // Off until chosen: at a player's own table a newcomer may take a dropped player's seat over,
    // and a window that comes back with its token while nobody has gets the seat back.
    QAction* hold = options->addAction("Hold Seats for Dropped Players");
    hold->setObjectName("HoldSeats1");
    hold->setCheckable(true);
    connect(hold, &QAction::triggered, this, [this](bool on) {
        session_->editSettings([on](Settings& s) { s.holdSeats = on; }, true);
    });
    session_->followSettings(hold, [this, hold] {
        hold->setChecked(session_->settings().holdSeats);
        if (server_) server_->setHoldSeats(session_->settings().holdSeats);
    });
}

} // namespace pelvo
