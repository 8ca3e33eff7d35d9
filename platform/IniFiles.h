// Settings files: TCustomIniFile is the one interface through which the settings store and the
// recent-files list read and write "Section / Ident = text" values, whatever holds them; TIniFile
// is a plain INI file of our own (TRegIniFile in Registry.h is the other kind).
//
// TIniFile keeps the file in memory: it is read once when the object is made (a missing file is
// an empty one), changed in memory, and written back by UpdateFile, which replaces the file
// atomically (a temporary file renamed over it), so a failed write never destroys the old one.
// A relative file name lives in the user's configuration folder, never in the current directory
// (the program moves its current directory to each opened catalog's folder).
//
// Reading follows the classic profile rules: section and ident match without regard to ASCII
// case, blanks around the value are dropped, and one matching pair of double or single quotes
// around it is stripped (so a quoted value written by the settings store reads back as written).
// Lines that are not "Ident=Value" or "[Section]" are kept untouched when the file is written.
//
// Objects of these classes belong to one thread (the UI thread in the program).
#pragma once

#include <string>
#include <string_view>
#include <vector>

// The largest settings file read (16 MiB); a bigger file is refused with EReadError instead of
// being loaded whole.
inline constexpr size_t IniFileMaxBytes = 16u << 20;

// The user's configuration folder with a trailing '/': $XDG_CONFIG_HOME when it is an absolute
// path, else $HOME/.config (the password database's home when HOME is unset).
std::string UserConfigFolder();

class TCustomIniFile {
public:
    explicit TCustomIniFile(std::string FileName) : FFileName(std::move(FileName)) {}
    virtual ~TCustomIniFile() = default;
    TCustomIniFile(const TCustomIniFile&) = delete;
    TCustomIniFile& operator=(const TCustomIniFile&) = delete;

    // The file that holds the values.
    const std::string& FileName() const { return FFileName; }

    virtual std::string ReadString(const std::string& Section, const std::string& Ident,
                                   const std::string& Default) = 0;
    virtual void WriteString(const std::string& Section, const std::string& Ident,
                             const std::string& Value) = 0;
    // Integers are decimal text; a missing value or a text that is not a number gives Default.
    virtual int ReadInteger(const std::string& Section, const std::string& Ident, int Default);
    virtual void WriteInteger(const std::string& Section, const std::string& Ident, int Value);
    // Booleans are "1" and "0"; any integer other than 0 reads as true.
    bool ReadBool(const std::string& Section, const std::string& Ident, bool Default);
    void WriteBool(const std::string& Section, const std::string& Ident, bool Value);
    virtual bool ValueExists(const std::string& Section, const std::string& Ident) = 0;
    // Removes the section with all its values (and, where sections nest, its subsections).
    virtual void EraseSection(const std::string& Section) = 0;
    // Removes one value.
    virtual void DeleteKey(const std::string& Section, const std::string& Ident) = 0;
    // Writes pending changes to the file; raises when they cannot be written.
    virtual void UpdateFile() = 0;

private:
    std::string FFileName;
};

class TIniFile : public TCustomIniFile {
public:
    // Reads FileName (relative names resolve in UserConfigFolder()). A missing file is empty;
    // a file that cannot be read, is not a regular file or is larger than IniFileMaxBytes raises
    // EFOpenError or EReadError.
    explicit TIniFile(const std::string& FileName);

    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) override;
    // The value is written as given; a line break cannot live inside a line of the file, so
    // each CR or LF of a value (or of a section or ident) is written as a blank.
    void WriteString(const std::string& Section, const std::string& Ident,
                     const std::string& Value) override;
    bool ValueExists(const std::string& Section, const std::string& Ident) override;
    void EraseSection(const std::string& Section) override;
    void DeleteKey(const std::string& Section, const std::string& Ident) override;
    // Creates the folder when needed and replaces the file; raises EFCreateError or EWriteError.
    // Nothing is written when nothing changed.
    void UpdateFile() override;

    // The whole text the file would be written with.
    std::string Text() const;
    // Replaces the contents by a file's text (the parser behind the constructor).
    void SetText(std::string_view Text);

private:
    struct TLine {
        std::string Raw;   // the line as read or written
        std::string Ident; // trimmed ident of an "Ident=Value" line
        bool IsValue = false;
    };
    struct TSection {
        std::string Name; // trimmed; empty for the lines before the first section
        std::vector<TLine> Lines;
    };

    TSection* FindSection(std::string_view Name);
    int FindValue(const TSection& S, std::string_view Ident) const;

    std::vector<TSection> FSections;
    bool FModified = false;
};

// Resolves a settings file name: absolute names stay, others go under UserConfigFolder().
std::string ResolveConfigFileName(const std::string& FileName);
