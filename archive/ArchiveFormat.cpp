#include "archive/ArchiveFormat.h"

#include <cmath>
#include <limits>

#include "platform/classes/Filer.h"
#include "platform/classes/Stream.h"
#include "platform/rtl/DateTime.h"
#include "platform/rtl/NumFormat.h"

namespace {

[[noreturn]] void FormatError(TReader& Reader, const char* what)
{
    throw EReadError("Invalid stream format: " + std::string(what) + " expected at offset " +
                     std::to_string(Reader.Position()));
}

// The archive admits fewer tags than a form stream: only the two string tags for a
// name, only the three integer tags for a number, an integer or 05 for the date.
std::string ReadName(TReader& Reader)
{
    TValueType t = Reader.NextValue();
    if (t != vaString && t != vaLString) FormatError(Reader, "string");
    if (t == vaLString) {
        // Refuse a length that runs past the end before anything is allocated for it.
        // The reader consumes nothing ahead, so the stream stands at its position.
        TStream& s = Reader.Stream();
        int64_t pos = Reader.Position();
        uint8_t b[5] = {};
        int32_t got = s.Read(b, 5);
        s.Seek(pos, soBeginning);
        if (got == 5) {
            int64_t n = static_cast<int32_t>(b[1] | b[2] << 8 | b[3] << 16 | static_cast<uint32_t>(b[4]) << 24);
            if (n < 0 || n > s.Size() - pos - 5)
                throw EReadError("Invalid stream format: string length past the end at offset " + std::to_string(pos));
        }
    }
    return Reader.ReadString();
}

bool IsIntegerTag(TValueType t)
{
    return t == vaInt8 || t == vaInt16 || t == vaInt32;
}

int32_t ReadInt(TReader& Reader)
{
    if (!IsIntegerTag(Reader.NextValue())) FormatError(Reader, "integer");
    return Reader.ReadInteger();
}

double ReadDate(TReader& Reader)
{
    TValueType t = Reader.NextValue();
    if (t != vaExtended && !IsIntegerTag(t)) FormatError(Reader, "float");
    return Reader.ReadFloat();
}

}  // namespace

int64_t ReadArchiveHeader(TReader& Reader, const std::function<void(const TArchiveEntry&)>& OnEntry)
{
    if (Reader.NextValue() != vaList) FormatError(Reader, "list");
    Reader.ReadValue();
    while (Reader.NextValue() != vaNull) {
        TArchiveEntry e;
        int64_t at = Reader.Position();
        e.Name = ReadName(Reader);
        // A tab would split the entry's line in the file list into the wrong fields.
        if (e.Name.find('\t') != std::string::npos)
            throw EReadError("Invalid stream format: file name with a tab at offset " + std::to_string(at));
        e.Size = ReadInt(Reader);
        e.CompressedSize = ReadInt(Reader);
        e.Offset = ReadInt(Reader);
        e.Attributes = ReadInt(Reader);
        at = Reader.Position();
        e.DateTime = ReadDate(Reader);
        if (!std::isfinite(e.DateTime))
            throw EReadError("Invalid stream format: date-time is not a number at offset " + std::to_string(at));
        OnEntry(e);
    }
    Reader.ReadValue();  // the end-of-list tag NextValue has shown
    return Reader.Position();
}

void WriteArchiveHeader(TWriter& Writer, const std::vector<TArchiveEntry>& Entries)
{
    Writer.WriteListBegin();
    for (const TArchiveEntry& e : Entries) {
        Writer.WriteString(e.Name);
        Writer.WriteInteger(e.Size);
        Writer.WriteInteger(e.CompressedSize);
        Writer.WriteInteger(e.Offset);
        Writer.WriteInteger(e.Attributes);
        Writer.WriteFloat(e.DateTime);
    }
    Writer.WriteListEnd();
}

std::string FormatFileLine(const TArchiveEntry& Entry)
{
    return Entry.Name + '\t' + IntToStr(Entry.Size) + '\t' + IntToStr(Entry.CompressedSize) + '\t' +
           IntToStr(Entry.Attributes) + '\t' + FloatToStr(Entry.DateTime);
}

bool ParseFileLine(const std::string& Line, TArchiveEntry& Entry)
{
    std::string field[5];
    size_t start = 0;
    for (int i = 0; i < 5; ++i) {
        size_t tab = Line.find('\t', start);
        if ((i < 4) != (tab != std::string::npos)) return false;
        field[i] = Line.substr(start, i < 4 ? tab - start : std::string::npos);
        start = tab + 1;
    }
    TArchiveEntry e;
    e.Name = field[0];
    double date;
    if (!TryStrToInt(field[1], e.Size) || !TryStrToInt(field[2], e.CompressedSize) ||
        !TryStrToInt(field[3], e.Attributes) || !TryStrToFloat(field[4], date))
        return false;
    e.DateTime = date;
    e.Offset = Entry.Offset;
    Entry = e;
    return true;
}

int32_t ParseStartOffset(const std::string& Text)
{
    size_t i = 0;
    bool negative = false;
    if (i < Text.size() && (Text[i] == '+' || Text[i] == '-')) negative = Text[i++] == '-';
    if (i == Text.size()) return 0;
    int64_t v = 0;
    for (; i < Text.size(); ++i) {
        if (Text[i] < '0' || Text[i] > '9') return 0;
        v = v * 10 + (Text[i] - '0');
        if (v > std::numeric_limits<int32_t>::max()) return 0;  // 14 digits cannot overflow int64
    }
    return static_cast<int32_t>(negative ? -v : v);
}

int32_t ArchiveDateToDosDate(double DateTime)
{
    // 1979-12-31 .. 2100-01-02: anything farther out is no DOS date, and keeping the
    // range small keeps the calendar arithmetic far from overflow.
    if (!std::isfinite(DateTime) || DateTime < 29220.0 || DateTime > 73052.0) return 0;
    return DateTimeToFileDate(DateTime);
}
