// The REGEDIT4 reader and writer of the registry store.
#include <gtest/gtest.h>

#include "platform/win/RegistryStore.h"

namespace {

std::unique_ptr<RegKeyNode> ParseHive(const std::string& text, RegHive hive, RegParseError* errOut = nullptr)
{
    std::vector<RegOp> ops;
    RegParseError err;
    auto root = std::make_unique<RegKeyNode>();
    if (!ParseRegText(text, ops, err) || !ApplyRegOps(*root, hive, ops, err)) {
        if (errOut) *errOut = err;
        return nullptr;
    }
    return root;
}

RegValue Val(const std::string& name, DWORD type, const std::string& data) { return RegValue{name, type, data}; }

struct RoundTripCase {
    const char* label;
    RegValue value;
    std::string line;  // the value line the writer must produce
};

class RegistryFileRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RegistryFileRoundTrip, WritesTheExpectedLineAndReadsBackTheSameBytes)
{
    const auto& c = GetParam();
    RegKeyNode root;
    bool created = false;
    RegKeyNode* k = root.AddSubKey("Software", created)->AddSubKey("Test", created);
    k->SetValue(c.value);
    const std::string text = SerializeHive(root, RegHive::LocalMachine);
    EXPECT_NE(text.find(std::string("[HKEY_LOCAL_MACHINE\\Software\\Test]\r\n") + c.line + "\r\n"), std::string::npos)
        << text;
    auto back = ParseHive(text, RegHive::LocalMachine);
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->SameAs(root)) << text;
    EXPECT_EQ(SerializeHive(*back, RegHive::LocalMachine), text);
}

const std::string kLong(40, '\xAB');

// "ab,ab,...,ab" of n bytes.
std::string Bytes(int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) s += i ? ",ab" : "ab";
    return s;
}

INSTANTIATE_TEST_SUITE_P(
    Values, RegistryFileRoundTrip,
    ::testing::Values(
        RoundTripCase{"string", Val("InstallDir", REG_SZ, std::string("C:\\Program Files\\A \"b\"\0", 23)),
                      R"("InstallDir"="C:\\Program Files\\A \"b\"")"},
        RoundTripCase{"empty_string", Val("E", REG_SZ, std::string("\0", 1)), R"("E"="")"},
        RoundTripCase{"default_value", Val("", REG_SZ, std::string("x\0", 2)), R"(@="x")"},
        RoundTripCase{"ansi_text", Val("N\xE9", REG_SZ, std::string("caf\xE9\0", 5)), "\"N\xE9\"=\"caf\xE9\""},
        RoundTripCase{"dword", Val("D", REG_DWORD, std::string("\x1f\0\0\x80", 4)), R"("D"=dword:8000001f)"},
        RoundTripCase{"short_dword", Val("D", REG_DWORD, std::string("\x01", 1)), R"("D"=hex(4):01)"},
        RoundTripCase{"binary_date", Val("InstallDate", REG_BINARY, std::string("\x10\x32\x54\x76\x98\xba\xdc\x40", 8)),
                      R"("InstallDate"=hex:10,32,54,76,98,ba,dc,40)"},
        RoundTripCase{"empty_binary", Val("B", REG_BINARY, ""), R"("B"=hex:)"},
        RoundTripCase{"expandable", Val("P", REG_EXPAND_SZ, std::string("%A%\0", 4)), R"("P"=hex(2):25,41,25,00)"},
        RoundTripCase{"multi_string", Val("M", REG_MULTI_SZ, std::string("a\0b\0\0", 5)), R"("M"=hex(7):61,00,62,00,00)"},
        RoundTripCase{"string_with_newline", Val("S", REG_SZ, std::string("a\r\nb\0", 5)), R"("S"=hex(1):61,0d,0a,62,00)"},
        RoundTripCase{"string_without_zero", Val("S", REG_SZ, "ab"), R"("S"=hex(1):61,62)"},
        RoundTripCase{"qword_type_in_hex", Val("Q", REG_QWORD, std::string(8, '\x01')),
                      R"("Q"=hex(b):01,01,01,01,01,01,01,01)"},
        RoundTripCase{"long_binary_wraps",
                      Val("Long", REG_BINARY, kLong),
                      "\"Long\"=hex:" + Bytes(22) + ",\\\r\n  " + Bytes(18)}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(RegistryFile, ReadsWhatRegeditWritesCommentsDeletionsAndCase)
{
    const std::string text =
        "REGEDIT4\n"
        "\n"
        "; a comment\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor]\n"
        "\"Keep\"=\"1\"\n"
        "\"Gone\"=\"2\"\n"
        "  \"Spaced\" = dword:00000002  \n"
        "[hkey_current_user\\SOFTWARE\\vendor\\Sub]\n"
        "\"Bin\"=hex:01,02,\\\n"
        "  03,04\n"
        "[HKEY_CURRENT_USER\\Software\\Old\\Deep]\n"
        "[-HKEY_CURRENT_USER\\Software\\Old]\n"
        "[HKEY_CURRENT_USER\\Software\\Vendor]\n"
        "\"Gone\"=-\n";
    auto root = ParseHive(text, RegHive::CurrentUser);
    ASSERT_TRUE(root);
    RegKeyNode* vendor = root->Walk({"software", "VENDOR"});
    ASSERT_TRUE(vendor);
    EXPECT_EQ(vendor->Name, "Vendor");  // the first spelling stays
    EXPECT_TRUE(vendor->FindValue("keep"));
    EXPECT_FALSE(vendor->FindValue("Gone"));
    ASSERT_TRUE(vendor->FindValue("Spaced"));
    EXPECT_EQ(vendor->FindValue("Spaced")->Type, REG_DWORD);
    RegKeyNode* sub = vendor->FindSubKey("sub");
    ASSERT_TRUE(sub);
    EXPECT_EQ(sub->FindValue("Bin")->Data, std::string("\x01\x02\x03\x04", 4));
    EXPECT_FALSE(root->Walk({"Software", "Old"}));
}

struct ErrorCase {
    const char* label;
    std::string text;
    int line;
};

class RegistryFileErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(RegistryFileErrors, AreReportedWithTheirLine)
{
    const auto& c = GetParam();
    std::vector<RegOp> ops;
    RegParseError err;
    EXPECT_FALSE(ParseRegText(c.text, ops, err));
    EXPECT_EQ(err.Line, c.line) << err.Message;
    EXPECT_FALSE(err.Message.empty());
}

const std::string kHead = "REGEDIT4\r\n\r\n[HKEY_USERS\\.Default]\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistryFileErrors,
    ::testing::Values(ErrorCase{"empty_file", "", 1}, ErrorCase{"other_header", "Windows Registry Editor\r\n", 1},
                      ErrorCase{"value_before_key", "REGEDIT4\r\n\"a\"=\"b\"\r\n", 2},
                      ErrorCase{"unknown_root", "REGEDIT4\r\n[HKEY_NOWHERE\\A]\r\n", 2},
                      ErrorCase{"short_root", "REGEDIT4\r\n[HKLM\\A]\r\n", 2},
                      ErrorCase{"open_key_line", "REGEDIT4\r\n[HKEY_USERS\\A\r\n", 2},
                      ErrorCase{"empty_key_name", "REGEDIT4\r\n[HKEY_USERS\\A\\\\B]\r\n", 2},
                      ErrorCase{"delete_root", "REGEDIT4\r\n[-HKEY_USERS]\r\n", 2},
                      ErrorCase{"unterminated_string", kHead + "\"a\"=\"b\r\n", 4},
                      ErrorCase{"unknown_escape", kHead + "\"a\"=\"b\\n\"\r\n", 4},
                      ErrorCase{"text_after_string", kHead + "\"a\"=\"b\" x\r\n", 4},
                      ErrorCase{"missing_equals", kHead + "\"a\" \"b\"\r\n", 4},
                      ErrorCase{"long_dword", kHead + "\"a\"=dword:123456789\r\n", 4},
                      ErrorCase{"bad_dword", kHead + "\"a\"=dword:12g4\r\n", 4},
                      ErrorCase{"bad_hex_byte", kHead + "\"a\"=hex:01,zz\r\n", 4},
                      ErrorCase{"trailing_comma", kHead + "\"a\"=hex:01,\r\n", 4},
                      ErrorCase{"bad_hex_type", kHead + "\"a\"=hex(q):01\r\n", 4},
                      ErrorCase{"continued_past_end", kHead + "\"a\"=hex:01,\\\r\n", 4},
                      ErrorCase{"garbage_line", kHead + "junk\r\n", 4},
                      ErrorCase{"unknown_data", kHead + "\"a\"=word:1\r\n", 4},
                      ErrorCase{"long_key_name", "REGEDIT4\r\n[HKEY_USERS\\" + std::string(256, 'k') + "]\r\n", 2}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(RegistryFile, RefusesKeysNestedBeyondTheLimit)
{
    std::string path = "HKEY_USERS";
    for (size_t i = 0; i <= kRegMaxKeyDepth; ++i) path += "\\k";
    std::vector<RegOp> ops;
    RegParseError err;
    EXPECT_FALSE(ParseRegText("REGEDIT4\r\n[" + path + "]\r\n", ops, err));
    EXPECT_EQ(err.Line, 2);
}

TEST(RegistryFile, AHiveFileMustHoldOnlyItsOwnRoot)
{
    RegParseError err;
    EXPECT_FALSE(ParseHive("REGEDIT4\r\n\r\n[HKEY_USERS\\.Default]\r\n", RegHive::LocalMachine, &err));
    EXPECT_NE(err.Message.find("HKEY_LOCAL_MACHINE"), std::string::npos);
}

TEST(RegistryFile, ExportsEmptyKeysSoTheyAreKept)
{
    RegKeyNode root;
    bool created = false;
    root.AddSubKey("A", created)->AddSubKey("Empty", created);
    const std::string text = SerializeHive(root, RegHive::CurrentConfig);
    EXPECT_EQ(text, "REGEDIT4\r\n\r\n[HKEY_CURRENT_CONFIG\\A]\r\n\r\n[HKEY_CURRENT_CONFIG\\A\\Empty]\r\n\r\n");
}

}  // namespace
