#include "IniFiles.h"

#include "Exceptions.h"
#include "Format.h"
#include "Streams.h"
#include "SysUtils.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

std::string UserConfigFolder() {
    const char* Xdg = std::getenv("XDG_CONFIG_HOME");
    if (Xdg && Xdg[0] == '/') return IncludeTrailingPathDelimiter(Xdg);
    const char* Home = std::getenv("HOME");
    std::string H = Home && *Home ? Home : "";
    if (H.empty()) {
        if (const passwd* Pw = ::getpwuid(::getuid()); Pw && Pw->pw_dir) H = Pw->pw_dir;
    }
    if (H.empty()) H = "/tmp";
    return IncludeTrailingPathDelimiter(H) + ".config/";
}

std::string ResolveConfigFileName(const std::string& FileName) {
    if (!FileName.empty() && FileName[0] == '/') return FileName;
    return UserConfigFolder() + FileName;
}

// ---- TCustomIniFile --------------------------------------------------------------------------

int TCustomIniFile::ReadInteger(const std::string& Section, const std::string& Ident, int Default) {
    std::string S = ReadString(Section, Ident, "");
    return S.empty() ? Default : StrToIntDef(S, Default);
}

void TCustomIniFile::WriteInteger(const std::string& Section, const std::string& Ident, int Value) {
    WriteString(Section, Ident, IntToStr(Value));
}

bool TCustomIniFile::ReadBool(const std::string& Section, const std::string& Ident, bool Default) {
    return ReadInteger(Section, Ident, Default ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(const std::string& Section, const std::string& Ident, bool Value) {
    WriteString(Section, Ident, Value ? "1" : "0");
}

// ---- TIniFile --------------------------------------------------------------------------------

namespace {

bool SameAsciiText(std::string_view A, std::string_view B) {
    if (A.size() != B.size()) return false;
    for (size_t I = 0; I < A.size(); ++I) {
        char X = A[I], Y = B[I];
        if (X >= 'A' && X <= 'Z') X = static_cast<char>(X - 'A' + 'a');
        if (Y >= 'A' && Y <= 'Z') Y = static_cast<char>(Y - 'A' + 'a');
        if (X != Y) return false;
    }
    return true;
}

std::string OneLine(std::string S) {
    for (char& C : S)
        if (C == '\r' || C == '\n') C = ' ';
    return S;
}

// The value part of an "Ident=Value" line as the profile rules read it.
std::string ValueOf(const std::string& Raw) {
    size_t Eq = Raw.find('=');
    std::string V = Trim(std::string_view(Raw).substr(Eq + 1));
    if (V.size() >= 2 && V.front() == V.back() && (V.front() == '"' || V.front() == '\''))
        V = V.substr(1, V.size() - 2);
    return V;
}

} // namespace

TIniFile::TIniFile(const std::string& FileName) : TCustomIniFile(ResolveConfigFileName(FileName)) {
    struct stat St;
    if (::stat(this->FileName().c_str(), &St) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            SetText("");
            return;
        }
        RaiseFileOpenError(this->FileName(), errno);
    }
    if (S_ISREG(St.st_mode) && static_cast<unsigned long long>(St.st_size) > IniFileMaxBytes)
        RaiseFileOpenError(this->FileName(), EFBIG);
    SetText(ReadFileBytes(this->FileName(), IniFileMaxBytes));
}

void TIniFile::SetText(std::string_view Text) {
    FSections.clear();
    FSections.push_back(TSection{});
    size_t P = 0, N = Text.size();
    while (P < N) {
        size_t Start = P;
        while (P < N && Text[P] != '\n' && Text[P] != '\r')
            ++P;
        std::string Raw(Text.substr(Start, P - Start));
        if (P < N && Text[P] == '\r') ++P;
        if (P < N && Text[P] == '\n') ++P;

        std::string T = Trim(Raw);
        if (!T.empty() && T[0] == '[') {
            size_t Close = T.find(']');
            std::string Name = Trim(std::string_view(T).substr(
                1, Close == std::string::npos ? std::string::npos : Close - 1));
            FSections.push_back(TSection{std::move(Name), {}});
            FSections.back().Lines.push_back(TLine{std::move(Raw), {}, false});
            continue;
        }
        TLine L{std::move(Raw), {}, false};
        size_t Eq = L.Raw.find('=');
        if (!T.empty() && T[0] != ';' && Eq != std::string::npos) {
            L.Ident = Trim(std::string_view(L.Raw).substr(0, Eq));
            L.IsValue = true;
        }
        FSections.back().Lines.push_back(std::move(L));
    }
    FModified = false;
}

std::string TIniFile::Text() const {
    std::string R;
    for (const TSection& S : FSections)
        for (const TLine& L : S.Lines) {
            R += L.Raw;
            R += '\n';
        }
    return R;
}

TIniFile::TSection* TIniFile::FindSection(std::string_view Name) {
    // The lines before the first header belong to no section and are never looked up.
    for (size_t I = 1; I < FSections.size(); ++I)
        if (SameAsciiText(FSections[I].Name, Name)) return &FSections[I];
    return nullptr;
}

int TIniFile::FindValue(const TSection& S, std::string_view Ident) const {
    for (size_t I = 0; I < S.Lines.size(); ++I)
        if (S.Lines[I].IsValue && SameAsciiText(S.Lines[I].Ident, Ident))
            return static_cast<int>(I);
    return -1;
}

std::string TIniFile::ReadString(const std::string& Section, const std::string& Ident,
                                 const std::string& Default) {
    TSection* S = FindSection(Trim(Section));
    if (!S) return Default;
    int I = FindValue(*S, Trim(Ident));
    return I < 0 ? Default : ValueOf(S->Lines[I].Raw);
}

bool TIniFile::ValueExists(const std::string& Section, const std::string& Ident) {
    TSection* S = FindSection(Trim(Section));
    return S && FindValue(*S, Trim(Ident)) >= 0;
}

void TIniFile::WriteString(const std::string& Section, const std::string& Ident,
                           const std::string& Value) {
    std::string Sec = Trim(OneLine(Section));
    std::string Id = Trim(OneLine(Ident));
    TLine Line{Id + "=" + OneLine(Value), Id, true};
    TSection* S = FindSection(Sec);
    if (!S) {
        FSections.push_back(TSection{Sec, {}});
        S = &FSections.back();
        S->Lines.push_back(TLine{"[" + Sec + "]", {}, false});
    }
    int I = FindValue(*S, Id);
    if (I >= 0) {
        S->Lines[I] = std::move(Line);
    } else {
        // New values go after the section's last non-blank line, before any blank separator.
        size_t At = S->Lines.size();
        while (At > 1 && Trim(S->Lines[At - 1].Raw).empty())
            --At;
        S->Lines.insert(S->Lines.begin() + static_cast<std::ptrdiff_t>(At), std::move(Line));
    }
    FModified = true;
}

void TIniFile::EraseSection(const std::string& Section) {
    std::string Sec = Trim(Section);
    for (size_t I = FSections.size(); I-- > 1;)
        if (SameAsciiText(FSections[I].Name, Sec)) {
            FSections.erase(FSections.begin() + static_cast<std::ptrdiff_t>(I));
            FModified = true;
        }
}

void TIniFile::DeleteKey(const std::string& Section, const std::string& Ident) {
    TSection* S = FindSection(Trim(Section));
    if (!S) return;
    int I = FindValue(*S, Trim(Ident));
    if (I < 0) return;
    S->Lines.erase(S->Lines.begin() + I);
    FModified = true;
}

void TIniFile::UpdateFile() {
    if (!FModified) return;
    const QString Name = QFile::decodeName(QByteArray::fromStdString(FileName()));
    QDir().mkpath(QFileInfo(Name).absolutePath());
    QSaveFile F(Name);
    if (!F.open(QIODevice::WriteOnly))
        throw EFCreateError(
            Format(SysConsts::SFCreateError, {FileName(), F.errorString().toStdString()}));
    const std::string T = Text();
    if (F.write(T.data(), static_cast<qint64>(T.size())) != static_cast<qint64>(T.size()) ||
        !F.commit())
        throw EWriteError(
            Format(SysConsts::SFCreateError, {FileName(), F.errorString().toStdString()}));
    FModified = false;
}
