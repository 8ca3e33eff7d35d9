// TTypeInfoThread: fills the file-type rows of a catalog with what the desktop knows of each
// extension — its icon and, for rows without a name of their own, its type description
// ("Plain text document" for .TXT).
//
// The type table creates and owns it (TTypeItems::StartThread). It reaches rows only by
// position, inside calls that run on the UI thread, and checks there that the row is still the
// one it asked about (a paused table may have been cleared). It re-reads the row count on every
// step, so rows added while it was paused are looked up too, and it never marks the catalog
// changed: a type name is not a change of the catalog. Priority idle; frees itself at its end.
#pragma once

#include "platform/Thread.h"

#include <string>

class TTypeItems;

class TTypeInfoThread : public TThread {
public:
    explicit TTypeInfoThread(TTypeItems* Types);

    // Asks the desktop for the icon (system image list index, -1 when none) and, unless HasName,
    // the description of the extension Ext (".TXT").
    static void GetTypeInfo(const std::string& Ext, bool HasName, int& IconIndex,
                            std::string& Description);

protected:
    void Execute() override;

private:
    TTypeItems* FTypes;
};
