// What the catalog knows of the disk: the record of one file or folder (TFileInfo, owned by
// every file item) and the record of one volume (TVolumeInfo, owned by every scanned folder and
// located file), the routines that fill them, and the check that the right disk is inserted
// before a scanned folder is synchronised.
//
// The fill functions run on any thread; CheckVolume asks the user and runs on the UI thread.
#pragma once

#include "platform/FindFile.h"
#include "platform/PackedString.h"
#include "platform/SysUtils.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

struct TFileInfo {
    PackedString Name;  // the file name without path, byte for byte
    TDateTime Date = 0; // local last-write time; 0 when the system gives none
    uint64_t Size = 0;  // the full 64-bit size
    uint32_t Attr = 0;  // faDirectory, faHidden, ... (platform/FindFile.h)
};

struct TVolumeInfo {
    std::string Path;       // the folder (or file location) the record belongs to
    std::string VolumeName; // label; " <Unknown> " until read
    std::string FileSystem; // " <Unknown> " until read
    uint32_t Serial = 0;
    uint8_t DriveType = 0; // 0 unknown, 1 no root, 2 removable, 3 fixed, 4 remote, 5 CD, 6 RAM
};

std::unique_ptr<TFileInfo> NewFileInfo();
std::unique_ptr<TVolumeInfo> NewVolumeInfo();

// True when the last-write time is set (not the zero time).
bool FileTimeIsSet(int64_t Seconds, long Nanoseconds);
// Fills Info from a directory-search record. A walk passes Times for the dates, and Name when
// the catalog holds these very bytes already (the name then shares them: a synchronise makes no
// second copy).
void FindDataToFileInfo(const TSearchRec& FindData, TFileInfo& Info, TLocalTimes* Times = nullptr,
                        const PackedString* Name = nullptr);
// Fills Info with the facts of the entry at Path (taken literally); false and Info untouched when
// there is nothing there.
bool GetFileInfo(const std::string& Path, TFileInfo& Info);

// Refills every field but Path from the volume that holds Path.
void ReadVolumeInfo(TVolumeInfo& Volume);

// True when the volume now at Required.Path is the recorded one (Required then takes the facts
// read now) or the user goes on with another (Ignore: the record is kept). False when the user
// aborts.
bool CheckVolume(TVolumeInfo& Required);

// How CheckVolume asks: the text of the question, answered with one of these.
enum class TVolumeAnswer { Abort, Retry, Ignore };
// Installed by the main window; without it the answer is Abort.
extern std::function<TVolumeAnswer(const std::string& Text)> VolumeQuestionProc;
// The text of the question (lines separated by line feeds).
std::string VolumeQuestionText(const TVolumeInfo& Required, const TVolumeInfo& Current);

// "1A2B-3C4D": the high and low halves of the serial in upper-case hexadecimal.
std::string VolumeSerialText(uint32_t Serial);
// "Unknown Drive", "Invalid Location", "REMOVABLE", "FIXED", "NETWORK", "CDROM", "RAMDISK";
// empty for other values.
std::string DriveTypeName(int DriveType);
// The drive part of a path: the mount point that holds it.
std::string DrivePart(const std::string& Path);
