// Errors of the dataset layer: the database error every dataset operation raises, the silent
// abort an event handler may ask for, and the messages, chosen once.
#pragma once

#include "platform/Exceptions.h"
#include "platform/Format.h"

#include <string>
#include <string_view>

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

// Raised when an error handler answers daAbort: the operation stops without a message.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

// A variant value that cannot be turned into the type asked for.
class EVariantError : public Exception {
public:
    using Exception::Exception;
};

namespace DBConsts {
inline constexpr const char* SDataSetReadOnly = "Cannot modify a read-only dataset";
inline constexpr const char* SFieldReadOnly = "Field '%s' cannot be modified";
inline constexpr const char* SNoDataFound = "No data found";
inline constexpr const char* SDataSetOpen = "Cannot perform this operation on an open dataset";
inline constexpr const char* SDataSetClosed = "Cannot perform this operation on a closed dataset";
inline constexpr const char* SDataSetEmpty = "Cannot perform this operation on an empty dataset";
inline constexpr const char* SNotEditing = "Dataset not in edit or insert mode";
inline constexpr const char* SRecordNotFound = "Record not found";
inline constexpr const char* SFieldNotFound = "Field '%s' not found";
inline constexpr const char* SDuplicateFieldName = "Duplicate field name '%s'";
inline constexpr const char* SFieldRequired = "Field '%s' must have a value";
inline constexpr const char* SFieldUnknownType = "Field '%s' is of an unknown type";
inline constexpr const char* SFieldUnsupportedType = "Field '%s' is of an unsupported type";
inline constexpr const char* SFieldTypeMismatch =
    "Type mismatch for field '%s', expecting: %s actual: %s";
inline constexpr const char* SFieldSizeMismatch =
    "Size mismatch for field '%s', expecting: %d actual: %d";
inline constexpr const char* SSelfLookup = "Lookup field '%s' cannot look up its own dataset";
inline constexpr const char* SCircularLookup =
    "Lookup field '%s' leads back to its own dataset through its lookup dataset";
inline constexpr const char* SInvalidFieldSize = "Invalid size %d for field '%s'";
inline constexpr const char* SFieldRangeError = "%s is not a valid value for field '%s'";
inline constexpr const char* SVariantFieldValue =
    "Field '%s' holds numbers, booleans and dates only";
inline constexpr const char* SInvalidStringLength =
    "DefaultStringLength must be from 1 to 65535, not %d";
inline constexpr const char* SOperationAborted = "Operation aborted";
inline constexpr const char* SVarTypeCast = "Could not convert variant of type (%s) into type (%s)";
} // namespace DBConsts

[[noreturn]] void DatabaseError(const std::string& Message);
[[noreturn]] void DatabaseErrorFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args);
