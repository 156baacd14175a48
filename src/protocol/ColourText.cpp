#include "protocol/ColourText.h"

#include <array>
#include <limits>

namespace pelvo {

namespace {

struct NamedColour {
    const char* name;
    quint32 value;
};

constexpr std::array<NamedColour, 16> standardColours{{
    {"clBlack", 0x000000},
    {"clMaroon", 0x000080},
    {"clGreen", 0x008000},
    {"clOlive", 0x008080},
    {"clNavy", 0x800000},
    {"clPurple", 0x800080},
    {"clTeal", 0x808000},
    {"clGray", 0x808080},
    {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF},
    {"clLime", 0x00FF00},
    {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000},
    {"clFuchsia", 0xFF00FF},
    {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
}};

// In the order of their index above systemColourBase.
constexpr std::array<const char*, 25> systemColourNames{
    "clScrollBar",    "clBackground",  "clActiveCaption", "clInactiveCaption",
    "clMenu",         "clWindow",      "clWindowFrame",   "clMenuText",
    "clWindowText",   "clCaptionText", "clActiveBorder",  "clInactiveBorder",
    "clAppWorkSpace", "clHighlight",   "clHighlightText", "clBtnFace",
    "clBtnShadow",    "clGrayText",    "clBtnText",       "clInactiveCaptionText",
    "clBtnHighlight", "cl3DDkShadow",  "cl3DLight",       "clInfoText",
    "clInfoBk"};

std::optional<quint32> parseHex(QStringView digits) {
    if (digits.isEmpty() || digits.size() > 8) return std::nullopt;
    quint32 value = 0;
    for (QChar c : digits) {
        int v;
        if (c >= u'0' && c <= u'9')
            v = c.unicode() - u'0';
        else if (c >= u'A' && c <= u'F')
            v = c.unicode() - u'A' + 10;
        else if (c >= u'a' && c <= u'f')
            v = c.unicode() - u'a' + 10;
        else
            return std::nullopt;
        value = value << 4 | quint32(v);
    }
    return value;
}

std::optional<quint32> parseDecimal(QStringView text) {
    qsizetype i = 0;
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        i = 1;
    }
    if (i == text.size()) return std::nullopt;
    qint64 value = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c < u'0' || c > u'9') return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
        if (value > qint64(std::numeric_limits<qint32>::max()) + 1) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > std::numeric_limits<qint32>::max()) return std::nullopt;
    // Negative numbers are the same 32 bits read as unsigned.
    return quint32(qint32(value));
}

} // namespace

QString colourToText(quint32 colour) {
    for (const auto& c : standardColours)
        if (c.value == colour) return QString::fromLatin1(c.name);
    if (colour >= systemColourBase && colour - systemColourBase < systemColourNames.size())
        return QString::fromLatin1(systemColourNames[colour - systemColourBase]);
    return QStringLiteral("$%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<quint32> textToColour(const QString& text) {
    for (const auto& c : standardColours)
        if (text.compare(QLatin1String(c.name), Qt::CaseInsensitive) == 0) return c.value;
    for (std::size_t i = 0; i < systemColourNames.size(); ++i)
        if (text.compare(QLatin1String(systemColourNames[i]), Qt::CaseInsensitive) == 0)
            return systemColourBase + quint32(i);
    if (text.startsWith(u'$')) return parseHex(QStringView(text).mid(1));
    return parseDecimal(text);
}

} // namespace pelvo
