// The filer: tagged values and the component streams built from them.
//
// A tagged value is one tag byte followed by its payload, little-endian:
//
//   00 end of list            01 list (values until 00)
//   02 int8   03 int16   04 int32   13 int64          (signed)
//   05 extended: 8 bytes significand with explicit integer bit 63,
//                2 bytes [sign:1 | exponent:15, bias 16383]
//   06 string: u8 length + bytes      0C long string: i32 length + bytes
//   07 identifier: u8 length + name   08 false   09 true
//   0A binary: u32 length + bytes     0B set: short strings ended by an empty one
//   0D nil   0E collection   0F single (4)   10 currency (i64 / 10000)
//   11 date (double)   12 wide string: u32 count + UTF-16LE
//
// A component stream starts with "TPF0"; a component is an optional prefix byte
// 0xF0|flags, its class name and instance name as short strings, (name, value)
// property pairs, 00, its children, 00, and then whatever state the component writes
// after its children (see TComponent::ReadState / WriteState).
//
// TReader never buffers: every call reads exactly the bytes of what it returns, so the
// stream position is always the first byte not yet consumed (an archive header needs
// the byte after its closing 00 exactly).
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Stream.h"

enum TValueType : uint8_t {
    vaNull = 0,
    vaList = 1,
    vaInt8 = 2,
    vaInt16 = 3,
    vaInt32 = 4,
    vaExtended = 5,
    vaString = 6,
    vaIdent = 7,
    vaFalse = 8,
    vaTrue = 9,
    vaBinary = 10,
    vaSet = 11,
    vaLString = 12,
    vaNil = 13,
    vaCollection = 14,
    vaSingle = 15,
    vaCurrency = 16,
    vaDate = 17,
    vaWString = 18,
    vaInt64 = 19,
};

// Human name of a tag ("integer", "long string", "tag 0x2A" for unknown ones).
std::string ValueTypeName(uint8_t Tag);

// A class name in a stream that the class registry does not know.
class EClassNotFound : public EReadError {
public:
    using EReadError::EReadError;
};

// The ten bytes of an 80-bit extended float, as stored.
struct TExtended80 {
    uint8_t Bytes[10] = {};
};
// double -> extended is exact (also for subnormals, infinities and NaN payloads).
TExtended80 DoubleToExtended(double Value);
// extended -> double rounds to nearest; out-of-range magnitudes become infinities
// or zeros, a NaN stays a NaN.
double ExtendedToDouble(const TExtended80& Value);
// Exact on hosts whose long double has at least 64 significand bits.
long double ExtendedToLongDouble(const TExtended80& Value);
TExtended80 LongDoubleToExtended(long double Value);

// Component prefix flags (the low nibble of a 0xF0 prefix byte).
enum TFilerFlag : uint8_t { ffInherited = 1, ffChildPos = 2, ffInline = 4 };

// Deepest nesting of lists, sets of lists and components a reader accepts.
constexpr int MaxFilerNesting = 128;

class TPropInfo;
class TPersistent;

// Finds a root component by name for references into other roots ("Form1.Label1");
// set by the layer that keeps the application's forms. Unset: such references fail.
extern std::function<TComponent*(const std::string& Name)> FindGlobalComponent;

class TReader {
public:
    explicit TReader(TStream& Stream);
    ~TReader();
    TReader(const TReader&) = delete;
    TReader& operator=(const TReader&) = delete;

    // ---- Tagged values. A wrong tag or a short stream raises EReadError naming what
    // was expected and the offset of the offending tag. ----
    TValueType ReadValue();  // consumes one tag byte
    TValueType NextValue();  // the next tag, position unchanged
    // vaInt8/16/32, sign-extended.
    int32_t ReadInteger();
    // vaInt8/16/32/64.
    int64_t ReadInt64();
    // vaString, vaLString; vaWString converted to the ANSI code page ('?' for what it lacks).
    std::string ReadString();
    // vaExtended or any of vaInt8/16/32 (the integer taken as the value).
    double ReadFloat();
    // The extended value's ten bytes unconverted (vaExtended only).
    TExtended80 ReadExtended();
    // vaSingle; vaDate; vaCurrency (its scaled 64-bit integer).
    float ReadSingle();
    double ReadDate();
    int64_t ReadCurrency();
    bool ReadBoolean();  // vaFalse / vaTrue
    // vaIdent; vaFalse, vaTrue, vaNil and vaNull come back as "False", "True", "nil", "Null".
    std::string ReadIdent();
    // A vaSet's element names, in stored order.
    std::vector<std::string> ReadSet();
    // A vaBinary's bytes.
    std::string ReadBinary();
    void ReadListBegin();
    void ReadListEnd();
    // True when the next byte is vaNull (not consumed).
    bool EndOfList();
    // Skips one complete value of any type (lists and collections included).
    void SkipValue();
    // Raw bytes; EReadError when the stream ends first.
    void Read(void* Buffer, int32_t Count);
    // Untagged short string (length byte + bytes): class, component and property names.
    std::string ReadStr();
    // "TPF0"; EReadError otherwise.
    void ReadSignature();

    int64_t Position() const;
    TStream& Stream() { return stream_; }

    // ---- Component streaming. ----
    // Reads a whole component stream into Root (its class name in the stream is not
    // checked; its name is taken from the stream) or, when Root is null, into a new
    // component of the stream's root class created through the class registry
    // without owner. Every component read has csLoading while the stream is read and
    // csReading during its own ReadState; after the whole stream: component
    // references are fixed up, then Loaded runs on every component read, in reading
    // order (the root first). On an error nothing is Loaded, the component being
    // read is destroyed and the exception passes (a root created here is destroyed too).
    TComponent* ReadRootComponent(TComponent* Root);
    // One component: prefix, class, name, then its ReadState. Created through the
    // class registry with Owner() as owner and told its parent (SetParentComponent)
    // before its state is read. Needs SetRoot (ReadRootComponent does it).
    TComponent* ReadComponent(TComponent* Parent);
    // The platform's part of TComponent::ReadState: properties, 00, children, 00.
    void ReadData(TComponent* Instance);
    // Properties of Instance until (not including) the list's 00.
    void ReadProperties(TPersistent* Instance);
    // Reads one (name, value) pair into Instance.
    void ReadProperty(TPersistent* Instance);

    TComponent* Root() const { return root_; }
    void SetRoot(TComponent* Value) { root_ = Value; }
    // Owner of the components read (the root unless set otherwise).
    TComponent* Owner() const { return owner_ ? owner_ : root_; }
    void SetOwner(TComponent* Value) { owner_ = Value; }
    // The component whose children are being read.
    TComponent* Parent() const { return parent_; }

    // Called for a property the instance's class does not publish. Leave Handled false
    // to get the default error; set it to true to skip the value instead.
    std::function<void(TReader& Reader, TPersistent* Instance, const std::string& PropPath, bool& Handled)>
        OnPropertyNotFound;

private:
    friend struct TReaderAccess;
    [[noreturn]] void Error(const std::string& Expected, int64_t Offset) const;
    uint8_t ReadByte(const char* Expected);
    void ReadPayload(void* Buffer, int64_t Count, const char* What, int64_t TagOffset);
    int64_t ReadLength32(const char* What, int64_t TagOffset);
    void SkipSetBody();
    void SkipValueAt(int Depth);
    void ReadPropValue(TPersistent* Instance, const TPropInfo& Prop, const std::string& Path);
    void ReadStringsList(class TStrings& Strings);
    void FixupReferences();

    struct Fixup {
        TPersistent* Instance;
        const TPropInfo* Prop;
        std::string Name;
        std::string Path;
        int64_t Offset;
    };

    TStream& stream_;
    TComponent* root_ = nullptr;
    TComponent* owner_ = nullptr;
    TComponent* parent_ = nullptr;
    int depth_ = 0;
    int64_t propOffset_ = 0;
    std::vector<TComponent*> loaded_;
    std::vector<Fixup> fixups_;
};

class TWriter {
public:
    explicit TWriter(TStream& Stream);
    TWriter(const TWriter&) = delete;
    TWriter& operator=(const TWriter&) = delete;

    // ---- Tagged values. ----
    void WriteValue(TValueType Value);
    // The smallest of vaInt8/16/32 that holds Value, vaInt64 beyond 32 bits.
    void WriteInteger(int64_t Value);
    // vaString up to 255 characters, vaLString beyond.
    void WriteString(const std::string& Value);
    // vaWString from UTF-16 code units.
    void WriteWideString(const std::u16string& Value);
    // vaExtended, exact.
    void WriteFloat(double Value);
    void WriteExtended(const TExtended80& Value);
    void WriteSingle(float Value);
    void WriteDate(double Value);
    void WriteCurrency(int64_t Scaled);
    void WriteBoolean(bool Value);
    // vaIdent; "True"/"False"/"nil"/"Null" (any case) are written as their own tags.
    void WriteIdent(const std::string& Value);
    void WriteSet(const std::vector<std::string>& Names);
    void WriteBinary(const void* Data, int64_t Count);
    void WriteListBegin();
    void WriteListEnd();
    void Write(const void* Buffer, int32_t Count);
    // Untagged short string; EWriteError beyond 255 characters.
    void WriteStr(const std::string& Value);
    void WriteSignature();
    int64_t Position() const;
    TStream& Stream() { return stream_; }

    // ---- Component streaming. ----
    // "TPF0" and the root component with its children.
    void WriteRootComponent(TComponent* Root);
    // Prefix (none), class name, name, then the component's WriteState.
    void WriteComponent(TComponent* Component);
    // The platform's part of TComponent::WriteState: properties, 00, children
    // (GetChildren with the writer's root), 00.
    void WriteData(TComponent* Instance);
    // Instance's published properties that differ from their defaults, names prefixed
    // by Prefix (nested objects: "Font.").
    void WriteProperties(const TPersistent* Instance, const std::string& Prefix = {});

    TComponent* Root() const { return root_; }
    void SetRoot(TComponent* Value) { root_ = Value; }

private:
    void WritePropValue(const TPersistent* Instance, const TPropInfo& Prop, const std::string& Prefix);
    std::string ComponentRefName(const TComponent* C) const;

    TStream& stream_;
    TComponent* root_ = nullptr;
    int depth_ = 0;
};
