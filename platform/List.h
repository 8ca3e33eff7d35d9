// TList: an ordered list of references (not owned), with bounds-checked access that raises
// EListError, as the class library's pointer list did.
#pragma once

#include "Exceptions.h"

#include <algorithm>
#include <vector>

template <typename T>
class TList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    bool IsEmpty() const { return FItems.empty(); }
    T* Items(int I) const {
        if (I < 0 || I >= Count()) RaiseListIndexError(I);
        return FItems[I];
    }
    T* operator[](int I) const { return FItems[I]; }
    T* First() const { return Items(0); }
    T* Last() const { return Items(Count() - 1); }
    int Add(T* Item) {
        FItems.push_back(Item);
        return Count() - 1;
    }
    void Insert(int I, T* Item) {
        if (I < 0 || I > Count()) RaiseListIndexError(I);
        FItems.insert(FItems.begin() + I, Item);
    }
    void Delete(int I) {
        if (I < 0 || I >= Count()) RaiseListIndexError(I);
        FItems.erase(FItems.begin() + I);
    }
    int IndexOf(const T* Item) const {
        auto It = std::find(FItems.begin(), FItems.end(), Item);
        return It == FItems.end() ? -1 : static_cast<int>(It - FItems.begin());
    }
    // Removes the first occurrence; returns its former position or -1.
    int Remove(const T* Item) {
        int I = IndexOf(Item);
        if (I >= 0) FItems.erase(FItems.begin() + I);
        return I;
    }
    void Exchange(int I, int J) {
        if (I < 0 || I >= Count()) RaiseListIndexError(I);
        if (J < 0 || J >= Count()) RaiseListIndexError(J);
        std::swap(FItems[I], FItems[J]);
    }
    void Clear() { FItems.clear(); }

    typename std::vector<T*>::const_iterator begin() const { return FItems.begin(); }
    typename std::vector<T*>::const_iterator end() const { return FItems.end(); }
    const std::vector<T*>& Vector() const { return FItems; }

private:
    std::vector<T*> FItems;
};
