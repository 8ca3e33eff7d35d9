#include "PIDLWork.h"

#include "core/CatalogItems.h"
#include "platform/IconFile.h"
#include "platform/SysUtils.h"
#include "platform/SystemImageList.h"

#include <QFileInfo>
#include <QUrl>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

std::function<bool(const QUrl& Url)> OpenUrlProc;

namespace {

[[noreturn]] void RaiseSystemError(const std::string& Path, int Error) {
    RaiseCatalogError(Format("%s: %s", {Path, std::strerror(Error)}));
}

// The name after the last separator of either kind (catalogs may hold paths made on Windows).
std::string_view LastName(std::string_view Path) {
    size_t At = Path.find_last_of("/\\");
    return At == std::string_view::npos ? Path : Path.substr(At + 1);
}

} // namespace

PItemIDList TShellFolder::ParseDisplayName(const std::string& Name) const {
    if (Name.empty()) RaiseSystemError(Name, ENOENT);
    std::string Full = Name[0] == '/' ? Name : IncludeTrailingPathDelimiter(FPath) + Name;
    char Buffer[PATH_MAX];
    if (!::realpath(Full.c_str(), Buffer)) RaiseSystemError(Name, errno);
    return std::make_unique<TItemIDList>(TItemIDList{Buffer});
}

std::unique_ptr<TShellFolder> TShellFolder::BindToObject(const TItemIDList& Id) const {
    struct stat St;
    if (::stat(Id.Path.c_str(), &St) != 0) RaiseSystemError(Id.Path, errno);
    if (!S_ISDIR(St.st_mode)) RaiseSystemError(Id.Path, ENOTDIR);
    return std::make_unique<TShellFolder>(Id.Path);
}

const TShellFolder& DesktopFolder() {
    static const TShellFolder Desktop("/");
    return Desktop;
}

PItemIDList PathToPIDL(const std::string& Path, const TShellFolder* Folder) {
    return (Folder ? *Folder : DesktopFolder()).ParseDisplayName(Path);
}

std::unique_ptr<TShellFolder> BindToShellFolder(const std::string& Path) {
    PItemIDList Id = PathToPIDL(Path);
    return DesktopFolder().BindToObject(*Id);
}

void FreePIDL(PItemIDList& Id) {
    Id.reset();
}

bool IsSelfIconedExtension(std::string_view Ext) {
    std::string E = UpperCase(Ext);
    return E == ".EXE" || E == ".PIF" || E == ".LNK" || E == ".ICO" || E == ".ICON" ||
           E == ".CUR" || E == ".ANI";
}

int GetSelfIconIndex(const std::string& Path, bool) {
    std::string Ext = ExtractFileExt(LastName(Path));
    if (!IsSelfIconedExtension(Ext)) return -1;
    Ext = UpperCase(Ext);
    if (Ext != ".ICO" && Ext != ".ICON" && Ext != ".CUR") return -1;
    TIconImage Small, Large;
    if (!ReadIconFile(Path, Small, Large)) return -1;
    int Index = AddSystemImageIcon(Small, Large);
    return Index >= 1 ? Index : -1;
}

bool ShellOpen(const std::string& PathOrAddress) {
    if (!OpenUrlProc || PathOrAddress.empty()) return false;
    QString Text = QString::fromUtf8(PathOrAddress.data(), static_cast<int>(PathOrAddress.size()));
    std::string Lower = LowerCase(PathOrAddress.substr(0, 8));
    bool Web = Lower.starts_with("http://") || Lower.starts_with("https://");
    if (Web || Lower.starts_with("mailto:")) {
        QUrl Url(Text, QUrl::StrictMode);
        QString Scheme = Url.scheme();
        if (!Url.isValid() || (Web && Url.host().isEmpty()) || (!Web && Url.path().isEmpty()))
            return false;
        if (Scheme != "http" && Scheme != "https" && Scheme != "mailto") return false;
        return OpenUrlProc(Url);
    }
    // Anything else is a file or folder on disk; a missing one is not handed on, and an address
    // of another kind ("file:", "javascript:", "www.host") names no file here.
    struct stat St;
    if (::stat(PathOrAddress.c_str(), &St) != 0) return false;
    QString Absolute = QFileInfo(QString::fromLocal8Bit(PathOrAddress.data(),
                                                        static_cast<int>(PathOrAddress.size())))
                           .absoluteFilePath();
    return OpenUrlProc(QUrl::fromLocalFile(Absolute));
}
