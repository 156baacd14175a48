// The block coder and the in-memory container: exact bytes, decoding, malformed input.

#include "compression/ELzrw1Exception.h"
#include "compression/Lzrw1Codec.h"

#include "Lzrw1Data.h"

#include <gtest/gtest.h>

#include <array>

using namespace pelvo;
using namespace pelvo::test;

namespace {

Bytes compressed(const Bytes& in) {
    std::array<std::int16_t, lzrw1::HashSize> table;
    Bytes out(lzrw1::BufferSize);
    out.resize(lzrw1::compressBlock(in, out.data(), table.data()));
    return out;
}

std::optional<Bytes> decoded(const Bytes& body) {
    Bytes out(lzrw1::BufferSize);
    const auto n = lzrw1::decompressBlock(body, out.data());
    if (!n) return std::nullopt;
    out.resize(*n);
    return out;
}

Bytes repeated(std::size_t n, std::uint8_t v) {
    return Bytes(n, v);
}

} // namespace

TEST(Lzrw1Block, LiteralsThenAMatch) {
    // Three literals, then 9 bytes from 3 back: control word 0001 0000 0000 0000.
    EXPECT_EQ(compressed(bytes("abcabcabcabc")),
              bytes({0x40, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x36}));
    // The match is cut at 11 bytes by the end of the repeat; a literal follows it.
    EXPECT_EQ(compressed(bytes("hello hello hello!")),
              bytes({0x40, 0x02, 0x00, 'h', 'e', 'l', 'l', 'o', ' ', 0x00, 0x68, '!'}));
}

TEST(Lzrw1Block, SecondControlWordAfterSixteenItems) {
    Bytes expected = bytes({0x40, 0x00, 0x00});
    for (char c = 'A'; c <= 'P'; ++c) expected.push_back(static_cast<std::uint8_t>(c));
    // Next control word (literal, match), then 'Q' and 17 bytes from 17 back.
    const Bytes rest = bytes({0x40, 0x00, 'Q', 0x01, 0x1E});
    expected.insert(expected.end(), rest.begin(), rest.end());
    EXPECT_EQ(compressed(bytes("ABCDEFGHIJKLMNOPQABCDEFGHIJKLMNOPQ")), expected);
}

TEST(Lzrw1Block, RunItems) {
    EXPECT_EQ(compressed(repeated(20, 'a')), bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x04, 'a'}));
    // The longest run is 4095; the rest follows as a second run.
    EXPECT_EQ(compressed(repeated(5000, 'x')),
              bytes({0x40, 0xC0, 0x00, 0x00, 0x0F, 0xEF, 'x', 0x00, 0x03, 0x79, 'x'}));
    // Fifteen equal bytes are no run: a literal and a match at distance 1 instead.
    EXPECT_EQ(compressed(repeated(15, 'z')), bytes({0x40, 0x40, 0x00, 'z', 0x00, 0x1B}));
}

TEST(Lzrw1Block, StoredWhenCompressionDoesNotPay) {
    EXPECT_EQ(compressed({}), bytes({0x80}));
    EXPECT_EQ(compressed(bytes("aa")), bytes({0x80, 'a', 'a'}));
    // Four literals and a 3-byte match take 9 bytes for 7: stored.
    EXPECT_EQ(compressed(bytes("abcdabc")), bytes({0x80, 'a', 'b', 'c', 'd', 'a', 'b', 'c'}));
}

TEST(Lzrw1Block, MatchesOnlyWithinTheWindow) {
    // "abcdefgh", a run of zeros, "abcdefgh" again: 4095 back is a match, 4096 back is not.
    auto input = [](std::size_t gap) {
        Bytes in = bytes("abcdefgh");
        in.resize(gap, 0);
        const Bytes tail = bytes("abcdefgh");
        in.insert(in.end(), tail.begin(), tail.end());
        return in;
    };
    EXPECT_EQ(compressed(input(4095)), bytes({0x40, 0x00, 0xC0, 'a', 'b', 'c', 'd', 'e', 'f', 'g',
                                              'h', 0x00, 0x0F, 0xE7, 0x00, 0xFF, 0xF5}));
    EXPECT_EQ(compressed(input(4096)),
              bytes({0x40, 0x00, 0x80, 'a', 'b', 'c', 'd', 'e', 'f', 'g',  'h',  0x00, 0x0F,
                     0xE8, 0x00, 'a',  'b', 'c', 'd', 'e', 'f', 'g', 0x00, 0x00, 'h'}));
    EXPECT_EQ(decoded(compressed(input(4095))), input(4095));
}

TEST(Lzrw1Block, PairedBlocksCodeAsSingleOnes) {
    // Blocks of different kinds and lengths, so each finishes while the other still runs.
    const Bytes blocks[] = {textBytes(32768, 1), randomBytes(32768, 2), textBytes(5000, 3),
                            Bytes(32768, 'z'), Bytes{}};
    std::array<std::int16_t, lzrw1::HashSize> tables[2];
    for (const Bytes& a : blocks) {
        for (const Bytes& b : blocks) {
            Bytes outA(lzrw1::BufferSize), outB(lzrw1::BufferSize);
            const auto [lengthA, lengthB] = lzrw1::compressBlocks(a, outA.data(), tables[0].data(),
                                                                  b, outB.data(), tables[1].data());
            outA.resize(lengthA);
            outB.resize(lengthB);
            EXPECT_EQ(outA, compressed(a));
            EXPECT_EQ(outB, compressed(b));
        }
    }
}

TEST(Lzrw1Decode, HandBuiltBodies) {
    EXPECT_EQ(decoded(bytes({0x40, 0x10, 0x00, 'a', 'b', 'c', 0x00, 0x36})), bytes("abcabcabcabc"));
    // Overlapping copy: distance 2, length 6.
    EXPECT_EQ(decoded(bytes({0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x23})), bytes("abababab"));
    // A long-distance copy goes by words; an 18-byte copy at distance 8 overlaps itself.
    EXPECT_EQ(
        decoded(bytes({0x40, 0x00, 0x80, '0', '1', '2', '3', '4', '5', '6', '7', 0x00, 0x8F})),
        bytes("01234567012345670123456701"));
    EXPECT_EQ(decoded(bytes({0x40, 0x80, 0x00, 0x00, 0x0F, 0xEF, 'x'})), repeated(4095, 'x'));
    EXPECT_EQ(decoded(bytes({0x80, 1, 2, 3})), bytes({1, 2, 3}));
    EXPECT_EQ(decoded(bytes({0x80})), Bytes{});
    EXPECT_EQ(decoded({}), Bytes{});
    Bytes sixteen = bytes({0x40, 0x00, 0x00});
    for (int i = 0; i < 16; ++i) sixteen.push_back(static_cast<std::uint8_t>('a' + i));
    EXPECT_EQ(decoded(sixteen), bytes("abcdefghijklmnop"));
}

TEST(Lzrw1Decode, RejectsMalformedBodies) {
    // Copies reaching before the block's start.
    EXPECT_FALSE(decoded(bytes({0x40, 0x80, 0x00, 0x00, 0x10})));
    EXPECT_FALSE(decoded(bytes({0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x30})));
    EXPECT_TRUE(decoded(bytes({0x40, 0x20, 0x00, 'a', 'b', 0x00, 0x20})));
    // Items cut off by the end of the body: match, run, control word, first control word.
    EXPECT_FALSE(decoded(bytes({0x40, 0x40, 0x00, 'a', 0x00})));
    EXPECT_FALSE(decoded(bytes({0x40, 0x80, 0x00, 0x00, 0x00, 0x04})));
    Bytes cutWord = bytes({0x40, 0x00, 0x00});
    cutWord.insert(cutWord.end(), 16, 'a');
    cutWord.push_back(0x00);
    EXPECT_FALSE(decoded(cutWord));
    // A control word at the very end promises an item the body does not hold.
    cutWord.push_back(0x00);
    EXPECT_FALSE(decoded(cutWord));
    EXPECT_FALSE(decoded(bytes({0x40, 0x00})));
    // A stored body longer than a block.
    Bytes stored(lzrw1::MaxBodySize + 1, 'q');
    stored[0] = lzrw1::FlagStored;
    EXPECT_FALSE(decoded(stored));
    stored.pop_back();
    EXPECT_EQ(decoded(stored)->size(), lzrw1::BlockSize);
}

TEST(Lzrw1Decode, RejectsBlocksPastTheirSize) {
    // Eight runs of 4095 and eight literals fill a block exactly; one byte more overflows it.
    Bytes body = bytes({0x40, 0xFF, 0x00});
    for (int i = 0; i < 8; ++i) body.insert(body.end(), {0x00, 0x0F, 0xEF, 'r'});
    body.insert(body.end(), 8, 'l');
    ASSERT_EQ(decoded(body)->size(), lzrw1::BlockSize);
    // One more literal, or one more match, after a new control word.
    for (const Bytes& extra : {bytes({0x00, 0x00, 'l'}), bytes({0x80, 0x00, 0x00, 0x20})}) {
        Bytes over = body;
        over.insert(over.end(), extra.begin(), extra.end());
        EXPECT_FALSE(decoded(over));
    }
    // A run that would pass the block's end.
    Bytes runs = bytes({0x40, 0xFF, 0x80});
    for (int i = 0; i < 9; ++i) runs.insert(runs.end(), {0x00, 0x0F, 0xEF, 'r'});
    EXPECT_FALSE(decoded(runs));
}

TEST(Lzrw1Container, RoundTrips) {
    for (std::size_t n : {0U, 1U, 2U, 3U, 17U, 32767U, 32768U, 32769U, 1U << 20}) {
        for (const Bytes& in :
             {randomBytes(n, static_cast<unsigned>(n)), textBytes(n, static_cast<unsigned>(n))}) {
            const Bytes packed = lzrw1::compress(in);
            EXPECT_EQ(lzrw1::decompress(packed), in) << n;
            // Deterministic: the same input, the same bytes.
            EXPECT_EQ(lzrw1::compress(in), packed) << n;
        }
    }
    const Bytes text = textBytes(1 << 20, 3);
    EXPECT_LT(lzrw1::compress(text).size(), text.size() / 2);
}

TEST(Lzrw1Container, HeaderAndBlockLengthsAreChecked) {
    auto failure = [](const Bytes& data) {
        try {
            lzrw1::decompress(data, "t.tld");
        } catch (const ELzrw1Exception& e) {
            return std::string(e.what());
        }
        return std::string();
    };
    EXPECT_EQ(failure(bytes({'W', 'R', 'Z', 'L', 3, 0, 0, 0, 4, 0, 0x80, 1, 2, 3})), "");
    const std::string mismatch =
        "Lzrw1 (decompression LZRW1/KH) : Original and compressed sizes do not match !";
    EXPECT_EQ(failure(bytes({'W', 'R', 'Z', 'L', 4, 0, 0, 0, 4, 0, 0x80, 1, 2, 3})), mismatch);
    EXPECT_EQ(failure(bytes({'W', 'R', 'Z', 'L', 2, 0, 0, 0, 4, 0, 0x80, 1, 2, 3})), mismatch);
    // A body length over a block's worth is refused before it is read.
    EXPECT_EQ(failure(bytes({'W', 'R', 'Z', 'L', 3, 0, 0, 0, 0x02, 0x80})),
              "t.tld : Lzrw1 decompression : this file has a corrupt block !");
}
