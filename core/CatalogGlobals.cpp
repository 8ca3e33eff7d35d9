#include "CatalogGlobals.h"

TCatFileItem* CurrentCatalog = nullptr;
TBasicItem* CurrentFolder = nullptr;
bool CatalogModified = false;
int FileVersion = -1;
TStringList* StreamClassNames = nullptr;
TKeyWordItems* LoadingKeyWords = nullptr;
TTypeItems* LoadingTypes = nullptr;

const std::string ProductName = "Quillmark";
const std::string VersionText = "1.03a";
const std::string RegistryKey = "Software\\Marrowfield\\" + ProductName;
const std::string RegistrySection = "General";
const std::string CatalogFilter = "QUILM Database (*.qlmk)|*.qlmk|All files (*.*)|*.*";
const std::string UnknownVolumeText = " <Unknown> ";
const std::string SignaturePrefix = "QLM ";
const int SignatureVersion = 1000;
const std::string CatalogSignature = SignaturePrefix + std::to_string(SignatureVersion);
const int SignatureLength = static_cast<int>(CatalogSignature.size());
const std::string HomePageHost = "quillmark.marrowfield.example";
const std::string AboutCreditLine = "Quillmark, the disk catalog of Marrowfield";

const char* const SFileTypeFmt = "%s File";
const char* const SFile = "File";
const char* const SCatalog = "Catalog";
const char* const SArchiveFolder = "Archive Folder";
const char* const SVirtualFolder = "Virtual Folder";
const char* const SFileFolder = "FileFolder";
const char* const SFileLocItem = "FileLocItem";
const char* const SCantCreateItem = "%s: Can't create BasicItem from %s";

bool SaveSetting;
bool ShowHidden;
int gRecentListCount;
bool DisplayDefaultIcons;
bool AutoOpen;
uint8_t DoubleClick;
bool ShowRescanDialog;
bool roAdd;
bool roDelete;
bool roCheck;
bool HTMLDescription;
bool ConvertKOI8;
bool GraphicDescription;
bool FolderDescription;
bool FileDescription;
bool ConvertOEMtoAnsi;
uint8_t DescriptionMode;
std::string FileDescriptionFiles;
std::string FolderDescriptionFiles;
std::string ActiveFileDescriptionFiles;
std::string ActiveFolderDescriptionFiles;

void SetDefaultOptions() {
    SaveSetting = true;
    ShowHidden = true;
    gRecentListCount = 4;
    DisplayDefaultIcons = false;
    AutoOpen = false;
    DoubleClick = 1;
    ShowRescanDialog = true;
    roAdd = true;
    roDelete = true;
    roCheck = true;
    HTMLDescription = false;
    ConvertKOI8 = false;
    GraphicDescription = false;
    FolderDescription = false;
    FileDescription = false;
    ConvertOEMtoAnsi = false;
    DescriptionMode = 0;
    FileDescriptionFiles = "descript.ion, files.bbs, catalog.txt, index.txt, index, .index, "
                           "00_index.txt, 00index.txt, 0index.txt,";
    FolderDescriptionFiles = "file_id.diz, dirinfo";
    ActiveFileDescriptionFiles = "descript.ion,files.bbs";
    ActiveFolderDescriptionFiles = "file_id.diz, dirinfo";
}

namespace {
// The options hold their defaults from program start, before any window exists.
const bool GDefaultsSet = (SetDefaultOptions(), true);
} // namespace

std::function<void(TTreeNode*)> RefreshTreeNodeProc;
std::function<void()> StartTreeImageThreadProc;
std::function<void()> SelectCurrentFolderProc;
std::function<void()> RefreshKeyWordsProc;
std::function<void()> RefreshListProc;
std::function<void(TListItem*)> FillListItemProc;
std::function<void(TBasicItem*)> ShowItemPropertiesProc;
std::function<void(bool Enabled)> EnableMainWindowProc;
std::function<void(bool Begin)> TreeUpdateProc;

std::string FolderTypeName = "File Folder";

TList<TFolderScanThread> ScanThreads;
std::recursive_mutex IconCacheLock;
