// TfmFind ("Find"): the criteria of a search. Four fields of search terms (keywords, words in
// comments, words in notes, wildcard masks; see app/SearchTerms.h for their form), how the
// criteria combine (AND, OR), where to search (the whole catalog, the current folder) and
// whether below it. Find is enabled while any field holds text.
//
// The program makes the dialog once and keeps it, hidden between searches, so that it shows the
// last criteria again; the fields' sample hints are not shown as tool-tips (the dialog's hints
// are off). TFindCriteria is what the main window reads back after Find.
//
// Owned by its Qt parent (the main window). UI thread only.
#pragma once

#include <QDialog>

#include <string>

class QCheckBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

struct TFindCriteria {
    std::string KeyWord = {}, Comment = {}, Note = {}, FileMask = {};
    int Criterion = 0; // 0 every criterion must hold (AND), 1 any one suffices (OR)
    int Area = 0;      // 0 the whole catalog, 1 the current folder
    bool SubFolders = true;
};

class TfmFind : public QDialog {
    Q_OBJECT

public:
    explicit TfmFind(QWidget* Parent = nullptr);

    TFindCriteria Criteria() const;
    void SetCriteria(const TFindCriteria& C);

    QLineEdit* e_KeyWord;
    QLineEdit* e_Comment;
    QLineEdit* e_Note;
    QLineEdit* e_FileMask;
    QRadioButton* rbAnd;
    QRadioButton* rbOr;
    QRadioButton* rbRoot;
    QRadioButton* rbCurrentFolder;
    QCheckBox* cbSubFolders;
    QPushButton* bbFind;
    QPushButton* bbClose;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // Find is enabled while at least one field is not empty.
    void Action1Update();
};
