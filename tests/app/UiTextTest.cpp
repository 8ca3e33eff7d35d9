// The crossing between the catalog's bytes and Qt's text, and the file dialogs' filters.
#include "app/UiText.h"
#include "core/CatalogGlobals.h"

#include <QUrl>

#include <gtest/gtest.h>

TEST(UiText, CatalogTextIsDecodedForDisplayOnly) {
    EXPECT_EQ(ToQString("Fotos \xC3\xBC"), QString::fromUtf8("Fotos ü"));
    // A Latin-1 name that is no UTF-8 still shows, as a replacement character.
    EXPECT_EQ(ToQString("Caf\xE9").size(), 4);
    EXPECT_EQ(FromQString(QString::fromUtf8("Привет")), "Привет");
    EXPECT_EQ(QStringToFileName(FileNameToQString("/tmp/a b/ü.qlmk")), "/tmp/a b/ü.qlmk");
}

TEST(UiText, ACellShowsTheBeginningOfATextLongerThanAnyCellCutAtACharacter) {
    const std::string Path = "\\" + std::string(4094, 'a') + "\xC3\xBC" + std::string(300000, 'b');
    const QString Cell = ToCellText(Path);
    EXPECT_EQ(Cell.size(), 4096); // the "ü" the limit would cut in two is left out, then "…"
    EXPECT_TRUE(Cell.startsWith(QStringLiteral("\\aaa")));
    EXPECT_EQ(Cell.back(), QChar(0x2026));
    EXPECT_EQ(ToCellText(std::string(4096, 'c')).size(), 4096);
    EXPECT_EQ(ToCellText("Caf\xE9"), ToQString("Caf\xE9"));
}

TEST(UiText, FiltersNameTheirPatternsAndAllFilesMeansAll) {
    EXPECT_EQ(DialogFilter(CatalogFilter), "QUILM Database (*.qlmk);;All files (*)");
    EXPECT_EQ(DialogFilter("Texts|*.txt;*.doc|Broken"), "Texts (*.txt *.doc)");
    EXPECT_EQ(DialogFilter(""), "");
}

TEST(UiText, FileAddressesCarryTheBytesOfTheirNames) {
    // A name in Latin-1 (no UTF-8), with characters that mean something in addresses.
    const std::string Odd = "/tmp/Caf\xE9 #1 100%.txt";
    const QUrl Url = FileUrl(Odd);
    ASSERT_TRUE(Url.isValid());
    EXPECT_TRUE(Url.isLocalFile());
    EXPECT_EQ(Url.toEncoded(), QByteArray("file:///tmp/Caf%E9%20%231%20100%25.txt"));
    EXPECT_EQ(LocalFileName(Url), Odd);
    for (const std::string& Name : {std::string("/tmp/Fotos \xC3\xBC/a.jpg"), std::string("/")})
        EXPECT_EQ(LocalFileName(FileUrl(Name)), Name);
    EXPECT_EQ(LocalFileName(QUrl(QStringLiteral("https://example.org/a"))), "");
}
