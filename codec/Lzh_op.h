// TCustomLZHCompressor: the LZH stream codec as a non-visual component.
//
// Stream format (no header, no length, no checksum; bits packed MSB first):
//
//   item*  1  0{0..7}          one end-marker bit, then zero bits to the byte boundary
//
//   literal : adaptive code of symbol 0..255 (the byte)
//   match   : adaptive code of symbol 256..313 (length = symbol - 253, 3..60),
//             then the offset code of d (0..4095): prefix code of d >> 6 (3..8 bits),
//             then the low 6 bits of d, MSB first. The copy starts at ring index
//             (r - d - 1) & 0x0FFF, r being where the next output byte goes.
//
// The adaptive code is a Huffman tree of 314 leaves kept in weight order in Freq,
// Child and Parent; reader and writer update it identically after every symbol and
// rebuild it (weights halved) when the root weight reaches 0x8000. The dictionary is a
// 4096-byte ring that starts as 4036 spaces followed by zeros, writing from index 4036.
//
// Bytes move through ReadBytes and WriteBytes, which hand whole buffers to the
// ReadInput and WriteOutput hooks. The model lives in LzhModel.h, the reader in
// LzhDecoder.h, the writer in LzhWriter.h.
//
// Two operations:
//   Expand   decodes one stream from ReadInput to WriteOutput. Everything a hook throws
//            during decoding ends the run silently (the stream simply stops there); only
//            the final flush can throw to the caller.
//   Compress encodes everything ReadInput delivers into one stream on WriteOutput
//            (see the block comment at Compress below).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/classes/Component.h"

struct TLzhWriterOptions;

// The codec's own failure: a stream that cannot be written (see LzhWriter.h). Expand
// reports nothing; the end of a stream is its normal end.
class ECompress : public Exception {
public:
    using Exception::Exception;
};

// Hook between the codec and its owner. ReadInput fills Buffer with up to Count bytes
// and sets Actual to how many it delivered (0 = the input has ended, and it must keep
// answering 0 when asked again). WriteOutput takes Count bytes from Buffer (Count may be
// 0); the Actual it sets is ignored.
using TLZHDataEvent =
    std::function<void(TObject* Sender, void* Buffer, uint16_t Count, uint16_t& Actual)>;

// How the reader pairs the walk of each code with the model update of the code before
// (LzhDecoder.h): as the stream suggests, one after the other, or side by side. The
// output is the same every way; tests pin each way to check it.
enum class TLzhReadWay { AsSuggested, OneAfterOther, SideBySide };

class TCustomLZHCompressor : public TComponent {
public:
    // Geometry of the format.
    static constexpr int RingSize = 4096;
    static constexpr int MaxMatch = 60;
    static constexpr int MatchThreshold = 2;
    static constexpr int SymbolCount = 256 - MatchThreshold + MaxMatch;  // 314
    static constexpr int NodeCount = 2 * SymbolCount - 1;                 // 627
    static constexpr int RootNode = NodeCount - 1;                        // 626
    static constexpr uint16_t FreqLimit = 0x8000;
    static constexpr int RingStart = RingSize - MaxMatch;                 // 4036

    explicit TCustomLZHCompressor(TComponent* AOwner);
    ~TCustomLZHCompressor() override;
    std::string ClassName() const override { return "TCustomLZHCompressor"; }

    // Decodes one whole stream from ReadInput to WriteOutput. Does nothing at all when
    // called while a run of this component is in progress (from inside a hook).
    void Expand();

    // Compresses everything ReadInput delivers, up to its first Actual = 0, into one
    // complete stream (end marker included) handed to WriteOutput.
    //  - Same hook contract and buffers as Expand: input arrives through ReadBytes in
    //    pieces of at most InputBufferSize bytes; output leaves through WriteBytes, so
    //    WriteOutput sees full OutputBufferSize buffers and finally one call with the
    //    rest (0..OutputBufferSize bytes; an empty input gives the single byte 0x80).
    //  - Unlike Expand, an exception from a hook is NOT swallowed: a writer that lost
    //    input or output must not look successful. It reaches the caller after the
    //    buffers have been freed, Idle restored and OnDone fired; what WriteOutput had
    //    received by then is not a valid stream.
    //  - Returns true when a stream was written, false when ignored (nested call).
    //  - The stream always expands to exactly the input, also when the reader is not
    //    told the size: the writer never leaves the final state in which a byte-aligned
    //    end marker would be decoded as one more symbol.
    //  - Afterwards CompressedSize()/UncompressedSize() give the byte counts of the run.
    // Output depends only on the input bytes, never on the buffer sizes or on how the
    // hook splits the input.
    bool Compress();
    // The same with explicit writer options (codec/LzhWriter.h).
    bool Compress(const TLzhWriterOptions& Options);
    int64_t UncompressedSize() const { return lastIn_; }
    int64_t CompressedSize() const { return lastOut_; }

    // 16..32768, default 1024. Ignored while a run is in progress; values below 16 store
    // 16, above 32768 store 32768.
    uint16_t InputBufferSize() const { return FInputBufferSize; }
    void SetInputBufferSize(uint16_t Value);
    uint16_t OutputBufferSize() const { return FOutputBufferSize; }
    void SetOutputBufferSize(uint16_t Value);

    // True when no Expand or Compress is running.
    bool IsIdle() const { return Idle; }

    // Hooks, called without checking that they are assigned.
    TLZHDataEvent ReadInput;
    TLZHDataEvent WriteOutput;
    // Fired (when assigned) at the end of every run, after Idle is true again, also
    // when the run ends by an exception.
    TNotifyEvent OnDone;

protected:
    // Buffered write. Count = 0 flushes the held bytes to WriteOutput (Written untouched);
    // otherwise Count (<= OutputBufferSize) bytes are appended, handing the held ones on
    // first if they would not fit.
    virtual void WriteBytes(const void* Buffer, uint16_t Count, uint16_t& Written);
    // Buffered read of Count (<= InputBufferSize) bytes; Got is how many were valid.
    // ReadInput is asked only when the held bytes do not cover the request.
    virtual void ReadBytes(void* Buffer, uint16_t Count, uint16_t& Got);

    // The adaptive model on Freq, Parent and Child (codec/LzhModel.h).
    void InitModel();
    void UpdateModel(int s);
    void RebuildModel();

    TLzhReadWay ReadWay = TLzhReadWay::AsSuggested;

    // The reader's 16-bit bit buffer as of the end of the last Expand.
    uint16_t ReadBitBuffer = 0;  // unread bits, next in bit 15, low bits 0
    uint8_t ReadBitCount = 0;    // valid bits in ReadBitBuffer, <= 15
    uint8_t WriteBitCount = 0;   // writer: pending bits in WriteBitBuffer
    uint16_t WriteBitBuffer = 0; // writer: pending bits, first in bit 15
    uint32_t BytesIn = 0;        // writer: input bytes taken (low 32 bits)
    uint32_t BytesOut = 0;       // writer: stream bytes produced (low 32 bits)
    uint32_t ItemCount = 0;      // writer: items encoded (low 32 bits)
    uint16_t MatchPosition = 0;  // writer: offset d of the last match
    uint16_t MatchLength = 0;    // writer: length of the last match
    std::unique_ptr<uint8_t[]> RingBuffer;     // 4155 bytes
    std::unique_ptr<uint16_t[]> SearchTreeA;   // 4097 entries
    std::unique_ptr<uint16_t[]> SearchTreeB;   // 4097 entries
    std::unique_ptr<uint16_t[]> SearchTreeC;   // 4353 entries
    std::unique_ptr<uint16_t[]> Freq;          // 628: weights, [627] = 0xFFFF sentinel
    std::unique_ptr<uint16_t[]> Parent;        // 941: parents, then symbol -> leaf (+1 spare)
    std::unique_ptr<uint16_t[]> Child;         // 627: children (>= 627: leaf of sym-627)
    uint16_t OutputPos = 1;   // 1-based next free byte of OutputBuffer
    uint16_t InputPos = 1;    // 1-based next unread byte of InputBuffer
    uint16_t InputCount = 0;  // valid bytes in InputBuffer
    uint8_t* InputBuffer = nullptr;   // only during a run
    uint8_t* OutputBuffer = nullptr;  // only during a run
    bool InputEnded = false;
    bool Idle = true;
    uint16_t FInputBufferSize = 0;
    uint16_t FOutputBufferSize = 0;

    static constexpr int RingBufferBytes = RingSize + MaxMatch - 1;  // 4155
    static constexpr int SearchTreeEntries = RingSize + 1;           // 4097
    static constexpr int SearchRootEntries = RingSize + 1 + 256;     // 4353

private:
    void ResetState();
    friend class TLzhStreamWriter;
    friend class TLzhDecoder;

    // The reader's input at hand and output window, from the first Expand on.
    std::unique_ptr<uint8_t[]> decodeSpace_;

    int64_t lastIn_ = 0;
    int64_t lastOut_ = 0;
};
