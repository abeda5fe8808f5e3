#include <gtest/gtest.h>

#include "platform/classes/Stream.h"
#include "platform/classes/Strings.h"

namespace {

std::string Join(const TStrings& s)
{
    std::string r;
    for (int i = 0; i < s.Count(); ++i) r += (i ? "," : "") + s[i];
    return r;
}

// A list that refuses every change once filled: all composed operations must pass
// through the mutators, so refusing there refuses everything.
class TLockedList : public TStringList {
public:
    bool locked = false;

protected:
    void PutString(int i, const std::string& s) override { Check(); TStringList::PutString(i, s); }
    void PutObject(int i, TObject* o) override { Check(); TStringList::PutObject(i, o); }
    void InsertItem(int i, const std::string& s, TObject* o) override { Check(); TStringList::InsertItem(i, s, o); }
    void DeleteItem(int i) override { Check(); TStringList::DeleteItem(i); }
    void ClearItems() override { Check(); TStringList::ClearItems(); }
    void ExchangeItems(int a, int b) override { Check(); TStringList::ExchangeItems(a, b); }

private:
    void Check() { if (locked) throw EStringListError("locked"); }
};

}  // namespace

TEST(StringList, SortedDuplicates)
{
    const struct {
        TDuplicates mode;
        const char* after;
        bool throws;
    } cases[] = {
        {dupIgnore, "a,B,c", false},
        {dupAccept, "a,b,B,c", false},  // a duplicate goes before its equals
        {dupError, "a,B,c", true},
    };
    for (auto& c : cases) {
        TStringList l;
        l.SetSorted(true);
        l.SetDuplicates(c.mode);
        l.Add("c");
        l.Add("a");
        l.Add("B");
        if (c.throws) EXPECT_THROW(l.Add("b"), EStringListError);
        else l.Add("b");
        EXPECT_EQ(Join(l), c.after);
        EXPECT_EQ(l.IndexOf("C"), l.Count() - 1);
        EXPECT_THROW(l.Insert(0, "z"), EStringListError);
    }
}

TEST(StringList, EditingKeepsObjectsWithTheirStrings)
{
    TStringList l;
    TObject o1, o2;
    l.AddObject("one", &o1);
    l.AddObject("two", &o2);
    l.Add("three");
    l.Insert(0, "zero");
    l.Move(1, 3);  // "one" to the end
    EXPECT_EQ(Join(l), "zero,two,three,one");
    EXPECT_EQ(l.Objects(3), &o1);
    l.Exchange(0, 1);
    EXPECT_EQ(l.Objects(0), &o2);
    l.Delete(1);
    EXPECT_EQ(Join(l), "two,three,one");
    EXPECT_EQ(l.IndexOfObject(&o1), 2);
    EXPECT_THROW(l.Get(3), EStringListError);
    EXPECT_THROW(l.Delete(-1), EStringListError);
    try {
        l.Get(5);
    } catch (const EStringListError& e) {
        EXPECT_EQ(e.Message(), "List index out of bounds (5)");
    }
}

TEST(StringList, TextAndStreams)
{
    TStringList l;
    l.SetText("a\r\nb\nc\rd");
    EXPECT_EQ(Join(l), "a,b,c,d");
    EXPECT_EQ(l.Text(), "a\r\nb\r\nc\r\nd\r\n");
    l.SetText("");
    EXPECT_EQ(l.Count(), 0);
    l.SetText("x\r\n\r\n");
    EXPECT_EQ(l.Count(), 2);

    TStringStream s("line 1\r\nline 2");
    TStringList m;
    m.LoadFromStream(s);
    EXPECT_EQ(Join(m), "line 1,line 2");
    TStringList copy;
    copy.Assign(&m);
    EXPECT_EQ(Join(copy), "line 1,line 2");
}

TEST(StringList, ASubclassRefusesEveryChangeInOnePlace)
{
    TLockedList l;
    l.Add("a");
    l.Add("b");
    l.locked = true;
    TStringList other;
    other.Add("x");
    EXPECT_THROW(l.Add("c"), EStringListError);
    EXPECT_THROW(l.Insert(0, "c"), EStringListError);
    EXPECT_THROW(l.Delete(0), EStringListError);
    EXPECT_THROW(l.Clear(), EStringListError);
    EXPECT_THROW(l.Exchange(0, 1), EStringListError);
    EXPECT_THROW(l.Move(0, 1), EStringListError);
    EXPECT_THROW(l.SetStrings(0, "z"), EStringListError);
    EXPECT_THROW(l.SetText("q"), EStringListError);
    EXPECT_THROW(l.Assign(&other), EStringListError);
    EXPECT_THROW(l.AddStrings(other), EStringListError);
    EXPECT_EQ(Join(l), "a,b");
}

TEST(StringList, ChangeEventsAndUpdates)
{
    TStringList l;
    int changes = 0;
    l.OnChange = [&](TObject* sender) {
        EXPECT_EQ(sender, &l);
        ++changes;
    };
    l.Add("a");
    l.Add("b");
    EXPECT_EQ(changes, 2);
    l.BeginUpdate();
    l.Add("c");
    l.EndUpdate();
    EXPECT_EQ(changes, 2);
}
