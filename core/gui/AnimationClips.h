// The clips that TAnimate plays: the program's own animations ("FINDCOMPUTERAVI",
// "FINDFILEAVI", "SAVEAVI"), the common animations numbered 1 to 8 that any caller may ask for,
// and animated image files.
//
// The program's animations are not stored as video: each frame is painted with QPainter when it
// is shown, so they stay sharp at any scale and cost no resource files. A clip is immutable once
// made and shared (std::shared_ptr<const TAnimationClip>); the built-in ones live for the whole
// program. Painting happens on the UI thread; making a file clip may happen on any thread.
#pragma once

#include <QImage>
#include <QSize>

#include <memory>
#include <string>
#include <vector>

class QPainter;

// The common animations in their customary order; 0 means none.
enum TCommonAVI {
    aviNone,
    aviFindFolder,
    aviFindFile,
    aviFindComputer,
    aviCopyFiles,
    aviCopyFile,
    aviRecycleFile,
    aviEmptyRecycle,
    aviDeleteFile
};
inline constexpr int CommonAVICount = 9;

class TAnimationClip {
public:
    virtual ~TAnimationClip() = default;
    // Size of one frame in pixels.
    virtual QSize FrameSize() const = 0;
    // At least 1.
    virtual int FrameCount() const = 0;
    // How long frame Frame (1-based) stays on screen, in milliseconds.
    virtual int FrameDuration(int Frame) const = 0;
    // Paints frame Frame (1-based) with its top-left corner at the painter's origin.
    virtual void PaintFrame(QPainter& P, int Frame) const = 0;
};

using TClipPtr = std::shared_ptr<const TAnimationClip>;

// The program's animation called Name (case-insensitive, as resource names are); null when the
// program has none of that name.
TClipPtr FindResourceClip(const std::string& Name);
// The program's animation with the number Id; the program numbers none, so this is null.
TClipPtr FindResourceClip(int Id);
// Common animation Avi; null for aviNone and for numbers outside the list.
TClipPtr CommonClip(int Avi);

// Limits for animation files: the file itself, the number of frames, and the pixels of all
// decoded frames together (4 bytes each).
inline constexpr size_t MaxClipFileBytes = 32u << 20;
inline constexpr int MaxClipFrames = 1000;
inline constexpr long long MaxClipPixels = 24ll << 20;

// An animated (or still) image file in any format the image readers know (GIF, PNG, WebP...):
// all frames are decoded at once, within the limits above. Null when the file cannot be read,
// holds no image or exceeds a limit.
TClipPtr LoadClipFile(const std::string& FileName);
// The same for bytes already in memory.
TClipPtr LoadClipBytes(const std::string& Bytes);
