// TNoteEdit: the memo in which the properties window shows and edits an item's note.
//
// Qt lays a line of text out whole each time it is shown or changed, in time that grows with its
// length (and faster than that for a long run without blanks): a note of one line of megabytes,
// as an imported file may be, would stall the window for seconds at every key. The memo shows
// such a line in pieces of a few thousand characters instead, each piece but the last ended by
// an invisible word joiner (U+2060) and a line break that belong to the memo, not to the note.
// Note() gives the note back exactly as it was given or edited: the joiner-and-break pairs go,
// and a word joiner of the note itself, which the memo shows doubled, is single again. Pasted
// text is shown in pieces the same way, and copied text leaves the memo's breaks out.
//
// The two characters that stand for one joiner of the note, and the memo's mark, are never
// parted: the cursor and the ends of a selection stay off their middle; Delete and Backspace,
// and their word forms, step over a mark to what lies beyond it, and Delete and Backspace take a
// doubled joiner whole. What is typed or removed where two pieces meet lands in the note exactly
// where the user sees it.
//
// UI thread only.
#pragma once

#include <QPlainTextEdit>
#include <QString>

// The memo's text for a note, and the note in a memo's text (NoteFromShown(NoteForShowing(X))
// is X for every X).
QString NoteForShowing(const QString& Note);
QString NoteFromShown(const QString& Shown);

class TNoteEdit final : public QPlainTextEdit {
public:
    explicit TNoteEdit(QWidget* Parent = nullptr);

    void SetNote(const QString& Note) { setPlainText(NoteForShowing(Note)); }
    QString Note() const { return NoteFromShown(toPlainText()); }

protected:
    QMimeData* createMimeDataFromSelection() const override;
    void insertFromMimeData(const QMimeData* Source) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    // The pair of characters that holds Position strictly inside: its start, and its end in
    // End; -1 when Position lies between two characters of the note or the memo.
    int PairAround(int Position, int* End) const;
    void KeepCursorOffPairs();

    int FLastPosition = 0;
};
