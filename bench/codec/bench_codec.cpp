// Throughput of Expand and Compress on real files of the system (executable code and
// text), on synthetic extremes and on text mixed with incompressible pieces. Bytes
// processed are uncompressed bytes. The comparisons with gzip and xz are compare.sh's.
#include <benchmark/benchmark.h>

#include <fstream>
#include <random>
#include <sstream>

#include "codec/LzhWriter.h"

namespace {

std::string Load(const char* path)
{
    std::ifstream f(path, std::ios::binary);
    std::stringstream ss;
    ss << f.rdbuf();
    return ss.str();
}

std::string Data(int which)
{
    switch (which) {
    case 0: return Load("/usr/bin/dpkg");
    case 1: return Load("/bin/bash");
    case 2: {
        std::string s = Load("/usr/share/common-licenses/GPL-3");
        return s + Load("/usr/share/common-licenses/GPL-2") + Load("/usr/share/common-licenses/Apache-2.0");
    }
    case 3: {
        std::mt19937 rng(1);
        std::string s(1 << 20, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        return s;
    }
    case 4: return std::string(1 << 22, '\0');
    default: {
        // Words with incompressible 16-byte pieces, as in the 200 MB extraction benchmark.
        std::mt19937 rng(7);
        const char* const words[] = {"archive ", "entry ", "stream ", "offset ", "header ", "Tessaly ", "\r\n"};
        std::string s;
        while (s.size() < (4u << 20)) {
            if (rng() % 5 == 0)
                for (int i = 0; i < 16; ++i) s.push_back(static_cast<char>(rng()));
            else
                s += words[rng() % 7];
        }
        return s;
    }
    }
}

const char* kNames[] = {"dpkg", "bash", "licences", "random", "zeros", "mixed"};

void BM_Compress(benchmark::State& state)
{
    std::string data = Data(static_cast<int>(state.range(0)));
    TLzhWriterOptions options;
    options.HelperThread = state.range(1) != 0;
    size_t packed = 0;
    for (auto _ : state) packed = LzhCompress(data, options).size();
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
    state.SetLabel(std::string(kNames[state.range(0)]) + (options.HelperThread ? " 2 threads" : " 1 thread") + " ratio " +
                   std::to_string(double(packed) / double(data.size())).substr(0, 5));
}

void BM_Expand(benchmark::State& state)
{
    std::string data = Data(static_cast<int>(state.range(0)));
    std::string stream = LzhCompress(data);
    for (auto _ : state) {
        std::string out = LzhExpand(stream);
        if (out.size() != data.size()) state.SkipWithError("length mismatch");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * data.size()));
    state.SetLabel(kNames[state.range(0)]);
}

// Wall-clock time: the match search may run on a second thread (second argument 1).
BENCHMARK(BM_Compress)->ArgsProduct({{0, 1, 2, 3, 4, 5}, {0, 1}})->UseRealTime()->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Expand)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
