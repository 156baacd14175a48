#pragma once
// Text on the wire is UTF-8: ASCII stays byte-identical and UTF-8 never contains 0xFF, so no
// field can cut a frame. A frame that is not valid UTF-8 comes from a single-byte peer and is
// read as Latin-1 so its accents still show.

#include <QByteArray>
#include <QString>

namespace pelvo {

QByteArray encodeWire(const QString& text);
QString decodeWire(const QByteArray& bytes);

} // namespace pelvo
