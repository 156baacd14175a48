#include "compression/Lzrw1Codec.h"

#include "compression/ELzrw1Exception.h"
#include "compression/Lzrw1Stream.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cassert>
#include <cstring>
#include <memory>
#include <new>

namespace pelvo::lzrw1 {

namespace {

constexpr std::size_t MinMatch = 3;
constexpr std::size_t MaxMatch = 18;
constexpr std::size_t MaxDistance = 4095;
constexpr std::size_t MinRun = 16;
constexpr std::size_t MaxRun = 4095;

inline std::uint64_t load64(const std::uint8_t* p) {
    std::uint64_t v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void copy8(std::uint8_t* dst, const std::uint8_t* src) {
    std::uint64_t v;
    std::memcpy(&v, src, sizeof v);
    std::memcpy(dst, &v, sizeof v);
}

// Index of the first differing byte of two loaded words; 8 when they are equal.
inline std::size_t firstDifference(std::uint64_t diff) {
    if constexpr (std::endian::native == std::endian::little) {
        return static_cast<std::size_t>(std::countr_zero(diff)) / 8;
    } else {
        return static_cast<std::size_t>(std::countl_zero(diff)) / 8;
    }
}

// How many leading bytes of a and b are equal, at most max. Reads only a[0, max), b[0, max).
inline std::size_t equalLength(const std::uint8_t* a, const std::uint8_t* b, std::size_t max) {
    std::size_t n = 0;
    while (n + 8 <= max) {
        const std::uint64_t diff = load64(a + n) ^ load64(b + n);
        if (diff != 0) return n + firstDifference(diff);
        n += 8;
    }
    while (n < max && a[n] == b[n]) ++n;
    return n;
}

// The hash is part of the format: another hash finds other matches and writes other bytes.
inline unsigned hash3(const std::uint8_t* p) {
    const std::uint32_t v = (((std::uint32_t{p[0]} << 4) ^ p[1]) << 4) ^ p[2];
    return ((40543u * v) >> 4) & (HashSize - 1);
}

// The same hash from a word loaded at the position.
inline unsigned hash3(std::uint64_t w) {
    std::uint32_t v;
    if constexpr (std::endian::native == std::endian::little) {
        v = static_cast<std::uint32_t>(((w & 0xFF) << 8) ^ ((w >> 4) & 0xFF0) ^ ((w >> 16) & 0xFF));
    } else {
        v = static_cast<std::uint32_t>(((w >> 48) & 0xFF00) ^ ((w >> 44) & 0xFF0) ^
                                       ((w >> 40) & 0xFF));
    }
    return ((40543u * v) >> 4) & (HashSize - 1);
}

inline void put16be(std::uint8_t* p, unsigned v) {
    p[0] = static_cast<std::uint8_t>(v >> 8);
    p[1] = static_cast<std::uint8_t>(v);
}

inline void put16le(std::uint8_t* p, std::size_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}

inline void put32le(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// The state of one block being compressed; step() codes one item. Kept as a value type so that
// two blocks can be coded in lock-step: each item waits on its own hash-table and data loads,
// and a second, independent block fills that wait.
class BlockEncoder {
public:
    BlockEncoder(std::span<const std::uint8_t> input, std::uint8_t* out, std::int16_t* table)
        : in_(input.data()), len_(input.size()), out_(out), table_(table) {
        assert(len_ <= BlockSize);
        std::fill_n(table_, HashSize, std::int16_t{-1});
        out_[0] = FlagCompressed;
    }

    // Giving up once the output passes the input keeps incompressible blocks cheap; each
    // step writes at most 6 bytes, well inside the spare room of the buffer.
    bool active() const { return x_ < len_ && op_ <= len_; }

    [[gnu::always_inline]] inline void step() {
        if (items_ == 16) {
            put16be(out_ + ctrlPos_, ctrl_);
            ctrlPos_ = op_;
            op_ += 2;
            ctrl_ = 0;
            items_ = 0;
        }
        ++items_;
        ctrl_ <<= 1;
        const std::size_t left = len_ - x_;

        if (left >= 24) {
            // Far from the end: whole-word loads answer the run test, the hash and most of
            // the match length at once.
            const std::uint64_t w = load64(in_ + x_);
            if (((w ^ (w >> 8)) & 0x00FF'FFFF'FFFF'FFFFULL) == 0 && load64(in_ + x_ + 8) == w)
                return putRun(runLength(left), in_[x_]);
            const unsigned h = hash3(w);
            const int k = table_[h];
            table_[h] = static_cast<std::int16_t>(x_);
            // An empty or too distant entry compares the block's start and is then forced to
            // length 0, which spares a badly predicted branch.
            const bool usable = k >= 0 && x_ - static_cast<std::size_t>(k) <= MaxDistance;
            const std::size_t ref = usable ? static_cast<std::size_t>(k) : 0;
            std::size_t m = usable ? firstDifference(load64(in_ + ref) ^ w) : 0;
            if (m >= MinMatch) {
                if (m == 8) {
                    const std::uint64_t d1 = load64(in_ + ref + 8) ^ load64(in_ + x_ + 8);
                    m = d1 != 0 ? 8 + firstDifference(d1)
                                : 16 + equalLength(in_ + x_ + 16, in_ + ref + 16, MaxMatch - 16);
                }
                return putMatch(ref, m);
            }
            out_[op_++] = in_[x_++];
            return;
        }

        const std::uint8_t c = in_[x_];
        if (left >= MinRun && load64(in_ + x_) == 0x0101010101010101ULL * c &&
            load64(in_ + x_ + 8) == 0x0101010101010101ULL * c)
            return putRun(runLength(left), c);
        // Fewer than three bytes left cannot start a match; hashing them would change nothing.
        if (left >= MinMatch) {
            const unsigned h = hash3(in_ + x_);
            const int k = table_[h];
            table_[h] = static_cast<std::int16_t>(x_);
            if (k >= 0 && x_ - static_cast<std::size_t>(k) <= MaxDistance) {
                const std::size_t m = equalLength(in_ + x_, in_ + k, std::min(MaxMatch, left));
                if (m >= MinMatch) return putMatch(static_cast<std::size_t>(k), m);
            }
        }
        out_[op_++] = c;
        ++x_;
    }

    // Writes the last control word; falls back to a stored body when coding did not pay.
    std::size_t finish() {
        put16be(out_ + ctrlPos_, ctrl_ << (16 - items_));
        if (op_ > len_) {
            out_[0] = FlagStored;
            if (len_ > 0) std::memcpy(out_ + 1, in_, len_);
            return len_ + 1;
        }
        return op_;
    }

private:
    void putMatch(std::size_t k, std::size_t m) {
        put16be(out_ + op_, static_cast<unsigned>(((x_ - k) << 4) | (m - MinMatch)));
        op_ += 2;
        x_ += m;
        ctrl_ |= 1;
    }

    void putRun(std::size_t r, std::uint8_t c) {
        const std::size_t code = r - MinRun;
        out_[op_] = 0;
        out_[op_ + 1] = static_cast<std::uint8_t>(code >> 8);
        out_[op_ + 2] = static_cast<std::uint8_t>(code);
        out_[op_ + 3] = c;
        op_ += 4;
        x_ += r;
        ctrl_ |= 1;
    }

    // Each further byte equal to its predecessor extends a run of at least MinRun bytes.
    std::size_t runLength(std::size_t left) const {
        return MinRun + equalLength(in_ + x_ + MinRun, in_ + x_ + MinRun - 1,
                                    std::min(MaxRun, left) - MinRun);
    }

    const std::uint8_t* in_;
    std::size_t len_;
    std::uint8_t* out_;
    std::int16_t* table_;
    std::size_t ctrlPos_ = 1;
    std::size_t op_ = 3;
    std::size_t x_ = 0;
    unsigned ctrl_ = 0;
    unsigned items_ = 0;
};

} // namespace

std::size_t compressBlock(std::span<const std::uint8_t> input, std::uint8_t* out,
                          std::int16_t* table) {
    BlockEncoder e(input, out, table);
    while (e.active()) e.step();
    return e.finish();
}

std::pair<std::size_t, std::size_t> compressBlocks(std::span<const std::uint8_t> first,
                                                   std::uint8_t* firstOut, std::int16_t* firstTable,
                                                   std::span<const std::uint8_t> second,
                                                   std::uint8_t* secondOut,
                                                   std::int16_t* secondTable) {
    BlockEncoder a(first, firstOut, firstTable);
    BlockEncoder b(second, secondOut, secondTable);
    while (a.active() && b.active()) {
        a.step();
        b.step();
    }
    while (a.active()) a.step();
    while (b.active()) b.step();
    return {a.finish(), b.finish()};
}

namespace {

// Decodes one copy item at b (whose bytes are known to be in the body). False when it points
// before the block's start or runs past its end.
inline bool copyItem(const std::uint8_t* b, std::uint8_t* out, std::size_t& op, std::size_t& ip) {
    const std::size_t p = (std::size_t{b[0]} << 4) | (b[1] >> 4);
    if (p != 0) {
        const std::size_t m = (b[1] & 0x0F) + MinMatch;
        if (p > op || BlockSize - op < m) return false;
        std::uint8_t* d = out + op;
        const std::uint8_t* s = d - p;
        if (p < 8) {
            // A short distance repeats a pattern: lay down its first 8 bytes one by one, then
            // copy whole words from a whole number of periods back, at least 8.
            static constexpr unsigned char Period[8] = {0, 8, 8, 9, 8, 10, 12, 14};
            for (std::size_t i = 0; i < 8; ++i) d[i] = s[i];
            const std::size_t q = Period[p];
            copy8(d + 8, d + 8 - q);
            copy8(d + 16, d + 16 - q);
        } else {
            // Whole words: each reads only bytes written before it; the spare room of the
            // buffer takes the overshoot.
            copy8(d, s);
            copy8(d + 8, s + 8);
            copy8(d + 16, s + 16);
        }
        op += m;
        ip += 2;
        return true;
    }
    const std::size_t count = ((std::size_t{b[1]} << 8) | b[2]) + MinRun;
    if (BlockSize - op < count) return false;
    std::memset(out + op, b[3], count);
    op += count;
    ip += 4;
    return true;
}

} // namespace

std::optional<std::size_t> decompressBlock(std::span<const std::uint8_t> body, std::uint8_t* out) {
    const std::uint8_t* b = body.data();
    const std::size_t n = body.size();
    if (n > MaxBodySize) return std::nullopt;
    if (n < 2) return 0;
    if (b[0] == FlagStored) {
        std::memcpy(out, b + 1, n - 1);
        return n - 1;
    }
    if (n < 3) return std::nullopt;

    // Sixteen items take at most 64 bytes; 16 more let literals be copied by whole words.
    constexpr std::size_t FastMargin = 16 * 4 + 16;
    std::size_t ip = 1;
    std::size_t op = 0;
    while (ip < n) {
        // A control word promises at least one item; only the first may stand alone.
        if (n - ip < 2 || (ip > 1 && n - ip == 2)) return std::nullopt;
        // The word's bits sit at the top, so the next item's bit is always bit 31.
        std::uint32_t ctrl = ((std::uint32_t{b[ip]} << 8) | b[ip + 1]) << 16;
        ip += 2;
        unsigned items = 16;
        if (n - ip >= FastMargin) {
            // A batch of literals always ends at a copy item or at the word's end, so only
            // the kind of the item after a copy item needs a test.
            for (;;) {
                if ((ctrl & 0x8000'0000U) == 0) {
                    const unsigned literals =
                        std::min(static_cast<unsigned>(std::countl_zero(ctrl)), items);
                    if (BlockSize - op < literals) return std::nullopt;
                    copy8(out + op, b + ip);
                    copy8(out + op + 8, b + ip + 8);
                    op += literals;
                    ip += literals;
                    items -= literals;
                    if (items == 0) break;
                    ctrl <<= literals;
                }
                if (!copyItem(b + ip, out, op, ip)) return std::nullopt;
                ctrl <<= 1;
                if (--items == 0) break;
            }
            continue;
        }
        for (; items > 0 && ip < n; --items, ctrl <<= 1) {
            if ((ctrl & 0x8000'0000U) == 0) {
                if (op >= BlockSize) return std::nullopt;
                out[op++] = b[ip++];
                continue;
            }
            const std::size_t need = n - ip >= 2 && b[ip] == 0 && (b[ip + 1] >> 4) == 0 ? 4 : 2;
            if (n - ip < need) return std::nullopt;
            if (!copyItem(b + ip, out, op, ip)) return std::nullopt;
        }
    }
    return op;
}

std::uint64_t encodeStream(std::uint64_t length, const ReadFn& read, const WriteFn& write,
                           std::int16_t* table, const std::string& inName) {
    // Blocks go in pairs, which codes them faster (compressBlocks); the second pair member
    // needs its own buffers and hash table.
    std::unique_ptr<std::uint8_t[]> in[2];
    std::unique_ptr<std::uint8_t[]> out[2];
    std::unique_ptr<std::int16_t[]> secondTable;
    try {
        for (int i = 0; i < 2; ++i) {
            in[i] = std::make_unique<std::uint8_t[]>(BufferSize);
            // Two bytes in front for the block length, so a block goes out in one write.
            out[i] = std::make_unique<std::uint8_t[]>(BufferSize + 2);
        }
        secondTable = std::make_unique<std::int16_t[]>(HashSize);
    } catch (const std::bad_alloc&) {
        throw ELzrw1Exception(text::noBuffers());
    }

    std::uint8_t header[HeaderSize];
    std::memcpy(header, Signature, sizeof Signature);
    put32le(header + 4, static_cast<std::uint32_t>(length));
    write(header, HeaderSize);
    std::uint64_t written = HeaderSize;
    std::uint64_t consumed = 0;
    auto emit = [&](std::uint8_t* block, std::size_t body) {
        put16le(block, body);
        write(block, body + 2);
        written += body + 2;
    };
    // Every block but the last holds BlockSize bytes; the first short read ends the data.
    for (;;) {
        const std::size_t first = read(in[0].get(), BlockSize);
        consumed += first;
        if (first < BlockSize) {
            emit(out[0].get(), compressBlock({in[0].get(), first}, out[0].get() + 2, table));
            break;
        }
        const std::size_t second = read(in[1].get(), BlockSize);
        consumed += second;
        const auto [firstBody, secondBody] =
            compressBlocks({in[0].get(), first}, out[0].get() + 2, table, {in[1].get(), second},
                           out[1].get() + 2, secondTable.get());
        emit(out[0].get(), firstBody);
        emit(out[1].get(), secondBody);
        if (second < BlockSize) break;
    }
    // A file that changed size while we read it would leave a header that lies.
    if (consumed != length) throw ELzrw1Exception(text::readErrorCompressing(inName));
    return written;
}

namespace {

// The container loop. Source::take(n) hands out the next n bytes or nullptr when fewer are
// left; Sink::space() is room for BufferSize bytes, Sink::put(n) keeps the first n of them.
// Memory gets its own source and sink so that blocks are decoded in place, without copies.
template <class Source, class Sink>
std::uint64_t decodeContainer(Source& source, Sink& sink, const std::string& inName) {
    const std::uint8_t* field = source.take(4);
    if (!field) throw ELzrw1Exception(text::readError(inName));
    if (std::memcmp(field, Signature, 4) != 0) throw ELzrw1Exception(text::noHeader(inName));
    field = source.take(4);
    if (!field) throw ELzrw1Exception(text::readError(inName));
    const std::uint64_t length = std::uint64_t{field[0]} | std::uint64_t{field[1]} << 8 |
                                 std::uint64_t{field[2]} << 16 | std::uint64_t{field[3]} << 24;

    std::uint64_t total = 0;
    for (;;) {
        field = source.take(2);
        if (!field) throw ELzrw1Exception(text::readError(inName));
        const std::size_t n = std::size_t{field[0]} | std::size_t{field[1]} << 8;
        if (n > MaxBodySize) throw ELzrw1Exception(text::corruptBlock(inName));
        const std::uint8_t* body = source.take(n);
        if (!body) throw ELzrw1Exception(text::readError(inName));
        const std::optional<std::size_t> produced = decompressBlock({body, n}, sink.space());
        if (!produced) throw ELzrw1Exception(text::corruptBlock(inName));
        total += *produced;
        // More data than the header promised can only end in a mismatch: stop writing now.
        if (total > length) throw ELzrw1Exception(text::sizeMismatch());
        sink.put(*produced);
        if (*produced < BlockSize) break;
    }
    if (total != length) throw ELzrw1Exception(text::sizeMismatch());
    return total;
}

class StreamSource {
public:
    StreamSource(const ReadFn& read, std::uint8_t* buffer) : read_(read), buffer_(buffer) {}
    const std::uint8_t* take(std::size_t n) { return read_(buffer_, n) < n ? nullptr : buffer_; }

private:
    const ReadFn& read_;
    std::uint8_t* buffer_;
};

class StreamSink {
public:
    StreamSink(const WriteFn& write, std::uint8_t* buffer) : write_(write), buffer_(buffer) {}
    std::uint8_t* space() { return buffer_; }
    void put(std::size_t n) { write_(buffer_, n); }

private:
    const WriteFn& write_;
    std::uint8_t* buffer_;
};

class MemorySource {
public:
    explicit MemorySource(std::span<const std::uint8_t> data) : data_(data) {}
    const std::uint8_t* take(std::size_t n) {
        if (data_.size() - pos_ < n) return nullptr;
        pos_ += n;
        return data_.data() + pos_ - n;
    }

private:
    std::span<const std::uint8_t> data_;
    std::size_t pos_ = 0;
};

// Decodes straight into the result; growing it by the bytes kept keeps the zero-filling to
// about the size of the output.
class VectorSink {
public:
    explicit VectorSink(std::vector<std::uint8_t>& out) : out_(out) {}
    std::uint8_t* space() {
        out_.resize(used_ + BufferSize);
        return out_.data() + used_;
    }
    void put(std::size_t n) { used_ += n; }
    void finish() { out_.resize(used_); }

private:
    std::vector<std::uint8_t>& out_;
    std::size_t used_ = 0;
};

} // namespace

std::uint64_t decodeStream(const ReadFn& read, const WriteFn& write, const std::string& inName) {
    std::unique_ptr<std::uint8_t[]> in;
    std::unique_ptr<std::uint8_t[]> out;
    try {
        in = std::make_unique<std::uint8_t[]>(BufferSize);
        out = std::make_unique<std::uint8_t[]>(BufferSize);
    } catch (const std::bad_alloc&) {
        throw ELzrw1Exception(text::noBuffers());
    }
    StreamSource source(read, in.get());
    StreamSink sink(write, out.get());
    return decodeContainer(source, sink, inName);
}

std::vector<std::uint8_t> compress(std::span<const std::uint8_t> data) {
    // The same blocks as encodeStream, coded straight from `data` into the result: full
    // blocks, then one short (perhaps empty) block. Pairs code faster (compressBlocks).
    std::vector<std::uint8_t> result;
    result.reserve(HeaderSize + data.size() + (data.size() / BlockSize + 1) * 3 + BufferSize);
    result.resize(HeaderSize);
    std::memcpy(result.data(), Signature, sizeof Signature);
    put32le(result.data() + 4, static_cast<std::uint32_t>(data.size()));
    std::array<std::int16_t, HashSize> tables[2];
    std::size_t used = HeaderSize;
    // Room for one more block: its length field and a full buffer.
    auto room = [&]() {
        result.resize(used + 2 + BufferSize);
        return result.data() + used;
    };
    auto keep = [&](std::uint8_t* block, std::size_t body) {
        put16le(block, body);
        used += 2 + body;
    };
    std::vector<std::uint8_t> second(BufferSize);
    std::size_t pos = 0;
    while (data.size() - pos >= 2 * BlockSize) {
        // The second block's output goes to scratch first: where it lands depends on the
        // first block's length.
        std::uint8_t* first = room();
        const auto [firstBody, secondBody] = compressBlocks(
            data.subspan(pos, BlockSize), first + 2, tables[0].data(),
            data.subspan(pos + BlockSize, BlockSize), second.data(), tables[1].data());
        keep(first, firstBody);
        std::uint8_t* next = room();
        std::memcpy(next + 2, second.data(), secondBody);
        keep(next, secondBody);
        pos += 2 * BlockSize;
    }
    while (true) {
        const std::size_t n = std::min(BlockSize, data.size() - pos);
        std::uint8_t* block = room();
        keep(block, compressBlock(data.subspan(pos, n), block + 2, tables[0].data()));
        pos += n;
        if (n < BlockSize) break;
    }
    result.resize(used);
    return result;
}

std::vector<std::uint8_t> decompress(std::span<const std::uint8_t> data, const std::string& name) {
    std::vector<std::uint8_t> result;
    if (data.size() >= HeaderSize) {
        // The header's length is only a hint: a damaged one must not reserve gigabytes.
        const std::size_t hint = std::size_t{data[4]} | std::size_t{data[5]} << 8 |
                                 std::size_t{data[6]} << 16 | std::size_t{data[7]} << 24;
        result.reserve(std::min(hint, data.size() * 64) + BufferSize);
    }
    MemorySource source(data);
    VectorSink sink(result);
    decodeContainer(source, sink, name);
    sink.finish();
    return result;
}

} // namespace pelvo::lzrw1
