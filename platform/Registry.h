// The registry of the original platform, kept in text files: TRegIniFile opens a registry key
// and reads and writes its values section by section, the way the settings store expects.
//
// A key under the current user maps to one INI file under the user's configuration folder
// (UserConfigFolder()): after a leading "Software\", the first part of the key names a folder
// and the second the file, so "Software\Marrowfield\Quillmark" is the file
// "$XDG_CONFIG_HOME/Marrowfield/Quillmark.conf". Further parts of the key and then the section
// become the group path inside the file ("\" becomes "/"). A key of one part is a file of its
// own in the configuration folder. Other roots map to files beside it, their root's name put
// before the extension ("Quillmark.LocalMachine.conf").
//
// Every value is text: integers in decimal (a true option flag is therefore "-1"), booleans "1"
// and "0", lists as comma text; a text that is not a number reads back as the default of
// ReadInteger. Texts that are valid UTF-8 are stored as readable text; any other bytes (a file
// name that is not UTF-8) are stored as a byte array, so every value comes back byte for byte.
//
// The file is read when the key is opened and written by UpdateFile (and when the object goes
// away), atomically. A key opened read-only never creates or changes its file: writes raise
// ERegistryException. A settings file larger than IniFileMaxBytes or not a regular file is
// refused when the key is opened (EFOpenError), so a damaged file neither hangs the program nor
// is overwritten by it. One thread (the UI thread) uses an object at a time.
#pragma once

#include "Exceptions.h"
#include "IniFiles.h"

#include <memory>
#include <string>

class QSettings;

class ERegistryException : public Exception {
public:
    using Exception::Exception;
};

namespace RegConsts {
inline constexpr const char* SRegCreateFailed = "Failed to create key %s";
inline constexpr const char* SRegGetDataFailed = "Failed to get data for '%s'";
inline constexpr const char* SRegSetDataFailed = "Failed to set data for '%s'";
} // namespace RegConsts

enum class TRegistryRoot { CurrentUser, LocalMachine, CurrentConfig, ClassesRoot, Users, DynData };

class TRegIniFile : public TCustomIniFile {
public:
    // Opens Key under Root; unless ReadOnly the key is created when it is written to.
    explicit TRegIniFile(const std::string& Key, TRegistryRoot Root = TRegistryRoot::CurrentUser,
                         bool ReadOnly = false);
    ~TRegIniFile() override;

    const std::string& Key() const { return FKey; }
    TRegistryRoot Root() const { return FRoot; }
    bool ReadOnly() const { return FReadOnly; }

    std::string ReadString(const std::string& Section, const std::string& Ident,
                           const std::string& Default) override;
    void WriteString(const std::string& Section, const std::string& Ident,
                     const std::string& Value) override;
    bool ValueExists(const std::string& Section, const std::string& Ident) override;
    void EraseSection(const std::string& Section) override;
    void DeleteKey(const std::string& Section, const std::string& Ident) override;
    void UpdateFile() override;

    // The file that holds Key under Root, and the group path of the key's further parts.
    static std::string KeyFileName(const std::string& Key, TRegistryRoot Root,
                                   std::string* Group = nullptr);

private:
    std::string ValuePath(const std::string& Section, const std::string& Ident) const;
    void CheckWritable(const std::string& Ident) const;

    std::string FKey;
    TRegistryRoot FRoot;
    bool FReadOnly;
    std::string FGroup;
    std::unique_ptr<QSettings> FSettings;
    bool FModified = false;
};
