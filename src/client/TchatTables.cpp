// The main window's ways to a table besides the command line: the "Host or Join a Table…"
// dialog, the restart that goes on with its choice, the answers to searches of the network, and
// what the window says when a connection cannot be made.

#include "client/Tchat.h"

// own
#include "client/Restart.h"
#include "host/DiscoveryResponder.h"
#include "host/TServer.h"
#include "net/TSock.h"
#include "protocol/Ports.h"
#include "session/ClientSession.h"
#include "session/ConnectFailure.h"
#include "session/settings/SettingsFile.h"
#include "windows/HostOrJoin.h"
#include "windows/MessageBox.h"

// Qt
#include <QAction>
#include <QCoreApplication>
#include <QMenu>

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
    session_->state().hostaddress = QStringLiteral("127.0.0.1");
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
}

void Tchat::addHoldSeatsItem(QMenu* options) {
    // Off until chosen: at a player's own table a newcomer may take a dropped player's seat over,
    // and a window that comes back with its token while nobody has gets the seat back.
    QAction* hold = options->addAction("Hold Seats for Dropped Players");
    hold->setObjectName("HoldSeats1");
    hold->setCheckable(true);
    connect(hold, &QAction::triggered, this, [this](bool on) {
        Settings settings = session_->settings();
        settings.holdSeats = on;
        session_->chooseSettings(settings);
    });
    auto show = [this, hold] {
        hold->setChecked(session_->settings().holdSeats);
        if (server_) server_->setHoldSeats(session_->settings().holdSeats);
    };
    connect(session_, &ClientSession::settingsChanged, hold, show);
    show();
}

} // namespace pelvo
