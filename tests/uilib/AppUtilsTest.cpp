// The storage helpers: default names, the dispatchers with their INI quoting, and values kept
// per screen size.
#include "UiLibTestSupport.h"

#include "platform/IniFiles.h"
#include "platform/Registry.h"
#include "uilib/AppUtils.h"
#include "uilib/Forms.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

#include <gtest/gtest.h>

namespace Ui {
class TfmX : public TCustomForm {
    Q_OBJECT
};
} // namespace Ui

namespace {

class StorageHelpers : public ConfigHomeTest {};

} // namespace

TEST_F(StorageHelpers, DefaultStorageSectionNamesComponentsByForm) {
    Ui::TfmX Form;
    EXPECT_EQ(Form.ClassName(), "TfmX");
    EXPECT_EQ(DefaultStorageSection(nullptr), "");
    EXPECT_EQ(DefaultStorageSection(&Form), "TfmX");

    QObject Menu(&Form);
    Menu.setObjectName("Menu1");
    EXPECT_EQ(DefaultStorageSection(&Menu), "TfmX.Menu1");
    // Menus are widgets in Qt, but components of the form all the same.
    auto* Popup = new QMenu(&Form);
    Popup->setObjectName("PopupMenu1");
    EXPECT_EQ(DefaultStorageSection(Popup), "TfmX.PopupMenu1");
    auto* Bar = new QMenuBar(&Form);
    Bar->setObjectName("MainMenu1");
    EXPECT_EQ(DefaultStorageSection(Bar), "TfmX.MainMenu1");

    auto* Panel = new QWidget(&Form);
    Panel->setObjectName("Panel1");
    auto* Edit = new QLineEdit(Panel);
    Edit->setObjectName("Edit1");
    EXPECT_EQ(DefaultStorageSection(Edit), "TfmXEdit1");

    QWidget Loose;
    Loose.setObjectName("Panel2");
    auto* Edit2 = new QLineEdit(&Loose);
    Edit2->setObjectName("Edit2");
    EXPECT_EQ(DefaultStorageSection(Edit2), "Panel2Edit2");
    EXPECT_EQ(DefaultStorageSection(&Loose), "Panel2");

    QObject Alone;
    Alone.setObjectName("Alone");
    EXPECT_EQ(DefaultStorageSection(&Alone), "Alone");
}

TEST_F(StorageHelpers, DefaultKeyAndIniName) {
    EXPECT_EQ(DefaultRegistryKey(), "Software\\uilib_tests");
    EXPECT_EQ(DefaultIniFileName(), "uilib_tests.INI");

    RegistryCompanyName = "Marrowfield";
    EXPECT_EQ(DefaultRegistryKey(), "Software\\Marrowfield\\uilib_tests");
    const QString OldTitle = QGuiApplication::applicationDisplayName();
    QGuiApplication::setApplicationDisplayName("Quillmark");
    EXPECT_EQ(DefaultRegistryKey(), "Software\\Marrowfield\\uilib_tests");
    RegistryUseAppTitle = true;
    EXPECT_EQ(DefaultRegistryKey(), "Software\\Marrowfield\\Quillmark");
    QGuiApplication::setApplicationDisplayName(OldTitle);
    RegistryUseAppTitle = false;
    RegistryCompanyName.clear();

    DefaultIniNameHook = [] { return std::string("custom.ini"); };
    EXPECT_EQ(DefaultIniFileName(), "custom.ini");
    DefaultIniNameHook = nullptr;
}

TEST_F(StorageHelpers, QuotedValuesRoundTripThroughIniFiles) {
    const std::vector<std::string> Values = {"'abc'", "abc\"", "\"", "\"x\"", "''", "plain", ""};
    {
        TIniFile Ini(Dir / "q.ini");
        for (size_t I = 0; I < Values.size(); ++I)
            StorageWriteString(&Ini, "S", "V" + std::to_string(I), Values[I]);
        EXPECT_EQ(Ini.Text(), "[S]\nV0=\"'abc'\"\nV1=abc\"\nV2=\"\"\"\nV3=\"\"x\"\"\nV4=\"''\"\n"
                              "V5=plain\nV6=\n");
        Ini.UpdateFile();
    }
    TIniFile Ini(Dir / "q.ini");
    TRegIniFile Reg("Software\\Marrowfield\\Quillmark");
    for (size_t I = 0; I < Values.size(); ++I) {
        const std::string Id = "V" + std::to_string(I);
        EXPECT_EQ(StorageReadString(&Ini, "S", Id, "?"), Values[I]) << I;
        // The registry keeps text as it is, quotes and all.
        StorageWriteString(&Reg, "S", Id, Values[I]);
        EXPECT_EQ(StorageReadString(&Reg, "S", Id, "?"), Values[I]) << I;
    }
}

TEST_F(StorageHelpers, DispatchersOnNoStorage) {
    EXPECT_EQ(StorageReadString(nullptr, "S", "A", "dflt"), "dflt");
    EXPECT_EQ(StorageReadInteger(nullptr, "S", "A", 5), 5);
    StorageWriteString(nullptr, "S", "A", "x");
    StorageWriteInteger(nullptr, "S", "A", 1);
    StorageEraseSection(nullptr, "S");
    StorageDeleteKey(nullptr, "S", "A");
    EXPECT_EQ(StorageReadScreenString(nullptr, "S", "A"), "");
}

TEST_F(StorageHelpers, ScreenValuesPreferTheirOwnScreenSize) {
    EXPECT_EQ(ScreenSizeSuffix(), "(1024x768)");
    TRegIniFile Reg("Software\\Marrowfield\\Quillmark");
    Reg.WriteString("General", "NormPos", "plain");
    EXPECT_EQ(StorageReadScreenString(&Reg, "General", "NormPos"), "plain");
    Reg.WriteString("General", "NormPos(1024x768)", "suffixed");
    EXPECT_EQ(StorageReadScreenString(&Reg, "General", "NormPos"), "suffixed");
    Reg.WriteString("General", "NormPos(1024x768)", "");
    EXPECT_EQ(StorageReadScreenString(&Reg, "General", "NormPos"), "plain");

    StorageWriteScreenString(&Reg, "General", "MinMaxPos", "-1,-1,-4,-4");
    EXPECT_EQ(Reg.ReadString("General", "MinMaxPos(1024x768)", ""), "-1,-1,-4,-4");
    EXPECT_EQ(Reg.ReadString("General", "MinMaxPos", ""), "-1,-1,-4,-4");
}

#include "AppUtilsTest.moc"
