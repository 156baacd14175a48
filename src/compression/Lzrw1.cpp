#include "compression/Lzrw1.h"

#include "compression/Lzrw1Codec.h"
#include "compression/Lzrw1Stream.h"

#include <cstdio>
#include <limits>
#include <new>
#include <string>
#include <system_error>

namespace pelvo {

namespace fs = std::filesystem;

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Owns the output file until the operation succeeds; otherwise closes and deletes it.
class PendingOutput {
public:
    PendingOutput(const fs::path& path, std::string name) : path_(path), name_(std::move(name)) {
        file_ = std::fopen(path.c_str(), "wb");
        if (file_ == nullptr) throw ELzrw1Exception(lzrw1::text::openOutput(name_));
    }
    ~PendingOutput() {
        if (file_ != nullptr) {
            std::fclose(file_);
            std::error_code ec;
            fs::remove(path_, ec);
        }
    }
    PendingOutput(const PendingOutput&) = delete;
    PendingOutput& operator=(const PendingOutput&) = delete;

    void write(const std::uint8_t* src, std::size_t n) {
        if (n > 0 && std::fwrite(src, 1, n, file_) != n)
            throw ELzrw1Exception(lzrw1::text::writeError(name_));
    }
    // Closing flushes the last bytes, so a full disk shows up here.
    void commit() {
        std::FILE* f = file_;
        file_ = nullptr;
        if (std::fclose(f) != 0) {
            std::error_code ec;
            fs::remove(path_, ec);
            throw ELzrw1Exception(lzrw1::text::writeError(name_));
        }
    }

private:
    fs::path path_;
    std::string name_;
    std::FILE* file_ = nullptr;
};

File openInput(const fs::path& path, const std::string& name) {
    File f(std::fopen(path.c_str(), "rb"));
    if (!f) throw ELzrw1Exception(lzrw1::text::openInput(name));
    return f;
}

// Writing over the input would destroy it, and deleting a failed output would delete it.
void refuseSameFile(const fs::path& in, const fs::path& out, const std::string& outName) {
    std::error_code ec;
    if (fs::equivalent(in, out, ec)) throw ELzrw1Exception(lzrw1::text::openOutput(outName));
}

} // namespace

Tlzrw1::Tlzrw1() : table_(new (std::nothrow) std::int16_t[lzrw1::HashSize]) {
    if (!table_) throw ELzrw1Exception(lzrw1::text::noHashTable());
}

Tlzrw1::~Tlzrw1() = default;

std::uint64_t Tlzrw1::Compress() {
    if (CompressMode != Mode::Fast) throw ELzrw1Exception(lzrw1::text::modeUnavailable());
    const std::string inName = InputFile.string();
    const std::string outName = OutputFile.string();

    std::error_code ec;
    const std::uintmax_t size = fs::file_size(InputFile, ec);
    // The container stores the length in 4 bytes.
    if (ec || size > std::numeric_limits<std::uint32_t>::max())
        throw ELzrw1Exception(lzrw1::text::noSize(inName));
    File in = openInput(InputFile, inName);
    refuseSameFile(InputFile, OutputFile, outName);
    PendingOutput out(OutputFile, outName);

    auto read = [&](std::uint8_t* dst, std::size_t n) {
        const std::size_t got = std::fread(dst, 1, n, in.get());
        if (got < n && std::ferror(in.get()))
            throw ELzrw1Exception(lzrw1::text::readErrorCompressing(inName));
        return got;
    };
    auto write = [&](const std::uint8_t* src, std::size_t n) { out.write(src, n); };
    try {
        const std::uint64_t written = lzrw1::encodeStream(size, read, write, table_.get(), inName);
        out.commit();
        return written;
    } catch (const std::bad_alloc&) {
        throw ELzrw1Exception(lzrw1::text::noBuffers());
    }
}

std::uint64_t Tlzrw1::Decompress() {
    const std::string inName = InputFile.string();
    const std::string outName = OutputFile.string();

    File in = openInput(InputFile, inName);
    refuseSameFile(InputFile, OutputFile, outName);
    PendingOutput out(OutputFile, outName);

    // A failing read looks like a short one: the format decides that it is an error.
    auto read = [&](std::uint8_t* dst, std::size_t n) { return std::fread(dst, 1, n, in.get()); };
    auto write = [&](const std::uint8_t* src, std::size_t n) { out.write(src, n); };
    try {
        const std::uint64_t written = lzrw1::decodeStream(read, write, inName);
        out.commit();
        return written;
    } catch (const std::bad_alloc&) {
        throw ELzrw1Exception(lzrw1::text::noBuffers());
    }
}

} // namespace pelvo
