// Helpers for the codec tests: run Expand/Compress on byte strings with counting hooks,
// and build streams item by item with an independent bit writer.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "codec/LzhWriter.h"
#include "codec/Lzh_op.h"

// Exposes the model so tests can write streams from explicit items.
class TestCodec : public TCustomLZHCompressor {
public:
    TestCodec() : TCustomLZHCompressor(nullptr) {}
    using TCustomLZHCompressor::Child;
    using TCustomLZHCompressor::Freq;
    using TCustomLZHCompressor::InitModel;
    using TCustomLZHCompressor::Parent;
    using TCustomLZHCompressor::ReadWay;
    using TCustomLZHCompressor::UpdateModel;

    std::string input;
    size_t at = 0;
    std::string output;
    int readCalls = 0;
    int writeCalls = 0;
    std::vector<uint16_t> writeCounts;

    // Hooks over `input` / `output`; `chunk` limits what one ReadInput call delivers.
    void Attach(size_t chunk = 1u << 20)
    {
        ReadInput = [this, chunk](TObject* sender, void* buf, uint16_t count, uint16_t& actual) {
            EXPECT_EQ(sender, this);
            ++readCalls;
            size_t n = std::min<size_t>({count, input.size() - at, chunk});
            std::memcpy(buf, input.data() + at, n);
            at += n;
            actual = static_cast<uint16_t>(n);
        };
        WriteOutput = [this](TObject* sender, void* buf, uint16_t count, uint16_t&) {
            EXPECT_EQ(sender, this);
            ++writeCalls;
            writeCounts.push_back(count);
            output.append(static_cast<const char*>(buf), count);
        };
    }
};

inline std::string ExpandWith(const std::string& stream, uint16_t inSize = 1024, uint16_t outSize = 1024)
{
    TestCodec c;
    c.SetInputBufferSize(inSize);
    c.SetOutputBufferSize(outSize);
    c.input = stream;
    c.Attach();
    c.Expand();
    return c.output;
}

inline std::string Bytes(std::initializer_list<int> v)
{
    std::string s;
    for (int b : v) s.push_back(static_cast<char>(b));
    return s;
}

// Writes streams the way the format defines them, independently of the product writer:
// symbol codes from the leaf-to-root walk, offsets from the canonical table.
class ItemWriter {
public:
    ItemWriter()
    {
        std::memset(model_.Freq.get(), 0, 628 * 2);
        model_.InitModel();
    }
    void Literal(int byte) { Symbol(byte); }
    void Match(int length, int d)
    {
        Symbol(length + 253);
        int u = d >> 6;
        int len = u < 1 ? 3 : u < 4 ? 4 : u < 12 ? 5 : u < 24 ? 6 : u < 48 ? 7 : 8;
        // Canonical code: count codes of shorter lengths.
        static const int firstU[] = {0, 0, 0, 0, 1, 4, 12, 24, 48};
        static const int firstCode[] = {0, 0, 0, 0, 0b0010, 0b01010, 0b100100, 0b1100000, 0b11110000};
        Bits(firstCode[len] + (u - firstU[len]), len);
        Bits(d & 0x3F, 6);
    }
    void Symbol(int s)
    {
        std::vector<int> bits;
        int q = model_.Parent[627 + s];
        while (q != 626) {
            int up = model_.Parent[q];
            bits.push_back(q - model_.Child[up]);
            q = up;
        }
        for (size_t i = bits.size(); i-- > 0;) Bit(bits[i]);
        model_.UpdateModel(s);
        ++symbols_;
    }
    // End marker and padding.
    std::string Finish()
    {
        Bit(1);
        while (count_ != 0) Bit(0);
        return out_;
    }
    size_t BitCount() const { return out_.size() * 8 + count_; }
    TestCodec& Model() { return model_; }
    int Symbols() const { return symbols_; }

private:
    void Bit(int b)
    {
        cur_ = static_cast<uint8_t>((cur_ << 1) | b);
        if (++count_ == 8) {
            out_.push_back(static_cast<char>(cur_));
            cur_ = 0;
            count_ = 0;
        }
    }
    void Bits(int v, int n)
    {
        for (int i = n - 1; i >= 0; --i) Bit((v >> i) & 1);
    }
    TestCodec model_;
    std::string out_;
    uint8_t cur_ = 0;
    int count_ = 0;
    int symbols_ = 0;
};
