#include "client/chat/ChatDelegate.h"

#include "client/chat/ChatModel.h"
#include "client/chat/ChatRow.h"

#include <QAbstractItemView>
#include <QAbstractTextDocumentLayout>
#include <QFontMetricsF>
#include <QHelpEvent>
#include <QPainter>
#include <QTextCursor>
#include <QToolTip>

#include <cmath>

namespace pelvo {

ChatDelegate::ChatDelegate(const ChatModel& model, QAbstractItemView& view)
    : QAbstractItemDelegate(&view), model_(model), view_(view) {}

int ChatDelegate::textWidth() const {
    return std::max(1, view_.viewport()->width() - 2 * SideMargin);
}

QRect ChatDelegate::textRect(const QModelIndex& index, const QRect& rect) const {
    const int top = index.row() == 0 ? TopMargin : 0;
    return QRect(rect.left() + SideMargin, rect.top() + top, textWidth(), rect.height() - top);
}

std::unique_ptr<ChatDocument> ChatDelegate::layOut(const ChatRow& row, bool selected) const {
    // Smilies are painted for the drawn size: sharp at any scale.
    auto doc = std::make_unique<ChatDocument>(model_.drawnSize(),
                                              view_.devicePixelRatioF() * model_.scale());
    QTextCursor c(doc.get());
    const QColor colour =
        selected ? view_.palette().color(QPalette::HighlightedText) : model_.colourOf(row.sender);
    ChatDocument::draw(c, row, colour, selected, model_.scale());
    doc->setTextWidth(textWidth());
    return doc;
}

void ChatDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                         const QModelIndex& index) const {
    const ChatRow& row = model_.row(index.row());
    const bool selected = option.state & QStyle::State_Selected;
    const QRect text = textRect(index, option.rect);
    if (selected) painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
    const auto doc = layOut(row, selected);
    painter->save();
    painter->translate(text.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = option.palette;
    context.clip = QRectF(0, 0, text.width(), text.height());
    painter->setClipRect(context.clip);
    doc->documentLayout()->draw(painter, context);
    painter->restore();
}

int ChatDelegate::oneLineHeight() const {
    if (lineHeightSize_ != model_.drawnSize()) {
        ChatRow plain;
        plain.segments.push_back({ChatSegment::Kind::Text, QStringLiteral("X"), 0});
        lineHeight_ = int(std::ceil(layOut(plain)->size().height()));
        lineHeightSize_ = model_.drawnSize();
    }
    return lineHeight_;
}

bool ChatDelegate::fitsOneLine(const ChatRow& row, int width) const {
    // Most lines are short words without pictures: their height is known without a layout.
    // Bold is the widest of the styles, so a line that fits in bold fits.
    QFont bold = chatFont(model_.drawnSize());
    bold.setBold(true);
    const QFontMetricsF metrics(bold, view_.viewport());
    for (const ChatSegment& s : row.segments)
        if (s.kind == ChatSegment::Kind::Smiley) return false;
    return metrics.horizontalAdvance(row.plainText()) < width - 1;
}

QSize ChatDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex& index) const {
    const ChatRow& row = model_.row(index.row());
    const int width = textWidth();
    if (row.measuredWidth != width || row.measuredSize != model_.drawnSize()) {
        row.height = fitsOneLine(row, width) ? oneLineHeight()
                                             : int(std::ceil(layOut(row)->size().height()));
        row.measuredWidth = width;
        row.measuredSize = model_.drawnSize();
    }
    return {width + 2 * SideMargin, row.height + (index.row() == 0 ? TopMargin : 0)};
}

QTextFormat ChatDelegate::formatAt(const QModelIndex& index, const QRect& rect, QPoint pos) const {
    if (!index.isValid()) return {};
    const QRect text = textRect(index, rect);
    const auto doc = layOut(model_.row(index.row()));
    return doc->documentLayout()->formatAt(QPointF(pos - text.topLeft()));
}

bool ChatDelegate::helpEvent(QHelpEvent* event, QAbstractItemView* view,
                             const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() != QEvent::ToolTip) return false;
    const QString tip = formatAt(index, option.rect, event->pos()).toCharFormat().toolTip();
    if (tip.isEmpty()) {
        QToolTip::hideText();
        return false;
    }
    QToolTip::showText(event->globalPos(), tip, view->viewport());
    return true;
}

} // namespace pelvo
