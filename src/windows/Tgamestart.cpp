#include "windows/Tgamestart.h"

#include "client/ClientContext.h"

#include <algorithm>

namespace pelvo {

// Placeholder until the dialog is built.
struct Tgamestart::Impl {
    ClientContext& ctx;
    int bot3 = 1, bot4 = 1, rounds = 5;
};

Tgamestart::Tgamestart(ClientContext& ctx, QWidget* parent) : QDialog(parent), d(new Impl{ctx}) {
    setObjectName("gamestart");
    setWindowTitle("Pelvo - Game Start");
}
Tgamestart::~Tgamestart() { delete d; }
void Tgamestart::changebox(const QString& name, int value) {
    (name == "image_bot3" ? d->bot3 : d->bot4) = value;
}
int Tgamestart::boxTag(const QString& name) const { return name == "image_bot3" ? d->bot3 : d->bot4; }
int Tgamestart::rounds() const { return d->rounds; }
void Tgamestart::setRounds(int position) { d->rounds = std::clamp(position, 3, 9); }
void Tgamestart::button_startClick() {}

} // namespace pelvo
