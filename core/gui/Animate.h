// TAnimate: the animation control of the core's windows. It plays one clip (see
// AnimationClips.h), chosen as a common animation, a program animation by name or number, or an
// animation file, frame by frame on a timer of the UI thread.
//
// Frames are numbered from 1. While Active, the control shows StartFrame to StopFrame (0: to the
// last frame) and repeats that Repetitions times (0: until stopped); it then rests on the last
// frame it showed. Stop shows the start frame again. The timer runs only while the control is
// active and visible, so a hidden window costs nothing.
//
// Choosing a clip that cannot be opened raises EAnimateError ("Cannot open AVI") and leaves the
// control without a clip. The control owns nothing but its reference to the shared clip.
// UI thread only.
#pragma once

#include "core/gui/AnimationClips.h"
#include "platform/Exceptions.h"

#include <QBasicTimer>
#include <QWidget>

#include <string>

class EAnimateError : public Exception {
public:
    using Exception::Exception;
};

inline constexpr const char* SCannotOpenAVI = "Cannot open AVI";

class TAnimate : public QWidget {
public:
    explicit TAnimate(QWidget* Parent = nullptr);

    // The clip. Each setter forgets the other three sources; aviNone or an empty name closes the
    // clip. A clip chosen while playing plays from its start frame.
    void SetCommonAVI(int Avi);
    int CommonAVI() const { return FCommonAVI; }
    void SetResName(const std::string& Name);
    const std::string& ResName() const { return FResName; }
    void SetResId(int Id);
    int ResId() const { return FResId; }
    void SetFileName(const std::string& FileName);
    const std::string& FileName() const { return FFileName; }

    bool Open() const { return FClip != nullptr; }
    int FrameCount() const;
    int FrameWidth() const;
    int FrameHeight() const;

    int StartFrame() const { return FStartFrame; }
    void SetStartFrame(int Frame);
    int StopFrame() const { return FStopFrame; }
    void SetStopFrame(int Frame);
    int Repetitions() const { return FRepetitions; }
    void SetRepetitions(int Count);

    bool Active() const { return FActive; }
    // Starting without a clip raises EAnimateError.
    void SetActive(bool Value);
    // StartFrame := FromFrame, StopFrame := ToFrame, Repetitions := Count, then Active.
    void Play(int FromFrame, int ToFrame, int Count);
    void Stop();
    // Shows Frame without playing.
    void Seek(int Frame);

    // The frame on screen (0 without a clip).
    int CurrentFrame() const { return FCurrentFrame; }
    // The step the timer takes: the next frame, wrapping or ending as the repetitions say. A long
    // operation on the UI thread may call it itself to keep the clip moving.
    void AdvanceFrame();

    // Centre the frame in the control (default) or draw it at the top left.
    bool Center() const { return FCenter; }
    void SetCenter(bool Value);

    // Frame size, never smaller than the minimum size; a layout sizes an auto-sized control to it.
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return minimumSize(); }

protected:
    void paintEvent(QPaintEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void timerEvent(QTimerEvent* Event) override;

private:
    void SetClip(TClipPtr Clip);
    void ClearSources();
    int FirstFrame() const;
    int LastFrame() const;
    void UpdateTimer();

    TClipPtr FClip;
    int FCommonAVI = aviNone;
    std::string FResName;
    int FResId = 0;
    std::string FFileName;

    int FStartFrame = 1;
    int FStopFrame = 0;
    int FRepetitions = 0;
    bool FActive = false;
    bool FCenter = true;
    int FCurrentFrame = 0;
    int FPlayed = 0; // passes completed in this play
    QBasicTimer FTimer;
    int FTimerInterval = 0;
};
