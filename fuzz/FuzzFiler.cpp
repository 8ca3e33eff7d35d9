// Reads tagged values from arbitrary bytes: the reader must raise, never crash, hang or allocate
// what a damaged length claims.
#include "platform/Exceptions.h"
#include "platform/Filer.h"

#include <cstdint>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
    TMemoryStream S;
    S.Write(Data, Size);
    S.SetPosition(0);
    try {
        TReader R(S, 64);
        // Each step picks the kind of value from the next value's own tag, then reads it the
        // way the catalog reader would.
        for (int Step = 0; Step < 4096 && R.Remaining() > 0; ++Step) {
            switch (R.NextValue() % 7) {
            case 0: R.ReadInteger(); break;
            case 1: R.ReadInt64(); break;
            case 2: R.ReadString(); break;
            case 3: R.ReadBoolean(); break;
            case 4: R.ReadDate(); break;
            case 5: R.ReadRaw32(); break;
            default: R.SetPosition(R.Position() + 1); break;
            }
        }
    } catch (const Exception&) {
    }
    return 0;
}
