#include "host/EventLog.h"

namespace pelvo {

QString quoteLogValue(QStringView text) {
    QString out;
    out.reserve(text.size() + 2);
    out += u'"';
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '"':
            out += QLatin1String("\\\"");
            break;
        case '\\':
            out += QLatin1String("\\\\");
            break;
        case '\n':
            out += QLatin1String("\\n");
            break;
        case '\r':
            out += QLatin1String("\\r");
            break;
        case '\t':
            out += QLatin1String("\\t");
            break;
        default:
            // Other control characters (C0, DEL, C1 and the line and paragraph separators)
            // could break the line or a terminal; they are written as numbers.
            if (c.unicode() < 0x20 || c.unicode() == 0x7F ||
                (c.unicode() >= 0x80 && c.unicode() < 0xA0) || c.unicode() == 0x2028 ||
                c.unicode() == 0x2029)
                out += c.unicode() <= 0xFF
                           ? QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'))
                           : QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
            else
                out += c;
        }
    }
    out += u'"';
    return out;
}

QString eventLine(QStringView program, const char* event, std::initializer_list<LogField> fields) {
    QString line = program.toString() + QLatin1String(" event=") + QLatin1String(event);
    for (const LogField& f : fields) {
        line += u' ';
        line += QLatin1String(f.key);
        line += u'=';
        line += f.quoted || f.value.isEmpty() ? quoteLogValue(f.value) : f.value;
    }
    return line;
}

} // namespace pelvo
