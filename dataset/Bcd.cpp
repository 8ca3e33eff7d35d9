#include "Bcd.h"

#include <algorithm>
#include <string>

void CurrencyToBcd(TCurrency Value, TBcd& Bcd, int Precision, int Decimals) {
    Bcd = TBcd();
    Precision = std::clamp(Precision, 1, 64);
    Decimals = std::clamp(Decimals, 0, std::min(Precision, 63));
    unsigned long long A = Value < 0 ? 0ull - static_cast<unsigned long long>(Value)
                                     : static_cast<unsigned long long>(Value);
    // Currency holds four places; more or fewer decimals scale the digits.
    std::string Digits = std::to_string(A);
    if (Decimals >= 4) {
        Digits.append(static_cast<size_t>(Decimals - 4), '0');
    } else {
        size_t Cut = static_cast<size_t>(4 - Decimals);
        Digits = Digits.size() > Cut ? Digits.substr(0, Digits.size() - Cut) : "0";
    }
    if (Digits.size() < static_cast<size_t>(Precision))
        Digits.insert(0, static_cast<size_t>(Precision) - Digits.size(), '0');
    // Leading digits that do not fit the precision are dropped (a too small precision).
    Digits = Digits.substr(Digits.size() - static_cast<size_t>(Precision));
    for (int I = 0; I < Precision; ++I) {
        uint8_t D = static_cast<uint8_t>(Digits[static_cast<size_t>(I)] - '0');
        Bcd.Fraction[I / 2] |= I % 2 ? D : static_cast<uint8_t>(D << 4);
    }
    Bcd.Precision = static_cast<uint8_t>(Precision);
    Bcd.SignSpecialPlaces = static_cast<uint8_t>(Decimals | (Value < 0 ? 0x80 : 0));
}

bool BcdToCurrency(const TBcd& Bcd, TCurrency& Value) {
    int Precision = Bcd.Precision;
    int Places = Bcd.SignSpecialPlaces & 0x3F;
    if (Precision < 1 || Precision > 64 || Places > Precision) return false;
    auto Digit = [&](int I) { return (Bcd.Fraction[I / 2] >> (I % 2 ? 0 : 4)) & 0x0F; };
    unsigned long long Acc = 0;
    const unsigned long long Max = ~0ull;
    int Used = Precision - Places + std::min(Places, 4);
    for (int I = 0; I < Precision; ++I)
        if (Digit(I) > 9) return false;
    for (int I = 0; I < Used; ++I) {
        unsigned D = static_cast<unsigned>(Digit(I));
        if (Acc > (Max - D) / 10) return false;
        Acc = Acc * 10 + D;
    }
    for (int I = Places; I < 4; ++I) {
        if (Acc > Max / 10) return false;
        Acc *= 10;
    }
    if (Places > 4 && Digit(Used) >= 5) ++Acc;
    bool Neg = Bcd.SignSpecialPlaces & 0x80;
    if (Acc > (Neg ? 9223372036854775808ull : 9223372036854775807ull)) return false;
    Value = Neg ? static_cast<TCurrency>(0ull - Acc) : static_cast<TCurrency>(Acc);
    return true;
}
