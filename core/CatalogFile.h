// The catalog file: one zlib stream (level 9) whose body is, in the filer's tagged encoding,
// the signature "QLM 1000", the class table, the keyword records, the root item and a trailing
// Integer 0. TCatFileItem::SaveToFile and LoadFromFile (declared with the root in TreeItems.h)
// are built here from the pieces below; doc/catalog-file-format.md describes the bytes.
//
// Saving never destroys the previous file: the new one is written beside it, flushed to disk
// and renamed over it (platform/SafeSave.h says what else it keeps). Loading inflates the file
// in steps while it parses it (core/InflateStream.h): the signature is checked from the first
// bytes, a damaged body is refused without inflating the rest, every length, count, class and
// nesting level is checked against the bytes really there, the body is capped at
// MaxCatalogBodySize, the trailer and the end of the body are checked, and on any failure of
// the body the catalog is left empty rather than half-read. The loading globals
// (FileVersion, StreamClassNames, LoadingKeyWords, LoadingTypes, the keyword lists) are set only
// while one load or save runs and are reset on every path.
//
// UI thread only: these calls own the catalog's globals while they run.
#pragma once

#include "platform/Filer.h"

#include <cstdint>
#include <string_view>

class TCatFileItem;

// The largest decompressed body accepted (and written): 2 GiB. A catalog of ten million entries
// takes about 0.65 GB; a body beyond the cap is refused before it can exhaust memory.
inline constexpr uint64_t MaxCatalogBodySize = uint64_t(2) << 30;
// The longest single string accepted (and written): 64 MiB. Names are a few KiB at most, notes
// are imported up to 4 MiB and description files read up to 16 MiB; a string beyond the bound is
// refused from its length alone, before any byte of it is inflated.
inline constexpr size_t MaxCatalogStringSize = size_t(64) << 20;

// The filer classes of the catalog file: the class library's, with the string bound.
class TCatalogReader : public TReader {
public:
    TCatalogReader(TStream& Stream, size_t BufSize) : TReader(Stream, BufSize) {
        SetMaxString(MaxCatalogStringSize);
    }
    TCatalogReader(const void* Data, size_t Size) : TReader(Data, Size) {
        SetMaxString(MaxCatalogStringSize);
    }
};

class TCatalogWriter : public TWriter {
public:
    TCatalogWriter(TStream& Stream, size_t BufSize) : TWriter(Stream, BufSize) {
        SetMaxString(MaxCatalogStringSize);
    }
};

// Of the last LoadFromFile: the seconds its inflating thread was busy reading and inflating the
// file, and the seconds the parser waited for it. Of the last load: the records read by helpers.
extern double LastLoadInflateSeconds, LastLoadWaitSeconds;
extern int LastLoadParts;

// Replaces the contents of Stream by their zlib compression at level 9, position 0: one
// RFC 1950 stream. Bodies above 1 MiB are deflated in blocks on several threads and joined (the
// bytes depend on the body only); a smaller body gives exactly what one compress2 call gives.
void CompressStream(TMemoryStream& Stream);
// Replaces the contents of Stream by their decompression, position 0. Raises ECatalogError
// "File is not a catalog file or damaded" for anything that is not one complete zlib stream or
// that inflates to more than MaxSize bytes; the output grows in steps and stops at the cap,
// whatever the data claims.
void DecompressStream(TMemoryStream& Stream, uint64_t MaxSize = MaxCatalogBodySize);

// Sets FileVersion from the 8 signature bytes (101 for "QLM 1.01"), or raises "File is not a
// catalog file" / "Unknown version". A shorter signature is not a catalog file.
void CheckSignature(std::string_view Signature);

// The class table: every registry class name, sorted case-insensitively. Writing fills
// StreamClassNames (when it exists) with the names and their registry positions; reading fills it
// from the file, -1 for names the registry does not know.
void WriteClassTable(TWriter& Writer);
void ReadClassTable(TReader& Reader);
// Integer 0 after the root; format 101 has none.
void WriteTrailer(TWriter& Writer);
void ReadTrailer(TReader& Reader);

// The body of a catalog (uncompressed) from Root into Body; Body is emptied first. Raises
// "Error: SaveToStream: Cannot find Classname : ..." for an item of a class without a table entry.
void SaveCatalogBody(TCatFileItem& Root, TMemoryStream& Body);
// Reads an uncompressed body into Root (which the caller has cleared): the signature errors pass
// unchanged, a lack of memory or of a thread raises a message that says so, every other failure
// raises "File damaded"; on any failure Root is left cleared again (its file name and
// CatalogModified as they were). Clears CatalogModified on success.
void LoadCatalogBody(TCatFileItem& Root, TMemoryStream& Body);
// The compressed file contents: decompresses Data in place, then LoadCatalogBody; the type
// thread is paused meanwhile. LoadFromFile is this on the bytes of CatFile.
void LoadCatalogData(TCatFileItem& Root, TMemoryStream& Data,
                     uint64_t MaxBodySize = MaxCatalogBodySize);
