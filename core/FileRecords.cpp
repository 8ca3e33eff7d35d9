#include "FileRecords.h"

#include "core/CatalogGlobals.h"
#include "platform/Format.h"
#include "platform/Volumes.h"

std::function<TVolumeAnswer(const std::string& Text)> VolumeQuestionProc;

std::unique_ptr<TFileInfo> NewFileInfo() {
    return std::make_unique<TFileInfo>();
}

std::unique_ptr<TVolumeInfo> NewVolumeInfo() {
    auto V = std::make_unique<TVolumeInfo>();
    V->VolumeName = UnknownVolumeText;
    V->FileSystem = UnknownVolumeText;
    return V;
}

bool FileTimeIsSet(int64_t Seconds, long Nanoseconds) {
    return Seconds != 0 || Nanoseconds != 0;
}

void FindDataToFileInfo(const TSearchRec& FindData, TFileInfo& Info, TLocalTimes* Times,
                        const PackedString* Name) {
    Info.Name = Name ? *Name : PackedString(FindData.Name);
    Info.Attr = FindData.Attr;
    Info.Size = FindData.Size;
    Info.Date = !FileTimeIsSet(FindData.MTimeSec, FindData.MTimeNsec) ? 0
                : Times ? Times->FromUnix(FindData.MTimeSec, FindData.MTimeNsec)
                        : UnixToDateTime(FindData.MTimeSec, FindData.MTimeNsec);
}

bool GetFileInfo(const std::string& Path, TFileInfo& Info) {
    TSearchRec Rec;
    if (!FindEntry(Path, Rec)) return false;
    FindDataToFileInfo(Rec, Info);
    return true;
}

void ReadVolumeInfo(TVolumeInfo& Volume) {
    TVolumeFacts F = GetVolumeFacts(Volume.Path);
    Volume.DriveType = F.DriveType;
    Volume.VolumeName = UnknownVolumeText;
    Volume.FileSystem = UnknownVolumeText;
    Volume.Serial = 0;
    if (F.DriveType != DRIVE_UNKNOWN && F.DriveType != DRIVE_NO_ROOT_DIR && F.HasInfo) {
        Volume.VolumeName = F.Label;
        Volume.FileSystem = F.FileSystem;
        Volume.Serial = F.Serial;
    }
}

std::string VolumeSerialText(uint32_t Serial) {
    return Format("%.4X-%.4X", {Serial >> 16, Serial & 0xFFFFu});
}

std::string DriveTypeName(int DriveType) {
    static const char* const Names[] = {
        "Unknown Drive", "Invalid Location", "REMOVABLE", "FIXED", "NETWORK", "CDROM", "RAMDISK"};
    return DriveType >= 0 && DriveType <= 6 ? Names[DriveType] : "";
}

std::string DrivePart(const std::string& Path) {
    TVolumeFacts F = GetVolumeFacts(Path);
    return F.Root.empty() ? ExtractFilePath(Path) : F.Root;
}

std::string VolumeQuestionText(const TVolumeInfo& Required, const TVolumeInfo& Current) {
    auto Block = [](const TVolumeInfo& V) {
        return Format(
            "Volume Name: %s\nVolume System: %s\nVolume Serial Number: %s\nVolume Type: %s",
            {V.VolumeName, V.FileSystem, VolumeSerialText(V.Serial), DriveTypeName(V.DriveType)});
    };
    return "The current volume does not coincide with available neat.\nRequire volume:\n" +
           Block(Required) + "\n\nCurrent volume:\n" + Block(Current) + "\n\n" +
           Format("Please insert other disk into %s", {DrivePart(Required.Path)});
}

bool CheckVolume(TVolumeInfo& Required) {
    std::unique_ptr<TVolumeInfo> Current = NewVolumeInfo();
    Current->Path = Required.Path;
    for (;;) {
        ReadVolumeInfo(*Current);
        if (Current->VolumeName == Required.VolumeName &&
            Current->FileSystem == Required.FileSystem && Current->Serial == Required.Serial &&
            Current->DriveType == Required.DriveType)
            break;
        TVolumeAnswer A = VolumeQuestionProc
                              ? VolumeQuestionProc(VolumeQuestionText(Required, *Current))
                              : TVolumeAnswer::Abort;
        if (A == TVolumeAnswer::Retry) continue;
        // The user goes on with the disk there, but the record still names the catalogued one:
        // the next check asks again rather than taking any disk for it.
        if (A == TVolumeAnswer::Ignore) return true;
        return false;
    }
    Required = *Current;
    return true;
}
