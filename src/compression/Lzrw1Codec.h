#pragma once
// The LZRW1/KH block coder and the "WRZL" container, in memory. No files, no Qt: Tlzrw1 wraps
// this for files, and tests, the fuzzer and the benchmark call it directly.
//
// Container: "WRZL", the uncompressed length (4 bytes, little-endian), then blocks of
// [body length: 2 bytes little-endian][body]. Every block holds 32768 uncompressed bytes except
// the last, which holds fewer (0 when the length is a multiple of 32768).
//
// Body: 0x80 + the bytes unchanged (stored), or 0x40 + items under 16-bit big-endian control
// words (bit 1 = copy item, most significant bit first). A copy item is a match, 2 bytes
// (distance << 4 | length - 3), or, when its first 12 bits are 0, a run, 4 bytes
// (0x00, count - 16 big-endian, byte).

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace pelvo::lzrw1 {

inline constexpr std::size_t BlockSize = 32768;
// Room a block buffer needs: a block plus spare bytes that the coders may run over by.
inline constexpr std::size_t BufferSize = BlockSize + 32;
// The longest body a block can have: a stored full block.
inline constexpr std::size_t MaxBodySize = BlockSize + 1;
inline constexpr std::size_t HashSize = 4096;

inline constexpr std::uint8_t FlagCompressed = 0x40;
inline constexpr std::uint8_t FlagStored = 0x80;
inline constexpr std::uint8_t Signature[4] = {0x57, 0x52, 0x5A, 0x4C};
inline constexpr std::size_t HeaderSize = 8;

// Compresses in (at most BlockSize bytes) into out, which must hold BufferSize bytes; `table`
// is scratch of HashSize entries (reset here). Returns the body length.
std::size_t compressBlock(std::span<const std::uint8_t> in, std::uint8_t* out, std::int16_t* table);

// Two independent blocks at once, same bytes as two compressBlock calls but faster: the
// blocks' work interleaves. Returns both body lengths.
std::pair<std::size_t, std::size_t> compressBlocks(std::span<const std::uint8_t> first,
                                                   std::uint8_t* firstOut, std::int16_t* firstTable,
                                                   std::span<const std::uint8_t> second,
                                                   std::uint8_t* secondOut,
                                                   std::int16_t* secondTable);

// Decodes one body into out, which must hold BufferSize bytes. Returns the number of bytes
// produced, or nothing when the body is malformed (a reference before the block's start, more
// than BlockSize bytes, an item running past the body).
std::optional<std::size_t> decompressBlock(std::span<const std::uint8_t> body, std::uint8_t* out);

// Whole container in memory. `name` stands in for the file name in error texts.
std::vector<std::uint8_t> compress(std::span<const std::uint8_t> data);
std::vector<std::uint8_t> decompress(std::span<const std::uint8_t> data,
                                     const std::string& name = "<memory>");

} // namespace pelvo::lzrw1
