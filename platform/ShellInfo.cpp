#include "ShellInfo.h"

#include "SysUtils.h"
#include "SystemImageList.h"

#include <QMimeDatabase>
#include <QMimeType>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

QMimeType TypeOfExtension(const std::string& Ext) {
    if (Ext.size() < 2 || Ext[0] != '.') return {};
    static QMimeDatabase Db; // read-only; safe to share between threads
    std::string Lower = AnsiLowerCase(Ext);
    QMimeType T = Db.mimeTypeForFile(
        QStringLiteral("x") + QString::fromUtf8(Lower.data(), static_cast<int>(Lower.size())),
        QMimeDatabase::MatchExtension);
    return T.isDefault() ? QMimeType() : T;
}

} // namespace

std::string ShellTypeDescription(const std::string& Ext) {
    QMimeType T = TypeOfExtension(Ext);
    return T.isValid() ? T.comment().toStdString() : std::string();
}

int ShellTypeIconIndex(const std::string& Ext) {
    QMimeType T = TypeOfExtension(Ext);
    if (!T.isValid()) return -1;
    return AddSystemThemeIcon(T.iconName().toStdString(), T.genericIconName().toStdString());
}

std::string ShellFolderTypeName() {
    static QMimeDatabase Db;
    QMimeType T = Db.mimeTypeForName(QStringLiteral("inode/directory"));
    return T.isValid() ? T.comment().toStdString() : std::string();
}

std::vector<std::string> IconThemeFolders() {
    std::vector<std::string> Folders;
    auto Add = [&Folders](const std::string& F) {
        if (!F.empty() && std::find(Folders.begin(), Folders.end(), F) == Folders.end())
            Folders.push_back(F);
    };
    auto Env = [](const char* Name) {
        const char* V = std::getenv(Name);
        return std::string(V ? V : "");
    };
    const std::string Home = Env("HOME");
    if (!Home.empty()) Add(Home + "/.icons");
    const std::string DataHome = Env("XDG_DATA_HOME");
    if (!DataHome.empty())
        Add(DataHome + "/icons");
    else if (!Home.empty())
        Add(Home + "/.local/share/icons");
    std::string Dirs = Env("XDG_DATA_DIRS");
    if (Dirs.empty()) Dirs = "/usr/local/share:/usr/share";
    for (size_t From = 0; From <= Dirs.size();) {
        size_t To = Dirs.find(':', From);
        if (To == std::string::npos) To = Dirs.size();
        if (To > From) Add(Dirs.substr(From, To - From) + "/icons");
        From = To + 1;
    }
    return Folders;
}

std::vector<std::string> FileTypeIconThemes() {
    namespace fs = std::filesystem;
    // A theme draws file types when its description lists folders of MIME-type icons.
    auto DrawsFileTypes = [](const fs::path& Index) {
        std::ifstream In(Index, std::ios::binary);
        std::string Text;
        Text.resize(256 * 1024); // index files are a few kilobytes; more is not looked at
        In.read(Text.data(), static_cast<std::streamsize>(Text.size()));
        Text.resize(static_cast<size_t>(In.gcount()));
        return Text.find("mimetypes") != std::string::npos;
    };
    std::vector<std::string> Found;
    for (const std::string& Folder : IconThemeFolders()) {
        std::error_code E;
        for (fs::directory_iterator It(Folder, E), End; !E && It != End; It.increment(E)) {
            const std::string Name = It->path().filename().string();
            if (Name == "hicolor" || std::find(Found.begin(), Found.end(), Name) != Found.end())
                continue;
            std::error_code F;
            if (fs::is_regular_file(It->path() / "index.theme", F) &&
                DrawsFileTypes(It->path() / "index.theme"))
                Found.push_back(Name);
        }
    }
    static const char* const WellKnown[] = {"Adwaita", "breeze", "Papirus", "elementary",
                                            "oxygen",  "gnome",  "Tango"};
    auto Rank = [](const std::string& Name) {
        const auto* It = std::find(std::begin(WellKnown), std::end(WellKnown), Name);
        return static_cast<size_t>(It - std::begin(WellKnown));
    };
    std::sort(Found.begin(), Found.end(), [&](const std::string& A, const std::string& B) {
        return Rank(A) != Rank(B) ? Rank(A) < Rank(B) : A < B;
    });
    return Found;
}
