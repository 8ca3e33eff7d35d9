#include "core/FileRecords.h"
#include "core/CatalogGlobals.h"
#include "platform/FindFile.h"
#include "platform/Volumes.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

TEST(FileRecords, FactsOfEveryKindOfEntry) {
    TempDir D;
    WriteFile(D / "plain.txt", "hello");
    WriteFile(D / ".hidden", "");
    WriteFile(D / "readonly", "x");
    ::chmod((D / "readonly").c_str(), 0444);
    int Fd = ::open((D / "huge.iso").c_str(), O_CREAT | O_WRONLY, 0644);
    ASSERT_GE(Fd, 0);
    ASSERT_EQ(::ftruncate(Fd, 5LL << 30), 0); // sparse: no blocks used
    ::close(Fd);
    MakeDir(D / "folder");
    ASSERT_EQ(::symlink("folder", (D / "link").c_str()), 0);
    ASSERT_EQ(::mkfifo((D / "fifo").c_str(), 0644), 0);
    WriteFile(D / "epoch", "");
    struct timespec Zero[2] = {{0, 0}, {0, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, (D / "epoch").c_str(), Zero, 0), 0);

    TFileInfo I;
    ASSERT_TRUE(GetFileInfo(D / "plain.txt", I));
    EXPECT_EQ(I.Name.View(), "plain.txt");
    EXPECT_EQ(I.Size, 5u);
    EXPECT_EQ(I.Attr, faArchive);
    EXPECT_GT(I.Date, 40000.0);
    ASSERT_TRUE(GetFileInfo(D / "huge.iso", I));
    EXPECT_EQ(I.Size, 5ULL << 30); // the full size, not its low 32 bits
    ASSERT_TRUE(GetFileInfo(D / ".hidden", I));
    EXPECT_EQ(I.Attr, faArchive | faHidden);
    ASSERT_TRUE(GetFileInfo(D / "readonly", I));
    EXPECT_EQ(I.Attr, faArchive | faReadOnly);
    ASSERT_TRUE(GetFileInfo(D / "folder", I));
    EXPECT_EQ(I.Attr, faDirectory);
    EXPECT_EQ(I.Size, 0u);
    ASSERT_TRUE(GetFileInfo(D / "link", I)); // the link itself, never what it points to
    EXPECT_EQ(I.Attr, faReparsePoint);
    ASSERT_TRUE(GetFileInfo(D / "fifo", I));
    EXPECT_EQ(I.Attr, faSysFile);
    ASSERT_TRUE(GetFileInfo(D / "epoch", I));
    EXPECT_EQ(I.Date, 0.0);
    // Nothing there: the record keeps what it had.
    I.Name = PackedString("kept");
    EXPECT_FALSE(GetFileInfo(D / "missing", I));
    EXPECT_EQ(I.Name.View(), "kept");
}

TEST(FileRecords, NamesAreTakenLiterally) {
    TempDir D;
    std::set<std::string> Names = {"*", "?", "[a-z]", "a\\b", "new\nline", "\xff\xfe", "x.txt"};
    for (const auto& N : Names)
        WriteFile(D / N, "");
    std::set<std::string> Seen;
    TSearchRec R;
    TSearchHandle H;
    for (bool Ok = FindFirst(D.Path(), R, H); Ok; Ok = FindNext(R, H))
        Seen.insert(R.Name);
    FindClose(H);
    EXPECT_EQ(Seen, Names);
    TFileInfo I;
    ASSERT_TRUE(GetFileInfo(D / "*", I)); // "*" names one file, not all of them
    EXPECT_EQ(I.Name.View(), "*");
    EXPECT_FALSE(FindFirst(D / "nope", R, H));
    EXPECT_NE(H.Error, 0);
}

namespace {

const char* MountInfo = "22 1 8:2 / / rw,relatime shared:1 - ext4 /dev/sda2 rw\n"
                        "30 22 0:25 / /tmp rw shared:5 - tmpfs tmpfs rw\n"
                        "31 22 11:0 / /media/cd ro - iso9660 /dev/sr0 ro\n"
                        "32 22 8:17 / /media/usb\\040stick rw - vfat /dev/sdb1 rw\n"
                        "33 22 0:40 / /net/share rw - nfs4 server:/export rw\n"
                        "34 22 0:41 / /mnt/win rw - cifs //host/share rw\n"
                        "35 22 0:42 / /dev/shm rw - ramfs none rw\n";

struct FakeSystem {
    TempDir D;
    TVolumeEnvironment Env;
    FakeSystem() {
        Env.MountInfoText = MountInfo;
        Env.DevDiskDir = D / "disk";
        Env.SysDevBlockDir = D / "sys/dev/block";
        Env.AssumeExists = true;
        MakeDir(D / "disk/by-label");
        MakeDir(D / "disk/by-uuid");
        MakeDir(D / "sys/dev/block");
        Link("../../sdb1", D / "disk/by-label/MY\\x20STICK");
        Link("../../sdb1", D / "disk/by-uuid/1A2B-3C4D");
        Link("../../sda2", D / "disk/by-uuid/0f8e2a34-1111-2222-3333-444455556666");
        Link("../../sr0", D / "disk/by-label/DVD_2024");
        // sdb sits on USB; sda is a fixed disk.
        MakeDir(D / "sys/devices/pci0/usb1/1-1/block/sdb/sdb1");
        MakeDir(D / "sys/devices/pci0/ata1/block/sda/sda2");
        WriteFile(D / "sys/devices/pci0/ata1/block/sda/removable", "0\n");
        Link(D / "sys/devices/pci0/usb1/1-1/block/sdb/sdb1", D / "sys/dev/block/8:17");
        Link(D / "sys/devices/pci0/ata1/block/sda/sda2", D / "sys/dev/block/8:2");
    }
    static void Link(const std::string& Target, const std::string& Name) {
        ASSERT_EQ(::symlink(Target.c_str(), Name.c_str()), 0) << Name;
    }
};

} // namespace

TEST(Volumes, DriveTypesLabelsAndSerialsFromTheMountTable) {
    FakeSystem S;
    TVolumeFacts F = GetVolumeFacts("/media/usb stick/photos/a.jpg", S.Env);
    EXPECT_EQ(F.Root, "/media/usb stick");
    EXPECT_EQ(F.DriveType, DRIVE_REMOVABLE);
    EXPECT_EQ(F.Label, "MY STICK");
    EXPECT_EQ(F.FileSystem, "vfat");
    EXPECT_EQ(F.Serial, 0x1A2B3C4Du);

    F = GetVolumeFacts("/home/user/doc.txt", S.Env);
    EXPECT_EQ(F.Root, "/");
    EXPECT_EQ(F.DriveType, DRIVE_FIXED);
    EXPECT_EQ(F.Label, "");
    EXPECT_EQ(F.FileSystem, "ext4");
    EXPECT_EQ(F.Serial, 0x0f8e2a34u);

    F = GetVolumeFacts("/media/cd/setup.exe", S.Env);
    EXPECT_EQ(F.DriveType, DRIVE_CDROM);
    EXPECT_EQ(F.Label, "DVD_2024");
    EXPECT_EQ(GetVolumeFacts("/net/share/x", S.Env).DriveType, DRIVE_REMOTE);
    EXPECT_EQ(GetVolumeFacts("/mnt/win/x", S.Env).DriveType, DRIVE_REMOTE);
    EXPECT_EQ(GetVolumeFacts("/tmp/x", S.Env).DriveType, DRIVE_RAMDISK);
    EXPECT_EQ(GetVolumeFacts("/dev/shm", S.Env).DriveType, DRIVE_RAMDISK);
    // "/tmpfoo" is not below "/tmp".
    EXPECT_EQ(GetVolumeFacts("/tmpfoo/x", S.Env).Root, "/");
}

TEST(Volumes, MissingPathAndEmptyTable) {
    TVolumeEnvironment Env;
    TVolumeFacts F = GetVolumeFacts("/definitely/not/here/qm", Env);
    EXPECT_EQ(F.DriveType, DRIVE_NO_ROOT_DIR);
    EXPECT_FALSE(F.HasInfo);
    Env.MountInfoText = "garbage line\n";
    Env.AssumeExists = true;
    EXPECT_EQ(GetVolumeFacts("/x", Env).DriveType, DRIVE_UNKNOWN);
}

TEST(Volumes, SerialsFromUuids) {
    EXPECT_EQ(SerialFromUuid("1A2B-3C4D"), 0x1A2B3C4Du);
    EXPECT_EQ(SerialFromUuid("0123456789ABCDEF"), 0x89ABCDEFu); // NTFS: the low half
    EXPECT_EQ(SerialFromUuid("0f8e2a34-1111-2222-3333-444455556666"), 0x0f8e2a34u);
    EXPECT_EQ(SerialFromUuid(""), 0u);
    EXPECT_EQ(VolumeSerialText(0x1A2B3C4D), "1A2B-3C4D");
    EXPECT_EQ(VolumeSerialText(0xA), "0000-000A");
    EXPECT_EQ(DriveTypeName(5), "CDROM");
    EXPECT_EQ(DriveTypeName(1), "Invalid Location");
    EXPECT_EQ(DriveTypeName(7), "");
}

TEST(Volumes, CheckVolumeAsksUntilTheAnswerSettlesIt) {
    TempDir D;
    TVolumeInfo Real;
    Real.Path = D.Path();
    ReadVolumeInfo(Real);
    EXPECT_NE(Real.DriveType, 0);

    // The recorded disk matches: no question.
    int Asked = 0;
    VolumeQuestionProc = [&](const std::string&) {
        ++Asked;
        return TVolumeAnswer::Abort;
    };
    TVolumeInfo Same = Real;
    EXPECT_TRUE(CheckVolume(Same));
    EXPECT_EQ(Asked, 0);

    // Another disk: Abort leaves the record as it was.
    TVolumeInfo Other = Real;
    Other.VolumeName = "OLD DISK";
    Other.Serial = 0x12345678;
    EXPECT_FALSE(CheckVolume(Other));
    EXPECT_EQ(Asked, 1);
    EXPECT_EQ(Other.VolumeName, "OLD DISK");

    // Retry asks again; Ignore goes on but keeps the record of the disk catalogued, so the next
    // check asks again.
    std::vector<TVolumeAnswer> Answers = {TVolumeAnswer::Retry, TVolumeAnswer::Ignore,
                                          TVolumeAnswer::Ignore};
    std::string Text;
    VolumeQuestionProc = [&](const std::string& T) {
        Text = T;
        TVolumeAnswer A = Answers.front();
        Answers.erase(Answers.begin());
        return A;
    };
    const TVolumeInfo Recorded = Other;
    EXPECT_TRUE(CheckVolume(Other));
    EXPECT_EQ(Answers.size(), 1u);
    EXPECT_EQ(Other.VolumeName, "OLD DISK");
    EXPECT_EQ(Other.Serial, 0x12345678u);
    EXPECT_EQ(Other.FileSystem, Recorded.FileSystem);
    EXPECT_EQ(Other.DriveType, Recorded.DriveType);
    EXPECT_TRUE(CheckVolume(Other));
    EXPECT_TRUE(Answers.empty());
    VolumeQuestionProc = nullptr;

    EXPECT_EQ(Text.substr(0, Text.find('\n')),
              "The current volume does not coincide with available neat.");
    EXPECT_NE(Text.find("\nRequire volume:\nVolume Name: OLD DISK\n"), std::string::npos);
    EXPECT_NE(Text.find("Volume Serial Number: 1234-5678\n"), std::string::npos);
    EXPECT_NE(Text.find("\n\nCurrent volume:\n"), std::string::npos);
    EXPECT_NE(Text.find("\n\nPlease insert other disk into /"), std::string::npos);
    // Without an answer hook the check aborts.
    TVolumeInfo Third = Real;
    Third.Serial ^= 1;
    EXPECT_FALSE(CheckVolume(Third));
}

TEST(Volumes, LabelCaseCountsAsAnotherVolume) {
    TempDir D;
    TVolumeInfo V;
    V.Path = D.Path();
    ReadVolumeInfo(V);
    V.VolumeName = V.VolumeName.empty() ? "x" : AnsiLowerCase(V.VolumeName) + "X";
    EXPECT_FALSE(CheckVolume(V));
}
