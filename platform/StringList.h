// TStringList: the class library's list of strings with an attached object pointer per entry.
//
// Sorted lists keep their entries in order and find them by binary search; Duplicates says what
// adding an equal string to a sorted list does. Comparison is case-insensitive in the user's
// locale (AnsiCompareText) unless CaseSensitive is set, which compares the exact bytes (the order
// used for file names on a case-sensitive disk). ExactTies keeps the case-insensitive order but
// orders strings that differ only in letter case by their bytes, so that both are kept as
// distinct entries ("Readme" and "README" side by side). The list never owns its objects.
//
// OnChanging and OnChange fire around every change, once around a BeginUpdate/EndUpdate bracket;
// a copy of a list does not take them over.
//
// CommaText follows the class library's rules: on read, blanks (and control characters) and
// commas separate items, a double quote starts a quoted item in which a doubled quote stands for
// one; two commas in a row give an empty item, a trailing comma gives none. On write, an item that
// holds a blank, a control character, a comma or a double quote is quoted.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

enum TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList {
public:
    struct Entry {
        std::string Str;
        void* Obj = nullptr;
    };

    TStringList() = default;
    explicit TStringList(std::string_view CommaText) { SetCommaText(CommaText); }
    TStringList(const TStringList& Other);
    TStringList& operator=(const TStringList& Other);

    int Count() const { return static_cast<int>(FItems.size()); }
    bool IsEmpty() const { return FItems.empty(); }
    const std::string& Strings(int I) const;
    const std::string& operator[](int I) const { return Strings(I); }
    void SetString(int I, std::string S);
    void* Objects(int I) const;
    void SetObject(int I, void* Obj);
    intptr_t IntObject(int I) const { return reinterpret_cast<intptr_t>(Objects(I)); }

    // Appends (unsorted) or inserts in order (sorted); returns the position, or for dupIgnore the
    // position of the existing equal entry.
    int Add(std::string S) { return AddObject(std::move(S), nullptr); }
    int AddObject(std::string S, void* Obj);
    void Insert(int I, std::string S, void* Obj = nullptr);
    void Delete(int I);
    void Clear();
    void Exchange(int I, int J);
    void AddStrings(const TStringList& Other);
    void Assign(const TStringList& Other);

    // Position of S (binary search when sorted), -1 when absent.
    int IndexOf(std::string_view S) const;
    int IndexOfObject(const void* Obj) const;
    // Binary search on a sorted list: true when found; Index is the position of the match or
    // where S would be inserted.
    bool Find(std::string_view S, int& Index) const;

    bool Sorted() const { return FSorted; }
    void SetSorted(bool Value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates D) { FDuplicates = D; }
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool Value);
    bool ExactTies() const { return FExactTies; }
    void SetExactTies(bool Value);
    // Room reserved for entries; below Count raises EListError.
    int Capacity() const { return static_cast<int>(FItems.capacity()); }
    void SetCapacity(int Value);
    void Sort();
    // The order of this list: -1, 0 or 1.
    int CompareStrings(std::string_view A, std::string_view B) const;
    void CustomSort(const std::function<int(const TStringList&, int, int)>& Compare);

    std::string CommaText() const;
    void SetCommaText(std::string_view Text);
    // Lines joined by LF (each line followed by one); SetText splits at LF, CR LF or CR.
    std::string Text() const;
    void SetText(std::string_view Text);
    // Loads a text file as lines; raises EFOpenError when it cannot be read. MaxBytes caps how
    // much is read (files beyond it raise EReadError).
    void LoadFromFile(const std::string& FileName, size_t MaxBytes = 64u << 20);
    void SaveToFile(const std::string& FileName) const;

    void BeginUpdate();
    void EndUpdate();
    std::function<void()> OnChange;
    std::function<void()> OnChanging;

    std::vector<Entry>::const_iterator begin() const { return FItems.begin(); }
    std::vector<Entry>::const_iterator end() const { return FItems.end(); }

private:
    void Changing();
    void Changed();

    std::vector<Entry> FItems;
    bool FSorted = false;
    bool FCaseSensitive = false;
    bool FExactTies = false;
    TDuplicates FDuplicates = dupIgnore;
    int FUpdateCount = 0;
};
