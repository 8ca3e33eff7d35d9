// The animation control and its clips: frame ranges, repetitions, the clip sources and their
// failures, and animation files from outside.
#include "core/gui/Animate.h"
#include "core/gui/AnimationClips.h"
#include "tests/TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<int> Steps(TAnimate& A, int Count) {
    std::vector<int> Frames;
    for (int I = 0; I < Count; ++I) {
        A.AdvanceFrame();
        Frames.push_back(A.CurrentFrame());
    }
    return Frames;
}

QImage Render(const TAnimationClip& Clip, int Frame) {
    QImage Image(Clip.FrameSize(), QImage::Format_ARGB32_Premultiplied);
    Image.fill(Qt::transparent);
    QPainter P(&Image);
    Clip.PaintFrame(P, Frame);
    return Image;
}

void RunEvents(int Milliseconds) {
    QElapsedTimer Clock;
    Clock.start();
    while (Clock.elapsed() < Milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

// GIF89a, 1 x 1 pixel, two frames: black for 100 ms, then white for 200 ms.
std::string TwoFrameGif() {
    const unsigned char Bytes[] = {
        'G',  'I',  'F', '8', '9', 'a', 1, 0, 1, 0, 0x80, 0, 0, // screen, 2-colour table
        0,    0,    0,   255, 255, 255,                         // black, white
        0x21, 0xF9, 4,   0,   10,  0,   0, 0,                   // 10/100 s
        0x2C, 0,    0,   0,   0,   1,   0, 1, 0, 0, 2,    2, 0x44, 0x01, 0, // pixel 0
        0x21, 0xF9, 4,   0,   20,  0,   0, 0,                               // 20/100 s
        0x2C, 0,    0,   0,   0,   1,   0, 1, 0, 0, 2,    2, 0x4C, 0x01, 0, // pixel 1
        0x3B};
    return std::string(reinterpret_cast<const char*>(Bytes), sizeof Bytes);
}

} // namespace

TEST(Animate, PlaysFromStartToStopFrameAndWraps) {
    TAnimate A;
    A.SetCommonAVI(aviCopyFiles);
    ASSERT_GT(A.FrameCount(), 8);
    A.SetStopFrame(8);
    A.SetActive(true);
    EXPECT_EQ(A.CurrentFrame(), 1);
    EXPECT_EQ(Steps(A, 9), (std::vector<int>{2, 3, 4, 5, 6, 7, 8, 1, 2}));
    EXPECT_TRUE(A.Active());

    // A stop frame past the clip's end, or 0, plays to the last frame.
    A.SetStopFrame(0);
    A.SetActive(true);
    for (int I = 1; I < A.FrameCount(); ++I)
        A.AdvanceFrame();
    EXPECT_EQ(A.CurrentFrame(), A.FrameCount());
    A.AdvanceFrame();
    EXPECT_EQ(A.CurrentFrame(), 1);
    A.SetStopFrame(A.FrameCount() + 50);
    A.SetActive(true);
    for (int I = 1; I < A.FrameCount(); ++I)
        A.AdvanceFrame();
    EXPECT_EQ(A.CurrentFrame(), A.FrameCount());
}

TEST(Animate, RepetitionsEndOnTheLastFrameAndStopReturnsToTheStart) {
    TAnimate A;
    A.SetResName("SAVEAVI");
    A.Play(2, 4, 2);
    EXPECT_EQ(A.CurrentFrame(), 2);
    EXPECT_EQ(Steps(A, 6), (std::vector<int>{3, 4, 2, 3, 4, 4}));
    EXPECT_FALSE(A.Active());

    A.Play(3, 5, 0);
    Steps(A, 7);
    EXPECT_TRUE(A.Active()); // 0 repeats until stopped
    A.Stop();
    EXPECT_FALSE(A.Active());
    EXPECT_EQ(A.CurrentFrame(), 3);
    A.AdvanceFrame(); // a stopped clip stays where it is
    EXPECT_EQ(A.CurrentFrame(), 3);

    A.Seek(A.FrameCount() + 10);
    EXPECT_EQ(A.CurrentFrame(), A.FrameCount());
}

TEST(Animate, SourcesReplaceEachOtherAndBadOnesCloseTheClip) {
    TAnimate A;
    EXPECT_THROW(A.SetActive(true), EAnimateError); // nothing to play

    A.SetResName("saveavi"); // resource names ignore case
    EXPECT_TRUE(A.Open());
    EXPECT_EQ(A.FrameWidth(), 200);
    A.SetCommonAVI(aviFindFolder);
    EXPECT_EQ(A.ResName(), "");
    EXPECT_EQ(A.CommonAVI(), aviFindFolder);

    A.SetActive(true);
    try {
        A.SetResName("NOSUCHAVI");
        FAIL() << "an unknown animation opened";
    } catch (const EAnimateError& E) {
        EXPECT_EQ(E.Message(), "Cannot open AVI");
    }
    EXPECT_FALSE(A.Open());
    EXPECT_FALSE(A.Active());
    EXPECT_EQ(A.CommonAVI(), aviNone);
    EXPECT_EQ(A.CurrentFrame(), 0);

    EXPECT_THROW(A.SetCommonAVI(9), EAnimateError);
    EXPECT_THROW(A.SetCommonAVI(-1), EAnimateError);
    EXPECT_THROW(A.SetResId(1), EAnimateError);
    EXPECT_THROW(A.SetFileName("/nonexistent/clip.gif"), EAnimateError);
    A.SetCommonAVI(aviNone);
    EXPECT_FALSE(A.Open());

    // A new clip chosen while playing plays on from its start.
    A.SetResName("FINDFILEAVI");
    A.SetActive(true);
    Steps(A, 3);
    A.SetResName("FINDCOMPUTERAVI");
    EXPECT_TRUE(A.Active());
    EXPECT_EQ(A.CurrentFrame(), 1);
}

TEST(Animate, TimerRunsOnlyWhileVisible) {
    TAnimate A;
    A.resize(120, 50);
    A.SetResName("FINDFILEAVI");
    A.SetActive(true);
    RunEvents(300);
    EXPECT_EQ(A.CurrentFrame(), 1); // never shown

    A.show();
    RunEvents(600);
    EXPECT_NE(A.CurrentFrame(), 1);

    A.hide();
    const int Frame = A.CurrentFrame();
    RunEvents(300);
    EXPECT_EQ(A.CurrentFrame(), Frame);
}

TEST(AnimationClips, EveryBuiltInClipMovesAndFitsItsWindow) {
    std::vector<TClipPtr> Clips = {FindResourceClip("FINDCOMPUTERAVI"),
                                   FindResourceClip("FINDFILEAVI"), FindResourceClip("SAVEAVI")};
    for (int Avi = aviFindFolder; Avi <= aviDeleteFile; ++Avi)
        Clips.push_back(CommonClip(Avi));
    for (size_t I = 0; I < Clips.size(); ++I) {
        SCOPED_TRACE(I);
        ASSERT_TRUE(Clips[I]);
        const TAnimationClip& C = *Clips[I];
        EXPECT_GE(C.FrameCount(), 8);
        EXPECT_GT(C.FrameDuration(1), 0);
        QImage Blank(C.FrameSize(), QImage::Format_ARGB32_Premultiplied);
        Blank.fill(Qt::transparent);
        QImage Previous;
        for (int F = 1; F <= C.FrameCount(); ++F) {
            const QImage Frame = Render(C, F);
            EXPECT_NE(Frame, Blank) << "frame " << F;
            if (F > 1) {
                EXPECT_NE(Frame, Previous) << "frame " << F << " repeats";
            }
            Previous = Frame;
        }
    }
    // The progress window plays frames 1 to 8 in an area 45 pixels high.
    for (const char* Name : {"FINDCOMPUTERAVI", "FINDFILEAVI"}) {
        EXPECT_EQ(FindResourceClip(Name)->FrameCount(), 8) << Name;
        EXPECT_LE(FindResourceClip(Name)->FrameSize().height(), 45) << Name;
        EXPECT_LE(FindResourceClip(Name)->FrameSize().width(), 302) << Name;
    }
    EXPECT_FALSE(CommonClip(aviNone));
    EXPECT_FALSE(CommonClip(CommonAVICount));
    EXPECT_FALSE(FindResourceClip(""));
}

TEST(AnimationClips, AnimatedImageFilesKeepTheirFramesAndDelays) {
    TempDir Dir;
    WriteFile(Dir / "spin.gif", TwoFrameGif());
    TClipPtr Clip = LoadClipFile(Dir / "spin.gif");
    ASSERT_TRUE(Clip);
    ASSERT_EQ(Clip->FrameCount(), 2);
    EXPECT_EQ(Clip->FrameSize(), QSize(1, 1));
    EXPECT_EQ(Clip->FrameDuration(1), 100);
    EXPECT_EQ(Clip->FrameDuration(2), 200);
    EXPECT_EQ(Render(*Clip, 1).pixel(0, 0), qRgb(0, 0, 0));
    EXPECT_EQ(Render(*Clip, 2).pixel(0, 0), qRgb(255, 255, 255));

    // A still picture is a clip of one frame.
    QImage Still(30, 20, QImage::Format_RGB32);
    Still.fill(Qt::red);
    ASSERT_TRUE(Still.save(QString::fromStdString(Dir / "still.png")));
    TAnimate A;
    A.SetFileName(Dir / "still.png");
    EXPECT_EQ(A.FrameCount(), 1);
    EXPECT_EQ(A.FileName(), Dir / "still.png");
    A.Play(1, 1, 0);
    A.AdvanceFrame();
    EXPECT_EQ(A.CurrentFrame(), 1);
}

TEST(AnimationClips, BadAnimationFilesAreRefused) {
    TempDir Dir;
    EXPECT_FALSE(LoadClipBytes(""));
    EXPECT_FALSE(LoadClipBytes(std::string("RIFF\x10\0\0\0AVI LIST", 16)));
    EXPECT_FALSE(LoadClipBytes(TwoFrameGif().substr(0, 13)));
    // The header promises 30 million pixels: refused before anything is decoded.
    EXPECT_FALSE(LoadClipBytes("P4\n6000 5000\n" + std::string(64, '\xAA')));
    // Folders and missing files are no animations.
    EXPECT_FALSE(LoadClipFile(Dir.Path()));
    EXPECT_FALSE(LoadClipFile(Dir / "missing.gif"));
    WriteFile(Dir / "huge.gif", std::string(MaxClipFileBytes + 1, 'G'));
    EXPECT_FALSE(LoadClipFile(Dir / "huge.gif"));
}
