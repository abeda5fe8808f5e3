#include "platform/classes/Strings.h"

#include <algorithm>

#include "platform/classes/Stream.h"
#include "platform/rtl/StrUtils.h"

// --- TStrings: composed operations, all through the protected mutators.

int TStrings::Add(const std::string& S)
{
    return AddObject(S, nullptr);
}

int TStrings::AddObject(const std::string& S, TObject* O)
{
    int index = Count();
    InsertItem(index, S, O);
    return index;
}

void TStrings::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex) return;
    std::string s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    DeleteItem(CurIndex);
    InsertItem(NewIndex, s, o);
}

void TStrings::AddStrings(const TStrings& Strings)
{
    BeginUpdate();
    try {
        for (int i = 0; i < Strings.Count(); ++i) AddObject(Strings.Get(i), Strings.GetObject(i));
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

void TStrings::Assign(const TPersistent* Source)
{
    if (auto* src = dynamic_cast<const TStrings*>(Source)) {
        if (src == this) return;
        BeginUpdate();
        try {
            ClearItems();
            AddStrings(*src);
        } catch (...) {
            EndUpdate();
            throw;
        }
        EndUpdate();
        return;
    }
    TPersistent::Assign(Source);
}

int TStrings::IndexOf(const std::string& S) const
{
    for (int i = 0; i < Count(); ++i)
        if (SameText(Get(i), S)) return i;
    return -1;
}

int TStrings::IndexOfObject(const TObject* O) const
{
    for (int i = 0; i < Count(); ++i)
        if (GetObject(i) == O) return i;
    return -1;
}

std::string TStrings::Text() const
{
    std::string r;
    for (int i = 0; i < Count(); ++i) {
        r += Get(i);
        r += "\r\n";
    }
    return r;
}

void TStrings::SetText(const std::string& Value)
{
    BeginUpdate();
    try {
        ClearItems();
        size_t i = 0, n = Value.size();
        while (i < n) {
            size_t start = i;
            while (i < n && Value[i] != '\r' && Value[i] != '\n') ++i;
            Add(Value.substr(start, i - start));
            if (i < n && Value[i] == '\r') ++i;
            if (i < n && Value[i] == '\n') ++i;
        }
    } catch (...) {
        EndUpdate();
        throw;
    }
    EndUpdate();
}

std::string TStrings::CommaText() const
{
    std::string r;
    for (int i = 0; i < Count(); ++i) {
        if (i) r += ',';
        std::string s = Get(i);
        bool quote = s.empty() || s.find_first_of(" \",") != std::string::npos;
        if (quote) {
            r += '"';
            r += StringReplaceAll(s, "\"", "\"\"");
            r += '"';
        } else {
            r += s;
        }
    }
    return r;
}

void TStrings::LoadFromStream(TStream& Stream)
{
    int64_t n = Stream.Size() - Stream.Position();
    std::string text(static_cast<size_t>(std::max<int64_t>(n, 0)), '\0');
    if (n > 0) Stream.ReadBuffer(text.data(), n);
    SetText(text);
}

void TStrings::SaveToStream(TStream& Stream) const
{
    std::string t = Text();
    Stream.WriteBuffer(t.data(), static_cast<int64_t>(t.size()));
}

// --- TStringList

void TStringList::IndexError(int Index) const
{
    throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

std::string TStringList::Get(int Index) const
{
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return items_[static_cast<size_t>(Index)].S;
}

TObject* TStringList::GetObject(int Index) const
{
    if (Index < 0 || Index >= Count()) IndexError(Index);
    return items_[static_cast<size_t>(Index)].O;
}

int TStringList::CompareStrings(const std::string& a, const std::string& b) const
{
    if (caseSensitive_) return a.compare(b);
    return CompareText(a, b);
}

bool TStringList::Find(const std::string& S, int& Index) const
{
    int lo = 0, hi = Count() - 1;
    bool found = false;
    while (lo <= hi) {
        int mid = (lo + hi) / 2;
        int c = CompareStrings(items_[static_cast<size_t>(mid)].S, S);
        if (c < 0) {
            lo = mid + 1;
        } else {
            hi = mid - 1;
            if (c == 0) {
                found = true;
                if (duplicates_ != dupAccept) lo = mid;
            }
        }
    }
    Index = lo;
    return found;
}

int TStringList::IndexOf(const std::string& S) const
{
    if (!sorted_) {
        for (int i = 0; i < Count(); ++i)
            if (CompareStrings(items_[static_cast<size_t>(i)].S, S) == 0) return i;
        return -1;
    }
    int index;
    return Find(S, index) ? index : -1;
}

int TStringList::AddObject(const std::string& S, TObject* O)
{
    if (!sorted_) return TStrings::AddObject(S, O);
    int index;
    if (Find(S, index)) {
        if (duplicates_ == dupIgnore) return index;
        if (duplicates_ == dupError) throw EStringListError("String list does not allow duplicates");
    }
    Changing();
    items_.insert(items_.begin() + index, Item{S, O});
    Changed();
    return index;
}

void TStringList::PutString(int Index, const std::string& S)
{
    if (sorted_) throw EStringListError("Operation not allowed on sorted list");
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Changing();
    items_[static_cast<size_t>(Index)].S = S;
    Changed();
}

void TStringList::PutObject(int Index, TObject* O)
{
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Changing();
    items_[static_cast<size_t>(Index)].O = O;
    Changed();
}

void TStringList::InsertItem(int Index, const std::string& S, TObject* O)
{
    // Appending to a sorted list goes through AddObject; inserting at a place does not fit.
    if (sorted_) {
        if (Index == Count()) {
            AddObject(S, O);
            return;
        }
        throw EStringListError("Operation not allowed on sorted list");
    }
    if (Index < 0 || Index > Count()) IndexError(Index);
    Changing();
    items_.insert(items_.begin() + Index, Item{S, O});
    Changed();
}

void TStringList::DeleteItem(int Index)
{
    if (Index < 0 || Index >= Count()) IndexError(Index);
    Changing();
    items_.erase(items_.begin() + Index);
    Changed();
}

void TStringList::ClearItems()
{
    if (items_.empty()) return;
    Changing();
    items_.clear();
    Changed();
}

void TStringList::ExchangeItems(int Index1, int Index2)
{
    if (Index1 < 0 || Index1 >= Count()) IndexError(Index1);
    if (Index2 < 0 || Index2 >= Count()) IndexError(Index2);
    Changing();
    std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
    Changed();
}

void TStringList::Sort()
{
    CustomSort(nullptr);
}

void TStringList::CustomSort(int (*Compare)(const TStringList&, int, int))
{
    if (Count() < 2) return;
    Changing();
    if (Compare) {
        // Sort a permutation with the caller's comparison of indexes, then apply it.
        std::vector<int> order(items_.size());
        for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(*this, a, b) < 0; });
        std::vector<Item> sorted;
        sorted.reserve(items_.size());
        for (int i : order) sorted.push_back(items_[static_cast<size_t>(i)]);
        items_.swap(sorted);
    } else {
        std::stable_sort(items_.begin(), items_.end(),
                         [&](const Item& a, const Item& b) { return CompareStrings(a.S, b.S) < 0; });
    }
    Changed();
}

void TStringList::SetSorted(bool Value)
{
    if (Value == sorted_) return;
    if (Value) Sort();
    sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value)
{
    if (Value == caseSensitive_) return;
    caseSensitive_ = Value;
    if (sorted_) Sort();
}

void TStringList::Changing()
{
    if (updateCount_ == 0 && OnChanging) OnChanging(this);
}

void TStringList::Changed()
{
    if (updateCount_ == 0 && OnChange) OnChange(this);
}
