// Shell namespace helpers: identifiers of files and folders on disk, the folder a path names,
// the icon that a file carries of its own, and opening a file or web address with the desktop's
// associated program.
//
// An identifier (TItemIDList) is the canonical absolute path of an existing file or folder: the
// stable name the desktop knows it by, free of "..", "." and symbolic links. Identifiers are
// owned by the caller (PItemIDList); FreePIDL releases one early. Folders (TShellFolder) parse
// names relative to themselves; DesktopFolder is the root of the namespace ("/").
//
// ShellOpen hands a file (as a file URL) or an http, https or mailto address to the desktop
// through OpenUrlProc, which the GUI installs (QDesktopServices::openUrl); nothing goes through
// a shell, and any other kind of address is refused.
//
// GetSelfIconIndex and IsSelfIconedExtension are safe on any thread; the others belong to the UI
// thread.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

class QUrl;

struct TItemIDList {
    std::string Path; // canonical absolute path
};
using PItemIDList = std::unique_ptr<TItemIDList>;

class TShellFolder {
public:
    explicit TShellFolder(std::string Path) : FPath(std::move(Path)) {}
    const std::string& Path() const { return FPath; }
    // The identifier of Name (absolute, or relative to this folder); raises ECatalogError with
    // the system's message when nothing is there.
    PItemIDList ParseDisplayName(const std::string& Name) const;
    // The folder that Id names; raises ECatalogError when it is not a folder.
    std::unique_ptr<TShellFolder> BindToObject(const TItemIDList& Id) const;

private:
    std::string FPath;
};

// The root of the namespace, "/".
const TShellFolder& DesktopFolder();

// The identifier of Path, parsed by Folder (the desktop folder when none is given).
PItemIDList PathToPIDL(const std::string& Path, const TShellFolder* Folder = nullptr);
// The folder Path names; raises ECatalogError when there is none or Path is not a folder.
std::unique_ptr<TShellFolder> BindToShellFolder(const std::string& Path);
// Releases Id (an empty one is ignored).
void FreePIDL(PItemIDList& Id);

// ".EXE", ".PIF", ".LNK", ".ICO", ".ICON", ".CUR" or ".ANI", in any letter case.
bool IsSelfIconedExtension(std::string_view Ext);
// The system image list index of the icon that the file at Path carries itself, -1 when it has
// none: only icon and cursor files (.ICO, .ICON, .CUR) do here, and only when they can be read
// and decoded; the other self-iconed kinds hold no icon the desktop shows on Linux. Open (the
// open-folder picture) makes no difference for files.
int GetSelfIconIndex(const std::string& Path, bool Open);

// Opens a local file or folder, or an address with an explicit http, https or mailto scheme,
// with its associated program. True when the desktop accepted it; false for anything else (a
// missing file, an address of another kind, no GUI).
bool ShellOpen(const std::string& PathOrAddress);
// Hands a URL to the desktop; installed by the GUI, empty without one.
extern std::function<bool(const QUrl& Url)> OpenUrlProc;
