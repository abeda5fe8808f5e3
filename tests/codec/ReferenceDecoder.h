// The plain byte-at-a-time stream reader, kept beside the tests as the reference the
// component's decoder is checked against (the cross-check tests and the comparison
// fuzz target). It is the straightforward form of the format: one bit at a time
// through a 16-bit bit buffer, one byte at a time through a buffered read and write
// that call the hooks once per buffer, the tree walked from the root per symbol and
// updated from the leaf up, the rebuild by block moves.
//
// It mirrors the component's run contract as well: Idle guard, buffer sizes clamped
// to 16..32768 and frozen during a run, everything thrown during decoding swallowed,
// then the final flush, OnDone after Idle is restored. Hooks get Sender = nullptr.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>

#include "codec/LzhTables.h"
#include "codec/Lzh_op.h"

class TReferenceDecoder {
public:
    static constexpr int kLeaf = 627;
    static constexpr int kRoot = 626;

    TReferenceDecoder()
    {
        SetInputBufferSize(1024);
        SetOutputBufferSize(1024);
    }

    TLZHDataEvent ReadInput;
    TLZHDataEvent WriteOutput;
    std::function<void()> OnDone;

    void SetInputBufferSize(uint16_t v)
    {
        if (idle_) inSize_ = Clamp(v);
    }
    void SetOutputBufferSize(uint16_t v)
    {
        if (idle_) outSize_ = Clamp(v);
    }
    uint16_t InputBufferSize() const { return inSize_; }
    uint16_t OutputBufferSize() const { return outSize_; }
    bool IsIdle() const { return idle_; }
    // The bit reader's state after the last run.
    uint16_t BitBuffer() const { return bitBuf_; }
    bool InputEnded() const { return ended_; }

    void Expand()
    {
        if (!idle_) return;
        std::unique_ptr<uint8_t[]> in(new uint8_t[inSize_]);
        idle_ = false;
        // Frees the run's buffers, restores Idle and fires OnDone on every way out.
        struct Guard {
            TReferenceDecoder& d;
            bool finished = false;
            void Release()
            {
                d.inBuf_ = d.outBuf_ = nullptr;
                d.idle_ = true;
            }
            void Finish()
            {
                Release();
                finished = true;
                if (d.OnDone) d.OnDone();
            }
            ~Guard()
            {
                if (finished) return;
                Release();
                try {
                    if (d.OnDone) d.OnDone();
                } catch (...) {
                }
            }
        } guard{*this};
        std::unique_ptr<uint8_t[]> out(new uint8_t[outSize_]);
        inBuf_ = in.get();
        outBuf_ = out.get();
        ended_ = false;
        bitBuf_ = 0;
        bitCount_ = 0;
        outPos_ = 1;
        inPos_ = 1;
        inCount_ = 0;
        std::memset(freq_, 0, sizeof freq_);
        std::memset(parent_, 0, sizeof parent_);
        std::memset(child_, 0, sizeof child_);
        std::memset(ring_, 0, sizeof ring_);
        try {
            Loop();
        } catch (...) {
        }
        uint16_t ignored = 0;
        WriteOutput(nullptr, outBuf_, static_cast<uint16_t>(outPos_ - 1), ignored);
        guard.Finish();
    }

private:
    struct EndSignal {};

    static uint16_t Clamp(uint16_t v) { return v < 16 ? 16 : v > 32768 ? 32768 : v; }

    void WriteByte(uint8_t x)
    {
        uint16_t ignored = 0;
        if (outPos_ > outSize_) {
            WriteOutput(nullptr, outBuf_, static_cast<uint16_t>(outPos_ - 1), ignored);
            outPos_ = 1;
        }
        outBuf_[outPos_ - 1] = x;
        ++outPos_;
    }

    // One byte through the buffered read: true when a byte came.
    bool ReadOne(uint8_t& x)
    {
        if (inPos_ > inCount_) {
            uint16_t actual = 0;
            ReadInput(nullptr, inBuf_, inSize_, actual);
            inCount_ = std::min(actual, inSize_);
            if (inCount_ == 0) return false;
            inPos_ = 1;
        }
        x = inBuf_[inPos_ - 1];
        ++inPos_;
        return true;
    }

    void Refill()
    {
        uint8_t x = 0;
        if (!ReadOne(x)) {
            x = 0;
            ended_ = true;
        }
        bitBuf_ = static_cast<uint16_t>(bitBuf_ | (x << (8 - bitCount_)));
        bitCount_ = static_cast<uint8_t>(bitCount_ + 8);
    }

    int ReadBit()
    {
        if (bitCount_ < 8) Refill();
        int bit = bitBuf_ >> 15;
        bitBuf_ = static_cast<uint16_t>(bitBuf_ << 1);
        --bitCount_;
        return bit;
    }

    int ReadByte()
    {
        if (bitCount_ < 8) Refill();
        int byte = bitBuf_ >> 8;
        bitBuf_ = static_cast<uint16_t>(bitBuf_ << 8);
        bitCount_ = static_cast<uint8_t>(bitCount_ - 8);
        return byte;
    }

    void InitModel()
    {
        for (int s = 0; s < 314; ++s) {
            freq_[s] = 1;
            child_[s] = static_cast<uint16_t>(s + kLeaf);
            parent_[s + kLeaf] = static_cast<uint16_t>(s);
        }
        int i = 0;
        for (int j = 314; j < kLeaf; ++j) {
            freq_[j] = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
            child_[j] = static_cast<uint16_t>(i);
            parent_[i] = parent_[i + 1] = static_cast<uint16_t>(j);
            i += 2;
        }
        freq_[kLeaf] = 0xFFFF;
        parent_[kRoot] = 0;
    }

    void RebuildModel()
    {
        int j = 0;
        for (int i = 0; i < kLeaf; ++i) {
            if (child_[i] >= kLeaf) {
                freq_[j] = static_cast<uint16_t>((freq_[i] + 1) / 2);
                child_[j] = child_[i];
                ++j;
            }
        }
        int i = 0;
        for (j = 314; j < kLeaf; ++j) {
            uint16_t f = static_cast<uint16_t>(freq_[i] + freq_[i + 1]);
            int k = j - 1;
            while (freq_[k] > f) --k;
            ++k;
            std::memmove(freq_ + k + 1, freq_ + k, static_cast<size_t>(j - k) * 2);
            std::memmove(child_ + k + 1, child_ + k, static_cast<size_t>(j - k) * 2);
            freq_[k] = f;
            child_[k] = static_cast<uint16_t>(i);
            i += 2;
        }
        for (int p = 0; p < kLeaf; ++p) {
            int k = child_[p];
            parent_[k] = static_cast<uint16_t>(p);
            if (k < kLeaf) parent_[k + 1] = static_cast<uint16_t>(p);
        }
    }

    void UpdateModel(int s)
    {
        if (freq_[kRoot] == 0x8000) RebuildModel();
        int c = parent_[s + kLeaf];
        do {
            uint16_t k = static_cast<uint16_t>(freq_[c] + 1);
            freq_[c] = k;
            if (freq_[c + 1] < k) {
                int l = c + 1;
                while (freq_[l + 1] < k) ++l;
                freq_[c] = freq_[l];
                freq_[l] = k;
                int i = child_[c];
                parent_[i] = static_cast<uint16_t>(l);
                if (i < kLeaf) parent_[i + 1] = static_cast<uint16_t>(l);
                int j = child_[l];
                child_[l] = static_cast<uint16_t>(i);
                parent_[j] = static_cast<uint16_t>(c);
                if (j < kLeaf) parent_[j + 1] = static_cast<uint16_t>(c);
                child_[c] = static_cast<uint16_t>(j);
                c = l;
            }
            c = parent_[c];
        } while (c != 0);
    }

    int DecodeSymbol()
    {
        int v = child_[kRoot];
        while (v < kLeaf) {
            v = child_[v + ReadBit()];
            if (ended_ && bitBuf_ == 0) {
                bitBuf_ = 0x8000;
                throw EndSignal{};
            }
        }
        int s = v - kLeaf;
        UpdateModel(s);
        return s;
    }

    int DecodeOffset()
    {
        int b = ReadByte();
        int u = LzhOffset.upper[b];
        int n = LzhOffset.bits[b] - 2;
        for (int i = 0; i < n; ++i) b = (2 * b + ReadBit()) & 0xFFFF;
        return (u << 6) | (b & 0x3F);
    }

    void Loop()
    {
        InitModel();
        std::memset(ring_, 0x20, 4036);
        int r = 4036;
        for (;;) {
            int s = DecodeSymbol();
            if (s < 256) {
                WriteByte(static_cast<uint8_t>(s));
                ring_[r] = static_cast<uint8_t>(s);
                r = (r + 1) & 0xFFF;
            } else {
                int p = (r - DecodeOffset() - 1) & 0xFFF;
                for (int k = 0; k < s - 253; ++k) {
                    uint8_t x = ring_[(p + k) & 0xFFF];
                    WriteByte(x);
                    ring_[r] = x;
                    r = (r + 1) & 0xFFF;
                }
            }
            if (ended_ && bitBuf_ == 0x8000) break;
        }
    }

    uint16_t freq_[628] = {};
    uint16_t parent_[941] = {};
    uint16_t child_[627] = {};
    uint8_t ring_[4155] = {};
    uint16_t bitBuf_ = 0;
    uint8_t bitCount_ = 0;
    bool ended_ = false;
    bool idle_ = true;
    uint16_t inSize_ = 0, outSize_ = 0;
    uint16_t inPos_ = 1, inCount_ = 0, outPos_ = 1;
    uint8_t* inBuf_ = nullptr;
    uint8_t* outBuf_ = nullptr;
};
