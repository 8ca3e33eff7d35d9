// What the program asks of the desktop: opening files with their programs (and saying so when
// none opens them), the folder browse, and the icons of file types with or without an icon
// theme.
#include "AppTestSupport.h"

#include "app/ImageLists.h"
#include "core/CatalogExt.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QImage>
#include <QTimer>

#include <unistd.h>

TEST_F(MainWindowTest, AFileNoProgramOpensIsReportedInTheStatusBarAndABox) {
    CreateWindow();
    MakeDir(Dir->Path() + "disc");
    // A name that is no UTF-8 reaches the shell as its bytes.
    const std::string Odd = "caf\xE9.txt";
    WriteFile(Dir->Path() + "disc/" + Odd, "x");
    TFileCollection* Disc = AddScanned(CurrentCatalog, "Disc", Dir->Path() + "disc/");
    AddFile(Disc, Odd, 1);
    Main->SetCurrentFolder(Disc);
    DoubleClick = 0;
    SelectRows({Odd});
    DoubleClickList();
    EXPECT_EQ(Dialogs->Opened, (std::vector<std::string>{Dir->Path() + "disc/" + Odd}));
    EXPECT_EQ(Main->StatusText(), "");

    Dialogs->ShellOpenResult = false;
    Dialogs->Answer(mrOk);
    DoubleClickList();
    // The status bar shows the name as text (the byte that is no UTF-8 as a replacement).
    EXPECT_EQ(Main->StatusText(),
              FromQString(ToQString("No program opens " + Dir->Path() + "disc/" + Odd)));
    EXPECT_EQ(Dialogs->Asked.back().Type, mtWarning);
}

TEST(Desktop, TheFolderBrowseStartsInTheHomeFolder) {
    // The program's current folder is the open catalog's; the browse does not start there.
    char Old[4096];
    ASSERT_NE(::getcwd(Old, sizeof Old), nullptr);
    TempDir Catalogs;
    ASSERT_EQ(::chdir(Catalogs.Path().c_str()), 0);
    QString Seen;
    QTimer Look;
    QObject::connect(&Look, &QTimer::timeout, [&] {
        if (auto* D = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
            Seen = D->directory().absolutePath();
            D->reject();
        }
    });
    Look.start(10);
    std::string Folder = "left over";
    EXPECT_FALSE(NewQtUserDialogs()->BrowseFolder("Select Directory", "", Folder));
    EXPECT_EQ(Folder, "");
    EXPECT_EQ(Seen, QDir::homePath());
    ASSERT_EQ(::chdir(Old), 0);
}

TEST(Desktop, WithoutAnIconThemeEachKindOfFileHasAPictureOfItsOwn) {
    // The offscreen platform knows no icon theme: the style's pictures stand in.
    ASSERT_FALSE(QIcon::hasThemeIcon(QStringLiteral("text-x-generic")));
    TProgramImageList L(16);
    L.AddFixedPictures();
    auto Add = [&](const char* Name, const char* Generic) {
        TSystemIcon I;
        I.ThemeName = Name;
        I.FallbackThemeName = Generic;
        return L.AddIcon(I);
    };
    const int Kinds[] = {Add("text-plain", "text-x-generic"), Add("audio-mpeg", "audio-x-generic"),
                         Add("video-mp4", "video-x-generic"),
                         Add("application-zip", "package-x-generic"),
                         Add("application-x-executable", "application-x-executable")};
    const int Unknown = Add("application-x-nothing-known", "");
    auto Picture = [&](int Index) { return L.Icon(Index).pixmap(16).toImage(); };
    const QImage DefaultFile = Picture(iiDefaultFile);
    for (int A : Kinds) {
        EXPECT_FALSE(Picture(A).isNull());
        EXPECT_NE(Picture(A), DefaultFile);
        for (int B : Kinds) {
            if (A < B) {
                EXPECT_NE(Picture(A), Picture(B)) << A << " " << B;
            }
        }
    }
    EXPECT_EQ(Picture(Unknown), DefaultFile);
}
