#include "client/MessageBox.h"

#include <QMessageBox>

#include <cstdio>

namespace pelvo {

namespace {
MessageBoxHandler& handlerSlot() {
    static MessageBoxHandler handler;
    return handler;
}
} // namespace

void showMessage(QWidget* parent, const QString& text) {
    if (const MessageBoxHandler& handler = handlerSlot()) {
        handler(parent, text);
        return;
    }
    if (qEnvironmentVariableIsSet("PELVO_TEST_AUTO_ACCEPT")) {
        std::fprintf(stderr, "pelvo: message box: %s\n", qPrintable(text));
        std::fflush(stderr);
        return;
    }
    QMessageBox::information(parent, "Pelvo", text);
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(handlerSlot(), std::move(handler));
}

} // namespace pelvo
