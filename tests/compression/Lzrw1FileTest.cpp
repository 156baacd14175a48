// Tlzrw1 on real files: the container on disk, failures and what they leave behind.

#include "compression/Lzrw1.h"

#include "Lzrw1Data.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

using namespace pelvo;
using namespace pelvo::test;
namespace fs = std::filesystem;

namespace {

void writeFile(const fs::path& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
}

Bytes readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

class Lzrw1File : public ::testing::Test {
protected:
    Lzrw1File() { doit.CompressMode = Tlzrw1::Fast; }

    // Compresses `data` from plain.bin into packed.tld; returns the file's bytes.
    Bytes pack(const Bytes& data) {
        writeFile(plain, data);
        doit.InputFile = plain;
        doit.OutputFile = packed;
        const std::uint64_t written = doit.Compress();
        EXPECT_EQ(written, fs::file_size(packed));
        return readFile(packed);
    }

    Bytes unpack(const Bytes& file) {
        writeFile(packed, file);
        doit.InputFile = packed;
        doit.OutputFile = restored;
        const std::uint64_t written = doit.Decompress();
        EXPECT_EQ(written, fs::file_size(restored));
        return readFile(restored);
    }

    // Decompresses `file`, which must fail; returns the text and checks no output is left.
    std::string unpackFailure(const Bytes& file) {
        writeFile(packed, file);
        writeFile(restored, bytes("old contents"));
        doit.InputFile = packed;
        doit.OutputFile = restored;
        std::string text = "no failure";
        try {
            doit.Decompress();
        } catch (const ELzrw1Exception& e) {
            text = e.what();
        }
        EXPECT_FALSE(fs::exists(restored));
        return text;
    }

    TempFolder dir;
    fs::path plain = dir.file("plain.bin");
    fs::path packed = dir.file("packed.tld");
    fs::path restored = dir.file("restored.bin");
    Tlzrw1 doit;
};

Bytes header(std::uint32_t length) {
    return bytes({'W', 'R', 'Z', 'L', static_cast<int>(length & 0xFF),
                  static_cast<int>((length >> 8) & 0xFF), static_cast<int>((length >> 16) & 0xFF),
                  static_cast<int>(length >> 24)});
}

} // namespace

TEST_F(Lzrw1File, EmptyFileIsElevenBytes) {
    const Bytes file = pack({});
    EXPECT_EQ(file, bytes({'W', 'R', 'Z', 'L', 0, 0, 0, 0, 1, 0, 0x80}));
    EXPECT_EQ(unpack(file), Bytes{});
}

TEST_F(Lzrw1File, FullBlockIsFollowedByAnEmptyBlock) {
    const Bytes data = textBytes(32768, 1);
    const Bytes file = pack(data);
    const std::size_t first = file[8] | file[9] << 8;
    ASSERT_EQ(file.size(), 8 + 2 + first + 3);
    EXPECT_EQ(file[10], 0x40);
    EXPECT_EQ(Bytes(file.end() - 3, file.end()), bytes({1, 0, 0x80}));
    EXPECT_EQ(unpack(file), data);
}

TEST_F(Lzrw1File, IncompressibleInputIsStored) {
    Bytes data(100);
    for (int i = 0; i < 100; ++i) data[i] = static_cast<std::uint8_t>(i * 7);
    Bytes expected = header(100);
    expected.insert(expected.end(), {101, 0, 0x80});
    expected.insert(expected.end(), data.begin(), data.end());
    EXPECT_EQ(pack(data), expected);
}

TEST_F(Lzrw1File, OutputIsReplaced) {
    writeFile(packed, randomBytes(100000, 4));
    EXPECT_EQ(pack(bytes("abc")).size(), 8U + 2U + 4U);
}

TEST_F(Lzrw1File, BadFilesFailAndLeaveNoOutput) {
    Bytes good = pack(textBytes(70000, 2));
    const std::string name = packed.string();

    Bytes wrongSignature = good;
    wrongSignature[3] = 'X';
    EXPECT_EQ(unpackFailure(wrongSignature),
              name + " : Lzrw1 decompression : this file has no valid header !");

    const std::string readError = "Lzrw1 : Error reading from input file : " + name;
    // Cut in the signature, the length, a block length, a body.
    for (std::size_t cut : {std::size_t{2}, std::size_t{6}, std::size_t{9}, good.size() - 1}) {
        EXPECT_EQ(unpackFailure(Bytes(good.begin(), good.begin() + static_cast<long>(cut))),
                  readError)
            << cut;
    }

    Bytes wrongLength = good;
    wrongLength[4] ^= 1;
    EXPECT_EQ(unpackFailure(wrongLength),
              "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !");

    // The first item of the first block points before the block's start.
    Bytes badDistance = good;
    ASSERT_EQ(badDistance[10], 0x40);
    badDistance[11] = 0x80;
    badDistance[13] = 0x00;
    badDistance[14] = 0x10;
    EXPECT_EQ(unpackFailure(badDistance),
              name + " : Lzrw1 decompression : this file has a corrupt block !");
}

TEST_F(Lzrw1File, FailuresNameTheirFiles) {
    auto failure = [](auto operation) {
        try {
            operation();
        } catch (const ELzrw1Exception& e) {
            return std::string(e.what());
        }
        return std::string("no failure");
    };
    doit.InputFile = dir.file("missing.bin");
    doit.OutputFile = packed;
    const std::string missing = doit.InputFile.string();
    EXPECT_EQ(failure([&] { doit.Compress(); }),
              "Lzrw1 compression : Failed to obtain the size of : " + missing);
    EXPECT_EQ(failure([&] { doit.Decompress(); }),
              "Lzrw1 (de)compression : Failed to open input file : " + missing);

    writeFile(plain, bytes("data"));
    doit.InputFile = plain;
    doit.OutputFile = dir.file("no-such-folder") / "out.tld";
    EXPECT_EQ(failure([&] { doit.Compress(); }),
              "Lzrw1 (de)compression : Failed to open output file : " + doit.OutputFile.string());
    EXPECT_FALSE(fs::exists(packed));
}

TEST_F(Lzrw1File, NeverWritesOverItsInput) {
    const Bytes data = textBytes(1000, 5);
    writeFile(plain, data);
    doit.InputFile = plain;
    doit.OutputFile = dir.file(".") / "plain.bin";
    EXPECT_THROW(doit.Compress(), ELzrw1Exception);
    EXPECT_THROW(doit.Decompress(), ELzrw1Exception);
    EXPECT_EQ(readFile(plain), data);
}

TEST_F(Lzrw1File, OnlyTheFastMethodCompresses) {
    writeFile(plain, bytes("data"));
    Tlzrw1 fresh;
    EXPECT_EQ(fresh.CompressMode, Tlzrw1::Good);
    fresh.InputFile = plain;
    fresh.OutputFile = packed;
    for (Tlzrw1::Mode mode : {Tlzrw1::Good, Tlzrw1::Auto}) {
        fresh.CompressMode = mode;
        EXPECT_THROW(fresh.Compress(), ELzrw1Exception);
        EXPECT_FALSE(fs::exists(packed));
    }
}
