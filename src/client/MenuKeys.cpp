#include "client/MenuKeys.h"

// Qt
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QSet>

namespace pelvo {

namespace {

// The caption with '&' before its best free letter; unchanged when none is free.
QString marked(const QString& caption, QSet<QChar>& used) {
    if (caption.contains(u'&')) {
        const qsizetype at = caption.indexOf(u'&');
        if (at + 1 < caption.size()) used.insert(caption.at(at + 1).toLower());
        return caption;
    }
    const auto tryAt = [&](qsizetype i) {
        const QChar c = caption.at(i).toLower();
        if (!c.isLetterOrNumber() || used.contains(c)) return false;
        used.insert(c);
        return true;
    };
    for (qsizetype i = 0; i < caption.size(); ++i) // word starts first
        if ((i == 0 || caption.at(i - 1).isSpace()) && tryAt(i))
            return caption.left(i) + u'&' + caption.mid(i);
    for (qsizetype i = 0; i < caption.size(); ++i)
        if (tryAt(i)) return caption.left(i) + u'&' + caption.mid(i);
    return caption;
}

void markAll(const QList<QAction*>& actions) {
    QSet<QChar> used;
    for (QAction* a : actions) // marks already chosen by hand are kept first
        if (a->text().contains(u'&')) marked(a->text(), used);
    for (QAction* a : actions) {
        if (a->isSeparator() || a->text().isEmpty()) continue;
        a->setText(marked(a->text(), used));
        if (a->menu()) addAccelerators(a->menu());
    }
}

} // namespace

void addAccelerators(QMenu* menu) {
    markAll(menu->actions());
}

void addAccelerators(QMenuBar* bar) {
    markAll(bar->actions());
}

} // namespace pelvo
