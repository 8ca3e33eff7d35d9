#include "DateUtil.h"

#include <QLocale>

bool FourDigitYear() {
    static const bool Value =
        QLocale().dateFormat(QLocale::ShortFormat).toUpper().contains(QLatin1String("YYYY"));
    return Value;
}
