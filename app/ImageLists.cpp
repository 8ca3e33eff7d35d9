#include "ImageLists.h"

#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"

#include "app/UiText.h"
#include "platform/ShellInfo.h"

#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QStyle>

#include <mutex>

QIcon WindowPicture(const char* Name) {
    QIcon Icon;
    Icon.addFile(QStringLiteral(":/window/16/%1.png").arg(QLatin1String(Name)), QSize(16, 16));
    Icon.addFile(QStringLiteral(":/window/32/%1.png").arg(QLatin1String(Name)), QSize(32, 32));
    return Icon;
}

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
        return StyleIconOfKind(D.FallbackThemeName.empty() ? D.ThemeName : D.FallbackThemeName);
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

void UseDesktopIconTheme() {
    const QString Probe = QStringLiteral("text-x-generic");
    if (QIcon::hasThemeIcon(Probe)) return;
    QStringList Paths = QIcon::themeSearchPaths();
    for (const std::string& Folder : IconThemeFolders())
        if (!Paths.contains(FileNameToQString(Folder))) Paths << FileNameToQString(Folder);
    QIcon::setThemeSearchPaths(Paths);
    const bool NoTheme = QIcon::themeName().isEmpty();
    for (const std::string& Theme : FileTypeIconThemes()) {
        if (NoTheme)
            QIcon::setThemeName(ToQString(Theme));
        else
            QIcon::setFallbackThemeName(ToQString(Theme));
        if (QIcon::hasThemeIcon(Probe)) return;
    }
    // None draws file types: the style's pictures stand in (StyleIconOfKind).
    if (NoTheme) QIcon::setThemeName({});
}

QIcon StyleIconOfKind(const std::string& GenericIconName) {
    // The generic names of the shared MIME database, by their kind.
    static const std::pair<const char*, QStyle::StandardPixmap> Kinds[] = {
        {"text-", QStyle::SP_FileIcon},
        {"image-", QStyle::SP_DesktopIcon},
        {"audio-", QStyle::SP_MediaVolume},
        {"video-", QStyle::SP_MediaPlay},
        {"package-", QStyle::SP_DriveHDIcon},
        {"x-office-", QStyle::SP_FileDialogContentsView},
        {"application-x-executable", QStyle::SP_ComputerIcon},
        {"application-x-cd-image", QStyle::SP_DriveCDIcon},
        {"media-optical", QStyle::SP_DriveCDIcon},
        {"font-", QStyle::SP_FileDialogInfoView},
    };
    QStyle* Style = QApplication::style();
    if (!Style) return {};
    for (const auto& [Prefix, Pixmap] : Kinds)
        if (GenericIconName.rfind(Prefix, 0) == 0) return Style->standardIcon(Pixmap);
    return {};
}
