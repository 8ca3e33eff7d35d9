// The items that keep a volume record of their own: scanned folders (TFileCollection) and
// located files (TFileLocItem); the rest of the tree is in TreeItems.cpp.
#include "TreeItems.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/ItemDescription.h"
#include "platform/Filer.h"

// ---- TFileCollection ---------------------------------------------------------------------------

QM_DEFINE_ITEM_CLASS(TFileCollection, TBasicFolder);

TFileCollection::TFileCollection(TCustomCatalogItems* Collection)
    : TBasicFolder(Collection), FVolume(NewVolumeInfo()) {
    SetImageIndex(iiArchiveClosed);
    SetSelectedIndex(iiArchiveOpen);
}

TFileCollection::~TFileCollection() {
    StopScan();
    ClearChildren();
}

std::string TFileCollection::ClassCaption() const {
    return SArchiveFolder;
}

void TFileCollection::SetRootPath(const std::string& Path) {
    if (Path == FVolume->Path) return;
    CatalogModified = true;
    FVolume->Path = Path;
    ReadVolumeInfo(*FVolume);
}

void TFileCollection::Assign(const TCollectionItem& Source) {
    StopScan();
    TBasicFolder::Assign(Source);
    auto* Src = dynamic_cast<const TFileCollection*>(&Source);
    if (Src && Src != this) *FVolume = *Src->FVolume;
}

namespace {

void ReadVolumeFields(TReader& Reader, TVolumeInfo& V) {
    V.Path = Reader.ReadString();
    if (FileVersion == 101) return; // the oldest files keep only the path
    V.DriveType = static_cast<uint8_t>(Reader.ReadInteger());
    V.VolumeName = Reader.ReadString();
    V.FileSystem = Reader.ReadString();
    V.Serial = static_cast<uint32_t>(Reader.ReadInt64());
}

void WriteVolumeFields(TWriter& Writer, const TVolumeInfo& V) {
    Writer.WriteString(V.Path);
    Writer.WriteInteger(V.DriveType);
    Writer.WriteString(V.VolumeName);
    Writer.WriteString(V.FileSystem);
    Writer.WriteInt64(V.Serial);
}

} // namespace

void TFileCollection::ReadFields(TReader& Reader) {
    TBasicFolder::ReadFields(Reader);
    ReadVolumeFields(Reader, *FVolume);
}

void TFileCollection::WriteFields(TWriter& Writer) {
    TBasicFolder::WriteFields(Writer);
    WriteVolumeFields(Writer, *FVolume);
}

// ---- TFileLocItem ------------------------------------------------------------------------------

QM_DEFINE_ITEM_CLASS(TFileLocItem, TFileItem);

TFileLocItem::TFileLocItem(TCustomCatalogItems* Collection)
    : TFileItem(Collection), FVolume(NewVolumeInfo()) {}

void TFileLocItem::SetLocation(const std::string& Path) {
    if (Path == FVolume->Path) return;
    CatalogModified = true;
    FVolume->Path = Path;
    ReadVolumeInfo(*FVolume);
}

void TFileLocItem::SetFileName(const std::string& FileName) {
    SetLocation(ExtractFilePath(FileName));
    std::string Name = ExtractFileName(FileName);
    FileInfoRef().Name = PackedString(Name);
    SetItemName(Name);
    GetFileInfo(FileName, FileInfoRef());
    std::string CommentText, NoteText;
    ExtractItemDescription(this, CommentText, NoteText);
    if (!CommentText.empty()) SetComment(CommentText);
    if (!NoteText.empty()) SetNote(NoteText);
    if (CurrentCatalog) CurrentCatalog->Types()->AddItem(this);
    if (ShowItemPropertiesProc) ShowItemPropertiesProc(this);
}

std::string TFileLocItem::GetFullPath(std::string_view) const {
    return JoinPath(GetLocation(), FileInfo().Name.View());
}

void TFileLocItem::Assign(const TCollectionItem& Source) {
    TFileItem::Assign(Source);
    auto* Src = dynamic_cast<const TFileLocItem*>(&Source);
    if (Src && Src != this) *FVolume = *Src->FVolume;
}

void TFileLocItem::ReadFields(TReader& Reader) {
    TFileItem::ReadFields(Reader);
    ReadVolumeFields(Reader, *FVolume);
}

void TFileLocItem::WriteFields(TWriter& Writer) {
    TFileItem::WriteFields(Writer);
    WriteVolumeFields(Writer, *FVolume);
}
