// The framework's BCD record (34 bytes: precision, sign and places, 64 packed decimal digits)
// and its conversions to and from currency. Plain functions; any thread.
#pragma once

#include "ValueText.h"

#include <cstdint>

struct TBcd {
    uint8_t Precision = 0;         // digits in Fraction, 1..64
    uint8_t SignSpecialPlaces = 0; // bit 7: negative; bits 0-5: digits after the point
    uint8_t Fraction[32] = {};     // two digits a byte, high nibble first, left-aligned
};
static_assert(sizeof(TBcd) == 34);

// Currency into BCD with Precision digits, Decimals of them after the point.
void CurrencyToBcd(TCurrency Value, TBcd& Bcd, int Precision = 32, int Decimals = 4);
// BCD into currency (more than four places rounded half away from zero); false for a damaged
// record or a value out of the currency range.
bool BcdToCurrency(const TBcd& Bcd, TCurrency& Value);
