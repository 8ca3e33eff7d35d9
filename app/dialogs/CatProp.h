// TCatPropForm: the properties window of one item of the catalog tree.
//
// The user looks at and edits the item's name, comment and note (page General), the keywords
// attached to it (KeyWords), what was recorded of a file or folder on disk (FileSystem Info)
// and the location and volume of a scanned folder or located file (Location). Nothing reaches
// the item before Apply or Ok; Cancel drops what was not applied, and so do Up and Down, which
// walk to the previous or next item (of the folder tree with FollowTree, else of the item's
// list) and select it in the main window. Notes are imported from and exported to text files,
// plain or DOS text in the OEM code page.
//
// A volume record is replaced only by one that was really read: with the disk absent, Apply and
// "Refresh Volume Information" keep the recorded volume and say that it could not be read.
//
// The window is made for one showing by the dialog factory, which owns it. It keeps a plain link
// to the item shown, which outlives it: the window is modal, and no scan or search runs while
// it is up. UI thread only.
#pragma once

#include "app/UserDialogs.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTabWidget;
class QToolButton;
class TBasicItem;
class TNoteEdit;
struct TVolumeInfo;

// Shows the keyword setup window, when the program has one; the "..." button of the KeyWords
// page is enabled only while it is set.
extern std::function<void()> ShowKeyWordSetupProc;

class TCatPropForm : public QDialog {
    Q_OBJECT

public:
    explicit TCatPropForm(bool FollowTree, QWidget* Parent = nullptr);
    ~TCatPropForm() override;

    // Loads Item into every page and selects it in the main window.
    void SetItem(TBasicItem* Item);
    // Writes the pages back into the item.
    void StoreItem();
    TBasicItem* Item() const { return FItem; }
    bool FollowTree() const { return FFollowTree; }
    // Something was changed that Apply has not stored yet.
    bool Modified() const { return FModified; }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void CreatePages();
    QWidget* CreateGeneralPage();
    QWidget* CreateFilePage();
    QWidget* CreateKeyWordsPage();
    QWidget* CreateLocationPage();
    // Shows or hides a page and its tab; hidden ones cannot be reached by any key.
    void ShowPage(QWidget* Page, bool Visible);
    bool PageShown(QWidget* Page) const;
    // Runs a command of the window: failures are shown, the window stays open and unchanged.
    void Guard(const std::function<void()>& Command);

    void FillGeneral();
    void FillKeyWords();
    void FillFileInfo();
    void FillLocation();
    // The volume fields from V, or from the item's own record when V is null.
    void ShowVolume(const TVolumeInfo* V);
    void ShowInMainWindow();
    void StoreKeyWords();
    void StoreLocation();
    void SetModified(bool Value);
    void UpdateActions();

    void ApplyActionClick();
    void e_noteChange();
    void e_RelatedDirChange();
    void e_RelatedDirExit();
    void tsFileShow();
    void Button3Click();
    void BitBtn5Click();
    void BitBtn6Click();
    void BitBtn1Click();
    void BitBtn2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn7Click();
    // The item before (Step -1) or after (1) this one in the tree or the list; null for none.
    TBasicItem* NeighbourItem(int Step) const;

    QTabWidget* PageControl1 = nullptr;
    QWidget* tsGlobal = nullptr;
    QWidget* tsFile = nullptr;
    QWidget* tsKeywords = nullptr;
    QWidget* tsLocation = nullptr;
    QLabel* Image1 = nullptr;
    QLineEdit* e_Name = nullptr;
    QLineEdit* e_FullName = nullptr;
    QLineEdit* e_Comment = nullptr;
    TNoteEdit* e_note = nullptr;
    QToolButton* BitBtn5 = nullptr;
    QToolButton* BitBtn6 = nullptr;
    QLineEdit* e_FilePath = nullptr;
    QLineEdit* e_RelatedLocation = nullptr;
    QLineEdit* e_FileType = nullptr;
    QLineEdit* e_Date = nullptr;
    QLineEdit* e_Size = nullptr;
    QCheckBox* CheckBox[5] = {};
    QComboBox* e_List = nullptr;
    QListWidget* ListBox1 = nullptr;
    QPushButton* BitBtn7 = nullptr;
    QLineEdit* e_RelatedDir = nullptr;
    QLineEdit* e_VolName = nullptr;
    QLineEdit* e_VolSerial = nullptr;
    QLineEdit* e_FileSystem = nullptr;
    QLineEdit* e_DriveType = nullptr;
    QPushButton* ApplyButton = nullptr;
    QAction* UpAction = nullptr;
    QAction* DownAction = nullptr;
    TFileDialogSpec OpenDialog1;
    TFileDialogSpec SaveDialog1;

    bool FModified = false;
    TBasicItem* FItem = nullptr;
    bool FLocationChanged = false;
    bool FFollowTree = false;
    // The texts as filled: an edit that still shows them leaves the item's value untouched
    // (a name that is not valid UTF-8 would not survive the trip through the edit).
    QString FShownName, FShownComment, FShownNote;
};
