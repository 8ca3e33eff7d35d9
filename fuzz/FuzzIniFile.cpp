// Parses arbitrary bytes as a settings file and works on the result: the reader must never
// crash or hang, and what it writes back must parse to the same values.
#include "platform/IniFiles.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    const std::string Text(reinterpret_cast<const char*>(Data), Size);
    TIniFile Ini("/nonexistent-qm-fuzz/fuzz.ini");
    Ini.SetText(Text);
    // Section and ident names taken from the input itself, so that lookups hit.
    const std::string Section = Text.substr(0, Size % 13), Ident = Text.substr(Size / 2, 7);
    const std::string Before = Ini.ReadString(Section, Ident, "?");
    (void)Ini.ReadInteger("General", "Flags", 0);
    Ini.WriteString(Section, "Added", Text.substr(0, 64));
    Ini.DeleteKey(Section, Ident + "x");
    TIniFile Again("/nonexistent-qm-fuzz/fuzz.ini");
    Again.SetText(Ini.Text());
    // A "]" cannot live in a section header; every other name reads back what was written.
    if (Section.find(']') == std::string::npos &&
        Again.ReadString(Section, "Added", "?") != Ini.ReadString(Section, "Added", "?"))
        abort();
    Ini.EraseSection(Section);
    (void)Before;
    return 0;
}
