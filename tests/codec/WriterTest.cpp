// The stream writer: exact round trips, independence from buffering, parsing quality,
// the end-of-stream corner case and failure handling.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "tests/codec/CodecTestUtil.h"

namespace {

std::string ReadFileOrEmpty(const char* path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

// A few MB of real executable code and text from the system the tests run on.
const std::string& RealData()
{
    static const std::string data = [] {
        std::string s;
        for (const char* p : {"/usr/bin/dpkg", "/bin/bash", "/usr/share/common-licenses/GPL-3",
                              "/usr/bin/gzip", "/usr/share/common-licenses/Apache-2.0"})
            s += ReadFileOrEmpty(p);
        return s;
    }();
    return data;
}

std::string RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

std::string Repetitive(size_t n)
{
    std::string s;
    std::mt19937 rng(3);
    while (s.size() < n) {
        int kind = static_cast<int>(rng() % 4);
        size_t len = 1 + rng() % 300;
        if (kind == 0) {
            s.append(len, '\0');
        } else if (kind == 1) {
            s.append(len, static_cast<char>(rng()));
        } else if (kind == 2 && s.size() > 5000) {
            s += s.substr(s.size() - 1 - rng() % 4096, len % 61);
        } else {
            s += "pattern-" + std::to_string(rng() % 50);
        }
    }
    s.resize(n);
    return s;
}

// Random bytes with 300-byte repeats (from 3000 bytes back) starting 26 bytes before
// 32 KiB and 64 KiB, where the writer's match-finding blocks end: a repeat's first
// positions are searched in one block (too close to its end to be taken at once) and
// parsed with the next.
std::string RepeatAcrossChunkEnd()
{
    std::string s = RandomBytes(200000, 5);
    for (size_t end : {32768u, 65536u}) {
        const size_t at = end - 26;
        s.replace(at, 300, s.substr(at - 3000, 300));
    }
    return s;
}

struct RoundTrip {
    const char* name;
    std::string (*make)();
};

class WriterRoundTrip : public ::testing::TestWithParam<RoundTrip> {};

TEST_P(WriterRoundTrip, ExpandsExactlyThroughAllBufferSizes)
{
    const std::string data = GetParam().make();
    ASSERT_FALSE(data.empty());
    const std::string stream = LzhCompress(data);
    EXPECT_EQ(ExpandWith(stream, 32768, 32768), data);
    // The writer's output does not depend on whether its match search ran on the
    // helper thread, nor on how its hooks are buffered or split.
    TLzhWriterOptions alone;
    alone.HelperThread = false;
    EXPECT_EQ(LzhCompress(data, alone), stream);
    for (uint16_t size : {uint16_t(16), uint16_t(4096)}) {
        TestCodec c;
        c.SetInputBufferSize(size);
        c.SetOutputBufferSize(size);
        c.input = data;
        c.Attach(size / 3 + 1);
        ASSERT_TRUE(c.Compress());
        EXPECT_EQ(c.output, stream) << size;
        EXPECT_EQ(c.CompressedSize(), static_cast<int64_t>(stream.size()));
        EXPECT_EQ(c.UncompressedSize(), static_cast<int64_t>(data.size()));
        for (size_t i = 0; i + 1 < c.writeCounts.size(); ++i) ASSERT_EQ(c.writeCounts[i], size);
        EXPECT_EQ(ExpandWith(stream, size, static_cast<uint16_t>(size + 7)), data) << size;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Data, WriterRoundTrip,
    ::testing::Values(RoundTrip{"Random", [] { return RandomBytes(1u << 20, 1); }},
                      RoundTrip{"Repetitive", [] { return Repetitive(2u << 20); }},
                      RoundTrip{"Real", [] { return RealData(); }},
                      RoundTrip{"RepeatAcrossChunkEnd", RepeatAcrossChunkEnd},
                      RoundTrip{"Zeros", [] { return std::string(1u << 20, '\0'); }},
                      RoundTrip{"Spaces", [] { return std::string(100000, ' '); }}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Writer, SmallInputs)
{
    EXPECT_EQ(LzhCompress(""), Bytes({0x80}));
    EXPECT_EQ(LzhCompress("A"), Bytes({0xE6, 0xC0}));
    EXPECT_EQ(LzhCompress("AB"), Bytes({0xE6, 0xF3, 0xA0}));
    for (int n = 0; n < 300; ++n) {
        std::string s = RandomBytes(static_cast<size_t>(n), static_cast<uint32_t>(n)).substr(0, n / 2) + std::string(n / 2, 'a');
        ASSERT_EQ(LzhExpand(LzhCompress(s)), s) << n;
    }
}

TEST(Writer, OptimalParsingBeatsGreedyAndLazy)
{
    const std::string& data = RealData();
    TLzhWriterOptions greedy, lazy;
    greedy.Parse = lpGreedy;
    lazy.Parse = lpLazy;
    std::string g = LzhCompress(data, greedy), l = LzhCompress(data, lazy), o = LzhCompress(data);
    EXPECT_EQ(LzhExpand(g), data);
    EXPECT_EQ(LzhExpand(l), data);
    EXPECT_LT(o.size(), l.size());
    EXPECT_LT(l.size(), g.size());
    EXPECT_LT(o.size() * 100, g.size() * 99);  // at least 1% smaller than greedy
}

// Inputs dominated by one symbol end with the root's second child a leaf; about one in
// eight of them would end on a byte boundary. Without the safeguard those streams grow
// on expansion; with it every one expands exactly.
TEST(Writer, EndMarkerCornerCaseNeverReachesTheStream)
{
    TLzhWriterOptions unguarded;
    unguarded.GuardEnd = false;
    int hazards = 0;
    struct Family {
        const char* name;
        std::string (*make)(size_t);
    };
    const Family families[] = {
        {"zeros", [](size_t n) { return std::string(n, '\0'); }},
        {"letter", [](size_t n) { return std::string(n, 'z'); }},
    };
    for (const Family& f : families) {
        // Around 19 KB of one byte the length-60 symbol owns the root's second child.
        for (size_t n = 18800; n < 20400; n += 23) {
            std::string data = f.make(n);
            std::string bad = LzhCompress(data, unguarded);
            if (ExpandWith(bad) != data) ++hazards;
            std::string good = LzhCompress(data);
            ASSERT_EQ(ExpandWith(good), data) << f.name << " " << data.size();
            ASSERT_EQ(ExpandWith(good, 16, 16), data) << f.name << " " << data.size();
        }
    }
    // The families do reach the corner case, so the check above means something.
    EXPECT_GT(hazards, 0);
}

TEST(Writer, HookFailuresReachTheCaller)
{
    {
        TestCodec c;
        int done = 0;
        c.OnDone = [&](TObject*) { ++done; };
        c.ReadInput = [](TObject*, void*, uint16_t, uint16_t&) { throw EInOutError(5); };
        c.WriteOutput = [](TObject*, void*, uint16_t, uint16_t&) {};
        EXPECT_THROW(c.Compress(), EInOutError);
        EXPECT_EQ(done, 1);
        EXPECT_TRUE(c.IsIdle());
    }
    {
        TestCodec c;
        c.input = RandomBytes(100000, 9);
        c.Attach();
        c.WriteOutput = [](TObject*, void*, uint16_t, uint16_t&) { throw EInOutError(101); };
        EXPECT_THROW(c.Compress(), EInOutError);
        EXPECT_TRUE(c.IsIdle());
    }
}

TEST(Writer, ComponentRunsBackToBack)
{
    // One component, alternating operations: each run starts from a clean state.
    TestCodec c;
    for (int round = 0; round < 3; ++round) {
        std::string data = Repetitive(20000 + round * 1000);
        c.input = data;
        c.at = 0;
        c.output.clear();
        c.Attach();
        ASSERT_TRUE(c.Compress());
        std::string stream = c.output;
        c.input = stream;
        c.at = 0;
        c.output.clear();
        c.Expand();
        EXPECT_EQ(c.output, data);
    }
}

}  // namespace
