#include "hub/JoinCodes.h"

// Qt
#include <QByteArray>
#include <QRandomGenerator>

namespace pelvo::hub {

std::optional<QString> normaliseCode(const QString& text) {
    if (text.size() != CodeLength) return std::nullopt;
    QString code = text.toUpper();
    for (const QChar c : code)
        if (c.unicode() > 0x7F ||
            !std::char_traits<char>::find(CodeAlphabet, 32, char(c.unicode())))
            return std::nullopt;
    return code;
}

QString newCode() {
    QString code;
    for (int i = 0; i < CodeLength; ++i)
        code += QLatin1Char(CodeAlphabet[QRandomGenerator::system()->bounded(32)]);
    return code;
}

QString randomToken(int bytes) {
    QByteArray raw(bytes, Qt::Uninitialized);
    for (char& b : raw) b = char(QRandomGenerator::system()->bounded(256));
    return QString::fromLatin1(
        raw.toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals));
}

} // namespace pelvo::hub
