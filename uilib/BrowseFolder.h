// The folder-browse dialog: asks the user for a folder.
//
// BrowseFolder shows a modal folder dialog titled Title, starting in Root (the user's home
// when Root is empty or does not exist), and returns true with Folder set to the chosen folder
// (the file system's bytes, no trailing '/'); cancelled, it returns false with Folder empty.
// Tests, and anything that must not block in a modal loop, install BrowseFolderHook, which then
// answers instead of the dialog. UI thread only.
#pragma once

#include <functional>
#include <string>

bool BrowseFolder(const std::string& Title, const std::string& Root, std::string& Folder);
// The dialog itself, whatever hook is installed (what a hook that shows dialogs calls).
bool ShowBrowseFolderDialog(const std::string& Title, const std::string& Root, std::string& Folder);

// When set, BrowseFolder calls it instead of showing the dialog; it returns the answer and sets
// Folder as the dialog would.
extern std::function<bool(const std::string& Title, const std::string& Root, std::string& Folder)>
    BrowseFolderHook;
