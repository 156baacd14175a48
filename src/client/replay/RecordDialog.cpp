#include "client/replay/RecordDialog.h"

// own
#include "protocol/GameRecord.h"

// Qt
#include <QDir>
#include <QFileDialog>
#include <QFontMetrics>
#include <QHeaderView>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QTreeView>

// std
#include <algorithm>

namespace pelvo {

namespace {
// Widens the list's name column (and the dialog with it) to the longest record name, as far as
// the screen allows. Only the toolkit's own dialog has the list; a desktop's dialog sizes itself.
void fitNames(QFileDialog& dialog, const QString& folder) {
    auto* view = dialog.findChild<QTreeView*>("treeView");
    if (!view) return;
    const QFontMetrics metrics(view->font());
    int widest = 0;
    for (const QString& name :
         QDir(folder).entryList({QStringLiteral("*") + QLatin1String(record::suffix)}, QDir::Files))
        widest = std::max(widest, metrics.horizontalAdvance(name));
    if (widest == 0) return;
    const int icon = view->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, view);
    const int wanted = widest + icon +
                       4 * view->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) +
                       metrics.averageCharWidth() * 3;
    QHeaderView* header = view->header();
    // (The toolkit may have restored a wider column from an earlier use.)
    if (wanted > header->sectionSize(0)) header->resizeSection(0, wanted);
    // Then as wide as the list's columns need, once the dialog is laid out on the screen.
    QTimer::singleShot(0, &dialog, [&dialog, view, header] {
        int width = dialog.width() + std::max(0, header->length() - view->viewport()->width() + 2);
        if (const QScreen* screen = dialog.screen())
            width = std::min(width, screen->availableGeometry().width() * 9 / 10);
        if (width > dialog.width()) dialog.resize(width, dialog.height());
    });
}
} // namespace

QFileDialog* newRecordDialog(QWidget* parent, const QString& folder) {
    auto* dialog = new QFileDialog(
        parent, QStringLiteral("Open Game Record"), folder,
        QStringLiteral("Game records (*%1);;All files (*)").arg(QLatin1String(record::suffix)));
    dialog->setFileMode(QFileDialog::ExistingFile);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    fitNames(*dialog, folder);
    return dialog;
}

} // namespace pelvo
