#include "ItemTexts.h"

#include "core/TreeItems.h"
#include "platform/Format.h"

#include <QDateTime>
#include <QLocale>

#include <cmath>
#include <utility>

namespace {

// Kilobytes of a total, rounded down, except that 1 to 999 bytes give 1.
long long KiloBytes(uint64_t TotalSize) {
    uint64_t K = TotalSize / 1000;
    if (K == 0 && TotalSize % 1000 != 0) K = 1;
    return static_cast<long long>(K);
}

} // namespace

std::string FolderContentsText(int64_t Folders, int64_t Files, uint64_t TotalSize) {
    return Format(
        "Contents %d Folders, %d Files, %dKB",
        {static_cast<long long>(Folders), static_cast<long long>(Files), KiloBytes(TotalSize)});
}

std::string FolderStatisticsText(int64_t Folders, int64_t Files, uint64_t TotalSize) {
    return Format(
        "%d Folder, %d File, %d KB",
        {static_cast<long long>(Folders), static_cast<long long>(Files), KiloBytes(TotalSize)});
}

std::string ItemSizeText(const TBasicItem* Item) {
    auto* F = dynamic_cast<const TFileItem*>(Item);
    if (!F || (F->FileInfo().Attr & faDirectory)) return "Folder";
    uint64_t K = F->FileInfo().Size / 1000;
    if (K == 0) K = 1;
    return Format("%dKB", {static_cast<long long>(K)});
}

std::string AttributeLetters(uint32_t Attr) {
    static const std::pair<uint32_t, char> Letters[] = {{1, 'R'},   {2, 'H'},    {4, 'S'},
                                                        {32, 'A'},  {2048, 'C'}, {16, 'F'},
                                                        {128, 'N'}, {4096, 'O'}, {256, 'T'}};
    std::string S;
    for (const auto& [Bit, Letter] : Letters)
        if (Attr & Bit) S += Letter;
    return S;
}

QString DateTimeText(TDateTime Date) {
    if (Date == 0 || !std::isfinite(Date)) return {};
    int Y, M, D, H, Mi, S, Ms;
    DecodeDateTime(Date, Y, M, D, H, Mi, S, Ms);
    const QDateTime T(QDate(Y, M, D), QTime(H, Mi, S));
    return T.isValid() ? QLocale().toString(T, QLocale::ShortFormat) : QString();
}

QString DateOrDateTimeText(TDateTime Date) {
    if (Date == 0 || !std::isfinite(Date)) return {};
    int Y, M, D, H, Mi, S, Ms;
    DecodeDateTime(Date, Y, M, D, H, Mi, S, Ms);
    if (H || Mi || S || Ms) return DateTimeText(Date);
    const QDate Day(Y, M, D);
    return Day.isValid() ? QLocale().toString(Day, QLocale::ShortFormat) : QString();
}
