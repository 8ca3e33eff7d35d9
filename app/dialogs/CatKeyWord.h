// TfmKeyWord ("Setup KeyWord"): adds, renames and deletes the keywords of the open catalog.
//
// The list shows one entry per keyword, sorted by name as every list of names is (case-
// insensitively in the user's locale); each entry carries its keyword. Add creates a keyword
// named as the edit says unless one of that name exists (a duplicate is ignored without a word);
// Rename gives the one selected keyword the edit's name (made unique by the catalog: "(1)",
// "(2)", ...); Delete removes the selected keywords from the last to the first. A keyword that
// items carry is renamed or deleted only after the user agreed; Cancel ends a delete of several.
// Every change reaches the catalog at once, there is no undo; the dialog refreshes nothing but
// its own list (whoever shows it brings the keyword pane up to date afterwards).
//
// The program makes the dialog once and shows it modally on demand; it reads the keywords
// afresh at every showing. Questions go through UserDialogs(). Owned by its Qt parent. UI
// thread only.
#pragma once

#include <QDialog>

#include <string>

class QAction;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class TKeyWordItem;

class TfmKeyWord : public QDialog {
    Q_OBJECT

public:
    explicit TfmKeyWord(QWidget* Parent = nullptr);

    // Refills the list from CurrentCatalog's keywords (what showing the dialog does).
    void FormShow();
    // The commands of the buttons.
    void bbAddClick();
    void aRenameExecute();
    void bbDeleteClick();
    // Enables Rename for exactly one selected entry and Delete for at least one.
    void ActionList1Update();

    // The entries, in list order, and the keyword of one.
    int Count() const;
    std::string EntryText(int Index) const;
    TKeyWordItem* EntryKeyWord(int Index) const;

    QLineEdit* Edit1;
    QListWidget* ListBox1;
    QAction* aAdd;
    QAction* aRename;
    QAction* aDelete;
    QPushButton* bbClose;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    // Inserts an entry at its sorted place; returns it.
    QListWidgetItem* AddEntry(TKeyWordItem* KeyWord);
    // Deletes the keyword of the entry at Index after the question; false when the user
    // answered Cancel.
    bool DeleteEntry(int Index);
    void ListBox1Click();
};
