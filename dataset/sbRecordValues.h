// Conversions between the native values in record slots and text: one value into text, and a
// whole record into "<prefix><NAME>=<value>" lines. Numbers use "." (ValueText); dates and times
// the user's formats. Plain functions; any thread.
#pragma once

#include "platform/StringList.h"
#include "sbCustomDataset.h"

#include <string>
#include <string_view>

// The text of the native value at Data (Capacity bytes may be read); empty for types without
// a text form and when the value cannot be converted.
void FieldValueToString(const char* Data, int Capacity, TFieldType DataType, std::string& Text);

// Clears Strings and adds one line per field record with InText set: Prefix, the name, "=", the
// value; a null value is "0" for numbers, empty otherwise, and for dates the present moment when
// NowForEmptyDates.
void FieldInfosToStrings(const TFieldInfos& FieldInfos, const char* Buffer, TStringList& Strings,
                         std::string_view Prefix, bool NowForEmptyDates);

// Stores V into the slot of Info at Slot (flag byte first) in native form, bounded by the field's
// size and the slot. The value area is cleared first. Raises for a type that cannot be stored
// (ErrorName names the field) and when V cannot be converted; false when the type stores nothing.
bool StoreSlotValue(char* Slot, const TFieldInfo& Info, const TVariant& V,
                    const std::string& ErrorName);
