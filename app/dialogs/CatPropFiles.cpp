#include "CatPropFiles.h"

#include "app/UiText.h"
#include "app/UserDialogs.h"
#include "core/CatalogItems.h"
#include "core/FileRecords.h"
#include "core/TreeItems.h"
#include "platform/CodePages.h"
#include "platform/Format.h"
#include "platform/SafeSave.h"
#include "platform/Streams.h"
#include "platform/StringList.h"
#include "platform/Volumes.h"

#include <QByteArrayView>

namespace {

// More than any note a user writes; a larger file is no note.
constexpr size_t MaxNoteBytes = 4u << 20;

std::string Joined(const TStringList& Lines) {
    std::string S;
    for (int I = 0; I < Lines.Count(); ++I)
        S += Lines[I] + "\r\n";
    return S;
}

} // namespace

QString NoteToText(std::string_view Note) {
    QString Text = ToQString(Note);
    Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return Text;
}

std::string TextToNote(const QString& Text) {
    QString Note = Text;
    Note.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return FromQString(Note);
}

QString ImportNote(const std::string& FileName, bool Oem, bool& NotUtf8) {
    std::string Bytes;
    try {
        Bytes = ReadFileBytes(FileName, MaxNoteBytes);
    } catch (const EReadError&) {
        RaiseCatalogError(Format("%s is too large for a note or cannot be read", {FileName}));
    }
    TStringList Lines;
    Lines.SetText(Bytes);
    std::string Text = Joined(Lines);
    NotUtf8 =
        !Oem && !QByteArrayView(Text.data(), static_cast<qsizetype>(Text.size())).isValidUtf8();
    if (Oem) {
        std::string Converted;
        if (!CodePageToUtf8(OemCodePage(), Text, Converted))
            RaiseCatalogError(Format("%s is no DOS text of code page %d",
                                     {FileName, static_cast<long long>(OemCodePage())}));
        Text = std::move(Converted);
    }
    return NoteToText(Text);
}

void ExportNote(const std::string& FileName, const QString& Text, bool Oem) {
    TStringList Lines;
    Lines.SetText(FromQString(Text));
    std::string Bytes = Joined(Lines);
    if (Oem) {
        std::string Converted;
        if (!Utf8ToCodePage(OemCodePage(), Bytes, Converted))
            RaiseCatalogError(Format("The note has characters that DOS code page %d cannot hold; "
                                     "%s was not written",
                                     {static_cast<long long>(OemCodePage()), FileName}));
        Bytes = std::move(Converted);
    }
    try {
        ReplaceFileContents(FileName, Bytes);
    } catch (const Exception& E) {
        RaiseCatalogError(E.Message());
    }
}

std::string WithTrailingSeparator(std::string Path) {
    if (!Path.empty() && Path.back() != '/' && Path.back() != '\\') Path += PathSeparatorOf(Path);
    return Path;
}

bool ReadVolume(const std::string& Path, TVolumeInfo& Volume) {
    Volume = TVolumeInfo();
    Volume.Path = Path;
    ReadVolumeInfo(Volume);
    return Volume.DriveType != DRIVE_UNKNOWN && Volume.DriveType != DRIVE_NO_ROOT_DIR;
}

void TellVolumeNotRead(const std::string& Path) {
    UserDialogs().MessageDlg(Format("The volume information of %s could not be read: is the disk "
                                    "inserted?\nThe recorded volume information is kept.",
                                    {Path}),
                             mtWarning, mbOK);
}
