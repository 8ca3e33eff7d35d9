#include "CatalogFile.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/InflateStream.h"
#include "core/ItemFormats.h"
#include "core/KeyWords.h"
#include "core/LoadWorkers.h"
#include "core/ProgressWindow.h"
#include "core/TreeItems.h"
#include "platform/Exceptions.h"
#include "platform/SafeSave.h"
#include "platform/StringList.h"
#include "platform/Thread.h"

#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>
#include <unordered_map>
#include <vector>

double LastLoadInflateSeconds = 0, LastLoadWaitSeconds = 0;
int LastLoadParts = 0;

namespace {

const char* const SNotCatalogOrDamaded = "File is not a catalog file or damaded";
const char* const SNotCatalog = "File is not a catalog file";
const char* const SUnknownVersion = "Unknown version";
const char* const SDamaded = "File damaded";
const char* const STooLarge = "Catalog too large to save: %d bytes (at most %d)";
const char* const SLoadNoMemory = "Not enough memory to load the catalog";
const char* const SSaveNoMemory = "Not enough memory to save the catalog";
const char* const SLoadNoThread = "No thread could be started to load the catalog";
const char* const SSaveNoThread = "No thread could be started to save the catalog";

// The message for a load or save that failed with Error for want of memory or of a thread, or
// null when something else failed.
const char* WantMessage(std::exception_ptr Error, bool Saving) {
    try {
        std::rethrow_exception(Error);
    } catch (const std::bad_alloc&) {
        return Saving ? SSaveNoMemory : SLoadNoMemory;
    } catch (const EOutOfMemory&) {
        return Saving ? SSaveNoMemory : SLoadNoMemory;
    } catch (const EThread&) {
        return Saving ? SSaveNoThread : SLoadNoThread;
    } catch (...) {
    }
    return nullptr;
}

// Runs Fn; a failure for want of memory or of a thread is raised again as a catalog error that
// says what was missing, any other passes unchanged.
template <typename F>
void NamingWants(bool Saving, F&& Fn) {
    try {
        Fn();
    } catch (...) {
        if (const char* Message = WantMessage(std::current_exception(), Saving))
            RaiseCatalogError(Message);
        throw;
    }
}

// A class table of a real file has eleven names; a newer writer may add a few. Far more than
// that is a damaged file, and refusing it early keeps the sorted inserts cheap.
constexpr int32_t MaxClassTableEntries = 1024;

// Pauses the type-information thread of a catalog while the guard lives (pauses are counted).
class TTypesPause {
public:
    explicit TTypesPause(TTypeItems* Types) : FTypes(Types) { FTypes->SetPaused(true); }
    ~TTypesPause() { FTypes->SetPaused(false); }
    TTypesPause(const TTypesPause&) = delete;
    TTypesPause& operator=(const TTypesPause&) = delete;

private:
    TTypeItems* FTypes;
};

// The globals of one load or save: the class table exists while the guard lives, and every
// loading global is reset when it ends, whatever way that is.
class TStreamState {
public:
    TStreamState() : FClassNames(std::make_unique<TStringList>()) {
        StreamClassNames = FClassNames.get();
    }
    ~TStreamState() {
        StreamClassNames = nullptr;
        LoadingKeyWords = nullptr;
        LoadingTypes = nullptr;
        LoadingKeyWordList = nullptr;
        SavingKeyWordIndex = nullptr;
        FileVersion = -1;
    }
    TStreamState(const TStreamState&) = delete;
    TStreamState& operator=(const TStreamState&) = delete;

private:
    std::unique_ptr<TStringList> FClassNames;
};

// Closes the animated progress window on every path.
class TAnimationGuard {
public:
    TAnimationGuard(const std::string& Caption, uint8_t Kind, const TAnimationSource& Source) {
        ShowProgressAnimation(Caption, Kind, Source);
    }
    ~TAnimationGuard() { CloseProgressAnimation(); }
    TAnimationGuard(const TAnimationGuard&) = delete;
    TAnimationGuard& operator=(const TAnimationGuard&) = delete;
};

class TInflateEnd {
public:
    explicit TInflateEnd(z_stream& Z) : FZ(Z) {}
    ~TInflateEnd() { inflateEnd(&FZ); }

private:
    z_stream& FZ;
};

// A byte buffer that grows without initialising its new part.
class TMallocBuffer {
public:
    TMallocBuffer() = default;
    ~TMallocBuffer() { std::free(FData); }
    TMallocBuffer(const TMallocBuffer&) = delete;
    TMallocBuffer& operator=(const TMallocBuffer&) = delete;
    uint8_t* Data() const { return FData; }
    size_t Size() const { return FSize; }
    void Resize(size_t N) {
        auto* P = static_cast<uint8_t*>(std::realloc(FData, N));
        if (!P) throw std::bad_alloc();
        FData = P;
        FSize = N;
    }

private:
    uint8_t* FData = nullptr;
    size_t FSize = 0;
};

} // namespace

// ---- compression -------------------------------------------------------------------------------

namespace {

// Large bodies are deflated in blocks on several threads: each block is primed with the 32 KiB
// before it (so matches reach back across the seam as in one pass) and ends on a byte boundary
// with a sync flush; the last one finishes the stream. Joined under one zlib header and one
// Adler-32 they form one RFC 1950 stream at level 9, which any inflater reads as a single
// stream. The bytes depend on the body only, never on the number of threads; a body of one block
// comes out exactly as one compress2 call at level 9 would give it.
constexpr size_t CompressBlockSize = size_t(1) << 20;
constexpr size_t DictionarySize = 32768;
constexpr unsigned MaxCompressThreads = 8;

struct TDeflatedBlock {
    std::unique_ptr<uint8_t[]> Data;
    size_t Size = 0;
    uLong Adler = 0;
    bool Done = false;
    bool NoMemory = false;
};

// Runs on a compression thread: touches only its own block record and reads the body.
void DeflateBlock(const uint8_t* Body, size_t Begin, size_t End, bool Last, TDeflatedBlock& Out) {
    z_stream Z{};
    int Init = deflateInit2(&Z, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    if (Init != Z_OK) {
        Out.NoMemory = Init == Z_MEM_ERROR;
        return;
    }
    size_t Dict = std::min(DictionarySize, Begin);
    if (Dict) deflateSetDictionary(&Z, Body + Begin - Dict, static_cast<uInt>(Dict));
    size_t N = End - Begin;
    // The bound covers the finishing block; the sync flush adds at most an empty stored block.
    size_t Bound = deflateBound(&Z, static_cast<uLong>(N)) + 64;
    // Left uninitialised: only the pages deflate writes are ever touched.
    Out.Data.reset(new (std::nothrow) uint8_t[Bound]);
    Out.NoMemory = !Out.Data;
    if (Out.Data) {
        Z.next_in = const_cast<uint8_t*>(Body + Begin);
        Z.avail_in = static_cast<uInt>(N);
        Z.next_out = Out.Data.get();
        Z.avail_out = static_cast<uInt>(Bound);
        int R = deflate(&Z, Last ? Z_FINISH : Z_SYNC_FLUSH);
        Out.Size = Z.total_out;
        Out.Done = Last ? R == Z_STREAM_END : R == Z_OK && Z.avail_in == 0 && Z.avail_out > 0;
        Out.Adler = adler32(adler32(0, nullptr, 0), Body + Begin, static_cast<uInt>(N));
    }
    deflateEnd(&Z);
}

} // namespace

void CompressStream(TMemoryStream& Stream) {
    const std::vector<uint8_t>& In = Stream.Data();
    const size_t Blocks =
        std::max<size_t>(1, (In.size() + CompressBlockSize - 1) / CompressBlockSize);
    std::vector<TDeflatedBlock> Out(Blocks);
    std::atomic<size_t> Next{0};
    auto Work = [&] {
        for (size_t I; (I = Next.fetch_add(1)) < Blocks;) {
            size_t Begin = I * CompressBlockSize;
            size_t End = std::min(In.size(), Begin + CompressBlockSize);
            DeflateBlock(In.data(), Begin, End, I + 1 == Blocks, Out[I]);
        }
    };
    unsigned Threads =
        std::clamp<unsigned>(std::thread::hardware_concurrency(), 1, MaxCompressThreads);
    std::vector<std::thread> Pool;
    for (unsigned T = 1; T < Threads && T < Blocks; ++T) {
        try {
            Pool.emplace_back(Work);
        } catch (const std::system_error&) {
            break; // fewer threads do the same work
        }
    }
    Work();
    for (std::thread& T : Pool)
        T.join();

    size_t Total = 6;
    for (const TDeflatedBlock& B : Out) {
        if (B.NoMemory) throw std::bad_alloc();
        if (!B.Done) throw EWriteError(SysConsts::SWriteError);
        Total += B.Size;
    }
    std::vector<uint8_t> Result;
    Result.reserve(Total);
    Result.push_back(0x78); // deflate, 32 KiB window
    Result.push_back(0xDA); // level 9; the check bits make the pair a multiple of 31
    uLong Adler = adler32(0, nullptr, 0);
    for (size_t I = 0; I < Blocks; ++I) {
        Result.insert(Result.end(), Out[I].Data.get(), Out[I].Data.get() + Out[I].Size);
        size_t Len =
            std::min(In.size() - std::min(In.size(), I * CompressBlockSize), CompressBlockSize);
        Adler = adler32_combine(Adler, Out[I].Adler, static_cast<z_off_t>(Len));
        Out[I].Data.reset();
    }
    for (int Shift = 24; Shift >= 0; Shift -= 8)
        Result.push_back(static_cast<uint8_t>(Adler >> Shift));
    Stream.Data().swap(Result);
    Stream.SetPosition(0);
}

void DecompressStream(TMemoryStream& Stream, uint64_t MaxSize) {
    const std::vector<uint8_t>& In = Stream.Data();
    // One byte beyond the cap is room enough to tell that a body is too large.
    const size_t Limit = MaxSize >= SIZE_MAX ? SIZE_MAX : static_cast<size_t>(MaxSize) + 1;
    z_stream Z{};
    if (inflateInit(&Z) != Z_OK) RaiseCatalogError(SNotCatalogOrDamaded);
    TInflateEnd End(Z);
    // The output grows by realloc, which moves large blocks by remapping pages and leaves them
    // untouched until inflate writes them; catalog bodies compress about fourfold or better.
    TMallocBuffer Out;
    size_t InPos = 0, OutPos = 0;
    Out.Resize(std::min(Limit, std::max<size_t>(size_t(1) << 16, In.size() * 4)));
    for (;;) {
        if (OutPos == Out.Size()) {
            if (Out.Size() >= Limit) RaiseCatalogError(SNotCatalogOrDamaded);
            Out.Resize(Out.Size() > Limit / 2 ? Limit : Out.Size() * 2);
        }
        Z.next_in = const_cast<uint8_t*>(In.data()) + InPos;
        Z.avail_in = static_cast<uInt>(std::min<size_t>(In.size() - InPos, UINT_MAX));
        Z.next_out = Out.Data() + OutPos;
        Z.avail_out = static_cast<uInt>(std::min<size_t>(Out.Size() - OutPos, UINT_MAX));
        uInt InBefore = Z.avail_in, OutBefore = Z.avail_out;
        int R = inflate(&Z, Z_NO_FLUSH);
        InPos += InBefore - Z.avail_in;
        OutPos += OutBefore - Z.avail_out;
        if (R == Z_STREAM_END) break;
        // Z_OK: progress was made. Anything else (damaged data, a preset dictionary, input that
        // ends before the stream does, no memory) is not a catalog file.
        if (R != Z_OK) RaiseCatalogError(SNotCatalogOrDamaded);
    }
    // Nothing may follow the zlib stream.
    if (OutPos >= Limit || InPos != In.size()) RaiseCatalogError(SNotCatalogOrDamaded);
    Stream.Data().assign(Out.Data(), Out.Data() + OutPos);
    Stream.SetPosition(0);
}

// ---- signature, class table, trailer ---------------------------------------------------------

void CheckSignature(std::string_view Signature) {
    Signature = Signature.substr(0, SignatureLength);
    if (Signature == "QLM 1.01") {
        FileVersion = 101;
        return;
    }
    FileVersion = -1;
    if (Signature.size() == static_cast<size_t>(SignatureLength)) {
        std::string_view Digits = Signature.substr(SignaturePrefix.size());
        if (!Digits.empty() && std::all_of(Digits.begin(), Digits.end(),
                                           [](char C) { return C >= '0' && C <= '9'; })) {
            FileVersion = 0;
            for (char C : Digits)
                FileVersion = FileVersion * 10 + (C - '0');
        }
    }
    if (Signature.substr(0, SignaturePrefix.size()) != SignaturePrefix || FileVersion == -1)
        RaiseCatalogError(SNotCatalog);
    if (FileVersion > SignatureVersion + 10) RaiseCatalogError(SUnknownVersion);
}

namespace {

// The class table's order: case-insensitive over ASCII letters only, the same on every system
// and in every locale (a table sorted by the user's collation would give other class indices
// elsewhere, and a catalog saved there would be read wrong).
int ClassNameOrder(std::string_view A, std::string_view B) {
    size_t N = std::min(A.size(), B.size());
    for (size_t I = 0; I < N; ++I) {
        unsigned char X = static_cast<unsigned char>(A[I]), Y = static_cast<unsigned char>(B[I]);
        if (X >= 'a' && X <= 'z') X = static_cast<unsigned char>(X - 32);
        if (Y >= 'a' && Y <= 'z') Y = static_cast<unsigned char>(Y - 32);
        if (X != Y) return X < Y ? -1 : 1;
    }
    return A.size() == B.size() ? 0 : A.size() < B.size() ? -1 : 1;
}

// Enters Name in the table in that order; a name already there (in any letter case) keeps its
// first entry.
void AddClassName(TStringList& L, std::string Name, intptr_t RegistryIndex) {
    int Lo = 0, Hi = L.Count();
    while (Lo < Hi) {
        int Mid = (Lo + Hi) / 2;
        int C = ClassNameOrder(L[Mid], Name);
        if (C == 0) return;
        if (C < 0)
            Lo = Mid + 1;
        else
            Hi = Mid;
    }
    L.Insert(Lo, std::move(Name), reinterpret_cast<void*>(RegistryIndex));
}

void PrepareClassNames(TStringList& L) {
    L.Clear();
    L.SetSorted(false);
}

} // namespace

void WriteClassTable(TWriter& Writer) {
    TStringList Local;
    TStringList& L = StreamClassNames ? *StreamClassNames : Local;
    PrepareClassNames(L);
    TItemFormatsList& Formats = ItemFormats();
    for (int I = 0; I < Formats.Count(); ++I)
        AddClassName(L, Formats.GetClass(I)->Name, I);
    Writer.WriteInteger(L.Count());
    for (int I = 0; I < L.Count(); ++I)
        Writer.WriteString(L[I]);
}

void ReadClassTable(TReader& Reader) {
    if (!StreamClassNames) throw EReadError(SysConsts::SReadError);
    TStringList& L = *StreamClassNames;
    PrepareClassNames(L);
    int32_t N = Reader.ReadInteger();
    // Each entry takes at least a tag and a length byte.
    if (N < 0 || N > MaxClassTableEntries || N > Reader.Remaining() / 2)
        throw EReadError(SysConsts::SReadError);
    for (int32_t I = 0; I < N; ++I) {
        std::string Name = Reader.ReadString();
        intptr_t R = ItemFormats().IndexOfClassName(Name);
        AddClassName(L, std::move(Name), R);
    }
}

void WriteTrailer(TWriter& Writer) {
    Writer.WriteInteger(0);
}

void ReadTrailer(TReader& Reader) {
    if (FileVersion == 101) return;
    // The trailer is Integer 0; anything else is a body this reader does not understand.
    if (Reader.ReadInteger() != 0) throw EReadError(SysConsts::SReadError);
}

// ---- the body ----------------------------------------------------------------------------------

void SaveCatalogBody(TCatFileItem& Root, TMemoryStream& Body) {
    TStreamState State;
    Body.Clear();
    std::unordered_map<const TKeyWordItem*, int> KeyIndex;
    {
        TCatalogWriter Writer(Body, 1024);
        Writer.Write(CatalogSignature.data(), CatalogSignature.size());
        WriteClassTable(Writer);
        TKeyWordItems* Keys = Root.KeyWords();
        Keys->WriteItems(Writer);
        // Items name their keywords by position in the records just written. The positions are
        // taken once, here, so that nothing that reorders the collection later can retarget them.
        KeyIndex.reserve(static_cast<size_t>(Keys->Count()));
        for (int I = 0; I < Keys->Count(); ++I)
            KeyIndex.emplace(Keys->At(I), I);
        SavingKeyWordIndex = &KeyIndex;
        Root.SaveToWriter(Writer);
        WriteTrailer(Writer);
        Writer.FlushBuffer();
    }
    if (static_cast<uint64_t>(Body.Size()) > MaxCatalogBodySize)
        RaiseCatalogErrorFmt(STooLarge, {Body.Size(), static_cast<int64_t>(MaxCatalogBodySize)});
    Body.SetPosition(0);
}

namespace {

// What a load that failed with Error says: damaged compression, a lack of memory or of a
// thread, or damage in the body.
const char* LoadFailure(std::exception_ptr Error) {
    if (const char* Want = WantMessage(Error, false)) return Want;
    try {
        std::rethrow_exception(Error);
    } catch (const EInflateError&) {
        return SNotCatalogOrDamaded;
    } catch (...) {
    }
    return SDamaded;
}

// Reads a body from Body (positioned at its start) into Root, which the caller has cleared.
// The signature errors and decompression errors pass unchanged; every other failure raises
// "File damaded" and leaves Root cleared (its name, file name and CatalogModified as they were).
void ReadCatalogBody(TCatFileItem& Root, TStream& Body) {
    TTypesPause Pause(Root.Types());
    TStreamState State;
    char Signature[8];
    size_t Got = Body.Read(Signature, sizeof Signature);
    CheckSignature(std::string_view(Signature, Got));
    const bool WasModified = CatalogModified;
    const PackedString OldName = Root.PackedName();
    auto Reset = [&] {
        LoadingKeyWordList = nullptr;
        LoadingKeyWords = nullptr;
        LoadingTypes = nullptr;
    };
    // Large folder records are read by helpers while this thread reads on (core/LoadWorkers.h).
    // Declared out here: on a failure they are stopped before anything is cleared.
    std::optional<TLoadWorkers> Workers;
    std::vector<TKeyWordItem*> KeyList;
    try {
        {
            // A reader buffer of 64 KiB: most strings are then read where they lie.
            TCatalogReader Reader(Body, 64 << 10);
            ReadClassTable(Reader);
            TKeyWordItems* Keys = Root.KeyWords();
            Keys->ReadItems(Reader);
            // Keyword indices of items are positions in the records as they were read; this
            // copy of that order stays fixed whatever sorts the collection meanwhile.
            KeyList.reserve(static_cast<size_t>(Keys->Count()));
            for (int I = 0; I < Keys->Count(); ++I)
                KeyList.push_back(Keys->At(I));
            LoadingKeyWordList = &KeyList;
            LoadingKeyWords = Keys;
            LoadingTypes = Root.Types();
            Workers.emplace(*Root.Types());
            Root.LoadFromReader(Reader);
            Workers->Finish();
            LastLoadParts = Workers->PartsHandedOff();
            Workers.reset();
            Reset();
            ReadTrailer(Reader);
            // The body ends with the trailer: a longer one (a current body behind an old
            // signature, for one) is not what it claims to be.
            if (!Reader.AtEnd()) throw EReadError(SysConsts::SReadError);
        }
    } catch (...) {
        std::exception_ptr Error = std::current_exception();
        // Parts handed off lie earlier in the file than whatever failed here: the first of them
        // that failed is what a reading from start to end would have met first.
        if (Workers)
            if (std::exception_ptr First = Workers->Stop(true)) Error = First;
        Workers.reset();
        Reset();
        // No half-read catalog is left behind for the user to save over the good file.
        std::string FileName = Root.CatFile();
        Root.Clear();
        Root.SetNameField(OldName);
        Root.SetCatFile(FileName);
        CatalogModified = WasModified;
        RaiseCatalogError(LoadFailure(Error));
    }
    CatalogModified = false;
}

} // namespace

void LoadCatalogBody(TCatFileItem& Root, TMemoryStream& Body) {
    Body.SetPosition(0);
    ReadCatalogBody(Root, Body);
}

void LoadCatalogData(TCatFileItem& Root, TMemoryStream& Data, uint64_t MaxBodySize) {
    TTypesPause Pause(Root.Types());
    FileVersion = -1;
    Data.SetPosition(0);
    TInflateStream Body(Data, MaxBodySize);
    ReadCatalogBody(Root, Body);
}

// ---- TCatFileItem ------------------------------------------------------------------------------

void TCatFileItem::SaveToFile() {
    if (FCatFile.empty()) return;
    TAnimationGuard Animation("Saving ...", 4, std::string("SAVEAVI"));
    TTypesPause Pause(Types());
    // The catalog and the file on disk stay as they were on every failure.
    NamingWants(true, [&] {
        TMemoryStream Stream;
        SaveCatalogBody(*this, Stream);
        CompressStream(Stream);
        ReplaceFileContents(FCatFile, Stream.View());
    });
    CatalogModified = false;
}

void TCatFileItem::LoadFromFile() {
    if (FCatFile.empty()) return;
    TAnimationGuard Animation("Loading ...", 1, 1);
    TTypesPause Pause(Types());
    FileVersion = -1;
    // The file is read in steps while it is inflated and parsed: its first bytes decide whether
    // it is a catalog at all, and neither the file nor its body is ever held whole.
    TFileStream File(FCatFile, fmOpenRead);
    NamingWants(false, [&] {
        TInflateStream Body(File, MaxCatalogBodySize);
        try {
            ReadCatalogBody(*this, Body);
        } catch (const EReadError&) {
            RaiseCatalogError(SNotCatalogOrDamaded); // the file could not be read halfway
        }
        LastLoadInflateSeconds = Body.InflateSeconds();
        LastLoadWaitSeconds = Body.WaitSeconds();
    });
}
