#include "client/DeferredStyleIcons.h"

#include "client/LazyIcon.h"

#include <QGuiApplication>
#include <QPointer>
#include <QStyleOption>

namespace pelvo {

DeferredStyleIcons::DeferredStyleIcons() = default;

QIcon DeferredStyleIcons::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                       const QWidget* widget) const {
    const bool rightToLeft =
        (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
    if ((icon == SP_ToolBarHorizontalExtensionButton ||
         icon == SP_ToolBarVerticalExtensionButton) &&
        !rightToLeft) {
        // Asked of the wrapped style when first shown; nothing when that style has gone.
        return lazyIcon([base = QPointer<QStyle>(baseStyle()), icon] {
            return base ? base->standardIcon(icon) : QIcon();
        });
    }
    return QProxyStyle::standardIcon(icon, option, widget);
}

} // namespace pelvo
