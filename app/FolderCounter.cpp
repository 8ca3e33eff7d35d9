#include "FolderCounter.h"

#include "core/TreeItems.h"

#include <QElapsedTimer>

namespace {

// The first slice, inside Start, and each later one, in milliseconds: short enough that typing
// and painting go on between them.
constexpr int FirstSliceMs = 5;
constexpr int SliceMs = 10;
// Items walked between two looks at the clock.
constexpr int ItemsPerLook = 1024;

} // namespace

TFolderCounter::TFolderCounter(QObject* Parent) : QObject(Parent) {
    FNext.setSingleShot(true);
    FNext.setInterval(0);
    connect(&FNext, &QTimer::timeout, this, [this] { Slice(SliceMs); });
}

void TFolderCounter::Start(std::vector<const TBasicItems*> Folders, TDone Done) {
    Stop();
    for (auto It = Folders.rbegin(); It != Folders.rend(); ++It)
        if (*It) FStack.emplace_back(*It, 0);
    if (FStack.empty()) {
        Done(FTotals);
        return;
    }
    FDone = std::move(Done);
    Slice(FirstSliceMs);
}

void TFolderCounter::Stop() {
    FNext.stop();
    FStack.clear();
    FTotals = {};
    FDone = nullptr;
}

void TFolderCounter::Slice(int Milliseconds) {
    if (MayWalk && !MayWalk()) {
        Stop();
        return;
    }
    QElapsedTimer Clock;
    Clock.start();
    for (int Walked = 0; !FStack.empty(); ++Walked) {
        if (Walked == ItemsPerLook) {
            if (Clock.elapsed() >= Milliseconds) {
                FNext.start();
                return;
            }
            Walked = 0;
        }
        auto& [Items, Next] = FStack.back();
        if (Next >= Items->Count()) {
            FStack.pop_back();
            continue;
        }
        const TBasicItem* X = Items->At(Next++);
        if (const TBasicItems* Sub = X->Children()) {
            ++FTotals.Folders;
            FStack.emplace_back(Sub, 0);
        } else {
            ++FTotals.Files;
            if (auto* F = dynamic_cast<const TFileItem*>(X)) FTotals.Size += F->FileInfo().Size;
        }
    }
    const TDone Done = std::move(FDone);
    const TTotals Totals = FTotals;
    Stop();
    Done(Totals);
}
