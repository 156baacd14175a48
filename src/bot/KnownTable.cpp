#include "bot/KnownTable.h"

namespace pelvo {

Table knownTable(const TableModel& t, int myseat) {
    Table known;
    for (int s = 1; s <= TableSeats; ++s) {
        const SeatModel& seen = t.seats[std::size_t(s)];
        Seat& seat = known.seats[std::size_t(s)];
        seat.inGame = seen.playing;
        for (int g = 1; g <= GridSize; ++g) {
            const int picture = seen.cards[std::size_t(g)].picture;
            const bool up = picture > 0 && picture <= Joker;
            seat.cards[std::size_t(g)] = {up ? picture : NoCard, up ? 1 : 0};
        }
    }
    // A card asked to be turned is as good as turned: it is not picked twice.
    if (myseat >= 1 && myseat <= TableSeats)
        for (int g = 1; g <= GridSize; ++g)
            if (t.askedToFlip.test(std::size_t(g)))
                known.seats[std::size_t(myseat)].cards[std::size_t(g)].faceUp = 1;
    if (t.discardPicture > 0 && t.discardPicture <= Joker) {
        known.discardPile[1] = t.discardPicture;
        known.discardCount = 1;
    }
    if (t.drawInHand && t.drawPicture > 0 && t.drawPicture <= Joker) {
        known.drawPile[1] = t.drawPicture;
        known.drawPos = 1;
    }
    known.wentOut = t.wentOut;
    return known;
}

} // namespace pelvo
