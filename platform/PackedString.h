// PackedString: an immutable byte string in one pointer, shared by reference count.
//
// Catalog items keep their names and texts in this form: an empty string costs 8 bytes and no
// allocation, and a file item's name and its file record's name share one buffer. Copies are
// cheap and safe across threads (atomic count); the bytes never change after construction.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

class PackedString {
public:
    PackedString() noexcept = default;
    PackedString(std::string_view S) { Assign(S); }
    PackedString(const std::string& S) { Assign(S); }
    PackedString(const char* S) { Assign(S ? std::string_view(S) : std::string_view()); }
    PackedString(const PackedString& O) noexcept : FRep(O.FRep) {
        if (FRep) FRep->Refs.fetch_add(1, std::memory_order_relaxed);
    }
    PackedString(PackedString&& O) noexcept : FRep(O.FRep) { O.FRep = nullptr; }
    ~PackedString() { Release(); }
    PackedString& operator=(const PackedString& O) noexcept {
        Rep* R = O.FRep; // read first: O may be this very string
        if (R) R->Refs.fetch_add(1, std::memory_order_relaxed);
        Release();
        FRep = R;
        return *this;
    }
    PackedString& operator=(PackedString&& O) noexcept {
        if (this != &O) {
            Release();
            FRep = O.FRep;
            O.FRep = nullptr;
        }
        return *this;
    }
    // A string of Len bytes that Fill(char* Data) writes in place: a long text is not copied once
    // more on its way in.
    template <typename F>
    static PackedString Filled(size_t Len, F&& Fill) {
        PackedString S;
        if (Len) Fill(S.Allocate(Len));
        return S;
    }
    PackedString& operator=(std::string_view S) {
        Release();
        Assign(S);
        return *this;
    }

    // Empties this string, which its owner holds beside Owned (another string of the owner's):
    // when the two share a buffer that nothing else holds, the count is lowered without a locked
    // decrement (an item named after its file frees millions of such pairs when its catalog
    // closes).
    void ReleaseBeside(const PackedString& Owned) noexcept {
        if (FRep && FRep == Owned.FRep && FRep->Refs.load(std::memory_order_acquire) == 2) {
            FRep->Refs.store(1, std::memory_order_relaxed);
            FRep = nullptr;
            return;
        }
        Release();
    }

    std::string_view View() const noexcept {
        return FRep ? std::string_view(Data(), FRep->Len) : std::string_view();
    }
    operator std::string_view() const noexcept { return View(); }
    std::string Str() const { return std::string(View()); }
    bool empty() const noexcept { return !FRep; }
    size_t size() const noexcept { return FRep ? FRep->Len : 0; }
    // True when both share one buffer (or both are empty).
    bool SharesWith(const PackedString& O) const noexcept { return FRep == O.FRep; }

    friend bool operator==(const PackedString& A, const PackedString& B) noexcept {
        return A.FRep == B.FRep || A.View() == B.View();
    }
    friend bool operator==(const PackedString& A, std::string_view B) noexcept {
        return A.View() == B;
    }

private:
    struct Rep {
        std::atomic<uint32_t> Refs;
        uint32_t Len;
    };
    const char* Data() const noexcept { return reinterpret_cast<const char*>(FRep + 1); }
    void Assign(std::string_view S);
    // Makes this (empty) string Len bytes long, their contents left to the caller.
    char* Allocate(size_t Len);
    void Release() noexcept;

    Rep* FRep = nullptr;
};
