// libFuzzer target for the tally file coder: arbitrary bytes as a container and as a block
// body must fail cleanly or decode inside their buffers, any input must round-trip, and
// blocks coded in pairs must match blocks coded alone.
// Built by run-fuzz.sh with clang; not part of the CMake build.

#include "compression/ELzrw1Exception.h"
#include "compression/Lzrw1Codec.h"

#include <algorithm>
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

    // Two blocks coded in lock-step must give the bytes of two single blocks.
    if (size > 0) {
        const std::size_t cut = std::min<std::size_t>(data[0] * 64U, size);
        const auto first = input.first(std::min(cut, pelvo::lzrw1::BlockSize));
        const auto second = input.subspan(cut).first(std::min(size - cut, pelvo::lzrw1::BlockSize));
        std::vector<std::uint8_t> pairA(pelvo::lzrw1::BufferSize), pairB(pelvo::lzrw1::BufferSize);
        std::vector<std::uint8_t> single(pelvo::lzrw1::BufferSize);
        std::int16_t tableA[pelvo::lzrw1::HashSize], tableB[pelvo::lzrw1::HashSize];
        const auto [lengthA, lengthB] =
            pelvo::lzrw1::compressBlocks(first, pairA.data(), tableA, second, pairB.data(), tableB);
        std::size_t length = pelvo::lzrw1::compressBlock(first, single.data(), tableA);
        if (length != lengthA ||
            !std::equal(single.begin(), single.begin() + length, pairA.begin()))
            std::abort();
        length = pelvo::lzrw1::compressBlock(second, single.data(), tableB);
        if (length != lengthB ||
            !std::equal(single.begin(), single.begin() + length, pairB.begin()))
            std::abort();
    }

    const std::vector<std::uint8_t> packed = pelvo::lzrw1::compress(input);
    if (pelvo::lzrw1::decompress(packed) != std::vector<std::uint8_t>(data, data + size))
        std::abort();
    return 0;
}
