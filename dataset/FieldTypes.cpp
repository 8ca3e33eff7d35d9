#include "FieldTypes.h"

const char* FieldTypeName(TFieldType T) {
    static const char* const Names[FieldTypeCount] = {
        "Unknown",    "String",     "Smallint", "Integer",     "Word",      "Boolean",
        "Float",      "Currency",   "BCD",      "Date",        "Time",      "DateTime",
        "Bytes",      "VarBytes",   "AutoInc",  "Blob",        "Memo",      "Graphic",
        "FmtMemo",    "ParadoxOle", "DBaseOle", "TypedBinary", "Cursor",    "FixedChar",
        "WideString", "Largeint",   "ADT",      "Array",       "Reference", "DataSet",
        "OraBlob",    "OraClob",    "Variant",  "Interface",   "IDispatch", "Guid"};
    return T < FieldTypeCount ? Names[T] : "Unknown";
}

int FieldDataSize(TFieldType T, int Size) {
    if (IsBlobType(T) || T == ftMemo) return 4;
    switch (T) {
    case ftString:
    case ftFixedChar: return Size + 1;
    case ftSmallint:
    case ftWord:
    case ftBoolean: return 2;
    case ftInteger:
    case ftAutoInc:
    case ftDate:
    case ftTime: return 4;
    case ftFloat:
    case ftCurrency:
    case ftDateTime:
    case ftLargeint: return 8;
    case ftBCD: return 34;
    case ftBytes: return Size;
    case ftVarBytes: return Size + 2;
    case ftWideString: return (Size + 1) * 2;
    case ftVariant: return 16;
    case ftGuid: return 39;
    default: return 0;
    }
}

bool IsBlobType(TFieldType T) {
    switch (T) {
    case ftBlob:
    case ftGraphic:
    case ftFmtMemo:
    case ftParadoxOle:
    case ftDBaseOle:
    case ftTypedBinary:
    case ftOraBlob:
    case ftOraClob: return true;
    default: return false;
    }
}

bool IsSizedType(TFieldType T) {
    switch (T) {
    case ftString:
    case ftFixedChar:
    case ftWideString:
    case ftBytes:
    case ftVarBytes: return true;
    default: return false;
    }
}
