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
    // Pairs of caption and patterns. QFileDialog reads the patterns from the caption's
    // parentheses, so the caption gets the pair's own patterns there; "*.*" becomes "*", which on
    // Linux also matches the many files without an extension.
    const QStringList Parts = ToQString(Filter).split(QLatin1Char('|'));
    QStringList Entries;
    for (qsizetype I = 0; I + 1 < Parts.size(); I += 2) {
        QString Caption = Parts[I];
        if (qsizetype Open = Caption.indexOf(QLatin1Char('(')); Open >= 0) Caption.truncate(Open);
        Caption = Caption.trimmed();
        QStringList Patterns = Parts[I + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& P : Patterns) {
            P = P.trimmed();
            if (P == QLatin1String("*.*")) P = QStringLiteral("*");
        }
        if (Caption.isEmpty() || Patterns.isEmpty()) continue;
        Entries << Caption + QStringLiteral(" (") + Patterns.join(QLatin1Char(' ')) +
                       QLatin1Char(')');
    }
    return Entries.join(QStringLiteral(";;"));
}
