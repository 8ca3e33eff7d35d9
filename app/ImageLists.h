// The image lists of the main window.
//
// TIconList is a plain numbered list of pictures: the images of the actions, menus and toolbars
// (ImageList1, whose pictures 7 and 8 are the sort marks of the list headers).
//
// TProgramImageList is one of the core's two image lists (SmallImages, LargeImages): the seven
// fixed pictures of the program first, then every system icon the core adds. The core adds icons
// from worker threads (always under IconCacheLock), so an entry holds only the icon's descriptor
// until it is first drawn; the QIcon is made then, on the UI thread. A file type's icon comes
// from the desktop's icon theme (its own icon, else its generic one); without a theme that has
// it, the style's picture for the type's kind (text, image, audio, video, archive, document,
// program, disc image) stands in; only a type of no known kind gets the default file picture.
#pragma once

#include "app/ViewTypes.h"
#include "core/CatalogExt.h"

#include <QIcon>
#include <QString>

#include <string>
#include <vector>

// A picture of the window's own (resources/images/window), at 16 and 32 pixels.
QIcon WindowPicture(const char* Name);

class TIconList : public TIconSource {
public:
    // Adds the picture of a resource or file (every size Qt finds for it); returns its index.
    int Add(const QIcon& Icon);
    int AddFile(const QString& FileName);
    QIcon Icon(int Index) const override;
    int Count() const { return static_cast<int>(FIcons.size()); }

private:
    std::vector<QIcon> FIcons;
};

class TProgramImageList : public TImageList, public TIconSource {
public:
    // Size is the side of the pictures in pixels (16 or 32).
    explicit TProgramImageList(int Size);

    int Size() const { return FSize; }
    // The fixed pictures, from resources/images/<size>/ (UI thread, before the core adds icons).
    void AddFixedPictures();
    // Any thread, under IconCacheLock.
    int AddIcon(const TSystemIcon& Icon) override;
    // UI thread.
    QIcon Icon(int Index) const override;
    int Count() const;

private:
    struct TEntry {
        TSystemIcon Descriptor;
        QIcon Icon;
        bool Made = false;
    };
    QIcon MakeIcon(const TSystemIcon& Descriptor) const;

    int FSize;
    mutable std::vector<TEntry> FEntries;
};

// Makes the desktop's icons of file types reachable: when the current icon theme has none (a
// bare X server, a window manager without a desktop, the offscreen platform), an installed theme
// that has them becomes the fallback (the theme itself when none is set). At start-up, after
// the application object.
void UseDesktopIconTheme();
// The style's picture for the kind of file a generic icon name stands for ("audio-x-generic");
// a null icon for a name of no known kind.
QIcon StyleIconOfKind(const std::string& GenericIconName);
