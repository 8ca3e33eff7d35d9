// Storage helpers shared by the settings store (Placemnt.h) and the recent-files list
// (MRUList.h): default file, key and section names; dispatchers that run one INI-style
// operation on whatever settings object is open (a registry key, an INI file, or none); values
// that depend on the screen size; and the save and load of a form's window placement.
//
// A storage object may be null: reads then give their default and writes do nothing. UI thread
// only.
#pragma once

#include <functional>
#include <string>

class QObject;
class TCustomForm;
class TCustomIniFile;
class TIniFile;
class TRegIniFile;

// When set, supplies DefaultIniFileName.
extern std::function<std::string()> DefaultIniNameHook;
// Company part of DefaultRegistryKey ("Software\<company>\<name>"); empty by default.
extern std::string RegistryCompanyName;
// DefaultRegistryKey uses the application's title instead of the executable's name.
extern bool RegistryUseAppTitle;

// The section a component keeps its settings in: a form's class name; a control's form class
// name (or its parent's name) directly followed by its name; a non-visual component owned by a
// form "<form class>.<name>"; else its name. Empty for null.
std::string DefaultStorageSection(const QObject* Component);
// DefaultIniNameHook when set, else the executable's file name with the extension ".INI".
std::string DefaultIniFileName();
// "Software\" + [RegistryCompanyName + "\"] + the application title or executable name.
std::string DefaultRegistryKey();

std::string StorageReadString(TCustomIniFile* Storage, const std::string& Section,
                              const std::string& Ident, const std::string& Default);
// An INI file gets a value that starts and ends with the same quote (double or single) wrapped
// in one more pair of double quotes, which the INI reader strips again; the registry gets every
// value unchanged.
void StorageWriteString(TCustomIniFile* Storage, const std::string& Section,
                        const std::string& Ident, const std::string& Value);
int StorageReadInteger(TCustomIniFile* Storage, const std::string& Section,
                       const std::string& Ident, int Default);
void StorageWriteInteger(TCustomIniFile* Storage, const std::string& Section,
                         const std::string& Ident, int Value);
void StorageEraseSection(TCustomIniFile* Storage, const std::string& Section);
void StorageDeleteKey(TCustomIniFile* Storage, const std::string& Section,
                      const std::string& Ident);

// "(<width>x<height>)" of the primary screen, for example "(1024x768)".
std::string ScreenSizeSuffix();
// The value stored for this screen size (Ident + ScreenSizeSuffix()); when that is empty, the
// plain Ident.
std::string StorageReadScreenString(TCustomIniFile* Storage, const std::string& Section,
                                    const std::string& Ident);
// Writes Ident + ScreenSizeSuffix(), then Ident.
void StorageWriteScreenString(TCustomIniFile* Storage, const std::string& Section,
                              const std::string& Ident, const std::string& Value);

// Writes "Flags", "ShowCmd", "PixelsPerInch", "MinMaxPos" and "NormPos" (the last two for this
// screen size and plain).
void SaveWindowPlacement(TCustomForm* Form, TCustomIniFile* Storage, const std::string& Section);
// Reads them back. The position is applied only when it was stored on a screen of the same
// pixels per inch, and only as a sound rectangle: positive width and height, at least the
// window's minimum size, and at least partly on a screen (else it is moved onto the primary
// screen). LoadState restores minimized or maximized.
void LoadWindowPlacement(TCustomForm* Form, TCustomIniFile* Storage, const std::string& Section,
                         bool LoadState, bool LoadPosition);

void SaveWindowPlacementToRegistry(TCustomForm* Form, TRegIniFile* Storage,
                                   const std::string& Section);
void SaveWindowPlacementToIni(TCustomForm* Form, TIniFile* Storage, const std::string& Section);
void LoadWindowPlacementFromRegistry(TCustomForm* Form, TRegIniFile* Storage,
                                     const std::string& Section, bool LoadState, bool LoadPosition);
void LoadWindowPlacementFromIni(TCustomForm* Form, TIniFile* Storage, const std::string& Section,
                                bool LoadState, bool LoadPosition);
