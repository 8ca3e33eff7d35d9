// Text forms of numbers and dates, shared by variants and record conversions.
//
// Numbers always use "." as decimal separator, whatever the user's locale, and nothing here
// reads or changes a process-wide setting: floats are written in the shortest form that reads
// back to the same double; currency (a signed 64-bit count of ten-thousandths) with at most four
// decimals. Dates and times use the user's formats (QLocale()), with four-digit years so that a
// written date reads back as the same day. Any thread.
#pragma once

#include "platform/SysUtils.h"

#include <cstdint>
#include <string>
#include <string_view>

using TCurrency = int64_t; // ten-thousandths

// The first MaxBytes bytes of S, shortened further so that a UTF-8 character is not split.
std::string CutText(const std::string& S, int MaxBytes);

std::string FloatToText(double V);
// Decimal or exponent form with ".", blanks around allowed; false for anything else ("nan" and
// "inf" included: they are no values of a field).
bool TextToFloat(std::string_view S, double& V);
std::string CurrencyToText(TCurrency V);
// Exact decimal reading (more than four decimals are rounded half away from zero), falling back
// on the float form; false when not a number or out of range.
bool TextToCurrency(std::string_view S, TCurrency& V);
// Nearest currency of a double; false when out of range or not a number.
bool FloatToCurrency(double V, TCurrency& C);
inline double CurrencyToFloat(TCurrency V) {
    return static_cast<double>(V) / 10000.0;
}

// The texts of a date-time; empty for one that lies outside the years 1 to 9999 (or is no
// number), which no text would read back as.
std::string DateToText(TDateTime D);
std::string TimeToText(TDateTime D);
// The date, then the time when it is not midnight.
std::string DateTimeToText(TDateTime D);
bool TextToDate(std::string_view S, TDateTime& D);
bool TextToTime(std::string_view S, TDateTime& D);
// A date and time, a date alone or a time alone.
bool TextToDateTime(std::string_view S, TDateTime& D);

// The framework's time stamp of a date-time: day number (1 January of year 1 is day 1) and
// milliseconds since midnight.
inline constexpr int DateDelta = 693594; // day number of 1899-12-30
inline constexpr int MSecsPerDay = 86400000;
struct TTimeStamp {
    int32_t Date = 0;
    int32_t Time = 0;
};
inline constexpr int MaxDateStamp = 3652059; // day number of 9999-12-31
// False when D lies outside the range a day number can hold.
bool DateTimeToTimeStamp(TDateTime D, TTimeStamp& S);
TDateTime TimeStampToDateTime(const TTimeStamp& S);
// A day from 1 January of year 1 to 31 December 9999 and a time within one day: the stamps a
// date or time converts from. A stored value outside them is no date.
inline bool ValidTimeStamp(const TTimeStamp& S) {
    return S.Date >= 1 && S.Date <= MaxDateStamp && S.Time >= 0 && S.Time < MSecsPerDay;
}
