// TStrings and TStringList. Every change goes through the small set of protected
// virtual mutators (PutString, PutObject, InsertItem, DeleteItem, ClearItems,
// ExchangeItems), so a subclass can refuse all of them in one place.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/classes/Persistent.h"

class TStream;

// "List index out of bounds (%d)", "String list does not allow duplicates", ...
class EStringListError : public Exception {
public:
    using Exception::Exception;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStrings : public TPersistent {
public:
    std::string ClassName() const override { return "TStrings"; }

    virtual int Count() const = 0;
    virtual std::string Get(int Index) const = 0;
    virtual TObject* GetObject(int Index) const = 0;
    std::string Strings(int Index) const { return Get(Index); }
    std::string operator[](int Index) const { return Get(Index); }
    TObject* Objects(int Index) const { return GetObject(Index); }
    void SetStrings(int Index, const std::string& S) { PutString(Index, S); }
    void SetObjects(int Index, TObject* O) { PutObject(Index, O); }

    virtual int Add(const std::string& S);
    virtual int AddObject(const std::string& S, TObject* O);
    void Insert(int Index, const std::string& S) { InsertItem(Index, S, nullptr); }
    void InsertObject(int Index, const std::string& S, TObject* O) { InsertItem(Index, S, O); }
    void Delete(int Index) { DeleteItem(Index); }
    void Clear() { ClearItems(); }
    void Exchange(int Index1, int Index2) { ExchangeItems(Index1, Index2); }
    // Moves the item (string and object) from CurIndex to NewIndex.
    virtual void Move(int CurIndex, int NewIndex);
    void AddStrings(const TStrings& Strings);
    void Assign(const TPersistent* Source) override;
    virtual int IndexOf(const std::string& S) const;
    int IndexOfObject(const TObject* O) const;

    // Lines joined by CRLF, each line ended by one.
    std::string Text() const;
    // Splits at CR, LF or CRLF; a last line without an ending still counts.
    void SetText(const std::string& Value);
    std::string CommaText() const;

    void BeginUpdate() { ++updateCount_; }
    void EndUpdate() { --updateCount_; }

    void LoadFromStream(TStream& Stream);
    void SaveToStream(TStream& Stream) const;

protected:
    virtual void PutString(int Index, const std::string& S) = 0;
    virtual void PutObject(int Index, TObject* O) = 0;
    virtual void InsertItem(int Index, const std::string& S, TObject* O) = 0;
    virtual void DeleteItem(int Index) = 0;
    virtual void ClearItems() = 0;
    virtual void ExchangeItems(int Index1, int Index2) = 0;
    int updateCount_ = 0;
};

class TStringList : public TStrings {
public:
    std::string ClassName() const override { return "TStringList"; }

    int Count() const override { return static_cast<int>(items_.size()); }
    std::string Get(int Index) const override;
    TObject* GetObject(int Index) const override;

    // In a sorted list Add inserts at the sorted place and applies Duplicates.
    int AddObject(const std::string& S, TObject* O) override;
    int IndexOf(const std::string& S) const override;
    // Binary search of a sorted list (case-insensitive, as the platform sorts).
    bool Find(const std::string& S, int& Index) const;
    void Sort();
    void CustomSort(int (*Compare)(const TStringList&, int, int));

    bool Sorted() const { return sorted_; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return duplicates_; }
    void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
    bool CaseSensitive() const { return caseSensitive_; }
    void SetCaseSensitive(bool Value);

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

protected:
    void PutString(int Index, const std::string& S) override;
    void PutObject(int Index, TObject* O) override;
    void InsertItem(int Index, const std::string& S, TObject* O) override;
    void DeleteItem(int Index) override;
    void ClearItems() override;
    void ExchangeItems(int Index1, int Index2) override;
    virtual void Changing();
    virtual void Changed();
    int CompareStrings(const std::string& a, const std::string& b) const;
    [[noreturn]] void IndexError(int Index) const;

private:
    struct Item {
        std::string S;
        TObject* O = nullptr;
    };
    std::vector<Item> items_;
    bool sorted_ = false;
    bool caseSensitive_ = false;
    TDuplicates duplicates_ = dupIgnore;
};
