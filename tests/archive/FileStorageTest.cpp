// TFileStorage: its record in form streams, LoadFromFile and SaveToFile.
#include <gtest/gtest.h>

#include <filesystem>

#include "archive/FStorage.h"
#include "platform/classes/Filer.h"
#include "platform/classes/MessageHook.h"
#include "platform/win/SysFiles.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/TempMachine.h"

using namespace archivetest;
using testsupport::ReadHostFile;
using testsupport::WriteHostFile;

namespace {

class FileStorageTest : public MachineTest {
protected:
    void SetUp() override
    {
        MachineTest::SetUp();
        ASSERT_TRUE(CreateDir("C:\\work"));
    }
    std::string State(TFileStorage& s)
    {
        TStringStream out;
        TWriter w(out);
        s.WriteState(w);
        return out.DataString();
    }
};

}  // namespace

TEST_F(FileStorageTest, RecordAfterTheTwoEndOfListBytes)
{
    struct Case {
        size_t size;
        const char* record;  // the bytes before the data
    } cases[] = {{100, "08 02 64"}, {1000, "08 03 E8 03"}, {40000, "08 04 40 9C 00 00"}, {0, "08 02 00"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.size);
        std::string content = Noise(c.size, 3);
        WriteHostFile(Host("C:\\work\\f.bin"), content);
        TFileStorage s(nullptr);
        s.LoadFromFile("C:\\work\\f.bin");
        EXPECT_EQ(s.DataSize(), static_cast<int32_t>(c.size));
        EXPECT_EQ(s.FileName(), "C:\\work\\f.bin");
        std::string state = State(s);
        std::string record = Unhex(c.record) + content;
        ASSERT_GE(state.size(), record.size() + 2);
        EXPECT_EQ(Hex(state.substr(state.size() - record.size() - 2, 2)), "00 00");
        EXPECT_EQ(state.substr(state.size() - record.size()), record);

        TStringStream in(state);
        TReader r(in);
        TFileStorage back(nullptr);
        back.ReadState(r);
        EXPECT_EQ(r.Position(), static_cast<int64_t>(state.size()));
        EXPECT_FALSE(back.Empty());
        EXPECT_EQ(back.DataSize(), static_cast<int32_t>(c.size));
        EXPECT_EQ(back.FileName(), "");
        EXPECT_EQ(std::string(reinterpret_cast<const char*>(back.Data()), c.size), content);
    }
}

TEST_F(FileStorageTest, EmptyStorage)
{
    TFileStorage s(nullptr);
    EXPECT_TRUE(s.Empty());
    std::string state = State(s);
    EXPECT_EQ(Hex(state.substr(state.size() - 3)), "00 00 09");
    TStringStream in(state);
    TReader r(in);
    TFileStorage back(nullptr);
    back.ReadState(r);
    EXPECT_TRUE(back.Empty());
    EXPECT_EQ(back.DataSize(), 0);
    // Saving an empty storage makes an empty file.
    EXPECT_TRUE(s.SaveToFile("C:\\work\\e.bin"));
    EXPECT_EQ(ReadHostFile(Host("C:\\work\\e.bin")), "");
}

TEST_F(FileStorageTest, BrokenRecords)
{
    TFileStorage plain(nullptr);
    std::string base = State(plain);
    base.pop_back();  // the 09
    for (const char* tail : {"08", "08 06 01 61", "08 04 FF FF FF 7F 00", "08 02 FF", "08 02 05 01 02"}) {
        SCOPED_TRACE(tail);
        TStringStream in(base + Unhex(tail));
        TReader r(in);
        TFileStorage s(nullptr);
        EXPECT_THROW(s.ReadState(r), EReadError);
    }
}

TEST_F(FileStorageTest, SaveLoadAndIgnoredSetters)
{
    WriteHostFile(Host("C:\\work\\f.bin"), "payload");
    TFileStorage s(nullptr);
    s.LoadFromFile("C:\\work\\f.bin");
    s.SetDataSize(1);
    s.SetFileName("other");
    EXPECT_EQ(s.DataSize(), 7);
    EXPECT_EQ(s.FileName(), "C:\\work\\f.bin");
    EXPECT_TRUE(s.SaveToFile("C:\\work\\copy.bin"));
    EXPECT_EQ(ReadHostFile(Host("C:\\work\\copy.bin")), "payload");
    EXPECT_FALSE(s.SaveToFile("C:\\nowhere\\copy.bin"));
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\nowhere")));
}

TEST_F(FileStorageTest, MissingFileRaisesAndLeavesItEmpty)
{
    WriteHostFile(Host("C:\\work\\f.bin"), "payload");
    TFileStorage s(nullptr);
    s.LoadFromFile("C:\\work\\f.bin");
    try {
        s.LoadFromFile("C:\\work\\none.bin");
        ADD_FAILURE();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.ErrorCode, 2);
        EXPECT_EQ(e.Message(), "File not found");
    }
    EXPECT_TRUE(s.Empty());
    EXPECT_EQ(s.DataSize(), 0);
}
