// The catalog file under hostile conditions: loads that stay bounded whatever a file claims,
// bodies that parse but are not what they claim, deep nesting on a small stack, a class table
// that no locale reorders, and saves that keep what the user has.
#include "CatalogBodies.h"

#include "bench/SynthCatalog.h"

#include "core/FileTypes.h"
#include "platform/SafeSave.h"
#include "platform/SysUtils.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <fstream>
#include <optional>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <zlib.h>

using namespace std::string_literals;

namespace {

// ---- loading stays bounded ---------------------------------------------------------------------

TEST_F(CatalogFile, FilesThatAreNoCatalogAreRefusedFromTheirFirstBytes) {
    TempDir Dir;
    // 2 GiB of zeros (a sparse file): refused after its first step is read.
    std::string Zeros = Dir / "z.qlmk";
    int Fd = ::open(Zeros.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(Fd, 0);
    ASSERT_EQ(::ftruncate(Fd, int64_t(2) << 30), 0);
    ::close(Fd);
    Cat->SetCatFile(Zeros);
    EXPECT_EQ(ErrorOf([&] { Cat->LoadFromFile(); }), "File is not a catalog file or damaded");

    // A good start followed by megabytes that do not parse: refused without inflating the rest.
    std::mt19937 Random(7);
    std::string Noise(8u << 20, '\0');
    for (char& C : Noise)
        C = static_cast<char>(Random());
    std::string Z = Compress("QLM 1000" + ClassTable() + "\x01" + Noise);
    TMemoryStream S;
    S.Write(Z.data(), Z.size());
    Cat->Clear();
    EXPECT_EQ(ErrorOf([&] { LoadCatalogData(*Cat.get(), S); }), "File damaded");
    // The inflater may be ahead by its eight windows of 256 KiB and one step of input: noise
    // does not compress, so that is 2.25 MiB of the file whatever the parser's speed.
    EXPECT_LT(S.Position(), 3 << 20) << "compressed bytes read of " << Z.size();

    // A long string whose claimed length is far beyond the bytes there allocates nothing first.
    std::string Claim = "QLM 1000" + ClassTable() + Items({}) + "\x0C" + Raw32(0xFFFFFFF0u);
    EXPECT_EQ(LoadError(Claim), "File damaded");

    // The empty body, as zlib compresses it, and bodies too short for a signature: refused at
    // once (the alarm ends a load that hangs).
    ::alarm(60);
    EXPECT_EQ(FileError("\x78\x9c\x03\x00\x00\x00\x00\x01"s), "File is not a catalog file");
    EXPECT_EQ(FileError(Compress("")), "File is not a catalog file");
    EXPECT_EQ(FileError(Compress("QLM 100")), "File is not a catalog file");
    ::alarm(0);
}

TEST_F(CatalogFile, StringsAreBoundedOnBothSides) {
    // The longest string loads; one byte more is refused, from its length alone when reading,
    // and before anything is written when saving.
    std::string Text(MaxCatalogStringSize, 'n');
    std::string Head = "QLM 1000" + ClassTable() + Items({}) + Named("Root") + "\x0C";
    std::string Tail = Str("") + Int(-1) + "\x08" + Int(0) + Int(0) + Int(0);
    LoadBody(Head + Raw32(static_cast<uint32_t>(Text.size())) + Text + Tail);
    EXPECT_EQ(Cat->Note().size(), MaxCatalogStringSize);
    Text += 'n';
    EXPECT_EQ(LoadError(Head + Raw32(static_cast<uint32_t>(Text.size())) + Text + Tail),
              "File damaded");
    WriteFile(FileName(), "previous");
    Cat->SetCatFile(FileName());
    Cat->SetNote(Text);
    CatalogModified = true;
    EXPECT_EQ(ErrorOf([&] { Cat->SaveToFile(); }),
              "Text too long to save: 67108865 bytes (at most 67108864)");
    EXPECT_EQ(ReadFile(FileName()), "previous");
    EXPECT_TRUE(CatalogModified);
    EXPECT_EQ(Cat->Note().size(), Text.size());
}

TEST_F(CatalogFile, BodiesThatAreNotWhatTheyClaimAreDamaged) {
    std::string Good = Body({Keyword("k")}, {File("a")});
    LoadBody(Good);
    // The trailer must be Integer 0 and must end the body.
    std::string NonZero = Good.substr(0, Good.size() - 2) + Int(5);
    EXPECT_EQ(LoadError(NonZero), "File damaded");
    EXPECT_EQ(LoadError(Good + Int(0)), "File damaded");
    EXPECT_EQ(LoadError(Good + "x"), "File damaded");
    // A current body behind the old signature: read as the old format, it does not end where
    // the old format would.
    EXPECT_EQ(LoadError("QLM 1.01" + Good.substr(8)), "File damaded");
    // Bytes after the end of the zlib stream, however few, in small files and in files of
    // several input steps of the inflater.
    for (bool Large : {false, true}) {
        std::optional<Padded> Size;
        if (Large) Size.emplace();
        std::string Z = Compress(Body({Keyword("k")}, {File("a")}));
        ASSERT_EQ(FileError(Z), "(no error)");
        if (Large) {
            ASSERT_GT(Z.size(), 1u << 18);
        }
        for (std::string Tail : {"\0"s, "\0\0"s, "xyz"s, std::string(8, '\0'), "tail"s})
            EXPECT_EQ(FileError(Z + Tail), "File is not a catalog file or damaded")
                << Large << " " << Tail.size();
    }
}

// Catalogs are read by another inflater than the one that writes them: streams of other zlib
// writers load, and a damaged wrapper is refused as zlib refuses it.
TEST_F(CatalogFile, ZlibStreamsOfEveryShapeLoadAndDamagedWrappersAreRefused) {
    std::vector<std::string> Files;
    for (int I = 0; I < 3000; ++I)
        Files.push_back(File("file" + std::to_string(I % 50)));
    const std::string Good = Body({Keyword("k")}, Files);
    auto Load = [&](const std::string& Z) { return FileError(Z); };
    // A small window, stored blocks, flushes that end blocks mid-record.
    for (auto [Level, Bits] : {std::pair{0, 15}, {1, 9}, {6, 12}}) {
        z_stream Z{};
        ASSERT_EQ(deflateInit2(&Z, Level, Z_DEFLATED, Bits, 8, Z_DEFAULT_STRATEGY), Z_OK);
        std::string Out(compressBound(static_cast<uLong>(Good.size())) + 4096, '\0');
        Z.next_out = reinterpret_cast<Bytef*>(Out.data());
        Z.avail_out = static_cast<uInt>(Out.size());
        for (size_t At = 0; At < Good.size(); At += 7777) {
            size_t N = std::min<size_t>(7777, Good.size() - At);
            Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Good.data() + At));
            Z.avail_in = static_cast<uInt>(N);
            ASSERT_NE(deflate(&Z, At + N == Good.size() ? Z_FINISH : Z_FULL_FLUSH), Z_STREAM_ERROR);
        }
        Out.resize(Z.total_out);
        deflateEnd(&Z);
        EXPECT_EQ(Load(Out), "(no error)") << Level << " " << Bits;
        EXPECT_EQ(Cat->Children()->Count(), 3000);
    }
    const std::string Z = Compress(Good);
    const std::string Refused = "File is not a catalog file or damaded";
    std::string BadCheck = Z, Dict = Z, Method = Z, Sum = Z;
    BadCheck[1] = static_cast<char>(BadCheck[1] ^ 1);
    Dict[1] = 0x20; // 78 20: the check holds, a preset dictionary is asked for
    Method[0] = 0x77;
    Sum.back() = static_cast<char>(Sum.back() ^ 1);
    for (const std::string& Bad : {BadCheck, Dict, Method, Sum, Z.substr(0, 1), Z.substr(0, 2),
                                   Z.substr(0, Z.size() / 2), Z.substr(0, Z.size() - 1)})
        EXPECT_EQ(Load(Bad), Refused) << Bad.size();
    EXPECT_EQ(Load(Z), "(no error)");
}

TEST_F(CatalogFile, FailuresLateInALongCompressedBodyAreDamageNotACrash) {
    // A record with bytes of a newer writer moves the reader off the inflater's steps, so a
    // failure far into the body leaves the reader's buffer across two of them.
    std::string Padded = Named("new") + Basic() + FileFields("new", 1) + std::string(1001, 'x');
    std::vector<std::string> Files{Record(ciFileItem, Padded)};
    for (int I = 0; I < 20000; ++I)
        Files.push_back(File("f" + std::to_string(I)));
    std::string Good = Body({}, Files);
    for (const std::string& Bad : {Good.substr(0, Good.size() - 2) + Int(5), Good + "x"})
        EXPECT_EQ(LoadError(Bad), "File damaded");
}

// Body compressed with its deflate data broken at body offset At (a block of the reserved type
// starts there): the inflater fails there, and drops the window it was filling.
std::string CompressBrokenAt(const std::string& Body, size_t At) {
    z_stream Z{};
    EXPECT_EQ(deflateInit(&Z, 9), Z_OK);
    std::string Out(compressBound(static_cast<uLong>(Body.size())) + 64, '\0');
    Z.next_out = reinterpret_cast<Bytef*>(Out.data());
    Z.avail_out = static_cast<uInt>(Out.size());
    Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(Body.data()));
    Z.avail_in = static_cast<uInt>(At);
    deflate(&Z, Z_FULL_FLUSH);
    size_t Break = Z.total_out;
    Z.avail_in = static_cast<uInt>(Body.size() - At);
    EXPECT_EQ(deflate(&Z, Z_FINISH), Z_STREAM_END);
    Out.resize(Z.total_out);
    deflateEnd(&Z);
    Out[Break] = '\xFF';
    return Out;
}

TEST_F(CatalogFile, DamageBeforeBrokenCompressionIsWhatEveryLoadReports) {
    // The compression breaks in the inflater's second window (the body from 256 KiB on is
    // lost). A record damaged before that is what a reading from start to end meets first, and
    // every load reports it, whatever the threads do: also when it lies in a folder large enough
    // for a helper whose bytes run into the broken window, and when it claims to reach beyond its
    // small folder into the broken window. Where nothing is damaged before, the broken
    // compression is what is reported, also when a long string runs into it.
    const size_t Window = 256 << 10;
    auto Lead = [](size_t Count, const char* Stem) {
        std::vector<std::string> Files;
        for (size_t I = 0; I < Count; ++I)
            Files.push_back(File(Stem + std::to_string(100000 + I)));
        return Files;
    };
    const size_t FileBytes = Lead(1, "lead").front().size();
    std::string Bad = Record(ciFileItem, Named("bad") + Basic({7})); // names a keyword not there
    std::string Reaching = File("reach");
    Reaching[2] = static_cast<char>(Reaching[2] + 1); // 64 KiB longer than it is
    struct Case {
        std::string Child; // holds the damage, after about Before bytes of files
        size_t Before;
        const char* Message = "File damaded";
    };
    std::string Comment(200 << 10, 'c');
    for (const Case& C :
         {Case{Folder("F",
                      [&] {
                          std::vector<std::string> Files{Bad};
                          for (const std::string& F : Lead((100 << 10) / FileBytes, "in"))
                              Files.push_back(F);
                          return Files;
                      }()),
               200 << 10},
          Case{Folder("G", {File("g"), Reaching}), Window - (4 << 10)},
          Case{Record(ciFileItem, Named("long", Comment) + Basic() + FileFields("long", 1)),
               Window - (100 << 10), "File is not a catalog file or damaded"}}) {
        std::vector<std::string> Children = Lead(C.Before / FileBytes, "lead");
        Children.push_back(C.Child);
        for (const std::string& F : Lead((300 << 10) / FileBytes, "tail"))
            Children.push_back(F);
        std::string B = Body({}, Children);
        size_t At = B.find(C.Child);
        ASSERT_LT(At, Window);
        std::string Z = CompressBrokenAt(B, std::max(At + C.Child.size(), Window) + 1000);
        for (int Run = 0; Run < 8; ++Run)
            EXPECT_EQ(FileError(Z), C.Message) << "run " << Run << " at " << At;
    }
}

TEST_F(CatalogFile, DeepCatalogsLoadAndSaveOnASmallStack) {
    // As under `ulimit -s 512`: the caller's stack holds far fewer levels than the file has. Read
    // here, and entered for thousands of levels with the rest handed to a helper deep down.
    std::string Deep = NestedBody(4096);
    for (auto [Min, Max] : {std::pair<size_t, size_t>{0, 0}, {64, 4096}}) {
        PartBytes Sizes(Min, Max);
        std::string Saved, Error;
        RunOnStackOf(512 << 10, [&] {
            Error = ErrorOf([&] {
                LoadBody(Deep);
                Saved = SaveBody();
            });
        });
        EXPECT_EQ(Error, "(no error)");
        EXPECT_TRUE(Saved == Deep);
        if (Min) {
            EXPECT_GT(LastLoadParts, 0);
        }
        Cat->Clear(); // frees the chain without recursion
    }
}

// The levels of the chain of first children below Item.
int ChainDepth(TBasicItem* Item) {
    int Depth = 0;
    for (; Item->Children() && Item->Children()->Count(); Item = Item->Children()->At(0))
        ++Depth;
    return Depth;
}

TEST_F(CatalogFile, WithoutThreadsDeepCatalogsAreRefusedWithTheReason) {
    // As under a low `ulimit -u`: no thread can be started. A catalog 65,535 levels deep that
    // the program saved itself is neither saved nor loaded, and the message says why; nothing is
    // lost. A catalog of every day loads and saves on the one thread there is.
    if (RunTestUnprivileged({&Dir})) return;
    const std::string Deep = Dir / "deep.qlmk", Other = Dir / "other.qlmk";
    LoadBody(NestedBody(65535));
    Cat->SetCatFile(Deep);
    Cat->SaveToFile();
    WriteFile(Other, "previous");
    ScopedLimit Threads(RLIMIT_NPROC, 1);
    ASSERT_THROW(std::thread([] {}).join(), std::system_error) << "the limit does not hold";
    Cat->SetCatFile(Other);
    CatalogModified = true;
    EXPECT_EQ(ErrorOf([&] { Cat->SaveToFile(); }),
              "No thread could be started to save the catalog");
    EXPECT_EQ(ReadFile(Other), "previous");
    EXPECT_TRUE(CatalogModified);
    EXPECT_EQ(ChainDepth(Cat.get()), 65535);
    Cat->Clear();
    Cat->SetCatFile(Deep);
    CatalogModified = false;
    EXPECT_EQ(ErrorOf([&] { Cat->LoadFromFile(); }),
              "No thread could be started to load the catalog");
    EXPECT_EQ(Cat->Children()->Count(), 0);
    EXPECT_FALSE(CatalogModified);

    // Several compression blocks, inflater windows and folders for helpers, all on this thread.
    BuildSyntheticCatalog(*Cat.get(), 30000, 3);
    Cat->SetCatFile(Other);
    Cat->SaveToFile();
    const std::string Expected = Listing(Cat.get());
    Cat->Clear();
    Cat->SetCatFile(Other);
    Cat->LoadFromFile();
    EXPECT_TRUE(Listing(Cat.get()) == Expected);
    EXPECT_EQ(LastLoadParts, 0);
}

// A catalog file whose root's note is NoteBytes long, compressed as it is made: the process
// never holds more than a piece of it.
void WriteNoteCatalog(const std::string& FileName, size_t NoteBytes) {
    std::string Head = "QLM 1000" + ClassTable() + Items({}) + Named("Root") + "\x0C" +
                       Raw32(static_cast<uint32_t>(NoteBytes));
    std::string Tail = Str("") + Int(-1) + "\x08" + Int(0) + Int(0) + Int(0);
    const std::string Piece(1 << 20, 'n');
    z_stream Z{};
    ASSERT_EQ(deflateInit(&Z, 1), Z_OK);
    std::string Out;
    auto Feed = [&](std::string_view In, int Flush) {
        Z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(In.data()));
        Z.avail_in = static_cast<uInt>(In.size());
        do {
            char Buf[1 << 16];
            Z.next_out = reinterpret_cast<Bytef*>(Buf);
            Z.avail_out = sizeof Buf;
            deflate(&Z, Flush);
            Out.append(Buf, sizeof Buf - Z.avail_out);
        } while (Z.avail_out == 0 || Z.avail_in > 0);
    };
    Feed(Head, Z_NO_FLUSH);
    for (size_t Done = 0; Done < NoteBytes; Done += Piece.size())
        Feed(std::string_view(Piece).substr(0, std::min(Piece.size(), NoteBytes - Done)),
             Z_NO_FLUSH);
    Feed(Tail, Z_FINISH);
    deflateEnd(&Z);
    WriteFile(FileName, Out);
}

TEST_F(CatalogFile, WithoutMemoryLoadsAndSavesSaySoAndLoseNothing) {
    // As under a low `ulimit -v`: loading a catalog whose note takes 60 MiB, or one 65,535
    // levels deep (whose reading needs the stacks of helper threads), and saving a catalog with
    // that note fail with a message that says memory is missing; the catalog, its change mark
    // and the files on disk stay as they were.
    if (SanitizedBuild) GTEST_SKIP() << "run on the release build";
    if (RunTestInOwnProcess()) return;
    const std::string Deep = Dir / "deep.qlmk", Big = Dir / "big.qlmk", Other = Dir / "other.qlmk";
    const size_t Note = 60 << 20, Headroom = 32 << 20;
    LoadBody(NestedBody(65535));
    Cat->SetCatFile(Deep);
    Cat->SaveToFile();
    WriteNoteCatalog(Big, Note);
    std::string Error;
    for (const std::string& File : {Big, Deep}) {
        Cat->Clear();
        Cat->SetCatFile(File);
        CatalogModified = false;
        {
            ScopedLimit Memory(RLIMIT_AS, MappedBytes() + Headroom);
            Error = ErrorOf([&] { Cat->LoadFromFile(); });
        }
        EXPECT_EQ(Error, "Not enough memory to load the catalog") << File;
        EXPECT_EQ(Cat->Children()->Count(), 0);
        EXPECT_TRUE(Cat->Note().empty());
        EXPECT_FALSE(CatalogModified);
    }

    Cat->SetNote(std::string(Note, 'n'));
    WriteFile(Other, "previous");
    Cat->SetCatFile(Other);
    CatalogModified = true;
    {
        ScopedLimit Memory(RLIMIT_AS, MappedBytes() + Headroom);
        Error = ErrorOf([&] { Cat->SaveToFile(); });
    }
    EXPECT_EQ(Error, "Not enough memory to save the catalog");
    EXPECT_EQ(ReadFile(Other), "previous");
    EXPECT_TRUE(CatalogModified);
    EXPECT_EQ(Cat->Note().size(), Note);

    // With the memory back, both load.
    Cat->Clear();
    Cat->SetCatFile(Deep);
    Cat->LoadFromFile();
    EXPECT_EQ(ChainDepth(Cat.get()), 65535);
    Cat->Clear();
    Cat->SetCatFile(Big);
    Cat->LoadFromFile();
    EXPECT_EQ(Cat->Note().size(), Note);
}

// ---- what the file holds -----------------------------------------------------------------------

TEST_F(CatalogFile, ClassTableOrderIsTheSameInEveryLocale) {
    std::string Expected = ClassTable();
    LoadBody(Body({}, {Folder("v", {File("x")})}));
    std::string Saved = SaveBody();
    // A collation that orders these names differently from ASCII must change nothing.
    SetCollationLocale("haw_US");
    EXPECT_TRUE(ClassTable() == Expected);
    EXPECT_TRUE(SaveBody() == Saved);
    LoadBody(Saved);
    EXPECT_TRUE(SaveBody() == Saved);
    SetCollationLocale("en_US");
    LoadBody(Saved);
    ASSERT_EQ(Cat->Children()->Count(), 1);
    EXPECT_EQ(Cat->Children()->At(0)->Children()->Count(), 1);
}

TEST_F(CatalogFile, SizesInTheIntegerFormAreUnsigned) {
    std::string Fields =
        Named("big") + Basic() + Str("big") + Date(44000.25) + Int(-1294967296) + Int(32);
    LoadBody(Body({}, {Record(ciFileItem, Fields)}));
    auto* F = static_cast<TFileItem*>(Cat->Children()->At(0));
    EXPECT_EQ(F->FileInfo().Size, 3000000000u);
}

// ---- saving keeps what the user has ------------------------------------------------------------

TEST_F(CatalogFile, ReadOnlyCatalogFilesAreNotOverwritten) {
    TempDir Dir;
    std::string Name = Dir / "cat.qlmk";
    AddFile(Cat.get(), "a");
    Cat->SetCatFile(Name);
    Cat->SaveToFile();
    std::string Old = ReadFile(Name);
    ASSERT_EQ(::chmod(Name.c_str(), 0444), 0);
    AddFile(Cat.get(), "b");
    std::string Error = ErrorOf([&] { Cat->SaveToFile(); });
    EXPECT_NE(Error.find("Cannot create file"), std::string::npos) << Error;
    EXPECT_NE(Error.find("Permission denied"), std::string::npos) << Error;
    EXPECT_TRUE(CatalogModified);
    EXPECT_TRUE(ReadFile(Name) == Old);
}

TEST_F(CatalogFile, SavingKeepsOwnerGroupAndMode) {
    TempDir Dir;
    std::string Name = Dir / "cat.qlmk";
    WriteFile(Name, "previous");
    ASSERT_EQ(::chmod(Name.c_str(), 0640), 0);
    bool Root = ::geteuid() == 0;
    // Root saving another user's file leaves it theirs.
    if (Root) {
        ASSERT_EQ(::chown(Name.c_str(), 65534, 65534), 0);
    }
    AddFile(Cat.get(), "a");
    Cat->SetCatFile(Name);
    Cat->SaveToFile();
    struct stat St;
    ASSERT_EQ(::stat(Name.c_str(), &St), 0);
    EXPECT_EQ(St.st_mode & 07777, 0640u);
    EXPECT_EQ(St.st_uid, Root ? 65534u : ::geteuid());
    if (Root) {
        EXPECT_EQ(St.st_gid, 65534u);
    }
}

TEST_F(CatalogFile, SavingThroughBrokenLinksFailsAndKeepsTheLink) {
    TempDir Dir;
    AddFile(Cat.get(), "a");
    ASSERT_EQ(::symlink((Dir / "nowhere/cat.qlmk").c_str(), (Dir / "dangling.qlmk").c_str()), 0);
    ASSERT_EQ(::symlink("loop.qlmk", (Dir / "loop.qlmk").c_str()), 0);
    for (const char* Link : {"dangling.qlmk", "loop.qlmk"}) {
        Cat->SetCatFile(Dir / Link);
        std::string Error = ErrorOf([&] { Cat->SaveToFile(); });
        EXPECT_NE(Error.find("Cannot create file"), std::string::npos) << Link << ": " << Error;
        struct stat St;
        ASSERT_EQ(::lstat((Dir / Link).c_str(), &St), 0);
        EXPECT_TRUE(S_ISLNK(St.st_mode)) << Link;
    }
    EXPECT_TRUE(CatalogModified);
}

TEST_F(CatalogFile, LeftoversOfKilledSavesGoWithTheNextSave) {
    TempDir Dir;
    std::string Name = Dir / "cat.qlmk";
    std::string Prefix = TemporaryPrefixFor(Name);
    // A save killed half-way: its process is gone (no process has a pid above the kernel's
    // maximum). Another catalog's leftover, a live process's file and a link stay.
    std::string Dead = Dir / (Prefix + "99999999-0badf00d.tmp");
    std::string Live = Dir / (Prefix + std::to_string(::getppid()) + "-00000001.tmp");
    std::string Other = Dir / (TemporaryPrefixFor(Dir / "other.qlmk") + "99999999-1.tmp");
    WriteFile(Dead, "half");
    WriteFile(Live, "busy");
    WriteFile(Other, "other");
    ASSERT_EQ(::symlink(Name.c_str(), (Dir / (Prefix + "99999999-2.tmp")).c_str()), 0);
    AddFile(Cat.get(), "a");
    Cat->SetCatFile(Name);
    Cat->SaveToFile();
    EXPECT_NE(::access(Dead.c_str(), F_OK), 0);
    EXPECT_EQ(::access(Live.c_str(), F_OK), 0);
    EXPECT_EQ(::access(Other.c_str(), F_OK), 0);
    struct stat St;
    EXPECT_EQ(::lstat((Dir / (Prefix + "99999999-2.tmp")).c_str(), &St), 0);
}

// ---- the type table and collections ------------------------------------------------------------

TEST(TypeTable, RowsKeepTheirImagesAndItemsBelongToOneRow) {
    TestCatalog Cat;
    TTypeItems* Types = Cat->Types();
    TFileItem* A = AddFile(Cat.get(), "a.txt");
    Types->AddItem(A);
    TTypeItem* Txt = A->TypeRow();
    Txt->SetImageIndex(17); // found by the type thread
    TFileItem* B = AddFile(Cat.get(), "b.txt");
    Types->AddItem(B);
    EXPECT_EQ(Txt->ImageIndex(), 17);
    EXPECT_EQ(B->GetImageIndex(), 17);
    // Joining another row leaves the old one, whoever asks for it.
    TFileItem* C = AddFile(Cat.get(), "c.doc");
    Types->AddItem(C);
    TTypeItem* Doc = C->TypeRow();
    Doc->AddClient(A);
    EXPECT_EQ(A->TypeRow(), Doc);
    EXPECT_FALSE(Txt->Clients().Contains(A));
    EXPECT_EQ(Txt->Clients().Count(), 1);
}

TEST(Collections, ItemsMovedByHandAreStillFoundByName) {
    TestCatalog Cat;
    for (const char* N : {"a", "b", "c", "d", "e"})
        AddFile(Cat.get(), N);
    TBasicItems* C = Cat->Children();
    ASSERT_EQ(C->IndexOfName("e"), 4);
    C->At(4)->SetIndex(0); // e, a, b, c, d
    C->Exchange(1, 3);     // e, c, b, a, d
    for (const char* N : {"a", "b", "c", "d", "e"}) {
        int I = C->IndexOfName(N);
        ASSERT_GE(I, 0) << N;
        EXPECT_EQ(C->At(I)->Name(), N);
    }
}

} // namespace
