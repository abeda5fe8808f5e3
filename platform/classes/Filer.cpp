#include "platform/classes/Filer.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/classes/Strings.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/StrUtils.h"

std::function<TComponent*(const std::string& Name)> FindGlobalComponent;

std::string ValueTypeName(uint8_t Tag)
{
    switch (Tag) {
    case vaNull: return "end of list";
    case vaList: return "list";
    case vaInt8:
    case vaInt16:
    case vaInt32: return "integer";
    case vaExtended: return "extended float";
    case vaString: return "string";
    case vaIdent: return "identifier";
    case vaFalse:
    case vaTrue: return "boolean";
    case vaBinary: return "binary data";
    case vaSet: return "set";
    case vaLString: return "long string";
    case vaNil: return "nil";
    case vaCollection: return "collection";
    case vaSingle: return "single float";
    case vaCurrency: return "currency";
    case vaDate: return "date";
    case vaWString: return "wide string";
    case vaInt64: return "64-bit integer";
    }
    return Format("tag 0x%02X", Tag);
}

// ---------------------------------------------------------------------------------
// 80-bit extended <-> double
//
//   byte  0..7   significand, bit 63 the explicit integer bit
//   byte  8..9   bit 15 sign, bits 0..14 exponent biased by 16383
//   value = significand * 2^(exponent - 16383 - 63)   (exponent 0: 2^(1 - 16383 - 63))

namespace {

void PutExtended(TExtended80& x, uint64_t sig, uint16_t signExp)
{
    for (int i = 0; i < 8; ++i) x.Bytes[i] = static_cast<uint8_t>(sig >> (8 * i));
    x.Bytes[8] = static_cast<uint8_t>(signExp);
    x.Bytes[9] = static_cast<uint8_t>(signExp >> 8);
}

void GetExtended(const TExtended80& x, uint64_t& sig, uint16_t& signExp)
{
    sig = 0;
    for (int i = 7; i >= 0; --i) sig = (sig << 8) | x.Bytes[i];
    signExp = static_cast<uint16_t>(x.Bytes[8] | (x.Bytes[9] << 8));
}

}  // namespace

TExtended80 DoubleToExtended(double Value)
{
    uint64_t bits;
    std::memcpy(&bits, &Value, 8);
    uint16_t sign = (bits >> 63) ? 0x8000 : 0;
    int exp = static_cast<int>((bits >> 52) & 0x7FF);
    uint64_t man = bits & ((uint64_t(1) << 52) - 1);
    TExtended80 x;
    if (exp == 0 && man == 0) {
        PutExtended(x, 0, sign);
    } else if (exp == 0) {
        // Subnormal double: normalise, since extended has the exponent range for it.
        int msb = 63 - __builtin_clzll(man);
        uint64_t sig = man << (63 - msb);
        PutExtended(x, sig, static_cast<uint16_t>(sign | (16383 - 1074 + msb)));
    } else if (exp == 0x7FF) {
        PutExtended(x, (uint64_t(1) << 63) | (man << 11), static_cast<uint16_t>(sign | 0x7FFF));
    } else {
        PutExtended(x, (uint64_t(1) << 63) | (man << 11), static_cast<uint16_t>(sign | (exp - 1023 + 16383)));
    }
    return x;
}

double ExtendedToDouble(const TExtended80& Value)
{
    uint64_t sig;
    uint16_t se;
    GetExtended(Value, sig, se);
    bool neg = (se & 0x8000) != 0;
    int exp = se & 0x7FFF;
    double r;
    if (exp == 0x7FFF) {
        if ((sig << 1) == 0) {
            r = std::numeric_limits<double>::infinity();
        } else {
            // Keep the payload's top bits, always quiet.
            uint64_t bits = (uint64_t(0x7FF) << 52) | (uint64_t(1) << 51) | ((sig << 1) >> 12);
            std::memcpy(&r, &bits, 8);
        }
    } else if (sig == 0) {
        r = 0.0;
    } else {
        int e = (exp == 0 ? 1 : exp) - 16383 - 63;
        // A significand with more than 53 significant bits is rounded once, to nearest
        // even, by the integer conversion; ldexp is exact unless the result is subnormal.
        r = std::ldexp(static_cast<double>(sig), e);
    }
    return neg ? -r : r;
}

long double ExtendedToLongDouble(const TExtended80& Value)
{
    static_assert(std::numeric_limits<long double>::digits >= 64, "long double cannot hold an extended");
    uint64_t sig;
    uint16_t se;
    GetExtended(Value, sig, se);
    bool neg = (se & 0x8000) != 0;
    int exp = se & 0x7FFF;
    long double r;
    if (exp == 0x7FFF)
        r = (sig << 1) == 0 ? std::numeric_limits<long double>::infinity()
                            : std::numeric_limits<long double>::quiet_NaN();
    else if (sig == 0)
        r = 0.0L;
    else
        r = std::ldexp(static_cast<long double>(sig), (exp == 0 ? 1 : exp) - 16383 - 63);
    return neg ? -r : r;
}

TExtended80 LongDoubleToExtended(long double Value)
{
    TExtended80 x;
    uint16_t sign = std::signbit(Value) ? 0x8000 : 0;
    long double a = std::fabs(Value);
    if (std::isnan(Value)) {
        PutExtended(x, uint64_t(3) << 62, static_cast<uint16_t>(sign | 0x7FFF));
    } else if (std::isinf(Value)) {
        PutExtended(x, uint64_t(1) << 63, static_cast<uint16_t>(sign | 0x7FFF));
    } else if (a == 0) {
        PutExtended(x, 0, sign);
    } else {
        int e;
        long double m = std::frexp(a, &e);  // a = m * 2^e, 0.5 <= m < 1
        int biased = e - 1 + 16383;
        if (biased <= 0) {
            // Extended subnormal: exponent field 0, scale 2^(1 - 16383 - 63).
            uint64_t sig = static_cast<uint64_t>(std::ldexp(a, 16383 + 62));
            PutExtended(x, sig, sign);
        } else if (biased >= 0x7FFF) {
            PutExtended(x, uint64_t(1) << 63, static_cast<uint16_t>(sign | 0x7FFF));
        } else {
            uint64_t sig = static_cast<uint64_t>(std::ldexp(m, 64));
            PutExtended(x, sig, static_cast<uint16_t>(sign | biased));
        }
    }
    return x;
}

// ---------------------------------------------------------------------------------
// Helpers

namespace {

// A little-endian number of n bytes (n <= 8).
uint64_t LittleEndian(const uint8_t* b, int n)
{
    uint64_t u = 0;
    for (int i = n - 1; i >= 0; --i) u = (u << 8) | b[i];
    return u;
}


struct DepthGuard {
    int& d;
    DepthGuard(int& depth, int limit, const std::function<void()>& fail) : d(depth)
    {
        if (d >= limit) fail();
        ++d;
    }
    ~DepthGuard() { --d; }
};

std::string ContextName(const TPersistent* Instance)
{
    if (auto* c = dynamic_cast<const TComponent*>(Instance))
        if (!c->Name().empty()) return c->Name();
    return Instance ? Instance->ClassName() : std::string("nil");
}

std::vector<std::string> SplitPath(const std::string& path)
{
    std::vector<std::string> out;
    size_t start = 0;
    for (;;) {
        size_t dot = path.find('.', start);
        out.push_back(path.substr(start, dot == std::string::npos ? std::string::npos : dot - start));
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------
// TReader: tagged values

TReader::TReader(TStream& Stream) : stream_(Stream) {}
TReader::~TReader() = default;

int64_t TReader::Position() const
{
    return stream_.Position();
}

void TReader::Error(const std::string& Expected, int64_t Offset) const
{
    throw EReadError("Invalid stream format: " + Expected + " expected at offset " + IntToStr(Offset));
}

uint8_t TReader::ReadByte(const char* Expected)
{
    uint8_t b;
    int64_t at = Position();
    if (stream_.Read(&b, 1) != 1)
        throw EReadError(std::string("Invalid stream format: ") + Expected + " expected at offset " + IntToStr(at) +
                         " (end of stream)");
    return b;
}

void TReader::ReadPayload(void* Buffer, int64_t Count, const char* What, int64_t TagOffset)
{
    if (Count <= 0) return;
    auto* p = static_cast<uint8_t*>(Buffer);
    while (Count > 0) {
        int32_t chunk = static_cast<int32_t>(std::min<int64_t>(Count, 1 << 30));
        int32_t n = stream_.Read(p, chunk);
        if (n <= 0)
            throw EReadError(std::string("Invalid stream format: ") + What + " at offset " + IntToStr(TagOffset) +
                             " runs past the end of the stream");
        p += n;
        Count -= n;
    }
}

int64_t TReader::ReadLength32(const char* What, int64_t TagOffset)
{
    uint8_t b[4];
    ReadPayload(b, 4, What, TagOffset);
    uint32_t u = static_cast<uint32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (uint32_t(b[3]) << 24));
    int64_t len = static_cast<int32_t>(u);
    if (len < 0)
        throw EReadError(std::string("Invalid stream format: ") + What + " with negative length at offset " +
                         IntToStr(TagOffset));
    // Refuse a length the stream cannot hold before allocating anything for it.
    int64_t remaining = stream_.Size() - Position();
    if (len > remaining)
        throw EReadError(std::string("Invalid stream format: ") + What + " of " + IntToStr(len) + " bytes at offset " +
                         IntToStr(TagOffset) + " runs past the end of the stream");
    return len;
}

TValueType TReader::ReadValue()
{
    return static_cast<TValueType>(ReadByte("value"));
}

TValueType TReader::NextValue()
{
    TValueType v = ReadValue();
    stream_.Seek(-1, soCurrent);
    return v;
}

int32_t TReader::ReadInteger()
{
    int64_t at = Position();
    uint8_t t = ReadByte("integer");
    switch (t) {
    case vaInt8: {
        int8_t v;
        ReadPayload(&v, 1, "integer", at);
        return v;
    }
    case vaInt16: {
        uint8_t b[2];
        ReadPayload(b, 2, "integer", at);
        return static_cast<int16_t>(b[0] | (b[1] << 8));
    }
    case vaInt32: {
        uint8_t b[4];
        ReadPayload(b, 4, "integer", at);
        return static_cast<int32_t>(static_cast<uint32_t>(LittleEndian(b, 4)));
    }
    }
    Error("integer", at);
}

int64_t TReader::ReadInt64()
{
    int64_t at = Position();
    if (NextValue() == vaInt64) {
        ReadByte("integer");
        uint8_t b[8];
        ReadPayload(b, 8, "64-bit integer", at);
        return static_cast<int64_t>(LittleEndian(b, 8));
    }
    uint8_t t = static_cast<uint8_t>(NextValue());
    if (t != vaInt8 && t != vaInt16 && t != vaInt32) Error("integer", at);
    return ReadInteger();
}

std::string TReader::ReadString()
{
    int64_t at = Position();
    uint8_t t = ReadByte("string");
    std::string s;
    switch (t) {
    case vaString: {
        uint8_t n;
        ReadPayload(&n, 1, "string", at);
        s.resize(n);
        ReadPayload(s.data(), n, "string", at);
        return s;
    }
    case vaLString: {
        int64_t n = ReadLength32("long string", at);
        s.resize(static_cast<size_t>(n));
        ReadPayload(s.data(), n, "long string", at);
        return s;
    }
    case vaWString: {
        uint8_t b[4];
        ReadPayload(b, 4, "wide string", at);
        uint64_t count = b[0] | (b[1] << 8) | (b[2] << 16) | (uint64_t(b[3]) << 24);
        if (static_cast<int64_t>(count * 2) > stream_.Size() - Position())
            throw EReadError("Invalid stream format: wide string of " + IntToStr(static_cast<int64_t>(count)) +
                             " characters at offset " + IntToStr(at) + " runs past the end of the stream");
        std::string raw(static_cast<size_t>(count * 2), '\0');
        ReadPayload(raw.data(), static_cast<int64_t>(raw.size()), "wide string", at);
        std::u16string wide(static_cast<size_t>(count), u'\0');
        for (size_t i = 0; i < count; ++i)
            wide[i] = static_cast<char16_t>(LittleEndian(reinterpret_cast<const uint8_t*>(raw.data()) + 2 * i, 2));
        s = WideToAnsi(wide);
        return s;
    }
    }
    Error("string", at);
}

TExtended80 TReader::ReadExtended()
{
    int64_t at = Position();
    if (ReadByte("extended float") != vaExtended) Error("extended float", at);
    TExtended80 x;
    ReadPayload(x.Bytes, 10, "extended float", at);
    return x;
}

double TReader::ReadFloat()
{
    int64_t at = Position();
    uint8_t t = static_cast<uint8_t>(NextValue());
    if (t == vaExtended) return ExtendedToDouble(ReadExtended());
    if (t == vaInt8 || t == vaInt16 || t == vaInt32) return ReadInteger();
    Error("float", at);
}

float TReader::ReadSingle()
{
    int64_t at = Position();
    if (ReadByte("single float") != vaSingle) Error("single float", at);
    uint8_t b[4];
    ReadPayload(b, 4, "single float", at);
    uint32_t u = static_cast<uint32_t>(LittleEndian(b, 4));
    float f;
    std::memcpy(&f, &u, 4);
    return f;
}

double TReader::ReadDate()
{
    int64_t at = Position();
    if (ReadByte("date") != vaDate) Error("date", at);
    uint8_t b[8];
    ReadPayload(b, 8, "date", at);
    uint64_t u = LittleEndian(b, 8);
    double d;
    std::memcpy(&d, &u, 8);
    return d;
}

int64_t TReader::ReadCurrency()
{
    int64_t at = Position();
    if (ReadByte("currency") != vaCurrency) Error("currency", at);
    uint8_t b[8];
    ReadPayload(b, 8, "currency", at);
    return static_cast<int64_t>(LittleEndian(b, 8));
}

bool TReader::ReadBoolean()
{
    int64_t at = Position();
    uint8_t t = ReadByte("boolean");
    if (t == vaTrue) return true;
    if (t == vaFalse) return false;
    Error("boolean", at);
}

std::string TReader::ReadIdent()
{
    int64_t at = Position();
    uint8_t t = ReadByte("identifier");
    switch (t) {
    case vaIdent: {
        uint8_t n;
        ReadPayload(&n, 1, "identifier", at);
        std::string s(n, '\0');
        ReadPayload(s.data(), n, "identifier", at);
        return s;
    }
    case vaFalse: return "False";
    case vaTrue: return "True";
    case vaNil: return "nil";
    case vaNull: return "Null";
    }
    Error("identifier", at);
}

std::vector<std::string> TReader::ReadSet()
{
    int64_t at = Position();
    if (ReadByte("set") != vaSet) Error("set", at);
    std::vector<std::string> out;
    for (;;) {
        std::string s = ReadStr();
        if (s.empty()) break;
        out.push_back(std::move(s));
    }
    return out;
}

std::string TReader::ReadBinary()
{
    int64_t at = Position();
    if (ReadByte("binary data") != vaBinary) Error("binary data", at);
    // The length is unsigned; anything beyond what the stream holds fails before allocation.
    uint8_t b[4];
    ReadPayload(b, 4, "binary data", at);
    uint64_t n = b[0] | (b[1] << 8) | (b[2] << 16) | (uint64_t(b[3]) << 24);
    if (static_cast<int64_t>(n) > stream_.Size() - Position())
        throw EReadError("Invalid stream format: binary data of " + IntToStr(static_cast<int64_t>(n)) +
                         " bytes at offset " + IntToStr(at) + " runs past the end of the stream");
    std::string s(static_cast<size_t>(n), '\0');
    ReadPayload(s.data(), static_cast<int64_t>(n), "binary data", at);
    return s;
}

void TReader::ReadListBegin()
{
    int64_t at = Position();
    if (ReadByte("list") != vaList) Error("list", at);
}

void TReader::ReadListEnd()
{
    int64_t at = Position();
    if (ReadByte("end of list") != vaNull) Error("end of list", at);
}

bool TReader::EndOfList()
{
    return NextValue() == vaNull;
}

void TReader::Read(void* Buffer, int32_t Count)
{
    if (Count < 0) throw EReadError("Invalid read count " + IntToStr(Count));
    ReadPayload(Buffer, Count, (IntToStr(Count) + " bytes of data").c_str(), Position());
}

std::string TReader::ReadStr()
{
    int64_t at = Position();
    uint8_t n = ReadByte("name");
    std::string s(n, '\0');
    ReadPayload(s.data(), n, "name", at);
    return s;
}

void TReader::ReadSignature()
{
    int64_t at = Position();
    char sig[4];
    if (stream_.Read(sig, 4) != 4 || std::memcmp(sig, "TPF0", 4) != 0)
        throw EReadError("Invalid stream format: signature TPF0 expected at offset " + IntToStr(at));
}

void TReader::SkipValue()
{
    SkipValueAt(0);
}

void TReader::SkipSetBody()
{
    while (!ReadStr().empty()) {
    }
}

void TReader::SkipValueAt(int Depth)
{
    int64_t at = Position();
    if (Depth >= MaxFilerNesting)
        throw EReadError("Invalid stream format: values nested too deeply at offset " + IntToStr(at));
    uint8_t t = ReadByte("value");
    auto skip = [&](int64_t n, const char* what) {
        if (n > stream_.Size() - Position())
            throw EReadError(std::string("Invalid stream format: ") + what + " at offset " + IntToStr(at) +
                             " runs past the end of the stream");
        stream_.Seek(n, soCurrent);
    };
    switch (t) {
    case vaNull:
    case vaFalse:
    case vaTrue:
    case vaNil: return;
    case vaList:
        while (!EndOfList()) SkipValueAt(Depth + 1);
        ReadListEnd();
        return;
    case vaInt8: skip(1, "integer"); return;
    case vaInt16: skip(2, "integer"); return;
    case vaInt32: skip(4, "integer"); return;
    case vaInt64: skip(8, "64-bit integer"); return;
    case vaExtended: skip(10, "extended float"); return;
    case vaSingle: skip(4, "single float"); return;
    case vaCurrency: skip(8, "currency"); return;
    case vaDate: skip(8, "date"); return;
    case vaString:
    case vaIdent: {
        uint8_t n = ReadByte("string length");
        skip(n, "string");
        return;
    }
    case vaLString: skip(ReadLength32("long string", at), "long string"); return;
    case vaBinary: {
        uint8_t b[4];
        ReadPayload(b, 4, "binary data", at);
        skip(b[0] | (b[1] << 8) | (b[2] << 16) | (int64_t(b[3]) << 24), "binary data");
        return;
    }
    case vaWString: {
        uint8_t b[4];
        ReadPayload(b, 4, "wide string", at);
        skip(2 * (b[0] | (b[1] << 8) | (b[2] << 16) | (int64_t(b[3]) << 24)), "wide string");
        return;
    }
    case vaSet: SkipSetBody(); return;
    case vaCollection:
        while (!EndOfList()) {
            uint8_t n = static_cast<uint8_t>(NextValue());
            if (n == vaInt8 || n == vaInt16 || n == vaInt32) ReadInteger();
            ReadListBegin();
            while (!EndOfList()) {
                ReadStr();
                SkipValueAt(Depth + 1);
            }
            ReadListEnd();
        }
        ReadListEnd();
        return;
    }
    Error("value", at);
}

// ---------------------------------------------------------------------------------
// TReader: components and properties

TComponent* TReader::ReadRootComponent(TComponent* Root)
{
    ReadSignature();
    int64_t at = Position();
    uint8_t b = static_cast<uint8_t>(NextValue());
    if ((b & 0xF0) == 0xF0) {
        ReadValue();
        if (b & ffChildPos) ReadInteger();
    }
    std::string cls = ReadStr();
    std::string name = ReadStr();
    bool created = Root == nullptr;
    if (created) {
        try {
            Root = CreateComponentOfClass(cls, nullptr);
        } catch (EClassNotFound& e) {
            e.SetMessage(e.Message() + " (offset " + IntToStr(at) + ")");
            throw;
        }
    }
    TComponent* savedRoot = root_;
    root_ = Root;
    loaded_.clear();
    fixups_.clear();
    try {
        try {
            Root->SetName(name);
        } catch (Exception& e) {
            e.SetMessage("Error reading " + name + " at offset " + IntToStr(at) + ": " + e.Message());
            throw;
        }
        loaded_.push_back(Root);
        Root->SetStateFlag(csLoading, true);
        Root->SetStateFlag(csReading, true);
        parent_ = nullptr;
        Root->ReadState(*this);
        Root->SetStateFlag(csReading, false);
        FixupReferences();
        std::vector<TComponent*> loaded;
        loaded.swap(loaded_);
        for (TComponent* c : loaded) {
            c->Loaded();
            c->SetStateFlag(csLoading, false);
        }
    } catch (...) {
        for (TComponent* c : loaded_) {
            c->SetStateFlag(csLoading, false);
            c->SetStateFlag(csReading, false);
        }
        loaded_.clear();
        fixups_.clear();
        root_ = savedRoot;
        if (created) delete Root;
        throw;
    }
    root_ = savedRoot ? savedRoot : Root;
    return Root;
}

TComponent* TReader::ReadComponent(TComponent* Parent)
{
    int64_t at = Position();
    DepthGuard guard(depth_, MaxFilerNesting, [&] {
        throw EReadError("Invalid stream format: components nested too deeply at offset " + IntToStr(at));
    });
    if (!Owner()) throw EReadError("No root component to read components into");
    uint8_t flags = 0;
    uint8_t b = static_cast<uint8_t>(NextValue());
    if ((b & 0xF0) == 0xF0) {
        ReadValue();
        flags = b & 0x0F;
        if (flags & ffChildPos) ReadInteger();
    }
    std::string cls = ReadStr();
    std::string name = ReadStr();
    TComponent* c = nullptr;
    bool created = false;
    if (flags & ffInherited) {
        c = Owner()->FindComponent(name);
        if (!c)
            throw EReadError("Ancestor for '" + name + "' not found (offset " + IntToStr(at) + ")");
    } else {
        try {
            c = CreateComponentOfClass(cls, Owner());
        } catch (EClassNotFound& e) {
            e.SetMessage(e.Message() + " (reading " + (name.empty() ? cls : name) + " at offset " + IntToStr(at) + ")");
            throw;
        }
        created = true;
    }
    size_t loadedMark = loaded_.size();
    size_t fixupMark = fixups_.size();
    try {
        if (created) {
            try {
                c->SetName(name);
            } catch (Exception& e) {
                e.SetMessage("Error reading " + name + " at offset " + IntToStr(at) + ": " + e.Message());
                throw;
            }
        }
        loaded_.push_back(c);
        c->SetStateFlag(csLoading, true);
        c->SetParentComponent(Parent);
        c->SetStateFlag(csReading, true);
        c->ReadState(*this);
        c->SetStateFlag(csReading, false);
    } catch (...) {
        loaded_.resize(loadedMark);
        fixups_.resize(fixupMark);
        if (created) delete c;
        else c->SetStateFlag(csReading, false);
        throw;
    }
    return c;
}

void TReader::ReadData(TComponent* Instance)
{
    ReadProperties(Instance);
    ReadListEnd();
    TComponent* saved = parent_;
    parent_ = Instance;
    try {
        while (!EndOfList()) ReadComponent(Instance);
        ReadListEnd();
    } catch (...) {
        parent_ = saved;
        throw;
    }
    parent_ = saved;
}

void TReader::ReadProperties(TPersistent* Instance)
{
    while (!EndOfList()) ReadProperty(Instance);
}

void TReader::ReadProperty(TPersistent* Instance)
{
    int64_t at = Position();
    propOffset_ = at;
    std::string path = ReadStr();
    std::string context = ContextName(Instance) + "." + path;
    try {
        std::vector<std::string> segs = SplitPath(path);
        TPersistent* obj = Instance;
        const TPropInfo* prop = nullptr;
        bool stringsPath = false;
        for (size_t i = 0; i < segs.size(); ++i) {
            prop = PropTableOf(*obj).Find(segs[i]);
            if (!prop) break;
            if (i + 1 == segs.size()) break;
            if (prop->Kind == pkObject) {
                TPersistent* next = prop->GetObject(*obj);
                if (!next) throw EReadError("Property " + segs[i] + " holds no object");
                obj = next;
            } else if (prop->Kind == pkStrings && i + 2 == segs.size() && SameText(segs[i + 1], "Strings")) {
                stringsPath = true;
                break;
            } else {
                prop = nullptr;
                break;
            }
        }
        if (!prop) {
            bool handled = false;
            if (OnPropertyNotFound) OnPropertyNotFound(*this, Instance, path, handled);
            if (handled) {
                SkipValue();
                return;
            }
            throw EReadError("Property " + path + " does not exist in " + Instance->ClassName());
        }
        if (stringsPath) {
            auto* s = dynamic_cast<TStrings*>(prop->GetObject(*obj));
            if (!s) throw EReadError("Property " + prop->Name + " holds no string list");
            ReadStringsList(*s);
            return;
        }
        ReadPropValue(obj, *prop, path);
    } catch (Exception& e) {
        e.SetMessage("Error reading " + context + " (offset " + IntToStr(at) + "): " + e.Message());
        throw;
    }
}

void TReader::ReadStringsList(TStrings& Strings)
{
    ReadListBegin();
    Strings.BeginUpdate();
    try {
        Strings.Clear();
        while (!EndOfList()) Strings.Add(ReadString());
        ReadListEnd();
    } catch (...) {
        Strings.EndUpdate();
        throw;
    }
    Strings.EndUpdate();
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& Prop, const std::string& Path)
{
    int64_t at = Position();
    uint8_t t = static_cast<uint8_t>(NextValue());
    switch (Prop.Kind) {
    case pkInteger: {
        int64_t v = ReadInt64();
        if (v < Prop.Min || v > Prop.Max)
            throw EReadError("Value " + IntToStr(v) + " out of range " + IntToStr(Prop.Min) + ".." + IntToStr(Prop.Max));
        Prop.SetOrd(*Instance, v);
        return;
    }
    case pkEnum: {
        if (t != vaIdent) Error("identifier", at);
        std::string id = ReadIdent();
        int32_t v;
        if (!IdentToValue(*Prop.Idents, id, v)) throw EReadError("Invalid property value " + id);
        Prop.SetOrd(*Instance, v);
        return;
    }
    case pkSet: {
        uint32_t mask = 0;
        for (const std::string& id : ReadSet()) {
            int32_t v;
            if (!IdentToValue(*Prop.Idents, id, v) || v < 0 || v > 31) throw EReadError("Invalid set element " + id);
            mask |= 1u << v;
        }
        Prop.SetOrd(*Instance, mask);
        return;
    }
    case pkBoolean: Prop.SetOrd(*Instance, ReadBoolean() ? 1 : 0); return;
    case pkString: Prop.SetStr(*Instance, ReadString()); return;
    case pkFloat: {
        double v;
        switch (t) {
        case vaSingle: v = ReadSingle(); break;
        case vaDate: v = ReadDate(); break;
        case vaCurrency: v = static_cast<double>(ReadCurrency()) / 10000.0; break;
        default: v = ReadFloat(); break;
        }
        Prop.SetFloat(*Instance, v);
        return;
    }
    case pkIdentInt: {
        if (t == vaIdent) {
            std::string id = ReadIdent();
            int32_t v;
            if (!FindIdentMap(Prop.IdentMapName).ToValue(id, v)) throw EReadError("Invalid property value " + id);
            Prop.SetOrd(*Instance, v);
            return;
        }
        int64_t v = ReadInt64();
        if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<uint32_t>::max())
            throw EReadError("Value " + IntToStr(v) + " out of range");
        Prop.SetOrd(*Instance, static_cast<int32_t>(static_cast<uint32_t>(v)));
        return;
    }
    case pkStrings: {
        auto* s = dynamic_cast<TStrings*>(Prop.GetObject(*Instance));
        if (!s) throw EReadError("Property " + Prop.Name + " holds no string list");
        ReadStringsList(*s);
        return;
    }
    case pkBinary: Prop.SetStr(*Instance, ReadBinary()); return;
    case pkEvent: {
        if (t == vaNil) {
            ReadValue();
            Prop.SetEvent(*Instance, std::any());
            return;
        }
        if (t != vaIdent) Error("method name", at);
        std::string name = ReadIdent();
        if (!root_) throw EReadError("No root component to find method " + name + " in");
        const TMethodEntry* m = FindMethod(*root_, name);
        if (!m) throw EReadError("Method " + name + " not found in " + root_->ClassName());
        if (m->EventType != Prop.EventType)
            throw EReadError("Method " + name + " does not have the parameters of " + Prop.Name);
        Prop.SetEvent(*Instance, m->Bind(*root_));
        return;
    }
    case pkComponent: {
        if (t == vaNil) {
            ReadValue();
            Prop.SetComponent(*Instance, nullptr);
            return;
        }
        if (t != vaIdent) Error("component name", at);
        std::string name = ReadIdent();
        fixups_.push_back({Instance, &Prop, name, Path, propOffset_});
        return;
    }
    case pkObject: break;
    }
    throw EReadError("Property " + Prop.Name + " holds an object and takes no value");
}

void TReader::FixupReferences()
{
    std::vector<Fixup> fixups;
    fixups.swap(fixups_);
    for (const Fixup& f : fixups) {
        TComponent* target = nullptr;
        size_t dot = f.Name.find('.');
        if (dot == std::string::npos) {
            if (SameText(root_->Name(), f.Name)) target = root_;
            else target = root_->FindComponent(f.Name);
        } else {
            std::string owner = f.Name.substr(0, dot), rest = f.Name.substr(dot + 1);
            TComponent* o = SameText(root_->Name(), owner) ? root_ : nullptr;
            if (!o && FindGlobalComponent) o = FindGlobalComponent(owner);
            if (o) target = o->FindComponent(rest);
        }
        std::string context = "Error reading " + ContextName(f.Instance) + "." + f.Path + " (offset " +
                              IntToStr(f.Offset) + "): ";
        if (!target) throw EReadError(context + "component " + f.Name + " not found");
        if (!f.Prop->SetComponent(*f.Instance, target))
            throw EReadError(context + f.Name + " is a " + target->ClassName() + " and cannot be assigned");
    }
}

// ---------------------------------------------------------------------------------
// TWriter

TWriter::TWriter(TStream& Stream) : stream_(Stream) {}

int64_t TWriter::Position() const
{
    return stream_.Position();
}

void TWriter::Write(const void* Buffer, int32_t Count)
{
    stream_.WriteBuffer(Buffer, Count);
}

void TWriter::WriteValue(TValueType Value)
{
    uint8_t b = Value;
    stream_.WriteBuffer(&b, 1);
}

namespace {
void PutLE(uint8_t* out, uint64_t v, int n)
{
    for (int i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
}
}  // namespace

void TWriter::WriteInteger(int64_t Value)
{
    uint8_t b[9];
    int n;
    if (Value >= -128 && Value <= 127) {
        b[0] = vaInt8;
        n = 1;
    } else if (Value >= -32768 && Value <= 32767) {
        b[0] = vaInt16;
        n = 2;
    } else if (Value >= std::numeric_limits<int32_t>::min() && Value <= std::numeric_limits<int32_t>::max()) {
        b[0] = vaInt32;
        n = 4;
    } else {
        b[0] = vaInt64;
        n = 8;
    }
    PutLE(b + 1, static_cast<uint64_t>(Value), n);
    stream_.WriteBuffer(b, n + 1);
}

void TWriter::WriteString(const std::string& Value)
{
    if (Value.size() <= 255) {
        uint8_t b[2] = {vaString, static_cast<uint8_t>(Value.size())};
        stream_.WriteBuffer(b, 2);
    } else {
        if (Value.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max()))
            throw EWriteError("String too long for a stream");
        uint8_t b[5] = {vaLString};
        PutLE(b + 1, Value.size(), 4);
        stream_.WriteBuffer(b, 5);
    }
    stream_.WriteBuffer(Value.data(), static_cast<int64_t>(Value.size()));
}

void TWriter::WriteWideString(const std::u16string& Value)
{
    if (Value.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max() / 2))
        throw EWriteError("String too long for a stream");
    uint8_t b[5] = {vaWString};
    PutLE(b + 1, Value.size(), 4);
    stream_.WriteBuffer(b, 5);
    std::string raw;
    raw.reserve(Value.size() * 2);
    for (char16_t c : Value) {
        raw += static_cast<char>(c & 0xFF);
        raw += static_cast<char>(c >> 8);
    }
    stream_.WriteBuffer(raw.data(), static_cast<int64_t>(raw.size()));
}

void TWriter::WriteFloat(double Value)
{
    WriteExtended(DoubleToExtended(Value));
}

void TWriter::WriteExtended(const TExtended80& Value)
{
    WriteValue(vaExtended);
    stream_.WriteBuffer(Value.Bytes, 10);
}

void TWriter::WriteSingle(float Value)
{
    uint32_t u;
    std::memcpy(&u, &Value, 4);
    uint8_t b[5] = {vaSingle};
    PutLE(b + 1, u, 4);
    stream_.WriteBuffer(b, 5);
}

void TWriter::WriteDate(double Value)
{
    uint64_t u;
    std::memcpy(&u, &Value, 8);
    uint8_t b[9] = {vaDate};
    PutLE(b + 1, u, 8);
    stream_.WriteBuffer(b, 9);
}

void TWriter::WriteCurrency(int64_t Scaled)
{
    uint8_t b[9] = {vaCurrency};
    PutLE(b + 1, static_cast<uint64_t>(Scaled), 8);
    stream_.WriteBuffer(b, 9);
}

void TWriter::WriteBoolean(bool Value)
{
    WriteValue(Value ? vaTrue : vaFalse);
}

void TWriter::WriteIdent(const std::string& Value)
{
    if (SameText(Value, "False")) return WriteValue(vaFalse);
    if (SameText(Value, "True")) return WriteValue(vaTrue);
    if (SameText(Value, "nil")) return WriteValue(vaNil);
    if (SameText(Value, "Null")) return WriteValue(vaNull);
    WriteValue(vaIdent);
    WriteStr(Value);
}

void TWriter::WriteSet(const std::vector<std::string>& Names)
{
    WriteValue(vaSet);
    for (const std::string& n : Names) {
        if (n.empty()) throw EWriteError("Empty set element");
        WriteStr(n);
    }
    WriteStr("");
}

void TWriter::WriteBinary(const void* Data, int64_t Count)
{
    if (Count < 0 || Count > std::numeric_limits<int32_t>::max()) throw EWriteError("Binary data too long for a stream");
    uint8_t b[5] = {vaBinary};
    PutLE(b + 1, static_cast<uint64_t>(Count), 4);
    stream_.WriteBuffer(b, 5);
    stream_.WriteBuffer(Data, Count);
}

void TWriter::WriteListBegin()
{
    WriteValue(vaList);
}

void TWriter::WriteListEnd()
{
    WriteValue(vaNull);
}

void TWriter::WriteStr(const std::string& Value)
{
    if (Value.size() > 255) throw EWriteError("Name too long for a stream: " + Value.substr(0, 40) + "...");
    uint8_t n = static_cast<uint8_t>(Value.size());
    stream_.WriteBuffer(&n, 1);
    stream_.WriteBuffer(Value.data(), n);
}

void TWriter::WriteSignature()
{
    stream_.WriteBuffer("TPF0", 4);
}

void TWriter::WriteRootComponent(TComponent* Root)
{
    TComponent* saved = root_;
    root_ = Root;
    try {
        WriteSignature();
        WriteComponent(Root);
    } catch (...) {
        root_ = saved;
        throw;
    }
    root_ = saved;
}

void TWriter::WriteComponent(TComponent* Component)
{
    DepthGuard guard(depth_, MaxFilerNesting, [] { throw EWriteError("Components nested too deeply"); });
    bool ownRoot = root_ == nullptr;
    if (ownRoot) root_ = Component;
    Component->SetStateFlag(csWriting, true);
    try {
        WriteStr(Component->ClassName());
        WriteStr(Component->Name());
        Component->WriteState(*this);
    } catch (...) {
        Component->SetStateFlag(csWriting, false);
        if (ownRoot) root_ = nullptr;
        throw;
    }
    Component->SetStateFlag(csWriting, false);
    if (ownRoot) root_ = nullptr;
}

void TWriter::WriteData(TComponent* Instance)
{
    WriteProperties(Instance);
    WriteListEnd();
    Instance->GetChildren([this](TComponent* Child) { WriteComponent(Child); }, root_ ? root_ : Instance);
    WriteListEnd();
}

void TWriter::WriteProperties(const TPersistent* Instance, const std::string& Prefix)
{
    // Owned objects nest only a few levels; a deeper chain is a cycle.
    DepthGuard guard(depth_, MaxFilerNesting, [&] { throw EWriteError("Objects nested too deeply at " + Prefix); });
    for (const TPropInfo* p : PropTableOf(*Instance).Props()) {
        if (p->IsStored && !p->IsStored(*Instance)) continue;
        WritePropValue(Instance, *p, Prefix);
    }
}

std::string TWriter::ComponentRefName(const TComponent* C) const
{
    if (C == root_) return C->Name();
    if (C->Owner() == root_ || !C->Owner()) return C->Name();
    return C->Owner()->Name() + "." + C->Name();
}

void TWriter::WritePropValue(const TPersistent* Instance, const TPropInfo& Prop, const std::string& Prefix)
{
    const std::string name = Prefix + Prop.Name;
    switch (Prop.Kind) {
    case pkInteger:
    case pkEnum:
    case pkSet:
    case pkBoolean:
    case pkIdentInt: {
        int64_t v = Prop.GetOrd(*Instance);
        if (Prop.OrdDefault && *Prop.OrdDefault == v) return;
        if (Prop.Kind == pkEnum) {
            const char* id = ValueToIdent(*Prop.Idents, static_cast<int32_t>(v));
            if (!id) throw EWriteError("Value " + IntToStr(v) + " of " + name + " has no identifier");
            WriteStr(name);
            WriteIdent(id);
        } else if (Prop.Kind == pkSet) {
            std::vector<std::string> names;
            uint32_t mask = static_cast<uint32_t>(v), known = 0;
            for (const TIdentEntry& e : *Prop.Idents)
                if (e.Value >= 0 && e.Value < 32) {
                    known |= 1u << e.Value;
                    if (mask & (1u << e.Value)) names.push_back(e.Name);
                }
            if (mask & ~known) throw EWriteError("Set " + name + " holds elements without identifiers");
            WriteStr(name);
            WriteSet(names);
        } else if (Prop.Kind == pkBoolean) {
            WriteStr(name);
            WriteBoolean(v != 0);
        } else if (Prop.Kind == pkIdentInt) {
            std::string id;
            WriteStr(name);
            if (FindIdentMap(Prop.IdentMapName).ToIdent(static_cast<int32_t>(v), id)) WriteIdent(id);
            else WriteInteger(static_cast<int32_t>(v));
        } else {
            WriteStr(name);
            WriteInteger(v);
        }
        return;
    }
    case pkFloat: {
        double v = Prop.GetFloat(*Instance);
        if (Prop.FloatDefault && *Prop.FloatDefault == v && std::signbit(*Prop.FloatDefault) == std::signbit(v)) return;
        WriteStr(name);
        WriteFloat(v);
        return;
    }
    case pkString: {
        std::string v = Prop.GetStr(*Instance);
        if (Prop.StrDefault && *Prop.StrDefault == v) return;
        WriteStr(name);
        WriteString(v);
        return;
    }
    case pkObject: {
        if (const TPersistent* o = Prop.GetObject(*Instance)) WriteProperties(o, name + ".");
        return;
    }
    case pkStrings: {
        auto* s = dynamic_cast<const TStrings*>(Prop.GetObject(*Instance));
        if (!s || s->Count() == 0) return;
        WriteStr(name + ".Strings");
        WriteListBegin();
        for (int i = 0; i < s->Count(); ++i) WriteString(s->Get(i));
        WriteListEnd();
        return;
    }
    case pkBinary: {
        std::string v = Prop.GetStr(*Instance);
        if (v.empty()) return;
        WriteStr(name);
        WriteBinary(v.data(), static_cast<int64_t>(v.size()));
        return;
    }
    case pkEvent: {
        std::string handler = Prop.GetEventName(*Instance);
        if (handler.empty()) return;
        WriteStr(name);
        WriteIdent(handler);
        return;
    }
    case pkComponent: {
        const TComponent* c = Prop.GetComponent(*Instance);
        if (!c || c->Name().empty()) return;
        WriteStr(name);
        WriteIdent(ComponentRefName(c));
        return;
    }
    }
}

// ---------------------------------------------------------------------------------
// The component's streaming defaults.

void TComponent::ReadState(TReader& Reader)
{
    Reader.ReadData(this);
}

void TComponent::WriteState(TWriter& Writer)
{
    Writer.WriteData(this);
}

void TComponent::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root)
{
    if (Root != this) return;
    for (int i = 0; i < ComponentCount(); ++i) {
        TComponent* c = Components(i);
        if (!c->HasParent()) Proc(c);
    }
}
