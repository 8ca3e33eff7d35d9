#include "ItemDescription.h"

#include "core/CatalogGlobals.h"
#include "core/TreeItems.h"

bool GetEntryDescription(const TDescriptionList* List, std::string_view Name, bool IsFolder,
                         const std::string& FullPath, std::string& CommentText,
                         std::string& NoteText) {
    CommentText.clear();
    NoteText.clear();
    bool Found = FindListDescription(List, Name, CommentText, NoteText);
    if (Found) return true;
    // A path the system refuses opens nothing (and an empty one must not stand for "/").
    if (FullPath.empty()) return false;
    return IsFolder ? LoadFolderDescription(FullPath, NoteText)
                    : ReadFileDescription(FullPath, CommentText, NoteText);
}

bool EntryDescriptionReadsFile(bool IsFolder) {
    return IsFolder ? FolderDescription : HTMLDescription || GraphicDescription;
}

bool GetItemDescription(const TDescriptionList* List, const TBasicItem* Item,
                        std::string& CommentText, std::string& NoteText) {
    CommentText.clear();
    NoteText.clear();
    bool Found = false;
    auto* File = dynamic_cast<const TFileItem*>(Item);
    if (File)
        Found = FindListDescription(List, File->FileInfo().Name.View(), CommentText, NoteText);
    if (Item->Children()) {
        // A scanned folder's root is never looked up in a description list.
        if (auto* Coll = dynamic_cast<const TFileCollection*>(Item)) {
            if (!Found) Found = LoadFolderDescription(Coll->GetRootPath(), NoteText);
        } else if (File && !Found) {
            Found = LoadFolderDescription(File->GetFullPath(), NoteText);
        }
    } else if (File && !Found) {
        Found = ReadFileDescription(File->GetFullPath(), CommentText, NoteText);
    }
    return Found;
}

bool ExtractItemDescription(const TBasicItem* Item, std::string& CommentText,
                            std::string& NoteText) {
    auto* File = dynamic_cast<const TFileItem*>(Item);
    std::string Dir = File ? ExtractFilePath(File->GetFullPath()) : std::string();
    std::unique_ptr<TDescriptionList> List = Dir.empty() ? nullptr : LoadDescriptionFiles(Dir);
    return GetItemDescription(List.get(), Item, CommentText, NoteText);
}
