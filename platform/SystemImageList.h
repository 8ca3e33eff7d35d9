// The system image list: every icon the desktop gives the program (the icon of a file type, the
// picture a file carries as its own icon), registered once and known from then on by a stable
// index, as the desktop shell's image list was on the original platform.
//
// An entry is a descriptor, never a QIcon or QPixmap (those may only be made on the UI thread):
// a name of the desktop's icon theme with a generic fallback name, or the decoded pictures of a
// file in a small and a large size. The GUI turns descriptors into icons. Registering the same
// descriptor again gives the same index. Indices start at 1; 0 never names an icon, so callers
// that treat indices below 1 as "no icon" keep working. Entries live for the whole run.
//
// Safe on any thread.
#pragma once

#include "platform/IconFile.h"

#include <string>

struct TSystemIcon {
    // A name of the desktop's icon theme ("text-plain"), and the name to use when the theme has
    // no such icon ("text-x-generic"); both empty for a picture.
    std::string ThemeName;
    std::string FallbackThemeName;
    // The picture, at the size asked for (GetSystemIcon); empty for a theme icon.
    TIconImage Image;
    bool Empty() const { return ThemeName.empty() && Image.Empty(); }
};

// The index of the theme icon Name (with its fallback); -1 when Name is empty.
int AddSystemThemeIcon(const std::string& Name, const std::string& FallbackName);
// The index of a picture given in its small and large size; -1 when both are empty.
int AddSystemImageIcon(const TIconImage& Small, const TIconImage& Large);
// The entry at Index in the small (16 pixels) or large (32 pixels) size; empty when Index names
// no entry.
TSystemIcon GetSystemIcon(int Index, bool Large);
// The number of entries registered so far.
int SystemIconCount();
