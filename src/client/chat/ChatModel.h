#pragma once
// The chat view's rows: a mirror of the session's chat history, each line cut into its segments
// once, plus each sender's current colour. Rows never hold a colour; the view asks for the
// sender's at paint time, so a new colour costs one repaint however many lines are shown.

#include "client/chat/ChatRow.h"
#include "session/ChatHistory.h"

#include <QAbstractListModel>
#include <QColor>

#include <array>
#include <deque>

namespace pelvo {

class ChatModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ChatModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    // DisplayRole and AccessibleTextRole: the line as text.
    QVariant data(const QModelIndex& index, int role) const override;

    void append(const ChatLine& line);
    void dropOldest(int count);
    void clear();

    const ChatRow& row(int index) const { return rows_[std::size_t(index)]; }
    // What a sender's lines are drawn in now.
    QColor colourOf(int sender) const;
    const ChatLinks& links() const { return links_; }

    // The chosen point size of all rows, and the size they are drawn at: the table's scale
    // times it.
    int textSize() const { return textSize_; }
    void setTextSize(int points);
    qreal scale() const { return scale_; }
    void setScale(qreal scale);
    qreal drawnSize() const { return textSize_ * scale_; }

signals:
    // A sender's lines are to be drawn again in a new colour.
    void recoloured();

private:
    std::deque<ChatRow> rows_;
    std::array<quint32, 10> colours_{}; // senders 0 to 9
    ChatLinks links_;
    int textSize_ = 10;
    qreal scale_ = 1.0;
};

} // namespace pelvo
