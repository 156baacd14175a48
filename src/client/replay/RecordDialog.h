#pragma once
// File › Open Game Record…: a file dialog on the folder of game records, wide enough that every
// record's name there reads whole (they hold the date and all four names).

class QFileDialog;
class QString;
class QWidget;

namespace pelvo {

QFileDialog* newRecordDialog(QWidget* parent, const QString& folder);

} // namespace pelvo
