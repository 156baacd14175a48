#include "client/DeferredStyleIcons.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

namespace pelvo {

namespace {

// Stands for a standard icon of `style` and asks the style for it on first use.
class DeferredIconEngine : public QIconEngine {
public:
    DeferredIconEngine(QStyle* style, QStyle::StandardPixmap which)
        : style_(style), which_(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        real().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return real().pixmap(size, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        return real().pixmap(size, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return real().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return real().availableSizes(mode, state);
    }
    bool isNull() override { return real().isNull(); }
    QIconEngine* clone() const override {
        auto* copy = new DeferredIconEngine(style_, which_);
        copy->real_ = real_;
        copy->resolved_ = resolved_;
        return copy;
    }
    QString key() const override { return QStringLiteral("pelvo.deferred"); }

private:
    const QIcon& real() {
        if (!resolved_) {
            resolved_ = true;
            if (style_) real_ = style_->standardIcon(which_);
        }
        return real_;
    }

    QPointer<QStyle> style_;
    QStyle::StandardPixmap which_;
    QIcon real_;
    bool resolved_ = false;
};

} // namespace

DeferredStyleIcons::DeferredStyleIcons() = default;

QIcon DeferredStyleIcons::standardIcon(StandardPixmap icon, const QStyleOption* option,
                                       const QWidget* widget) const {
    const bool rightToLeft =
        (option ? option->direction : QGuiApplication::layoutDirection()) == Qt::RightToLeft;
    if ((icon == SP_ToolBarHorizontalExtensionButton ||
         icon == SP_ToolBarVerticalExtensionButton) &&
        !rightToLeft)
        return QIcon(new DeferredIconEngine(baseStyle(), icon));
    return QProxyStyle::standardIcon(icon, option, widget);
}

} // namespace pelvo
