// Tally file coder against zlib (level 1) and LZ4 on a text and a binary corpus.
// Speeds are MB/s of uncompressed data; the counter "ratio" is compressed size / input size.

#include "compression/Lzrw1Codec.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#if __has_include(<zlib.h>)
#include <zlib.h>
#define PELVO_HAVE_ZLIB 1
#endif
#if __has_include(<lz4.h>)
#include <lz4.h>
#define PELVO_HAVE_LZ4 1
#endif

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t CorpusSize = 1 << 20;

// Sentences from a small vocabulary with Zipf-like word choice, numbers and line breaks.
Bytes textCorpus() {
    static const char* const words[] = {
        "the",   "of",     "and",     "to",        "a",       "in",     "player", "won",
        "lost",  "round",  "tally",   "against",   "seat",    "score",  "joker",  "queen",
        "king",  "column", "discard", "draw",      "pile",    "turn",   "game",   "computer",
        "Pelvo", "chat",   "host",    "spectator", "penalty", "lowest", "total",  "cards"};
    std::mt19937 gen(12345);
    std::geometric_distribution<int> pick(0.18);
    std::uniform_int_distribution<int> number(0, 999);
    Bytes out;
    out.reserve(CorpusSize + 64);
    int inLine = 0;
    while (out.size() < CorpusSize) {
        std::string w = words[pick(gen) % std::size(words)];
        if (gen() % 11 == 0) w = std::to_string(number(gen));
        out.insert(out.end(), w.begin(), w.end());
        if (++inLine == 12) {
            out.push_back('.');
            out.push_back('\n');
            inLine = 0;
        } else {
            out.push_back(' ');
        }
    }
    out.resize(CorpusSize);
    return out;
}

// Fixed-size records: counters, slowly changing values, small numbers, some noise, padding.
Bytes binaryCorpus() {
    std::mt19937 gen(6789);
    Bytes out;
    out.reserve(CorpusSize + 32);
    std::uint32_t id = 1000;
    std::uint32_t time = 1'700'000'000;
    auto put = [&](std::uint64_t v, int n) {
        for (int i = 0; i < n; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
    };
    while (out.size() < CorpusSize) {
        put(id++, 4);
        time += gen() % 60;
        put(time, 4);
        put(gen() % 10, 2);                                              // a small score
        put(gen() % 4 == 0 ? gen() : 0, 4);                              // mostly empty field
        put(gen(), 2);                                                   // noise
        put(0, 8);                                                       // padding
        put(static_cast<std::uint64_t>(gen() % 3) * 0x0101010101ULL, 5); // flags
    }
    out.resize(CorpusSize);
    return out;
}

const Bytes& corpus(int which) {
    static const Bytes text = textCorpus();
    static const Bytes binary = binaryCorpus();
    return which == 0 ? text : binary;
}

void finish(benchmark::State& state, std::size_t in, std::size_t packed) {
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * in));
    state.counters["ratio"] = static_cast<double>(packed) / static_cast<double>(in);
}

void BM_Lzrw1Compress(benchmark::State& state, int which) {
    const Bytes& in = corpus(which);
    std::size_t packed = 0;
    for (auto _ : state) {
        Bytes out = pelvo::lzrw1::compress(in);
        packed = out.size();
        benchmark::DoNotOptimize(out.data());
    }
    finish(state, in.size(), packed);
}

void BM_Lzrw1Decompress(benchmark::State& state, int which) {
    const Bytes& in = corpus(which);
    const Bytes packed = pelvo::lzrw1::compress(in);
    if (pelvo::lzrw1::decompress(packed) != in) state.SkipWithError("round trip failed");
    for (auto _ : state) {
        Bytes out = pelvo::lzrw1::decompress(packed);
        benchmark::DoNotOptimize(out.data());
    }
    finish(state, in.size(), packed.size());
}

#ifdef PELVO_HAVE_ZLIB
void BM_Zlib1Compress(benchmark::State& state, int which) {
    const Bytes& in = corpus(which);
    Bytes out(compressBound(in.size()));
    uLongf packed = 0;
    for (auto _ : state) {
        packed = out.size();
        compress2(out.data(), &packed, in.data(), in.size(), 1);
        benchmark::DoNotOptimize(out.data());
    }
    finish(state, in.size(), packed);
}

void BM_Zlib1Decompress(benchmark::State& state, int which) {
    const Bytes& in = corpus(which);
    Bytes packed(compressBound(in.size()));
    uLongf packedSize = packed.size();
    compress2(packed.data(), &packedSize, in.data(), in.size(), 1);
    Bytes out(in.size());
    for (auto _ : state) {
        uLongf outSize = out.size();
        uncompress(out.data(), &outSize, packed.data(), packedSize);
        benchmark::DoNotOptimize(out.data());
    }
    if (out != in) state.SkipWithError("round trip failed");
    finish(state, in.size(), packedSize);
}
#endif

#ifdef PELVO_HAVE_LZ4
void BM_Lz4Compress(benchmark::State& state, int which) {
    const Bytes& in = corpus(which);
    Bytes out(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(in.size()))));
    int packed = 0;
    for (auto _ : state) {
        packed = LZ4_compress_default(reinterpret_cast<const char*>(in.data()),
                                      reinterpret_cast<char*>(out.data()),
                                      static_cast<int>(in.size()), static_cast<int>(out.size()));
        benchmark::DoNotOptimize(out.data());
    }
    finish(state, in.size(), static_cast<std::size_t>(packed));
}

void BM_Lz4Decompress(benchmark::State& state, int which) {
    const Bytes& in = corpus(which);
    Bytes packed(static_cast<std::size_t>(LZ4_compressBound(static_cast<int>(in.size()))));
    const int packedSize = LZ4_compress_default(
        reinterpret_cast<const char*>(in.data()), reinterpret_cast<char*>(packed.data()),
        static_cast<int>(in.size()), static_cast<int>(packed.size()));
    Bytes out(in.size());
    for (auto _ : state) {
        LZ4_decompress_safe(reinterpret_cast<const char*>(packed.data()),
                            reinterpret_cast<char*>(out.data()), packedSize,
                            static_cast<int>(out.size()));
        benchmark::DoNotOptimize(out.data());
    }
    if (out != in) state.SkipWithError("round trip failed");
    finish(state, in.size(), static_cast<std::size_t>(packedSize));
}
#endif

} // namespace

BENCHMARK_CAPTURE(BM_Lzrw1Compress, text, 0);
BENCHMARK_CAPTURE(BM_Lzrw1Compress, binary, 1);
BENCHMARK_CAPTURE(BM_Lzrw1Decompress, text, 0);
BENCHMARK_CAPTURE(BM_Lzrw1Decompress, binary, 1);
#ifdef PELVO_HAVE_LZ4
BENCHMARK_CAPTURE(BM_Lz4Compress, text, 0);
BENCHMARK_CAPTURE(BM_Lz4Compress, binary, 1);
BENCHMARK_CAPTURE(BM_Lz4Decompress, text, 0);
BENCHMARK_CAPTURE(BM_Lz4Decompress, binary, 1);
#endif
#ifdef PELVO_HAVE_ZLIB
BENCHMARK_CAPTURE(BM_Zlib1Compress, text, 0);
BENCHMARK_CAPTURE(BM_Zlib1Compress, binary, 1);
BENCHMARK_CAPTURE(BM_Zlib1Decompress, text, 0);
BENCHMARK_CAPTURE(BM_Zlib1Decompress, binary, 1);
#endif

BENCHMARK_MAIN();
