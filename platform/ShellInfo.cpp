#include "ShellInfo.h"

#include "SysUtils.h"
#include "SystemImageList.h"

#include <QMimeDatabase>
#include <QMimeType>

namespace {

QMimeType TypeOfExtension(const std::string& Ext) {
    if (Ext.size() < 2 || Ext[0] != '.') return {};
    static QMimeDatabase Db; // read-only; safe to share between threads
    std::string Lower = AnsiLowerCase(Ext);
    QMimeType T = Db.mimeTypeForFile(
        QStringLiteral("x") + QString::fromUtf8(Lower.data(), static_cast<int>(Lower.size())),
        QMimeDatabase::MatchExtension);
    return T.isDefault() ? QMimeType() : T;
}

} // namespace

std::string ShellTypeDescription(const std::string& Ext) {
    QMimeType T = TypeOfExtension(Ext);
    return T.isValid() ? T.comment().toStdString() : std::string();
}

int ShellTypeIconIndex(const std::string& Ext) {
    QMimeType T = TypeOfExtension(Ext);
    if (!T.isValid()) return -1;
    return AddSystemThemeIcon(T.iconName().toStdString(), T.genericIconName().toStdString());
}

std::string ShellFolderTypeName() {
    static QMimeDatabase Db;
    QMimeType T = Db.mimeTypeForName(QStringLiteral("inode/directory"));
    return T.isValid() ? T.comment().toStdString() : std::string();
}
