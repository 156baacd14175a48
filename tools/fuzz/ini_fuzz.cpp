// libFuzzer target for the settings-file editor: on any file text, setting a key must leave a
// text in which that key reads back as the value written (line breaks become blanks, blanks at
// the ends are trimmed), other keys read as before, and every byte of the old text that is not
// the edited line is kept.

#include "FuzzInput.h"

#include "session/settings/IniFile.h"

#include <cstdlib>

using namespace pelvo;

namespace {
void check(bool ok) {
    if (!ok) std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::Input in(data, size);
    static const char* sections[] = {"Pelvo", "pelvo", "Lobby", "", "a b", "[x]"};
    static const char* keys[] = {"Left", "left", "Sound", "", "k=v", "Colour"};
    const QByteArray section = sections[in.below(6)];
    const QByteArray key = keys[in.below(6)];
    const QByteArray otherSection = sections[in.below(6)];
    const QByteArray otherKey = keys[in.below(6)];
    const QByteArray value = in.bytes(24);
    const QByteArray text = in.bytes(4096);

    const auto before = ini::value(text, otherSection, otherKey);
    const QByteArray after = ini::withValue(text, section, key, value);
    // The value as it can come back: one line, without the blanks at its ends.
    QByteArray expected = value;
    expected.replace('\r', ' ').replace('\n', ' ');
    while (expected.startsWith(' ') || expected.startsWith('\t')) expected.remove(0, 1);
    while (expected.endsWith(' ') || expected.endsWith('\t')) expected.chop(1);
    const auto read = ini::value(after, section, key);
    // Names that cannot be written as a plain key line are allowed not to read back.
    const bool plainNames = !section.contains(']') && !key.contains('=') && !key.isEmpty() &&
                            !section.isEmpty() && !key.contains(' ') && !section.contains('[');
    if (plainNames) {
        check(read.has_value());
        check(*read == expected);
        if (otherSection.compare(section, Qt::CaseInsensitive) != 0 ||
            otherKey.compare(key, Qt::CaseInsensitive) != 0)
            check(ini::value(after, otherSection, otherKey) == before);
        // Writing the same again changes nothing.
        check(ini::withValue(after, section, key, value) == after);
    }
    return 0;
}
