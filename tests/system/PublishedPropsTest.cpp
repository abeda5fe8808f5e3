// The system components in form descriptions: what a text form sets, and what a written
// form holds (defaults and the machine's own paths left out).
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"
#include "platform/classes/TextForm.h"
#include "system/KvSystem.h"
#include "system/ShortcutLink.h"
#include "system/regedit.h"
#include "tests/support/TempMachine.h"

namespace {

class PublishedPropsTest : public MachineTest {
protected:
    // Compiles the text as formc does and reads it into Form.
    static void Load(TComponent& Form, const std::string& Text)
    {
        TStringStream s(FormTextToBinary(Text));
        TReader r(s);
        r.ReadRootComponent(&Form);
    }
    static std::string Written(TComponent& Form)
    {
        TMemoryStream m;
        TWriter w(m);
        w.WriteRootComponent(&Form);
        return FormBinaryToText(std::string(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size())));
    }
    template <class T>
    static T* Child(TComponent& Form, const char* Name)
    {
        return dynamic_cast<T*>(Form.FindComponent(Name));
    }
};

TEST_F(PublishedPropsTest, ShortcutLinkLoadsAndWritesEveryProperty)
{
    const std::string text =
        "object Form3: TComponent\n"
        "  object ShortcutLink1: TShortcutLink\n"
        "    ShortcutFile = 'C:\\Menu\\Tessaly.lnk'\n"
        "    Target = 'C:\\Tessaly\\tessaly.exe'\n"
        "    WorkingDir = 'C:\\Tessaly'\n"
        "    Description = 'Start it'\n"
        "    Arguments = '/safe'\n"
        "    IconLocation = 'C:\\Tessaly\\icons.dll'\n"
        "    IconNumber = 65535\n"
        "    HotKey = 'Q'\n"
        "    ShowCmd = scShowMinimized\n"
        "  end\n"
        "end\n";
    TComponent form(nullptr);
    Load(form, text);
    auto* s = Child<TShortcutLink>(form, "ShortcutLink1");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ShortcutFile(), "C:\\Menu\\Tessaly.lnk");
    EXPECT_EQ(s->Target(), "C:\\Tessaly\\tessaly.exe");
    EXPECT_EQ(s->WorkingDir(), "C:\\Tessaly");
    EXPECT_EQ(s->Description(), "Start it");
    EXPECT_EQ(s->Arguments(), "/safe");
    EXPECT_EQ(s->IconLocation(), "C:\\Tessaly\\icons.dll");
    EXPECT_EQ(s->IconNumber(), 65535);
    EXPECT_EQ(s->HotKeyCode(), 81);
    EXPECT_EQ(s->ShowCmdValue(), 7);
    EXPECT_EQ(Written(form), text);
}

TEST_F(PublishedPropsTest, ShortcutLinkKeepsShowCmdUnassignedAtItsDefault)
{
    TComponent form(nullptr);
    form.SetName("Form3");
    auto* fresh = new TShortcutLink(&form);
    fresh->SetName("ShortcutLink1");
    // Strings, IconNumber and HotKey have no default and are always written; ShowCmd is
    // at its default and is not.
    const std::string text =
        "object Form3: TComponent\n"
        "  object ShortcutLink1: TShortcutLink\n"
        "    ShortcutFile = ''\n"
        "    Target = ''\n"
        "    WorkingDir = ''\n"
        "    Description = ''\n"
        "    Arguments = ''\n"
        "    IconLocation = ''\n"
        "    IconNumber = 0\n"
        "    HotKey = ' '\n"
        "  end\n"
        "end\n";
    EXPECT_EQ(Written(form), text);

    // Loaded back, the show command was never assigned: 0 goes into the shortcut.
    TComponent back(nullptr);
    Load(back, text);
    auto* s = Child<TShortcutLink>(back, "ShortcutLink1");
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->ShowCmdValue(), 0);
    EXPECT_EQ(s->ShowCmd(), scShowNormal);
    EXPECT_EQ(s->HotKeyCode(), 32);

    // Naming the default explicitly assigns it.
    TComponent named(nullptr);
    Load(named, "object Form3: TComponent\n  object ShortcutLink1: TShortcutLink\n    ShowCmd = scShowNormal\n"
                "  end\nend\n");
    EXPECT_EQ(Child<TShortcutLink>(named, "ShortcutLink1")->ShowCmdValue(), 9);
}

TEST_F(PublishedPropsTest, RegistryEditRootKeyIsAlwaysStoredAndSetsTheHandle)
{
    const struct {
        const char* ident;
        TRootKey key;
        HKEY handle;
    } cases[] = {{"rkAllUsers", rkAllUsers, 0x80000003u},         {"rkCurrentUser", rkCurrentUser, 0x80000001u},
                 {"rkLocalMachine", rkLocalMachine, 0x80000002u}, {"rkClassesRoot", rkClassesRoot, 0x80000000u},
                 {"rkCurrentConfig", rkCurrentConfig, 0x80000005u}, {"rkDynData", rkDynData, 0x80000006u}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ident);
        const std::string text = std::string("object Form3: TComponent\n  object RegistryEdit1: TRegistryEdit\n") +
                                 "    RootKey = " + c.ident + "\n" +
                                 "    RegKey = '.Default\\Software\\Corvane Works\\Tessaly v1.1'\n  end\nend\n";
        TComponent form(nullptr);
        Load(form, text);
        auto* e = Child<TRegistryEdit>(form, "RegistryEdit1");
        ASSERT_NE(e, nullptr);
        EXPECT_EQ(e->RootKey(), c.key);
        // Also for rkAllUsers, the value of a fresh component: the form assigns it.
        EXPECT_EQ(e->RootHandle(), c.handle);
        EXPECT_EQ(e->RegKey(), ".Default\\Software\\Corvane Works\\Tessaly v1.1");
        EXPECT_EQ(Written(form), text);
    }

    TComponent form(nullptr);
    form.SetName("Form3");
    (new TRegistryEdit(&form))->SetName("RegistryEdit1");
    EXPECT_EQ(Written(form),
              "object Form3: TComponent\n  object RegistryEdit1: TRegistryEdit\n    RootKey = rkAllUsers\n"
              "    RegKey = ''\n  end\nend\n");
}

TEST_F(PublishedPropsTest, KvSystemPathPublishesThirtyTwoPathsAndStoresNone)
{
    TKvSystemPath probe(nullptr);
    std::vector<std::string> names;
    for (const TPropInfo* p : PropTableOf(probe).Props()) {
        if (p->Name == "Tag" || p->Name == "Left" || p->Name == "Top") continue;
        names.push_back(p->Name);
        EXPECT_EQ(p->Kind, pkString) << p->Name;
    }
    EXPECT_EQ(names, (std::vector<std::string>{
                         "AppData",      "Cache",       "Cookies",       "DeskTop",      "Favorites",
                         "Fonts",        "History",     "NetHood",       "Personal",     "PrintHood",
                         "Programs",     "Recent",      "SendTo",        "StartMenu",    "StartUp",
                         "Templates",    "Windows",     "System",        "Temp",         "CommonFiles",
                         "Config",       "Device",      "Media",         "OtherDevice",  "ProgramFiles",
                         "SystemRoot",   "WallPaper",   "ComponentVersion", "MyPictures", "LocalSettings",
                         "LocalAppData", "Content"}));

    // A form may name them; the values stay the machine's.
    TComponent form(nullptr);
    Load(form,
         "object Form1: TComponent\n  object KvSystemPath1: TKvSystemPath\n    Temp = 'X:\\'\n"
         "    ProgramFiles = 'Y:\\Apps'\n    ComponentVersion = '9'\n    Tag = 5\n  end\nend\n");
    auto* k = Child<TKvSystemPath>(form, "KvSystemPath1");
    ASSERT_NE(k, nullptr);
    EXPECT_EQ(k->Temp(), probe.Temp());
    EXPECT_EQ(k->ProgramFiles(), probe.ProgramFiles());
    EXPECT_FALSE(k->ProgramFiles().empty());
    EXPECT_EQ(k->ComponentVersion(), "3.00.00.00");
    // Written: only what the component's own base stores.
    EXPECT_EQ(Written(form), "object Form1: TComponent\n  object KvSystemPath1: TKvSystemPath\n    Tag = 5\n  end\nend\n");
}

}  // namespace
