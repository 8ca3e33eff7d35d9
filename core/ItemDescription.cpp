#include "ItemDescription.h"

#include "core/TreeItems.h"

// The description readers come with the descriptions unit; until then nothing is found.
class TFolderDescriptions {};

TFolderDescriptionsPtr LoadFolderDescriptions(const std::string&) { return nullptr; }
void FreeFolderDescriptions(TFolderDescriptions* List) { delete List; }

bool GetEntryDescription(const TFolderDescriptions*, std::string_view, bool, const std::string&,
                         std::string& CommentText, std::string& NoteText) {
    CommentText.clear();
    NoteText.clear();
    return false;
}

bool GetItemDescription(const TFolderDescriptions*, const TBasicItem*, std::string& CommentText,
                        std::string& NoteText) {
    CommentText.clear();
    NoteText.clear();
    return false;
}

bool ExtractItemDescription(const TBasicItem*, std::string& CommentText, std::string& NoteText) {
    CommentText.clear();
    NoteText.clear();
    return false;
}
