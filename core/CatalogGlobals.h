// The catalog core's program-wide values: the open catalog and the folder shown, the
// unsaved-changes flag, the state of a catalog load, the product texts, the 21 user options, the
// callbacks through which the core asks the main window to refresh its views, the list of running
// folder scans and the lock of the icon cache.
//
// Everything here belongs to the UI thread, except that workers read the options and
// CurrentCatalog while they run (the main window is disabled then, so nobody changes them).
#pragma once

#include "platform/List.h"

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

class TBasicItem;
class TCatFileItem;
class TFolderScanThread;
class TKeyWordItems;
class TListItem;
class TStringList;
class TTreeNode;
class TTypeItems;

// ---- catalog state ---------------------------------------------------------------------------

extern TCatFileItem* CurrentCatalog;
extern TBasicItem* CurrentFolder;
extern bool CatalogModified;
// Format number of the catalog file being read; -1 outside a load.
extern int FileVersion;
// The class table of the file being read or written; nullptr otherwise.
extern TStringList* StreamClassNames;
// Keyword collection and type table of the catalog whose root is being read; nullptr otherwise.
extern TKeyWordItems* LoadingKeyWords;
extern TTypeItems* LoadingTypes;

// ---- texts -----------------------------------------------------------------------------------

extern const std::string ProductName;       // "Quillmark"
extern const std::string VersionText;       // "1.03a"
extern const std::string RegistryKey;       // "Software\Marrowfield\Quillmark"
extern const std::string RegistrySection;   // "General"
extern const std::string CatalogFilter;     // open and save dialogs
extern const std::string UnknownVolumeText; // " <Unknown> "
extern const std::string SignaturePrefix;   // "QLM "
extern const int SignatureVersion;          // 1000
extern const std::string CatalogSignature;  // "QLM 1000"
extern const int SignatureLength;           // 8
extern const std::string HomePageHost;
extern const std::string AboutCreditLine;

// String resources of the core.
extern const char* const SFileTypeFmt;    // "%s File"
extern const char* const SFile;           // "File"
extern const char* const SCatalog;        // "Catalog"
extern const char* const SArchiveFolder;  // "Archive Folder"
extern const char* const SVirtualFolder;  // "Virtual Folder"
extern const char* const SFileFolder;     // "FileFolder"
extern const char* const SFileLocItem;    // "FileLocItem"
extern const char* const SCantCreateItem; // "%s: Can't create BasicItem from %s"

// ---- options (each a global named after its registry value) ------------------------------

extern bool SaveSetting;
extern bool ShowHidden;
extern int gRecentListCount;
extern bool DisplayDefaultIcons;
extern bool AutoOpen;
extern uint8_t DoubleClick;
extern bool ShowRescanDialog;
extern bool roAdd;
extern bool roDelete;
extern bool roCheck;
extern bool HTMLDescription;
extern bool ConvertKOI8;
extern bool GraphicDescription;
extern bool FolderDescription;
extern bool FileDescription;
extern bool ConvertOEMtoAnsi;
extern uint8_t DescriptionMode;
extern std::string FileDescriptionFiles;
extern std::string FolderDescriptionFiles;
extern std::string ActiveFileDescriptionFiles;
extern std::string ActiveFolderDescriptionFiles;

// Sets every option to its default (done once at start; tests call it to start clean).
void SetDefaultOptions();

// ---- view callbacks (empty until the main window fills them) -----------------------------

extern std::function<void(TTreeNode*)> RefreshTreeNodeProc;
extern std::function<void()> StartTreeImageThreadProc;
extern std::function<void()> SelectCurrentFolderProc;
extern std::function<void()> RefreshKeyWordsProc;
extern std::function<void()> RefreshListProc;
extern std::function<void(TListItem*)> FillListItemProc;
// Enables or disables the main window (workers disable it while they run; none without a GUI).
extern std::function<void(bool Enabled)> EnableMainWindowProc;
// Suspends (true) and resumes (false) the redrawing of the main window's folder tree.
extern std::function<void(bool Begin)> TreeUpdateProc;
// Opens the properties dialog of one item (the main window installs it; none without a GUI).
extern std::function<void(TBasicItem*)> ShowItemPropertiesProc;

// The display name of folders on disk, the caption of folder items and their type row;
// "File Folder" until the desktop's name for folders is read.
extern std::string FolderTypeName;

// ---- shared service objects -------------------------------------------------------------

// The running folder scans; changed on the UI thread only (a scan thread adds itself when it is
// created and removes itself when it is destroyed).
extern TList<TFolderScanThread> ScanThreads;
// Guards the icon cache and the additions to the program's image lists; recursive.
extern std::recursive_mutex IconCacheLock;
