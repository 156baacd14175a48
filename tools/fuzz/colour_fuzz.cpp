// libFuzzer target for colour text: whatever reads as a colour must write as a text that reads
// back as the same colour, every colour value writes as readable text, and decimal text agrees
// with a plain reference reading.

#include "FuzzInput.h"

#include "protocol/ColourText.h"

#include <cstdlib>
#include <string>

using namespace pelvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    if (const std::optional<quint32> colour = textToColour(text)) {
        if (textToColour(colourToText(*colour)) != colour) std::abort();
        // Decimal text: compare with a reading through long long.
        const std::string s = text.toStdString();
        if (!s.empty() && s[0] != '$' && s.find_first_not_of("+-0123456789") == std::string::npos) {
            const long long v = std::stoll(s);
            if (v < -2147483648LL || v > 2147483647LL || quint32(qint32(v)) != *colour)
                std::abort();
        }
    }
    fuzz::Input in(data, size);
    const quint32 value = in.word();
    if (textToColour(colourToText(value)) != value) std::abort();
    return 0;
}
