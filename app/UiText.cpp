#include "UiText.h"

#include <QFile>
#include <QMimeData>
#include <QStringList>
#include <QUrl>

QString ToQString(std::string_view S) {
    return QString::fromUtf8(S.data(), static_cast<qsizetype>(S.size()));
}

QString ToCellText(std::string_view S) {
    // Wider than any screen, in any font.
    constexpr size_t MaxBytes = 4096;
    if (S.size() <= MaxBytes) return ToQString(S);
    size_t End = MaxBytes;
    while (End > 0 && (static_cast<unsigned char>(S[End]) & 0xC0) == 0x80)
        --End;
    return ToQString(S.substr(0, End)) + QChar(0x2026);
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

QUrl FileUrl(const std::string& FileName) {
    const QByteArray Bytes(FileName.data(), static_cast<qsizetype>(FileName.size()));
    return QUrl::fromEncoded("file://" + Bytes.toPercentEncoding("/"), QUrl::StrictMode);
}

std::string LocalFileName(const QUrl& Url) {
    if (!Url.isLocalFile()) return {};
    // The encoded path keeps bytes that are no UTF-8 as their escapes; decoding them gives the
    // name's bytes back.
    return QByteArray::fromPercentEncoding(Url.path(QUrl::FullyEncoded).toLatin1()).toStdString();
}

std::vector<std::string> DroppedFileNames(const QMimeData* Data) {
    std::vector<std::string> Names;
    if (!Data || !Data->hasUrls()) return Names;
    for (const QUrl& Url : Data->urls())
        if (Url.isLocalFile()) Names.push_back(LocalFileName(Url));
    return Names;
}
