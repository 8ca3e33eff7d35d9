// Exceptions of the program's class library: one base class with a message text, and the
// few framework errors that the catalog code raises or catches by kind.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string Message) : FMessage(std::move(Message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    void SetMessage(std::string Message) { FMessage = std::move(Message); }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

// A list or collection was indexed outside its bounds.
class EListError : public Exception {
public:
    using Exception::Exception;
};

// Assign between objects that cannot be copied into each other.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

// Reading or writing a stream failed (end of data, damaged value, I/O error).
class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A file could not be opened or created; the message names the file and the system's reason.
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

// A thread could not be started (the user's thread limit, or no room for its stack).
class EThread : public Exception {
public:
    using Exception::Exception;
};

// Memory the work needs could not be had: the data is not at fault.
class EOutOfMemory : public Exception {
public:
    using Exception::Exception;
};

// The messages of the class library, chosen once.
namespace SysConsts {
inline constexpr const char* SListIndexError = "List index out of bounds (%d)";
inline constexpr const char* SAssignError = "Cannot assign a %s to a %s";
inline constexpr const char* SFOpenError = "Cannot open file \"%s\". %s";
inline constexpr const char* SFCreateError = "Cannot create file \"%s\". %s";
inline constexpr const char* SReadError = "Stream read error";
inline constexpr const char* SWriteError = "Stream write error";
inline constexpr const char* SInvalidProperty = "Invalid property value";
inline constexpr const char* SDuplicateString = "String list does not allow duplicates";
inline constexpr const char* SSortedListError = "Operation not allowed on sorted string list";
inline constexpr const char* SOutOfMemory = "Out of memory";
inline constexpr const char* SThreadCreateError = "Thread creation error: %s";
} // namespace SysConsts

[[noreturn]] void RaiseListIndexError(long long Index);
[[noreturn]] void RaiseAssignError(const char* SourceName, const char* DestName);
// Errors named after errno: "Cannot open file "x". No such file or directory".
[[noreturn]] void RaiseFileOpenError(const std::string& FileName, int Errno);
[[noreturn]] void RaiseFileCreateError(const std::string& FileName, int Errno);
