#include "client/board/BoardAccessible.h"

// own
#include "client/board/BoardWidgets.h"

// Qt
#include <QAccessibleWidget>
#include <QMetaObject>

namespace pelvo::board {

namespace {

class PictureAccessible : public QAccessibleWidget {
public:
    explicit PictureAccessible(QWidget* w)
        : QAccessibleWidget(w, QAccessible::Role(w->property(roleProperty).toInt())) {}

    QAccessible::Role role() const override {
        const QVariant role = widget()->property(roleProperty);
        return role.isValid() ? QAccessible::Role(role.toInt()) : QAccessible::Graphic;
    }
    QStringList actionNames() const override {
        QStringList names = QAccessibleWidget::actionNames();
        if (widget()->property(pressProperty).toBool()) names.prepend(pressAction());
        return names;
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && widget()->property(pressProperty).toBool()) {
            QMetaObject::invokeMethod(widget(), "clicked", Qt::QueuedConnection);
            return;
        }
        QAccessibleWidget::doAction(name);
    }
};

class AnnouncementAccessible : public QAccessibleWidget {
public:
    explicit AnnouncementAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::StatusBar) {}
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.invisible = false; // one pixel, but the news must reach the reader
        s.offscreen = false;
        return s;
    }
};

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType()) return nullptr;
    auto* w = static_cast<QWidget*>(object);
    if (className == QLatin1String("pelvo::board::Picture")) return new PictureAccessible(w);
    if (className == QLatin1String("pelvo::board::AnnouncementLine"))
        return new AnnouncementAccessible(w);
    return nullptr;
}

} // namespace

void installBoardAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace pelvo::board
