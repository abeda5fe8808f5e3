// The test program embeds resources through pallimer_embed_resources (see this
// folder's CMakeLists.txt); these tests find them as the platform would.
#include <cstring>

#include <gtest/gtest.h>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Published.h"
#include "platform/classes/Resources.h"

namespace {

class TResForm : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TResForm"; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& v) { caption_ = v; }

private:
    std::string caption_;
};

PUBLISHED_PROPERTIES(TResForm, TComponent)
{
    PUBLISH_STRING(Caption, "");
}

TEST(Resources, RawDataAndBitmapsByNameInAnyCase)
{
    TResourceBlock hello = FindResource(RT_RCDATA, "hello");
    ASSERT_TRUE(hello);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(hello.Data), hello.Size), "embedded bytes\n");
    EXPECT_EQ(FindResource(RT_RCDATA, "HELLO").Data, hello.Data);
    // Types are separate name spaces.
    EXPECT_FALSE(FindResource(RT_BITMAP, "HELLO"));

    TResourceBlock empty = FindResource(RT_RCDATA, "Empty");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty.Size, 0u);

    TResourceBlock bmp = FindBitmapResource("TINY");
    ASSERT_TRUE(bmp);
    ASSERT_EQ(bmp.Size, 70u);
    EXPECT_EQ(std::memcmp(bmp.Data, "BM", 2), 0);
    EXPECT_FALSE(FindBitmapResource("EXCLAM"));
}

TEST(Resources, StringTableByNumber)
{
    EXPECT_EQ(LoadResString(1), "777171");
    EXPECT_EQ(LoadResString(2), "Line one\nline two");
    EXPECT_EQ(LoadResString(17), "Caf\xE9 costs 3\\4");
    std::string v = "unchanged";
    EXPECT_TRUE(FindResString(20, v));
    EXPECT_EQ(v, "");
    EXPECT_FALSE(FindResString(3, v));
    EXPECT_EQ(LoadResString(3), "");
}

TEST(Resources, StringTableSourceFormat)
{
    const char table[] = "; comment\r\n  300 padded\r\n301\tTabbed \\t\r\nbad line\n4294967296 too big\n302";
    RegisterStringTable(table, sizeof table - 1);
    EXPECT_EQ(LoadResString(300), "padded");
    EXPECT_EQ(LoadResString(301), "Tabbed \t");
    EXPECT_EQ(LoadResString(302), "");
    std::string v;
    EXPECT_TRUE(FindResString(302, v));
}

TEST(Resources, ResourceStreamsAndFormsCompiledByTheBuild)
{
    TResourceStream s("TRESFORM", RT_RCDATA);
    char sig[4];
    s.ReadBuffer(sig, 4);
    EXPECT_EQ(std::string(sig, 4), "TPF0");
    EXPECT_THROW(TResourceStream("NOSUCH", RT_RCDATA), EResNotFound);
    try {
        TResourceStream missing("TFORM9", RT_RCDATA);
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), "Resource TFORM9 not found");
    }

    TResForm form(nullptr);
    ASSERT_TRUE(ReadComponentResource(&form));
    EXPECT_EQ(form.Name(), "ResForm1");
    EXPECT_EQ(form.Caption(), "From a resource");
    TComponent other(nullptr);
    EXPECT_FALSE(ReadComponentResource(&other));
}

}  // namespace
