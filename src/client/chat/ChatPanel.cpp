#include "client/chat/ChatPanel.h"

#include "session/ClientSession.h"
#include "windows/MessageBox.h"

#include "client/chat/ChatView.h"
#include "client/chat/ColourText.h"
#include "client/chat/Smilies.h"
#include "protocol/Fields.h"
#include "protocol/Messages.h"

#include <QAbstractTextDocumentLayout>
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
#include <QScrollBar>
#include <QTimer>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFrame>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <deque>
#include <map>
#include <utility>

namespace pelvo {

namespace {

const QString placeholder = QStringLiteral("<Enter Chat Here>");
const QString smileyMark = QStringLiteral(":)#");
const QString linkScheme = QStringLiteral("link");
constexpr int linkSlots = 101;
constexpr int lastSlot = 9; // senders: 0 this client, 1 to 9 the host's connections
constexpr int firstSmileyTag = 10;
constexpr std::array<int, 4> sizeTags{8, 10, 12, 14};
// Kept well below the host's 64 KiB frame cap, so a long paste cannot get the player cut off.
constexpr int entryMaxLength = 16000;
// Which of the fifteen styles a piece of text was drawn in: 4 links, sender + 5 chat lines.
constexpr int styleProperty = QTextFormat::UserProperty + 1;
constexpr int linkStyle = 4;
const QColor linkColour(0, 128, 0);

QFont chatFont(int points) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSize(points);
    return font;
}

// Sharp on ordinary and high-density screens alike.
QIcon smileyIcon(int index) {
    QIcon icon;
    for (qreal ratio : {1.0, 2.0}) icon.addPixmap(smilies::pixmap(index, ratio));
    return icon;
}

// One chat line stays one paragraph whatever control characters a player sends.
QString flatten(QString text) {
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u' ';
    }
    return text;
}

} // namespace

// A stretch of text drawn in a sender's style. Positions count every character the view has
// held since it was last cleared, so they survive the oldest paragraphs being dropped: the
// document position is the stored one minus `Impl::dropped`.
struct StyledRun {
    qint64 start = 0;
    qint64 end = 0;
    quint32 colour = 0; // what the run is drawn in now
};

struct SenderStyle {
    quint32 colour = 0;
    bool used = false;
    bool stale = false; // some runs still show an earlier colour
    // Oldest first; runs of dropped lines are forgotten. A run never spans two lines.
    std::deque<StyledRun> runs;
};

struct ChatPanel::Impl {
    explicit Impl(ClientSession& s) : session(s), history(s.chat()) {}

    ClientSession& session;
    ChatHistory& history;
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

    int appliedSize = 10; // what the view shows; the settings hold what it is to show
    int linkCounter = -1;
    std::array<QString, linkSlots> linkurls;
    std::map<int, SenderStyle> styles;
    qint64 dropped = 0; // characters removed from the front since the view was last cleared
    // Lines the history dropped whose paragraphs are still in the view. Taking paragraphs off
    // the front moves every paragraph after them, so they go in batches of a twentieth of the
    // limit, or when the view is read through mainchat().
    int pendingDrops = 0;
    bool stale = false; // some sender is stale
    QTimer* flushTimer = nullptr;
    std::array<QMetaObject::Connection, 3> historyConnections;

    std::function<bool(const QUrl&)> opener = [](const QUrl& url) {
        return QDesktopServices::openUrl(url);
    };

    QTextDocument* doc() const { return view->document(); }
    void applyDocumentLook();
    void applyPendingSize();
    bool following() const { return !scrollChatOff1->isChecked(); }
    void insertStyled(QTextCursor& c, const QString& text, const QTextCharFormat& fmt,
                      SenderStyle& style);
    void addWords(QTextCursor& c, const QString& piece, const QTextCharFormat& fmt,
                  SenderStyle& style);
    // The history's signals.
    void render(const ChatLine& line);
    void dropOldest(int count);
    void clearView();
    // Takes out the paragraphs of lines the history has dropped.
    void removeDropped();
    // Gives stale runs their sender's colour.
    void recolourStale();
};

void ChatPanel::Impl::applyDocumentLook() {
    QTextDocument* d = doc();
    d->setUndoRedoEnabled(false);
    d->setDocumentMargin(2);
    QTextFrameFormat root = d->rootFrame()->frameFormat();
    root.setLeftMargin(3); // plus the document margin: 5 pixels beside the text
    root.setRightMargin(3);
    d->rootFrame()->setFrameFormat(root);
    d->setDefaultFont(chatFont(appliedSize));
}

void ChatPanel::Impl::applyPendingSize() {
    const int size = session.settings().textSize;
    if (appliedSize == size) return;
    appliedSize = size;
    // All earlier lines take the new size, as the styles are shared; a one-off full layout.
    doc()->setDefaultFont(chatFont(appliedSize));
}

void ChatPanel::Impl::insertStyled(QTextCursor& c, const QString& text, const QTextCharFormat& fmt,
                                   SenderStyle& style) {
    const qint64 start = c.position() + dropped;
    c.insertText(text, fmt);
    const qint64 end = c.position() + dropped;
    if (!style.runs.empty() && style.runs.back().end == start &&
        style.runs.back().colour == style.colour)
        style.runs.back().end = end;
    else
        style.runs.push_back({start, end, style.colour});
}

void ChatPanel::Impl::addWords(QTextCursor& c, const QString& piece, const QTextCharFormat& fmt,
                               SenderStyle& style) {
    const QString text = piece + u' ';
    qsizetype plainStart = 0; // consecutive plain words go in as one insertion
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype space = text.indexOf(u' ', pos);
        const qsizetype next = space + 1; // the text ends in a space, so there always is one
        const QString word = text.mid(pos, next - pos);
        if (isurlword(word)) {
            if (pos > plainStart)
                insertStyled(c, text.mid(plainStart, pos - plainStart), fmt, style);
            linkCounter = linkCounter >= linkSlots - 1 ? 1 : linkCounter + 1;
            linkurls[std::size_t(linkCounter)] = word;
            QTextCharFormat link;
            link.setAnchor(true);
            link.setAnchorHref(linkScheme + u':' + QString::number(linkCounter));
            link.setForeground(linkColour);
            link.setFontUnderline(true);
            link.setFontWeight(QFont::Normal);
            link.setProperty(styleProperty, linkStyle);
            c.insertText(word, link);
            plainStart = next;
        }
        pos = next;
    }
    if (text.size() > plainStart) insertStyled(c, text.mid(plainStart), fmt, style);
}

void ChatPanel::Impl::render(const ChatLine& line) {
    const QString text = flatten(line.text);
    const qsizetype colon = text.indexOf(u':');
    const QString speaker = text.left(colon + 1); // empty without a ":"
    QString message = text.mid(colon + 1);

    applyPendingSize();

    // The sender's style takes the line's colour; its earlier lines follow at the next flush,
    // so a colour that changes again before then costs nothing more.
    SenderStyle& style = styles[line.sender];
    if (style.used && style.colour != line.colour && !style.runs.empty()) {
        style.stale = true;
        stale = true;
        if (!flushTimer->isActive()) flushTimer->start();
    }
    style.colour = line.colour;
    style.used = true;

    QTextCharFormat fmt;
    fmt.setForeground(colourToQColor(line.colour));
    fmt.setFontWeight(QFont::Bold);
    fmt.setFontItalic(false);
    fmt.setFontUnderline(false);
    fmt.setFontStrikeOut(false);
    fmt.setProperty(styleProperty, line.sender + 5);

    QTextCursor c(doc());
    c.beginEditBlock();
    c.movePosition(QTextCursor::End);
    if (!doc()->isEmpty()) c.insertBlock(QTextBlockFormat(), fmt);
    insertStyled(c, speaker + u' ', fmt, style);

    qsizetype mark;
    while ((mark = message.indexOf(smileyMark)) >= 0) {
        const QString piece = message.left(mark);
        const QString code = message.mid(mark + smileyMark.size(), 2);
        message.remove(0, mark + smileyMark.size() + code.size());
        addWords(c, piece, fmt, style);
        const auto number = toInt(code);
        const int index =
            number && *number >= firstSmileyTag && *number - firstSmileyTag < smilies::count
                ? *number - firstSmileyTag
                : 0;
        QTextImageFormat image;
        image.setName(ChatView::smileyName(index));
        image.setWidth(smilies::width);
        image.setHeight(smilies::height);
        image.setVerticalAlignment(QTextCharFormat::AlignBottom);
        image.setToolTip(smilies::description(index));
        c.insertImage(image);
    }
    if (!message.isEmpty()) addWords(c, message, fmt, style);
    c.endEditBlock();

    if (following()) {
        QScrollBar* bar = view->verticalScrollBar();
        bar->setValue(bar->maximum());
    }
}

void ChatPanel::Impl::dropOldest(int count) {
    if (count <= 0) return;
    pendingDrops += count;
    if (pendingDrops >= std::max(1, history.limit() / 20)) removeDropped();
}

void ChatPanel::Impl::removeDropped() {
    const int count = std::exchange(pendingDrops, 0);
    if (count <= 0) return;
    QTextDocument* d = doc();
    const QTextBlock keep = d->findBlockByNumber(count);
    if (!keep.isValid()) {
        clearView();
        return;
    }
    QScrollBar* bar = view->verticalScrollBar();
    // Someone reading back keeps their place: the view moves up by what went.
    int shift = 0;
    if (!following()) {
        const QAbstractTextDocumentLayout* layout = d->documentLayout();
        shift = qRound(layout->blockBoundingRect(keep).top() -
                       layout->blockBoundingRect(d->begin()).top());
    }
    const int removed = keep.position();
    // The first paragraph keeps its own paragraph format when those before it go; give it back
    // the one it was drawn with.
    const QTextCharFormat keptFormat = keep.charFormat();
    QTextCursor c(d);
    c.beginEditBlock();
    c.setPosition(removed, QTextCursor::KeepAnchor);
    c.removeSelectedText();
    c.setBlockCharFormat(keptFormat);
    c.endEditBlock();
    dropped += removed;
    for (auto& [sender, style] : styles) {
        while (!style.runs.empty() && style.runs.front().end <= dropped) style.runs.pop_front();
    }
    bar->setValue(following() ? bar->maximum() : bar->value() - shift);
}

void ChatPanel::Impl::clearView() {
    view->clear();
    applyPendingSize();
    applyDocumentLook();
    for (auto& [sender, style] : styles) {
        style.runs.clear();
        style.stale = false;
    }
    dropped = 0;
    pendingDrops = 0;
    stale = false;
    flushTimer->stop();
    view->viewport()->update();
}

void ChatPanel::Impl::recolourStale() {
    if (!stale) return;
    stale = false;
    flushTimer->stop();
    QTextCursor c(doc());
    c.beginEditBlock();
    for (auto& [sender, style] : styles) {
        if (!style.stale) continue;
        style.stale = false;
        QTextCharFormat change;
        change.setForeground(colourToQColor(style.colour));
        for (StyledRun& run : style.runs) {
            if (run.colour == style.colour) continue;
            c.setPosition(int(run.start - dropped));
            c.setPosition(int(run.end - dropped), QTextCursor::KeepAnchor);
            c.mergeCharFormat(change);
            run.colour = style.colour;
        }
    }
    c.endEditBlock();
}

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

    d->view = new ChatView(d->flatPanel);
    d->view->setObjectName("mainchat");
    d->view->setAccessibleName(tr("Chat messages"));
    d->view->setFrameShape(QFrame::NoFrame);
    d->view->setReadOnly(true);
    d->view->setOpenLinks(false);
    d->view->setOpenExternalLinks(false);
    d->view->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    d->view->setWordWrapMode(QTextOption::WordWrap);
    d->view->setTextInteractionFlags(Qt::TextBrowserInteraction);
    QPalette viewPalette = d->view->palette();
    viewPalette.setColor(QPalette::Base, Qt::white);
    viewPalette.setColor(QPalette::Text, Qt::black);
    d->view->setPalette(viewPalette);
    d->view->setContextMenuPolicy(Qt::CustomContextMenu);
    d->applyDocumentLook();
    d->view->viewport()->installEventFilter(this); // brings stale colours up to date
    panelLayout->addWidget(d->view);
    layout->addWidget(d->flatPanel, 1);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(2);
    d->entry = new QLineEdit(placeholder, this);
    d->entry->setObjectName("mychat");
    d->entry->setAccessibleName(tr("Chat entry"));
    d->entry->setMaxLength(entryMaxLength);
    d->entry->setFont(chatFont(10));
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

    connect(d->view, &QTextBrowser::anchorClicked, this, [this](const QUrl& url) {
        if (url.scheme() != linkScheme) return;
        bool ok = false;
        const int slot = url.path().toInt(&ok);
        if (ok) mainchatJump(slot);
    });

    // The entry line writes in the player's chat colour.
    const auto showColour = [this] {
        QPalette pal = d->entry->palette();
        pal.setColor(QPalette::Text, colourToQColor(d->session.settings().chatColour));
        d->entry->setPalette(pal);
    };
    showColour();
    connect(&session, &ClientSession::settingsChanged, this, showColour);

    d->flushTimer = new QTimer(this);
    d->flushTimer->setSingleShot(true);
    d->flushTimer->setInterval(0);
    connect(d->flushTimer, &QTimer::timeout, this, [this] { d->recolourStale(); });

    for (const ChatLine& line : history.lines()) d->render(line);
    d->historyConnections = {
        connect(&history, &ChatHistory::lineAdded, this,
                [this](const ChatLine& line) { d->render(line); }),
        connect(&history, &ChatHistory::linesDropped, this,
                [this](int count) { d->dropOldest(count); }),
        connect(&history, &ChatHistory::cleared, this, [this] { d->clearView(); }),
    };
}

ChatPanel::~ChatPanel() {
    // The history may outlive the panel; the children, whose events pass the filter, do not
    // outlive this body.
    for (const auto& connection : d->historyConnections) disconnect(connection);
    delete d;
    d = nullptr;
}

void ChatPanel::addlinetochat(const QString& line, quint32 colour,
                              std::optional<ChatLine::Kind> kind) {
    const bool system = line.startsWith(u'0') && line.indexOf(u'+') == 1;
    d->session.addlinetochat(line, colour,
                             kind.value_or(system ? ChatLine::Kind::System : ChatLine::Kind::Chat));
}

void ChatPanel::chatrecieved(const QString& payload, ChatLine::Kind kind) {
    const auto n = notice::decode<notice::ChatText>(payload);
    if (!n) throw BadField("malformed chat line");
    d->session.chatrecieved(*n, kind);
}

void ChatPanel::flush() {
    d->removeDropped();
    d->recolourStale();
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
    Settings s = d->session.settings();
    s.textSize = points;
    d->session.setSettings(s);
}
void ChatPanel::reformat() {
    d->applyPendingSize();
}

void ChatPanel::checkSizeItem(int points) {
    for (std::size_t i = 0; i < sizeTags.size(); ++i)
        d->sizeItems[i]->setChecked(sizeTags[i] == points);
}

quint32 ChatPanel::chatColour() const {
    return d->session.settings().chatColour;
}

void ChatPanel::setChatColour(quint32 colour) {
    Settings s = d->session.settings();
    s.chatColour = colour;
    d->session.setSettings(s);
}

void ChatPanel::addOptionsItems(QMenu* options) {
    options->addAction(d->textColor1);
    options->addMenu(d->textSize1);
    options->addAction(d->scrollChatOff2);
    options->addAction(d->clearMainChat1);
}

QTextBrowser* ChatPanel::mainchat() const {
    d->removeDropped();
    d->recolourStale();
    return d->view;
}
QLineEdit* ChatPanel::mychat() const {
    return d->entry;
}

bool ChatPanel::isurlword(const QString& word) {
    return !word.isEmpty() &&
           (word.contains(QStringLiteral("http://")) || word.contains(QStringLiteral("www.")));
}

void ChatPanel::mainchatJump(int link) {
    if (link < 0 || link >= linkSlots) {
        showNotice(window(), d->session.state().gamename, tr("Cannot open Webpage"));
        return;
    }
    QString address = d->linkurls[std::size_t(link)];
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
    return d->linkCounter;
}

QString ChatPanel::linkurl(int slot) const {
    return slot >= 0 && slot < linkSlots ? d->linkurls[std::size_t(slot)] : QString();
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
    if (!d->view->textCursor().hasSelection()) return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(d->view->selectedPlainText());
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
}

void ChatPanel::TextColor1Click() {
    if (!d->colorDialog) {
        d->colorDialog = new QColorDialog(this);
        d->colorDialog->setObjectName("ColorDialog");
        d->colorDialog->setOption(QColorDialog::DontUseNativeDialog);
        connect(d->colorDialog, &QColorDialog::colorSelected, this, [this](const QColor& c) {
            Settings s = d->session.settings();
            s.chatColour = qColorToColour(c);
            d->session.chooseSettings(s);
        });
    }
    d->colorDialog->setCurrentColor(colourToQColor(chatColour()));
    d->colorDialog->open();
}

void ChatPanel::N14Click(int tag) {
    checkSizeItem(tag);
    Settings s = d->session.settings();
    s.textSize = tag; // shows from the next line on
    d->session.chooseSettings(s);
}

void ChatPanel::setUrlOpener(std::function<bool(const QUrl&)> opener) {
    d->opener = std::move(opener);
}

bool ChatPanel::eventFilter(QObject* watched, QEvent* event) {
    if (!d) return QWidget::eventFilter(watched, event);
    if (event->type() == QEvent::Paint && watched == d->view->viewport()) {
        d->recolourStale();
        return false;
    }
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
