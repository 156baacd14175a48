#pragma once
// One chat line as the view draws it: the line's text cut once, when it arrives, into plain
// words, addresses and smiley pictures. The colour is not part of it: a line is drawn in its
// sender's colour of the moment, so a sender's new colour reaches every earlier line at the
// next paint without touching them.

#include <QString>
#include <QTextDocument>

#include <vector>

class QTextCursor;
class QColor;

namespace pelvo {

struct ChatSegment {
    enum class Kind { Text, Link, Smiley };
    Kind kind = Kind::Text;
    QString text;  // Text and Link: as shown
    int value = 0; // Link: its slot; Smiley: the picture
};

struct ChatRow {
    int sender = 0;
    std::vector<ChatSegment> segments;

    // The line as text, pictures left out (what a copy and a screen reader get).
    QString plainText() const;

    // Height at the width and text size it was last measured for; -1 before.
    mutable int measuredWidth = -1;
    mutable qreal measuredSize = 0; // the drawn point size
    mutable int height = 0;
};

// Links take the slot after `counter` (after 100 comes 1) and leave the address in `urls`.
class ChatLinks {
public:
    static constexpr int Slots = 101;
    int counter() const { return counter_; }
    QString url(int slot) const;
    int add(const QString& word);

private:
    int counter_ = -1;
    QString urls_[Slots];
};

// Cuts a line ("speaker: message", after the sender) into its segments; remote text is only
// ever split, never read as markup.
ChatRow makeChatRow(int sender, const QString& text, ChatLinks& links);

// True for a word that contains "http://" or "www." (case-sensitive).
bool isUrlWord(const QString& word);

// The font of every chat style at a text size.
QFont chatFont(qreal points);

// A document of chat lines whose smiley pictures come from the painted set; it loads nothing
// else.
class ChatDocument : public QTextDocument {
public:
    explicit ChatDocument(qreal points, qreal devicePixelRatio = 1.0, QObject* parent = nullptr);

    // Resource name of smiley picture `index`.
    static QString smileyName(int index);
    // Link slot of an anchor the document holds; -1 for any other.
    static int linkSlot(const QString& href);
    // Appends `row` drawn in `colour` at the cursor, as one paragraph's content; addresses
    // are green unless `selected` (then they take `colour` too). Smilies are drawn `scale`
    // times their size, as the text is.
    static void draw(QTextCursor& cursor, const ChatRow& row, const QColor& colour,
                     bool selected = false, qreal scale = 1.0);

protected:
    QVariant loadResource(int type, const QUrl& name) override;

private:
    qreal ratio_;
};

} // namespace pelvo
