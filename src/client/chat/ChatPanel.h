#pragma once
// The chat panel: the chat view `mainchat` inside `FlatPanel1`, the entry line `mychat` and the
// smilies button `button_smilies`, with their menus.

#include <QWidget>

class QMenu;
class QLineEdit;
class QTextBrowser;

namespace pelvo {

class ClientContext;

class ChatPanel : public QWidget {
    Q_OBJECT
public:
    explicit ChatPanel(ClientContext& ctx, QWidget* parent = nullptr);
    ~ChatPanel() override;

    // line = sender "+" text; colour 0x00BBGGRR.
    void addlinetochat(const QString& line, quint32 colour);
    // Handler of CMD_chat and CMD_action: slot "+" text ["|" colour text].
    void chatrecieved(const QString& payload);
    void sendit();

    // Point size of all chat styles; shows at the next added line or clear.
    int textSize() const;
    void setTextSize(int points);
    // Check mark on the size item N<points>; none when there is no such item.
    void checkSizeItem(int points);
    quint32 chatColour() const;
    void setChatColour(quint32 colour); // also the entry line's font colour

    // Appends "Text Color", "Text Size", "Scroll Chat Off" (Ctrl+S) and "Clear Main Chat"
    // to the main menu "Options", in that order.
    void addOptionsItems(QMenu* options);

    QTextBrowser* mainchat() const;
    QLineEdit* mychat() const;

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
