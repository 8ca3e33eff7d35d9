#include "TypeInfoThread.h"

#include "core/CatalogExt.h"
#include "core/FileTypes.h"
#include "core/TreeItems.h"
#include "platform/ShellInfo.h"

TTypeInfoThread::TTypeInfoThread(TTypeItems* Types) : FTypes(Types) {
    FreeOnTerminate = true;
    SetPriority(tpIdle);
}

void TTypeInfoThread::GetTypeInfo(const std::string& Ext, bool HasName, int& IconIndex,
                                  std::string& Description) {
    IconIndex = ShellTypeIconIndex(Ext);
    if (!HasName) Description = ShellTypeDescription(Ext);
}

void TTypeInfoThread::Execute() {
    for (int I = 0; !Terminated(); ++I) {
        CheckSuspended();
        if (Terminated()) break;
        // Read the row on the UI thread: whether it exists, needs work, and what to ask.
        bool Exists = false, Work = false, HasName = false;
        std::string Key;
        Synchronize([&] {
            if (I >= FTypes->Count()) return;
            Exists = true;
            TTypeItem* Row = FTypes->At(I);
            TItemClass C = Row->ItemClass();
            Work = Row->ImageIndex() == iiDefaultFile &&
                   (C == &TFileItem::Class || C == &TFileLocItem::Class);
            HasName = !Row->Name().empty();
            Key = Row->Key();
        });
        if (!Exists) break;
        if (!Work) continue;
        int IconIndex = -1;
        std::string Description;
        GetTypeInfo(Key, HasName, IconIndex, Description);
        // A pause that began during the lookup holds the findings back until it ends.
        CheckSuspended();
        if (Terminated()) break;
        Synchronize([&] {
            // The table may have been cleared meanwhile: only the same row takes the findings.
            if (I >= FTypes->Count() || FTypes->At(I)->Key() != Key) return;
            TTypeItem* Row = FTypes->At(I);
            if (!Description.empty()) Row->SetNameField(PackedString(Description));
            if (IconIndex < 0) {
                Row->SetImageIndex(iiDefaultFile);
            } else {
                MapSystemIcon(IconIndex);
                Row->SetImageIndex(IconIndex);
            }
        });
    }
}
