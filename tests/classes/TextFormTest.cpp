// Text form descriptions <-> binary form streams.
#include <gtest/gtest.h>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"
#include "platform/classes/TextForm.h"

using namespace std::string_literals;

namespace {

std::string S(const std::string& s)
{
    return std::string(1, static_cast<char>(s.size())) + s;
}

// Text in the converter's own layout, so binary -> text reproduces it exactly.
const char* const kSample = R"(object Form1: TForm1
  Left = 192
  Top = -129
  Big = 1099511627776
  Caption = 'It''s'#13#10'ok'
  Long = 'aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa' +
    'bbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb' +
    'cc'
  Empty = ''
  Euro = 'price '#8364
  Accent = #233't'#233
  Ratio = 0.1
  Tiny = 1e-300
  Whole = 3.0
  NegZero = -0.0
  Single = 1.5s
  Money = -12.5c
  When = 36820.5d
  Style = [fsBold, fsItalic]
  None = []
  Visible = False
  Shown = True
  Link = nil
  Color = clBtnFace
  Ref = Form2.Label1
  Items.Strings = (
    'one'
    (
      1
      'nested')
    'three')
  Data = {
    000102030405060708090A0B0C0D0E0F101112131415161718191A1B1C1D1E1F
    FF}
  Columns = <
    item
      Width = 10
    end
    item [3]
      Caption = 'x'
    end>
  OnClick = Button1Click
  object Label1: TLabel [2]
    Caption = 'Hi'
  end
  inherited Panel1: TPanel
    object Gauge1: TGauge
    end
  end
  inline TFrame
  end
end
)";

TEST(TextForm, TextToBinaryToTextIsStable)
{
    std::string bin = FormTextToBinary(kSample);
    EXPECT_EQ(FormBinaryToText(bin), kSample);
    // And the binary the text gives back is the same binary.
    EXPECT_EQ(FormTextToBinary(FormBinaryToText(bin)), bin);
}

TEST(TextForm, BinaryBytesOfEachValueKind)
{
    std::string bin = FormTextToBinary(
        "object F: TF\n"
        "  A = 128\n"
        "  B = 'x'#0'y'\n"
        "  C = gsLine\n"
        "  D = [asShadow]\n"
        "  E = ( 'l1' 'l2' )\n"
        "  G = { 0A1B }\n"
        "  H = True\n"
        "  I = 1.0\n"
        "  J = $FF\n"
        "  object L: TL [4]\n"
        "  end\n"
        "end\n");
    std::string expected = "TPF0"s + S("TF") + S("F") + S("A") + "\x03\x80\x00"s + S("B") + "\x06\x03x\x00y"s + S("C") +
                           "\x07" + S("gsLine") + S("D") + "\x0B" + S("asShadow") + "\x00"s + S("E") + "\x01\x06\x02l1\x06\x02l2\x00"s +
                           S("G") + "\x0A\x02\x00\x00\x00\x0A\x1B"s + S("H") + "\x09" + S("I") +
                           "\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x3F"s + S("J") + "\x03\xFF\x00"s + "\x00"s +
                           "\xF2\x02\x04"s + S("TL") + S("L") + "\x00\x00"s + "\x00"s;
    EXPECT_EQ(bin, expected);
}

TEST(TextForm, StringsLongerThan255BytesUseTheLongTag)
{
    std::string text = "object F: TF\n  S = '" + std::string(200, 'a') + "' + '" + std::string(100, 'b') + "'\nend\n";
    std::string bin = FormTextToBinary(text);
    std::string head = "TPF0"s + S("TF") + S("F") + S("S") + "\x0C\x2C\x01\x00\x00"s;
    EXPECT_EQ(bin.substr(0, head.size()), head);
    EXPECT_EQ(bin.substr(head.size(), 300), std::string(200, 'a') + std::string(100, 'b'));
}

TEST(TextForm, TextErrorsGiveTheLine)
{
    struct Case {
        const char* name;
        const char* text;
        const char* message;
    };
    const Case cases[] = {
        {"no object", "thing Form1: TForm1\nend\n", "Line 1: 'object' expected"},
        {"missing equals", "object F: TF\n  Left 5\nend\n", "Line 2: '=' expected"},
        {"unterminated string", "object F: TF\n  S = 'abc\nend\n", "Line 2: unterminated string"},
        {"missing end", "object F: TF\n  Left = 1\n", "Line 3: 'end' expected"},
        {"odd hex", "object F: TF\n  D = {\n  ABC}\nend\n", "Line 3: odd number of binary digits"},
        {"bad hex", "object F: TF\n  D = {AZ}\nend\n", "Line 2: invalid binary digit 'Z'"},
        {"huge integer", "object F: TF\n  N = 99999999999999999999\nend\n", "Line 2: integer too large: 99999999999999999999"},
        {"set without comma", "object F: TF\n  S = [a b]\nend\n", "Line 2: ',' expected"},
        {"string plus nothing", "object F: TF\n  S = 'a' +\nend\n", "Line 3: string expected after '+'"},
        {"char code", "object F: TF\n  S = #70000\nend\n", "Line 2: character code too large"},
        {"trailing text", "object F: TF\nend\nobject G: TG\nend\n", "Line 3: end of text expected"},
        {"currency decimals", "object F: TF\n  M = 1.23456c\nend\n", "Line 2: currency value with more than four decimals: 1.23456"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            FormTextToBinary(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const EParserError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(TextForm, BinaryThatHasNoTextFormIsRefusedWithItsOffset)
{
    struct Case {
        const char* name;
        std::string bin;
        const char* message;
    };
    const std::string head = "TPF0"s + S("TF") + S("F");
    const Case cases[] = {
        {"no signature", "TPF1"s, "Invalid stream format: signature TPF0 expected at offset 0"},
        {"property name not an identifier", head + S("a b") + "\x02\x01" + "\x00\x00"s,
         "Invalid stream format: 'a b' is not an identifier at offset 9"},
        {"end of list as a value", head + S("A") + "\x00"s, "Invalid stream format: end of list is not a property value at offset 11"},
        {"truncated", head + S("A") + "\x04\x01"s, "Invalid stream format: integer at offset 11 runs past the end of the stream"},
        {"infinite float", head + S("A") + "\x05\x00\x00\x00\x00\x00\x00\x00\x80\xFF\x7F"s + "\x00\x00"s,
         "Invalid stream format: a float without a text form at offset 11"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            FormBinaryToText(c.bin);
            ADD_FAILURE() << "accepted";
        } catch (const EReadError& e) {
            EXPECT_EQ(e.Message(), c.message);
        }
    }
}

TEST(TextForm, RootClassNameForResourceNames)
{
    EXPECT_EQ(TextFormClassName("object Form1: TForm1\nend\n"), "TForm1");
    EXPECT_EQ(TextFormClassName("  inherited Form3 : TForm3\n"), "TForm3");
    EXPECT_EQ(TextFormClassName("garbage '"), "");
}

// A component with state after its children whose design-time data comes from its
// text form's values (as a storage component loads the file it names).
class TBlob : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TBlob"; }
    const std::string& Source() const { return source_; }
    void SetSource(const std::string&) {}  // as stored, ignored on reading
    int32_t Size() const { return static_cast<int32_t>(bytes.size()); }
    void SetSize(int32_t) {}
    void ReadState(TReader& Reader) override
    {
        TComponent::ReadState(Reader);
        if (Reader.ReadBoolean()) return;
        int32_t n = Reader.ReadInteger();
        if (n < 0 || n > Reader.Stream().Size() - Reader.Position()) throw EReadError("bad blob size");
        bytes.resize(static_cast<size_t>(n));
        Reader.Read(bytes.data(), n);
    }
    void WriteState(TWriter& Writer) override
    {
        TComponent::WriteState(Writer);
        Writer.WriteBoolean(bytes.empty());
        if (!bytes.empty()) {
            Writer.WriteInteger(static_cast<int64_t>(bytes.size()));
            Writer.Write(bytes.data(), static_cast<int32_t>(bytes.size()));
        }
    }
    void Load(const std::string& source)
    {
        source_ = source;
        bytes.clear();
        for (int i = 0; i < 50; ++i) bytes += source;
    }
    std::string bytes;

private:
    std::string source_;
};

PUBLISHED_PROPERTIES(TBlob, TComponent)
{
    PUBLISH_STRING(Source);
    PUBLISH_INT(Size);
}

class TextFormDesignState : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegisterComponentClass<TBlob>("TBlob");
        RegisterDesignState("TBlob", [](TComponent& c, const TDesignValues& v) {
            auto it = v.find("source");
            if (it == v.end()) throw EReadError("no Source given");
            dynamic_cast<TBlob&>(c).Load(it->second);
        });
    }
    void TearDown() override
    {
        UnregisterDesignState("TBlob");
        UnregisterComponentClass("TBlob");
    }
};

TEST_F(TextFormDesignState, CompilesThroughTheComponentAndReadsBackWithoutLosingTheNext)
{
    const char* text =
        "object Form1: TForm1\n"
        "  object Blob1: TBlob\n"
        "    Source = 'ab'\n"
        "    Left = 16\n"
        "  end\n"
        "  object Label1: TLabel\n"
        "  end\n"
        "end\n";
    std::string bin = FormTextToBinary(text);
    // The component wrote itself: its properties (the size it loaded), its two end
    // bytes, then its record; the next component follows at once.
    std::string blob = S("TBlob") + S("Blob1") + S("Source") + "\x06\x02" "ab" + S("Size") + "\x02\x64" + S("Left") +
                       "\x02\x10" + "\x00\x00"s + "\x08\x02\x64"s;
    size_t at = bin.find(blob);
    ASSERT_NE(at, std::string::npos);
    std::string rest = bin.substr(at + blob.size());
    std::string loaded;
    for (int i = 0; i < 50; ++i) loaded += "ab";
    EXPECT_EQ(rest.substr(0, 100), loaded);
    EXPECT_EQ(rest.substr(100), S("TLabel") + S("Label1") + "\x00\x00\x00"s);

    std::string back = FormBinaryToText(bin);
    EXPECT_EQ(back,
              "object Form1: TForm1\n"
              "  object Blob1: TBlob\n"
              "    Source = 'ab'\n"
              "    Size = 100\n"
              "    Left = 16\n"
              "  end\n"
              "  object Label1: TLabel\n"
              "  end\n"
              "end\n");
    EXPECT_EQ(FormTextToBinary(back), bin);
}

TEST_F(TextFormDesignState, LoaderFailuresNameTheComponent)
{
    try {
        FormTextToBinary("object Form1: TForm1\n  object Blob1: TBlob\n    Left = 1\n  end\nend\n");
        FAIL() << "accepted";
    } catch (const EParserError& e) {
        EXPECT_EQ(e.Message(), "Line 2: Blob1: no Source given");
    }
    try {
        FormTextToBinary("object Form1: TForm1\n  object Blob1: TBlob\n    Source = 'a'\n    object X: TX\n    end\n  end\nend\n");
        FAIL() << "accepted";
    } catch (const EParserError& e) {
        EXPECT_EQ(e.Message(), "Line 4: a TBlob cannot hold child objects in a text form");
    }
}

}  // namespace
