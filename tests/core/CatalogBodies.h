// Catalog bodies built by hand for the catalog file tests: values, records, whole bodies, and
// the fixture that loads and saves them.
#pragma once

#include "CatalogTestSupport.h"
#include "tests/TestSupport.h"

#include "core/CatalogFile.h"
#include "core/LoadWorkers.h"
#include "platform/Filer.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <functional>
#include <string>
#include <vector>

// ---- building bodies by hand -------------------------------------------------------------------

inline std::string Encode(const std::function<void(TWriter&)>& Fn) {
    TMemoryStream S;
    {
        TWriter W(S);
        Fn(W);
    }
    return std::string(S.View());
}
inline std::string Int(int32_t V) {
    return Encode([&](TWriter& W) { W.WriteInteger(V); });
}
inline std::string Int64(int64_t V) {
    return Encode([&](TWriter& W) { W.WriteInt64(V); });
}
inline std::string Str(std::string_view V) {
    return Encode([&](TWriter& W) { W.WriteString(V); });
}
inline std::string Raw32(uint32_t V) {
    return Encode([&](TWriter& W) { W.WriteRaw32(V); });
}
inline std::string Date(double D) {
    return Encode([&](TWriter& W) { W.WriteDate(D); });
}

// Class indices: positions in the sorted class table.
enum : int {
    ciBasicFolder,
    ciBasicItem,
    ciCatalogClientItem,
    ciCatFileItem,
    ciCustomCatalogItem,
    ciFileCollection,
    ciFileFolder,
    ciFileItem,
    ciFileLocItem,
    ciKeyWordItem,
    ciTypeItem
};

inline std::string ClassTable() {
    return Encode([](TWriter& W) { WriteClassTable(W); });
}
inline std::string Record(int ClassIndex, const std::string& Fields) {
    std::string R = Int(ClassIndex) + Fields;
    return Raw32(static_cast<uint32_t>(R.size() + 4)) + R;
}
inline std::string Items(const std::vector<std::string>& Records) {
    std::string R = Int(static_cast<int32_t>(Records.size()));
    for (const std::string& X : Records)
        R += X;
    return R;
}
inline std::string Named(std::string_view Name, std::string_view Comment = "") {
    return Str(Name) + Str(Comment);
}
inline std::string Basic(const std::vector<int>& Keys = {}, std::string_view Note = "") {
    std::string R = Str(Note) + Str("") + Int(-1) + "\x08";
    R += Int(static_cast<int32_t>(Keys.size()));
    for (int K : Keys)
        R += Int(K);
    return R;
}
inline std::string FileFields(std::string_view Name, int64_t Size, uint32_t Attr = 32) {
    return Str(Name) + Date(44000.25) + Int64(Size) + Int64(Attr);
}
inline std::string Keyword(std::string_view Name) {
    return Record(ciKeyWordItem, Named(Name));
}
inline std::string Folder(std::string_view Name, const std::vector<std::string>& Children) {
    return Record(ciBasicFolder, Named(Name) + Basic() + Items(Children));
}
inline std::string File(std::string_view Name, int64_t Size = 10,
                        const std::vector<int>& Keys = {}) {
    return Record(ciFileItem, Named(Name) + Basic(Keys) + FileFields(Name, Size));
}
// The record as a newer writer makes it: Extra more bytes after the data this reader knows.
inline std::string Newer(const std::string& Record,
                         std::string_view Extra = "\x01\x02\x03\x04\x05") {
    uint32_t Size = 0;
    for (int I = 3; I >= 0; --I)
        Size = Size << 8 | static_cast<uint8_t>(Record[static_cast<size_t>(I)]);
    return Raw32(Size + static_cast<uint32_t>(Extra.size())) + Record.substr(4) +
           std::string(Extra);
}

// Bodies the size of real catalogs: while a Padded lives, Body puts three folders of about
// 130 KiB before the root's own children, so that these lie beyond the inflater's first window
// and the folders before them go to the helper threads of the load. The folders hold files with
// names of random bytes: compressed, they cross the inflater's input steps as well.
inline bool GPadded = false;
struct Padded {
    Padded() { GPadded = true; }
    ~Padded() { GPadded = false; }
};
inline constexpr int PadFolderCount = 3;

// A whole body: signature, class table, keywords, root with children, trailer.
inline std::string Body(const std::vector<std::string>& Keys,
                        const std::vector<std::string>& Children,
                        std::string_view Signature = "QLM 1000", bool Trailer = true) {
    std::string Pad;
    if (GPadded) {
        static const std::string Folders = [] {
            uint32_t Seed = 12345;
            std::string R;
            for (int F = 0; F < PadFolderCount; ++F) {
                std::vector<std::string> Files;
                for (int I = 0; I < 500; ++I) {
                    std::string Name(200, '\0');
                    for (char& C : Name)
                        C = static_cast<char>((Seed = Seed * 1103515245u + 12345u) >> 23);
                    Files.push_back(File(Name));
                }
                R += Folder("~pad" + std::to_string(F), Files);
            }
            return R;
        }();
        Pad = Folders;
    }
    std::string R = std::string(Signature) + ClassTable() + Items(Keys) + Named("Root") + Basic();
    R += Int(static_cast<int32_t>(Children.size() + (GPadded ? PadFolderCount : 0))) + Pad;
    for (const std::string& C : Children)
        R += C;
    return R + (Trailer ? Int(0) : "");
}

// A body whose root holds a chain of Depth virtual folders, each inside the one before (built in
// one pass: each record's size is known from the ones inside it).
inline std::string NestedBody(int Depth) {
    std::string Head = Int(ciBasicFolder) + Named("d") + Basic();
    std::string R;
    R.reserve(static_cast<size_t>(Depth) * (Head.size() + 6) + 64);
    uint32_t Size = static_cast<uint32_t>(4 + Head.size() + 2); // the innermost: no children
    std::vector<uint32_t> Sizes(static_cast<size_t>(Depth));
    for (int I = Depth - 1; I >= 0; --I) {
        Sizes[static_cast<size_t>(I)] = Size;
        Size += static_cast<uint32_t>(4 + Head.size() + 2);
    }
    R = "QLM 1000" + ClassTable() + Items({}) + Named("Root") + Basic() + Int(Depth ? 1 : 0);
    for (int I = 0; I < Depth; ++I)
        R += Raw32(Sizes[static_cast<size_t>(I)]) + Head + Int(I + 1 < Depth ? 1 : 0);
    return R + Int(0);
}

inline std::string Compress(std::string_view Bytes) {
    TMemoryStream S;
    S.Write(Bytes.data(), Bytes.size());
    CompressStream(S);
    return std::string(S.View());
}

// One zlib stream at level 1: what a quick writer gives (the program's own writer, level 9, is
// the slower way to the same kind of file).
inline std::string Deflate(std::string_view Bytes) {
    uLongf Len = compressBound(static_cast<uLong>(Bytes.size()));
    std::string Z(Len, '\0');
    compress2(reinterpret_cast<Bytef*>(Z.data()), &Len,
              reinterpret_cast<const Bytef*>(Bytes.data()), static_cast<uLong>(Bytes.size()), 1);
    Z.resize(Len);
    return Z;
}

inline std::string Inflate(std::string_view Bytes) {
    TMemoryStream S;
    S.Write(Bytes.data(), Bytes.size());
    DecompressStream(S);
    return std::string(S.View());
}

// Every stored field of the tree, one line per item, for comparing catalogs.
inline void List(std::string& Out, const TBasicItem* Item, int Depth) {
    Out += std::string(Depth, ' ') + Item->ClassName() + "|" + std::string(Item->Name()) + "|" +
           std::string(Item->Comment()) + "|" + std::string(Item->Note()) + "|" +
           std::string(Item->ExtraText()) + "|" + std::to_string(Item->ExtraInt()) + "|" +
           std::to_string(Item->ExtraFlag());
    for (const TKeyWordItem* K : Item->KeyWords())
        Out += "|k:" + std::string(K->Name());
    if (auto* F = dynamic_cast<const TFileItem*>(Item))
        Out += Format("|%s|%d|%d|", {F->FileInfo().Name.View(), F->FileInfo().Size,
                                     static_cast<int64_t>(F->FileInfo().Attr)}) +
               std::to_string(F->FileInfo().Date);
    const TVolumeInfo* V = nullptr;
    if (auto* C = dynamic_cast<const TFileCollection*>(Item)) V = &C->Volume();
    if (auto* L = dynamic_cast<const TFileLocItem*>(Item)) V = &L->Volume();
    if (V)
        Out += Format("|%s|%d|%s|%s|%d", {V->Path, static_cast<int>(V->DriveType), V->VolumeName,
                                          V->FileSystem, static_cast<int64_t>(V->Serial)});
    Out += '\n';
    if (Item->Children())
        for (int I = 0; I < Item->Children()->Count(); ++I)
            List(Out, Item->Children()->At(I), Depth + 1);
}

inline std::string Listing(TCatFileItem* Root) {
    std::string Out;
    for (int I = 0; I < Root->KeyWords()->Count(); ++I)
        Out += "keyword " + std::string(Root->KeyWords()->At(I)->Name()) + "|" +
               std::string(Root->KeyWords()->At(I)->Comment()) + "\n";
    List(Out, Root, 0);
    return Out;
}

// The sizes of folder records that loads hand to helper threads, for one test (small sizes make
// small catalogs take the roads of large ones); the defaults come back at its end.
struct PartBytes {
    PartBytes(size_t Min, size_t Max) { TLoadWorkers::SetPartBytes(Min, Max); }
    ~PartBytes() { TLoadWorkers::SetPartBytes(0, 0); }
};

inline std::string ErrorOf(const std::function<void()>& Fn) {
    try {
        Fn();
    } catch (const std::exception& E) {
        return E.what();
    }
    return "(no error)";
}

// The loading state that every path must leave behind.
inline void ExpectIdle(TCatFileItem* Root) {
    EXPECT_EQ(FileVersion, -1);
    EXPECT_EQ(StreamClassNames, nullptr);
    EXPECT_EQ(LoadingKeyWords, nullptr);
    EXPECT_EQ(LoadingTypes, nullptr);
    EXPECT_EQ(LoadingKeyWordList, nullptr);
    EXPECT_EQ(SavingKeyWordIndex, nullptr);
    EXPECT_FALSE(Root->Types()->Paused());
}

// Catalogs are loaded the way the program loads them: the body compressed into a file on disk,
// opened, inflated while it is parsed, its large folders read by helper threads.
class CatalogFile : public ::testing::Test {
protected:
    void TearDown() override { ExpectIdle(Cat.get()); }

    std::string SaveBody() {
        TMemoryStream S;
        SaveCatalogBody(*Cat.get(), S);
        return std::string(S.View());
    }
    void LoadBody(std::string_view Bytes) {
        Cat->Clear();
        LoadRaw(Bytes);
    }
    // Loads into the catalog as it is (LoadBody clears it first, as the program does).
    void LoadRaw(std::string_view Bytes) { LoadFile(Deflate(Bytes)); }
    // Loads the catalog file whose bytes are Z.
    void LoadFile(std::string_view Z) {
        WriteFile(FileName(), Z);
        Cat->SetCatFile(FileName());
        Cat->LoadFromFile();
    }
    std::string LoadError(std::string_view Bytes) {
        return ErrorOf([&] { LoadBody(Bytes); });
    }
    std::string FileError(std::string_view Z) {
        Cat->Clear();
        return ErrorOf([&] { LoadFile(Z); });
    }
    std::string FileName() const { return Dir / "cat.qlmk"; }

    TempDir Dir;
    TestCatalog Cat;
};
