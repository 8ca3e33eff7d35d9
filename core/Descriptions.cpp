#include "Descriptions.h"

#include "core/CatalogGlobals.h"
#include "platform/CodePages.h"
#include "platform/Exceptions.h"
#include "platform/Format.h"
#include "platform/Streams.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"

#include <algorithm>
#include <filesystem>
#include <set>
#include <utility>
#include <vector>

const uint8_t Koi8Table[128] = {
    0xC4, 0xB3, 0xDA, 0xBF, 0xC0, 0xD9, 0xC3, 0xB4, 0xC2, 0xC1, 0xC5, 0xDF, 0xDC, 0xDB, 0xDD, 0xDE,
    0xB0, 0xB1, 0xB2, 0xF4, 0xFE, 0xF9, 0xFB, 0xF7, 0xF3, 0xF2, 0xFF, 0xF5, 0xF8, 0xFD, 0xFA, 0xF6,
    0xCD, 0xBA, 0xD5, 0xF1, 0xD6, 0xC9, 0xB8, 0xB7, 0xBB, 0xD4, 0xD3, 0xC8, 0xBE, 0xBD, 0xBC, 0xC6,
    0xC7, 0xCC, 0xB5, 0xF0, 0xB6, 0xB9, 0xD1, 0xD2, 0xCB, 0xCF, 0xD0, 0xCA, 0xD8, 0xD7, 0xCE, 0xFC,
    0xEE, 0xA0, 0xA1, 0xE6, 0xA4, 0xA5, 0xE4, 0xA3, 0xE5, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xAD, 0xAE,
    0xAF, 0xEF, 0xE0, 0xE1, 0xE2, 0xE3, 0xA6, 0xA2, 0xEC, 0xEB, 0xA7, 0xE8, 0xED, 0xE9, 0xE7, 0xEA,
    0x9E, 0x80, 0x81, 0x96, 0x84, 0x85, 0x94, 0x83, 0x95, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0x8D, 0x8E,
    0x8F, 0x9F, 0x90, 0x91, 0x92, 0x93, 0x86, 0x82, 0x9C, 0x9B, 0x87, 0x98, 0x9D, 0x99, 0x97, 0x9A,
};

namespace {

// Continuation lines are joined to their line with this marker, which becomes a line break once
// the name is split off (a CR LF could not survive the comma-text split).
constexpr std::string_view Joiner = "\x01\x01\x01";

constexpr std::string_view Utf8Bom = "\xEF\xBB\xBF";

// ---- files -------------------------------------------------------------------------------------

// The entries of Dir whose names equal one of Names apart from letter case, per name in the
// order of Names, each group in byte order of the entry names. A folder that cannot be listed
// has none.
std::vector<std::vector<std::string>> MatchFolderEntries(const std::string& Dir,
                                                         const TStringList& Names) {
    std::vector<std::vector<std::string>> Matches(Names.Count());
    if (Names.IsEmpty()) return Matches;
    std::error_code Ec;
    std::filesystem::directory_iterator It(Dir, Ec), End;
    for (; !Ec && It != End; It.increment(Ec)) {
        std::string Entry = It->path().filename().native();
        for (int I = 0; I < Names.Count(); ++I) {
            const std::string& Name = Names[I];
            // A letter changes its UTF-8 length at most threefold with its case; the cheap test
            // keeps the collator away from the many entries that cannot match.
            if (Name.empty() || Entry.size() < Name.size() / 3 || Entry.size() > Name.size() * 3)
                continue;
            if (AnsiSameText(Entry, Name)) Matches[I].push_back(Entry);
        }
    }
    for (auto& M : Matches)
        std::sort(M.begin(), M.end());
    return Matches;
}

// The bytes of a regular file of at most MaxBytes; false when it cannot be read or is larger.
bool LoadWholeFile(const std::string& FileName, size_t MaxBytes, std::string& Bytes) {
    try {
        Bytes = ReadFileBytes(FileName, MaxBytes);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The first MaxBytes of a regular file; false when it cannot be opened or read.
bool LoadFileHead(const std::string& FileName, size_t MaxBytes, std::string& Bytes) {
    try {
        TFileStream F(FileName, fmOpenRead);
        int64_t Size = F.Size();
        if (Size < 0) return false;
        Bytes.resize(static_cast<size_t>(std::min<int64_t>(Size, static_cast<int64_t>(MaxBytes))));
        Bytes.resize(F.Read(Bytes.data(), Bytes.size()));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// The text of a description file in the program's code page: a file marked as UTF-8 by its byte
// order mark is taken as it is (without the mark), any other is converted from the OEM code page
// when ConvertOEMtoAnsi asks for it.
std::string DescriptionFileText(std::string Bytes) {
    if (std::string_view(Bytes).substr(0, Utf8Bom.size()) == Utf8Bom)
        return Bytes.substr(Utf8Bom.size());
    if (ConvertOEMtoAnsi) return OemToAnsiStr(Bytes);
    return Bytes;
}

// ---- description lines -------------------------------------------------------------------------

bool IsCommaBlank(char C) {
    return C != 0 && static_cast<unsigned char>(C) <= ' ';
}

// The first item of Line read as comma text (the rules of TStringList::SetCommaText) and where
// its text begins: just behind the closing quote of a quoted name, one character behind the end
// of an unquoted one. False when the line holds no item.
bool SplitDescriptionLine(std::string_view Line, std::string& Name, size_t& TextStart) {
    size_t N = std::min(Line.size(), Line.find('\0'));
    size_t P = 0;
    while (P < N && IsCommaBlank(Line[P]))
        ++P;
    if (P >= N) return false;
    Name.clear();
    if (Line[P] == '"') {
        ++P;
        while (P < N) {
            if (Line[P] == '"') {
                if (P + 1 < N && Line[P + 1] == '"') {
                    Name += '"';
                    P += 2;
                    continue;
                }
                ++P;
                break;
            }
            Name += Line[P++];
        }
        TextStart = P;
    } else {
        size_t Start = P;
        while (P<N&& static_cast<unsigned char>(Line[P])> ' ' && Line[P] != ',')
            ++P;
        Name.assign(Line.substr(Start, P - Start));
        TextStart = std::min(P + 1, Line.size());
    }
    return true;
}

std::string ReplaceJoiners(std::string_view S) {
    std::string R;
    R.reserve(S.size());
    size_t P = 0;
    for (;;) {
        size_t J = S.find(Joiner, P);
        if (J == std::string_view::npos) break;
        R.append(S.substr(P, J - P));
        R += "\r\n";
        P = J + Joiner.size();
    }
    R.append(S.substr(P));
    return R;
}

// ---- image headers -----------------------------------------------------------------------------

unsigned U16LE(std::string_view H, size_t At) {
    return static_cast<unsigned char>(H[At]) | static_cast<unsigned char>(H[At + 1]) << 8;
}
uint32_t U32LE(std::string_view H, size_t At) {
    return U16LE(H, At) | static_cast<uint32_t>(U16LE(H, At + 2)) << 16;
}
uint32_t U32BE(std::string_view H, size_t At) {
    uint32_t V = 0;
    for (size_t I = 0; I < 4; ++I)
        V = V << 8 | static_cast<unsigned char>(H[At + I]);
    return V;
}

// Opens an image file, tests its signature and reads up to Count bytes from its start into Head
// (fewer when the file is shorter). False when the file cannot be read or the signature differs.
bool ReadImageHeader(const std::string& Path, std::string_view Signature, size_t Count,
                     std::string& Head) {
    try {
        TFileStream F(Path, fmOpenRead);
        if (!ReadStreamHeader(F, 0, Signature)) return false;
        Head.resize(Count);
        F.SetPosition(0);
        Head.resize(F.Read(Head.data(), Count));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::string ImageText(long long Width, long long Height, int Bits, const char* Kind) {
    return Format("%dx%dx%s %s", {Width, Height, ColorCountStr(Bits), Kind});
}

bool IsListedExt(std::string_view List, std::string_view Ext) {
    if (Ext.empty()) return false;
    size_t P = 0;
    for (;;) {
        size_t Comma = List.find(',', P);
        if (List.substr(P, Comma - P) == Ext) return true;
        if (Comma == std::string_view::npos) return false;
        P = Comma + 1;
    }
}

} // namespace

// ---- description lists -------------------------------------------------------------------------

bool TDescriptionList::TNameLess::operator()(std::string_view A, std::string_view B) const {
    return AnsiCompareText(A, B) < 0;
}

bool TDescriptionList::Add(std::string Name, std::unique_ptr<TDescription> Description) {
    auto [First, Last] = FItems.equal_range(Name);
    for (auto It = First; It != Last; ++It)
        if (It->first == Name) return false;
    FItems.emplace_hint(Last, std::move(Name), std::move(Description));
    return true;
}

const TDescription* TDescriptionList::Find(std::string_view Name) const {
    auto [First, Last] = FItems.equal_range(Name);
    for (auto It = First; It != Last; ++It)
        if (It->first == Name) return It->second.get();
    return First != Last ? First->second.get() : nullptr;
}

std::unique_ptr<TDescriptionList> LoadDescriptionFiles(const std::string& Dir) {
    try {
        auto Result = std::make_unique<TDescriptionList>();
        if (!FileDescription) return Result;
        std::string Folder = IncludeTrailingPathDelimiter(Dir);
        TStringList Names(ActiveFileDescriptionFiles);
        std::set<std::string> Read;
        for (const auto& Files : MatchFolderEntries(Folder, Names)) {
            for (const std::string& File : Files) {
                // A name listed twice in the option must not read its file twice.
                if (!Read.insert(File).second) continue;
                std::string Bytes;
                if (!LoadWholeFile(Folder + File, MaxDescriptionListBytes, Bytes)) continue;
                TStringList Lines;
                Lines.SetText(DescriptionFileText(std::move(Bytes)));
                ParseDescriptionList(Lines, *Result);
            }
        }
        return Result;
    } catch (const std::exception&) {
        return nullptr;
    }
}

void ParseDescriptionList(TStringList& Lines, TDescriptionList& Result) {
    // The passes run over vectors rather than deleting from the list line by line, which would
    // cost quadratic time on a large file full of blank or continuation lines.

    // 1. Text behind a Ctrl-D (4DOS keeps extra data there) and trailing blanks go; empty lines
    // go.
    std::vector<std::string> Cut;
    Cut.reserve(Lines.Count());
    for (const auto& Line : Lines) {
        std::string_view S = Line.Str;
        S = S.substr(0, S.find('\x04'));
        std::string T = TrimRight(S);
        if (!T.empty()) Cut.push_back(std::move(T));
    }

    // 2. A line that begins with a blank or a tab continues the line before it; continuations
    // before the first real line have nothing to continue and are lost.
    std::vector<std::string> Joined;
    Joined.reserve(Cut.size());
    for (std::string& S : Cut) {
        if (S[0] == ' ' || S[0] == '\t') {
            if (!Joined.empty()) {
                Joined.back() += Joiner;
                Joined.back() += TrimLeft(S);
            }
            continue;
        }
        Joined.push_back(std::move(S));
    }

    // 3. The first comma-text item is the name (quotes removed), the rest of the line its
    // description, with continuation lines as separate lines of the text.
    struct TEntry {
        std::string Line;
        std::unique_ptr<TDescription> Description;
    };
    std::vector<TEntry> Entries;
    Entries.reserve(Joined.size());
    for (std::string& S : Joined) {
        std::string Name;
        size_t TextStart;
        if (!SplitDescriptionLine(S, Name, TextStart)) {
            Entries.push_back({std::move(S), nullptr});
            continue;
        }
        std::string Text = Trim(ReplaceJoiners(std::string_view(S).substr(TextStart)));
        // No file has an empty name, so a line that starts with a comma describes nothing.
        if (Text.empty() || Name.empty()) continue;
        auto D = std::make_unique<TDescription>();
        D->Text = std::move(Text);
        Entries.push_back({std::move(Name), std::move(D)});
    }

    // 4. In file order, so that the first description of a name stays.
    Lines.Clear();
    for (TEntry& E : Entries) {
        Lines.Add(E.Line);
        if (E.Description) Result.Add(std::move(E.Line), std::move(E.Description));
    }
}

void FreeDescriptionList(std::unique_ptr<TDescriptionList>& List) {
    List.reset();
}

bool FindListDescription(const TDescriptionList* List, std::string_view Name,
                         std::string& CommentText, std::string& NoteText) {
    if (!FileDescription || !List) return false;
    const TDescription* D = List->Find(Name);
    if (!D || D->Text.empty()) return false;
    if (DescriptionMode == 0)
        CommentText = D->Text;
    else if (DescriptionMode == 1)
        NoteText = D->Text;
    return true;
}

bool LoadFolderDescription(const std::string& Path, std::string& NoteText) {
    if (!FolderDescription) return false;
    try {
        std::string Folder = IncludeTrailingPathDelimiter(Path);
        TStringList Names(ActiveFolderDescriptionFiles);
        std::string Bytes;
        bool Loaded = false;
        // Every name that has a file replaces the text of the names before it.
        for (const auto& Files : MatchFolderEntries(Folder, Names)) {
            for (const std::string& File : Files) {
                std::string B;
                if (!LoadWholeFile(Folder + File, MaxFolderDescriptionBytes, B)) continue;
                Bytes = std::move(B);
                Loaded = true;
                break;
            }
        }
        if (!Loaded) return false;
        std::string Text = DescriptionFileText(std::move(Bytes));
        if (Text.empty()) return false;
        NoteText = std::move(Text);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

// ---- files that describe themselves ------------------------------------------------------------

bool ReadFileDescription(const std::string& Path, std::string& CommentText, std::string& NoteText) {
    std::string Ext = UpperCase(ExtractFileExt(Path));
    if (IsListedExt(".HTM,.HTML,.SHTML,.DHTML", Ext))
        return ReadHtmlDescription(Path, CommentText, NoteText);
    return ReadImageDescription(Ext, Path, CommentText);
}

bool ReadHtmlDescription(const std::string& Path, std::string& CommentText, std::string& NoteText) {
    if (!HTMLDescription) return false;
    try {
        std::string Text;
        if (!LoadFileHead(Path, MaxHtmlBytes, Text)) return false;
        // Positions found in the upper-case copy are positions in the text: both have one byte
        // per byte.
        const std::string U = UpperCase(Text);
        std::string Title, Description;
        bool HasTitle = false, HasDescription = false;

        size_t T1 = U.find("<TITLE>");
        size_t T2 = U.find("</TITLE>");
        if (T1 != std::string::npos && T2 != std::string::npos && T2 > T1 + 7) {
            Title = Text.substr(T1 + 7, T2 - T1 - 7);
            HasTitle = true;
        }

        constexpr std::string_view MetaDescription = "<META NAME=\"DESCRIPTION\" CONTENT=\"";
        size_t D = U.find(MetaDescription);
        if (D != std::string::npos) {
            std::string_view Rest = std::string_view(Text).substr(D + MetaDescription.size());
            size_t Quote = Rest.find("\">");
            if (Quote != std::string_view::npos) Description.assign(Rest.substr(0, Quote));
            HasDescription = true;
        }

        bool Koi8 =
            U.find("<META HTTP-EQUIV=\"CONTENT-TYPE\" CONTENT=\"TEXT/HTML; "
                   "CHARSET=KOI-8\">") != std::string::npos ||
            (ConvertKOI8 && U.find("<META HTTP-EQUIV=\"CONTENT-TYPE\"") == std::string::npos);
        if (Koi8) {
            Title = OemToAnsiHighChars(Title);
            Description = OemToAnsiHighChars(Description);
        }
        if (HasTitle) CommentText = std::move(Title);
        if (HasDescription) NoteText = std::move(Description);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool ReadImageDescription(std::string_view Ext, const std::string& Path, std::string& CommentText) {
    static constexpr struct {
        std::string_view Exts;
        bool (*Reader)(const std::string&, std::string&);
    } Readers[] = {{".BMP,.DIB", ReadBmpSize},
                   {".PCX", ReadPcxSize},
                   {".GIF", ReadGifSize},
                   {".TGA", ReadTgaSize},
                   {".PNG", ReadPngSize}};
    std::string E = UpperCase(Ext);
    for (const auto& R : Readers)
        if (IsListedExt(R.Exts, E)) return R.Reader(Path, CommentText);
    return false;
}

bool ReadBmpSize(const std::string& Path, std::string& CommentText) {
    if (!GraphicDescription) return false;
    std::string H;
    if (!ReadImageHeader(Path, "BM", 30, H) || H.size() < 18) return GraphicDescription;
    long long Width, Height;
    unsigned Bits;
    if (U32LE(H, 14) == 12) {
        // OS/2 1.x bitmaps have a 12-byte header of 16-bit fields.
        if (H.size() < 26) return GraphicDescription;
        Width = U16LE(H, 18);
        Height = U16LE(H, 20);
        Bits = U16LE(H, 24);
    } else {
        if (H.size() < 30) return GraphicDescription;
        Width = static_cast<int32_t>(U32LE(H, 18));
        // A negative height marks a bitmap stored top-down.
        Height = static_cast<int32_t>(U32LE(H, 22));
        if (Height < 0) Height = -Height;
        Bits = U16LE(H, 28);
        if (Width < 0) return GraphicDescription;
    }
    CommentText = ImageText(Width, Height, static_cast<int>(Bits), "bmp");
    return GraphicDescription;
}

bool ReadPcxSize(const std::string& Path, std::string& CommentText) {
    if (!GraphicDescription) return false;
    std::string H;
    if (!ReadImageHeader(Path, "\x0A", 66, H) || H.size() < 12) return GraphicDescription;
    unsigned XMin = U16LE(H, 4), YMin = U16LE(H, 6), XMax = U16LE(H, 8), YMax = U16LE(H, 10);
    if (XMax < XMin || YMax < YMin) return GraphicDescription;
    int Bits = static_cast<unsigned char>(H[3]);
    // A 24-bit PCX stores three planes of 8 bits; its depth is the bits of all planes.
    if (H.size() >= 66) {
        int Planes = static_cast<unsigned char>(H[65]);
        if (Planes >= 1 && Planes <= 4) Bits *= Planes;
    }
    CommentText = ImageText(XMax - XMin + 1, YMax - YMin + 1, Bits, "pcx");
    return GraphicDescription;
}

bool ReadGifSize(const std::string& Path, std::string& CommentText) {
    if (!GraphicDescription) return false;
    std::string H;
    if (!ReadImageHeader(Path, "GIF8", 11, H) || H.size() < 11) return GraphicDescription;
    int Bits = (static_cast<unsigned char>(H[10]) & 7) + 1;
    CommentText = ImageText(U16LE(H, 6), U16LE(H, 8), Bits, "gif");
    return GraphicDescription;
}

bool ReadTgaSize(const std::string& Path, std::string& CommentText) {
    if (!GraphicDescription) return false;
    std::string H;
    if (!ReadImageHeader(Path, std::string_view("\0", 1), 17, H) || H.size() < 17)
        return GraphicDescription;
    CommentText = ImageText(U16LE(H, 12), U16LE(H, 14), static_cast<unsigned char>(H[16]), "tga");
    return GraphicDescription;
}

bool ReadPngSize(const std::string& Path, std::string& CommentText) {
    if (!GraphicDescription) return false;
    std::string H;
    if (!ReadImageHeader(Path, "\x89PNG\r\n\x1A\n", 26, H) || H.size() < 26 ||
        H.compare(12, 4, "IHDR") != 0)
        return GraphicDescription;
    // The depth of all channels of a pixel; a palette image has one channel, its index, so
    // 8-bit RGB reads 24, 4- and 8-bit palettes read 4 and 8.
    int Channels;
    switch (static_cast<unsigned char>(H[25])) {
    case 0: Channels = 1; break; // grey
    case 2: Channels = 3; break; // RGB
    case 3: Channels = 1; break; // palette index
    case 4: Channels = 2; break; // grey and alpha
    case 6: Channels = 4; break; // RGB and alpha
    default: return GraphicDescription;
    }
    int Bits = static_cast<unsigned char>(H[24]) * Channels;
    CommentText = ImageText(U32BE(H, 16), U32BE(H, 20), Bits, "png");
    return GraphicDescription;
}

bool ReadStreamHeader(TStream& Stream, int64_t Offset, std::string_view Template) {
    if (Stream.Seek(Offset, soFromBeginning) != Offset) return false;
    std::string Buf(Template.size(), '\0');
    return Stream.Read(Buf.data(), Buf.size()) == Buf.size() && Buf == Template;
}

std::string ColorCountStr(int Bits) {
    if (Bits >= 0 && Bits <= 8) return IntToStr(1LL << Bits);
    return IntToStr(Bits) + "b";
}

// ---- code pages --------------------------------------------------------------------------------

std::string OemToAnsiStr(std::string_view S) {
    std::string Out;
    if (!CodePageToUtf8(OemCodePage(), S.substr(0, S.find('\0')), Out)) return {};
    return Out;
}

std::string OemToAnsiHighChars(std::string_view S) {
    std::string Dos(S.substr(0, S.find('\0')));
    for (char& C : Dos) {
        auto B = static_cast<unsigned char>(C);
        if (B >= 128) C = static_cast<char>(Koi8Table[B - 128]);
    }
    std::string Out;
    if (!CodePageToUtf8(CP_DOS866, Dos, Out)) return {};
    return Out;
}
