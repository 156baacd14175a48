// The computer players at the host: the decisions of ComputerRules, made with the table's own
// generator and sent through the same request checks as people's moves.
#include "host/Engine.h"

// std
#include <exception>
#include <utility>

namespace pelvo {

bool Engine::submit(int seat, const ComputerMove& move) {
    // As the move's request handler is called for a line from the wire once its fields are
    // read, without the queue and without binding to a connection.
    const int outerFrom = std::exchange(from_, Computer);
    const bool outerAccepted = std::exchange(accepted_, false);
    try {
        switch (move.kind) {
        case ComputerMove::None:
            break;
        case ComputerMove::Flip:
            requestFlipcard(seat, move.position);
            break;
        case ComputerMove::DrawCard:
            requestDrawcard(seat);
            break;
        case ComputerMove::ReplaceDiscard:
            requestReplacediscard(seat, move.position);
            break;
        case ComputerMove::ReplaceDraw:
            requestReplacedraw(seat, move.position);
            break;
        case ComputerMove::DiscardDrawn:
            requestDiscarddrawn(seat);
            break;
        }
    } catch (const std::exception&) {
        accepted_ = false;
    }
    from_ = outerFrom;
    return std::exchange(accepted_, outerAccepted);
}

bool Engine::computerflipcards(int seat) {
    // The same rule as for its turns: a connection that has not logged in plays nothing.
    if (!table.computerPlays(seat) || table.seats[seat].flipsLeft < 1) return false;
    return submit(seat, chooseFlip(levelOf(seat), table, seat, bots_));
}

void Engine::computerplay(int seat) {
    submit(seat, choosePlay(levelOf(seat), table, seat, bots_, &seen_));
}

void Engine::computerdrew(int seat) {
    submit(seat, chooseAfterDraw(levelOf(seat), table, seat, bots_, &seen_));
}

int Engine::computermatch(int seat, int value) const {
    return computer::computermatch(table, seat, value);
}

int Engine::computergethighest(int seat) const {
    return computer::computergethighest(table, seat);
}

bool Engine::computervertcomplete(int seat, int position) const {
    return computer::computervertcomplete(table, seat, position);
}

bool Engine::computershouldplace(int seat, int position, bool firm, int value) const {
    return computer::computershouldplace(table, seat, position, firm, value);
}

int Engine::computergetscores(int seat) const {
    return computer::computergetscores(table, seat);
}

} // namespace pelvo
