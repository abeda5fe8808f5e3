// The component's reader against the plain reference reader: the same hook calls, in
// the same order with the same bytes, for writer streams of real files, for arbitrary
// bytes (every bit string is a stream), for cut streams, and for hooks that deliver in
// odd pieces, end early, throw, deliver again after the end, or meddle with the run.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <sstream>

#include "tests/codec/CodecTestUtil.h"
#include "tests/codec/HookScript.h"
#include "tests/codec/ReferenceDecoder.h"

namespace {

// Every way of reading (LzhDecoder.h) against the reference.
void ExpectSameCalls(const THookScript& script, const std::string& what)
{
    TReferenceDecoder reference;
    std::vector<THookCall> want = RunScript(reference, script);
    for (TLzhReadWay way : {TLzhReadWay::AsSuggested, TLzhReadWay::OneAfterOther, TLzhReadWay::SideBySide}) {
        TestCodec codec;
        codec.ReadWay = way;
        std::vector<THookCall> got = RunScript(codec, script);
        size_t i = 0;
        while (i < got.size() && i < want.size() && got[i] == want[i]) ++i;
        if (i == got.size() && i == want.size()) continue;
        ADD_FAILURE() << what << " (buffers " << script.InSize << "/" << script.OutSize << ", way " << int(way)
                      << "): call " << i << " of " << want.size() << " differs: got "
                      << (i < got.size() ? Describe(got[i]) : std::string("nothing")) << ", want "
                      << (i < want.size() ? Describe(want[i]) : std::string("nothing"));
    }
}

std::string FileOrEmpty(const char* path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string RandomBytes(size_t n, uint32_t seed)
{
    std::mt19937 rng(seed);
    std::string s(n, '\0');
    for (char& c : s) c = static_cast<char>(rng());
    return s;
}

struct Sizes {
    uint16_t in, out;
};
// The smallest buffers (every item near a refill), the defaults, the archive's and
// lzdpack's, and uneven ones.
const Sizes kSizes[] = {{16, 16}, {1024, 1024}, {4096, 4096}, {32768, 32768}, {100, 37}, {32768, 16}, {17, 32768}};

TEST(DecoderCrossCheck, WriterStreamsOfRealFiles)
{
    // Executable code and text; long enough for model rebuilds (one per 32454 symbols).
    for (const char* path : {"/usr/bin/dpkg", "/usr/share/common-licenses/GPL-3"}) {
        std::string data = FileOrEmpty(path);
        if (data.empty()) continue;
        THookScript script;
        script.Input = LzhCompress(data);
        for (Sizes s : kSizes) {
            script.InSize = s.in;
            script.OutSize = s.out;
            ExpectSameCalls(script, path);
        }
        TCustomLZHCompressor codec(nullptr);
        EXPECT_EQ(OutputOf(RunScript(codec, script)), data) << path;
    }
}

// Text with incompressible pieces mixed in (the archive benchmark's kind of file):
// leaves of equal weight abound and climbs seldom trade, the streams on which the
// reader walks the next code while the model still climbs.
TEST(DecoderCrossCheck, TextWithIncompressiblePieces)
{
    std::mt19937 rng(11);
    const char* const words[] = {"archive ", "entry ", "stream ", "offset ", "header ", "Tessaly ", "\r\n"};
    std::string data;
    while (data.size() < 400000) {
        if (rng() % 5 == 0)
            for (int i = 0; i < 16; ++i) data.push_back(static_cast<char>(rng()));
        else
            data += words[rng() % 7];
    }
    THookScript script;
    script.Input = LzhCompress(data);
    for (Sizes s : {Sizes{32768, 32768}, Sizes{4096, 4096}, Sizes{1024, 100}}) {
        script.InSize = s.in;
        script.OutSize = s.out;
        ExpectSameCalls(script, "mixed text");
    }
    // Cut short, the exact reading takes over where the input ends.
    script.Input.resize(script.Input.size() * 2 / 3);
    ExpectSameCalls(script, "mixed text, cut");
    TCustomLZHCompressor codec(nullptr);
    script.Input = LzhCompress(data);
    EXPECT_EQ(OutputOf(RunScript(codec, script)), data);
}

TEST(DecoderCrossCheck, ArbitraryBytes)
{
    // Short ones end inside the first items; 300 KB of random bits are ~10 rebuilds of
    // a model whose leaves all weigh about the same (long runs of equal weights).
    const size_t lengths[] = {0, 1, 2, 3, 7, 8, 9, 63, 64, 65, 1000, 300000};
    uint32_t seed = 1;
    for (size_t n : lengths) {
        for (int round = 0; round < (n < 100 ? 20 : 1); ++round) {
            THookScript script;
            script.Input = RandomBytes(n, seed++);
            for (Sizes s : kSizes) {
                if (n > 100000 && s.in < 1024) continue;  // the same paths, slowly
                script.InSize = s.in;
                script.OutSize = s.out;
                ExpectSameCalls(script, "random " + std::to_string(n));
            }
        }
    }
    // Uniform bytes: all-zero bits walk to the leftmost leaves, all-one bits to the
    // rightmost, where the longest matches and offsets sit.
    for (char c : {'\0', '\xFF', '\x55'}) {
        THookScript script;
        script.Input = std::string(20000, c);
        ExpectSameCalls(script, "uniform " + std::to_string(uint8_t(c)));
    }
}

TEST(DecoderCrossCheck, CutStreamsStopAlike)
{
    std::string data = FileOrEmpty("/usr/share/common-licenses/GPL-3");
    if (data.empty()) data = RandomBytes(30000, 5);
    std::string stream = LzhCompress(data);
    for (size_t cut : {size_t(1), size_t(2), size_t(100), stream.size() / 2, stream.size() - 2, stream.size() - 1}) {
        THookScript script;
        script.Input = stream.substr(0, cut);
        for (Sizes s : {Sizes{16, 16}, Sizes{1024, 100}, Sizes{32768, 32768}}) {
            script.InSize = s.in;
            script.OutSize = s.out;
            ExpectSameCalls(script, "cut at " + std::to_string(cut));
        }
    }
}

TEST(DecoderCrossCheck, HookBehaviours)
{
    std::string data = FileOrEmpty("/usr/share/common-licenses/GPL-3");
    if (data.empty()) data = RandomBytes(30000, 6);
    struct Case {
        const char* name;
        THookScript script;
    };
    auto with = [&](auto change) {
        THookScript s;
        s.Input = LzhCompress(data);
        change(s);
        return s;
    };
    const Case cases[] = {
        {"odd pieces", with([](THookScript& s) { s.Pieces = {1, 7, 37, 300}; })},
        {"one byte per call", with([](THookScript& s) { s.Pieces = {1}; s.InSize = 64; })},
        {"ends early", with([](THookScript& s) { s.ReadEndAt = 3; })},
        {"read throws", with([](THookScript& s) { s.ReadThrowAt = 2; s.Pieces = {500}; })},
        {"first read throws", with([](THookScript& s) { s.ReadThrowAt = 0; })},
        {"write throws", with([](THookScript& s) { s.WriteThrowAt = 2; s.OutSize = 700; })},
        {"final flush throws", with([](THookScript& s) { s.WriteThrowAt = 0; s.OutSize = 32768; })},
        {"delivers again after the end", with([](THookScript& s) { s.ReadEndAt = 2; s.ResumeAfterEnd = true; s.Pieces = {200}; })},
        {"meddles", with([](THookScript& s) { s.Meddle = true; s.OutSize = 500; })},
        {"arbitrary bytes, odd pieces", with([](THookScript& s) { s.Input = RandomBytes(5000, 9); s.Pieces = {3, 1, 64}; })},
    };
    for (const Case& c : cases) {
        for (Sizes s : {Sizes{c.script.InSize, c.script.OutSize}, Sizes{16, 16}}) {
            THookScript script = c.script;
            script.InSize = s.in;
            script.OutSize = s.out;
            ExpectSameCalls(script, c.name);
        }
    }
}

}  // namespace
