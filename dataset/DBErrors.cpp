#include "DBErrors.h"

void DatabaseError(const std::string& Message) {
    throw EDatabaseError(Message);
}

void DatabaseErrorFmt(std::string_view Fmt, std::initializer_list<FormatArg> Args) {
    throw EDatabaseError(Format(Fmt, Args));
}
