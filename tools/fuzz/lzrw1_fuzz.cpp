// libFuzzer target for the tally file coder: arbitrary bytes as a container and as a block
// body must fail cleanly or decode inside their buffers, and any input must round-trip.
// Built by run-fuzz.sh with clang; not part of the CMake build.

#include "compression/ELzrw1Exception.h"
#include "compression/Lzrw1Codec.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> input(data, size);

    try {
        (void)pelvo::lzrw1::decompress(input);
    } catch (const pelvo::ELzrw1Exception&) {
    }

    // An exact-size heap buffer, so the sanitizer sees any write past the spare room.
    std::vector<std::uint8_t> out(pelvo::lzrw1::BufferSize);
    const auto produced = pelvo::lzrw1::decompressBlock(input, out.data());
    if (produced && *produced > pelvo::lzrw1::BlockSize) std::abort();

    const std::vector<std::uint8_t> packed = pelvo::lzrw1::compress(input);
    if (pelvo::lzrw1::decompress(packed) != std::vector<std::uint8_t>(data, data + size))
        std::abort();
    return 0;
}
