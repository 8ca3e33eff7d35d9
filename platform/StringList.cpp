#include "StringList.h"

#include "Exceptions.h"
#include "Streams.h"
#include "SysUtils.h"

#include <algorithm>

namespace {
// One BeginUpdate/EndUpdate bracket that also closes when a change raises.
class TUpdateScope {
public:
    explicit TUpdateScope(TStringList& L) : FList(L) { FList.BeginUpdate(); }
    ~TUpdateScope() { FList.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TStringList& FList;
};
} // namespace

TStringList::TStringList(const TStringList& Other)
    : FItems(Other.FItems), FSorted(Other.FSorted), FCaseSensitive(Other.FCaseSensitive),
      FExactTies(Other.FExactTies), FDuplicates(Other.FDuplicates) {}

TStringList& TStringList::operator=(const TStringList& Other) {
    if (&Other == this) return *this;
    Changing();
    FItems = Other.FItems;
    FSorted = Other.FSorted;
    FCaseSensitive = Other.FCaseSensitive;
    FExactTies = Other.FExactTies;
    FDuplicates = Other.FDuplicates;
    Changed();
    return *this;
}

void TStringList::Changing() {
    if (FUpdateCount == 0 && OnChanging) OnChanging();
}

void TStringList::Changed() {
    if (FUpdateCount == 0 && OnChange) OnChange();
}

void TStringList::BeginUpdate() {
    if (FUpdateCount == 0) Changing();
    ++FUpdateCount;
}

void TStringList::EndUpdate() {
    if (FUpdateCount == 0) return;
    if (--FUpdateCount == 0) Changed();
}

const std::string& TStringList::Strings(int I) const {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    return FItems[I].Str;
}

void TStringList::SetString(int I, std::string S) {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    if (FSorted) throw EListError(SysConsts::SSortedListError);
    Changing();
    FItems[I].Str = std::move(S);
    Changed();
}

void* TStringList::Objects(int I) const {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    return FItems[I].Obj;
}

void TStringList::SetObject(int I, void* Obj) {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    Changing();
    FItems[I].Obj = Obj;
    Changed();
}

int TStringList::CompareStrings(std::string_view A, std::string_view B) const {
    if (FCaseSensitive) return CompareStr(A, B);
    int C = AnsiCompareText(A, B);
    return C == 0 && FExactTies ? CompareStr(A, B) : C;
}

bool TStringList::Find(std::string_view S, int& Index) const {
    int Lo = 0, Hi = Count() - 1;
    bool Found = false;
    while (Lo <= Hi) {
        int Mid = (Lo + Hi) / 2;
        int C = CompareStrings(FItems[Mid].Str, S);
        if (C < 0) {
            Lo = Mid + 1;
        } else {
            Hi = Mid - 1;
            if (C == 0) {
                Found = true;
                if (FDuplicates != dupAccept) Lo = Mid;
            }
        }
    }
    Index = Lo;
    return Found;
}

int TStringList::IndexOf(std::string_view S) const {
    if (FSorted) {
        int I;
        return Find(S, I) ? I : -1;
    }
    for (int I = 0; I < Count(); ++I)
        if (CompareStrings(FItems[I].Str, S) == 0) return I;
    return -1;
}

int TStringList::IndexOfObject(const void* Obj) const {
    for (int I = 0; I < Count(); ++I)
        if (FItems[I].Obj == Obj) return I;
    return -1;
}

int TStringList::AddObject(std::string S, void* Obj) {
    int I;
    if (!FSorted) {
        I = Count();
    } else if (!FItems.empty() && CompareStrings(FItems.back().Str, S) < 0) {
        I = Count(); // past the last entry: lists loaded in order take one comparison each
    } else if (Find(S, I)) {
        switch (FDuplicates) {
        case dupIgnore: return I;
        case dupError: throw EListError(SysConsts::SDuplicateString);
        case dupAccept: break;
        }
    }
    Changing();
    FItems.insert(FItems.begin() + I, Entry{std::move(S), Obj});
    Changed();
    return I;
}

void TStringList::Insert(int I, std::string S, void* Obj) {
    if (FSorted) throw EListError(SysConsts::SSortedListError);
    if (I < 0 || I > Count()) RaiseListIndexError(I);
    Changing();
    FItems.insert(FItems.begin() + I, Entry{std::move(S), Obj});
    Changed();
}

void TStringList::Delete(int I) {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    Changing();
    FItems.erase(FItems.begin() + I);
    Changed();
}

void TStringList::Clear() {
    if (FItems.empty()) return;
    Changing();
    FItems.clear();
    Changed();
}

void TStringList::Exchange(int I, int J) {
    if (I < 0 || I >= Count()) RaiseListIndexError(I);
    if (J < 0 || J >= Count()) RaiseListIndexError(J);
    Changing();
    std::swap(FItems[I], FItems[J]);
    Changed();
}

void TStringList::AddStrings(const TStringList& Other) {
    TUpdateScope Scope(*this);
    for (const Entry& E : Other.FItems)
        AddObject(E.Str, E.Obj);
}

void TStringList::Assign(const TStringList& Other) {
    if (&Other == this) return;
    TUpdateScope Scope(*this);
    FItems = Other.FItems;
    if (FSorted) Sort();
}

void TStringList::SetSorted(bool Value) {
    if (FSorted == Value) return;
    if (Value) Sort();
    FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
    if (FCaseSensitive == Value) return;
    FCaseSensitive = Value;
    if (FSorted) Sort();
}

void TStringList::SetExactTies(bool Value) {
    if (FExactTies == Value) return;
    FExactTies = Value;
    if (FSorted) Sort();
}

void TStringList::SetCapacity(int Value) {
    if (Value < Count()) RaiseListIndexError(Value);
    FItems.reserve(static_cast<size_t>(Value));
}

void TStringList::Sort() {
    Changing();
    std::stable_sort(FItems.begin(), FItems.end(), [this](const Entry& A, const Entry& B) {
        return CompareStrings(A.Str, B.Str) < 0;
    });
    Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& Compare) {
    // Sort a permutation, so that the comparison sees the list as it was.
    std::vector<int> Order(FItems.size());
    for (size_t I = 0; I < Order.size(); ++I)
        Order[I] = static_cast<int>(I);
    std::stable_sort(Order.begin(), Order.end(),
                     [&](int A, int B) { return Compare(*this, A, B) < 0; });
    std::vector<Entry> Sorted;
    Sorted.reserve(FItems.size());
    for (int I : Order)
        Sorted.push_back(std::move(FItems[I]));
    Changing();
    FItems = std::move(Sorted);
    Changed();
}

std::string TStringList::CommaText() const {
    if (Count() == 1 && FItems[0].Str.empty()) return "\"\"";
    std::string R;
    for (int I = 0; I < Count(); ++I) {
        const std::string& S = FItems[I].Str;
        bool Quote = std::any_of(S.begin(), S.end(), [](char C) {
            return static_cast<unsigned char>(C) <= ' ' || C == '"' || C == ',';
        });
        if (I) R += ',';
        R += Quote ? AnsiQuotedStr(S, '"') : S;
    }
    return R;
}

void TStringList::SetCommaText(std::string_view Text) {
    TUpdateScope Scope(*this);
    Clear();
    auto IsSpace = [](char C) { return C != 0 && static_cast<unsigned char>(C) <= ' '; };
    size_t P = 0, N = Text.size();
    // A NUL ends the text, as it did for the platform's zero-terminated strings.
    size_t Nul = Text.find('\0');
    if (Nul != std::string_view::npos) N = Nul;
    while (P < N && IsSpace(Text[P]))
        ++P;
    while (P < N) {
        std::string S;
        if (Text[P] == '"') {
            ++P;
            while (P < N) {
                if (Text[P] == '"') {
                    if (P + 1 < N && Text[P + 1] == '"') {
                        S += '"';
                        P += 2;
                        continue;
                    }
                    ++P;
                    break;
                }
                S += Text[P++];
            }
        } else {
            size_t Start = P;
            while (P<N&& static_cast<unsigned char>(Text[P])> ' ' && Text[P] != ',')
                ++P;
            S.assign(Text.substr(Start, P - Start));
        }
        AddObject(std::move(S), nullptr);
        while (P < N && IsSpace(Text[P]))
            ++P;
        if (P < N && Text[P] == ',') {
            do {
                ++P;
            } while (P < N && IsSpace(Text[P]));
        }
    }
}

std::string TStringList::Text() const {
    std::string R;
    for (const Entry& E : FItems) {
        R += E.Str;
        R += '\n';
    }
    return R;
}

void TStringList::SetText(std::string_view Text) {
    TUpdateScope Scope(*this);
    Clear();
    size_t P = 0, N = Text.size();
    while (P < N) {
        size_t Start = P;
        while (P < N && Text[P] != '\n' && Text[P] != '\r')
            ++P;
        AddObject(std::string(Text.substr(Start, P - Start)), nullptr);
        if (P < N && Text[P] == '\r') ++P;
        if (P < N && Text[P] == '\n') ++P;
    }
}

void TStringList::LoadFromFile(const std::string& FileName, size_t MaxBytes) {
    SetText(ReadFileBytes(FileName, MaxBytes));
}

void TStringList::SaveToFile(const std::string& FileName) const {
    WriteFileBytes(FileName, Text());
}
