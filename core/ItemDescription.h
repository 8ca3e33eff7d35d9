// Descriptions of one catalog item taken from the disk: its entry in the description files of
// its folder, its folder description file, or the contents of the file itself (HTML title and
// description, image size and colours), as the options say.
#pragma once

#include <string>

class TBasicItem;

// Fills CommentText and NoteText (emptied first); true when a reader found something.
bool ExtractItemDescription(const TBasicItem* Item, std::string& CommentText,
                            std::string& NoteText);
