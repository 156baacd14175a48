#pragma once
// The chat panel: the chat view `mainchat` inside `FlatPanel1`, the entry line `mychat` and the
// smilies button `button_smilies`, with their menus. A view of the session: it shows the
// session's chat history, drawn from its signals, in the text size and colour of the session's
// settings, and hands what the player types to the session. Each line is drawn in its sender's
// latest colour.

#include "session/ChatHistory.h"

#include <QWidget>

#include <functional>
#include <optional>

class QMenu;
class QLineEdit;
class QUrl;

namespace pelvo {

class ClientSession;
class ChatModel;
class ChatView;

class ChatPanel : public QWidget {
    Q_OBJECT
public:
    // Shows the lines the session's history already holds and every line after.
    explicit ChatPanel(ClientSession& session, QWidget* parent = nullptr);
    ~ChatPanel() override;

    // Lays the view out now (and scrolls to the newest line when following), as the next
    // event processing would.
    void flush();
    void sendit();

    // Point size of all chat styles (the settings' text size); shows at the next added line or
    // clear.
    int textSize() const;
    void setTextSize(int points);
    // Shows a pending text size now (the settings loader lays the view out after reading it).
    void reformat();
    // Check mark on the size item N<points>; none when there is no such item.
    void checkSizeItem(int points);
    // The table's scale: chat text, the entry line and the smilies button grow with it.
    void setScale(qreal scale);
    qreal scale() const;
    quint32 chatColour() const;
    void setChatColour(quint32 colour); // also the entry line's font colour

    // Appends "Text Color", "Text Size", "Scroll Chat Off" (Ctrl+S) and "Clear Main Chat"
    // to the main menu "Options", in that order.
    void addOptionsItems(QMenu* options);

    // The view, flushed: one row per line of the history.
    ChatView* mainchat() const;
    // What the view draws from.
    const ChatModel& chatModel() const;
    // Every line shown, as text, one a line (pictures left out).
    QString plainText() const;
    QLineEdit* mychat() const;

    // True for a word that contains "http://" or "www." (case-sensitive).
    static bool isurlword(const QString& word);
    // Opens the address stored in link slot `link` (0 to 100).
    void mainchatJump(int link);
    // Slot of the last link added: -1 before the first; after 100 comes 1.
    int linkCounter() const;
    QString linkurl(int slot) const;
    bool scrollChatOff() const;

    // Menu handlers, also reachable through the menu actions.
    void button_smiliesClick();
    void N271Click(int tag); // smiley item, tag 10 to 27
    void Copy1Click();
    void Paste1Click();
    void SelectAll1Click();
    void ClearMainChat1Click();
    void ScrollChatOff1Click();
    void TextColor1Click(); // opens the non-modal colour chooser `ColorDialog`
    void N14Click(int tag); // text size item, tag 8, 10, 12 or 14

    // Seam for the desktop: how an address is opened (default QDesktopServices::openUrl).
    void setUrlOpener(std::function<bool(const QUrl&)> opener);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
