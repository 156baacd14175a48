#include "client/OrderlyStop.h"

// own
#include "client/Tchat.h"
#include "host/TServer.h"
#include "net/SignalWatcher.h"
#include "net/TSock.h"
#include "windows/Ttallylist.h"

// Qt
#include <QGuiApplication>
#include <QSessionManager>
#include <QTimer>

namespace pelvo {

OrderlyStop::OrderlyStop(Tchat& chat, QObject* parent)
    : QObject(parent), chat_(chat),
      watcher_(new SignalWatcher(SignalWatcher::stopSignals(), this)) {
    connect(watcher_, &SignalWatcher::caught, this, &OrderlyStop::stop);
    // A session that ends may kill the program soon after asking; what was counted is on disk
    // before then.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this] { saveTally(); });
        connect(app, &QGuiApplication::saveStateRequest, this, [this] { saveTally(); });
    }
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this,
            [this] { saveTally(); });
}

OrderlyStop::~OrderlyStop() = default;

void OrderlyStop::saveTally() {
    if (Ttallylist* tally = chat_.tallylist()) tally->savetally();
}

void OrderlyStop::stop() {
    saveTally();
    if (stopping_) return; // a repeated signal: the close is under way
    stopping_ = true;
    TServer* server = chat_.server();
    if (server && server->Sock1 && server->Sock1->Listen()) {
        // The window's own connection is closed with the others; its session still shows what
        // arrived before (the closing line) and then closes the window. The timer is the
        // fallback should that not come.
        server->closeTable([this] { QTimer::singleShot(2000, &chat_, &Tchat::close); });
        return;
    }
    chat_.close();
}

} // namespace pelvo
