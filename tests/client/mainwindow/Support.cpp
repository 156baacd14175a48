#include "client/mainwindow/Support.h"

#include "client/chat/ChatPanel.h"

#include <QTimer>

namespace pelvo::test {

QString chatText(Tchat& w) {
    return w.chat()->plainText();
}

void drain(Tchat& w) {
    while (!w.receivedlist().isEmpty()) w.processsocktimer();
}

} // namespace pelvo::test
