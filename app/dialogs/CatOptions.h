// TfmCatOptions: the "Options" window, in which the user edits the program's options (the option
// globals of core/CatalogGlobals.h). It changes the globals themselves when the user applies
// them (Apply or Ok); the main window writes them to the settings store when it closes.
//
// Two pages: General (double-click, auto-open, icons, the synchronize options, the recent-list
// size, hidden files, saving settings) and Descriptions (which description files are read and
// how their texts are taken). The two lists of description-file names are edited in place: add
// (names are checked), delete, move up and down; a checked name is read while scanning.
//
// A stored value the controls cannot show is kept rather than replaced: a double-click choice
// or description mode of 2 or more shows no choice, and Ok without a choice keeps the value;
// a recent-list size outside 0 to 10 shows (and is stored) as its nearest end.
//
// Made for one showing by the dialog factory, which owns it. UI thread only.
#pragma once

#include <QDialog>

#include <functional>

class QAction;
class QButtonGroup;
class QCheckBox;
class QListWidget;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QWidget;

class TfmCatOptions : public QDialog {
    Q_OBJECT

public:
    explicit TfmCatOptions(QWidget* Parent = nullptr);
    ~TfmCatOptions() override;

    // Something was changed that Apply has not stored yet.
    bool Modified() const { return FModified; }

protected:
    void showEvent(QShowEvent* Event) override;

private:
    QWidget* CreateGeneralPage();
    QWidget* CreateDescriptionsPage();
    void CreateListActions();
    QCheckBox* NewCheckBox(const char* Name, const char* Caption, const char* Hint);

    // Loads the globals into the controls, and stores the controls into the globals.
    void FormShow();
    void Button1Click();
    void ChangeProperties();
    void UpdateEnabledStates();
    void UpdateActions();
    // The description list that has the focus, or null.
    QListWidget* ActiveList() const;

    void AddActionExecute();
    void DeleteActionExecute();
    void MoveActionExecute(int Step);

    QTabWidget* PageControl1 = nullptr;
    QButtonGroup* rgDoubleClick = nullptr;
    QCheckBox* cbAutoOpen = nullptr;
    QCheckBox* cbDisplayDefaultIcons = nullptr;
    QCheckBox* cbAddFiles = nullptr;
    QCheckBox* cbDeleteFiles = nullptr;
    QCheckBox* cbCheckVolumeInfo = nullptr;
    QCheckBox* cbShowRescanningDialog = nullptr;
    QCheckBox* cbSaveSetting = nullptr;
    QSpinBox* SpinEdit1 = nullptr;
    QCheckBox* cbShowHidden = nullptr;
    QCheckBox* cbExtractFolderDescriptions = nullptr;
    QListWidget* lbFolderDescriptions = nullptr;
    QCheckBox* cbExtractFileDescriptions = nullptr;
    QListWidget* lbFileDescriptions = nullptr;
    QWidget* rgFileDescriptionsBox = nullptr;
    QButtonGroup* rgFileDescriptions = nullptr;
    QCheckBox* cbConvertOEMToANSI = nullptr;
    QCheckBox* cbExtractHTML = nullptr;
    QCheckBox* cdConvertKOI8 = nullptr;
    QCheckBox* cbExtractGraphic = nullptr;
    QPushButton* ApplyButton = nullptr;
    QAction* AddAction = nullptr;
    QAction* DeleteAction = nullptr;
    QAction* MoveUpAction = nullptr;
    QAction* MoveDownAction = nullptr;

    bool FModified = false;
    bool FLoading = false;
};
