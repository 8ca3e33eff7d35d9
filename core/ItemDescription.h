// Descriptions of catalog items taken from the disk: an entry of the description files of the
// item's folder, the folder's own description file, or the contents of the file itself (HTML
// title and description, image size and colours), as the options say. The readers themselves
// are in Descriptions.h; this unit applies them to items and to disk entries. Safe on worker
// threads (it reads items and the options only).
#pragma once

#include <memory>
#include <string>
#include <string_view>

class TBasicItem;

// The description lists of one folder, loaded once per folder.
class TFolderDescriptions;
void FreeFolderDescriptions(TFolderDescriptions* List);
struct TFolderDescriptionsDeleter {
    void operator()(TFolderDescriptions* L) const { FreeFolderDescriptions(L); }
};
using TFolderDescriptionsPtr = std::unique_ptr<TFolderDescriptions, TFolderDescriptionsDeleter>;
// Null when no description list is read (the option is off) or it could not be loaded.
TFolderDescriptionsPtr LoadFolderDescriptions(const std::string& Dir);

// The description of a disk entry about to become an item of the catalog: a file or folder
// named Name at FullPath. CommentText and NoteText are emptied first; true when a reader found
// something.
bool GetEntryDescription(const TFolderDescriptions* List, std::string_view Name, bool IsFolder,
                         const std::string& FullPath, std::string& CommentText, std::string& NoteText);
// The same for an item of the catalog.
bool GetItemDescription(const TFolderDescriptions* List, const TBasicItem* Item,
                        std::string& CommentText, std::string& NoteText);
// The same, with the description lists of the item's own folder.
bool ExtractItemDescription(const TBasicItem* Item, std::string& CommentText, std::string& NoteText);
