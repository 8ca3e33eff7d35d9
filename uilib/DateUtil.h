// Date-format facts of the user's locale.
#pragma once

// True when the user's short date format writes the year with four digits (it contains "YYYY"
// once upper-cased). Read once, on first use.
bool FourDigitYear();
