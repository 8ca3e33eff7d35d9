// What the desktop knows of a file type: its description and its icon, by extension. Type names
// come from the shared MIME database (looked up by the lower-case extension); icons are the MIME
// type's theme icon (with its generic icon as fallback), registered in the system image list,
// which hands out a stable index per icon. Safe on any thread.
//
// The icons themselves come from the desktop's icon theme. A bare X server or a window manager
// without a desktop names none that draws file types, although one is often installed:
// FileTypeIconThemes finds those installed, for the GUI to fall back on.
#pragma once

#include <string>
#include <vector>

// The description of files with extension Ext (".TXT", any case), empty when the type is unknown.
std::string ShellTypeDescription(const std::string& Ext);
// The index of the type's icon in the system image list, -1 when the type has none.
int ShellTypeIconIndex(const std::string& Ext);
// The display name of folders ("Folder"), empty when the desktop has none.
std::string ShellFolderTypeName();

// The folders icon themes are installed in: ~/.icons, $XDG_DATA_HOME/icons (default
// ~/.local/share/icons) and icons under each of $XDG_DATA_DIRS (default
// /usr/local/share:/usr/share), in that order.
std::vector<std::string> IconThemeFolders();
// The names of the installed icon themes (a folder with an index.theme under one of
// IconThemeFolders) that hold icons of file types, the well-known complete themes first, the
// others by name; never "hicolor", the base every theme falls back on.
std::vector<std::string> FileTypeIconThemes();
