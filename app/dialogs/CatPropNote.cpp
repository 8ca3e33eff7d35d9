#include "CatPropNote.h"

#include <QKeyEvent>
#include <QMimeData>
#include <QTextBlock>
#include <QTextCursor>

namespace {

// The memo's own mark: a word joiner, shown as nothing, ends a piece when a line break follows.
constexpr QChar Joiner(0x2060);
// A piece is laid out in a few milliseconds; a break is looked for this far back from its end,
// so that words stay whole where the line has blanks.
constexpr qsizetype PieceLength = 8192;
constexpr qsizetype BlankReach = 256;

// Text of the note as the memo shows it within a piece: each joiner of the note doubled.
void AppendPiece(QString& Shown, QStringView Piece) {
    for (QChar C : Piece) {
        Shown += C;
        if (C == Joiner) Shown += Joiner;
    }
}

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
        AppendPiece(Shown, Line.mid(From, End - From));
        Shown += Joiner;
        Shown += QLatin1Char('\n');
        From = End;
    }
    AppendPiece(Shown, Line.mid(From));
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

TNoteEdit::TNoteEdit(QWidget* Parent) : QPlainTextEdit(Parent) {
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { KeepCursorOffPairs(); });
}

int TNoteEdit::PairAround(int Position, int* End) const {
    const QTextBlock Block = document()->findBlock(Position);
    const QString Text = Block.text();
    const int Offset = Position - Block.position();
    // A block starts between characters; from there every joiner opens a pair, with the joiner
    // after it or with the break that ends the block.
    for (int I = 0; I < Offset; ++I) {
        if (Text[I] != Joiner) continue;
        if (I + 1 == Offset) {
            *End = Block.position() + I + 2;
            return Block.position() + I;
        }
        ++I;
    }
    return -1;
}

void TNoteEdit::KeepCursorOffPairs() {
    QTextCursor Cursor = textCursor();
    int End = 0;
    const int Anchor = Cursor.anchor();
    const int AnchorStart = Cursor.hasSelection() ? PairAround(Anchor, &End) : -1;
    const int Start = PairAround(Cursor.position(), &End);
    if (Start >= 0 || AnchorStart >= 0) {
        // A step to the right from a pair's start crosses it; any other way in leaves before it.
        const int To = Start < 0 ? Cursor.position() : FLastPosition == Start ? End : Start;
        if (Cursor.hasSelection()) {
            Cursor.setPosition(AnchorStart >= 0 ? AnchorStart : Anchor);
            Cursor.setPosition(To, QTextCursor::KeepAnchor);
        } else {
            Cursor.setPosition(To);
        }
        setTextCursor(Cursor);
    }
    FLastPosition = textCursor().position();
}

void TNoteEdit::keyPressEvent(QKeyEvent* Event) {
    QTextCursor Cursor = textCursor();
    const bool Word = Event->matches(QKeySequence::DeleteEndOfWord) ||
                      Event->matches(QKeySequence::DeleteStartOfWord);
    const bool Forward =
        Event->matches(QKeySequence::Delete) || Event->matches(QKeySequence::DeleteEndOfWord);
    const bool Backward =
        Word ? !Forward
             : Event->key() == Qt::Key_Backspace && !(Event->modifiers() & ~Qt::ShiftModifier);
    if (isReadOnly() || Cursor.hasSelection() || !(Forward || Backward)) {
        if (!isReadOnly() && Event->text().contains(Joiner)) {
            insertPlainText(NoteForShowing(Event->text()));
            return;
        }
        QPlainTextEdit::keyPressEvent(Event);
        return;
    }
    // What goes is the note's: the memo's marks next to the cursor are passed over, and a
    // doubled joiner goes whole.
    int Position = Cursor.position();
    for (;;) {
        int Start = 0, End = 0;
        if (Forward) {
            if (document()->characterAt(Position) != Joiner) break;
            Start = Position;
            End = Position + 2;
        } else {
            Start = Position >= 2 ? PairAround(Position - 1, &End) : -1;
            if (Start < 0 || End != Position) break;
        }
        if (document()->characterAt(Start + 1) == Joiner) {
            if (Word) break;
            Cursor.setPosition(Start);
            Cursor.setPosition(End, QTextCursor::KeepAnchor);
            Cursor.removeSelectedText();
            setTextCursor(Cursor);
            return;
        }
        Position = Forward ? End : Start;
    }
    Cursor.setPosition(Position);
    if (Word) {
        Cursor.movePosition(Forward ? QTextCursor::NextWord : QTextCursor::PreviousWord,
                            QTextCursor::KeepAnchor);
        int End = 0;
        const int Start = PairAround(Cursor.position(), &End);
        if (Start >= 0) Cursor.setPosition(Forward ? End : Start, QTextCursor::KeepAnchor);
        Cursor.removeSelectedText();
        setTextCursor(Cursor);
        return;
    }
    setTextCursor(Cursor);
    QPlainTextEdit::keyPressEvent(Event);
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
    KeepCursorOffPairs();
    insertPlainText(NoteForShowing(Source->text()));
}
