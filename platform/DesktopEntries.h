// The applications the desktop offers for a file, as freedesktop.org desktops keep
// them: desktop entries (".desktop" files) under the "applications" folders of the data
// folders, the associations of MIME types with them in "mimeapps.list" files (default, added and
// removed associations) and in the "mimeinfo.cache" files that the desktop database keeps, and
// the MIME type of the file with the types it is a kind of.
//
// Everything here reads files that other programs write: each is read only up to a size limit,
// and text that does not follow the rules is passed over, never trusted. The command line of an
// application is split into an argument vector by the Desktop Entry rules and the file's name
// goes into it as one argument of its own, so that no name, whatever it holds, can change what
// runs (see platform/Process.h for starting it). An application whose command line would hand
// the name to a program as code (a field code inside a quoted argument, as in
// sh -c "cat %f", or the command string of a shell's -c) is refused, not offered: no quoting of
// the name is attempted. Safe on any thread.
#pragma once

#include <map>
#include <string>
#include <vector>

// The largest desktop entry or association file read; larger ones count as absent.
inline constexpr size_t DesktopFileMaxBytes = 4u << 20;

// A file of groups of "Key=Value" lines ("[Group]" headers, "#" comments), as desktop entries,
// mimeapps.list and mimeinfo.cache are written. The first value of a key in a group counts;
// keys keep their locale suffix ("Name[de]"). Values are kept as written (see UnescapeValue).
class TKeyFile {
public:
    void Parse(const std::string& Text);
    // False when the file is missing, unreadable or larger than DesktopFileMaxBytes.
    bool Load(const std::string& FileName);
    // The raw value, or empty when the group or key is missing.
    std::string Value(const std::string& Group, const std::string& Key) const;
    bool Has(const std::string& Group, const std::string& Key) const;
    // The keys of a group in file order.
    std::vector<std::string> Keys(const std::string& Group) const;

private:
    struct TGroup {
        std::vector<std::string> Order;
        std::map<std::string, std::string> Values;
    };
    std::map<std::string, TGroup> FGroups;
};

// A string value with its escapes resolved: \s blank, \n, \t, \r and \\.
std::string UnescapeValue(const std::string& Value);
// A list value ("a;b;c;"): the entries without blanks around them, empty ones dropped.
std::vector<std::string> SplitList(const std::string& Value);

// Splits a command line (an Exec value with its string escapes already resolved) into its
// arguments: blanks divide them, double quotes enclose blanks and reserved characters, and
// inside quotes a backslash escapes '"', '`', '$' and '\'. False for an unterminated quote or
// an empty line.
bool SplitExec(const std::string& Exec, std::vector<std::string>& Args);
// The argument vector that opens FileName with the application whose Exec value is Exec: %f,
// %F, %u and %U stand for FileName, which stays one argument (a name that begins with "-"
// becomes "./-..." so that it cannot pass for an option); FileName is appended when none of them
// is there; %i, %c, %k and the deprecated codes are dropped, "%%" is a percent sign. False when
// Exec does not split, names no program, or would pass the name on as code: a file field code
// inside a quoted argument with other text (a quoted "%f" alone is the name), or in the command
// string of a shell's -c.
bool ExecArguments(const std::string& Exec, const std::string& FileName,
                   std::vector<std::string>& Args);

// One application of the desktop.
struct TDesktopApp {
    std::string Id;       // the desktop file ID ("org.example.Viewer.desktop")
    std::string Name;     // what menus show
    std::string Exec;     // its command line, escapes resolved
    std::string FileName; // the desktop entry it was read from
};

// Reads the "Desktop Entry" group of a desktop entry. False when the file cannot be read, is no
// application (Type), is Hidden (deleted), has no Name or Exec, or its program is not installed.
// NoDisplay is reported: such an entry is valid but kept out of menus.
bool ReadDesktopEntry(const std::string& FileName, TDesktopApp& App, bool& NoDisplay);

// The XDG base folders (config and data, the user's and the system's), most important first.
struct TXdgFolders {
    std::string ConfigHome;              // $XDG_CONFIG_HOME, default ~/.config
    std::vector<std::string> ConfigDirs; // $XDG_CONFIG_DIRS, default /etc/xdg
    std::string DataHome;                // $XDG_DATA_HOME, default ~/.local/share
    std::vector<std::string> DataDirs;   // $XDG_DATA_DIRS, default /usr/local/share:/usr/share
    std::vector<std::string> Desktops;   // $XDG_CURRENT_DESKTOP, lower case
};
TXdgFolders XdgFoldersFromEnvironment();

// The applications for a file whose MIME types are MimeTypes (its own type first, then the types
// it is a kind of): the default applications first, then the added associations and those of
// the desktop database, each application once, in the order of the folders' importance. Removed
// associations, deleted and NoDisplay entries and entries whose program is missing are left out.
std::vector<TDesktopApp> ApplicationsForMimeTypes(const std::vector<std::string>& MimeTypes,
                                                  const TXdgFolders& Folders);

// The MIME type of the file or folder at Path, by its name and its first bytes, followed by the
// types it is a kind of ("text/x-csrc", "text/plain", "application/octet-stream"); empty when
// Path cannot be looked at.
std::vector<std::string> MimeTypesOfFile(const std::string& Path);
