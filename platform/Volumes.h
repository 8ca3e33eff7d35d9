// Volume information and drive types on Linux: what the catalog records of the disk a folder
// lies on.
//
// The "drive part" of a path is the mount point that holds it (the longest mount point in the
// mount table that is a prefix of the path). Its volume record is:
//   label        from the udev/blkid data of the mounted device (/dev/disk/by-label), empty when
//                the device has none;
//   file system  the kernel's name for it (ext4, vfat, iso9660, ...);
//   serial       a 32-bit number: the FAT/exFAT/NTFS volume id when the file system has one, else
//                the first 32 bits of the file system UUID, else the statfs fsid folded to 32 bits;
//   drive type   5 CD-ROM for iso9660/udf, 4 remote for network file systems, 6 RAM disk for
//                tmpfs/ramfs, 2 removable when the block device reports removable media or sits
//                on USB, 3 fixed otherwise, 1 when the path does not exist, 0 when unknown.
//
// Every source of facts is a path in TVolumeEnvironment, so tests feed a captured mount table and
// fake /dev/disk and /sys folders. Safe on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum : uint8_t {
    DRIVE_UNKNOWN = 0,
    DRIVE_NO_ROOT_DIR = 1,
    DRIVE_REMOVABLE = 2,
    DRIVE_FIXED = 3,
    DRIVE_REMOTE = 4,
    DRIVE_CDROM = 5,
    DRIVE_RAMDISK = 6,
};

struct TMountEntry {
    std::string MountPoint; // unescaped
    std::string FsType;
    std::string Source;   // the mounted device or share ("/dev/sdb1", "server:/export")
    std::string DeviceId; // "major:minor"
};

struct TVolumeEnvironment {
    std::string MountInfoFile = "/proc/self/mountinfo";
    std::string MountInfoText; // used instead of the file when not empty
    std::string DevDiskDir = "/dev/disk";
    std::string SysDevBlockDir = "/sys/dev/block";
    // Tests answer "does this path exist" themselves; empty means ask the file system.
    bool AssumeExists = false;
};

// The mount table of a mountinfo text (octal escapes in paths decoded).
std::vector<TMountEntry> ParseMountInfo(std::string_view Text);
// The mount that holds Path (longest mount point prefix, on path-component boundaries).
const TMountEntry* FindMountFor(const std::vector<TMountEntry>& Mounts, const std::string& Path);

struct TVolumeFacts {
    std::string Root; // the drive part: the mount point holding the path
    uint8_t DriveType = DRIVE_UNKNOWN;
    bool HasInfo = false; // label, file system and serial below were read
    std::string Label;
    std::string FileSystem;
    uint32_t Serial = 0;
};

// Reads the facts of the volume holding Path.
TVolumeFacts GetVolumeFacts(const std::string& Path,
                            const TVolumeEnvironment& Env = TVolumeEnvironment());

// The 32-bit serial of a file system UUID as blkid prints it: "1A2B-3C4D" (FAT) gives 0x1A2B3C4D,
// 16 hex digits (NTFS) give the low 32 bits, a full UUID gives its first 32 bits; 0 when none.
uint32_t SerialFromUuid(std::string_view Uuid);
// The network file systems (nfs, cifs, smb3, sshfs, 9p and the like).
bool IsRemoteFileSystem(std::string_view FsType);
