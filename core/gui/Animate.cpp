#include "Animate.h"

#include <QPainter>
#include <QTimerEvent>

#include <algorithm>

TAnimate::TAnimate(QWidget* Parent) : QWidget(Parent) {}

void TAnimate::ClearSources() {
    FCommonAVI = aviNone;
    FResName.clear();
    FResId = 0;
    FFileName.clear();
}

void TAnimate::SetClip(TClipPtr Clip) {
    FClip = std::move(Clip);
    FPlayed = 0;
    if (!FClip) FActive = false;
    FCurrentFrame = FClip ? FirstFrame() : 0;
    updateGeometry();
    update();
    UpdateTimer();
}

void TAnimate::SetCommonAVI(int Avi) {
    ClearSources();
    if (Avi == aviNone) return SetClip(nullptr);
    TClipPtr Clip = CommonClip(Avi);
    if (!Clip) {
        SetClip(nullptr);
        throw EAnimateError(SCannotOpenAVI);
    }
    FCommonAVI = Avi;
    SetClip(std::move(Clip));
}

void TAnimate::SetResName(const std::string& Name) {
    ClearSources();
    if (Name.empty()) return SetClip(nullptr);
    TClipPtr Clip = FindResourceClip(Name);
    if (!Clip) {
        SetClip(nullptr);
        throw EAnimateError(SCannotOpenAVI);
    }
    FResName = Name;
    SetClip(std::move(Clip));
}

void TAnimate::SetResId(int Id) {
    ClearSources();
    if (Id == 0) return SetClip(nullptr);
    TClipPtr Clip = FindResourceClip(Id);
    if (!Clip) {
        SetClip(nullptr);
        throw EAnimateError(SCannotOpenAVI);
    }
    FResId = Id;
    SetClip(std::move(Clip));
}

void TAnimate::SetFileName(const std::string& FileName) {
    ClearSources();
    if (FileName.empty()) return SetClip(nullptr);
    TClipPtr Clip = LoadClipFile(FileName);
    if (!Clip) {
        SetClip(nullptr);
        throw EAnimateError(SCannotOpenAVI);
    }
    FFileName = FileName;
    SetClip(std::move(Clip));
}

int TAnimate::FrameCount() const {
    return FClip ? FClip->FrameCount() : 0;
}
int TAnimate::FrameWidth() const {
    return FClip ? FClip->FrameSize().width() : 0;
}
int TAnimate::FrameHeight() const {
    return FClip ? FClip->FrameSize().height() : 0;
}

int TAnimate::LastFrame() const {
    const int Count = FrameCount();
    return FStopFrame <= 0 || FStopFrame > Count ? Count : FStopFrame;
}

int TAnimate::FirstFrame() const {
    return std::clamp(FStartFrame, 1, std::max(1, LastFrame()));
}

void TAnimate::SetStartFrame(int Frame) {
    FStartFrame = std::max(1, Frame);
}
void TAnimate::SetStopFrame(int Frame) {
    FStopFrame = std::max(0, Frame);
}
void TAnimate::SetRepetitions(int Count) {
    FRepetitions = std::max(0, Count);
}

void TAnimate::SetActive(bool Value) {
    if (Value) {
        if (!FClip) throw EAnimateError(SCannotOpenAVI);
        FActive = true;
        FPlayed = 0;
        FCurrentFrame = FirstFrame();
        update();
    } else {
        FActive = false;
    }
    UpdateTimer();
}

void TAnimate::Play(int FromFrame, int ToFrame, int Count) {
    SetStartFrame(FromFrame);
    SetStopFrame(ToFrame);
    SetRepetitions(Count);
    SetActive(true);
}

void TAnimate::Stop() {
    SetActive(false);
    if (FClip) FCurrentFrame = FirstFrame();
    update();
}

void TAnimate::Seek(int Frame) {
    SetActive(false);
    if (!FClip) return;
    FCurrentFrame = std::clamp(Frame, 1, FrameCount());
    update();
}

void TAnimate::AdvanceFrame() {
    if (!FActive || !FClip) return;
    const int First = FirstFrame();
    const int Last = LastFrame();
    if (FCurrentFrame >= First && FCurrentFrame < Last) {
        ++FCurrentFrame;
    } else if (FCurrentFrame < First) {
        FCurrentFrame = First;
    } else {
        ++FPlayed;
        if (FRepetitions > 0 && FPlayed >= FRepetitions) {
            FActive = false;
            UpdateTimer();
            return;
        }
        FCurrentFrame = First;
    }
    update();
    UpdateTimer();
}

void TAnimate::SetCenter(bool Value) {
    FCenter = Value;
    update();
}

QSize TAnimate::sizeHint() const {
    return FClip ? FClip->FrameSize().expandedTo(minimumSize()) : minimumSize();
}

void TAnimate::UpdateTimer() {
    if (FActive && FClip && isVisible()) {
        const int Interval = FClip->FrameDuration(FCurrentFrame);
        if (!FTimer.isActive() || Interval != FTimerInterval) FTimer.start(Interval, this);
        FTimerInterval = Interval;
    } else {
        FTimer.stop();
    }
}

void TAnimate::paintEvent(QPaintEvent*) {
    if (!FClip) return;
    QPainter P(this);
    const QSize Frame = FClip->FrameSize();
    if (FCenter) P.translate((width() - Frame.width()) / 2, (height() - Frame.height()) / 2);
    FClip->PaintFrame(P, FCurrentFrame);
}

void TAnimate::showEvent(QShowEvent* Event) {
    QWidget::showEvent(Event);
    UpdateTimer();
}

void TAnimate::hideEvent(QHideEvent* Event) {
    QWidget::hideEvent(Event);
    UpdateTimer();
}

void TAnimate::timerEvent(QTimerEvent* Event) {
    if (Event->timerId() != FTimer.timerId()) return QWidget::timerEvent(Event);
    AdvanceFrame();
}
