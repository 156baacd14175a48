#include "client/chat/ChatRow.h"

#include "client/chat/Smilies.h"
#include "protocol/Fields.h"

#include <QTextCursor>
#include <QUrl>

namespace pelvo {

namespace {

const QString smileyMark = QStringLiteral(":)#");
const QString smileyScheme = QStringLiteral("smiley");
const QString linkScheme = QStringLiteral("link");
constexpr int firstSmileyTag = 10;
const QColor linkColour(0, 128, 0);

// One chat line stays one paragraph whatever control characters a player sends.
QString flatten(QString text) {
    for (QChar& c : text) {
        if (c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar::LineSeparator)
            c = u' ';
    }
    return text;
}

void addText(ChatRow& row, const QString& text) {
    if (text.isEmpty()) return;
    if (!row.segments.empty() && row.segments.back().kind == ChatSegment::Kind::Text)
        row.segments.back().text += text;
    else
        row.segments.push_back({ChatSegment::Kind::Text, text, 0});
}

// A piece of message and the space after it, addresses made links.
void addWords(ChatRow& row, const QString& piece, ChatLinks& links) {
    const QString text = piece + u' ';
    qsizetype plainStart = 0;
    qsizetype pos = 0;
    while (pos < text.size()) {
        const qsizetype next = text.indexOf(u' ', pos) + 1; // the text ends in a space
        const QString word = text.mid(pos, next - pos);
        if (isUrlWord(word)) {
            addText(row, text.mid(plainStart, pos - plainStart));
            row.segments.push_back({ChatSegment::Kind::Link, word, links.add(word)});
            plainStart = next;
        }
        pos = next;
    }
    addText(row, text.mid(plainStart));
}

} // namespace

QString ChatRow::plainText() const {
    QString text;
    for (const ChatSegment& s : segments)
        if (s.kind != ChatSegment::Kind::Smiley) text += s.text;
    return text;
}

QString ChatLinks::url(int slot) const {
    return slot >= 0 && slot < Slots ? urls_[slot] : QString();
}

int ChatLinks::add(const QString& word) {
    counter_ = counter_ >= Slots - 1 ? 1 : counter_ + 1;
    urls_[counter_] = word;
    return counter_;
}

bool isUrlWord(const QString& word) {
    return !word.isEmpty() &&
           (word.contains(QStringLiteral("http://")) || word.contains(QStringLiteral("www.")));
}

ChatRow makeChatRow(int sender, const QString& line, ChatLinks& links) {
    ChatRow row;
    row.sender = sender;
    const QString text = flatten(line);
    const qsizetype colon = text.indexOf(u':');
    addText(row, text.left(colon + 1) + u' '); // the speaker part is never searched
    QString message = text.mid(colon + 1);
    qsizetype mark;
    while ((mark = message.indexOf(smileyMark)) >= 0) {
        const QString piece = message.left(mark);
        const QString code = message.mid(mark + smileyMark.size(), 2);
        message.remove(0, mark + smileyMark.size() + code.size());
        addWords(row, piece, links);
        const auto number = toInt(code);
        const int index =
            number && *number >= firstSmileyTag && *number - firstSmileyTag < smilies::count
                ? *number - firstSmileyTag
                : 0;
        row.segments.push_back({ChatSegment::Kind::Smiley, {}, index});
    }
    if (!message.isEmpty()) addWords(row, message, links);
    return row;
}

QFont chatFont(qreal points) {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setPointSizeF(points);
    return font;
}

ChatDocument::ChatDocument(qreal points, qreal devicePixelRatio, QObject* parent)
    : QTextDocument(parent), ratio_(devicePixelRatio) {
    setUndoRedoEnabled(false);
    setDocumentMargin(0);
    setDefaultFont(chatFont(points));
}

QString ChatDocument::smileyName(int index) {
    return smileyScheme + u':' + QString::number(index);
}

int ChatDocument::linkSlot(const QString& href) {
    if (!href.startsWith(linkScheme + u':')) return -1;
    bool ok = false;
    const int slot = href.mid(linkScheme.size() + 1).toInt(&ok);
    return ok ? slot : -1;
}

void ChatDocument::draw(QTextCursor& c, const ChatRow& row, const QColor& colour, bool selected,
                        qreal scale) {
    QTextCharFormat fmt;
    fmt.setForeground(colour);
    fmt.setFontWeight(QFont::Bold);
    c.setBlockCharFormat(fmt); // an empty line is as high as a written one
    for (const ChatSegment& s : row.segments) {
        switch (s.kind) {
        case ChatSegment::Kind::Text:
            c.insertText(s.text, fmt);
            break;
        case ChatSegment::Kind::Link: {
            QTextCharFormat link;
            link.setAnchor(true);
            link.setAnchorHref(linkScheme + u':' + QString::number(s.value));
            link.setForeground(selected ? colour : linkColour);
            link.setFontUnderline(true);
            link.setFontWeight(QFont::Normal);
            c.insertText(s.text, link);
            break;
        }
        case ChatSegment::Kind::Smiley: {
            QTextImageFormat image;
            image.setName(smileyName(s.value));
            image.setWidth(smilies::width * scale);
            image.setHeight(smilies::height * scale);
            image.setVerticalAlignment(QTextCharFormat::AlignBottom);
            image.setToolTip(smilies::description(s.value));
            c.insertImage(image);
            break;
        }
        }
    }
}

QVariant ChatDocument::loadResource(int type, const QUrl& name) {
    if (type == QTextDocument::ImageResource && name.scheme() == smileyScheme) {
        bool ok = false;
        const int index = name.path().toInt(&ok);
        if (ok) return smilies::pixmap(index, ratio_);
    }
    return {};
}

} // namespace pelvo
