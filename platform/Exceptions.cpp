#include "Exceptions.h"

#include "Format.h"

#include <cstring>

void RaiseListIndexError(long long Index) {
    throw EListError(Format(SysConsts::SListIndexError, {Index}));
}

void RaiseAssignError(const char* SourceName, const char* DestName) {
    throw EConvertError(
        Format(SysConsts::SAssignError, {SourceName ? SourceName : "nil", DestName}));
}

void RaiseFileOpenError(const std::string& FileName, int Errno) {
    throw EFOpenError(Format(SysConsts::SFOpenError, {FileName, std::strerror(Errno)}));
}

void RaiseFileCreateError(const std::string& FileName, int Errno) {
    throw EFCreateError(Format(SysConsts::SFCreateError, {FileName, std::strerror(Errno)}));
}
