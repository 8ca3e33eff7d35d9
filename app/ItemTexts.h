// The texts the main window shows for catalog items: the list's Size, Modified and Attributes
// columns and the folder statistics of the status bar. Pure functions; any thread.
#pragma once

#include "platform/SysUtils.h"

#include <QString>

#include <cstdint>
#include <string>

class TBasicItem;

// "Contents %d Folders, %d Files, %dKB" for the folders, files and bytes below a folder; the
// kilobytes are rounded down, except that a total of 1 to 999 bytes gives 1.
std::string FolderContentsText(int64_t Folders, int64_t Files, uint64_t TotalSize);
// "%d Folder, %d File, %d KB": the same figures as the properties window shows them.
std::string FolderStatisticsText(int64_t Folders, int64_t Files, uint64_t TotalSize);
// "Folder" for anything but a file; otherwise the size in kilobytes ("%dKB"), never 0KB.
std::string ItemSizeText(const TBasicItem* Item);
// One letter per attribute bit: R H S A C F N O T.
std::string AttributeLetters(uint32_t Attr);
// A local date and time in the user's locale, short form ("15.03.23 12:00" in German); empty
// for a date of 0 (none recorded).
QString DateTimeText(TDateTime Date);
// The same, but the short date alone for a time of midnight.
QString DateOrDateTimeText(TDateTime Date);
