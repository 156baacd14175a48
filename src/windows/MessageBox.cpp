#include "windows/MessageBox.h"

#include <QMessageBox>

#include <cstdio>
#include <utility>

namespace pelvo {

namespace {
MessageBoxHandler& messageSlot() {
    static MessageBoxHandler handler;
    return handler;
}
QuestionHandler& questionSlot() {
    static QuestionHandler handler;
    return handler;
}

// Whole-program tests: every box is answered at once and its text goes to stderr.
bool autoAccepted(const QString& text) {
    static const bool on = qEnvironmentVariableIsSet("PELVO_TEST_AUTO_ACCEPT");
    if (!on) return false;
    std::fprintf(stderr, "pelvo: message box: %s\n", qPrintable(text));
    std::fflush(stderr);
    return true;
}

QMessageBox::Icon boxIcon(NoticeIcon icon) {
    switch (icon) {
    case NoticeIcon::Information:
        return QMessageBox::Information;
    case NoticeIcon::Warning:
        return QMessageBox::Warning;
    case NoticeIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}
} // namespace

void showMessage(QWidget* parent, const QString& text) {
    if (const MessageBoxHandler& handler = messageSlot()) return handler(parent, text);
    if (autoAccepted(text)) return;
    QMessageBox::information(parent, "Pelvo", text);
}

void showNotice(QWidget* parent, const QString& title, const QString& text, NoticeIcon icon) {
    if (const MessageBoxHandler& handler = messageSlot()) return handler(parent, text);
    if (autoAccepted(text)) return;
    auto* box = new QMessageBox(boxIcon(icon), title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

bool askQuestion(QWidget* parent, const QString& title, const QString& text) {
    if (const QuestionHandler& handler = questionSlot()) return handler(parent, text);
    if (autoAccepted(text)) return true;
    return QMessageBox::question(parent, title, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

MessageBoxHandler setMessageBoxHandler(MessageBoxHandler handler) {
    return std::exchange(messageSlot(), std::move(handler));
}

QuestionHandler setQuestionHandler(QuestionHandler handler) {
    return std::exchange(questionSlot(), std::move(handler));
}

} // namespace pelvo
