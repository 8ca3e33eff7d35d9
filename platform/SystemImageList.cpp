#include "SystemImageList.h"

#include <mutex>
#include <unordered_map>
#include <vector>

namespace {

struct TEntry {
    std::string ThemeName, FallbackThemeName;
    TIconImage Small, Large;
};

struct TRegistry {
    std::mutex M;
    std::vector<TEntry> Entries{TEntry()}; // index 0 names nothing
    // Descriptor key -> index: "T" + names for theme icons, "I" + picture bytes for pictures.
    std::unordered_map<std::string, int> Index;
};

TRegistry& Registry() {
    static TRegistry* R = new TRegistry; // never destroyed: workers may ask during teardown
    return *R;
}

void AppendImageKey(std::string& Key, const TIconImage& I) {
    auto Put = [&Key](uint64_t V) { Key.append(reinterpret_cast<const char*>(&V), sizeof V); };
    Put(static_cast<uint64_t>(I.Width));
    Put(static_cast<uint64_t>(I.Height));
    Put(I.Pixels.size());
    Key.append(reinterpret_cast<const char*>(I.Pixels.data()), I.Pixels.size() * 4);
    Put(I.Png.size());
    Key += I.Png;
}

int Register(std::string Key, TEntry&& E) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> G(R.M);
    auto It = R.Index.find(Key);
    if (It != R.Index.end()) return It->second;
    int I = static_cast<int>(R.Entries.size());
    R.Entries.push_back(std::move(E));
    R.Index.emplace(std::move(Key), I);
    return I;
}

} // namespace

int AddSystemThemeIcon(const std::string& Name, const std::string& FallbackName) {
    if (Name.empty()) return -1;
    std::string Key = "T" + Name + '\0' + FallbackName;
    return Register(std::move(Key), TEntry{Name, FallbackName, {}, {}});
}

int AddSystemImageIcon(const TIconImage& Small, const TIconImage& Large) {
    if (Small.Empty() && Large.Empty()) return -1;
    std::string Key = "I";
    AppendImageKey(Key, Small);
    AppendImageKey(Key, Large);
    return Register(std::move(Key), TEntry{{}, {}, Small, Large});
}

TSystemIcon GetSystemIcon(int Index, bool Large) {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> G(R.M);
    if (Index < 1 || static_cast<size_t>(Index) >= R.Entries.size()) return {};
    const TEntry& E = R.Entries[static_cast<size_t>(Index)];
    TSystemIcon Icon;
    Icon.ThemeName = E.ThemeName;
    Icon.FallbackThemeName = E.FallbackThemeName;
    // A picture read in one size only serves for both.
    const TIconImage& Want = Large ? E.Large : E.Small;
    Icon.Image = Want.Empty() ? (Large ? E.Small : E.Large) : Want;
    return Icon;
}

int SystemIconCount() {
    TRegistry& R = Registry();
    std::lock_guard<std::mutex> G(R.M);
    return static_cast<int>(R.Entries.size()) - 1;
}
