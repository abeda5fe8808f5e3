// The component's call patterns: buffer sizes, hook traffic, re-entry and OnDone.
#include <gtest/gtest.h>

#include "tests/codec/CodecTestUtil.h"

namespace {

TEST(Component, BufferSizesClampAndDefault)
{
    TestCodec c;
    EXPECT_EQ(c.InputBufferSize(), 1024);
    EXPECT_EQ(c.OutputBufferSize(), 1024);
    struct Case {
        uint16_t set, stored;
    };
    for (Case k : {Case{0, 16}, Case{15, 16}, Case{16, 16}, Case{1000, 1000}, Case{32768, 32768},
                   Case{32769, 32768}, Case{65535, 32768}}) {
        c.SetInputBufferSize(k.set);
        c.SetOutputBufferSize(k.set);
        EXPECT_EQ(c.InputBufferSize(), k.stored) << k.set;
        EXPECT_EQ(c.OutputBufferSize(), k.stored) << k.set;
    }
}

TEST(Component, FirstReadReportingEndGivesOneEmptyWrite)
{
    TestCodec c;
    c.Attach();
    c.Expand();
    EXPECT_EQ(c.readCalls, 1);  // the first bit already meets an ended, empty input
    ASSERT_EQ(c.writeCalls, 1);
    EXPECT_EQ(c.writeCounts[0], 0);
    EXPECT_TRUE(c.IsIdle());
}

TEST(Component, WriteCallsAreFullBuffersThenTheRest)
{
    for (size_t n : {size_t(1), size_t(99), size_t(100), size_t(101), size_t(1000)}) {
        TestCodec c;
        c.SetOutputBufferSize(100);
        c.input = LzhCompress(std::string(n, 'k'));
        c.Attach();
        c.Expand();
        EXPECT_EQ(c.output, std::string(n, 'k'));
        size_t expected = (n + 99) / 100;
        ASSERT_EQ(c.writeCounts.size(), expected) << n;
        for (size_t i = 0; i + 1 < expected; ++i) EXPECT_EQ(c.writeCounts[i], 100);
        EXPECT_EQ(c.writeCounts.back(), n - (expected - 1) * 100);
    }
}

TEST(Component, ReadInputAskedOnlyWhenBufferUsedUpAndAgainAfterEnd)
{
    // A long stream, hook delivering 7 bytes per call into a 16-byte buffer.
    std::string data;
    for (int i = 0; i < 3000; ++i) data.push_back(static_cast<char>(i * 31 % 251));
    TestCodec c;
    c.SetInputBufferSize(16);
    c.input = LzhCompress(data);
    std::vector<uint16_t> asked;
    int zeros = 0;
    c.ReadInput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
        asked.push_back(count);
        size_t n = std::min<size_t>({count, c.input.size() - c.at, 7});
        std::memcpy(buf, c.input.data() + c.at, n);
        c.at += n;
        actual = static_cast<uint16_t>(n);
        if (n == 0) ++zeros;
    };
    c.WriteOutput = [&](TObject*, void* buf, uint16_t count, uint16_t&) { c.output.append(static_cast<char*>(buf), count); };
    c.Expand();
    EXPECT_EQ(c.output, data);
    // Single-byte reads only ask when nothing is held, and always for the whole buffer.
    for (uint16_t a : asked) EXPECT_EQ(a, 16);
    EXPECT_EQ(asked.size(), (c.input.size() + 6) / 7 + zeros);
    EXPECT_GE(zeros, 1);
}

TEST(Component, SizeChangesAndNestedRunsIgnoredWhileRunning)
{
    TestCodec c;
    c.input = LzhCompress(std::string(5000, 'n'));
    c.Attach();
    int done = 0;
    c.OnDone = [&](TObject* s) {
        EXPECT_EQ(s, &c);
        EXPECT_TRUE(c.IsIdle());
        ++done;
    };
    auto inner = c.WriteOutput;
    bool nestedTried = false;
    c.WriteOutput = [&](TObject* s, void* b, uint16_t n, uint16_t& a) {
        c.SetOutputBufferSize(20000);
        c.SetInputBufferSize(16);
        if (!nestedTried) {
            nestedTried = true;
            size_t before = c.output.size();
            c.Expand();
            EXPECT_FALSE(c.Compress());
            EXPECT_EQ(c.output.size(), before);
        }
        inner(s, b, n, a);
    };
    c.Expand();
    EXPECT_EQ(c.output, std::string(5000, 'n'));
    EXPECT_EQ(c.OutputBufferSize(), 1024);
    EXPECT_EQ(c.InputBufferSize(), 1024);
    EXPECT_EQ(done, 1);  // the nested calls fired nothing
    for (size_t i = 0; i + 1 < c.writeCounts.size(); ++i) EXPECT_EQ(c.writeCounts[i], 1024);
}

TEST(Component, HookExceptionDuringDecodingIsSwallowed)
{
    TestCodec c;
    c.input = LzhCompress(std::string(3000, 'e'));
    int calls = 0;
    c.ReadInput = [&](TObject*, void*, uint16_t, uint16_t&) {
        ++calls;
        throw Exception("read failed");
    };
    c.WriteOutput = [&](TObject*, void*, uint16_t count, uint16_t&) { c.writeCounts.push_back(count); };
    int done = 0;
    c.OnDone = [&](TObject*) { ++done; };
    EXPECT_NO_THROW(c.Expand());
    EXPECT_EQ(calls, 1);
    ASSERT_EQ(c.writeCounts.size(), 1u);  // the final flush still runs
    EXPECT_EQ(c.writeCounts[0], 0);
    EXPECT_EQ(done, 1);
    EXPECT_TRUE(c.IsIdle());
}

TEST(Component, FinalFlushExceptionReachesCallerAfterOnDone)
{
    TestCodec c;
    c.input = LzhCompress("short");
    c.Attach();
    bool doneSeen = false;
    c.OnDone = [&](TObject*) {
        EXPECT_TRUE(c.IsIdle());
        doneSeen = true;
    };
    c.WriteOutput = [&](TObject*, void*, uint16_t, uint16_t&) {
        EXPECT_FALSE(doneSeen);
        throw EInOutError(101);
    };
    EXPECT_THROW(c.Expand(), EInOutError);
    EXPECT_TRUE(doneSeen);
    EXPECT_TRUE(c.IsIdle());
    // The component is usable again.
    c.Attach();
    c.at = 0;
    c.Expand();
    EXPECT_EQ(c.output, "short");
}

TEST(Component, DerivedClassCanServeBytesThroughOverrides)
{
    // The archive side may override the buffered read/write instead of using hooks.
    struct Direct : TCustomLZHCompressor {
        Direct() : TCustomLZHCompressor(nullptr) {}
        std::string in, out;
        size_t at = 0;
        void ReadBytes(void* b, uint16_t n, uint16_t& got) override
        {
            got = static_cast<uint16_t>(std::min<size_t>(n, in.size() - at));
            std::memcpy(b, in.data() + at, got);
            at += got;
        }
        void WriteBytes(const void* b, uint16_t n, uint16_t& w) override
        {
            out.append(static_cast<const char*>(b), n);
            w = n;
        }
    };
    Direct d;
    d.WriteOutput = [](TObject*, void*, uint16_t, uint16_t&) {};
    d.in = LzhCompress("overridden hooks overridden hooks");
    d.Expand();
    EXPECT_EQ(d.out, "overridden hooks overridden hooks");
}

}  // namespace
