// What the properties window reads and writes outside the catalog: note files, plain or DOS text
// in the OEM code page, and the volume record of a location.
//
// Notes keep their lines ended by CR LF, as the catalog has always stored them (descriptions
// read from disk included); the window's memo shows them with plain line feeds. Any thread.
#pragma once

#include <QString>

#include <string>
#include <string_view>

struct TVolumeInfo;

// A note as the memo shows it, and the memo's text as the catalog keeps it.
QString NoteToText(std::string_view Note);
std::string TextToNote(const QString& Text);

// The text of a note file for the memo; Oem converts it from the OEM code page. Raises with a
// message for the user when the file cannot be read, is too large for a note or is not text of
// that code page. NotUtf8 tells whether a plain file held bytes that are no UTF-8 text: the text
// shows each of them as a replacement character (U+FFFD).
QString ImportNote(const std::string& FileName, bool Oem, bool& NotUtf8);
// Writes the memo's text to FileName, each line ended by CR LF; Oem converts it to the OEM code
// page first. The file is replaced only by a complete new one, and only a regular file or a new
// name is written (never a FIFO or a device), as a catalog is saved: when the text has
// characters the code page lacks or the file cannot be written, it raises and an existing file
// stays as it was.
void ExportNote(const std::string& FileName, const QString& Text, bool Oem);

// Path with a separator at its end (the one the path already uses); an empty path stays empty.
std::string WithTrailingSeparator(std::string Path);

// Reads the volume that holds Path into Volume (Path included); false when there is no volume to
// read there (the path does not exist: a disk that is not inserted).
bool ReadVolume(const std::string& Path, TVolumeInfo& Volume);
// Tells the user that the volume at Path could not be read and the recorded one is kept.
void TellVolumeNotRead(const std::string& Path);
