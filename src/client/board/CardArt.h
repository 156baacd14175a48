#pragma once
// The board's pictures: 54 cards in two sizes (index 0 the back, 1 to 52 the faces in card code
// order, 53 the joker) and the markers, all painted at the board's scale and the screen's device
// pixel ratio so they stay sharp on large windows and dense screens.

#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>

#include <array>
#include <memory>
#include <utility>
#include <vector>

class QSvgRenderer;

namespace pelvo::board {

enum class CardSize { Large, Small };
inline constexpr QSize largeCardSize{71, 96};
inline constexpr QSize smallCardSize{39, 58};
inline constexpr int cardPictureCount = 54;

class CardArt {
public:
    // The one set of card pictures of the process; built on first use.
    static CardArt& instance();
    // The deck that card faces are drawn from; PELVO_CARD_DECK names another one.
    static QString defaultDeckPath();

    CardArt();
    ~CardArt();

    // Drops every cached picture and takes the faces from `path`, read when the first face is
    // painted (a start shows only backs). When the file is missing or unreadable, one line goes
    // to stderr and plain faces (rank and suit) are painted instead.
    void load(const QString& path);
    bool hasDeck() const;

    // Picture `index` (0 to 53) of the chosen list; an index outside that range gives the back.
    QPixmap card(int index, CardSize size);

    // The size cards are drawn at: 1 is the design size. A change drops every cached picture.
    void setScale(qreal scale);
    qreal scale() const { return scale_; }
    // Diamonds blue and clubs green (hearts stay red, spades black). A change drops the cache.
    void setFourColour(bool on);
    bool fourColour() const { return fourColour_; }
    // Paints every picture of `size` now, rather than when first shown.
    void renderAll(CardSize size);
    // Paints the listed pictures that are not painted yet, together, rather than one by one.
    void prepare(const std::vector<std::pair<int, CardSize>>& pictures);
    // Logical size of a card at the current scale.
    QSize cardSize(CardSize size) const;

    // Element id of a card code in the deck ("1_club", "queen_heart", "red_joker"); empty for 0.
    static QString elementId(int code);

private:
    void release();
    // The cached picture `index` (in range) of `size`; null until painted.
    QPixmap& slot(int index, CardSize size) {
        return (size == CardSize::Large ? large_ : small_)[std::size_t(index)];
    }
    void dropPictures() {
        large_ = {};
        small_ = {};
    }
    QImage render(int index, CardSize size) const;
    // The parsed deck, read from path_ on first use; null when it cannot be read.
    QSvgRenderer* deck() const;

    QString path_;
    qreal scale_ = 1.0;
    bool fourColour_ = false;
    mutable std::unique_ptr<QSvgRenderer> deck_;
    mutable bool deckRead_ = false;
    std::array<QPixmap, cardPictureCount> large_;
    std::array<QPixmap, cardPictureCount> small_;
};

// `size` times `scale`, rounded: what a control of design size `size` measures at that scale.
QSize scaled(QSize size, qreal scale);

// Markers and buttons, painted by code; the sizes are at scale 1.
QPixmap turnMarker(qreal scale = 1.0);       // 111 x 65, a frame round name and score
QPixmap handPointer(qreal scale = 1.0);      // 36 x 26
QPixmap eyesPicture(qreal scale = 1.0);      // 23 x 10
QPixmap penaltyMarker(qreal scale = 1.0);    // 97 x 25
QPixmap notPlayingMarker(qreal scale = 1.0); // 89 x 41
QPixmap startButtonPicture(bool hover, bool down, qreal scale = 1.0); // 122 x 34

} // namespace pelvo::board
