#include <gtest/gtest.h>

#include <vector>

#include "platform/classes/Component.h"
#include "platform/classes/Stream.h"

namespace {

std::vector<std::string> g_destroyed;

class TProbe : public TComponent {
public:
    explicit TProbe(TComponent* owner, const std::string& name) : TComponent(owner) { SetName(name); }
    ~TProbe() override { g_destroyed.push_back(Name()); }
    TComponent* ref = nullptr;
    void Notification(TComponent* c, bool removing) override
    {
        if (removing && c == ref) ref = nullptr;
    }
};

}  // namespace

TEST(Component, OwnerDestroysItsComponentsLastFirst)
{
    g_destroyed.clear();
    {
        TComponent owner(nullptr);
        auto* a = new TProbe(&owner, "A");
        new TProbe(a, "A1");
        new TProbe(&owner, "B");
        EXPECT_EQ(owner.ComponentCount(), 2);
        EXPECT_EQ(owner.FindComponent("b")->Name(), "B");
        EXPECT_EQ(owner.FindComponent("A1"), nullptr);  // only direct components
        EXPECT_EQ(a->ComponentIndex(), 0);
    }
    // A's own destructor body runs before the base destroys what A owns.
    EXPECT_EQ(g_destroyed, (std::vector<std::string>{"B", "A", "A1"}));
}

TEST(Component, NamesAreCheckedIdentifiersUniquePerOwner)
{
    TComponent owner(nullptr);
    auto* a = new TProbe(&owner, "Button1");
    EXPECT_THROW(new TProbe(&owner, "BUTTON1"), EComponentError);
    EXPECT_EQ(owner.ComponentCount(), 1);  // the refused one is gone again
    EXPECT_THROW(a->SetName("1abc"), EComponentError);
    a->SetName("Button2");
    EXPECT_EQ(owner.FindComponent("button2"), a);
    EXPECT_TRUE(IsValidIdent("_x9"));
    EXPECT_FALSE(IsValidIdent("a-b"));
}

TEST(Component, FreeNotificationClearsReferences)
{
    TComponent owner(nullptr);
    auto* a = new TProbe(&owner, "A");
    auto* b = new TProbe(nullptr, "B");
    a->ref = b;
    b->FreeNotification(a);
    delete b;
    EXPECT_EQ(a->ref, nullptr);
}

TEST(Component, DeletingAChildRemovesItFromItsOwner)
{
    TComponent owner(nullptr);
    auto* a = new TProbe(&owner, "A");
    delete a;
    EXPECT_EQ(owner.ComponentCount(), 0);
    EXPECT_EQ(owner.FindComponent("A"), nullptr);
}

TEST(Streams, MemoryStreamReadWriteSeek)
{
    TMemoryStream m;
    m.WriteBuffer("hello", 5);
    m.SetPosition(10);
    m.WriteBuffer("!", 1);  // writing past the end fills with zeros
    EXPECT_EQ(m.Size(), 11);
    EXPECT_EQ(m.Memory()[7], 0);
    m.SetPosition(1);
    char buf[4] = {};
    EXPECT_EQ(m.Read(buf, 4), 4);
    EXPECT_EQ(std::string(buf, 4), "ello");
    m.Seek(-1, soEnd);
    EXPECT_EQ(m.Read(buf, 4), 1);
    EXPECT_THROW(m.ReadBuffer(buf, 1), EReadError);

    TReadOnlyMemoryStream r("abc", 3);
    EXPECT_THROW(r.WriteBuffer("x", 1), EWriteError);
    TMemoryStream copy;
    copy.CopyFrom(r, 0);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(copy.Memory()), 3), "abc");
}
