#pragma once
// The about window: version and the maker's web address. Its `version` label is also the
// version the client sends when it logs in.

#include "windows/SideWindow.h"

#include <functional>

class QLabel;
class QUrl;

namespace pelvo {

class Tabout : public SideWindow {
    Q_OBJECT
public:
    // Hands an address to the desktop's browser.
    using UrlOpener = std::function<void(const QUrl&)>;

    explicit Tabout(QWidget* parent = nullptr);

    // Caption of the `version` label.
    QString versionText() const;
    // Address of the maker's web site without its scheme.
    static QString siteAddress();
    // The address the link opener holds (`URL1`), without its scheme.
    QString URL1() const { return url1_; }
    // Opens "http://" + URL1 in the desktop's browser (the logos and the address line).
    void label_urlClick();
    // "Done".
    void Button1Click();

    // Replaces the browser call (empty: the desktop's own); returns the previous one.
    UrlOpener setUrlOpener(UrlOpener opener);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString url1_;
    UrlOpener opener_;
    QLabel* version_ = nullptr;
};

} // namespace pelvo
