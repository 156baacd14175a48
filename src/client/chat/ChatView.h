#pragma once
// The list behind `mainchat`: one row per chat line, painted by ChatDelegate from the model.
// Only the rows in sight are painted, so a sender's new colour costs one repaint. It follows
// the newest line unless told not to, and a reader scrolled back keeps their place when the
// oldest lines go. Copies plain text only; a click on an address asks for it to be opened.

#include <QListView>

namespace pelvo {

class ChatModel;
class ChatDelegate;

class ChatView : public QListView {
    Q_OBJECT
public:
    explicit ChatView(ChatModel& model, QWidget* parent = nullptr);

    // The selected lines as plain text, one a line, oldest first; pictures are left out.
    QString selectedPlainText() const;
    // Whether each new line is scrolled into sight.
    void setFollowing(bool on) { following_ = on; }
    // Lays out what is pending now (and scrolls as it would have).
    void catchUp();

signals:
    void linkActivated(int slot);

protected:
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;
    void updateGeometries() override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    int linkAt(QPoint pos) const;

    ChatModel& model_;
    ChatDelegate* delegate_;
    bool following_ = true;
    bool scrollPending_ = false;
    // A reader's top row, held while rows above it go: its row then, its top then, and how
    // many rows went since.
    int anchorRow_ = -1;
    int anchorTop_ = 0;
    int anchorRemoved_ = 0;
    int pressedLink_ = -1;
};

} // namespace pelvo
