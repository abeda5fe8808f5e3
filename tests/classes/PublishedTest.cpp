// Published-property tables: inheritance, ordering, custom accessors, stored
// predicates and method tables of derived roots.
#include <gtest/gtest.h>

#include "platform/classes/ClassRegistry.h"
#include "platform/classes/Filer.h"
#include "platform/classes/Published.h"

using namespace std::string_literals;

namespace {

enum TAlign { alNone, alTop, alClient };
const TIdentTable AlignIdents = {{alNone, "alNone"}, {alTop, "alTop"}, {alClient, "alClient"}};
const TIdentTable AnchorIdents = {{0, "akLeft"}, {1, "akTop"}, {2, "akRight"}};

class TBase : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TBase"; }
    TAlign Align() const { return align_; }
    void SetAlign(TAlign v) { align_ = v; }
    uint8_t Anchors() const { return anchors_; }  // a bit mask: bit i = AnchorIdents value i
    void SetAnchors(uint8_t v) { anchors_ = v; }
    int32_t HelpContext() const { return help_; }
    void SetHelpContext(int32_t v) { help_ = v; }
    bool storeHelp = true;
    int setterCalls = 0;
    int32_t hidden = 0;

private:
    TAlign align_ = alNone;
    uint8_t anchors_ = 3;
    int32_t help_ = 0;
};

// Derives without a table of its own: it streams with its base's.
class TPlain : public TBase {
public:
    using TBase::TBase;
    std::string ClassName() const override { return "TPlain"; }
};

class TRootBase : public TComponent {
public:
    using TComponent::TComponent;
    std::string ClassName() const override { return "TRootBase"; }
    void BaseHandler(TObject*) { ++baseCalls; }
    int baseCalls = 0;
};
class TRootDerived : public TRootBase {
public:
    using TRootBase::TRootBase;
    std::string ClassName() const override { return "TRootDerived"; }
};

PUBLISHED_PROPERTIES(TBase, TComponent)
{
    PUBLISH_ENUM(Align, AlignIdents, alNone);
    PUBLISH_SET(Anchors, AnchorIdents, 3);
    PUBLISH_INT(HelpContext).Stored([](const TPersistent& o) { return static_cast<const TBase&>(o).storeHelp; });
    // Accessors that are not a getter/setter pair.
    P.Int("Hidden", [](const TBase& b) { return b.hidden; }, [](TBase& b, int32_t v) {
        b.hidden = v;
        ++b.setterCalls;
    });
}

PUBLISHED_METHODS(TRootBase, TComponent)
{
    PUBLISH_METHOD(BaseHandler);
}

REGISTER_CLASS(TPlain);

std::string S(const std::string& s)
{
    return std::string(1, static_cast<char>(s.size())) + s;
}

TEST(Published, TablesOrderAndInheritance)
{
    TPlain p(nullptr);
    const TPropTable& t = PropTableOf(p);
    std::vector<std::string> names;
    for (const TPropInfo* i : t.Props()) names.push_back(i->Name);
    // Base entries first, own entries next, the design position last.
    EXPECT_EQ(names, (std::vector<std::string>{"Tag", "Align", "Anchors", "HelpContext", "Hidden", "Left", "Top"}));
    EXPECT_EQ(t.ClassName(), "TBase");
    EXPECT_EQ(t.Find("align")->Kind, pkEnum);
    EXPECT_EQ(t.Find("Nope"), nullptr);
}

TEST(Published, WritesNonDefaultsAndHonoursStored)
{
    TRootDerived root(nullptr);
    root.SetName("R");
    auto* p = new TPlain(&root);
    p->SetName("P1");
    p->SetAlign(alClient);
    p->SetAnchors(5);  // akLeft, akRight
    p->SetHelpContext(7);
    p->storeHelp = false;
    p->hidden = -3;
    TMemoryStream m;
    TWriter w(m);
    w.WriteRootComponent(&root);
    std::string bytes(reinterpret_cast<const char*>(m.Memory()), static_cast<size_t>(m.Size()));
    std::string plain = S("TPlain") + S("P1") + S("Align") + "\x07" + S("alClient") + S("Anchors") + "\x0B" +
                        S("akLeft") + S("akRight") + "\x00"s + S("Hidden") + "\x02\xFD" + "\x00\x00"s;
    EXPECT_NE(bytes.find(plain), std::string::npos);

    TRootDerived back(nullptr);
    TStringStream s(bytes);
    TReader r(s);
    r.ReadRootComponent(&back);
    auto* q = dynamic_cast<TPlain*>(back.FindComponent("P1"));
    ASSERT_TRUE(q);
    EXPECT_EQ(q->Align(), alClient);
    EXPECT_EQ(q->Anchors(), 5);
    EXPECT_EQ(q->hidden, -3);
    EXPECT_EQ(q->setterCalls, 1);
    EXPECT_EQ(q->HelpContext(), 0);
}

TEST(Published, DerivedRootsFindTheirBasesMethods)
{
    TRootDerived root(nullptr);
    const TMethodEntry* m = FindMethod(root, "basehandler");
    ASSERT_TRUE(m);
    auto fn = std::any_cast<TNotifyEvent>(m->Bind(root));
    fn(&root);
    EXPECT_EQ(root.baseCalls, 1);
    EXPECT_EQ(FindMethod(root, "Missing"), nullptr);
}

}  // namespace
