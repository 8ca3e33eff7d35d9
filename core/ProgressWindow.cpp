#include "ProgressWindow.h"

namespace {

// The progress window of a process without windows: it keeps its state and shows nothing.
class THeadlessProgress : public TProgressWindow {
public:
    void SetMode(uint8_t Mode) override { FMode = Mode; }
    uint8_t Mode() const override { return FMode; }
    void SetThread(TThread* Thread) override { FThread = Thread; }
    TThread* Thread() const override { return FThread; }
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetText(const std::string& Text) override { FText = Text; }
    std::string Text() const override { return FText; }

private:
    uint8_t FMode = 0;
    TThread* FThread = nullptr;
    std::string FText;
};

} // namespace

std::function<std::unique_ptr<TProgressWindow>(TProgressOwner)> CreateProgressWindowProc;
std::function<void(const std::string&, uint8_t, const TAnimationSource&)> ShowProgressAnimationProc;
std::function<void()> CloseProgressAnimationProc;

std::unique_ptr<TProgressWindow> CreateProgressWindow(TProgressOwner Owner) {
    if (CreateProgressWindowProc) return CreateProgressWindowProc(Owner);
    return std::make_unique<THeadlessProgress>();
}

void ShowProgressAnimation(const std::string& Caption, uint8_t Kind,
                           const TAnimationSource& Source) {
    if (ShowProgressAnimationProc) ShowProgressAnimationProc(Caption, Kind, Source);
}

void CloseProgressAnimation() {
    if (CloseProgressAnimationProc) CloseProgressAnimationProc();
}
