#pragma once
// File › "Find a Table Online…" and "Play with Others": the lobby of a hub. It shows the hub's
// tables as they change, the lobby chat, and ways to a table: join or watch a listed one,
// create one (public or private), or join a friend's private table by its code. Going to a
// table is the main window's business: the window says where with tableChosen().

// own
#include "session/HubClient.h"
#include "session/TableChoice.h"
#include "session/TableFinder.h"
#include "windows/SideWindow.h"

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTreeWidget;

namespace pelvo {

class CreateTable;

class Tlobby : public SideWindow {
    Q_OBJECT
public:
    explicit Tlobby(QWidget* parent = nullptr);

    // Fills the name and the hub's address, connects when there is an address, and asks the
    // local network for a hub to offer. An address the settings file holds already is not
    // reported by hubChosen again; any other is, once the hub has answered.
    void present(const QString& playerName, const QString& hubAddress, bool remembered);

    // The buttons.
    void connectClicked();
    void joinClicked();
    void watchClicked();
    void createClicked();
    void codeClicked();
    void sendClicked();
    void copyClicked();
    void goToMyTableClicked();

    // What "Create a Table" does once its questions are answered.
    void createTable(const QString& tableName, bool isPrivate, const QString& level);
    // Selects the listed table with `id`; false when it is not listed.
    bool selectTable(const QString& id);

    HubClient& client() { return client_; }
    TableFinder& finder() { return finder_; }
    QTreeWidget* tables() const { return tables_; }
    CreateTable* createDialog() const { return create_; }
    QString status() const;
    // The code of the private table this window created; empty before.
    QString shownCode() const;
    QString chatText() const;

signals:
    // Go on to this table (the player's name, its address and port; to watch, or with a code).
    void tableChosen(const pelvo::TableChoice& choice);
    // The player connected to this hub: it is worth remembering.
    void hubChosen(const QString& address);

protected:
    // A hidden lobby keeps no connection open; showing it again connects again.
    void hideEvent(QHideEvent* event) override;

private:
    void buildHubRow(QWidget* parent);
    QFrame* buildTables(QWidget* parent);
    QFrame* buildChat(QWidget* parent);
    QFrame* buildCode(QWidget* parent);
    void showTables(const QList<hub::Table>& tables);
    void addChatLine(const hub::ChatLine& line);
    void addChatNote(const QString& text);
    void setStatus(const QString& text, bool trouble = false);
    void fail(const hub::Error& error);
    void joinSelected(bool watch);
    bool nameReady();
    void offerHub(const TableFinder::Found& found);
    void setBusy(bool busy);

    HubClient client_;
    TableFinder finder_;
    QString hubText_;        // the address as typed, for messages
    QString rememberedText_; // what the settings file holds
    TableChoice myTable_;    // the private table created here
    bool busy_ = false;

    QComboBox* hub_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* status_ = nullptr;
    QTreeWidget* tables_ = nullptr;
    QLabel* noTables_ = nullptr; // over the empty list
    QList<QPushButton*> actions_;
    QLineEdit* code_ = nullptr;
    QTextBrowser* chat_ = nullptr;
    QLineEdit* say_ = nullptr;
    QFrame* codePanel_ = nullptr;
    QLabel* codeLabel_ = nullptr;
    CreateTable* create_ = nullptr;
};

} // namespace pelvo
