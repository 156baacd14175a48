#include "client/TableLayout.h"

// own
#include "client/board/Board.h"
#include "client/chat/ChatPanel.h"
#include "client/sound/PhraseBar.h"

// Qt
#include <QWidget>

// std
#include <algorithm>

namespace pelvo {

namespace {
constexpr int margin = 2; // felt round the board on every side
// Design places on the board, at scale 1.
constexpr QPoint phrasesAt{484, 268};
constexpr QRect chatAt{484, 290, 280, 250};
} // namespace

qreal tableScale(QSize client, int below) {
    const qreal w = qreal(client.width() - 2 * margin) / Board::designSize.width();
    const qreal h = qreal(client.height() - 2 * margin - below) / Board::designSize.height();
    // A window a few pixels over the design size (the default place is one: its stored size
    // counted a frame that this window system leaves out) keeps the table at 1:1, where every
    // picture sits on whole pixels; the rest is felt.
    constexpr qreal snapToDesign = 1.02;
    const qreal scale = std::min(w, h);
    return scale < snapToDesign ? 1.0 : scale;
}

QSize clientSizeFor(qreal scale, int below) {
    return QSize(qCeil(Board::designSize.width() * scale) + 2 * margin,
                 qCeil(Board::designSize.height() * scale) + 2 * margin + below);
}

int belowHeight(const QWidget* client) {
    int height = 0;
    for (const QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->property(belowBoardProperty).toBool() && !w->isHidden())
            height += w->sizeHint().height();
    return height;
}

void layoutTable(const TableParts& parts) {
    QWidget* client = parts.client;
    const int below = belowHeight(client);
    const qreal scale = tableScale(client->size(), below);
    parts.board->setScale(scale);
    const int spare = client->width() - 2 * margin - parts.board->width();
    const QPoint origin(margin - 1 + std::max(0, spare / 2), margin - 1);
    parts.board->move(origin);
    const auto px = [scale](int design) { return qRound(design * scale); };
    parts.phrases->setScale(scale);
    parts.phrases->move(origin + QPoint(px(phrasesAt.x()), px(phrasesAt.y())));
    parts.chat->setScale(scale);
    parts.chat->setGeometry(QRect(origin + QPoint(px(chatAt.x()), px(chatAt.y())),
                                  QSize(px(chatAt.width()), px(chatAt.height()))));
    int y = parts.board->geometry().bottom() + 1;
    for (QWidget* w : client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (!w->property(belowBoardProperty).toBool() || w->isHidden()) continue;
        w->setGeometry(origin.x(), y, parts.board->width(), w->sizeHint().height());
        y += w->height();
    }
}

} // namespace pelvo
