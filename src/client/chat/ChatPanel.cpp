#include "client/chat/ChatPanel.h"

#include "client/ClientContext.h"

#include <QLineEdit>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace pelvo {

// Placeholder until the chat view is built: plain text lines.
struct ChatPanel::Impl {
    ClientContext& ctx;
    QTextBrowser* view = nullptr;
    QLineEdit* entry = nullptr;
    int size = 10;
    quint32 colour = 0;
};

ChatPanel::ChatPanel(ClientContext& ctx, QWidget* parent) : QWidget(parent), d(new Impl{ctx}) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    d->view = new QTextBrowser(this);
    d->view->setObjectName("mainchat");
    d->entry = new QLineEdit("<Enter Chat Here>", this);
    d->entry->setObjectName("mychat");
    layout->addWidget(d->view);
    layout->addWidget(d->entry);
}
ChatPanel::~ChatPanel() { delete d; }

void ChatPanel::addlinetochat(const QString& line, quint32) {
    d->view->append(line.mid(line.indexOf('+') + 1));
}
void ChatPanel::chatrecieved(const QString& payload) { addlinetochat(payload.section('|', 0, 0), 255); }
void ChatPanel::sendit() {}
int ChatPanel::textSize() const { return d->size; }
void ChatPanel::setTextSize(int points) { d->size = points; }
void ChatPanel::checkSizeItem(int) {}
quint32 ChatPanel::chatColour() const { return d->colour; }
void ChatPanel::setChatColour(quint32 colour) { d->colour = colour; }
void ChatPanel::addOptionsItems(QMenu*) {}
QTextBrowser* ChatPanel::mainchat() const { return d->view; }
QLineEdit* ChatPanel::mychat() const { return d->entry; }

} // namespace pelvo
