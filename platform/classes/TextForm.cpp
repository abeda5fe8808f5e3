#include "platform/classes/TextForm.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <vector>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/rtl/NumFormat.h"
#include "platform/rtl/StrUtils.h"

namespace {

bool IsIdentStart(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool IsIdentChar(char c)
{
    return IsIdentStart(c) || (c >= '0' && c <= '9');
}
bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}
int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A dotted identifier: "Font.Name", "Form1.Label1".
bool IsDottedIdent(const std::string& s)
{
    if (s.empty()) return false;
    size_t start = 0;
    for (;;) {
        size_t dot = s.find('.', start);
        std::string part = s.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (!IsValidIdent(part)) return false;
        if (dot == std::string::npos) return true;
        start = dot + 1;
    }
}

// ---------------------------------------------------------------------------------
// Text -> binary

enum TokKind { tkEOF, tkIdent, tkString, tkInt, tkFloat, tkSymbol };

struct Token {
    TokKind kind = tkEOF;
    std::string text;             // identifier, number as written
    std::vector<uint32_t> codes;  // string characters
    int64_t ival = 0;
    char suffix = 0;              // float: 0, 's', 'c', 'd'
    char sym = 0;
    int line = 1;
};

class Lexer {
public:
    explicit Lexer(const std::string& text) : s_(text) {}

    [[noreturn]] void Fail(const std::string& what, int line) const
    {
        throw EParserError("Line " + IntToStr(line) + ": " + what);
    }
    [[noreturn]] void Fail(const std::string& what) const { Fail(what, line_); }

    const Token& Peek()
    {
        if (!has_) {
            tok_ = Scan();
            has_ = true;
        }
        return tok_;
    }
    Token Next()
    {
        Peek();
        has_ = false;
        return tok_;
    }
    // After a consumed '{': hex digit pairs up to the closing brace.
    std::string HexUntilBrace()
    {
        std::string out;
        int pending = -1;
        for (;;) {
            if (pos_ >= s_.size()) Fail("'}' expected");
            char c = s_[pos_++];
            if (c == '}') break;
            if (c == '\n') ++line_;
            if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
            int d = HexDigit(c);
            if (d < 0) Fail("invalid binary digit '" + std::string(1, c) + "'");
            if (pending < 0) {
                pending = d;
            } else {
                out += static_cast<char>(pending << 4 | d);
                pending = -1;
            }
        }
        if (pending >= 0) Fail("odd number of binary digits");
        return out;
    }

private:
    void SkipBlanks()
    {
        while (pos_ < s_.size()) {
            char c = s_[pos_];
            if (c == '\n') {
                ++line_;
                ++pos_;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++pos_;
            } else {
                break;
            }
        }
    }

    Token Scan()
    {
        SkipBlanks();
        Token t;
        t.line = line_;
        if (pos_ >= s_.size()) return t;
        char c = s_[pos_];
        if (IsIdentStart(c)) {
            size_t b = pos_;
            while (pos_ < s_.size() &&
                   (IsIdentChar(s_[pos_]) || (s_[pos_] == '.' && pos_ + 1 < s_.size() && IsIdentStart(s_[pos_ + 1]))))
                ++pos_;
            t.kind = tkIdent;
            t.text = s_.substr(b, pos_ - b);
            return t;
        }
        if (c == '\'' || c == '#') {
            t.kind = tkString;
            ScanString(t);
            return t;
        }
        if (IsDigit(c) || c == '$' || (c == '-' && pos_ + 1 < s_.size() && (IsDigit(s_[pos_ + 1]) || s_[pos_ + 1] == '$'))) {
            ScanNumber(t);
            return t;
        }
        t.kind = tkSymbol;
        t.sym = c;
        ++pos_;
        return t;
    }

    void ScanString(Token& t)
    {
        while (pos_ < s_.size()) {
            char c = s_[pos_];
            if (c == '\'') {
                ++pos_;
                for (;;) {
                    if (pos_ >= s_.size() || s_[pos_] == '\n' || s_[pos_] == '\r') Fail("unterminated string");
                    char d = s_[pos_++];
                    if (d == '\'') {
                        if (pos_ < s_.size() && s_[pos_] == '\'') {
                            t.codes.push_back('\'');
                            ++pos_;
                            continue;
                        }
                        break;
                    }
                    t.codes.push_back(static_cast<unsigned char>(d));
                }
            } else if (c == '#') {
                ++pos_;
                uint32_t v = 0;
                int digits = 0;
                if (pos_ < s_.size() && s_[pos_] == '$') {
                    ++pos_;
                    while (pos_ < s_.size() && HexDigit(s_[pos_]) >= 0) {
                        v = v * 16 + static_cast<uint32_t>(HexDigit(s_[pos_++]));
                        if (v > 0xFFFF) Fail("character code too large");
                        ++digits;
                    }
                } else {
                    while (pos_ < s_.size() && IsDigit(s_[pos_])) {
                        v = v * 10 + static_cast<uint32_t>(s_[pos_++] - '0');
                        if (v > 0xFFFF) Fail("character code too large");
                        ++digits;
                    }
                }
                if (!digits) Fail("character code expected after '#'");
                t.codes.push_back(v);
            } else {
                break;
            }
        }
    }

    void ScanNumber(Token& t)
    {
        size_t b = pos_;
        bool neg = false;
        if (s_[pos_] == '-') {
            neg = true;
            ++pos_;
        }
        if (s_[pos_] == '$') {
            ++pos_;
            uint64_t v = 0;
            int digits = 0;
            while (pos_ < s_.size() && HexDigit(s_[pos_]) >= 0) {
                if (v >> 60) Fail("integer too large");
                v = v * 16 + static_cast<uint64_t>(HexDigit(s_[pos_++]));
                ++digits;
            }
            if (!digits) Fail("hexadecimal digits expected");
            t.kind = tkInt;
            t.ival = neg ? -static_cast<int64_t>(v) : static_cast<int64_t>(v);
            t.text = s_.substr(b, pos_ - b);
            return;
        }
        bool isFloat = false;
        while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
        if (pos_ + 1 < s_.size() && s_[pos_] == '.' && IsDigit(s_[pos_ + 1])) {
            isFloat = true;
            ++pos_;
            while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
        }
        if (pos_ < s_.size() && (s_[pos_] == 'e' || s_[pos_] == 'E')) {
            size_t q = pos_ + 1;
            if (q < s_.size() && (s_[q] == '+' || s_[q] == '-')) ++q;
            if (q < s_.size() && IsDigit(s_[q])) {
                isFloat = true;
                pos_ = q;
                while (pos_ < s_.size() && IsDigit(s_[pos_])) ++pos_;
            }
        }
        t.text = s_.substr(b, pos_ - b);
        if (pos_ < s_.size() && (s_[pos_] == 's' || s_[pos_] == 'c' || s_[pos_] == 'd' || s_[pos_] == 'S' ||
                                 s_[pos_] == 'C' || s_[pos_] == 'D') &&
            !(pos_ + 1 < s_.size() && IsIdentChar(s_[pos_ + 1]))) {
            t.suffix = static_cast<char>(s_[pos_] | 0x20);
            isFloat = true;
            ++pos_;
        }
        if (pos_ < s_.size() && IsIdentChar(s_[pos_])) Fail("invalid number '" + t.text + s_[pos_] + "'");
        if (isFloat) {
            t.kind = tkFloat;
            return;
        }
        t.kind = tkInt;
        std::string digits = t.text;
        auto r = std::from_chars(digits.data(), digits.data() + digits.size(), t.ival);
        if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) Fail("integer too large: " + t.text);
    }

    const std::string& s_;
    size_t pos_ = 0;
    int line_ = 1;
    Token tok_;
    bool has_ = false;
};

int64_t ParseCurrency(const std::string& text, Lexer& lx, int line)
{
    // Decimal with at most four fraction digits, scaled by 10000 exactly.
    bool neg = !text.empty() && text[0] == '-';
    size_t i = neg ? 1 : 0;
    __int128 v = 0;
    int frac = -1;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (c == '.') {
            frac = 0;
            continue;
        }
        if (!IsDigit(c)) lx.Fail("invalid currency value " + text, line);
        if (frac >= 0 && ++frac > 4) lx.Fail("currency value with more than four decimals: " + text, line);
        v = v * 10 + (c - '0');
        if (v > (static_cast<__int128>(1) << 70)) lx.Fail("currency value too large: " + text, line);
    }
    for (int k = frac < 0 ? 0 : frac; k < 4; ++k) v *= 10;
    if (neg) v = -v;
    if (v > std::numeric_limits<int64_t>::max() || v < std::numeric_limits<int64_t>::min())
        lx.Fail("currency value too large: " + text, line);
    return static_cast<int64_t>(v);
}

class TextToBinary {
public:
    TextToBinary(const std::string& text, TStream& out) : lx_(text), w_(out) {}

    void Run()
    {
        w_.WriteSignature();
        Object(w_, 0);
        if (lx_.Peek().kind != tkEOF) lx_.Fail("end of text expected");
    }

private:
    bool IsKeyword(const Token& t, const char* kw) { return t.kind == tkIdent && SameText(t.text, kw); }
    bool AtObjectStart()
    {
        const Token& t = lx_.Peek();
        return IsKeyword(t, "object") || IsKeyword(t, "inherited") || IsKeyword(t, "inline");
    }
    Token Expect(TokKind k, const char* what)
    {
        Token t = lx_.Next();
        if (t.kind != k) lx_.Fail(std::string(what) + " expected", t.line);
        return t;
    }
    void ExpectSym(char c)
    {
        Token t = lx_.Next();
        if (t.kind != tkSymbol || t.sym != c) lx_.Fail("'" + std::string(1, c) + "' expected", t.line);
    }
    bool PeekSym(char c)
    {
        const Token& t = lx_.Peek();
        return t.kind == tkSymbol && t.sym == c;
    }

    void Object(TWriter& w, int depth)
    {
        if (depth >= MaxFilerNesting) lx_.Fail("objects nested too deeply");
        Token kw = lx_.Next();
        uint8_t flags = 0;
        if (IsKeyword(kw, "inherited")) flags |= ffInherited;
        else if (IsKeyword(kw, "inline")) flags |= ffInline;
        else if (!IsKeyword(kw, "object")) lx_.Fail("'object' expected", kw.line);
        Token first = Expect(tkIdent, "name");
        std::string name, cls;
        if (PeekSym(':')) {
            lx_.Next();
            name = first.text;
            cls = Expect(tkIdent, "class name").text;
        } else {
            cls = first.text;
        }
        if (!IsValidIdent(cls) || (!name.empty() && !IsValidIdent(name))) lx_.Fail("invalid name", first.line);
        bool hasPos = false;
        int64_t childPos = 0;
        if (PeekSym('[')) {
            lx_.Next();
            childPos = Expect(tkInt, "child position").ival;
            ExpectSym(']');
            hasPos = true;
            flags |= ffChildPos;
        }
        if (flags) {
            uint8_t prefix = static_cast<uint8_t>(0xF0 | flags);
            w.Write(&prefix, 1);
            if (hasPos) w.WriteInteger(childPos);
        }
        w.WriteStr(cls);
        w.WriteStr(name);
        if (const TDesignStateLoader* loader = FindDesignState(cls)) {
            DesignStateObject(w, cls, name, *loader, kw.line);
            return;
        }
        while (!AtObjectStart() && !IsKeyword(lx_.Peek(), "end")) {
            if (lx_.Peek().kind == tkEOF) lx_.Fail("'end' expected");
            Property(w, depth, nullptr);
        }
        w.WriteListEnd();
        while (AtObjectStart()) Object(w, depth + 1);
        if (!IsKeyword(lx_.Next(), "end")) lx_.Fail("'end' expected");
        w.WriteListEnd();
    }

    // A component with state after its children: made, given its properties, told to
    // load its design-time data and written by its own WriteState.
    void DesignStateObject(TWriter& w, const std::string& cls, const std::string& name,
                           const TDesignStateLoader& loader, int line)
    {
        TMemoryStream props;
        TWriter pw(props);
        TDesignValues values;
        while (!AtObjectStart() && !IsKeyword(lx_.Peek(), "end")) {
            if (lx_.Peek().kind == tkEOF) lx_.Fail("'end' expected");
            Property(pw, 0, &values);
        }
        pw.WriteListEnd();
        if (AtObjectStart()) lx_.Fail("a " + cls + " cannot hold child objects in a text form");
        if (!IsKeyword(lx_.Next(), "end")) lx_.Fail("'end' expected");
        TComponent scratch(nullptr);
        TComponent* c = CreateComponentOfClass(cls, &scratch);
        try {
            c->SetName(name);
            props.SetPosition(0);
            TReader pr(props);
            pr.SetRoot(&scratch);
            pr.ReadProperties(c);
            loader(*c, values);
        } catch (const Exception& e) {
            lx_.Fail(name + ": " + e.Message(), line);
        }
        TComponent* savedRoot = w.Root();
        w.SetRoot(&scratch);
        try {
            c->WriteState(w);
        } catch (...) {
            w.SetRoot(savedRoot);
            throw;
        }
        w.SetRoot(savedRoot);
    }

    void Property(TWriter& w, int depth, TDesignValues* values)
    {
        Token name = lx_.Next();
        if (name.kind != tkIdent) lx_.Fail("property name expected", name.line);
        ExpectSym('=');
        w.WriteStr(name.text);
        std::string scalar;
        Value(w, depth, values ? &scalar : nullptr);
        if (values) (*values)[name.text] = scalar;
    }

    void WriteStringValue(TWriter& w, const std::vector<uint32_t>& codes, std::string* scalar)
    {
        bool wide = false;
        for (uint32_t c : codes)
            if (c > 0xFF) wide = true;
        if (wide) {
            std::u16string u(codes.begin(), codes.end());
            w.WriteWideString(u);
            if (scalar) {
                for (uint32_t c : codes) *scalar += c > 0xFF ? '?' : static_cast<char>(c);
            }
            return;
        }
        std::string s(codes.begin(), codes.end());
        w.WriteString(s);
        if (scalar) *scalar = s;
    }

    void Value(TWriter& w, int depth, std::string* scalar)
    {
        if (depth >= MaxFilerNesting) lx_.Fail("values nested too deeply");
        Token t = lx_.Next();
        switch (t.kind) {
        case tkInt:
            w.WriteInteger(t.ival);
            if (scalar) *scalar = IntToStr(t.ival);
            return;
        case tkFloat: {
            if (scalar) *scalar = t.text;
            const char* b = t.text.data();
            const char* e = b + t.text.size();
            if (t.suffix == 'c') {
                w.WriteCurrency(ParseCurrency(t.text, lx_, t.line));
                return;
            }
            if (t.suffix == 's') {
                float f;
                auto r = std::from_chars(b, e, f);
                if (r.ec != std::errc() || r.ptr != e) lx_.Fail("invalid single value " + t.text, t.line);
                w.WriteSingle(f);
                return;
            }
            if (t.suffix == 'd') {
                double d;
                auto r = std::from_chars(b, e, d);
                if (r.ec != std::errc() || r.ptr != e) lx_.Fail("invalid date value " + t.text, t.line);
                w.WriteDate(d);
                return;
            }
            long double v;
            auto r = std::from_chars(b, e, v);
            if (r.ec != std::errc() || r.ptr != e) lx_.Fail("invalid float value " + t.text, t.line);
            w.WriteExtended(LongDoubleToExtended(v));
            return;
        }
        case tkString: {
            std::vector<uint32_t> codes = t.codes;
            while (PeekSym('+')) {
                lx_.Next();
                Token more = lx_.Next();
                if (more.kind != tkString) lx_.Fail("string expected after '+'", more.line);
                codes.insert(codes.end(), more.codes.begin(), more.codes.end());
            }
            WriteStringValue(w, codes, scalar);
            return;
        }
        case tkIdent:
            w.WriteIdent(t.text);
            if (scalar) *scalar = t.text;
            return;
        case tkSymbol: break;
        case tkEOF: lx_.Fail("value expected", t.line);
        }
        switch (t.sym) {
        case '[': {
            std::vector<std::string> names;
            if (!PeekSym(']')) {
                for (;;) {
                    Token id = Expect(tkIdent, "set element");
                    names.push_back(id.text);
                    if (PeekSym(']')) break;
                    ExpectSym(',');
                }
            }
            ExpectSym(']');
            w.WriteSet(names);
            return;
        }
        case '(':
            w.WriteListBegin();
            while (!PeekSym(')')) {
                if (lx_.Peek().kind == tkEOF) lx_.Fail("')' expected");
                Value(w, depth + 1, nullptr);
            }
            lx_.Next();
            w.WriteListEnd();
            return;
        case '{': {
            std::string bytes = lx_.HexUntilBrace();
            w.WriteBinary(bytes.data(), static_cast<int64_t>(bytes.size()));
            return;
        }
        case '<':
            w.WriteValue(vaCollection);
            while (!PeekSym('>')) {
                Token item = lx_.Next();
                if (!IsKeyword(item, "item")) lx_.Fail("'item' expected", item.line);
                if (PeekSym('[')) {
                    lx_.Next();
                    w.WriteInteger(Expect(tkInt, "item order").ival);
                    ExpectSym(']');
                }
                w.WriteListBegin();
                while (!IsKeyword(lx_.Peek(), "end")) {
                    if (lx_.Peek().kind == tkEOF) lx_.Fail("'end' expected");
                    Property(w, depth + 1, nullptr);
                }
                lx_.Next();
                w.WriteListEnd();
            }
            lx_.Next();
            w.WriteListEnd();
            return;
        }
        lx_.Fail("value expected, found '" + std::string(1, t.sym) + "'", t.line);
    }

    Lexer lx_;
    TWriter w_;
};

// ---------------------------------------------------------------------------------
// Binary -> text

std::string Quote(const std::vector<uint32_t>& codes)
{
    if (codes.empty()) return "''";
    std::string out;
    bool open = false;
    for (uint32_t c : codes) {
        if (c >= 32 && c < 127) {
            if (!open) {
                out += '\'';
                open = true;
            }
            out += static_cast<char>(c);
            if (c == '\'') out += '\'';
        } else {
            if (open) {
                out += '\'';
                open = false;
            }
            out += '#';
            out += IntToStr(c);
        }
    }
    if (open) out += '\'';
    return out;
}

std::string FloatText(long double v)
{
    char buf[128];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    std::string s(buf, r.ptr);
    if (s.find_first_of(".e") == std::string::npos) s += ".0";
    return s;
}

class BinaryToText {
public:
    BinaryToText(TStream& in, TStream& out) : in_(in), r_(in), out_(out) {}

    void Run()
    {
        r_.ReadSignature();
        Object(0);
        Flush();
    }

private:
    void Emit(const std::string& s) { buf_ += s; }
    void Line(int indent, const std::string& s)
    {
        buf_.append(static_cast<size_t>(indent), ' ');
        buf_ += s;
        buf_ += '\n';
        if (buf_.size() > 65536) Flush();
    }
    void Flush()
    {
        out_.WriteBuffer(buf_.data(), static_cast<int64_t>(buf_.size()));
        buf_.clear();
    }
    [[noreturn]] void Fail(const std::string& what, int64_t at)
    {
        throw EReadError("Invalid stream format: " + what + " at offset " + IntToStr(at));
    }
    std::string Ident(const std::string& s, int64_t at)
    {
        if (!IsDottedIdent(s)) Fail("'" + s + "' is not an identifier", at);
        return s;
    }

    void Object(int indent)
    {
        int64_t start = r_.Position();
        if (indent / 2 >= MaxFilerNesting) Fail("components nested too deeply", start);
        uint8_t flags = 0;
        uint8_t b = static_cast<uint8_t>(r_.NextValue());
        std::string pos;
        if ((b & 0xF0) == 0xF0) {
            r_.ReadValue();
            flags = b & 0x0F;
            if (flags & ffChildPos) pos = " [" + IntToStr(r_.ReadInteger()) + "]";
        }
        int64_t at = r_.Position();
        std::string cls = Ident(r_.ReadStr(), at);
        at = r_.Position();
        std::string name = r_.ReadStr();
        if (!name.empty()) Ident(name, at);
        const char* kw = (flags & ffInherited) ? "inherited " : (flags & ffInline) ? "inline " : "object ";
        Line(indent, kw + (name.empty() ? cls : name + ": " + cls) + pos);
        while (!r_.EndOfList()) {
            at = r_.Position();
            std::string prop = Ident(r_.ReadStr(), at);
            std::string head;
            head.append(static_cast<size_t>(indent + 2), ' ');
            head += prop + " = ";
            Emit(head);
            Value(indent + 2, 0);
            Emit("\n");
        }
        r_.ReadListEnd();
        while (!r_.EndOfList()) Object(indent + 2);
        r_.ReadListEnd();
        if (FindDesignState(cls)) {
            // Its state has no text form; read it through the class itself to step over it.
            in_.SetPosition(start);
            TComponent scratch(nullptr);
            TReader sr(in_);
            sr.SetRoot(&scratch);
            sr.ReadComponent(&scratch);
        }
        Line(indent, "end");
    }

    void StringValue(int indent, const std::vector<uint32_t>& codes)
    {
        // Long strings continue on further lines, 64 characters a piece.
        if (codes.size() <= 64) {
            Emit(Quote(codes));
            return;
        }
        for (size_t i = 0; i < codes.size(); i += 64) {
            std::vector<uint32_t> piece(codes.begin() + static_cast<ptrdiff_t>(i),
                                        codes.begin() + static_cast<ptrdiff_t>(std::min(codes.size(), i + 64)));
            if (i) {
                Emit(" +\n");
                buf_.append(static_cast<size_t>(indent + 2), ' ');
            }
            Emit(Quote(piece));
        }
    }

    void Value(int indent, int depth)
    {
        int64_t at = r_.Position();
        if (depth >= MaxFilerNesting) Fail("values nested too deeply", at);
        TValueType t = r_.NextValue();
        switch (t) {
        case vaList: {
            r_.ReadListBegin();
            Emit("(");
            while (!r_.EndOfList()) {
                Emit("\n");
                buf_.append(static_cast<size_t>(indent + 2), ' ');
                Value(indent + 2, depth + 1);
            }
            r_.ReadListEnd();
            Emit(")");
            return;
        }
        case vaInt8:
        case vaInt16:
        case vaInt32:
        case vaInt64: Emit(IntToStr(r_.ReadInt64())); return;
        case vaExtended: {
            long double v = ExtendedToLongDouble(r_.ReadExtended());
            if (!std::isfinite(v)) Fail("a float without a text form", at);
            Emit(FloatText(v));
            return;
        }
        case vaSingle: {
            float f = r_.ReadSingle();
            if (!std::isfinite(f)) Fail("a float without a text form", at);
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, f);
            Emit(std::string(buf, r.ptr) + "s");
            return;
        }
        case vaDate: {
            double d = r_.ReadDate();
            if (!std::isfinite(d)) Fail("a date without a text form", at);
            char buf[64];
            auto r = std::to_chars(buf, buf + sizeof buf, d);
            Emit(std::string(buf, r.ptr) + "d");
            return;
        }
        case vaCurrency: {
            int64_t c = r_.ReadCurrency();
            uint64_t a = c < 0 ? 0 - static_cast<uint64_t>(c) : static_cast<uint64_t>(c);
            std::string frac = IntToStr(static_cast<int64_t>(a % 10000));
            frac.insert(0, 4 - frac.size(), '0');
            while (frac.size() > 1 && frac.back() == '0') frac.pop_back();
            Emit(std::string(c < 0 ? "-" : "") + std::to_string(a / 10000) + "." + frac + "c");
            return;
        }
        case vaString:
        case vaLString: {
            std::string s = r_.ReadString();
            std::vector<uint32_t> codes;
            for (unsigned char c : s) codes.push_back(c);
            StringValue(indent, codes);
            return;
        }
        case vaWString: {
            // Wide strings keep their code units: #nnn above 255, so they come back wide.
            r_.ReadValue();
            uint8_t b[4];
            r_.Read(b, 4);
            uint64_t n = b[0] | (b[1] << 8) | (b[2] << 16) | (uint64_t(b[3]) << 24);
            if (static_cast<int64_t>(n * 2) > in_.Size() - r_.Position()) Fail("wide string runs past the end", at);
            std::string raw(static_cast<size_t>(n * 2), '\0');
            r_.Read(raw.data(), static_cast<int32_t>(raw.size()));
            std::vector<uint32_t> codes;
            for (size_t i = 0; i < n; ++i)
                codes.push_back(static_cast<uint8_t>(raw[2 * i]) | (static_cast<uint8_t>(raw[2 * i + 1]) << 8));
            // Codes above 255 make the text come back as a wide string; one with only
            // 8-bit codes comes back as a plain string of the same characters.
            StringValue(indent, codes);
            return;
        }
        case vaIdent: {
            std::string id = r_.ReadIdent();
            Emit(Ident(id, at));
            return;
        }
        case vaFalse: r_.ReadValue(); Emit("False"); return;
        case vaTrue: r_.ReadValue(); Emit("True"); return;
        case vaNil: r_.ReadValue(); Emit("nil"); return;
        case vaSet: {
            std::vector<std::string> names = r_.ReadSet();
            std::string s = "[";
            for (size_t i = 0; i < names.size(); ++i) {
                if (i) s += ", ";
                s += Ident(names[i], at);
            }
            Emit(s + "]");
            return;
        }
        case vaBinary: {
            std::string bytes = r_.ReadBinary();
            static const char* hex = "0123456789ABCDEF";
            Emit("{");
            for (size_t i = 0; i < bytes.size(); ++i) {
                if (i % 32 == 0) {
                    Emit("\n");
                    buf_.append(static_cast<size_t>(indent + 2), ' ');
                }
                unsigned char c = static_cast<unsigned char>(bytes[i]);
                buf_ += hex[c >> 4];
                buf_ += hex[c & 15];
            }
            Emit("}");
            return;
        }
        case vaCollection: {
            r_.ReadValue();
            Emit("<");
            while (!r_.EndOfList()) {
                Emit("\n");
                std::string item = "item";
                uint8_t n = static_cast<uint8_t>(r_.NextValue());
                if (n == vaInt8 || n == vaInt16 || n == vaInt32) item += " [" + IntToStr(r_.ReadInteger()) + "]";
                buf_.append(static_cast<size_t>(indent + 2), ' ');
                Emit(item + "\n");
                r_.ReadListBegin();
                while (!r_.EndOfList()) {
                    int64_t pat = r_.Position();
                    std::string prop = Ident(r_.ReadStr(), pat);
                    buf_.append(static_cast<size_t>(indent + 4), ' ');
                    Emit(prop + " = ");
                    Value(indent + 4, depth + 1);
                    Emit("\n");
                }
                r_.ReadListEnd();
                buf_.append(static_cast<size_t>(indent + 2), ' ');
                Emit("end");
            }
            r_.ReadListEnd();
            Emit(">");
            return;
        }
        case vaNull: break;
        }
        Fail(ValueTypeName(t) + " is not a property value", at);
    }

    TStream& in_;
    TReader r_;
    TStream& out_;
    std::string buf_;
};

}  // namespace

void ObjectTextToBinary(TStream& Input, TStream& Output)
{
    std::string text(static_cast<size_t>(std::max<int64_t>(0, Input.Size() - Input.Position())), '\0');
    Input.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
    TextToBinary(text, Output).Run();
}

void ObjectBinaryToText(TStream& Input, TStream& Output)
{
    BinaryToText(Input, Output).Run();
}

std::string FormTextToBinary(const std::string& Text)
{
    TStringStream in(Text), out;
    ObjectTextToBinary(in, out);
    return out.DataString();
}

std::string FormBinaryToText(const std::string& Binary)
{
    TStringStream in(Binary), out;
    ObjectBinaryToText(in, out);
    return out.DataString();
}

std::string TextFormClassName(const std::string& Text)
{
    try {
        Lexer lx(Text);
        Token kw = lx.Next();
        if (kw.kind != tkIdent) return {};
        Token first = lx.Next();
        if (first.kind != tkIdent) return {};
        const Token& colon = lx.Peek();
        if (colon.kind == tkSymbol && colon.sym == ':') {
            lx.Next();
            Token cls = lx.Next();
            return cls.kind == tkIdent ? cls.text : std::string();
        }
        return first.text;
    } catch (const EParserError&) {
        return {};
    }
}
