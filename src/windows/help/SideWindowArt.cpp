#include "windows/help/SideWindowArt.h"

// Qt
#include <QColor>
#include <QPainter>
#include <QRadialGradient>
#include <QRect>

// Resources of a static library must be registered by hand, outside any namespace.
static void registerSideWindowResources() {
    Q_INIT_RESOURCE(sidewindows);
}

namespace pelvo::sidewindows {

void initResources() {
    static const bool done = (registerSideWindowResources(), true);
    Q_UNUSED(done);
}

void paintFelt(QPainter& painter, const QRect& area) {
    const QColor felt(140, 158, 83);
    QRadialGradient g(QPointF(area.center().x(), area.top() + area.height() / 2.5), area.width());
    g.setColorAt(0, felt.lighter(112));
    g.setColorAt(1, felt.darker(112));
    painter.fillRect(area, g);
}

} // namespace pelvo::sidewindows
