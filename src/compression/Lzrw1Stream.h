#pragma once
// The container loop over any byte source and sink, shared by files and memory.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace pelvo::lzrw1 {

// Reads up to n bytes into dst and returns how many it got; fewer than n means the end.
// Throws ELzrw1Exception itself when the source fails.
using ReadFn = std::function<std::size_t(std::uint8_t* dst, std::size_t n)>;
// Writes all n bytes or throws ELzrw1Exception.
using WriteFn = std::function<void(const std::uint8_t* src, std::size_t n)>;

// Compresses `length` bytes from read into the container. `table` is HashSize entries of
// scratch. Returns the number of bytes written.
std::uint64_t encodeStream(std::uint64_t length, const ReadFn& read, const WriteFn& write,
                           std::int16_t* table, const std::string& inName);

// Decodes a container from read. Returns the number of bytes written.
std::uint64_t decodeStream(const ReadFn& read, const WriteFn& write, const std::string& inName);

} // namespace pelvo::lzrw1
