#include "protocol/LogText.h"

namespace pelvo {

namespace {
bool escapedAsNumber(QChar c) {
    const char16_t u = c.unicode();
    return u < 0x20 || u == 0x7F || (u >= 0x80 && u < 0xA0) || u == 0x2028 || u == 0x2029 ||
           c.category() == QChar::Other_Format;
}

QString escaped(QStringView text, bool quotes) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (!quotes && (c == u'"' || c == u'\\')) {
            out += c;
            continue;
        }
        // Quote, backslash, newline, return and tab: a backslash and a letter.
        const qsizetype letter = QStringView(u"\"\\\n\r\t").indexOf(c);
        if (letter >= 0) {
            out += u'\\';
            out += QLatin1Char("\"\\nrt"[letter]);
        } else if (!escapedAsNumber(c)) {
            out += c;
        } else if (c.unicode() <= 0xFF) {
            out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        } else {
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        }
    }
    return out;
}
} // namespace

QString logEscaped(QStringView text) {
    return escaped(text, true);
}

QString logSafe(const char* text) {
    return escaped(QString::fromUtf8(text ? text : ""), false);
}

QString logSafe(QStringView text) {
    return escaped(text, false);
}

} // namespace pelvo
