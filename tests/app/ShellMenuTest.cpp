// The Shell submenu of the tree's and the list's pop-up menu: when it shows, that its commands
// act on the file it was built for, and the desktop's applications for a file from a temporary
// XDG tree, started with a hostile file name as one argument.
#include "AppTestSupport.h"

#include "app/ShellMenu.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QStandardPaths>

#include <cstdlib>
#include <unistd.h>

namespace {

// A provider that offers what a test says and records what it is asked to run.
class TFakeShellMenu final : public TShellContextMenu {
public:
    TFakeShellMenu(std::vector<TShellCommand> Commands, std::vector<std::string>& Invoked)
        : FCommands(std::move(Commands)), FInvoked(Invoked) {}
    std::vector<TShellCommand> QueryContextMenu(const std::string&) override { return FCommands; }
    void InvokeCommand(const std::string& Path, int Id) override {
        FInvoked.push_back(Path + "#" + std::to_string(Id));
    }

private:
    std::vector<TShellCommand> FCommands;
    std::vector<std::string>& FInvoked;
};

TShellCommand Command(const char* Caption, int Id) {
    TShellCommand C;
    C.Caption = Caption;
    C.Id = Id;
    return C;
}

QAction* EntryOf(QMenu* Menu, const std::string& Text) {
    for (QAction* A : Menu->actions())
        if (A->text().toStdString() == Text) return A;
    return nullptr;
}

} // namespace

class ShellMenuTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        CreateWindow();
        MakeDir(Dir->Path() + "disc");
        MakeDir(Dir->Path() + "disc/Sub");
        WriteFile(Dir->Path() + "disc/there.txt", "hello\n");
        Disc = AddScanned(CurrentCatalog, "Disc", Dir->Path() + "disc/");
        AddFolder(Disc, "Sub");
        AddFile(Disc, "there.txt", 6);
        AddFile(Disc, "gone.txt", 1);
        AddVirtual(Disc->OwnerItem(), "V");
        Main->RefreshTreeNode(RootNode());
        Main->SetCurrentFolder(CurrentCatalog);
    }
    void TearDown() override {
        ShellContextMenuFactory = NewDesktopContextMenu;
        for (const char* Name : {"XDG_DATA_HOME", "XDG_DATA_DIRS", "XDG_CONFIG_DIRS"})
            ::unsetenv(Name);
        MainWindowTest::TearDown();
    }
    // Opens the pop-up menu's contents as a right click does; true when Shell shows.
    bool ShellShown() {
        QMenu* Menu = Part<QMenu>("pmMain");
        emit Menu->aboutToShow();
        return Part<QMenu>("shell1")->menuAction()->isVisible();
    }

    TFileCollection* Disc = nullptr;
};

TEST_F(ShellMenuTest, ShellShowsForOneDiskItemWhosePathExistsAndActsOnItsPath) {
    std::vector<std::string> Invoked;
    std::vector<TShellCommand> Offer = {Command("Open", 7), Command("-", -1),
                                        Command("Copy Path", 9)};
    ShellContextMenuFactory = [&] { return std::make_unique<TFakeShellMenu>(Offer, Invoked); };

    SelectRows({"Disc"});
    EXPECT_FALSE(ShellShown()); // a scanned folder's root
    SelectRows({"V"});
    EXPECT_FALSE(ShellShown()); // a virtual folder
    EXPECT_TRUE(Part<QMenu>("ViewStyle1")->menuAction()->isVisible());
    Main->SetCurrentFolder(Disc);
    SelectRows({"gone.txt"});
    EXPECT_FALSE(ShellShown()); // its disk is not there
    SelectRows({"there.txt", "Sub"});
    EXPECT_FALSE(ShellShown()); // two rows
    SelectRows({"Sub"});
    EXPECT_TRUE(ShellShown());
    SelectRows({"there.txt"});
    ASSERT_TRUE(ShellShown());
    EXPECT_EQ(Part<QMenu>("shell1")->actions().size(), 3u);

    // The command runs on the file the menu was built for, whatever is selected now.
    SelectRows({"Sub"});
    EntryOf(Part<QMenu>("shell1"), "Copy Path")->trigger();
    EXPECT_EQ(Invoked, std::vector<std::string>{Dir->Path() + "disc/there.txt#9"});

    // A provider that offers nothing leaves Shell hidden; the tree hides View Style.
    Offer.clear();
    EXPECT_FALSE(ShellShown());
    Main->SetActiveControl(tvMain());
    ShellShown();
    EXPECT_FALSE(Part<QMenu>("ViewStyle1")->menuAction()->isVisible());
}

TEST_F(ShellMenuTest, OpenWithOffersTheDesktopsApplicationsAndPassesTheNameAsOneArgument) {
    // The desktop as a temporary XDG tree: one default and one added application for text.
    const std::string Data = Dir->Path() + "xdg-data";
    MakeDir(Data);
    MakeDir(Data + "/applications");
    WriteFile(Data + "/applications/editor.desktop",
              "[Desktop Entry]\nType=Application\n"
              "Name=Codes & Escapes\nExec=/bin/true --edit %F\n");
    WriteFile(Data + "/applications/viewer.desktop",
              "[Desktop Entry]\nType=Application\nName=Viewer\nExec=/bin/true %u %i\n");
    WriteFile(Config->Path() + "mimeapps.list",
              "[Default Applications]\ntext/plain=viewer.desktop\n"
              "[Added Associations]\ntext/plain=editor.desktop;\n");
    // The system's data folders are left out but for its MIME database.
    const std::string Mime = FromQString(QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                                QStringLiteral("mime"),
                                                                QStandardPaths::LocateDirectory));
    ASSERT_FALSE(Mime.empty());
    MakeDir(Dir->Path() + "xdg-sys");
    ASSERT_EQ(::symlink(Mime.c_str(), (Dir->Path() + "xdg-sys/mime").c_str()), 0);
    ::setenv("XDG_DATA_HOME", Data.c_str(), 1);
    ::setenv("XDG_DATA_DIRS", (Dir->Path() + "xdg-sys").c_str(), 1);
    ::setenv("XDG_CONFIG_DIRS", (Dir->Path() + "none").c_str(), 1);
    ::unsetenv("XDG_CURRENT_DESKTOP");
    const std::string Hostile = "-n 'a b'; $(rm -rf x) \"q\"\n`id`.txt";
    WriteFile(Dir->Path() + "disc/" + Hostile, "text\n");
    AddFile(Disc, Hostile, 5);
    const std::string Path = Dir->Path() + "disc/" + Hostile;

    Main->SetCurrentFolder(Disc);
    SelectRows({Hostile});
    ASSERT_TRUE(ShellShown());
    QMenu* Shell = Part<QMenu>("shell1");
    std::vector<std::string> Entries;
    for (QAction* A : Shell->actions())
        Entries.push_back(A->text().toStdString());
    EXPECT_EQ(Entries, (std::vector<std::string>{"Open", "Open With", "Open Containing Folder", "",
                                                 "Copy Path"}));
    QMenu* With = EntryOf(Shell, "Open With")->menu();
    ASSERT_NE(With, nullptr);
    ASSERT_EQ(With->actions().size(), 2);
    EntryOf(With, "Viewer")->trigger();
    // An "&" in a name is shown, not taken for the mark of a shortcut letter.
    QAction* Codes = EntryOf(With, "Codes && Escapes");
    ASSERT_NE(Codes, nullptr);
    EXPECT_EQ(Codes->iconText(), "Codes & Escapes");
    Codes->trigger();
    EXPECT_EQ(Dialogs->Started, (std::vector<std::vector<std::string>>{
                                    {"/bin/true", Path}, {"/bin/true", "--edit", Path}}));
    EntryOf(Shell, "Open")->trigger();
    EntryOf(Shell, "Open Containing Folder")->trigger();
    EXPECT_EQ(Dialogs->Opened, (std::vector<std::string>{Path, Dir->Path() + "disc/"}));
    EntryOf(Shell, "Copy Path")->trigger();
    EXPECT_EQ(Dialogs->Copied, std::vector<std::string>{Path});
    // When the desktop has no program for it, a box says so.
    Dialogs->ShellOpenResult = false;
    Dialogs->Answer(mrOk);
    EntryOf(Shell, "Open")->trigger();
    Dialogs->Answer(mrOk);
    EntryOf(Shell, "Open Containing Folder")->trigger();
    EXPECT_EQ(Dialogs->Messages(),
              (std::vector<std::string>{
                  Path + "\n\nThe desktop has no program that opens this file.",
                  Dir->Path() + "disc/\n\nThe desktop has no program that opens this folder."}));
}

TEST(ShellMenu, CopyPathKeepsTheBytesOfTheName) {
    // The clipboard of the real dialogs: a name that is no UTF-8 comes back byte for byte from the
    // file address beside the text, through the program's own reader of dropped files.
    const std::string Path = "/disc/bad \xFF\xFE name%41.txt";
    NewQtUserDialogs()->CopyPath(Path);
    const QMimeData* Data = QGuiApplication::clipboard()->mimeData();
    ASSERT_NE(Data, nullptr);
    EXPECT_EQ(Data->data(QStringLiteral("text/uri-list")).toStdString(),
              "file:///disc/bad%20%FF%FE%20name%2541.txt\r\n");
    EXPECT_EQ(DroppedFileNames(Data), std::vector<std::string>{Path});
    EXPECT_EQ(Data->text(), ToQString(Path));
}
