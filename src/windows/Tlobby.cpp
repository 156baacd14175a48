#include "windows/Tlobby.h"

// own
#include "windows/Art.h"
#include "windows/CreateTable.h"
#include "windows/MessageBox.h"

// Qt
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace pelvo {

namespace {

constexpr int IdRole = Qt::UserRole;
constexpr int ChatLinesKept = 500;

// The cream plates the side windows put on the felt.
constexpr char PanelStyle[] =
    "QFrame#%1 { background: rgba(255, 253, 244, 235); border: 1px solid rgba(0, 0, 0, 110);"
    " border-radius: 6px; }";
constexpr char ButtonStyle[] =
    "QPushButton { color: black; background: qlineargradient(x1:0, y1:0, x2:0, y2:1,"
    " stop:0 #fffdf2, stop:1 #e4dfc8); border: 1px solid #6b6650; border-radius: 4px;"
    " padding: 3px 10px; }"
    "QPushButton:hover { background: #fffbe6; }"
    "QPushButton:pressed { background: #d8d2b8; }"
    "QPushButton:default { border: 2px solid #1d5e2c; }"
    "QPushButton:disabled { color: #9a9680; }";

QFrame* panel(QWidget* parent, const char* name) {
    auto* frame = new QFrame(parent);
    frame->setObjectName(QString::fromLatin1(name));
    frame->setStyleSheet(QString::fromLatin1(PanelStyle).arg(QString::fromLatin1(name)));
    return frame;
}

// The panel's column, its heading on top.
QVBoxLayout* headedColumn(QFrame* panel, const QString& heading) {
    auto* column = new QVBoxLayout(panel);
    auto* label = new QLabel(heading, panel);
    label->setTextFormat(Qt::PlainText);
    label->setFont(art::pixelFont(14, true));
    label->setStyleSheet("color: #1d3d22; background: transparent; border: none;");
    column->addWidget(label);
    return column;
}

// A lobby button that calls `clicked` on the lobby.
QPushButton* button(QWidget* parent, const char* name, const QString& caption, Tlobby* lobby,
                    void (Tlobby::*clicked)()) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setFont(art::pixelFont(13, true));
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QString::fromLatin1(ButtonStyle));
    QObject::connect(b, &QPushButton::clicked, lobby, clicked);
    return b;
}

QString levelText(const QString& level) {
    if (level == u"classic") return QStringLiteral("Classic");
    if (level == u"expert") return QStringLiteral("Expert");
    return level;
}

} // namespace

Tlobby::Tlobby(QWidget* parent)
    : SideWindow(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                             Qt::WindowMinMaxButtonsHint),
      client_(this), finder_(this) {
    setObjectName("lobby");
    setWindowTitle("Pelvo - Find a Table Online");
    setModal(false);
    setMinimumSize(780, 520);
    resize(820, 560);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 10);
    layout->setSpacing(8);
    auto* top = new QWidget(this);
    buildHubRow(top);
    layout->addWidget(top);

    codePanel_ = buildCode(this);
    layout->addWidget(codePanel_);
    codePanel_->hide();

    auto* middle = new QHBoxLayout;
    middle->setSpacing(8);
    middle->addWidget(buildTables(this), 3);
    middle->addWidget(buildChat(this), 2);
    layout->addLayout(middle, 1);

    create_ = new CreateTable(this);
    connect(create_, &QDialog::accepted, this,
            [this] { createTable(create_->tableName(), create_->isPrivate(), create_->level()); });

    connect(&client_, &HubClient::tablesChanged, this, &Tlobby::showTables);
    connect(&client_, &HubClient::chatReceived, this, &Tlobby::addChatLine);
    connect(&client_, &HubClient::historyReceived, this, [this](const QList<hub::ChatLine>& l) {
        chat_->clear();
        for (const hub::ChatLine& line : l) addChatLine(line);
    });
    connect(&client_, &HubClient::lobbyConnectedChanged, this, [this](bool on) {
        say_->setEnabled(on);
        if (on) setStatus(QStringLiteral("Connected to %1.").arg(hubText_));
    });
    connect(&client_, &HubClient::lobbyFailed, this, [this](const hub::Error&) {
        setStatus(QStringLiteral("The lobby of %1 does not answer; trying again shortly. Check "
                                 "the address and this computer's connection.")
                      .arg(hubText_),
                  true);
    });
    connect(&client_, &HubClient::lobbyRefused, this, [this](const QString&, const QString& m) {
        addChatNote(m.isEmpty() ? QStringLiteral("The hub did not take that line.") : m);
    });
    connect(&finder_, &TableFinder::tableFound, this, &Tlobby::offerHub);
}

void Tlobby::buildHubRow(QWidget* row) {
    auto* grid = new QGridLayout(row);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    auto* logo = new QLabel(row);
    logo->setPixmap(art::logoPicture(QSize(150, 46)));
    grid->addWidget(logo, 0, 0, 2, 1);

    const auto caption = [row](const QString& text) {
        auto* label = new QLabel(text, row);
        label->setFont(art::pixelFont(13, true));
        label->setStyleSheet("color: white; background: transparent;");
        return label;
    };
    hub_ = new QComboBox(row);
    hub_->setObjectName("combo_hub");
    hub_->setEditable(true);
    hub_->setInsertPolicy(QComboBox::NoInsert);
    hub_->lineEdit()->setPlaceholderText("hub address, e.g. hub.example.org or 192.168.1.20:7780");
    hub_->setMinimumWidth(240);
    name_ = new QLineEdit(row);
    name_->setObjectName("edit_name");
    name_->setMaxLength(64);
    name_->setFixedWidth(150);
    QPushButton* connectButton =
        button(row, "button_connect", "Connect", this, &Tlobby::connectClicked);
    auto* hubCaption = caption("&Hub:");
    hubCaption->setBuddy(hub_);
    auto* nameCaption = caption("Your &name:");
    nameCaption->setBuddy(name_);
    grid->addWidget(hubCaption, 0, 1);
    grid->addWidget(hub_, 0, 2);
    grid->addWidget(connectButton, 0, 3);
    grid->addWidget(nameCaption, 0, 4);
    grid->addWidget(name_, 0, 5);
    status_ = new QLabel(row);
    status_->setObjectName("label_status");
    status_->setTextFormat(Qt::PlainText);
    status_->setWordWrap(true);
    status_->setFont(art::pixelFont(13, false));
    grid->addWidget(status_, 1, 1, 1, 5);
    grid->setColumnStretch(2, 1);
    setStatus(QStringLiteral("Type the address of a hub and press Connect."));

    connect(hub_->lineEdit(), &QLineEdit::returnPressed, this, &Tlobby::connectClicked);
}

QFrame* Tlobby::buildTables(QWidget* parent) {
    QFrame* frame = panel(parent, "panel_tables");
    QVBoxLayout* layout = headedColumn(frame, "Tables");
    tables_ = new QTreeWidget(frame);
    tables_->setObjectName("list_tables");
    tables_->setHeaderLabels({"Table", "Players", "Watching", "Game", "Computer"});
    tables_->setRootIsDecorated(false);
    tables_->setUniformRowHeights(true);
    tables_->setAlternatingRowColors(true);
    tables_->header()->setStretchLastSection(false);
    tables_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tables_->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    tables_->setStyleSheet("QTreeWidget { background: white; alternate-background-color: #f3f6ee;"
                           " border: 1px solid #9a9680; }"
                           "QTreeWidget::item { padding: 3px 2px; }");
    layout->addWidget(tables_, 1);
    noTables_ = new QLabel("No tables yet.\nCreate one, or join a friend's table by its code.",
                           tables_->viewport());
    noTables_->setObjectName("label_notables");
    noTables_->setAlignment(Qt::AlignCenter);
    noTables_->setStyleSheet("color: #7a7660; background: transparent;");
    noTables_->setFont(art::pixelFont(13, false));
    noTables_->hide();
    (new QVBoxLayout(tables_->viewport()))->addWidget(noTables_);

    auto* buttons = new QHBoxLayout;
    QPushButton* join = button(frame, "button_join", "&Join", this, &Tlobby::joinClicked);
    QPushButton* watch = button(frame, "button_watch", "&Watch", this, &Tlobby::watchClicked);
    QPushButton* create =
        button(frame, "button_createtable", "&Create a Table…", this, &Tlobby::createClicked);
    buttons->addWidget(join);
    buttons->addWidget(watch);
    buttons->addStretch(1);
    buttons->addWidget(create);
    layout->addLayout(buttons);

    auto* codeRow = new QHBoxLayout;
    auto* codeCaption = new QLabel("A friend's c&ode:", frame);
    codeCaption->setStyleSheet("background: transparent; border: none;");
    code_ = new QLineEdit(frame);
    code_->setObjectName("edit_code");
    code_->setMaxLength(16);
    code_->setPlaceholderText("e.g. K7QF2M");
    codeCaption->setBuddy(code_);
    QPushButton* byCode = button(frame, "button_code", "Join by Code", this, &Tlobby::codeClicked);
    codeRow->addWidget(codeCaption);
    codeRow->addWidget(code_, 1);
    codeRow->addWidget(byCode);
    layout->addLayout(codeRow);
    actions_ = {join, watch, create, byCode};

    connect(code_, &QLineEdit::returnPressed, this, &Tlobby::codeClicked);
    connect(tables_, &QTreeWidget::itemDoubleClicked, this, &Tlobby::joinClicked);
    return frame;
}

QFrame* Tlobby::buildChat(QWidget* parent) {
    QFrame* frame = panel(parent, "panel_chat");
    QVBoxLayout* layout = headedColumn(frame, "Lobby chat");
    chat_ = new QTextBrowser(frame);
    chat_->setObjectName("text_chat");
    // Lines from strangers are text: no link opens, no markup is read.
    chat_->setOpenLinks(false);
    chat_->setOpenExternalLinks(false);
    chat_->setUndoRedoEnabled(false);
    chat_->document()->setMaximumBlockCount(ChatLinesKept);
    chat_->setStyleSheet("QTextBrowser { background: white; border: 1px solid #9a9680; }");
    layout->addWidget(chat_, 1);
    auto* row = new QHBoxLayout;
    say_ = new QLineEdit(frame);
    say_->setObjectName("edit_chat");
    say_->setMaxLength(hub::MaxChatLength);
    say_->setEnabled(false);
    say_->setPlaceholderText("Say something to the lobby");
    QPushButton* send = button(frame, "button_send", "Send", this, &Tlobby::sendClicked);
    row->addWidget(say_, 1);
    row->addWidget(send);
    layout->addLayout(row);
    connect(say_, &QLineEdit::returnPressed, this, &Tlobby::sendClicked);
    return frame;
}

QFrame* Tlobby::buildCode(QWidget* parent) {
    QFrame* frame = panel(parent, "panel_code");
    auto* layout = new QHBoxLayout(frame);
    auto* words = new QLabel("Your private table is ready. Its code:", frame);
    words->setFont(art::pixelFont(14, true));
    words->setStyleSheet("background: transparent; border: none;");
    codeLabel_ = new QLabel(frame);
    codeLabel_->setObjectName("label_code");
    codeLabel_->setTextFormat(Qt::PlainText);
    codeLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont mono = art::pixelFont(26, true);
    mono.setFamilies({"Liberation Mono", "monospace"});
    mono.setLetterSpacing(QFont::AbsoluteSpacing, 4);
    codeLabel_->setFont(mono);
    codeLabel_->setStyleSheet("color: #8a1010; background: white; border: 1px dashed #8a1010;"
                              " border-radius: 4px; padding: 2px 10px;");
    QPushButton* copy = button(frame, "button_copy", "Cop&y", this, &Tlobby::copyClicked);
    QPushButton* go =
        button(frame, "button_gotable", "&Go to My Table", this, &Tlobby::goToMyTableClicked);
    go->setDefault(true);
    auto* hint = new QLabel("Give it to your friends: they type it beside Join by Code.", frame);
    hint->setWordWrap(true);
    hint->setStyleSheet("background: transparent; border: none; color: #333;");
    auto* text = new QVBoxLayout;
    text->addWidget(words);
    text->addWidget(hint);
    layout->addLayout(text, 1);
    layout->addWidget(codeLabel_);
    layout->addWidget(copy);
    layout->addWidget(go);
    return frame;
}

// ---------------------------------------------------------------- the hub

void Tlobby::present(const QString& playerName, const QString& hubAddress, bool remembered) {
    if (name_->text().isEmpty()) name_->setText(playerName);
    if (!hubAddress.isEmpty() && hub_->currentText().trimmed().isEmpty()) {
        hub_->setEditText(hubAddress);
        rememberedText_ = remembered ? hubAddress.trimmed() : QString();
    }
    show();
    raise();
    activateWindow();
    finder_.search(hub::DefaultPort);
    if (!hub_->currentText().trimmed().isEmpty() && !client_.lobbyConnected()) connectClicked();
}

void Tlobby::hideEvent(QHideEvent* event) {
    SideWindow::hideEvent(event);
    client_.closeLobby();
}

void Tlobby::offerHub(const TableFinder::Found& found) {
    QUrl url;
    url.setScheme(QStringLiteral("http"));
    url.setHost(found.address);
    url.setPort(found.table.port);
    const QString text = hub::hubAddressText(url);
    if (hub_->findText(text) < 0) hub_->addItem(text);
    if (hub_->currentText().trimmed().isEmpty()) {
        hub_->setEditText(text);
        setStatus(QStringLiteral("A hub answered on this network: %1. Press Connect to use it.")
                      .arg(text));
    }
}

void Tlobby::connectClicked() {
    const QString typed = hub_->currentText().trimmed();
    const QUrl url = hub::hubUrl(typed);
    if (!url.isValid()) {
        setStatus(QStringLiteral("Please type the hub's address, for example hub.example.org or "
                                 "192.168.1.20:7780."),
                  true);
        return;
    }
    hubText_ = typed;
    client_.setHub(url);
    setStatus(QStringLiteral("Asking %1 for its tables…").arg(typed));
    client_.listTables(
        [this, url](const QList<hub::Table>& list) {
            if (client_.hub() != url) return; // another hub was chosen meanwhile
            showTables(list);
            setStatus(QStringLiteral("Connected to %1.").arg(hubText_));
            client_.openLobby();
            if (hubText_ != rememberedText_) {
                rememberedText_ = hubText_;
                emit hubChosen(hubText_);
            }
        },
        [this, url](const hub::Error& error) {
            if (client_.hub() != url) return;
            client_.closeLobby();
            setStatus(hub::failureText(error, hubText_), true);
        });
}

void Tlobby::showTables(const QList<hub::Table>& list) {
    QString selected;
    if (QTreeWidgetItem* item = tables_->currentItem()) selected = item->data(0, IdRole).toString();
    tables_->clear();
    for (const hub::Table& t : list) {
        if (t.isPrivate) continue; // a hub never lists one; if it did, it stays unseen
        auto* item = new QTreeWidgetItem(
            tables_,
            {t.name, QStringLiteral("%1 of %2").arg(t.seatsTaken).arg(t.seatsTaken + t.seatsFree),
             QString::number(t.watchers),
             t.playing ? QStringLiteral("playing") : QStringLiteral("waiting"),
             levelText(t.level)});
        item->setData(0, IdRole, t.id);
        item->setData(0, IdRole + 1, t.address);
        item->setData(0, IdRole + 2, t.port);
        if (t.id == selected) tables_->setCurrentItem(item);
    }
    noTables_->setVisible(tables_->topLevelItemCount() == 0);
}

bool Tlobby::selectTable(const QString& id) {
    for (int i = 0; i < tables_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = tables_->topLevelItem(i);
        if (item->data(0, IdRole).toString() == id) {
            tables_->setCurrentItem(item);
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- ways to a table

bool Tlobby::nameReady() {
    if (!name_->text().trimmed().isEmpty()) return true;
    showMessage(this, QStringLiteral("Please type your name."));
    name_->setFocus();
    return false;
}

void Tlobby::setBusy(bool busy) {
    busy_ = busy;
    for (QPushButton* b : std::as_const(actions_)) b->setEnabled(!busy);
}

void Tlobby::fail(const hub::Error& error) {
    setBusy(false);
    const QString text = hub::failureText(error, hubText_);
    setStatus(text, true);
    showMessage(this, text);
}

void Tlobby::joinClicked() {
    joinSelected(false);
}

void Tlobby::watchClicked() {
    joinSelected(true);
}

void Tlobby::joinSelected(bool watch) {
    if (busy_) return;
    QTreeWidgetItem* item = tables_->currentItem();
    if (!item) {
        showMessage(this, QStringLiteral("Please choose a table in the list first."));
        return;
    }
    if (!nameReady()) return;
    const QString id = item->data(0, IdRole).toString();
    // The list may be a few seconds old: ask once more, so a closed table is said, not tried.
    setBusy(true);
    client_.listTables(
        [this, id, watch](const QList<hub::Table>& list) {
            setBusy(false);
            showTables(list);
            for (const hub::Table& t : list) {
                if (t.id != id) continue;
                TableChoice choice{name_->text().trimmed(), false, t.address, t.port};
                choice.justWatch = watch;
                emit tableChosen(choice);
                return;
            }
            fail({hub::Failure::TableGone, {}});
        },
        [this](const hub::Error& e) { fail(e); });
}

void Tlobby::createClicked() {
    if (busy_ || !nameReady()) return;
    if (!client_.hub().isValid()) {
        showMessage(this, QStringLiteral("Please connect to a hub first."));
        return;
    }
    create_->present(QStringLiteral("%1's table").arg(name_->text().trimmed()));
}

void Tlobby::createTable(const QString& tableName, bool isPrivate, const QString& level) {
    if (busy_ || !nameReady()) return;
    setBusy(true);
    setStatus(QStringLiteral("Asking %1 for a table…").arg(hubText_));
    client_.createTable(
        tableName, isPrivate, level,
        [this](const hub::Created& created) {
            setBusy(false);
            TableChoice choice{name_->text().trimmed(), false, created.address, created.port};
            if (created.code.isEmpty()) {
                emit tableChosen(choice);
                return;
            }
            choice.privateCode = created.code;
            myTable_ = choice;
            codeLabel_->setText(created.code);
            codePanel_->show();
            setStatus(QStringLiteral("Your private table is ready."));
        },
        [this](const hub::Error& e) { fail(e); });
}

void Tlobby::codeClicked() {
    if (busy_ || !nameReady()) return;
    const QString code = hub::normaliseCode(code_->text());
    if (code.isEmpty()) {
        showMessage(this, QStringLiteral("A code has six letters and digits, like K7QF2M. Please "
                                         "type the code your friend gave you."));
        return;
    }
    if (!client_.hub().isValid()) {
        showMessage(this, QStringLiteral("Please connect to a hub first."));
        return;
    }
    setBusy(true);
    client_.lookUpCode(
        code,
        [this](const hub::CodeTarget& target) {
            setBusy(false);
            emit tableChosen({name_->text().trimmed(), false, target.address, target.port});
        },
        [this](const hub::Error& e) { fail(e); });
}

void Tlobby::copyClicked() {
    QApplication::clipboard()->setText(codeLabel_->text());
    setStatus(QStringLiteral("The code %1 is copied.").arg(codeLabel_->text()));
}

void Tlobby::goToMyTableClicked() {
    if (myTable_.privateCode.isEmpty()) return;
    if (!name_->text().trimmed().isEmpty()) myTable_.name = name_->text().trimmed();
    emit tableChosen(myTable_);
}

// ---------------------------------------------------------------- chat and words

void Tlobby::sendClicked() {
    if (!nameReady()) return;
    if (client_.sendChat(name_->text(), say_->text())) say_->clear();
}

void Tlobby::addChatLine(const hub::ChatLine& line) {
    QTextCursor cursor(chat_->document());
    cursor.movePosition(QTextCursor::End);
    if (!chat_->document()->isEmpty()) cursor.insertBlock();
    QTextCharFormat who;
    who.setFontWeight(QFont::Bold);
    who.setForeground(QColor(0x1d, 0x5e, 0x2c));
    cursor.insertText(line.name + QStringLiteral(": "), who);
    cursor.insertText(line.text, QTextCharFormat());
    chat_->ensureCursorVisible();
}

void Tlobby::addChatNote(const QString& text) {
    QTextCursor cursor(chat_->document());
    cursor.movePosition(QTextCursor::End);
    if (!chat_->document()->isEmpty()) cursor.insertBlock();
    QTextCharFormat note;
    note.setForeground(QColor(0, 0, 0xc0));
    cursor.insertText(text, note);
}

void Tlobby::setStatus(const QString& text, bool trouble) {
    status_->setText(text);
    status_->setStyleSheet(trouble ? "color: #ffd6a0; background: transparent;"
                                   : "color: white; background: transparent;");
}

QString Tlobby::status() const {
    return status_->text();
}

QString Tlobby::shownCode() const {
    return codeLabel_->text();
}

QString Tlobby::chatText() const {
    return chat_->toPlainText();
}

} // namespace pelvo
