// Descriptions of catalog items taken from the disk: an entry of the description files of the
// item's folder, the folder's own description file, or the contents of the file itself (HTML
// title and description, image size and colours), as the options say. The readers are in
// Descriptions.h; this unit applies them to items and to disk entries. Safe on worker threads
// (it reads items, the disk and the options only).
#pragma once

#include "core/Descriptions.h"

#include <memory>
#include <string>
#include <string_view>

class TBasicItem;

// The description of a disk entry about to become an item of the catalog: a file or folder
// named Name at FullPath, looked up in List (the description files of its folder, may be null).
// CommentText and NoteText are emptied first; true when a reader found something. An empty
// FullPath (a path too long for the system) is read from nothing but the list.
bool GetEntryDescription(const TDescriptionList* List, std::string_view Name, bool IsFolder,
                         const std::string& FullPath, std::string& CommentText,
                         std::string& NoteText);
// Whether the options have GetEntryDescription read files of the entry (a folder's description
// file, an HTML file or an image) besides the list: only then does it need FullPath.
bool EntryDescriptionReadsFile(bool IsFolder);
// The same for an item of the catalog.
bool GetItemDescription(const TDescriptionList* List, const TBasicItem* Item,
                        std::string& CommentText, std::string& NoteText);
// The same, with the description files of the item's own folder.
bool ExtractItemDescription(const TBasicItem* Item, std::string& CommentText,
                            std::string& NoteText);
