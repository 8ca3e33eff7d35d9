#include "CatalogTestSupport.h"

#include "core/CatalogExt.h"
#include "core/FolderScan.h"
#include "core/TypeInfoThread.h"
#include "platform/SystemImageList.h"
#include "tests/TestSupport.h"

#include <QMimeDatabase>
#include <gtest/gtest.h>

#include <chrono>

namespace {

void PumpFor(int Ms) {
    auto End = std::chrono::steady_clock::now() + std::chrono::milliseconds(Ms);
    while (std::chrono::steady_clock::now() < End)
        CheckSynchronize(5);
}

class CountingList : public TImageList {
public:
    int AddIcon(const TSystemIcon& Icon) override {
        Added.push_back(Icon.ThemeName);
        return Count++;
    }
    int Count = 7;
    std::vector<std::string> Added;
};

struct ProgramLists {
    CountingList Small, Large;
    ProgramLists() { SetProgramImageLists(&Small, &Large); }
    ~ProgramLists() { SetProgramImageLists(nullptr, nullptr); }
};

std::string MimeComment(const char* Name) {
    return QMimeDatabase().mimeTypeForName(Name).comment().toStdString();
}

} // namespace

TEST(TypeInfoThread, RowsGetTheDesktopsNameAndIconInBothLists) {
    ProgramLists Lists;
    TestCatalog Cat;
    TTypeItems& T = *Cat->Types();
    T.SetPaused(true);
    auto* A = AddFile(Cat.get(), "notes.TXT");
    auto* B = AddFile(Cat.get(), "more.txt");
    auto* U = AddFile(Cat.get(), "data.qmunknownext");
    auto* N = AddFile(Cat.get(), "noextension");
    CatalogModified = false;
    T.SetPaused(false);
    ASSERT_TRUE(PumpUntil([&] { return !T.Running(); }));
    EXPECT_EQ(A->TypeRow()->DisplayName(), MimeComment("text/plain"));
    int Icon = A->TypeRow()->ImageIndex();
    EXPECT_GE(Icon, 7); // a position behind the fixed pictures, the same in both lists
    EXPECT_EQ(Lists.Small.Added, Lists.Large.Added);
    EXPECT_EQ(Lists.Small.Added[static_cast<size_t>(Icon - 7)],
              QMimeDatabase().mimeTypeForName("text/plain").iconName().toStdString());
    // Every item of the type takes the row's image as its own.
    EXPECT_EQ(A->ImageIndex(), Icon);
    EXPECT_EQ(B->ImageIndex(), Icon);
    // Types the desktop does not know keep their generated name and the default picture.
    EXPECT_EQ(U->TypeRow()->DisplayName(), "QMUNKNOWNEXT File");
    EXPECT_EQ(U->TypeRow()->ImageIndex(), iiDefaultFile);
    EXPECT_EQ(N->TypeRow()->DisplayName(), "File");
    EXPECT_EQ(U->ImageIndex(), -1);
    // A type name is not a change of the catalog.
    EXPECT_FALSE(CatalogModified);
}

TEST(TypeInfoThread, NamedRowsKeepTheirNameAndOtherRowsAreNotTouched) {
    TestCatalog Cat;
    TTypeItems& T = *Cat->Types();
    T.SetPaused(true);
    auto* Html = AddFile(Cat.get(), "index.html");
    Html->TypeRow()->SetNameField(PackedString("My pages"));
    auto* Folder = AddFolder(Cat.get(), "dir");
    auto* Disk = Add<TFileCollection>(Cat.get(), "disk");
    T.AddItem(Disk);
    auto* Virtual = Add<TBasicFolder>(Cat.get(), "v");
    T.AddItem(Virtual);
    Folder->TypeRow()->SetImageIndexField(iiDefaultFile); // even on the default picture
    T.SetPaused(false);
    ASSERT_TRUE(PumpUntil([&] { return !T.Running(); }));
    EXPECT_EQ(Html->TypeRow()->DisplayName(), "My pages");
    EXPECT_NE(Html->TypeRow()->ImageIndex(), iiDefaultFile); // its icon was looked up
    EXPECT_EQ(Folder->TypeRow()->DisplayName(), "File Folder");
    EXPECT_EQ(Folder->TypeRow()->ImageIndex(), iiDefaultFile);
    EXPECT_EQ(Disk->TypeRow()->DisplayName(), "Archive Folder");
    EXPECT_EQ(Virtual->TypeRow()->DisplayName(), "Virtual Folder");
    EXPECT_EQ(Cat->TypeRow()->DisplayName(), "Catalog");
    EXPECT_EQ(Cat->TypeRow()->ImageIndex(), iiCatalog);
}

TEST(TypeInfoThread, PausedByAScanAndResumedLooksUpRowsAddedMeanwhile) {
    TestCatalog Cat;
    TTypeItems& T = *Cat->Types();
    auto* First = AddFile(Cat.get(), "a.txt"); // starts the thread
    ASSERT_TRUE(T.Running());
    T.SetPaused(true); // a scan begins
    std::vector<TFileItem*> Added;
    for (const char* Name : {"b.html", "c.png", "d.pdf", "e.c"})
        Added.push_back(AddFile(Cat.get(), Name));
    std::vector<std::string> Before;
    for (TFileItem* F : Added)
        Before.push_back(F->TypeRow()->DisplayName());
    PumpFor(200); // nothing changes while paused
    for (size_t I = 0; I < Added.size(); ++I)
        EXPECT_EQ(Added[I]->TypeRow()->DisplayName(), Before[I]);
    T.SetPaused(false); // the scan ends
    ASSERT_TRUE(PumpUntil([&] { return !T.Running(); }));
    EXPECT_EQ(First->TypeRow()->DisplayName(), MimeComment("text/plain"));
    EXPECT_EQ(Added[0]->TypeRow()->DisplayName(), MimeComment("text/html"));
    EXPECT_EQ(Added[1]->TypeRow()->DisplayName(), MimeComment("image/png"));
    EXPECT_EQ(Added[2]->TypeRow()->DisplayName(), MimeComment("application/pdf"));
    EXPECT_EQ(Added[3]->TypeRow()->DisplayName(), MimeComment("text/x-csrc"));
}

TEST(TypeInfoThread, RowsOfARealScanAreLookedUpAfterIt) {
    TempDir Dir;
    for (const char* Name : {"a.txt", "b.html", "c.png", "d.pdf"})
        WriteFile(Dir / Name, Name);
    TestCatalog Cat;
    TTypeItems& T = *Cat->Types();
    AddFile(Cat.get(), "first.txt"); // the thread runs when the scan starts
    auto* Disk = new TFileCollection(Cat->Children());
    Disk->SetItemName("Disk");
    Disk->SetRootPath(Dir.Path());
    T.AddItem(Disk);
    Disk->StartScan(); // pauses the table while it adds rows
    while (!ScanThreads.IsEmpty())
        ScanThreads.Last()->WaitFor();
    EXPECT_FALSE(T.Paused());
    ASSERT_TRUE(PumpUntil([&] { return !T.Running(); }));
    ASSERT_EQ(Disk->Children()->Count(), 4);
    const char* Want[] = {"text/plain", "text/html", "image/png", "application/pdf"};
    for (int I = 0; I < 4; ++I)
        EXPECT_EQ(Disk->Children()->At(I)->TypeRow()->DisplayName(), MimeComment(Want[I])) << I;
}

TEST(TypeInfoThread, StoppedWhilePausedEndsAtOnce) {
    for (int Round = 0; Round < 10; ++Round) {
        TestCatalog Cat;
        TTypeItems& T = *Cat->Types();
        for (int I = 0; I < 20; ++I)
            AddFile(Cat.get(), "f." + std::to_string(I) + "x");
        T.SetPaused(true);
        auto Start = std::chrono::steady_clock::now();
        T.StopThread();
        EXPECT_FALSE(T.Running());
        EXPECT_LT(std::chrono::steady_clock::now() - Start, std::chrono::seconds(5));
        T.SetPaused(false);
    }
}

TEST(TypeInfoThread, GetTypeInfoAsksForTheDescriptionOnlyWithoutAName) {
    int Icon = -5;
    std::string Description = "kept";
    TTypeInfoThread::GetTypeInfo(".PNG", true, Icon, Description);
    EXPECT_GE(Icon, 1);
    EXPECT_EQ(Description, "kept");
    TTypeInfoThread::GetTypeInfo(".PNG", false, Icon, Description);
    EXPECT_EQ(Description, MimeComment("image/png"));
    EXPECT_EQ(GetSystemIcon(Icon, false).ThemeName, "image-png");
    TTypeInfoThread::GetTypeInfo(".QMUNKNOWNEXT", false, Icon, Description);
    EXPECT_EQ(Icon, -1);
    EXPECT_EQ(Description, "");
}
