#include "UiText.h"

#include <QFile>
#include <QStringList>

QString ToQString(std::string_view S) {
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

std::string FromQString(const QString& S) {
    return S.toStdString();
}

QString FileNameToQString(const std::string& FileName) {
    return QFile::decodeName(QByteArray(FileName.data(), static_cast<qsizetype>(FileName.size())));
}

std::string QStringToFileName(const QString& FileName) {
    return QFile::encodeName(FileName).toStdString();
}

QString DialogFilter(std::string_view Filter) {
    // Pairs of caption and patterns; the caption already names the patterns, which is what
    // QFileDialog reads them from.
    const QStringList Parts = ToQString(Filter).split(QLatin1Char('|'));
    QStringList Entries;
    for (qsizetype I = 0; I < Parts.size(); I += 2) {
        QString Caption = Parts[I].trimmed();
        if (Caption.isEmpty()) continue;
        if (I + 1 < Parts.size() && !Caption.contains(QLatin1Char('('))) {
            QString Patterns = Parts[I + 1];
            Caption += QStringLiteral(" (") + Patterns.replace(QLatin1Char(';'), QLatin1Char(' ')) +
                       QLatin1Char(')');
        }
        Entries << Caption;
    }
    return Entries.join(QStringLiteral(";;"));
}
