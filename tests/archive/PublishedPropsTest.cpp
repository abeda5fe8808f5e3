// TLZHBatch in form descriptions: a text form configures every published property and
// event, the header is read once after loading, and a written form holds only what
// differs from the defaults (never the read-only ValidArchive).
#include <memory>

#include <gtest/gtest.h>

#include "archive/Lzh_btch.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"
#include "platform/classes/TextForm.h"
#include "platform/win/SysFiles.h"
#include "tests/archive/ArchiveTestSupport.h"
#include "tests/support/TempMachine.h"

namespace {

// The form that owns the component and publishes its handlers.
class TBatchForm : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TBatchForm"; }
    void Collecting(TObject*, const std::string& f, TCollectAction& a)
    {
        log += "collecting " + f + ";";
        a = caSkip;
    }
    void CollectError(TObject*, const std::string& f, TCollectErrorAction& a)
    {
        log += "error " + f + ";";
        a = ceSkip;
    }
    void DoneCollecting(TObject*, int32_t n, int32_t size, bool& cancel)
    {
        log += "done " + std::to_string(n) + "/" + std::to_string(size) + ";";
        cancel = true;
    }
    void FileExist(TObject*, const std::string& f, TFileExistAction& a)
    {
        log += "exists " + f + ";";
        a = faCancel;
    }
    void LZHBatch1Progress(TObject*, const std::string& f, int32_t fw, int32_t fb, int32_t tw, int32_t tb, bool&)
    {
        log += "progress " + f + " " + std::to_string(fw) + "/" + std::to_string(fb) + " " + std::to_string(tw) +
               "/" + std::to_string(tb) + ";";
    }
    std::string log;
};

PUBLISHED_METHODS(TBatchForm, TComponent)
{
    PUBLISH_METHOD(Collecting);
    PUBLISH_METHOD(CollectError);
    PUBLISH_METHOD(DoneCollecting);
    PUBLISH_METHOD(FileExist);
    PUBLISH_METHOD(LZHBatch1Progress);
}

class LZHBatchPropsTest : public MachineTest {
protected:
    // Compiles the text as formc does and reads it into form.
    void Load(const std::string& text)
    {
        TStringStream s(FormTextToBinary(text));
        TReader r(s);
        r.ReadRootComponent(&form);
    }
    TLZHBatch* Batch() { return dynamic_cast<TLZHBatch*>(form.FindComponent("LZHBatch1")); }
    std::string Written()
    {
        TMemoryStream m;
        TWriter w(m);
        w.WriteRootComponent(&form);
        return FormBinaryToText(std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size())));
    }

    TBatchForm form{nullptr};
};

// Every property and event away from its default, as a stored form spells it.
const char* const kStoredBatch =
    "object Form3: TBatchForm\n"
    "  object LZHBatch1: TLZHBatch\n"
    "    DirectoryInfo = diRelativePath\n"
    "    InputFiles.Strings = (\n"
    "      'C:\\src\\*.txt'\n"
    "      'C:\\src\\b.dat')\n"
    "    ArchiveFileName = 'C:\\work\\setup.lzd'\n"
    "    ArchiveMode = amAdd\n"
    "    OutputDirectory = 'C:\\out'\n"
    "    OverwriteExisting = False\n"
    "    RootDirectory = 'C:\\src'\n"
    "    RecurseDirectories = True\n"
    "    RestoreAttributes = True\n"
    "    RestoreFileDate = True\n"
    "    UseDirectoryNames = True\n"
    "    OnCollecting = Collecting\n"
    "    OnCollectError = CollectError\n"
    "    OnDoneCollecting = DoneCollecting\n"
    "    OnFileExist = FileExist\n"
    "    OnProgress = LZHBatch1Progress\n"
    "  end\n"
    "end\n";

TEST_F(LZHBatchPropsTest, TextFormSetsEveryPropertyAndEventThenReadsTheHeaderOnce)
{
    ASSERT_TRUE(CreateDir("C:\\work"));
    testsupport::WriteHostFile(Host("C:\\work\\setup.lzd"),
                               archivetest::BuildArchive({{"a.txt", "alpha"}, {"b.txt", "beta beta"}}));
    Load(kStoredBatch);
    TLZHBatch* b = Batch();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->DirectoryInfo(), diRelativePath);
    EXPECT_EQ(b->InputFiles()->Text(), "C:\\src\\*.txt\r\nC:\\src\\b.dat\r\n");
    EXPECT_EQ(b->ArchiveFileName(), "C:\\work\\setup.lzd");
    EXPECT_EQ(b->ArchiveMode(), amAdd);
    EXPECT_EQ(b->OutputDirectory(), "C:\\out");
    EXPECT_FALSE(b->OverwriteExisting());
    EXPECT_EQ(b->RootDirectory(), "C:\\src");
    EXPECT_TRUE(b->RecurseDirectories());
    EXPECT_TRUE(b->RestoreAttributes());
    EXPECT_TRUE(b->RestoreFileDate());
    EXPECT_TRUE(b->UseDirectoryNames());
    // Loaded read the header of the name the form gave.
    EXPECT_TRUE(b->ValidArchive());
    ASSERT_EQ(b->Files()->Count(), 2);
    EXPECT_EQ(b->Files()->Strings(0).substr(0, 6), "a.txt\t");
    // The buffer sizes are the archive component's, not anything a form gave.
    EXPECT_EQ(b->InputBufferSize(), 4096);
    EXPECT_EQ(b->OutputBufferSize(), 4096);

    // Each event is bound to the form's handler of that name.
    TCollectAction ca = caInclude;
    TCollectErrorAction ce = ceAbort;
    bool cancel = false;
    TFileExistAction fa = faOverwrite;
    b->OnCollecting(b, "x", ca);
    b->OnCollectError(b, "y", ce);
    b->OnDoneCollecting(b, 2, 14, cancel);
    b->OnFileExist(b, "z", fa);
    b->OnProgress(b, "p", 1, 2, 3, 4, cancel);
    EXPECT_EQ(form.log, "collecting x;error y;done 2/14;exists z;progress p 1/2 3/4;");
    EXPECT_EQ(ca, caSkip);
    EXPECT_EQ(ce, ceSkip);
    EXPECT_TRUE(cancel);
    EXPECT_EQ(fa, faCancel);

    // Written back: the same properties in the same order, ValidArchive left out.
    EXPECT_EQ(Written(), kStoredBatch);
}

TEST_F(LZHBatchPropsTest, FreshComponentWritesNothingButItsName)
{
    form.SetName("Form3");
    auto* b = new TLZHBatch(&form);
    b->SetName("LZHBatch1");
    EXPECT_EQ(Written(), "object Form3: TBatchForm\n  object LZHBatch1: TLZHBatch\n  end\nend\n");

    // A valid archive still leaves ValidArchive out; a changed default appears.
    ASSERT_TRUE(CreateDir("C:\\work"));
    testsupport::WriteHostFile(Host("C:\\work\\a.lzd"), archivetest::BuildArchive({{"a.txt", "alpha"}}));
    b->SetArchiveFileName("C:\\work\\a.lzd");
    ASSERT_TRUE(b->ValidArchive());
    b->SetOverwriteExisting(false);
    EXPECT_EQ(Written(),
              "object Form3: TBatchForm\n  object LZHBatch1: TLZHBatch\n"
              "    ArchiveFileName = 'C:\\work\\a.lzd'\n    OverwriteExisting = False\n  end\nend\n");
}

TEST_F(LZHBatchPropsTest, ReadOnlyOrUnknownIdentifierIsRefusedByName)
{
    const struct {
        const char* name;
        const char* line;
        const char* expected;
    } cases[] = {
        {"read-only property", "ValidArchive = True", "ValidArchive is read-only"},
        {"unknown mode", "ArchiveMode = amAppend", "ArchiveMode"},
        {"identifier of another type", "DirectoryInfo = amNew", "DirectoryInfo"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TBatchForm f(nullptr);
        TStringStream s(FormTextToBinary(std::string("object Form3: TBatchForm\n  object LZHBatch1: TLZHBatch\n    ") +
                                         c.line + "\n  end\nend\n"));
        TReader r(s);
        try {
            r.ReadRootComponent(&f);
            ADD_FAILURE() << "loaded";
        } catch (const EReadError& e) {
            EXPECT_NE(e.Message().find(c.expected), std::string::npos) << e.Message();
        }
    }
}

}  // namespace
