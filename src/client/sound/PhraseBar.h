#pragma once
// The row of phrase buttons `b_phrase1` to `b_phrase9` and the chatter sound button
// `b_phrase10` with its menu `popup_sounds`.

#include <QStringList>
#include <QWidget>

class QAction;
class QMenu;

namespace pelvo {

class ClientSession;

class PhraseBar : public QWidget {
    Q_OBJECT
public:
    explicit PhraseBar(ClientSession& session, QWidget* parent = nullptr);
    ~PhraseBar() override;

    // The phrases are the session's settings; the buttons' hints show them.
    QString phrase(int n) const; // n = 1..9
    void setPhrase(int n, const QString& text);
    // All nine phrases at once, empty ones included (the phrase editor's "Done").
    QStringList phrases() const;
    void setPhrases(const QStringList& phrases);

    // Sends phrase n (1..9) as a chat action, at most once per cool-down.
    void b_phrase1Click(int n);
    // Opens popup_sounds at the lower right corner of b_phrase10.
    void b_phrase10MouseUp();
    // An item of popup_sounds: asks the host to play chatter sound <tag> at every client.
    void wave4Click(QAction* item);

    // The bar grows with the table: buttons and icons `scale` times their design size.
    void setScale(qreal scale);

    // How long a phrase button stays blocked after a send; 2 seconds unless changed.
    void setCooldown(int ms);
    QMenu* popupSounds() const;

    static QStringList designPhrases();
    // Captions of the chatter sounds: index 0 "<Cancel>", 1..20 "Doh" .. "Crying".
    static QStringList chatterCaptions();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Impl;
    Impl* d;
};

} // namespace pelvo
