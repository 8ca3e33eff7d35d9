#include "ImageLists.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"

#include <QImage>
#include <QPixmap>

#include <mutex>

int TIconList::Add(const QIcon& Icon) {
    FIcons.push_back(Icon);
    return static_cast<int>(FIcons.size()) - 1;
}

int TIconList::AddFile(const QString& FileName) {
    return Add(QIcon(FileName));
}

QIcon TIconList::Icon(int Index) const {
    if (Index < 0 || static_cast<size_t>(Index) >= FIcons.size()) return {};
    return FIcons[static_cast<size_t>(Index)];
}

TProgramImageList::TProgramImageList(int Size) : FSize(Size) {}

void TProgramImageList::AddFixedPictures() {
    std::lock_guard<std::recursive_mutex> Lock(IconCacheLock);
    for (const char* Name : FixedImageNames) {
        TEntry E;
        E.Icon = QIcon(QStringLiteral(":/images/%1/%2").arg(FSize).arg(QLatin1String(Name)));
        E.Made = true;
        FEntries.push_back(std::move(E));
    }
}

int TProgramImageList::AddIcon(const TSystemIcon& Icon) {
    std::lock_guard<std::recursive_mutex> Lock(IconCacheLock);
    TEntry E;
    E.Descriptor = Icon;
    FEntries.push_back(std::move(E));
    return static_cast<int>(FEntries.size()) - 1;
}

int TProgramImageList::Count() const {
    std::lock_guard<std::recursive_mutex> Lock(IconCacheLock);
    return static_cast<int>(FEntries.size());
}

QIcon TProgramImageList::MakeIcon(const TSystemIcon& D) const {
    if (!D.Image.Empty()) {
        QImage Image;
        if (!D.Image.Png.empty()) {
            Image = QImage::fromData(reinterpret_cast<const uchar*>(D.Image.Png.data()),
                                     static_cast<int>(D.Image.Png.size()), "PNG");
        } else if (D.Image.Width > 0 && D.Image.Height > 0 &&
                   D.Image.Pixels.size() ==
                       static_cast<size_t>(D.Image.Width) * static_cast<size_t>(D.Image.Height)) {
            Image = QImage(reinterpret_cast<const uchar*>(D.Image.Pixels.data()), D.Image.Width,
                           D.Image.Height, D.Image.Width * 4, QImage::Format_ARGB32)
                        .copy();
        }
        if (!Image.isNull())
            return QIcon(QPixmap::fromImage(
                Image.scaled(FSize, FSize, Qt::KeepAspectRatio, Qt::SmoothTransformation)));
    }
    if (!D.ThemeName.empty()) {
        QIcon Theme = QIcon::fromTheme(QString::fromStdString(D.ThemeName));
        if (Theme.isNull() && !D.FallbackThemeName.empty())
            Theme = QIcon::fromTheme(QString::fromStdString(D.FallbackThemeName));
        if (!Theme.isNull()) return Theme;
    }
    return {};
}

QIcon TProgramImageList::Icon(int Index) const {
    std::lock_guard<std::recursive_mutex> Lock(IconCacheLock);
    if (Index < 0 || static_cast<size_t>(Index) >= FEntries.size()) return {};
    TEntry& E = FEntries[static_cast<size_t>(Index)];
    if (!E.Made) {
        E.Icon = MakeIcon(E.Descriptor);
        if (E.Icon.isNull() && static_cast<size_t>(iiDefaultFile) < FEntries.size() &&
            Index != iiDefaultFile)
            E.Icon = FEntries[iiDefaultFile].Icon;
        E.Made = true;
    }
    return E.Icon;
}
