#include "client/board/Board.h"

#include "client/ClientContext.h"

#include <QLabel>
#include <QPushButton>

namespace pelvo {

// Placeholder until the board is built: name labels and the start button only.
struct Board::Impl {
    ClientContext& ctx;
    QLabel* names[5]{};
    QLabel* scores[5]{};
    QLabel* eyes[5]{};
    QPushButton* start = nullptr;
};

Board::Board(ClientContext& ctx, QWidget* parent) : QWidget(parent), d(new Impl{ctx}) {
    setObjectName("panel_board");
    setFixedSize(765, 542);
    for (int s = 1; s <= 4; ++s) {
        d->names[s] = new QLabel("<Waiting>", this);
        d->names[s]->setObjectName(QString("label_playername%1").arg(s));
        d->names[s]->setGeometry(10, 20 * s, 111, 22);
        d->scores[s] = new QLabel("0", this);
        d->scores[s]->setObjectName(QString("label_score%1").arg(s));
        d->scores[s]->hide();
        d->eyes[s] = new QLabel(this);
        d->eyes[s]->setObjectName(QString("image_eyes%1").arg(s));
        d->eyes[s]->hide();
    }
    d->start = new QPushButton("Start", this);
    d->start->setObjectName("button_start");
    d->start->setGeometry(301, 8, 122, 34);
    d->start->hide();
    connect(d->start, &QPushButton::clicked, this, &Board::startClicked);
}
Board::~Board() { delete d; }

void Board::sortstuff(int) {}
void Board::clearall() {}
void Board::startthegame(const QString&) {}
void Board::roundstarting(const QString&) {}
void Board::mycards(const QString&) {}
void Board::gamestats(const QString&) {}
void Board::postscores(const QString&) {}
void Board::penalty(const QString&) {}
void Board::getnextplayer(const QString&) {}
void Board::winner(const QString&) {}
void Board::drawacard(const QString&) {}
void Board::heflipped(const QString&) {}
void Board::replaceadraw(const QString&) {}
void Board::discardadrawn(const QString&) {}
void Board::replaceadiscard(const QString&) {}
void Board::card19Click(int) {}
void Board::image_drawClick() {}
void Board::image_discardClick() {}
QLabel* Board::label_playername(int seat) const { return seat >= 1 && seat <= 4 ? d->names[seat] : nullptr; }
QLabel* Board::label_score(int seat) const { return seat >= 1 && seat <= 4 ? d->scores[seat] : nullptr; }
QLabel* Board::image_eyes(int seat) const { return seat >= 1 && seat <= 4 ? d->eyes[seat] : nullptr; }
QAbstractButton* Board::button_start() const { return d->start; }

} // namespace pelvo
