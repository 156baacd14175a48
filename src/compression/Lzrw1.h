#pragma once
// Tlzrw1: compresses one whole file into another and back with the LZRW1/KH method
// (the "WRZL" container; see Lzrw1Codec.h). Plain C++, used by the tally window.

#include "compression/ELzrw1Exception.h"

#include <cstdint>
#include <filesystem>
#include <memory>

namespace pelvo {

class Tlzrw1 {
public:
    enum class Mode { Good, Fast, Auto };
    static constexpr Mode Good = Mode::Good;
    static constexpr Mode Fast = Mode::Fast;
    static constexpr Mode Auto = Mode::Auto;

    // Throws ELzrw1Exception when the hash table cannot be allocated.
    Tlzrw1();
    ~Tlzrw1();
    Tlzrw1(const Tlzrw1&) = delete;
    Tlzrw1& operator=(const Tlzrw1&) = delete;

    std::filesystem::path InputFile;
    std::filesystem::path OutputFile;
    // Only Fast is built; Compress refuses Good and Auto with an ELzrw1Exception.
    Mode CompressMode = Mode::Good;
    // Kept for the component's settings; streams, the Auto threshold and the progress caption
    // are not built, so these change nothing.
    bool UseStream = false;
    int Threshold = 40;
    bool Visible = false;

    // Compresses InputFile into OutputFile (created or replaced). Returns the bytes written.
    // On failure throws ELzrw1Exception and leaves no output file.
    std::uint64_t Compress();
    // Decompresses InputFile into OutputFile. Returns the bytes written. On failure
    // (including a malformed file) throws ELzrw1Exception and leaves no output file.
    std::uint64_t Decompress();

private:
    std::unique_ptr<std::int16_t[]> table_;
};

} // namespace pelvo
