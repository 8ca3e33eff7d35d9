#include "BrowseFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>

std::function<bool(const std::string&, const std::string&, std::string&)> BrowseFolderHook;

bool ShowBrowseFolderDialog(const std::string& Title, const std::string& Root,
                            std::string& Folder) {
    Folder.clear();
    QString Start = QFile::decodeName(QByteArray::fromStdString(Root));
    // Not the current folder, which is the open catalog's.
    if (Start.isEmpty() || !QDir(Start).exists()) Start = QDir::homePath();
    // The dialog is modal to the whole application, as the original dialog disabled every
    // other top-level window while it was open.
    QString Dir = QFileDialog::getExistingDirectory(QApplication::activeWindow(),
                                                    QString::fromStdString(Title), Start,
                                                    QFileDialog::ShowDirsOnly);
    if (Dir.isEmpty()) return false;
    Folder = QFile::encodeName(QDir::cleanPath(Dir)).toStdString();
    return true;
}

bool BrowseFolder(const std::string& Title, const std::string& Root, std::string& Folder) {
    Folder.clear();
    const bool Result = BrowseFolderHook ? BrowseFolderHook(Title, Root, Folder)
                                         : ShowBrowseFolderDialog(Title, Root, Folder);
    if (!Result) Folder.clear();
    return Result;
}
