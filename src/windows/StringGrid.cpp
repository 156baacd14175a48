#include "windows/StringGrid.h"

#include "protocol/WireText.h"

#include <QByteArrayView>

#include <algorithm>

namespace pelvo {

namespace {
// A tally file with more columns than this is not one of ours.
constexpr int MaxFileCols = 256;
} // namespace

StringGrid::StringGrid() : cells_(ColCount) {}

void StringGrid::setRowCount(int rows) {
    rows_ = std::clamp(rows, 1, MaxRows);
    cells_.resize(std::size_t(rows_) * ColCount);
}

QString StringGrid::cell(int col, int row) const {
    if (col < 0 || col >= ColCount || row < 0 || row >= rows_) return QString();
    return cells_[std::size_t(row) * ColCount + col];
}

void StringGrid::setCell(int col, int row, const QString& text) {
    if (col < 0 || col >= ColCount || row < 0 || row >= rows_) return;
    // A cell is one line of the file: a line break in a name from the wire would shift every
    // cell after it.
    QString line = text;
    for (QChar& c : line)
        if (c == u'\r' || c == u'\n') c = u' ';
    cells_[std::size_t(row) * ColCount + col] = line;
}

QByteArray StringGrid::toText() const {
    static const QByteArray eol("\r\n");
    QByteArray text = QByteArray::number(ColCount) + eol + QByteArray::number(rows_) + eol;
    for (int col = 0; col < ColCount; ++col)
        for (int row = 0; row < rows_; ++row) text += encodeWire(cell(col, row)) + eol;
    return text;
}

std::optional<StringGrid> StringGrid::fromText(const QByteArray& text) {
    qsizetype pos = 0;
    auto nextLine = [&](QByteArrayView& line) {
        if (pos >= text.size()) return false;
        qsizetype end = text.indexOf('\n', pos);
        if (end < 0) end = text.size();
        line = QByteArrayView(text).sliced(pos, end - pos);
        if (line.endsWith('\r')) line.chop(1);
        pos = end + 1;
        return true;
    };
    auto count = [&](int max) -> int {
        QByteArrayView line;
        if (!nextLine(line)) return 0;
        bool ok = false;
        const int n = line.toByteArray().trimmed().toInt(&ok);
        return ok && n >= 1 && n <= max ? n : 0;
    };

    const int cols = count(MaxFileCols);
    const int rows = cols ? count(MaxRows) : 0;
    if (!rows) return std::nullopt;
    StringGrid grid;
    grid.setRowCount(rows);
    QByteArrayView line;
    for (int col = 0; col < cols; ++col)
        for (int row = 0; row < rows; ++row) {
            if (!nextLine(line)) return grid;
            if (col < ColCount) grid.setCell(col, row, decodeWire(line.toByteArray()));
        }
    return grid;
}

} // namespace pelvo
