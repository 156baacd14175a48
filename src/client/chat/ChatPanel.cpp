#include "client/chat/ChatPanel.h"

#include "session/ClientSession.h"
#include "windows/MessageBox.h"

#include "client/LazyIcon.h"
#include "client/chat/ChatModel.h"
#include "client/chat/ChatView.h"
#include "client/chat/ColourText.h"
#include "client/chat/Smilies.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <utility>

namespace pelvo {

namespace {

const QString placeholder = QStringLiteral("<Enter Chat Here>");
const QString smileyMark = QStringLiteral(":)#");
constexpr int firstSmileyTag = 10;
constexpr std::array<int, 4> sizeTags{8, 10, 12, 14};
// Kept well below the host's 64 KiB frame cap, so a long paste cannot get the player cut off.
constexpr int entryMaxLength = 16000;
constexpr int entryPoints = 10;

// Sharp on ordinary and high-density screens alike, at the table's scale. Painted when first
// shown: the smilies menu is built with the panel, on the way to the first frame, and opened
// seldom.
QIcon smileyIcon(int index, qreal scale = 1.0) {
    return lazyIcon([index, scale] {
        QIcon icon;
        for (qreal ratio : {1.0, 2.0}) icon.addPixmap(smilies::pixmap(index, ratio * scale));
        return icon;
    });
}

} // namespace

struct ChatPanel::Impl {
    explicit Impl(ClientSession& s) : session(s), history(s.chat()) {}

    ClientSession& session;
    ChatHistory& history;
    ChatModel model;
    QFrame* flatPanel = nullptr;
    ChatView* view = nullptr;
    QLineEdit* entry = nullptr;
    QToolButton* smiliesButton = nullptr;
    QMenu* popupMainchat = nullptr;
    QMenu* popupMychat = nullptr;
    QMenu* popupSmilies = nullptr;
    QAction* scrollChatOff1 = nullptr;
    QAction* scrollChatOff2 = nullptr;
    QAction* textColor1 = nullptr;
    QMenu* textSize1 = nullptr;
    QAction* clearMainChat1 = nullptr;
    std::array<QAction*, 4> sizeItems{};
    QColorDialog* colorDialog = nullptr;
    std::array<QMetaObject::Connection, 3> historyConnections;

    std::function<bool(const QUrl&)> opener = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };

    // The settings' text size reaches the view with the next line or clear.
    void applyPendingSize() { model.setTextSize(session.settings().textSize); }
    void add(const ChatLine& line) {
        applyPendingSize();
        model.append(line);
    }
    void clear() {
        applyPendingSize();
        model.clear();
    }
};

ChatPanel::ChatPanel(ClientSession& session, QWidget* parent)
    : QWidget(parent), d(new Impl(session)) {
    ChatHistory& history = session.chat();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(2);

    d->flatPanel = new QFrame(this);
    d->flatPanel->setObjectName("FlatPanel1");
    d->flatPanel->setFrameShape(QFrame::Box);
    d->flatPanel->setFrameShadow(QFrame::Plain);
    d->flatPanel->setStyleSheet(QStringLiteral("#FlatPanel1 { border: 1px solid #8c8c8c; }"));
    auto* panelLayout = new QVBoxLayout(d->flatPanel);
    panelLayout->setContentsMargins(1, 1, 1, 1);

    d->view = new ChatView(d->model, d->flatPanel);
    d->view->setObjectName("mainchat");
    d->view->setAccessibleName(tr("Chat messages"));
    d->view->setFrameShape(QFrame::NoFrame);
    d->view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette viewPalette = d->view->palette();
    viewPalette.setColor(QPalette::Base, Qt::white);
    viewPalette.setColor(QPalette::Text, Qt::black);
    d->view->setPalette(viewPalette);
    d->view->setContextMenuPolicy(Qt::CustomContextMenu);
    panelLayout->addWidget(d->view);
    layout->addWidget(d->flatPanel, 1);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    d->entry = new QLineEdit(placeholder, this);
    d->entry->setObjectName("mychat");
    d->entry->setAccessibleName(tr("Chat entry"));
    d->entry->setMaxLength(entryMaxLength);
    d->entry->setFont(chatFont(entryPoints));
    d->entry->setContextMenuPolicy(Qt::CustomContextMenu);
    d->entry->installEventFilter(this);
    row->addWidget(d->entry, 1);

    d->smiliesButton = new QToolButton(this);
    d->smiliesButton->setObjectName("button_smilies");
    d->smiliesButton->setAutoRaise(true);
    d->smiliesButton->setToolTip(tr("Smilies"));
    d->smiliesButton->setIcon(smileyIcon(0));
    d->smiliesButton->setIconSize(QSize(smilies::width, smilies::height));
    d->smiliesButton->setFixedSize(d->entry->sizeHint().height(), d->entry->sizeHint().height());
    row->addWidget(d->smiliesButton);
    layout->addLayout(row);

    // popup_mainchat
    d->popupMainchat = new QMenu(this);
    d->popupMainchat->setObjectName("popup_mainchat");
    auto* selectAll =
        d->popupMainchat->addAction(tr("Select All"), this, &ChatPanel::SelectAll1Click);
    selectAll->setObjectName("SelectAll1");
    auto* copy = d->popupMainchat->addAction(tr("Copy"), this, &ChatPanel::Copy1Click);
    copy->setObjectName("Copy1");
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut); // the view copies on its own key press
    auto* clear2 =
        d->popupMainchat->addAction(tr("Clear Main Chat"), this, &ChatPanel::ClearMainChat1Click);
    clear2->setObjectName("ClearMainChat2");
    d->popupMainchat->addSeparator()->setObjectName("N5");
    d->scrollChatOff1 = d->popupMainchat->addAction(tr("Scroll Chat Off"));
    d->scrollChatOff1->setObjectName("ScrollChatOff1");
    d->scrollChatOff1->setCheckable(true);
    d->scrollChatOff1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    d->scrollChatOff1->setShortcutContext(Qt::WidgetShortcut);
    connect(d->scrollChatOff1, &QAction::triggered, this, &ChatPanel::ScrollChatOff1Click);
    connect(d->view, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        d->popupMainchat->popup(d->view->viewport()->mapToGlobal(pos));
    });

    // popup_mychat
    d->popupMychat = new QMenu(this);
    d->popupMychat->setObjectName("popup_mychat");
    auto* paste = d->popupMychat->addAction(tr("Paste"), this, &ChatPanel::Paste1Click);
    paste->setObjectName("Paste1");
    paste->setShortcut(QKeySequence::Paste);
    paste->setShortcutContext(Qt::WidgetShortcut); // handled by the entry's key filter
    connect(d->entry, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { d->popupMychat->popup(d->entry->mapToGlobal(pos)); });

    // popup_smilies: MenuItem1 to MenuItem17 and N271 for the codes 10 to 27.
    d->popupSmilies = new QMenu(this);
    d->popupSmilies->setObjectName("popup_smilies");
    for (int i = 0; i < smilies::count; ++i) {
        const int tag = firstSmileyTag + i;
        auto* item = d->popupSmilies->addAction(smileyIcon(i), smileyMark + QString::number(tag));
        item->setObjectName(i + 1 < smilies::count ? QStringLiteral("MenuItem%1").arg(i + 1)
                                                   : QStringLiteral("N271"));
        item->setData(tag);
        item->setToolTip(smilies::description(i));
        connect(item, &QAction::triggered, this, [this, tag] { N271Click(tag); });
    }
    connect(d->smiliesButton, &QToolButton::clicked, this, &ChatPanel::button_smiliesClick);

    // Items of the main menu "Options"; addOptionsItems places them.
    d->textColor1 = new QAction(tr("Text Color"), this);
    d->textColor1->setObjectName("TextColor1");
    connect(d->textColor1, &QAction::triggered, this, &ChatPanel::TextColor1Click);
    d->textSize1 = new QMenu(tr("Text Size"), this);
    d->textSize1->setObjectName("TextSize1");
    d->textSize1->menuAction()->setObjectName("TextSize1");
    for (std::size_t i = 0; i < sizeTags.size(); ++i) {
        const int tag = sizeTags[i];
        auto* item = d->textSize1->addAction(QString::number(tag));
        item->setObjectName(QStringLiteral("N%1").arg(tag));
        item->setCheckable(true);
        item->setData(tag);
        connect(item, &QAction::triggered, this, [this, tag] { N14Click(tag); });
        d->sizeItems[i] = item;
    }
    d->scrollChatOff2 = new QAction(tr("Scroll Chat Off"), this);
    d->scrollChatOff2->setObjectName("ScrollChatOff2");
    d->scrollChatOff2->setCheckable(true);
    d->scrollChatOff2->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(d->scrollChatOff2, &QAction::triggered, this, &ChatPanel::ScrollChatOff1Click);
    d->clearMainChat1 = new QAction(tr("Clear Main Chat"), this);
    d->clearMainChat1->setObjectName("ClearMainChat1");
    connect(d->clearMainChat1, &QAction::triggered, this, &ChatPanel::ClearMainChat1Click);

    connect(d->view, &ChatView::linkActivated, this, &ChatPanel::mainchatJump);

    // The entry line writes in the player's chat colour.
    const auto showColour = [this] {
        QPalette pal = d->entry->palette();
        pal.setColor(QPalette::Text, colourToQColor(d->session.settings().chatColour));
        d->entry->setPalette(pal);
    };
    session.followSettings(this, showColour);

    d->applyPendingSize();
    for (const ChatLine& line : history.lines()) d->model.append(line);
    d->historyConnections = {
        connect(&history, &ChatHistory::lineAdded, this,
                [this](const ChatLine& line) { d->add(line); }),
        connect(&history, &ChatHistory::linesDropped, this,
                [this](int count) { d->model.dropOldest(count); }),
        connect(&history, &ChatHistory::cleared, this, [this] { d->clear(); }),
    };
}

ChatPanel::~ChatPanel() {
    // The history may outlive the panel; the children, whose events pass the filter, do not
    // outlive this body.
    for (const auto& connection : d->historyConnections) disconnect(connection);
    delete d;
    d = nullptr;
}

void ChatPanel::flush() {
    d->view->catchUp();
}

void ChatPanel::sendit() {
    if (!d->session.state().connected) return;
    d->session.sendChat(d->entry->text());
    d->entry->clear();
}

int ChatPanel::textSize() const {
    return d->session.settings().textSize;
}
void ChatPanel::setTextSize(int points) {
    d->session.editSettings([points](Settings& s) { s.textSize = points; });
}
void ChatPanel::reformat() {
    d->applyPendingSize();
}

void ChatPanel::checkSizeItem(int points) {
    for (std::size_t i = 0; i < sizeTags.size(); ++i)
        d->sizeItems[i]->setChecked(sizeTags[i] == points);
}

void ChatPanel::setScale(qreal scale) {
    if (qFuzzyCompare(scale, d->model.scale())) return;
    d->model.setScale(scale);
    d->entry->setFont(chatFont(entryPoints * scale));
    const int side = d->entry->sizeHint().height();
    d->smiliesButton->setIcon(smileyIcon(0, scale));
    d->smiliesButton->setIconSize(
        QSize(qRound(smilies::width * scale), qRound(smilies::height * scale)));
    d->smiliesButton->setFixedSize(side, side);
}

qreal ChatPanel::scale() const {
    return d->model.scale();
}

quint32 ChatPanel::chatColour() const {
    return d->session.settings().chatColour;
}

void ChatPanel::setChatColour(quint32 colour) {
    d->session.editSettings([colour](Settings& s) { s.chatColour = colour; });
}

void ChatPanel::addOptionsItems(QMenu* options) {
    options->addAction(d->textColor1);
    options->addMenu(d->textSize1);
    options->addAction(d->scrollChatOff2);
    options->addAction(d->clearMainChat1);
}

ChatView* ChatPanel::mainchat() const {
    d->view->catchUp();
    return d->view;
}

const ChatModel& ChatPanel::chatModel() const {
    return d->model;
}

QString ChatPanel::plainText() const {
    QStringList lines;
    for (int i = 0; i < d->model.rowCount(); ++i) lines << d->model.row(i).plainText();
    return lines.join(u'\n');
}
QLineEdit* ChatPanel::mychat() const {
    return d->entry;
}

bool ChatPanel::isurlword(const QString& word) {
    return isUrlWord(word);
}

void ChatPanel::mainchatJump(int link) {
    if (link < 0 || link >= ChatLinks::Slots) {
        showNotice(window(), d->session.state().gamename, tr("Cannot open Webpage"));
        return;
    }
    QString address = d->model.links().url(link);
    if (address.endsWith(u' ')) address.chop(1);
    if (address.left(7).compare(QStringLiteral("http://"), Qt::CaseInsensitive) == 0)
        address.remove(0, 7);
    if (address.isEmpty()) return; // nothing to open
    const QUrl url(QStringLiteral("http://") + address);
    if (!url.isValid() || url.host().isEmpty()) {
        showNotice(window(), d->session.state().gamename, tr("Cannot open Webpage"));
        return;
    }
    d->opener(url); // the desktop's answer is not examined
}

int ChatPanel::linkCounter() const {
    return d->model.links().counter();
}

QString ChatPanel::linkurl(int slot) const {
    return d->model.links().url(slot);
}

bool ChatPanel::scrollChatOff() const {
    return d->scrollChatOff1->isChecked();
}

void ChatPanel::button_smiliesClick() {
    const QWidget* b = d->smiliesButton;
    d->popupSmilies->popup(b->mapToGlobal(QPoint(b->width(), b->height())));
}

void ChatPanel::N271Click(int tag) {
    if (d->entry->text() == placeholder) d->entry->clear();
    d->entry->setText(d->entry->text() + smileyMark + QString::number(tag));
    d->entry->end(false);
}

void ChatPanel::Copy1Click() {
    const QString text = d->view->selectedPlainText();
    if (text.isEmpty()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

void ChatPanel::Paste1Click() {
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty()) d->entry->setText(d->entry->text() + text);
    d->entry->end(false);
}

void ChatPanel::SelectAll1Click() {
    d->view->selectAll();
    d->view->viewport()->update();
}

void ChatPanel::ClearMainChat1Click() {
    d->history.clear(); // the view empties itself on the history's signal
    d->entry->setFocus();
}

void ChatPanel::ScrollChatOff1Click() {
    // A checkable action has already flipped itself when it was the trigger; flip from the
    // state before the click so both items end up equal either way.
    const bool wasOn = sender() == d->scrollChatOff2   ? !d->scrollChatOff2->isChecked()
                       : sender() == d->scrollChatOff1 ? !d->scrollChatOff1->isChecked()
                                                       : d->scrollChatOff1->isChecked();
    d->scrollChatOff1->setChecked(!wasOn);
    d->scrollChatOff2->setChecked(!wasOn);
    d->view->setFollowing(wasOn);
}

void ChatPanel::TextColor1Click() {
    if (!d->colorDialog) {
        d->colorDialog = new QColorDialog(this);
        d->colorDialog->setObjectName("ColorDialog");
        d->colorDialog->setOption(QColorDialog::DontUseNativeDialog);
        connect(d->colorDialog, &QColorDialog::colorSelected, this, [this](const QColor& c) {
            const quint32 colour = qColorToColour(c);
            d->session.editSettings([colour](Settings& s) { s.chatColour = colour; }, true);
        });
    }
    d->colorDialog->setCurrentColor(colourToQColor(chatColour()));
    d->colorDialog->open();
}

void ChatPanel::N14Click(int tag) {
    checkSizeItem(tag);
    // Shows from the next line on.
    d->session.editSettings([tag](Settings& s) { s.textSize = tag; }, true);
}

void ChatPanel::setUrlOpener(std::function<bool(const QUrl&)> opener) {
    d->opener = std::move(opener);
}

bool ChatPanel::eventFilter(QObject* watched, QEvent* event) {
    if (!d) return QWidget::eventFilter(watched, event);
    if (watched == d->entry) {
        if (event->type() == QEvent::ShortcutOverride) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Paste)) {
                key->accept(); // comes back as a key press, handled below
                return true;
            }
        } else if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            // The menu short cut is taken before the key reaches the entry, placeholder and all.
            if (key->matches(QKeySequence::Paste)) {
                Paste1Click();
                return true;
            }
            // mychatKeyDown
            if (d->entry->text() == placeholder) d->entry->clear();
            // mychatKeyPress: Enter sends and goes no further.
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                sendit();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace pelvo
