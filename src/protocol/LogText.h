#pragma once
// Text from players on its way to an operator's log or stderr: one line, whatever it holds.
// Backslash escapes for \" \\ \n \r \t, \xHH or \uHHHH for every other control or format
// character (C0, DEL, C1, the line and paragraph separators, direction overrides), so no line
// end, terminal escape or reordering reaches the log.

// Qt
#include <QString>
#include <QStringView>

namespace pelvo {

QString logEscaped(QStringView text);
// A message that may carry such text (an exception's): read as UTF-8, only its control and
// format characters escaped, so text it escaped already reads as it was written.
QString logSafe(const char* text);
QString logSafe(QStringView text);

} // namespace pelvo
