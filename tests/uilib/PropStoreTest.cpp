// Published-property storage: the stored items and texts of every kind of property, loading
// them back (also damaged or hostile texts and counts), and the stored properties of a form's
// settings store through the registry.
#include "UiLibTestSupport.h"

#include "platform/Persistent.h"
#include "platform/Registry.h"
#include "platform/StringList.h"
#include "uilib/Placemnt.h"
#include "uilib/PropStore.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QRect>
#include <QStringList>
#include <QVariant>

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <vector>

class TMargins : public TPersistent {
    Q_OBJECT
    Q_PROPERTY(int Left MEMBER Left)
    Q_PROPERTY(int Top MEMBER Top)

public:
    int Left = 0, Top = 0;
};

class TColumn : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(int Width MEMBER Width)

public:
    QString Caption;
    int Width = 50;
};

class TColumns : public TPersistentCollection {
    Q_OBJECT

public:
    int Count() const override { return static_cast<int>(Items.size()); }
    QObject* Item(int Index) const override { return Items.at(static_cast<size_t>(Index)).get(); }
    QObject* Add() override { return Items.emplace_back(std::make_unique<TColumn>()).get(); }
    void Delete(int Index) override { Items.erase(Items.begin() + Index); }
    void Clear() override { Items.clear(); }
    TColumn* Column(int Index) const { return Items.at(static_cast<size_t>(Index)).get(); }

    std::vector<std::unique_ptr<TColumn>> Items;
};

class TSample : public QObject {
    Q_OBJECT

public:
    enum TColour { clRed, clGreen, clBlue };
    Q_ENUM(TColour)
    enum TLetter { alpha = 1, beta = 2, gamma = 4 };
    Q_DECLARE_FLAGS(TLetters, TLetter)
    Q_FLAG(TLetters)

private:
    Q_PROPERTY(int Count MEMBER Count)
    Q_PROPERTY(qint64 Big MEMBER Big)
    Q_PROPERTY(char Letter MEMBER Letter)
    Q_PROPERTY(QChar Wide MEMBER Wide)
    Q_PROPERTY(TColour Colour MEMBER Colour)
    Q_PROPERTY(bool Enabled MEMBER Enabled)
    Q_PROPERTY(double Ratio MEMBER Ratio)
    Q_PROPERTY(QString Caption MEMBER Caption)
    Q_PROPERTY(TLetters Letters READ letters WRITE setLetters)
    Q_PROPERTY(QVariant Extra MEMBER Extra)
    Q_PROPERTY(TMargins* Margins MEMBER Margins)
    Q_PROPERTY(QStringList Lines MEMBER Lines)
    Q_PROPERTY(TColumns* Columns MEMBER Columns)
    Q_PROPERTY(QObject* Buddy MEMBER Buddy)
    Q_PROPERTY(QRect Frame MEMBER Frame)

public:
    TSample(QObject* Owner, const char* Name) : QObject(Owner) {
        setObjectName(Name);
        Margins = new TMargins;
        Margins->setParent(this);
        Columns = new TColumns;
        Columns->setParent(this);
    }
    TLetters letters() const { return Letters; }
    void setLetters(TLetters V) { Letters = V; }

    int Count = 0;
    qint64 Big = 0;
    char Letter = 'x';
    QChar Wide = QLatin1Char('w');
    TColour Colour = clRed;
    bool Enabled = false;
    double Ratio = 0;
    QString Caption;
    TLetters Letters;
    QVariant Extra;
    TMargins* Margins;
    QStringList Lines;
    TColumns* Columns;
    QObject* Buddy = nullptr;
    QRect Frame;
};
Q_DECLARE_OPERATORS_FOR_FLAGS(TSample::TLetters)

namespace {

using TSections = std::map<std::string, std::map<std::string, std::string>>;

// A settings store in memory.
struct TMemoryStore {
    TSections Sections;

    void Attach(TPropsStorage& P) {
        P.Section = "General";
        P.OnWriteString = [this](const std::string& S, const std::string& I, const std::string& V) {
            Sections[S][I] = V;
        };
        P.OnEraseSection = [this](const std::string& S) { Sections.erase(S); };
        P.OnReadString = [this](const std::string& S, const std::string& I, const std::string& D) {
            auto It = Sections.find(S);
            if (It == Sections.end()) return D;
            auto J = It->second.find(I);
            return J == It->second.end() ? D : J->second;
        };
    }
    void Store(QObject* Owner, TStringList& List) {
        TPropsStorage P;
        Attach(P);
        P.StoreProperties(Owner, List);
    }
    void Load(QObject* Owner, TStringList& List) {
        TPropsStorage P;
        Attach(P);
        P.LoadProperties(Owner, List);
    }
};

// A form holding a sample and a component the sample's Buddy may refer to.
struct TOwnerForm {
    QObject Form;
    TSample* Sample = new TSample(&Form, "Sample1");
    QObject* Button = new QObject(&Form);
    TStringList List;

    explicit TOwnerForm(const std::vector<std::string>& Props) {
        Form.setObjectName("fmProps");
        Button->setObjectName("Button1");
        for (const std::string& P : Props)
            List.Add("Sample1." + P);
        ResolveStoredList(&Form, &List, true);
    }
};

const std::vector<std::string> AllProps = {"Count",   "Big",   "Letter",  "Wide",    "Colour",
                                           "Enabled", "Ratio", "Caption", "Letters", "Extra",
                                           "Margins", "Lines", "Columns", "Buddy",   "Frame"};

// The user's locale for the duration of a test.
struct TLocale {
    explicit TLocale(const QLocale& L) { QLocale::setDefault(L); }
    ~TLocale() { QLocale::setDefault(QLocale::c()); }
};

} // namespace

TEST(PropStore, EveryKindRoundTripsInTheStoredFormat) {
    TLocale German(QLocale(QLocale::German, QLocale::Germany));
    TOwnerForm A(AllProps);
    TSample& S = *A.Sample;
    S.Count = 42;
    S.Big = -9000000000LL;
    S.Letter = 'q';
    S.Wide = QChar(0x20AC); // the euro sign: more than a byte
    S.Colour = TSample::clBlue;
    S.Enabled = true;
    S.Ratio = 1.5;
    S.Caption = QStringLiteral("  Hello ");
    S.Letters = TSample::alpha | TSample::gamma;
    S.Extra = QStringLiteral("note");
    S.Margins->Left = 3;
    S.Margins->Top = 4;
    S.Lines = QStringList{"one", " two "};
    static_cast<TColumn*>(S.Columns->Add())->Caption = "Name";
    S.Columns->Column(0)->Width = 120;
    static_cast<TColumn*>(S.Columns->Add())->Caption = "Size";
    S.Buddy = A.Button;
    S.Frame = QRect(1, 2, 3, 4);

    TMemoryStore M;
    M.Sections["General.Sample1_Lines"]["Item7"] = "stale"; // erased before the list is written
    M.Store(&A.Form, A.List);
    const TSections Expected = {
        {"General",
         {{"Sample1_Count", "42"},
          {"Sample1_Big", "-9000000000"},
          {"Sample1_Letter", "q"},
          {"Sample1_Wide", "\xE2\x82\xAC"},
          {"Sample1_Colour", "clBlue"},
          {"Sample1_Enabled", "True"},
          {"Sample1_Ratio", "1.5"},
          {"Sample1_Caption", "Hello"},
          {"Sample1_Letters", "[alpha,gamma]"},
          {"Sample1_Extra", "note"},
          {"Sample1_MarginsLeft", "3"},
          {"Sample1_MarginsTop", "4"},
          {"Sample1_Columns.Count", "2"},
          {"Sample1_Buddy", "Button1"}}},
        {"General.Sample1_Lines", {{"Count", "2"}, {"Item0", "one"}, {"Item1", " two "}}},
        {"General.Sample1_Columns",
         {{"Item0_Caption", "Name"},
          {"Item0_Width", "120"},
          {"Item1_Caption", "Size"},
          {"Item1_Width", "50"}}}};
    EXPECT_EQ(M.Sections, Expected);

    TOwnerForm B(AllProps);
    M.Load(&B.Form, B.List);
    const TSample& L = *B.Sample;
    EXPECT_EQ(L.Count, 42);
    EXPECT_EQ(L.Big, -9000000000LL);
    EXPECT_EQ(L.Letter, 'q');
    EXPECT_EQ(L.Wide, QChar(0x20AC));
    EXPECT_EQ(L.Colour, TSample::clBlue);
    EXPECT_TRUE(L.Enabled);
    EXPECT_EQ(L.Ratio, 1.5);
    EXPECT_EQ(L.Caption, QStringLiteral("Hello"));
    EXPECT_EQ(L.Letters, TSample::alpha | TSample::gamma);
    EXPECT_EQ(L.Extra, QVariant(QStringLiteral("note")));
    EXPECT_EQ(L.Margins->Left, 3);
    EXPECT_EQ(L.Margins->Top, 4);
    EXPECT_EQ(L.Lines, (QStringList{"one", " two "}));
    ASSERT_EQ(L.Columns->Count(), 2);
    EXPECT_EQ(L.Columns->Column(0)->Caption, QStringLiteral("Name"));
    EXPECT_EQ(L.Columns->Column(0)->Width, 120);
    EXPECT_EQ(L.Columns->Column(1)->Caption, QStringLiteral("Size"));
    EXPECT_EQ(L.Buddy, nullptr); // a reference is restored only over a current one
    B.Sample->Buddy = B.Sample;
    M.Load(&B.Form, B.List);
    EXPECT_EQ(L.Buddy, B.Button);
    EXPECT_EQ(L.Frame, QRect());
}

TEST(PropStore, DamagedTextsLeaveOrResetPropertiesAsTheirKindSays) {
    TLocale German(QLocale(QLocale::German, QLocale::Germany));
    TOwnerForm A(AllProps);
    TSample& S = *A.Sample;
    S.Count = 7;
    S.Ratio = 2.5;
    S.Colour = TSample::clGreen;
    S.Caption = QStringLiteral("  padded  ");
    S.Letters = TSample::beta;
    TMemoryStore M;
    auto& G = M.Sections["General"];
    G["Sample1_Count"] = "abc";                // not a number: 0
    G["Sample1_Big"] = "99999999999999999999"; // out of range: 0
    G["Sample1_Ratio"] = "abc";                // not a number: unchanged
    G["Sample1_Colour"] = "nonsense";          // no such identifier: unchanged
    G["Sample1_Enabled"] = "TRUE";
    G["Sample1_Letter"] = "";   // empty: unchanged
    G["Sample1_Wide"] = "\xE9"; // a byte of another character set: its code
    G["Sample1_Letters"] = "alpha, gamma zeta";
    G["Sample1_Extra"] = "kept"; // loads into an empty variant
    M.Load(&A.Form, A.List);
    EXPECT_EQ(S.Count, 0);
    EXPECT_EQ(S.Big, 0);
    EXPECT_EQ(S.Ratio, 2.5);
    EXPECT_EQ(S.Colour, TSample::clGreen);
    EXPECT_TRUE(S.Enabled);
    EXPECT_EQ(S.Letter, 'x');
    EXPECT_EQ(S.Wide, QChar(0xE9));
    EXPECT_EQ(S.Letters, TSample::alpha | TSample::gamma);
    EXPECT_EQ(S.Extra, QVariant(QStringLiteral("kept")));
    EXPECT_EQ(S.Caption, QStringLiteral("padded")); // no item: its own text, trimmed

    G["Sample1_Letters"] = "[ALPHA]";
    G["Sample1_Ratio"] = "0,25"; // the locale's own form is read too
    M.Load(&A.Form, A.List);
    EXPECT_EQ(S.Letters, TSample::alpha);
    EXPECT_EQ(S.Ratio, 0.25);

    // An empty variant clears what was stored.
    S.Extra = QVariant();
    M.Store(&A.Form, A.List);
    EXPECT_EQ(G.at("Sample1_Extra"), "");

    // Without a read handler every read is empty.
    S.Count = 5;
    TPropsStorage Bare;
    Bare.LoadProperties(&A.Form, A.List);
    EXPECT_EQ(S.Count, 0);
    EXPECT_EQ(S.Caption, QString());
}

TEST(PropStore, StoredCountsAreBoundedByTheItemsStored) {
    TOwnerForm A({"Lines", "Columns"});
    TSample& S = *A.Sample;
    S.Lines = QStringList{"a", "b", "c"};
    S.Columns->Add();
    S.Columns->Add();
    TColumn* First = S.Columns->Column(0);
    TMemoryStore M;
    // No count, or a count of 0: the lines stay.
    M.Load(&A.Form, A.List);
    EXPECT_EQ(S.Lines, (QStringList{"a", "b", "c"}));
    M.Sections["General.Sample1_Lines"] = {{"Count", "0"}};
    M.Load(&A.Form, A.List);
    EXPECT_EQ(S.Lines.size(), 3);
    EXPECT_EQ(S.Columns->Column(0), First); // the same count: loaded in place

    // Counts far beyond what is stored load what is there.
    M.Sections["General.Sample1_Lines"] = {{"Count", "1000000000"}, {"Item0", "x"}, {"Item1", ""}};
    M.Sections["General"]["Sample1_Columns.Count"] = "2000000000";
    M.Sections["General.Sample1_Columns"] = {{"Item0_Width", "77"}};
    M.Load(&A.Form, A.List);
    EXPECT_EQ(S.Lines, (QStringList{"x", ""}));
    ASSERT_EQ(S.Columns->Count(), 1);
    EXPECT_EQ(S.Columns->Column(0)->Width, 77);

    // A negative count keeps the collection.
    M.Sections["General"]["Sample1_Columns.Count"] = "-3";
    M.Load(&A.Form, A.List);
    ASSERT_EQ(S.Columns->Count(), 1);
    EXPECT_EQ(S.Columns->Column(0)->Width, 77);
}

TEST(PropStore, ComponentReferencesAcrossForms) {
    QWidget Other;
    Other.setObjectName("fmOther");
    QObject* Edit = new QObject(&Other);
    Edit->setObjectName("Edit1");
    TOwnerForm A({"Buddy"});
    A.Sample->Buddy = Edit;
    TMemoryStore M;
    M.Store(&A.Form, A.List);
    EXPECT_EQ(M.Sections["General"]["Sample1_Buddy"], "fmOther.Edit1");
    A.Sample->Buddy = A.Button;
    M.Load(&A.Form, A.List);
    EXPECT_EQ(A.Sample->Buddy, Edit);
    M.Sections["General"]["Sample1_Buddy"] = "(NULL)";
    M.Load(&A.Form, A.List);
    EXPECT_EQ(A.Sample->Buddy, nullptr);
}

namespace {

class TfmEdit : public TCustomForm {
    Q_OBJECT

public:
    TfmEdit() {
        setObjectName("fmEdit");
        FormStorage1 = new TFormStorage(this);
        FormStorage1->SetUseRegistry(true);
        FormStorage1->SetIniFileName("Software\\Marrowfield\\Quillmark");
        FormStorage1->SetIniSection("General");
        edName = new QLineEdit(this);
        edName->setObjectName("edName");
        cbFlag = new QCheckBox(this);
        cbFlag->setObjectName("cbFlag");
        // Blanks around the point are no part of the names; lines that name no component of
        // the form go.
        FormStorage1->SetStoredProps(
            TStringList("\"edName . text\",cbFlag.checked,Missing.text,NoPoint"));
    }
    ~TfmEdit() override { BeforeDestruction(); }

    TFormStorage* FormStorage1;
    QLineEdit* edName;
    QCheckBox* cbFlag;
};

} // namespace

TEST_F(ConfigHomeTest, FormStorageKeepsItsStoredProperties) {
    {
        TfmEdit F;
        EXPECT_EQ(F.FormStorage1->StoredProps().CommaText(), "\"edName . text\",cbFlag.checked");
        F.show();
        F.edName->setText(QStringLiteral("Zoë"));
        F.cbFlag->setChecked(true);
        ASSERT_TRUE(F.close());
    }
    auto Stored = [](const char* Ident) {
        TRegIniFile Reg("Software\\Marrowfield\\Quillmark", TRegistryRoot::CurrentUser, true);
        return Reg.ReadString("General", Ident, "<missing>");
    };
    EXPECT_EQ(Stored("edName_text"), "Zoë");
    EXPECT_EQ(Stored("cbFlag_checked"), "True");

    TfmEdit F;
    F.show();
    EXPECT_EQ(F.edName->text(), QStringLiteral("Zoë"));
    EXPECT_TRUE(F.cbFlag->isChecked());
    // A component that goes takes its line with it; a renamed one keeps its lines.
    delete F.cbFlag;
    F.edName->setObjectName("edFirst");
    F.FormStorage1->SaveProperties();
    EXPECT_EQ(F.FormStorage1->StoredProps().CommaText(), "edFirst.text");
    EXPECT_EQ(Stored("edFirst_text"), "Zoë"); // saved on its own, the store opened for it
    F.FormStorage1->SetActive(false);
    EXPECT_TRUE(Errors.empty());
}

#include "PropStoreTest.moc"
