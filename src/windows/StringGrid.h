#pragma once
// The tally's cells and their text form, apart from the window so that the text reader can be
// built and exercised on its own.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

namespace pelvo {

// A grid of text cells with a fixed 9 columns. Row 0 holds this player's totals, row n >= 1
// the n-th followed opponent: name, then games together, his wins, my wins, neither won (all
// time), and the same four for this session.
class StringGrid {
public:
    static constexpr int ColCount = 9;
    // More followed opponents than anyone plays against; it bounds what a tally file can ask.
    static constexpr int MaxRows = 10000;
    // The largest grid text read back: MaxRows full rows of long names fit many times over.
    static constexpr qint64 MaxTextBytes = 16 * 1024 * 1024;

    StringGrid();

    int rowCount() const { return rows_; }
    // Kept within 1..MaxRows; new cells are empty.
    void setRowCount(int rows);
    // Empty outside the grid.
    QString cell(int col, int row) const;
    // Ignored outside the grid.
    void setCell(int col, int row, const QString& text);

    // The grid text: the column count, the row count, then every cell, column by column, each
    // on its own line ending in CR LF. UTF-8.
    QByteArray toText() const;
    // Reads a grid text. Nothing when the counts are missing, not numbers or out of range.
    // Missing cells are empty; columns past the ninth are skipped.
    static std::optional<StringGrid> fromText(const QByteArray& text);

    bool operator==(const StringGrid&) const = default;

private:
    int rows_ = 1;
    std::vector<QString> cells_; // row by row, ColCount per row
};

} // namespace pelvo
