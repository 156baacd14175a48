#pragma once
// The application's style with some standard icons read only when first painted. Every menu bar
// asks the style for its overflow arrow while it is being built; reading that picture file asks
// every image-format plugin whether it knows the format, which loads them all and their
// libraries on the way to the first frame, for an arrow that shows only on a very narrow window.

#include <QProxyStyle>

namespace pelvo {

class DeferredStyleIcons : public QProxyStyle {
public:
    // Wraps the application's default style; the pictures stay the style's own.
    DeferredStyleIcons();

    QIcon standardIcon(StandardPixmap icon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
};

} // namespace pelvo
