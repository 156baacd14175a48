#pragma once
// Paints one chat row: the line laid out as a small rich-text document, in its sender's colour
// of the moment and the model's text size. Heights are kept on the row per width and size, so
// a relayout of the view lays out only the rows it has not measured.

#include <QAbstractItemDelegate>
#include <QTextFormat>

#include <memory>

class QAbstractItemView;

namespace pelvo {

class ChatDocument;
class ChatModel;
struct ChatRow;

class ChatDelegate : public QAbstractItemDelegate {
public:
    // Space beside the text, and above the first line.
    static constexpr int SideMargin = 3;
    static constexpr int TopMargin = 2;

    ChatDelegate(const ChatModel& model, QAbstractItemView& view);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    // A smiley's name as its tool tip.
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override;

    // What is drawn at `pos` (viewport coordinates) of the row `index` shown at `rect`; an
    // invalid format over blank space.
    QTextFormat formatAt(const QModelIndex& index, const QRect& rect, QPoint pos) const;

private:
    int textWidth() const;
    QRect textRect(const QModelIndex& index, const QRect& rect) const;
    std::unique_ptr<ChatDocument> layOut(const ChatRow& row, bool selected = false) const;
    int oneLineHeight() const;
    bool fitsOneLine(const ChatRow& row, int width) const;

    const ChatModel& model_;
    QAbstractItemView& view_;
    mutable int lineHeight_ = 0; // of a line without pictures, at the text size below
    mutable qreal lineHeightSize_ = -1;
};

} // namespace pelvo
