#include "ValueText.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <charconv>
#include <cmath>
#include <limits>

namespace {

std::string_view TrimBlanks(std::string_view S) {
    while (!S.empty() && static_cast<unsigned char>(S.front()) <= ' ')
        S.remove_prefix(1);
    while (!S.empty() && static_cast<unsigned char>(S.back()) <= ' ')
        S.remove_suffix(1);
    return S;
}

// The user's short date format with the year written whole: a two-digit year would read back
// in another century.
QString DateFormat() {
    QString F = QLocale().dateFormat(QLocale::ShortFormat);
    if (!F.contains(QLatin1String("yyyy"))) F.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return F;
}

// The user's long time format without the time zone, which no stored time carries.
QString TimeFormat() {
    QString F = QLocale().timeFormat(QLocale::LongFormat);
    F.remove(QLatin1Char('t'));
    return F.trimmed();
}

const QDate BaseDate(1899, 12, 30);

QDateTime ToQDateTime(TDateTime D) {
    double Days = std::trunc(D);
    long long Ms = std::llround(std::fabs(D - Days) * MSecsPerDay);
    if (Ms >= MSecsPerDay) Ms = MSecsPerDay - 1;
    return QDateTime(BaseDate.addDays(static_cast<qint64>(Days)), QTime(0, 0).addMSecs(int(Ms)));
}

TDateTime FromQDateTime(const QDate& Date, const QTime& Time) {
    double Days = static_cast<double>(BaseDate.daysTo(Date));
    double Frac = Time.isValid() ? Time.msecsSinceStartOfDay() / double(MSecsPerDay) : 0.0;
    return Days < 0 ? Days - Frac : Days + Frac;
}

bool InRange(TDateTime D) {
    TTimeStamp S;
    return DateTimeToTimeStamp(D, S) && ValidTimeStamp(S);
}

QString ToQ(std::string_view S) {
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size())).trimmed();
}

} // namespace

std::string CutText(const std::string& S, int MaxBytes) {
    if (MaxBytes < 0) MaxBytes = 0;
    if (S.size() <= static_cast<size_t>(MaxBytes)) return S;
    auto Continues = [&](size_t I) { return (static_cast<unsigned char>(S[I]) & 0xC0) == 0x80; };
    size_t N = static_cast<size_t>(MaxBytes), Cut = N;
    // The first byte left out continues a character: drop that character's start as well.
    for (int Step = 0; Step < 3 && Cut > 0 && Continues(Cut); ++Step)
        --Cut;
    if (Cut < N && static_cast<unsigned char>(S[Cut]) >= 0xC0) N = Cut;
    return S.substr(0, N);
}

std::string FloatToText(double V) {
    char Buf[64];
    auto R = std::to_chars(Buf, Buf + sizeof Buf, V);
    return std::string(Buf, R.ptr);
}

bool TextToFloat(std::string_view S, double& V) {
    S = TrimBlanks(S);
    if (!S.empty() && S.front() == '+') S.remove_prefix(1);
    if (S.empty()) return false;
    double D;
    auto R = std::from_chars(S.data(), S.data() + S.size(), D);
    if (R.ec != std::errc() || R.ptr != S.data() + S.size() || !std::isfinite(D)) return false;
    V = D;
    return true;
}

std::string CurrencyToText(TCurrency V) {
    unsigned long long A =
        V < 0 ? 0ull - static_cast<unsigned long long>(V) : static_cast<unsigned long long>(V);
    std::string R = V < 0 ? "-" : "";
    R += std::to_string(A / 10000);
    unsigned Frac = static_cast<unsigned>(A % 10000);
    if (Frac) {
        std::string D = std::to_string(Frac + 10000).substr(1);
        while (D.back() == '0')
            D.pop_back();
        R += '.' + D;
    }
    return R;
}

bool FloatToCurrency(double V, TCurrency& C) {
    double Scaled = std::round(V * 10000.0);
    // 2^63 is the first double out of range.
    if (!(Scaled > -9223372036854775808.0 && Scaled < 9223372036854775808.0)) return false;
    C = static_cast<TCurrency>(Scaled);
    return true;
}

bool TextToCurrency(std::string_view S, TCurrency& V) {
    std::string_view T = TrimBlanks(S);
    bool Neg = false;
    if (!T.empty() && (T.front() == '-' || T.front() == '+')) {
        Neg = T.front() == '-';
        T.remove_prefix(1);
    }
    size_t Dot = T.find('.');
    std::string_view Int = T.substr(0, Dot);
    std::string_view Frac = Dot == std::string_view::npos ? std::string_view() : T.substr(Dot + 1);
    auto AllDigits = [](std::string_view X) {
        return X.find_first_not_of("0123456789") == std::string_view::npos;
    };
    if (Int.size() + Frac.size() == 0 || !AllDigits(Int) || !AllDigits(Frac)) {
        double F;
        return TextToFloat(S, F) && FloatToCurrency(F, V);
    }
    const unsigned long long Max = std::numeric_limits<unsigned long long>::max();
    unsigned long long Acc = 0;
    auto Push = [&](unsigned Digit) {
        if (Acc > (Max - Digit) / 10) return false;
        Acc = Acc * 10 + Digit;
        return true;
    };
    for (char C : Int)
        if (!Push(static_cast<unsigned>(C - '0'))) return false;
    for (size_t I = 0; I < 4; ++I)
        if (!Push(I < Frac.size() ? static_cast<unsigned>(Frac[I] - '0') : 0)) return false;
    if (Frac.size() > 4 && Frac[4] >= '5') ++Acc; // half away from zero
    if (Acc > (Neg ? 9223372036854775808ull : 9223372036854775807ull)) return false;
    V = Neg ? static_cast<TCurrency>(0ull - Acc) : static_cast<TCurrency>(Acc);
    return true;
}

std::string DateToText(TDateTime D) {
    if (!InRange(D)) return {};
    return QLocale().toString(ToQDateTime(D).date(), DateFormat()).toStdString();
}

std::string TimeToText(TDateTime D) {
    if (!InRange(D)) return {};
    return QLocale().toString(ToQDateTime(D).time(), TimeFormat()).toStdString();
}

std::string DateTimeToText(TDateTime D) {
    if (!InRange(D)) return {};
    QDateTime T = ToQDateTime(D);
    std::string R = DateToText(D);
    if (T.time() != QTime(0, 0)) R += ' ' + TimeToText(D);
    return R;
}

bool TextToDate(std::string_view S, TDateTime& D) {
    QDate Date = QLocale().toDate(ToQ(S), DateFormat());
    if (!Date.isValid()) Date = QDate::fromString(ToQ(S), Qt::ISODate);
    if (!Date.isValid()) return false;
    D = FromQDateTime(Date, QTime());
    return true;
}

bool TextToTime(std::string_view S, TDateTime& D) {
    QString Q = ToQ(S);
    QTime Time = QLocale().toTime(Q, TimeFormat());
    if (!Time.isValid()) Time = QLocale().toTime(Q, QLocale::ShortFormat);
    if (!Time.isValid()) Time = QTime::fromString(Q, Qt::ISODateWithMs);
    if (!Time.isValid()) return false;
    D = Time.msecsSinceStartOfDay() / double(MSecsPerDay);
    return true;
}

bool TextToDateTime(std::string_view S, TDateTime& D) {
    QString Q = ToQ(S);
    int Blank = Q.indexOf(QLatin1Char(' '));
    // The date comes first; the time is whatever follows the first blank that ends a date.
    while (Blank > 0) {
        TDateTime Date, Time;
        if (TextToDate(Q.left(Blank).toStdString(), Date) &&
            TextToTime(Q.mid(Blank + 1).toStdString(), Time)) {
            D = Date < 0 ? Date - Time : Date + Time;
            return true;
        }
        Blank = Q.indexOf(QLatin1Char(' '), Blank + 1);
    }
    QDateTime Iso = QDateTime::fromString(Q, Qt::ISODateWithMs);
    if (Iso.isValid()) {
        D = FromQDateTime(Iso.date(), Iso.time());
        return true;
    }
    return TextToDate(S, D) || TextToTime(S, D);
}

bool DateTimeToTimeStamp(TDateTime D, TTimeStamp& S) {
    if (!std::isfinite(D)) return false;
    double Days = std::trunc(D);
    double Date = Days + DateDelta;
    if (Date < std::numeric_limits<int32_t>::min() || Date > std::numeric_limits<int32_t>::max())
        return false;
    long long Ms = std::llround(std::fabs(D - Days) * MSecsPerDay);
    if (Ms >= MSecsPerDay) Ms = MSecsPerDay - 1;
    S.Date = static_cast<int32_t>(Date);
    S.Time = static_cast<int32_t>(Ms);
    return true;
}

TDateTime TimeStampToDateTime(const TTimeStamp& S) {
    double Days = double(S.Date) - DateDelta;
    double Frac = S.Time / double(MSecsPerDay);
    return Days < 0 ? Days - Frac : Days + Frac;
}
