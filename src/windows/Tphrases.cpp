#include "windows/Tphrases.h"

#include <QStringList>

namespace pelvo {

// Placeholder until the editor is built.
struct Tphrases::Impl {
    QStringList phrases;
};

Tphrases::Tphrases(QWidget* parent) : QDialog(parent), d(new Impl) {
    setWindowTitle("Pelvo - Phrase Buttons ");
}
Tphrases::~Tphrases() { delete d; }
void Tphrases::edit(const QStringList& phrases) {
    d->phrases = phrases;
    show();
}
QStringList Tphrases::phrases() const { return d->phrases; }

} // namespace pelvo
