// The stream format as the decoder reads it: fixed examples, the initial ring, the
// largest offset, overlapping copies, the model rebuild and both stop rules.
#include <gtest/gtest.h>

#include <random>

#include "tests/codec/CodecTestUtil.h"

namespace {

struct Example {
    const char* name;
    std::string stream;
    std::string expected;
};

class DecoderExamples : public ::testing::TestWithParam<Example> {};

TEST_P(DecoderExamples, DecodeAsStated)
{
    EXPECT_EQ(ExpandWith(GetParam().stream), GetParam().expected);
    // Buffer sizes change nothing about the bytes.
    EXPECT_EQ(ExpandWith(GetParam().stream, 16, 16), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Fixed, DecoderExamples,
    ::testing::Values(Example{"Empty", "", ""}, Example{"MarkerOnly", Bytes({0x80}), ""},
                      Example{"OneLiteral", Bytes({0xE6, 0xC0}), "A"},
                      Example{"TwoLiteralsStopAfterItem", Bytes({0xE6, 0xF3, 0xA0}), "AB"},
                      Example{"OverlappingMatch", Bytes({0x04, 0x04, 0x00, 0x40}), std::string(61, 'x')}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Decoder, InitialRingHoldsSpacesThenZeros)
{
    // At r = 4036: d = 0 reaches index 4035 (a space); d = 4095 reaches index 4036,
    // not yet written (zero); d = 100 reaches 3935 (space).
    ItemWriter w;
    w.Match(5, 0);     // copies index 4035 onwards: 4035 is a space, then its own output
    w.Match(3, 4095);  // starts at the current write index 4041: still zero
    w.Match(4, 100);
    EXPECT_EQ(ExpandWith(w.Finish()), std::string(5, ' ') + std::string(3, '\0') + std::string(4, ' '));
}

TEST(Decoder, LargestOffsetCopiesTheOldestByte)
{
    // 4096 distinct-ish bytes, then d = 4095 must repeat the first of them.
    std::string data;
    ItemWriter w;
    for (int i = 0; i < 4096; ++i) {
        char c = static_cast<char>((i * 7 + i / 256) & 0xFF);
        data.push_back(c);
        w.Literal(static_cast<uint8_t>(c));
    }
    w.Match(10, 4095);
    std::string expected = data + data.substr(0, 10);
    EXPECT_EQ(ExpandWith(w.Finish()), expected);
}

TEST(Decoder, ModelRebuildKeepsBothSidesInStep)
{
    // 32454 symbols bring the root weight to 0x8000; the 32455th rebuilds first.
    std::mt19937 rng(7);
    std::string data;
    ItemWriter w;
    for (int i = 0; i < 40000; ++i) {
        int c = static_cast<int>(rng() % 256);
        if (i == 32454) {
            EXPECT_EQ(w.Model().Freq[626], 0x8000);
        }
        w.Literal(c);
        data.push_back(static_cast<char>(c));
    }
    EXPECT_LT(w.Model().Freq[626], 0x8000);
    EXPECT_EQ(ExpandWith(w.Finish()), data);
}

TEST(Decoder, TruncatedStreamStopsPromptly)
{
    std::string data(5000, 'q');
    for (size_t i = 0; i < data.size(); i += 7) data[i] = static_cast<char>(i);
    std::string stream = LzhCompress(data);
    for (size_t cut : {size_t(1), stream.size() / 2, stream.size() - 1}) {
        std::string out = ExpandWith(stream.substr(0, cut));
        // Whatever the remaining bits complete, but never more than the data.
        EXPECT_LE(out.size(), data.size() + 60) << cut;
        EXPECT_EQ(out.substr(0, std::min(out.size(), data.size()) / 2), data.substr(0, std::min(out.size(), data.size()) / 2)) << cut;
    }
}

// The corner case the writer must avoid, shown on a stream written naively: the items
// end on a byte boundary while the root's second child is a leaf, so the marker byte
// 0x80 reads as that leaf's one-bit code.
TEST(Decoder, ByteAlignedMarkerAfterSkewedModelAddsASymbol)
{
    for (int extra = 0; extra < 64; ++extra) {
        ItemWriter w;
        std::string data;
        // Make symbol 'z' dominate until it owns the root's second child.
        for (int i = 0; i < 400 + extra; ++i) {
            w.Literal('z');
            data.push_back('z');
        }
        bool leaf = w.Model().Child[625] >= 627;
        bool aligned = w.BitCount() % 8 == 0;
        std::string out = ExpandWith(w.Finish());
        if (leaf && aligned) {
            EXPECT_EQ(out, data + "z");
            return;
        }
        EXPECT_EQ(out, data);
    }
    FAIL() << "no byte-aligned ending found";
}

}  // namespace
