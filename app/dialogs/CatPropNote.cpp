#include "CatPropNote.h"

#include <QMimeData>
#include <QTextCursor>

namespace {

// The memo's own mark: a word joiner, shown as nothing, ends a piece when a line break follows.
constexpr QChar Joiner(0x2060);
// A piece is laid out in a few milliseconds; a break is looked for this far back from its end,
// so that words stay whole where the line has blanks.
constexpr qsizetype PieceLength = 8192;
constexpr qsizetype BlankReach = 256;

void AppendLine(QString& Shown, QStringView Line) {
    qsizetype From = 0;
    while (Line.size() - From > PieceLength) {
        qsizetype End = From + PieceLength;
        for (qsizetype I = End; I > End - BlankReach; --I)
            if (Line[I - 1] == QLatin1Char(' ') || Line[I - 1] == QLatin1Char('\t')) {
                End = I;
                break;
            }
        if (Line[End - 1].isHighSurrogate()) --End;
        for (QChar C : Line.mid(From, End - From)) {
            Shown += C;
            if (C == Joiner) Shown += Joiner;
        }
        Shown += Joiner;
        Shown += QLatin1Char('\n');
        From = End;
    }
    for (QChar C : Line.mid(From)) {
        Shown += C;
        if (C == Joiner) Shown += Joiner;
    }
}

} // namespace

QString NoteForShowing(const QString& Note) {
    QString Shown;
    Shown.reserve(Note.size() + Note.size() / PieceLength * 2 + 16);
    qsizetype From = 0;
    for (;;) {
        const qsizetype Break = Note.indexOf(QLatin1Char('\n'), From);
        AppendLine(Shown, QStringView(Note).mid(From, Break < 0 ? -1 : Break - From));
        if (Break < 0) return Shown;
        Shown += QLatin1Char('\n');
        From = Break + 1;
    }
}

QString NoteFromShown(const QString& Shown) {
    QString Note;
    Note.reserve(Shown.size());
    for (qsizetype I = 0; I < Shown.size(); ++I) {
        if (Shown[I] == Joiner && I + 1 < Shown.size()) {
            // A doubled joiner is one of the note's; a joiner before a break is the memo's.
            if (Shown[I + 1] == Joiner) {
                Note += Joiner;
                ++I;
                continue;
            }
            if (Shown[I + 1] == QLatin1Char('\n')) {
                ++I;
                continue;
            }
        }
        Note += Shown[I];
    }
    return Note;
}

QMimeData* TNoteEdit::createMimeDataFromSelection() const {
    auto* Data = new QMimeData;
    QString Text = textCursor().selectedText();
    Text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    Data->setText(NoteFromShown(Text));
    return Data;
}

void TNoteEdit::insertFromMimeData(const QMimeData* Source) {
    if (!Source || !Source->hasText()) return;
    insertPlainText(NoteForShowing(Source->text()));
}
