#include "protocol/WireText.h"

#include <QStringDecoder>

namespace pelvo {

QByteArray encodeWire(const QString& text) {
    return text.toUtf8();
}

QString decodeWire(const QByteArray& bytes) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (utf8.hasError()) return QString::fromLatin1(bytes);
    return text;
}

} // namespace pelvo
