#include "AppTestSupport.h"

#include "platform/Thread.h"
#include "uilib/Placemnt.h"

#include <QApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <unistd.h>

void MainWindowTest::SetUp() {
    Dir = std::make_unique<TempDir>();
    Config = std::make_unique<TempDir>();
    if (const char* Old = std::getenv("XDG_CONFIG_HOME")) {
        FHadConfig = true;
        FOldConfig = Old;
    }
    ::setenv("XDG_CONFIG_HOME", Config->Path().c_str(), 1);
    SetDefaultOptions();
    CatalogModified = false;
    CommandLineParams.clear();
    // A test closes windows; the test program goes on.
    QApplication::setQuitOnLastWindowClosed(false);
    Dialogs = std::make_unique<TScriptedDialogs>();
    SetUserDialogs(Dialogs.get());
    SetDialogFactory(Dialogs.get());
    InstallDialogHooks();
}

void MainWindowTest::TearDown() {
    Main.reset();
    ProcessEvents();
    EXPECT_EQ(Dialogs->Unused(), 0u) << "scripted answers left over";
    SetUserDialogs(nullptr);
    SetDialogFactory(nullptr);
    RemoveDialogHooks();
    ShowItemPropertiesProc = nullptr;
    CommandLineParams.clear();
    SetDefaultOptions();
    CatalogModified = false;
    if (FHadConfig)
        ::setenv("XDG_CONFIG_HOME", FOldConfig.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    // The program changes its current folder to the catalogs it opens.
    if (::chdir("/") != 0) ADD_FAILURE() << "chdir";
    Config.reset();
    Dir.reset();
}

void MainWindowTest::CreateWindow(bool Show) {
    Main = std::make_unique<TfmCatalogMain>();
    if (Show) {
        Main->show();
        ProcessEvents();
    }
}

void ExpectNothingCut(const QTabWidget& Tabs) {
    EXPECT_LE(Tabs.tabBar()->sizeHint().width(), Tabs.tabBar()->width());
    const QSize Room = Tabs.currentWidget()->size();
    for (int I = 0; I < Tabs.count(); ++I) {
        const QSize Needed = Tabs.widget(I)->minimumSizeHint();
        EXPECT_TRUE(Needed.width() <= Room.width() && Needed.height() <= Room.height())
            << FromQString(Tabs.tabText(I)) << " needs " << Needed.width() << "x"
            << Needed.height();
    }
}

void MainWindowTest::ProcessEvents() {
    for (int I = 0; I < 5; ++I) {
        QApplication::processEvents();
        CheckSynchronize(0);
    }
}

bool MainWindowTest::PumpUntil(const std::function<bool()>& Done) {
    QElapsedTimer Clock;
    Clock.start();
    while (!Done()) {
        if (Clock.elapsed() > 20000) return false;
        QApplication::processEvents();
        CheckSynchronize(5);
    }
    ProcessEvents();
    return true;
}

void MainWindowTest::WaitForSearch() {
    for (int I = 0; I < 3000 && Main->FindRunning(); ++I) {
        CheckSynchronize(10);
        QApplication::processEvents();
    }
    ASSERT_FALSE(Main->FindRunning()) << "the search did not end";
    ProcessEvents();
}

void MainWindowTest::Trigger(const char* Name) {
    Main->UpdateActions();
    Action(Name)->trigger();
}

TBasicFolder* MainWindowTest::AddVirtual(TBasicItem* Parent, const std::string& Name) {
    auto* F = new TBasicFolder(Parent->Children());
    F->SetNameField(PackedString(Name));
    CurrentCatalog->Types()->AddItem(F);
    return F;
}

TFileCollection* MainWindowTest::AddScanned(TBasicItem* Parent, const std::string& Name,
                                            const std::string& RootPath) {
    auto* F = new TFileCollection(Parent->Children());
    F->SetNameField(PackedString(Name));
    F->Volume().Path = RootPath;
    CurrentCatalog->Types()->AddItem(F);
    return F;
}

TFileFolder* MainWindowTest::AddFolder(TBasicItem* Parent, const std::string& Name, uint32_t Attr) {
    auto* F = new TFileFolder(Parent->Children());
    F->SetNameField(PackedString(Name));
    F->FileInfoRef().Name = PackedString(Name);
    F->FileInfoRef().Attr = Attr;
    CurrentCatalog->Types()->AddItem(F);
    return F;
}

TFileItem* MainWindowTest::AddFile(TBasicItem* Parent, const std::string& Name, uint64_t Size,
                                   uint32_t Attr) {
    auto* F = new TFileItem(Parent->Children());
    F->SetNameField(PackedString(Name));
    F->FileInfoRef().Name = PackedString(Name);
    F->FileInfoRef().Size = Size;
    F->FileInfoRef().Attr = Attr;
    F->FileInfoRef().Date = 45000.5;
    CurrentCatalog->Types()->AddItem(F);
    return F;
}

void MainWindowTest::BuildSampleCatalog() {
    TBasicFolder* Docs = AddVirtual(CurrentCatalog, "Docs");
    TFileCollection* Disc = AddScanned(Docs, "Disc1", Dir->Path() + "disc/");
    TFileFolder* Photos = AddFolder(Disc, "Photos");
    AddFile(Photos, "beach.jpg", 2500000);
    AddFile(Disc, "readme.txt", 1999);
    AddFile(Disc, "setup.exe", 70000);
    AddVirtual(CurrentCatalog, "Music");
}

std::string MainWindowTest::SaveSample(const std::string& Name) {
    const std::string Path = Dir->Path() + Name;
    Main->SaveCatalogTo(Path);
    return Path;
}

std::vector<std::string> MainWindowTest::Captions(const TCustomListView* L) {
    std::vector<std::string> R;
    for (int I = 0; I < L->Count(); ++I)
        R.push_back(L->Item(I)->Caption());
    return R;
}

TListViewItem* MainWindowTest::RowOf(const TCustomListView* L, const std::string& Caption) {
    for (int I = 0; I < L->Count(); ++I)
        if (L->Item(I)->Caption() == Caption) return L->Item(I);
    return nullptr;
}

std::vector<std::string> MainWindowTest::NodeTexts(TTreeViewNode* Node) const {
    std::vector<std::string> R;
    for (int I = 0; I < Node->ChildCount(); ++I)
        R.push_back(Node->Child(I)->Text());
    return R;
}

TTreeViewNode* MainWindowTest::RootNode() const {
    return tvMain()->TopItem(0);
}

TTreeViewNode* MainWindowTest::ChildNode(TTreeViewNode* Node, const std::string& Text) const {
    for (int I = 0; Node && I < Node->ChildCount(); ++I)
        if (Node->Child(I)->Text() == Text) return Node->Child(I);
    return nullptr;
}

namespace {

std::unique_ptr<TFormStorage> SettingsStore(QObject& Owner) {
    auto S = std::make_unique<TFormStorage>(&Owner);
    S->SetUseRegistry(true);
    S->SetIniFileName(RegistryKey);
    S->SetIniSection(RegistrySection);
    return S;
}

} // namespace

void MainWindowTest::StoreSetting(const std::string& Name, const std::string& Value) {
    QObject Owner;
    SettingsStore(Owner)->WriteString(Name, Value);
}

std::string MainWindowTest::StoredSetting(const std::string& Name) {
    QObject Owner;
    return SettingsStore(Owner)->ReadString(Name, "(none)");
}

void MainWindowTest::SelectRowsOf(TCustomListView* L, const std::vector<std::string>& Captions) {
    Main->SetActiveControl(L);
    L->ClearSelection();
    for (const std::string& C : Captions) {
        TListViewItem* Row = RowOf(L, C);
        ASSERT_NE(Row, nullptr) << C;
        Row->SetSelected(true);
    }
    Main->UpdateActions();
}
