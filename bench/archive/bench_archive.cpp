// ExtractArchive on a single entry of mixed text-like and random bytes, so that both
// literals and long matches are exercised. Reports expanded bytes per second.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "archive/Lzh_btch.h"
#include "platform/win/Machine.h"
#include "platform/win/SysFiles.h"

namespace {

std::string Content(size_t n)
{
    std::string s;
    s.reserve(n);
    uint32_t seed = 7;
    const std::string words[] = {"archive ", "entry ", "stream ", "offset ", "header ", "Tessaly ", "\r\n"};
    while (s.size() < n) {
        seed = seed * 1103515245u + 12345u;
        if ((seed >> 28) < 3) {
            for (int i = 0; i < 16; ++i) s += static_cast<char>((seed = seed * 1103515245u + 12345u) >> 24);
        } else {
            s += words[(seed >> 16) % 7];
        }
    }
    s.resize(n);
    return s;
}

void BM_ExtractEntry(benchmark::State& state)
{
    const size_t n = static_cast<size_t>(state.range(0));
    char tmpl[] = "/tmp/bench-archive-XXXXXX";
    if (!::mkdtemp(tmpl)) {
        state.SkipWithError("mkdtemp failed");
        return;
    }
    Machine::SetRoot(tmpl);
    CreateDir("C:\\in");
    std::string host;
    DWORD err;
    Machine::ToHostPath("C:\\in\\data.bin", host, err);
    {
        std::ofstream(host, std::ios::binary) << Content(n);
    }
    TLZHBatch b(nullptr);
    b.SetArchiveFileName("C:\\in\\data.lzd");
    TStringList in;
    in.Add("C:\\in\\data.bin");
    b.SetInputFiles(&in);
    b.CreateArchive();
    b.SetOutputDirectory("C:\\out");
    for (auto _ : state) b.ExtractArchive();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(n));
    std::filesystem::remove_all(tmpl);
}

}  // namespace

BENCHMARK(BM_ExtractEntry)->Arg(1 << 20)->Arg(16 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
