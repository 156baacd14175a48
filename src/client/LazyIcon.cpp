#include "client/LazyIcon.h"

#include <QIconEngine>
#include <QPainter>

#include <memory>

namespace pelvo {

namespace {

// Copies of the icon share one result, so it is made once however often the icon is copied.
struct Made {
    std::function<QIcon()> make;
    QIcon icon;
    bool done = false;
    const QIcon& get() {
        if (!done) {
            done = true;
            icon = make();
            make = nullptr;
        }
        return icon;
    }
};

class LazyIconEngine : public QIconEngine {
public:
    explicit LazyIconEngine(std::shared_ptr<Made> made) : made_(std::move(made)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State state) override {
        made_->get().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    // The icon asks its engine for `size` in device pixels; these pass the same request on to
    // the made icon's engine (its pixmap() at ratio 1, or at `scale` for size / scale).
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return made_->get().pixmap(size, 1.0, mode, state);
    }
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state,
                         qreal scale) override {
        if (!(scale > 1.0)) return pixmap(size, mode, state);
        return made_->get().pixmap(size / scale, scale, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override {
        return made_->get().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override {
        return made_->get().availableSizes(mode, state);
    }
    bool isNull() override { return made_->get().isNull(); }
    QIconEngine* clone() const override { return new LazyIconEngine(made_); }
    QString key() const override { return QStringLiteral("pelvo.lazy"); }

private:
    std::shared_ptr<Made> made_;
};

} // namespace

QIcon lazyIcon(std::function<QIcon()> make) {
    auto made = std::make_shared<Made>();
    made->make = std::move(make);
    return QIcon(new LazyIconEngine(std::move(made)));
}

} // namespace pelvo
