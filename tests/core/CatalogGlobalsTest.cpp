#include "core/CatalogGlobals.h"
#include "platform/StringList.h"

#include <gtest/gtest.h>

TEST(CatalogGlobals, TextsAndSignature) {
    EXPECT_EQ(RegistryKey, "Software\\Marrowfield\\Quillmark");
    EXPECT_EQ(CatalogSignature, "QLM 1000");
    EXPECT_EQ(SignatureLength, 8);
    EXPECT_EQ(UnknownVolumeText, " <Unknown> ");
}

TEST(CatalogGlobals, DefaultDescriptionFileListsParseToTheirNames) {
    SetDefaultOptions();
    TStringList Files(FileDescriptionFiles);
    ASSERT_EQ(Files.Count(), 9);
    EXPECT_EQ(Files[0], "descript.ion");
    EXPECT_EQ(Files[5], ".index");
    EXPECT_EQ(Files[8], "0index.txt");
    EXPECT_EQ(TStringList(ActiveFileDescriptionFiles).CommaText(), "descript.ion,files.bbs");
    EXPECT_EQ(TStringList(ActiveFolderDescriptionFiles).Count(), 2);
    EXPECT_EQ(gRecentListCount, 4);
    EXPECT_EQ(DoubleClick, 1);
    EXPECT_TRUE(roAdd && roDelete && roCheck && SaveSetting && ShowHidden);
}
