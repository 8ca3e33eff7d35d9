// What the desktop knows of a file type: its description and its icon, by extension. Type names
// come from the shared MIME database (looked up by the lower-case extension); icons are the MIME
// type's theme icon (with its generic icon as fallback), registered in the system image list,
// which hands out a stable index per icon. Safe on any thread.
#pragma once

#include <string>

// The description of files with extension Ext (".TXT", any case), empty when the type is unknown.
std::string ShellTypeDescription(const std::string& Ext);
// The index of the type's icon in the system image list, -1 when the type has none.
int ShellTypeIconIndex(const std::string& Ext);
// The display name of folders ("Folder"), empty when the desktop has none.
std::string ShellFolderTypeName();
