// The catalog file: golden bytes of the body, old and future signatures, round trips, saving
// that never destroys the previous file, and hostile files that must fail cleanly.
#include "CatalogBodies.h"
#include "CatalogTestSupport.h"
#include "tests/TestSupport.h"

#include "bench/SynthCatalog.h"
#include "core/CatalogFile.h"
#include "core/ProgressWindow.h"
#include "platform/StringList.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace std::string_literals;

namespace {

// ---- golden bytes
// --------------------------------------------------------------------------------

TEST_F(CatalogFile, EmptyCatalogBodyExactly) {
    std::string Expected = "QLM 1000";
    Expected += "\x02\x0B"; // eleven class names, sorted case-insensitively
    for (const char* N : {"TBasicFolder", "TBasicItem", "TCatalogClientItem", "TCatFileItem",
                          "TCustomCatalogItem", "TFileCollection", "TFileFolder", "TFileItem",
                          "TFileLocItem", "TKeyWordItem", "TTypeItem"})
        Expected += std::string("\x06") + static_cast<char>(std::strlen(N)) + N;
    Expected += std::string("\x02\x00", 2);         // no keywords
    Expected += std::string("\x06\x00\x06\x00", 4); // root Name, Comment
    Expected += std::string("\x06\x00\x06\x00", 4); // Note, ExtraText
    Expected += "\x02\xFF\x08";                     // ExtraInt -1, ExtraFlag false
    Expected += std::string("\x02\x00\x02\x00", 4); // no keywords on the root, no children
    Expected += std::string("\x02\x00", 2);         // trailer
    EXPECT_EQ(HexBytes(SaveBody()), HexBytes(Expected));
}

TEST_F(CatalogFile, KeywordRecordsAndLongNames) {
    (new TKeyWordItem(Cat->KeyWords()))->SetNameField(PackedString("Music"));
    std::string B = SaveBody();
    std::string Table = ClassTable();
    // After the signature and the class table: the count, then the 15-byte record.
    EXPECT_EQ(HexBytes(B.substr(8 + Table.size(), 17)),
              "02 01 0F 00 00 00 02 09 06 05 4D 75 73 69 63 06 00");

    Cat->Clear();
    std::string Long(300, 'k');
    (new TKeyWordItem(Cat->KeyWords()))->SetNameField(PackedString(Long));
    B = SaveBody();
    // Record size 4 + 2 + (5 + 300) + 2: the name goes with tag 12 and a 4-byte length.
    EXPECT_EQ(HexBytes(B.substr(8 + Table.size(), 13)), "02 01 39 01 00 00 02 09 0C 2C 01 00 00");
    LoadBody(B);
    ASSERT_EQ(Cat->KeyWords()->Count(), 1);
    EXPECT_EQ(Cat->KeyWords()->At(0)->Name(), Long);
}

TEST_F(CatalogFile, SizesBeyondThirtyTwoBitsKeepTheirValue) {
    AddFile(Cat.get(), "a.bin", 3000000000ULL);
    AddFile(Cat.get(), "b.iso", 5ULL << 30);
    AddFile(Cat.get(), "c.txt", 2147483647ULL);
    std::string B = SaveBody();
    // 3,000,000,000 takes tag 19 and eight bytes; 2^31-1 is still a 32-bit Integer.
    EXPECT_NE(B.find("\x13\x00\x5E\xD0\xB2\x00\x00\x00\x00"s), std::string::npos);
    EXPECT_NE(B.find("\x04\xFF\xFF\xFF\x7F"s), std::string::npos);
    LoadBody(B);
    ASSERT_EQ(Cat->Children()->Count(), 3);
    auto Size = [&](int I) {
        return static_cast<TFileItem*>(Cat->Children()->At(I))->FileInfo().Size;
    };
    EXPECT_EQ(Size(0), 3000000000ULL);
    EXPECT_EQ(Size(1), 5ULL << 30);
    EXPECT_EQ(Size(2), 2147483647ULL);
}

TEST_F(CatalogFile, NamesThatAreNotUtf8RoundTripByteForByte) {
    std::string Name = "caf\xE9 \xFF\xFE\x80.txt";
    TFileItem* F = AddFile(Cat.get(), Name);
    F->SetCommentField(PackedString("\xC0\xC1 comment"));
    auto* K = new TKeyWordItem(Cat->KeyWords());
    K->SetNameField(PackedString("\xE9t\xE9"));
    K->AddClient(F);
    std::string B = SaveBody();
    LoadBody(B);
    auto* G = static_cast<TFileItem*>(Cat->Children()->At(0));
    EXPECT_EQ(HexBytes(G->Name()), HexBytes(Name));
    EXPECT_EQ(HexBytes(G->FileInfo().Name.View()), HexBytes(Name));
    EXPECT_EQ(G->Comment(), "\xC0\xC1 comment");
    ASSERT_EQ(G->KeyWords().size(), 1u);
    EXPECT_EQ(G->KeyWords()[0]->Name(), "\xE9t\xE9");
    EXPECT_EQ(SaveBody(), B);
}

TEST_F(CatalogFile, CopiesOfLoadedItemsOutliveTheOriginals) {
    // A loaded file item's name and file record share one buffer, and so do those of its copy:
    // freeing the original must leave the copy's buffer alone (the sanitizer build sees a use
    // after free, the release build a buffer given to the strings made next).
    LoadBody(Body({}, {Folder("F", {File("shared-name.txt", 5), File("other.txt", 6)})}));
    auto* Loaded = static_cast<TBasicFolder*>(Cat->Children()->At(0));
    auto* First = static_cast<TFileItem*>(Loaded->Children()->At(0));
    ASSERT_TRUE(First->FileInfo().Name.SharesWith(First->PackedName()));
    auto* Copy = new TBasicFolder(Cat->Children());
    Copy->Assign(*Loaded);
    delete Loaded;
    std::vector<PackedString> Next;
    for (int I = 0; I < 100; ++I)
        Next.emplace_back(std::string(15, 'x'));
    ASSERT_EQ(Copy->Children()->Count(), 2); // in name order
    for (int I = 0; I < 2; ++I) {
        auto* F = static_cast<TFileItem*>(Copy->Children()->At(I));
        EXPECT_EQ(F->Name(), I ? "shared-name.txt" : "other.txt");
        EXPECT_EQ(F->FileInfo().Name.View(), F->Name());
    }
}

// ---- signatures --------------------------------------------------------------------------------

TEST(CatalogSignature, VersionsAndForeignSignatures) {
    CheckSignature("QLM 1000");
    EXPECT_EQ(FileVersion, 1000);
    CheckSignature("QLM 1.01");
    EXPECT_EQ(FileVersion, 101);
    CheckSignature("QLM 1010");
    EXPECT_EQ(FileVersion, 1010);
    EXPECT_EQ(ErrorOf([] { CheckSignature("QLM 1011"); }), "Unknown version");
    for (const char* S :
         {"QLM 10a0", "QLM 1.02", "qlm 1000", "XLM 1000", "QLM  -12", "QLM", "", "QLM 100"})
        EXPECT_EQ(ErrorOf([&] { CheckSignature(S); }), "File is not a catalog file") << S;
    FileVersion = -1;
}

TEST_F(CatalogFile, FutureAndUnknownVersions) {
    // 1010 is still read as the current format.
    LoadBody(Body({Keyword("A")}, {File("x.txt")}, "QLM 1010"));
    EXPECT_EQ(Cat->Children()->Count(), 1);
    EXPECT_EQ(LoadError(Body({}, {}, "QLM 1011")), "Unknown version");
    EXPECT_EQ(LoadError(Body({}, {}, "QLM one")), "File is not a catalog file");
    EXPECT_EQ(LoadError("QLM 10"), "File is not a catalog file");
    EXPECT_EQ(LoadError(""), "File is not a catalog file");
}

TEST_F(CatalogFile, OldFormatHasNoTrailerAndOnlyPathsInVolumeRecords) {
    std::string Disk =
        Record(ciFileCollection, Named("Disc") + Basic() + Items({File("a.txt", 5)}) + Str("E:\\"));
    std::string Loc = Record(ciFileLocItem,
                             Named("b.doc") + Basic() + FileFields("b.doc", 7) + Str("C:\\Docs\\"));
    LoadBody(Body({}, {Disk, Loc}, "QLM 1.01", false));
    ASSERT_EQ(Cat->Children()->Count(), 2);
    auto* C = static_cast<TFileCollection*>(Cat->Children()->At(0));
    EXPECT_EQ(C->GetRootPath(), "E:\\");
    EXPECT_EQ(C->Volume().VolumeName, UnknownVolumeText);
    EXPECT_EQ(C->Volume().FileSystem, UnknownVolumeText);
    EXPECT_EQ(C->Volume().Serial, 0u);
    EXPECT_EQ(C->Volume().DriveType, 0);
    EXPECT_EQ(static_cast<TFileItem*>(C->Children()->At(0))->GetFullPath(), "E:\\a.txt");
    auto* L = static_cast<TFileLocItem*>(Cat->Children()->At(1));
    EXPECT_EQ(L->GetFullPath(), "C:\\Docs\\b.doc");
    EXPECT_EQ(L->Volume().VolumeName, UnknownVolumeText);
    // Saved again, the catalog takes the current signature and full volume records.
    std::string B = SaveBody();
    EXPECT_EQ(B.substr(0, 8), "QLM 1000");
    LoadBody(B);
    int Disc = Cat->Children()->IndexOfName("Disc");
    ASSERT_GE(Disc, 0);
    auto* Reloaded = static_cast<TFileCollection*>(Cat->Children()->At(Disc));
    EXPECT_EQ(Reloaded->GetRootPath(), "E:\\");
    EXPECT_EQ(Reloaded->Volume().VolumeName, UnknownVolumeText);
}

// ---- records ------------------------------------------------------------------------------------

TEST_F(CatalogFile, RecordsLongerThanTheirClassReadsAreSkipped) {
    // A newer writer's catalog: five more bytes after the data of every record, keywords,
    // folders, files and volumes alike, in a body of several inflater windows whose folders go to
    // helper threads. It loads as the same body without them: every item, every comment.
    std::string Bodies[2];
    for (int Extra : {0, 1}) {
        auto R = [&](const std::string& Record) { return Extra ? Newer(Record) : Record; };
        std::vector<std::string> Keys, Folders;
        for (int K = 0; K < 40; ++K)
            Keys.push_back(R(Record(ciKeyWordItem, Named("k" + std::to_string(K), "about k"))));
        for (int F = 0; F < 24; ++F) {
            std::vector<std::string> Files;
            for (int I = 0; I < 700; ++I) {
                std::string Name = "f" + std::to_string(F) + "." + std::to_string(I);
                Files.push_back(
                    R(Record(ciFileItem, Named(Name, "comment of " + Name) +
                                             Basic({I % 40, F % 40}) + FileFields(Name, I))));
            }
            std::string Sub =
                R(Record(ciFileFolder, Named("sub", "below") + Basic() + FileFields("sub", 0, 16) +
                                           Items({Files.back()})));
            Files.push_back(Sub);
            std::string Fields = Named("disc" + std::to_string(F), "disc comment") + Basic({F}) +
                                 Items(Files) + Str("/media/d" + std::to_string(F) + "/") + Int(5) +
                                 Str("LABEL") + Str("iso9660") + Int64(0x1A2B3C4D);
            Folders.push_back(R(Record(ciFileCollection, Fields)));
        }
        Folders.push_back(R(Record(
            ciFileLocItem, Named("loc", "located") + Basic() + FileFields("loc", 7) +
                               Str("/home/") + Int(3) + Str("HOME") + Str("ext4") + Int64(7))));
        Bodies[Extra] = Body(Keys, Folders);
    }
    ASSERT_GT(Bodies[1].size(), 4u << 18);
    LoadBody(Bodies[0]);
    const std::string Expected = Listing(Cat.get());
    LoadBody(Bodies[1]);
    EXPECT_GT(LastLoadParts, 0);
    EXPECT_TRUE(Listing(Cat.get()) == Expected);
    EXPECT_EQ(Cat->Children()->Count(), 25);
    EXPECT_EQ(Cat->KeyWords()->At(39)->Comment(), "about k");
}

TEST_F(CatalogFile, RecordsShorterThanTheirClassReadsAreDamage) {
    std::string Short = Keyword("Music");
    Short[0] = static_cast<char>(Short[0] - 2); // claims 13 bytes, holds 15
    EXPECT_EQ(LoadError(Body({Short, Keyword("Next")}, {})), "File damaded");

    // The collection reader itself names the overrun.
    std::string Bytes = Items({Short});
    TMemoryStream S;
    S.Write(Bytes.data(), Bytes.size());
    S.SetPosition(0);
    TStringList Names;
    StreamClassNames = &Names;
    TMemoryStream Scratch;
    TWriter W(Scratch);
    WriteClassTable(W); // fills the table as a save does
    TReader R(S);
    EXPECT_EQ(ErrorOf([&] { Cat->KeyWords()->ReadItems(R); }),
              "InternalError: Reader: Position 17 > 15");
    StreamClassNames = nullptr;
}

TEST_F(CatalogFile, WritingAClassMissingFromTheTableIsRefused) {
    AddFile(Cat.get(), "a.txt");
    TStringList Names; // holds no TFileItem
    Names.SetSorted(true);
    Names.AddObject("TBasicFolder", reinterpret_cast<void*>(intptr_t(4)));
    StreamClassNames = &Names;
    TMemoryStream S;
    TWriter W(S);
    EXPECT_EQ(ErrorOf([&] { Cat->Children()->WriteItems(W); }),
              "Error: SaveToStream: Cannot find Classname : TFileItem");
    StreamClassNames = nullptr;
}

// ---- keywords ----------------------------------------------------------------------------------

TEST_F(CatalogFile, KeywordIndicesFollowTheRecordsAsRead) {
    // Keywords out of name order in the file: index 0 is "Zebra", whatever a sort does later.
    LoadBody(Body({Keyword("Zebra"), Keyword("Apple")}, {File("a", 1, {0}), File("b", 1, {1, 1})}));
    TBasicItem* A = Cat->Children()->At(0);
    TBasicItem* B = Cat->Children()->At(1);
    ASSERT_EQ(A->KeyWords().size(), 1u);
    EXPECT_EQ(A->KeyWords()[0]->Name(), "Zebra");
    ASSERT_EQ(B->KeyWords().size(), 1u); // a repeated index links once
    EXPECT_EQ(B->KeyWords()[0]->Name(), "Apple");
    EXPECT_EQ(B->KeyWords()[0]->Clients().Count(), 1);

    // Saving sorts the keywords; the items' indices follow them.
    std::string Saved = SaveBody();
    LoadBody(Saved);
    EXPECT_EQ(Cat->KeyWords()->At(0)->Name(), "Apple");
    EXPECT_EQ(Cat->Children()->At(0)->KeyWords()[0]->Name(), "Zebra");
    EXPECT_EQ(Cat->Children()->At(1)->KeyWords()[0]->Name(), "Apple");
}

TEST_F(CatalogFile, RenamedKeywordsKeepTheirItems) {
    auto* K1 = new TKeyWordItem(Cat->KeyWords());
    K1->SetNameField(PackedString("b"));
    auto* K2 = new TKeyWordItem(Cat->KeyWords());
    K2->SetNameField(PackedString("c"));
    TFileItem* F = AddFile(Cat.get(), "f");
    K2->AddClient(F);
    K1->AddClient(Cat.get());
    K2->SetItemName("a"); // now first in name order, still second in position
    LoadBody(SaveBody());
    EXPECT_EQ(Cat->Children()->At(0)->KeyWords()[0]->Name(), "a");
    EXPECT_EQ(Cat->KeyWords()->At(0)->Name(), "a");
    const TBasicItem* RootItem = Cat.get();
    ASSERT_EQ(RootItem->KeyWords().size(), 1u);
    EXPECT_EQ(RootItem->KeyWords()[0]->Name(), "b");
}

TEST_F(CatalogFile, ManyKeywordsOnOneItem) {
    std::vector<std::string> Keys;
    std::vector<int> Refs;
    for (int I = 0; I < 20000; ++I) {
        Keys.push_back(Keyword("k" + std::to_string(I)));
        Refs.push_back(I);
        Refs.push_back(I);
    }
    LoadBody(Body(Keys, {File("tagged", 1, Refs)}));
    EXPECT_EQ(Cat->Children()->At(0)->KeyWords().size(), 20000u);
    EXPECT_EQ(Cat->KeyWords()->At(19999)->Clients().Count(), 1);
}

// ---- hostile bodies ----------------------------------------------------------------------------

TEST_F(CatalogFile, HostileBodiesAreDamageAndLeaveAnEmptyCatalog) {
    const std::string Table = ClassTable();
    auto Head = [&](const std::string& Keys) { return "QLM 1000" + Table + Keys; };
    const std::string EmptyKeys = Items({});
    struct Case {
        const char* What;
        std::string Bytes;
    };
    std::string Lying = Keyword("x");
    Lying.replace(Lying.size() - 2, 2, "\x0C\xFF\xFF\xFF\x7F"s); // comment claims 2 GiB
    std::string HugeRecord = Keyword("x");
    HugeRecord.replace(0, 4, Raw32(0xFFFFFFF0u));
    std::vector<Case> Cases = {
        {"string longer than the body", Body({Lying}, {})},
        {"record size beyond the body", Body({HugeRecord}, {})},
        {"record size below its header", Body({Raw32(3) + Int(ciKeyWordItem) + Named("x")}, {})},
        {"huge keyword count", Head(Int(0x7FFFFFFF)) + Keyword("x")},
        {"negative keyword count", Head(Int(-1))},
        {"huge class table", "QLM 1000" + Int(0x7FFFFFFF) + Str("TFileItem")},
        {"class table beyond its cap",
         "QLM 1000" + Items(std::vector<std::string>(2000, "")) + std::string(4000, '\x06')},
        {"class index out of range", Body({Record(11, Named("x"))}, {})},
        {"negative class index", Body({Record(-1, Named("x"))}, {})},
        {"unknown class in the table",
         "QLM 1000\x02\x01" + Str("TNoSuchItem") + Items({Record(0, Named("x"))})},
        {"folder in the keywords", Body({Folder("f", {})}, {})},
        {"plain item in the keywords", Body({Record(ciBasicItem, Named("i") + Basic())}, {})},
        {"keyword among the children", Body({}, {Keyword("k")})},
        {"catalog among the children",
         Body({}, {Record(ciCatFileItem, Named("c") + Basic() + Items({}))})},
        {"type row among the children", Body({}, {Record(ciTypeItem, Named("t"))})},
        {"bare catalog item among the children",
         Body({}, {Record(ciCustomCatalogItem, Named("t"))})},
        {"catalog inside a disk folder",
         Body({}, {Record(ciFileFolder,
                          Named("d") + Basic() + FileFields("d", 0, 16) +
                              Items({Record(ciCatFileItem, Named("c") + Basic() + Items({}))}))})},
        {"keyword index out of range", Body({Keyword("k")}, {File("a", 1, {1})})},
        {"negative keyword index", Body({Keyword("k")}, {File("a", 1, {-1})})},
        {"huge keyword list", Body({}, {Record(ciFileItem, Named("a") + Str("") + Str("") +
                                                               Int(-1) + "\x08" + Int(1 << 30))})},
        {"bad tag for an Integer",
         Body({}, {Record(ciFileItem, Named("a") + Str("") + Str("") + Str("") + "\x08")})},
        {"missing trailer", Body({}, {File("a")}, "QLM 1000", false)},
        {"body cut in the middle", Body({Keyword("k")}, {File("a"), File("b")}).substr(0, 190)},
    };
    for (const Case& C : Cases) {
        Cat->Clear();
        CatalogModified = false;
        EXPECT_EQ(ErrorOf([&] { LoadRaw(C.Bytes); }), "File damaded") << C.What;
        EXPECT_EQ(Cat->Children()->Count(), 0) << C.What;
        EXPECT_EQ(Cat->KeyWords()->Count(), 0) << C.What;
        EXPECT_EQ(Cat->Name(), "") << C.What;
        EXPECT_FALSE(CatalogModified) << C.What;
        ExpectIdle(Cat.get());
    }
}

TEST_F(CatalogFile, DamageAmongTheChildrenOfALargeBodyIsDamage) {
    // The hostile children again, now beyond the inflater's first window and after folders that
    // helper threads read.
    Padded Large;
    std::string Short = File("s");
    Short[0] = static_cast<char>(Short[0] - 2); // claims 2 bytes fewer than it holds
    std::string Long = File("x", 1);
    Long[1] = static_cast<char>(Long[1] + 1); // claims 256 bytes more than it holds
    for (const std::string& Child :
         {Keyword("k"), Record(ciCatFileItem, Named("c") + Basic() + Items({})),
          Record(ciTypeItem, Named("t")), Record(ciFileItem, Named("a") + Basic({3})),
          Record(ciFileItem, Named("a") + Str("") + Str("") + Str("") + "\x08"), Short,
          Folder("f", {Long})}) {
        EXPECT_EQ(LoadError(Body({Keyword("k")}, {File("before"), Child, File("after")})),
                  "File damaded")
            << HexBytes(Child.substr(0, 12));
        EXPECT_EQ(Cat->Children()->Count(), 0);
    }
    // What is whole there loads, the folders of the padding included.
    LoadBody(Body({Keyword("k")}, {File("before", 1, {0})}));
    EXPECT_EQ(Cat->Children()->Count(), PadFolderCount + 1);
    EXPECT_GT(LastLoadParts, 0);
}

TEST_F(CatalogFile, NestingIsCapped) {
    // The root's children are the first level; 65536 levels are read, one more is not.
    const int Cap = 65536;
    LoadBody(NestedBody(Cap - 1));
    int Depth = 0;
    for (TBasicItem* I = Cat.get(); I->Children()->Count(); I = I->Children()->At(0))
        ++Depth;
    EXPECT_EQ(Depth, Cap - 1);
    // What loads also saves and loads again.
    std::string Saved = SaveBody();
    LoadBody(Saved);
    EXPECT_EQ(SaveBody(), Saved);
    EXPECT_EQ(LoadError(NestedBody(Cap)), "File damaded");
    EXPECT_EQ(Cat->Children()->Count(), 0);
}

TEST_F(CatalogFile, FailedLoadKeepsTheFileNameAndTheChangeMark) {
    std::string Bad = Body({Keyword("k")}, {Folder("a", {File("x"), File("y")}), File("b")});
    Bad.resize(Bad.size() - 3);
    Cat->Clear();
    CatalogModified = true;
    EXPECT_EQ(ErrorOf([&] { LoadRaw(Bad); }), "File damaded");
    EXPECT_EQ(Cat->CatFile(), FileName());
    EXPECT_TRUE(CatalogModified);
    EXPECT_EQ(Cat->Children()->Count(), 0);
    // The root has its type row again, as after Clear.
    ASSERT_NE(Cat->TypeRow(), nullptr);
    EXPECT_EQ(Cat->TypeRow()->DisplayName(), "Catalog");
}

// ---- compression -------------------------------------------------------------------------------

TEST(CatalogCompression, SmallBodiesMatchOneCompressCall) {
    std::string Body = "QLM 1000" + std::string(5000, 'a') + "tail";
    uLongf Len = compressBound(static_cast<uLong>(Body.size()));
    std::string Expected(Len, '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef*>(Expected.data()), &Len,
                        reinterpret_cast<const Bytef*>(Body.data()),
                        static_cast<uLong>(Body.size()), 9),
              Z_OK);
    Expected.resize(Len);
    EXPECT_EQ(HexBytes(Compress(Body)), HexBytes(Expected));
    EXPECT_EQ(Inflate(Compress("")), "");
}

TEST(CatalogCompression, LargeBodiesAreOneStream) {
    // Several compression blocks with matches across their seams.
    std::string Body;
    for (int I = 0; Body.size() < (5u << 20) + 12345; ++I)
        Body += "entry " + std::to_string(I % 7919) + " of the synthetic body\n";
    std::string Z = Compress(Body);
    EXPECT_EQ(HexBytes(Z.substr(0, 2)), "78 DA");
    EXPECT_LT(Z.size(), Body.size() / 10);
    // zlib's own one-shot decompression reads it as one stream with a valid checksum.
    uLongf Len = static_cast<uLongf>(Body.size());
    std::string Out(Len, '\0');
    ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(Out.data()), &Len,
                         reinterpret_cast<const Bytef*>(Z.data()), static_cast<uLong>(Z.size())),
              Z_OK);
    EXPECT_TRUE(Out == Body);
    EXPECT_TRUE(Inflate(Z) == Body);
    EXPECT_EQ(Compress(Body), Z); // the same body always gives the same bytes
}

TEST(CatalogCompression, DamagedStreamsAndBombs) {
    const std::string Message = "File is not a catalog file or damaded";
    std::string Z = Compress(std::string(100000, 'x') + "end");
    std::string Flipped = Z;
    Flipped[Flipped.size() - 1] ^= 1; // checksum
    std::string Dictionary = Z;
    static_assert((0x78 * 256 + 0x20) % 31 == 0);
    Dictionary[1] = 0x20; // a preset dictionary, with valid check bits
    for (const std::string& Bad :
         {std::string(), std::string("QLM 1000 plain text"), Z.substr(0, Z.size() / 2),
          Z.substr(0, Z.size() - 1), Flipped, Z + "x"})
        EXPECT_EQ(ErrorOf([&] { Inflate(Bad); }), Message) << HexBytes(Bad.substr(0, 8));
    EXPECT_EQ(ErrorOf([&] { Inflate(Dictionary); }), Message);

    // A body above the cap is refused as it inflates, whatever its size; one at the cap passes.
    std::string Bomb = Compress(std::string(4u << 20, '\0'));
    EXPECT_LT(Bomb.size(), 10000u);
    TMemoryStream S;
    S.Write(Bomb.data(), Bomb.size());
    EXPECT_EQ(ErrorOf([&] { DecompressStream(S, (4u << 20) - 1); }), Message);
    S.Clear();
    S.Write(Bomb.data(), Bomb.size());
    DecompressStream(S, 4u << 20);
    EXPECT_EQ(S.Size(), 4 << 20);
}

// ---- compressed entry point --------------------------------------------------------------------

TEST_F(CatalogFile, CompressedDataEntryPoint) {
    AddFile(Cat.get(), "x.txt", 42);
    std::string Z = Compress(SaveBody());
    Cat->Clear();
    TMemoryStream S;
    S.Write(Z.data(), Z.size());
    LoadCatalogData(*Cat.get(), S);
    ASSERT_EQ(Cat->Children()->Count(), 1);
    EXPECT_EQ(static_cast<TFileItem*>(Cat->Children()->At(0))->FileInfo().Size, 42u);

    // A body over the given cap fails before any item is made.
    S.Clear();
    S.Write(Z.data(), Z.size());
    Cat->Clear();
    EXPECT_EQ(ErrorOf([&] { LoadCatalogData(*Cat.get(), S, 100); }),
              "File is not a catalog file or damaded");
}

} // namespace
