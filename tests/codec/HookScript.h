// Runs a decoder (the component or the reference) between scripted hooks and records
// every hook call, so that two decoders can be compared call for call: what ReadInput
// was asked for and delivered, what WriteOutput was handed, and how the run ended.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "codec/Lzh_op.h"
#include "platform/rtl/Exception.h"

struct THookScript {
    std::string Input;          // the bytes ReadInput serves, in order
    uint16_t InSize = 1024;     // buffer sizes set before the run
    uint16_t OutSize = 1024;
    std::vector<uint16_t> Pieces;  // most bytes per ReadInput call, cycled (empty: all asked)
    int ReadThrowAt = -1;       // ReadInput call (0-based) that throws instead
    int ReadEndAt = -1;         // ReadInput call from which on it reports the end
    int WriteThrowAt = -1;      // WriteOutput call that throws
    bool ResumeAfterEnd = false;  // after reporting the end once, deliver the rest anyway
    bool Meddle = false;        // hooks try a nested Expand and size changes
};

struct THookCall {
    char Kind;          // 'R' read, 'W' write, 'X' Expand threw
    uint16_t Count;     // asked for (R) or handed (W)
    uint16_t Actual;    // delivered (R)
    std::string Bytes;  // what was delivered (R) or handed (W)
    bool operator==(const THookCall&) const = default;
};

inline std::string Describe(const THookCall& c)
{
    return std::string(1, c.Kind) + " " + std::to_string(c.Count) + "/" + std::to_string(c.Actual) + " (" +
           std::to_string(c.Bytes.size()) + " bytes)";
}

// The decoder's output, from the write calls.
inline std::string OutputOf(const std::vector<THookCall>& calls)
{
    std::string s;
    for (const THookCall& c : calls)
        if (c.Kind == 'W') s += c.Bytes;
    return s;
}

template <class Decoder>
std::vector<THookCall> RunScript(Decoder& d, const THookScript& script)
{
    std::vector<THookCall> calls;
    size_t at = 0;
    int reads = 0, writes = 0;
    bool ended = false;
    d.SetInputBufferSize(script.InSize);
    d.SetOutputBufferSize(script.OutSize);
    auto meddle = [&] {
        if (!script.Meddle) return;
        d.SetInputBufferSize(16);
        d.SetOutputBufferSize(16);
        d.Expand();  // ignored: a run is in progress
    };
    d.ReadInput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
        int call = reads++;
        meddle();
        if (call == script.ReadThrowAt) throw Exception("read failed");
        size_t n = std::min<size_t>(count, script.Input.size() - at);
        if (!script.Pieces.empty()) n = std::min<size_t>(n, script.Pieces[size_t(call) % script.Pieces.size()]);
        if ((script.ReadEndAt >= 0 && call >= script.ReadEndAt) || (ended && !script.ResumeAfterEnd)) n = 0;
        if (n == 0) ended = true;
        std::memcpy(buf, script.Input.data() + at, n);
        calls.push_back({'R', count, static_cast<uint16_t>(n), script.Input.substr(at, n)});
        at += n;
        actual = static_cast<uint16_t>(n);
    };
    d.WriteOutput = [&](TObject*, void* buf, uint16_t count, uint16_t& actual) {
        int call = writes++;
        meddle();
        calls.push_back({'W', count, 0, std::string(static_cast<const char*>(buf), count)});
        if (call == script.WriteThrowAt) throw Exception("write failed");
        actual = count;
    };
    try {
        d.Expand();
    } catch (const Exception&) {
        calls.push_back({'X', 0, 0, {}});
    }
    return calls;
}
