// The one crossing between the catalog's 8-bit strings and Qt's text.
//
// Names and texts of the catalog are bytes (UTF-8 on Linux, but a file name may be any bytes);
// they are decoded only to be shown, and the decoded form is never stored back. File names that
// come from Qt (file dialogs, the command line as Qt sees it) are encoded the way the file system
// takes them. Any thread.
#pragma once

#include <QString>

#include <string>
#include <string_view>
#include <vector>

class QMimeData;
class QUrl;

// Text of the catalog for display: UTF-8, invalid bytes shown as replacement characters.
QString ToQString(std::string_view S);
// The same for a cell of a view, which shows the beginning of a text: a text longer than any
// cell can show (a path hundreds of thousands of bytes long) is cut, at a character, with an
// ellipsis after it, so that no paint lays out more than can be seen.
QString ToCellText(std::string_view S);
// Text the user typed, as the catalog keeps it (UTF-8).
std::string FromQString(const QString& S);

// A file name as Qt takes it, and back to the file system's bytes.
QString FileNameToQString(const std::string& FileName);
std::string QStringToFileName(const QString& FileName);

// "QUILM Database (*.qlmk)|*.qlmk|All files (*.*)|*.*" -> "QUILM Database (*.qlmk);;All files
// (*)": the file dialogs' filter from the framework's "caption|patterns|..." form.
QString DialogFilter(std::string_view Filter);

// The "file:" address of a local file, its name's bytes percent-encoded as they are, so that a
// name that is not valid UTF-8 still leads to the file of that name.
QUrl FileUrl(const std::string& FileName);
// The file system's bytes of a "file:" address (the reverse of FileUrl); empty for any other.
std::string LocalFileName(const QUrl& Url);
// The local files a drag from the desktop carries, as the file system's bytes; empty for none.
std::vector<std::string> DroppedFileNames(const QMimeData* Data);
