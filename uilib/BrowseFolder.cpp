#include "BrowseFolder.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>

std::function<bool(const std::string&, const std::string&, std::string&)> BrowseFolderHook;

bool BrowseFolder(const std::string& Title, const std::string& Root, std::string& Folder) {
    Folder.clear();
    bool Result;
    if (BrowseFolderHook) {
        Result = BrowseFolderHook(Title, Root, Folder);
    } else {
        QString Start = QFile::decodeName(QByteArray::fromStdString(Root));
        if (Start.isEmpty() || !QDir(Start).exists()) Start = QDir::homePath();
        // The dialog is modal to the whole application, as the original dialog disabled every
        // other top-level window while it was open.
        QString Dir = QFileDialog::getExistingDirectory(QApplication::activeWindow(),
                                                        QString::fromStdString(Title), Start,
                                                        QFileDialog::ShowDirsOnly);
        Result = !Dir.isEmpty();
        if (Result) Folder = QFile::encodeName(QDir::cleanPath(Dir)).toStdString();
    }
    if (!Result) Folder.clear();
    return Result;
}
