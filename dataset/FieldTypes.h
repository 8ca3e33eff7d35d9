// The field types of the dataset layer, numbered as stored forms and form descriptions expect
// (0 to 35, in this order), the kinds of field objects, and the size of a value in its native
// form. Plain data; any thread.
#pragma once

#include <cstdint>

enum TFieldType : uint8_t {
    ftUnknown,     // 0
    ftString,      // 1
    ftSmallint,    // 2
    ftInteger,     // 3
    ftWord,        // 4
    ftBoolean,     // 5
    ftFloat,       // 6
    ftCurrency,    // 7
    ftBCD,         // 8
    ftDate,        // 9
    ftTime,        // 10
    ftDateTime,    // 11
    ftBytes,       // 12
    ftVarBytes,    // 13
    ftAutoInc,     // 14
    ftBlob,        // 15
    ftMemo,        // 16
    ftGraphic,     // 17
    ftFmtMemo,     // 18
    ftParadoxOle,  // 19
    ftDBaseOle,    // 20
    ftTypedBinary, // 21
    ftCursor,      // 22
    ftFixedChar,   // 23
    ftWideString,  // 24
    ftLargeint,    // 25
    ftADT,         // 26
    ftArray,       // 27
    ftReference,   // 28
    ftDataSet,     // 29
    ftOraBlob,     // 30
    ftOraClob,     // 31
    ftVariant,     // 32
    ftInterface,   // 33
    ftIDispatch,   // 34
    ftGuid,        // 35
};
inline constexpr int FieldTypeCount = 36;

enum TFieldKind : uint8_t { fkData, fkCalculated, fkLookup, fkInternalCalc };

// The largest Size of a field: sizes travel as 16-bit values.
inline constexpr int MaxFieldSize = 65535;

// "String", "Integer", ...: the type's name for messages.
const char* FieldTypeName(TFieldType T);
// Bytes of a value of type T and Size in its native form (the value part of a record slot).
int FieldDataSize(TFieldType T, int Size);
// The blob kinds: large values that a record slot does not hold for reading (the memo, which is
// text, stands apart).
bool IsBlobType(TFieldType T);
// Types whose Size is part of their definition (texts and byte arrays).
bool IsSizedType(TFieldType T);
