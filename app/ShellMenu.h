// The desktop's commands for a file or folder on disk, as the "Shell" submenu of the main
// window's pop-up menu offers them.
//
// A TShellContextMenu answers two questions: which commands there are for a path (a tree of
// captions with command identifiers) and what one of them does. The window builds its submenu
// from the answer of the last query and hands a chosen identifier back to the same object with
// the path of that query, so that a command always acts on the file the menu was built for.
//
// The desktop's context menu offers
//   "Open"                    the default application (ShellOpenOrSay: a box says when there is
//                             none);
//   "Open With" > ...         each application the desktop associates with the file's MIME type
//                             (platform/DesktopEntries.h), started with the path as one argument
//                             of its own (TUserDialogs::StartProgram; never through a shell);
//   "Open Containing Folder"  the folder that holds the file, in the desktop's file manager;
//   "-", "Copy Path"          the path on the clipboard, as text and as a file address that
//                             keeps its exact bytes (TUserDialogs::CopyPath).
// Captions are menu captions: an "&" in an application's name is doubled.
//
// ShellContextMenuFactory makes the object of each build; tests put another in its place.
// UI thread only.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TShellCommand {
    std::string Caption; // "-" for a separator
    int Id = -1;         // -1: no command (a separator or a submenu)
    bool Enabled = true;
    std::vector<TShellCommand> Children; // the entries of a submenu
};

class TShellContextMenu {
public:
    virtual ~TShellContextMenu() = default;
    // The commands for the file or folder at Path, which exists; none when there are none.
    virtual std::vector<TShellCommand> QueryContextMenu(const std::string& Path) = 0;
    // Runs the command Id of the last query, on Path.
    virtual void InvokeCommand(const std::string& Path, int Id) = 0;
};

std::unique_ptr<TShellContextMenu> NewDesktopContextMenu();
// Makes the context menu of each build (NewDesktopContextMenu unless a test says otherwise).
extern std::function<std::unique_ptr<TShellContextMenu>()> ShellContextMenuFactory;
