#include "ItemDescription.h"

bool ExtractItemDescription(const TBasicItem*, std::string& CommentText, std::string& NoteText) {
    CommentText.clear();
    NoteText.clear();
    return false;
}
