// libFuzzer target for the tally grid text: any text either reads as a grid or as nothing, and
// a grid read back from its own text is the same grid.

#include "windows/StringGrid.h"

#include <cstdlib>

using namespace pelvo;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<StringGrid> grid = StringGrid::fromText(text);
    if (!grid) return 0;
    if (grid->rowCount() < 1 || grid->rowCount() > StringGrid::MaxRows) std::abort();
    const QByteArray again = grid->toText();
    const std::optional<StringGrid> back = StringGrid::fromText(again);
    if (!back || !(*back == *grid) || back->toText() != again) std::abort();
    return 0;
}
