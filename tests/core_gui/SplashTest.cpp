// The animation window around catalog loading and saving: one window, reused; clips chosen by
// kind; nothing that goes wrong reaches the caller.
#include "core/gui/splash.h"
#include "core/gui/Animate.h"
#include "core/gui/CoreGui.h"
#include "platform/Thread.h"
#include "tests/TestSupport.h"

#include <QImage>
#include <gtest/gtest.h>

namespace {

// Every test starts before the first use of the window.
class Splash : public ::testing::Test {
protected:
    void SetUp() override { FreeAnimationForm(); }
    void TearDown() override { FreeAnimationForm(); }
};

bool Shown() {
    return fm_splash && fm_splash->isVisible();
}

} // namespace

TEST_F(Splash, HideBeforeAnyShowDoesNothing) {
    HideAnimation();
    EXPECT_TRUE(fm_splash.isNull());
}

TEST_F(Splash, SecondShowReusesTheWindowWithNewCaptionAndClip) {
    ShowAnimation("Saving ...", 4, std::string("SAVEAVI"));
    ASSERT_TRUE(Shown());
    Tfm_splash* First = fm_splash;
    TAnimate* A = First->Animate1;
    EXPECT_EQ(First->windowTitle(), "Saving ...");
    EXPECT_EQ(A->ResName(), "SAVEAVI");
    EXPECT_TRUE(A->Active());
    EXPECT_EQ(A->StartFrame(), 1);
    EXPECT_EQ(A->StopFrame(), A->FrameCount());
    EXPECT_EQ(A->Repetitions(), 0);
    EXPECT_EQ(First->size(), QSize(200, 50)); // sized to its clip

    A->AdvanceFrame();
    A->AdvanceFrame();
    HideAnimation();
    EXPECT_FALSE(First->isVisible());
    EXPECT_FALSE(A->Active());
    EXPECT_EQ(A->CurrentFrame(), 1);

    ShowAnimation("Loading ...", 1, 1);
    EXPECT_EQ(fm_splash, First);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(First->windowTitle(), "Loading ...");
    EXPECT_EQ(A->CommonAVI(), aviFindFolder);
    EXPECT_EQ(A->ResName(), "");
    EXPECT_TRUE(A->Active());
    EXPECT_EQ(First->size(), QSize(120, 50)); // never smaller than 120 x 50

    // Shown again while shown: new caption and clip, played from the start.
    A->AdvanceFrame();
    ShowAnimation("Copying ...", 1, std::string("4"));
    EXPECT_EQ(fm_splash, First);
    EXPECT_TRUE(Shown());
    EXPECT_EQ(First->windowTitle(), "Copying ...");
    EXPECT_EQ(A->CommonAVI(), aviCopyFiles);
    EXPECT_EQ(A->CurrentFrame(), 1);
    EXPECT_EQ(A->StopFrame(), A->FrameCount());
}

TEST_F(Splash, UnknownKindReplaysThePreviousClipAndShowsNothingAtFirst) {
    ShowAnimation("Working ...", 9, 0);
    ASSERT_TRUE(fm_splash);
    EXPECT_FALSE(Shown());

    ShowAnimation("Saving ...", 4, std::string("SAVEAVI"));
    HideAnimation();
    ShowAnimation("Working ...", 0, std::string("FINDFILEAVI"));
    EXPECT_TRUE(Shown());
    EXPECT_EQ(fm_splash->windowTitle(), "Working ...");
    EXPECT_EQ(fm_splash->Animate1->ResName(), "SAVEAVI");
    EXPECT_TRUE(fm_splash->Animate1->Active());
}

TEST_F(Splash, AClipThatCannotBeOpenedLeavesTheWindowHidden) {
    TempDir Dir;
    WriteFile(Dir / "notes.txt", "not an animation");
    const struct {
        uint8_t Kind;
        TAnimationSource Source;
    } Cases[] = {{4, std::string("NOSUCHAVI")},
                 {4, std::string()},
                 {2, Dir / "missing.avi"},
                 {2, Dir / "notes.txt"},
                 {3, 101},
                 {1, 0},
                 {1, 9},
                 {1, std::string("find folder")}};
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Kind);
        EXPECT_NO_THROW(ShowAnimation("Loading ...", C.Kind, C.Source));
        ASSERT_TRUE(fm_splash);
        EXPECT_FALSE(Shown());
        EXPECT_FALSE(fm_splash->Animate1->Active());
    }
}

TEST_F(Splash, AnimationFilesAndNumbersGivenAsText) {
    TempDir Dir;
    QImage Picture(160, 60, QImage::Format_RGB32);
    Picture.fill(Qt::darkCyan);
    ASSERT_TRUE(Picture.save(QString::fromStdString(Dir / "clip.png")));
    ShowAnimation("Loading ...", 2, Dir / "clip.png");
    ASSERT_TRUE(Shown());
    EXPECT_EQ(fm_splash->Animate1->FileName(), Dir / "clip.png");
    EXPECT_EQ(fm_splash->size(), QSize(160, 60));

    ShowAnimation("Searching ...", 1, std::string("3"));
    EXPECT_EQ(fm_splash->Animate1->CommonAVI(), aviFindComputer);
}

TEST_F(Splash, CoreWrappersReachTheWindowOnceInstalled) {
    const auto SavedShow = ShowProgressAnimationProc;
    const auto SavedClose = CloseProgressAnimationProc;
    ShowProgressAnimationProc = nullptr;
    CloseProgressAnimationProc = nullptr;
    ShowProgressAnimation("Saving ...", 4, std::string("SAVEAVI"));
    CloseProgressAnimation();
    EXPECT_TRUE(fm_splash.isNull());

    InstallCoreGuiHooks();
    ShowProgressAnimation("Saving ...", 4, std::string("SAVEAVI"));
    EXPECT_TRUE(Shown());
    EXPECT_EQ(fm_splash->windowTitle(), "Saving ...");
    CloseProgressAnimation();
    EXPECT_FALSE(Shown());

    // Called from a worker, the window is still made and shown on the UI thread.
    class TWorker : public TThread {
    protected:
        void Execute() override { ShowProgressAnimation("Loading ...", 1, 1); }
    } Worker;
    Worker.Resume();
    Worker.WaitFor();
    EXPECT_TRUE(Shown());
    EXPECT_EQ(fm_splash->windowTitle(), "Loading ...");
    CloseProgressAnimation();

    ShowProgressAnimationProc = SavedShow;
    CloseProgressAnimationProc = SavedClose;
}
