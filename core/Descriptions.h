// Descriptions that the catalog takes from the disk while it scans: description lists
// ("descript.ion", "files.bbs" and the other names of ActiveFileDescriptionFiles) that describe
// the files of their folder one by one, folder description files ("file_id.diz", "dirinfo") whose
// whole text describes their folder, the title and META description of HTML files, and the size
// and colours of BMP, DIB, PCX, GIF, TGA and PNG images.
//
// Every reader yields up to two texts, CommentText and NoteText, and sets only the ones it found;
// the caller empties them first and copies each non-empty one into the item. Readers read only
// regular files (a FIFO or device of a description file's name never blocks), cap what they load,
// check every length against what the file really holds, and never raise to their caller.
//
// Threads: every function runs on the calling thread (scan threads, or the UI thread for a located
// file), touches no catalog item and shares nothing but the option globals it reads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class TStream;
class TStringList;

// What a reader loads at most. A description list or a folder description file beyond its cap
// is passed over; an HTML file is read up to its cap.
inline constexpr size_t MaxDescriptionListBytes = 16u << 20;
inline constexpr size_t MaxFolderDescriptionBytes = 1u << 20;
inline constexpr size_t MaxHtmlBytes = 1u << 20;

// The description of one file name in a description list.
class TDescription {
public:
    std::string Text;
};

// A description list: file names, sorted case-insensitively (AnsiCompareText), each with the
// TDescription the list owns. Names that differ only in letter case may both be present (siblings
// on a case-sensitive disk); a lookup prefers the exact bytes and otherwise takes the first one
// added, so "README.TXT" in a DOS-made list still describes "readme.txt".
class TDescriptionList {
public:
    int Count() const { return static_cast<int>(FItems.size()); }
    // Adds Name with its description; refuses it (and frees Description) when an entry with
    // exactly these bytes is already there, so the first description of a name stays.
    bool Add(std::string Name, std::unique_ptr<TDescription> Description);
    // The description of Name, or nullptr.
    const TDescription* Find(std::string_view Name) const;

private:
    struct TNameLess {
        using is_transparent = void;
        bool operator()(std::string_view A, std::string_view B) const;
    };
    // Equal keys keep the order in which they were added.
    std::multimap<std::string, std::unique_ptr<TDescription>, TNameLess> FItems;
};

// A new description list of the folder Dir (with or without a trailing '/'): empty when
// FileDescription is off, otherwise the entries of every description list file found. The names
// of ActiveFileDescriptionFiles are taken in order and matched case-insensitively against the
// folder's entries; files that match one name are read in byte order of their names; earlier
// entries win. Files that cannot be read, are not regular or exceed MaxDescriptionListBytes are
// passed over. With ConvertOEMtoAnsi a file is converted from the OEM code page, unless a UTF-8
// byte order mark says it is UTF-8 already (the mark is dropped either way). Returns nullptr only
// when something else fails.
std::unique_ptr<TDescriptionList> LoadDescriptionFiles(const std::string& Dir);
// Adds the entries of the lines of one description file to Result. On return Lines holds what
// the passes left of it: the name of each described line, and lines that hold no name unchanged.
void ParseDescriptionList(TStringList& Lines, TDescriptionList& Result);
// Frees the list with its descriptions and clears the reference; nothing happens for none.
void FreeDescriptionList(std::unique_ptr<TDescriptionList>& List);

// When FileDescription is on and Name has a non-empty description in List (which may be none):
// DescriptionMode 0 puts it into CommentText, 1 into NoteText, and the result is true (any other
// mode is true and sets neither). False otherwise.
bool FindListDescription(const TDescriptionList* List, std::string_view Name,
                         std::string& CommentText, std::string& NoteText);
// When FolderDescription is on: the text of the folder description file of Path (the last name of
// ActiveFolderDescriptionFiles that exists wins; among files matching one name case-insensitively
// the first that loads, in byte order; at most MaxFolderDescriptionBytes) into NoteText, converted
// as a description list is. True when the text is not empty.
bool LoadFolderDescription(const std::string& Path, std::string& NoteText);

// The description a file gives itself: HTML files (".HTM", ".HTML", ".SHTML", ".DHTML") through
// ReadHtmlDescription, images through ReadImageDescription; false for anything else.
bool ReadFileDescription(const std::string& Path, std::string& CommentText, std::string& NoteText);
// Title into CommentText and META description into NoteText of the first MaxHtmlBytes of an HTML
// file. False when HTMLDescription is off or the file cannot be read; true otherwise, also when
// neither tag is there.
bool ReadHtmlDescription(const std::string& Path, std::string& CommentText, std::string& NoteText);
// Ext is the upper-case extension with its dot (".BMP"); the reader of the image kind it names,
// false for other extensions.
bool ReadImageDescription(std::string_view Ext, const std::string& Path, std::string& CommentText);
// "640x480x24b bmp" and the like into CommentText when the file holds a complete header of its
// kind; CommentText stays as it was otherwise. The result is GraphicDescription in every case.
bool ReadBmpSize(const std::string& Path, std::string& CommentText);
bool ReadPcxSize(const std::string& Path, std::string& CommentText);
bool ReadGifSize(const std::string& Path, std::string& CommentText);
bool ReadTgaSize(const std::string& Path, std::string& CommentText);
bool ReadPngSize(const std::string& Path, std::string& CommentText);

// True when the stream holds Template at Offset (all of it).
bool ReadStreamHeader(TStream& Stream, int64_t Offset, std::string_view Template);
// "1", "2", "4" ... "256" for 0 to 8 bits per pixel, otherwise the bits followed by "b" ("24b").
std::string ColorCountStr(int Bits);

// Text of the OEM code page (OemCodePage(), platform/CodePages.h) as UTF-8, up to its first NUL;
// empty when it cannot be converted.
std::string OemToAnsiStr(std::string_view S);
// KOI8-R text as UTF-8: every byte from 128 up goes through Koi8Table into code page 866, which
// is then converted as OEM text of code page 866.
std::string OemToAnsiHighChars(std::string_view S);
// Indexed by a KOI8-R code minus 128: the code page 866 code of the same character, or of the
// character that stands in for it.
extern const uint8_t Koi8Table[128];
