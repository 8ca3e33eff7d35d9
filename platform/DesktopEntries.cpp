#include "DesktopEntries.h"

#include "DesktopEntriesCache.h"
#include "Exceptions.h"
#include "Process.h"
#include "Streams.h"

#include <QByteArray>
#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string TrimBlanks(const std::string& S) {
    size_t B = 0, E = S.size();
    while (B < E && (S[B] == ' ' || S[B] == '\t'))
        ++B;
    while (E > B && (S[E - 1] == ' ' || S[E - 1] == '\t'))
        --E;
    return S.substr(B, E - B);
}

std::vector<std::string> SplitPaths(const char* Value, std::vector<std::string> Default) {
    if (!Value || !*Value) return Default;
    std::vector<std::string> Result;
    const std::string S = Value;
    size_t From = 0;
    while (From <= S.size()) {
        size_t To = S.find(':', From);
        if (To == std::string::npos) To = S.size();
        // Desktops ignore relative folders in these lists; so do we.
        if (To > From && S[From] == '/') Result.push_back(S.substr(From, To - From));
        From = To + 1;
    }
    return Result.empty() ? Default : Result;
}

std::string HomeFolder() {
    const char* H = std::getenv("HOME");
    return H && *H ? H : "/";
}

// The user's language as locale suffixes of keys, most specific first ("de_DE", "de").
std::vector<std::string> LocaleSuffixes() {
    const char* L = nullptr;
    for (const char* Name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if ((L = std::getenv(Name)) && *L) break;
    std::vector<std::string> Result;
    if (!L || !*L) return Result;
    std::string Locale = L;
    Locale = Locale.substr(0, Locale.find_first_of(".@"));
    if (Locale.empty() || Locale == "C" || Locale == "POSIX") return Result;
    Result.push_back(Locale);
    if (size_t U = Locale.find('_'); U != std::string::npos) Result.push_back(Locale.substr(0, U));
    return Result;
}

} // namespace

// ---- key files ---------------------------------------------------------------------------------

void TKeyFile::Parse(const std::string& Text) {
    FGroups.clear();
    TGroup* Current = nullptr;
    size_t From = 0;
    while (From < Text.size()) {
        size_t To = Text.find('\n', From);
        if (To == std::string::npos) To = Text.size();
        std::string Line = Text.substr(From, To - From);
        From = To + 1;
        if (!Line.empty() && Line.back() == '\r') Line.pop_back();
        Line = TrimBlanks(Line);
        if (Line.empty() || Line[0] == '#') continue;
        if (Line[0] == '[') {
            const size_t Close = Line.find(']');
            // The first group of a name counts; a second one of the same name is passed over.
            Current = nullptr;
            if (Close == std::string::npos) continue;
            const std::string Name = Line.substr(1, Close - 1);
            if (!FGroups.count(Name)) Current = &FGroups[Name];
            continue;
        }
        const size_t Eq = Line.find('=');
        if (!Current || Eq == std::string::npos || Eq == 0) continue;
        const std::string Key = TrimBlanks(Line.substr(0, Eq));
        if (Key.empty() || Current->Values.count(Key)) continue;
        Current->Order.push_back(Key);
        Current->Values[Key] = TrimBlanks(Line.substr(Eq + 1));
    }
}

bool TKeyFile::Load(const std::string& FileName) {
    // A regular file of a sensible size only: a folder, a FIFO, a device or a larger file counts
    // as unreadable and is never waited on.
    std::string Text;
    try {
        Text = ReadFileBytes(FileName, DesktopFileMaxBytes);
    } catch (const Exception&) {
        FGroups.clear();
        return false;
    }
    Parse(Text);
    return true;
}

std::string TKeyFile::Value(const std::string& Group, const std::string& Key) const {
    auto G = FGroups.find(Group);
    if (G == FGroups.end()) return {};
    auto V = G->second.Values.find(Key);
    return V == G->second.Values.end() ? std::string() : V->second;
}

bool TKeyFile::Has(const std::string& Group, const std::string& Key) const {
    auto G = FGroups.find(Group);
    return G != FGroups.end() && G->second.Values.count(Key) > 0;
}

std::vector<std::string> TKeyFile::Keys(const std::string& Group) const {
    auto G = FGroups.find(Group);
    return G == FGroups.end() ? std::vector<std::string>() : G->second.Order;
}

std::string UnescapeValue(const std::string& Value) {
    std::string R;
    R.reserve(Value.size());
    for (size_t I = 0; I < Value.size(); ++I) {
        if (Value[I] != '\\' || I + 1 == Value.size()) {
            R += Value[I];
            continue;
        }
        switch (Value[++I]) {
        case 's': R += ' '; break;
        case 'n': R += '\n'; break;
        case 't': R += '\t'; break;
        case 'r': R += '\r'; break;
        case '\\': R += '\\'; break;
        // Any other escape (";" in lists, the quoting of Exec) is left for the next reader.
        default:
            R += '\\';
            R += Value[I];
            break;
        }
    }
    return R;
}

std::vector<std::string> SplitList(const std::string& Value) {
    std::vector<std::string> Result;
    size_t From = 0;
    while (From <= Value.size()) {
        size_t To = Value.find(';', From);
        if (To == std::string::npos) To = Value.size();
        std::string Entry = TrimBlanks(Value.substr(From, To - From));
        if (!Entry.empty()) Result.push_back(std::move(Entry));
        From = To + 1;
    }
    return Result;
}

// ---- command lines -----------------------------------------------------------------------------

namespace {

// One argument of a command line, and which of its characters stood inside double quotes.
struct TExecWord {
    std::string Text;
    std::vector<bool> Quoted;
};

bool SplitExecWords(const std::string& Exec, std::vector<TExecWord>& Words) {
    Words.clear();
    TExecWord Current;
    bool InArg = false;
    auto Add = [&](char C, bool Quoted) {
        Current.Text += C;
        Current.Quoted.push_back(Quoted);
    };
    for (size_t I = 0; I < Exec.size(); ++I) {
        const char C = Exec[I];
        if (C == ' ' || C == '\t' || C == '\n') {
            if (InArg) Words.push_back(std::move(Current));
            Current = {};
            InArg = false;
        } else if (C == '"') {
            InArg = true;
            for (++I;; ++I) {
                if (I >= Exec.size()) return false;
                if (Exec[I] == '"') break;
                if (Exec[I] == '\\' && I + 1 < Exec.size() &&
                    std::string_view("\"`$\\").find(Exec[I + 1]) != std::string_view::npos)
                    ++I;
                Add(Exec[I], true);
            }
        } else {
            InArg = true;
            Add(C, false);
        }
    }
    if (InArg) Words.push_back(std::move(Current));
    return !Words.empty();
}

bool IsFileCode(char Code) {
    return Code == 'f' || Code == 'F' || Code == 'u' || Code == 'U';
}

// Calls Found(position of the '%', code letter) for each field code of A ("%%" is none).
template <class F>
void ForEachFieldCode(const std::string& A, F Found) {
    for (size_t I = 0; I + 1 < A.size(); ++I)
        if (A[I] == '%') {
            if (A[I + 1] != '%') Found(I, A[I + 1]);
            ++I;
        }
}

bool HasFileCode(const TExecWord& W) {
    bool Has = false;
    ForEachFieldCode(W.Text, [&](size_t, char Code) { Has = Has || IsFileCode(Code); });
    return Has;
}

// Shells whose option -c takes a command string as their first operand.
bool IsShell(const std::string& Program) {
    const size_t Slash = Program.rfind('/');
    const std::string_view Name = std::string_view(Program).substr(Slash + 1);
    for (const char* S : {"sh", "bash", "dash", "zsh", "ksh", "ksh93", "mksh", "pdksh", "ash",
                          "yash", "posh", "rbash", "fish", "csh", "tcsh"})
        if (Name == S) return true;
    return false;
}

// Whether a file's name would become code that a program reads: pasted into a quoted argument
// along with other text (the Desktop Entry rules forbid field codes there, and that is where
// sh -c "cat %f" puts the name into a shell's command string), or standing in the command string
// of a shell's -c anywhere in the line (sh -c %f, xterm -e bash -c %f). Such an entry is not
// offered at all: quoting the name for the shell instead would have to know how each program
// reads its arguments, and a wrong guess runs the name.
bool NameBecomesCode(const std::vector<TExecWord>& Words) {
    for (const TExecWord& W : Words) {
        bool Pasted = false;
        ForEachFieldCode(W.Text, [&](size_t At, char Code) {
            // A quoted argument that is the field code alone ("%f") is the name, exactly.
            if (IsFileCode(Code) && W.Quoted[At] && W.Text.size() != 2) Pasted = true;
        });
        if (Pasted) return true;
    }
    for (size_t K = 0; K < Words.size(); ++K) {
        if (!IsShell(Words[K].Text)) continue;
        bool Command = false;
        size_t J = K + 1;
        for (; J < Words.size(); ++J) {
            const std::string& A = Words[J].Text;
            if (A == "--") {
                ++J;
                break;
            }
            if (A.size() < 2 || (A[0] != '-' && A[0] != '+')) break;
            if (A[0] == '-' && A[1] != '-' && A.find('c') != std::string::npos) Command = true;
            // Options that take the next argument as their value.
            if (A == "-o" || A == "+o" || A == "-O" || A == "+O" || A == "--rcfile" ||
                A == "--init-file")
                ++J;
        }
        if (Command && J < Words.size() && HasFileCode(Words[J])) return true;
    }
    return false;
}

} // namespace

bool SplitExec(const std::string& Exec, std::vector<std::string>& Args) {
    std::vector<TExecWord> Words;
    const bool Ok = SplitExecWords(Exec, Words);
    Args.clear();
    for (TExecWord& W : Words)
        Args.push_back(std::move(W.Text));
    return Ok;
}

bool ExecArguments(const std::string& Exec, const std::string& FileName,
                   std::vector<std::string>& Args) {
    std::vector<TExecWord> Split;
    Args.clear();
    if (!SplitExecWords(Exec, Split) || NameBecomesCode(Split)) return false;
    const std::string Name = !FileName.empty() && FileName[0] == '-' ? "./" + FileName : FileName;
    bool NameUsed = false;
    for (size_t N = 0; N < Split.size(); ++N) {
        const std::string& A = Split[N].Text;
        std::string Out;
        bool HadCode = false;
        for (size_t I = 0; I < A.size(); ++I) {
            if (A[I] != '%' || I + 1 == A.size()) {
                Out += A[I];
                continue;
            }
            const char Code = A[++I];
            HadCode = true;
            switch (Code) {
            case '%': Out += '%'; break;
            case 'f':
            case 'F':
            case 'u':
            case 'U':
                // The program is never taken from a field code.
                if (N == 0) return false;
                Out += Name;
                NameUsed = true;
                break;
            default: break; // %i, %c, %k, the deprecated codes and unknown ones
            }
        }
        // An argument that was only dropped codes goes with them.
        if (HadCode && Out.empty()) continue;
        Args.push_back(std::move(Out));
    }
    if (Args.empty() || Args[0].empty()) return false;
    if (!NameUsed) Args.push_back(Name);
    return true;
}

// ---- desktop entries ---------------------------------------------------------------------------

bool ReadDesktopEntry(const std::string& FileName, TDesktopApp& App, bool& NoDisplay) {
    static const std::string G = "Desktop Entry";
    const std::shared_ptr<const TKeyFile> Keys = DesktopCache().KeyFile(FileName);
    if (!Keys) return false;
    const TKeyFile& F = *Keys;
    if (F.Value(G, "Type") != "Application" || F.Value(G, "Hidden") == "true") return false;
    App = {};
    App.FileName = FileName;
    for (const std::string& Suffix : LocaleSuffixes())
        if (F.Has(G, "Name[" + Suffix + "]")) {
            App.Name = UnescapeValue(F.Value(G, "Name[" + Suffix + "]"));
            break;
        }
    if (App.Name.empty()) App.Name = UnescapeValue(F.Value(G, "Name"));
    App.Exec = UnescapeValue(F.Value(G, "Exec"));
    NoDisplay = F.Value(G, "NoDisplay") == "true";
    if (App.Name.empty() || App.Exec.empty()) return false;
    if (F.Has(G, "TryExec") && FindProgram(UnescapeValue(F.Value(G, "TryExec"))).empty())
        return false;
    std::vector<std::string> Args;
    return ExecArguments(App.Exec, "/", Args) && !FindProgram(Args[0]).empty();
}

TXdgFolders XdgFoldersFromEnvironment() {
    TXdgFolders F;
    const std::string Home = HomeFolder();
    const char* ConfigHome = std::getenv("XDG_CONFIG_HOME");
    F.ConfigHome = ConfigHome && *ConfigHome == '/' ? ConfigHome : Home + "/.config";
    F.ConfigDirs = SplitPaths(std::getenv("XDG_CONFIG_DIRS"), {"/etc/xdg"});
    const char* DataHome = std::getenv("XDG_DATA_HOME");
    F.DataHome = DataHome && *DataHome == '/' ? DataHome : Home + "/.local/share";
    F.DataDirs = SplitPaths(std::getenv("XDG_DATA_DIRS"), {"/usr/local/share", "/usr/share"});
    // "GNOME:Unity" names the desktop-specific association files "gnome-mimeapps.list", ...
    if (const char* D = std::getenv("XDG_CURRENT_DESKTOP")) {
        std::string S = D;
        for (char& C : S) {
            if (C == ':') C = ';';
            if (C >= 'A' && C <= 'Z') C = static_cast<char>(C + 32);
        }
        F.Desktops = SplitList(S);
    }
    return F;
}

namespace {

// Finds and reads the desktop entries of desktop file IDs in the applications folders; the
// first file of an ID in the most important folder decides, also when it is no valid entry.
class TEntryLookup {
public:
    explicit TEntryLookup(const std::vector<std::string>& AppFolders) {
        for (const std::string& Folder : AppFolders)
            FFolders.push_back(DesktopCache().DesktopIds(Folder));
    }

    // The entry of Id when it is valid and may be shown.
    const TDesktopApp* Find(const std::string& Id) {
        // Association files may name many applications that are not installed: those cost a
        // look into each folder's list and nothing more.
        if (std::none_of(FFolders.begin(), FFolders.end(),
                         [&](const auto& Ids) { return Ids->count(Id) > 0; }))
            return nullptr;
        auto [It, New] = FCache.try_emplace(Id);
        if (New) It->second = Resolve(Id);
        return It->second.Id.empty() ? nullptr : &It->second;
    }

private:
    TDesktopApp Resolve(const std::string& Id) const {
        TDesktopApp App;
        for (const auto& Ids : FFolders) {
            auto It = Ids->find(Id);
            if (It == Ids->end()) continue;
            bool NoDisplay = false;
            if (!ReadDesktopEntry(It->second, App, NoDisplay) || NoDisplay) return {};
            App.Id = Id;
            return App;
        }
        return App;
    }

    std::vector<std::shared_ptr<const TDesktopIds>> FFolders;
    std::map<std::string, TDesktopApp> FCache;
};

// The association files of one folder, in the order they count.
struct TAssociationFolder {
    // The desktops' mimeapps.list files, then the common one.
    std::vector<std::shared_ptr<const TKeyFile>> Lists;
    std::shared_ptr<const TKeyFile> Cache; // mimeinfo.cache (data folders only)

    std::string CacheValue(const std::string& Type) const {
        return Cache ? Cache->Value("MIME Cache", Type) : std::string();
    }
};

std::vector<TAssociationFolder> LoadAssociations(const TXdgFolders& F) {
    std::vector<TAssociationFolder> Result;
    auto AddFolder = [&](const std::string& Folder, bool WithCache) {
        TAssociationFolder A;
        std::vector<std::string> Names;
        for (const std::string& D : F.Desktops)
            Names.push_back(D + "-mimeapps.list");
        Names.push_back("mimeapps.list");
        for (const std::string& Name : Names)
            if (auto K = DesktopCache().KeyFile(Folder + "/" + Name)) A.Lists.push_back(K);
        if (WithCache) A.Cache = DesktopCache().KeyFile(Folder + "/mimeinfo.cache");
        Result.push_back(std::move(A));
    };
    AddFolder(F.ConfigHome, false);
    for (const std::string& D : F.ConfigDirs)
        AddFolder(D, false);
    AddFolder(F.DataHome + "/applications", true);
    for (const std::string& D : F.DataDirs)
        AddFolder(D + "/applications", true);
    return Result;
}

} // namespace

std::vector<TDesktopApp> ApplicationsForMimeTypes(const std::vector<std::string>& MimeTypes,
                                                  const TXdgFolders& Folders) {
    std::vector<std::string> AppFolders{Folders.DataHome + "/applications"};
    for (const std::string& D : Folders.DataDirs)
        AppFolders.push_back(D + "/applications");
    TEntryLookup Lookup(AppFolders);
    const std::vector<TAssociationFolder> Associations = LoadAssociations(Folders);

    std::vector<TDesktopApp> Result;
    std::set<std::string> Listed;
    auto Add = [&](const std::string& Id) {
        if (Listed.count(Id)) return;
        if (const TDesktopApp* App = Lookup.Find(Id)) {
            Listed.insert(Id);
            Result.push_back(*App);
        }
    };
    for (const std::string& Type : MimeTypes) {
        for (const TAssociationFolder& A : Associations)
            for (const auto& L : A.Lists)
                for (const std::string& Id : SplitList(L->Value("Default Applications", Type)))
                    Add(Id);
        // A removal holds for the folder it is written in and every less important one.
        std::set<std::string> Removed;
        for (const TAssociationFolder& A : Associations) {
            for (const auto& L : A.Lists) {
                for (const std::string& Id : SplitList(L->Value("Added Associations", Type)))
                    if (!Removed.count(Id)) Add(Id);
                for (const std::string& Id : SplitList(L->Value("Removed Associations", Type)))
                    Removed.insert(Id);
            }
            for (const std::string& Id : SplitList(A.CacheValue(Type)))
                if (!Removed.count(Id)) Add(Id);
        }
    }
    return Result;
}

// ---- MIME types of files -----------------------------------------------------------------------

std::vector<std::string> MimeTypesOfFile(const std::string& Path) {
    static const QMimeDatabase Db; // read-only; safe to share between threads
    const int Fd = ::open(Path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (Fd < 0) return {};
    struct stat St {};
    QMimeType Type;
    const size_t Slash = Path.rfind('/');
    const std::string Base = Slash == std::string::npos ? Path : Path.substr(Slash + 1);
    const QString Name = QString::fromUtf8(Base.data(), static_cast<qsizetype>(Base.size()));
    if (::fstat(Fd, &St) != 0) {
        ::close(Fd);
        return {};
    }
    if (S_ISDIR(St.st_mode)) {
        Type = Db.mimeTypeForName(QStringLiteral("inode/directory"));
    } else if (S_ISREG(St.st_mode)) {
        // The first bytes decide where the name does not (or is misleading).
        QByteArray Head(16384, Qt::Uninitialized);
        ssize_t N = ::read(Fd, Head.data(), static_cast<size_t>(Head.size()));
        Head.resize(N > 0 ? N : 0);
        Type = Db.mimeTypeForFileNameAndData(Name, Head);
    } else {
        Type = Db.mimeTypeForFile(Name, QMimeDatabase::MatchExtension);
    }
    ::close(Fd);
    std::vector<std::string> Result;
    if (!Type.isValid()) return Result;
    Result.push_back(Type.name().toStdString());
    for (const QString& A : Type.allAncestors())
        Result.push_back(A.toStdString());
    return Result;
}
