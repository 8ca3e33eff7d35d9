// The options dialog and the about box, opened through the window's actions: every option
// loaded into its control and stored back, values the controls cannot show, Apply, the
// description-file list editors, and the about box's links.
#include "AppTestSupport.h"

#include "app/dialogs/CatAbout.h"
#include "app/dialogs/CatOptions.h"
#include "uilib/MRUList.h"

#include <QAbstractButton>
#include <QAction>
#include <QLabel>
#include <QListWidget>
#include <QSpinBox>
#include <QTest>

namespace {

template <class T = QWidget>
T* Child(QWidget& Dialog, const char* Name) {
    return DialogChild<T>(Dialog, Name);
}

QAbstractButton* Button(QWidget& Dialog, const char* Name) {
    return Child<QAbstractButton>(Dialog, Name);
}

std::vector<std::string> Entries(QListWidget* L, bool CheckedOnly = false) {
    std::vector<std::string> R;
    for (int I = 0; I < L->count(); ++I)
        if (!CheckedOnly || L->item(I)->checkState() == Qt::Checked)
            R.push_back(FromQString(L->item(I)->text()));
    return R;
}

} // namespace

TEST_F(MainWindowTest, OptionsShowsEveryOptionAndStoresWhatTheUserChose) {
    // The conversion boxes before the switches that enable them.
    const std::pair<const char*, bool*> Flags[] = {
        {"cbAutoOpen", &AutoOpen},
        {"cbDisplayDefaultIcons", &DisplayDefaultIcons},
        {"cbAddFiles", &roAdd},
        {"cbDeleteFiles", &roDelete},
        {"cbCheckVolumeInfo", &roCheck},
        {"cbShowRescanningDialog", &ShowRescanDialog},
        {"cbSaveSetting", &SaveSetting},
        {"cbShowHidden", &ShowHidden},
        {"cbConvertOEMToANSI", &ConvertOEMtoAnsi},
        {"cdConvertKOI8", &ConvertKOI8},
        {"cbExtractFolderDescriptions", &FolderDescription},
        {"cbExtractFileDescriptions", &FileDescription},
        {"cbExtractHTML", &HTMLDescription},
        {"cbExtractGraphic", &GraphicDescription},
    };
    CreateWindow();
    // Every flag the other way round from its default, so that each box is seen to follow it;
    // the switches on, so that what they govern can be clicked.
    for (const auto& [Name, Flag] : Flags)
        *Flag = !*Flag;
    FileDescription = FolderDescription = HTMLDescription = true;
    std::vector<bool> Before;
    for (const auto& [Name, Flag] : Flags)
        Before.push_back(*Flag);
    DescriptionMode = 1;
    DoubleClick = 0;
    gRecentListCount = 7;
    Dialogs->OnOptions([&](TfmCatOptions& F) {
        // A fixed border: one size, at which both pages are whole.
        EXPECT_EQ(F.minimumSize(), F.maximumSize());
        ExpectNothingCut(*Child<QTabWidget>(F, "PageControl1"));
        EXPECT_TRUE(Button(F, "rgDoubleClick0")->isChecked());
        EXPECT_TRUE(Button(F, "rgFileDescriptions1")->isChecked());
        EXPECT_EQ(Child<QSpinBox>(F, "SpinEdit1")->value(), 7);
        EXPECT_EQ(Entries(Child<QListWidget>(F, "lbFileDescriptions")).size(), 9u);
        EXPECT_EQ(Entries(Child<QListWidget>(F, "lbFileDescriptions"), true),
                  (std::vector<std::string>{"descript.ion", "files.bbs"}));
        EXPECT_EQ(Entries(Child<QListWidget>(F, "lbFolderDescriptions"), true),
                  (std::vector<std::string>{"file_id.diz", "dirinfo"}));
        Button(F, "rgDoubleClick1")->click();
        Button(F, "rgFileDescriptions0")->click();
        Child<QSpinBox>(F, "SpinEdit1")->setValue(2);
        Child<QListWidget>(F, "lbFileDescriptions")->item(2)->setCheckState(Qt::Checked);
        for (const auto& [Name, Flag] : Flags) {
            EXPECT_EQ(Button(F, Name)->isChecked(), *Flag) << Name;
            Button(F, Name)->click();
        }
        Button(F, "Button1")->click();
    });
    Trigger("SetupAction");
    for (size_t I = 0; I < std::size(Flags); ++I)
        EXPECT_EQ(*Flags[I].second, !Before[I]) << Flags[I].first;
    EXPECT_EQ(DoubleClick, 1);
    EXPECT_EQ(DescriptionMode, 0);
    EXPECT_EQ(gRecentListCount, 2);
    EXPECT_EQ(ActiveFileDescriptionFiles, "descript.ion,files.bbs,catalog.txt");
    EXPECT_EQ(Part<TMRUManager>("MRUManager1")->Capacity(), 2);
}

TEST_F(MainWindowTest, OptionsKeepStoredValuesTheirControlsCannotShow) {
    CreateWindow();
    DoubleClick = 2;
    DescriptionMode = 7;
    gRecentListCount = 50;
    Dialogs->OnOptions([&](TfmCatOptions& F) {
        for (const char* Name :
             {"rgDoubleClick0", "rgDoubleClick1", "rgFileDescriptions0", "rgFileDescriptions1"})
            EXPECT_FALSE(Button(F, Name)->isChecked()) << Name;
        EXPECT_EQ(Child<QSpinBox>(F, "SpinEdit1")->value(), 10);
        Button(F, "Button1")->click();
    });
    Trigger("SetupAction");
    EXPECT_EQ(DoubleClick, 2);
    EXPECT_EQ(DescriptionMode, 7);
    EXPECT_EQ(gRecentListCount, 10);
}

TEST_F(MainWindowTest, OptionsApplyStoresAtOnceAndOnlyRealEditsEnableIt) {
    CreateWindow();
    Dialogs->OnOptions([&](TfmCatOptions& F) {
        QWidget* Apply = Child(F, "ApplyButton");
        EXPECT_FALSE(Apply->isEnabled());
        Button(F, "cbExtractFileDescriptions")->click();
        EXPECT_TRUE(Apply->isEnabled());
        Button(F, "ApplyButton")->click();
        EXPECT_TRUE(FileDescription);
        EXPECT_FALSE(Apply->isEnabled());
        // The conversion box belongs to its action and marks nothing; Ok stores it all the same.
        Button(F, "cbConvertOEMToANSI")->click();
        EXPECT_FALSE(Apply->isEnabled());
        Button(F, "Button1")->click();
    });
    Trigger("SetupAction");
    EXPECT_TRUE(ConvertOEMtoAnsi);
    Dialogs->OnOptions([&](TfmCatOptions& F) {
        Button(F, "cbAutoOpen")->click();
        EXPECT_TRUE(Child(F, "ApplyButton")->isEnabled());
        Button(F, "Button2")->click();
    });
    Trigger("SetupAction");
    EXPECT_FALSE(AutoOpen);
}

TEST_F(MainWindowTest, DescriptionFileListsRefuseBadNamesAndFollowTheirSwitches) {
    CreateWindow();
    FileDescription = FolderDescription = true;
    Dialogs->OnOptions([&](TfmCatOptions& F) {
        auto* Files = Child<QListWidget>(F, "lbFileDescriptions");
        auto* Folders = Child<QListWidget>(F, "lbFolderDescriptions");
        auto* Add = F.findChild<QAction*>("AddAction");
        auto* Delete = F.findChild<QAction*>("DeleteAction");
        auto* Up = F.findChild<QAction*>("MoveUpAction");
        auto* Down = F.findChild<QAction*>("MoveDownAction");
        Files->setFocus();
        ProcessEvents();
        ASSERT_TRUE(Add->isEnabled());
        for (const char* Bad : {"a:b", "x*", "a\\b"}) {
            Dialogs->Input(Bad);
            Dialogs->Answer(mrOk);
        }
        Dialogs->Input("FILES.BBS");
        Dialogs->Answer(mrOk);
        Dialogs->Input("new.lst");
        Add->trigger();
        Dialogs->Input("");
        Add->trigger();
        const std::vector<std::string> Asked = Dialogs->Messages();
        ASSERT_EQ(Asked.size(), 4u);
        EXPECT_EQ(Asked[0], "A filename cannot contain any of the following characters:\n"
                            "  \\ / : * ? \" < > |");
        EXPECT_EQ(Asked[3], "A file with the name you specified alredy exists. Specify a "
                            "different filename.");
        EXPECT_EQ(Entries(Files).back(), "new.lst");

        // The first entry, checked, moves down and keeps its mark; Up is off at the top.
        Files->setCurrentRow(0);
        EXPECT_FALSE(Up->isEnabled());
        Down->trigger();
        EXPECT_EQ(Entries(Files)[1], "descript.ion");
        EXPECT_EQ(Files->currentRow(), 1);
        EXPECT_EQ(Files->item(1)->checkState(), Qt::Checked);

        // Deleting the first entry selects the new first one; an emptied list disables Delete.
        Folders->setFocus();
        Folders->setCurrentRow(0);
        Delete->trigger();
        EXPECT_EQ(Entries(Folders), std::vector<std::string>{"dirinfo"});
        EXPECT_EQ(Folders->currentRow(), 0);
        Delete->trigger();
        EXPECT_TRUE(Entries(Folders).empty());
        EXPECT_FALSE(Delete->isEnabled());

        // Unchecking a switch disables what it governs.
        Button(F, "cbExtractFileDescriptions")->click();
        EXPECT_FALSE(Files->isEnabled());
        EXPECT_FALSE(Child(F, "rgFileDescriptions")->isEnabled());
        EXPECT_TRUE(Child(F, "cbConvertOEMToANSI")->isEnabled());
        Button(F, "cbExtractFolderDescriptions")->click();
        EXPECT_FALSE(Child(F, "cbConvertOEMToANSI")->isEnabled());
        Button(F, "Button1")->click();
    });
    Trigger("SetupAction");
    EXPECT_EQ(FolderDescriptionFiles, "");
    EXPECT_EQ(FileDescriptionFiles.rfind("new.lst"), FileDescriptionFiles.size() - 7);
    EXPECT_EQ(ActiveFileDescriptionFiles, "files.bbs,descript.ion");
}

TEST_F(MainWindowTest, AboutShowsTheVersionAndHandsItsLinksToTheDesktop) {
    CreateWindow();
    Dialogs->OnAbout([&](TAboutBox& B) {
        EXPECT_EQ(Child<QLabel>(B, "Version")->text(), "Version 1.03a");
        QTest::mouseClick(Child(B, "http"), Qt::LeftButton);
        QTest::mouseClick(Child(B, "mailto"), Qt::LeftButton);
    });
    Trigger("About1");
    EXPECT_EQ(Dialogs->Opened,
              (std::vector<std::string>{"http://quillmark.marrowfield.example",
                                        "mailto:support@quillmark.marrowfield.example"}));
    // Without a program for the address, a box says so.
    Dialogs->ShellOpenResult = false;
    Dialogs->OnAbout([&](TAboutBox& B) { QTest::mouseClick(Child(B, "http"), Qt::LeftButton); });
    Dialogs->Answer(mrOk);
    Trigger("About1");
    EXPECT_EQ(Dialogs->Messages(),
              std::vector<std::string>{"http://quillmark.marrowfield.example\n\nThe desktop has "
                                       "no program that opens this address."});
}
