#include "DialogFactory.h"

#include "app/UiText.h"
#include "app/dialogs/CatAbout.h"
#include "app/dialogs/CatFind.h"
#include "app/dialogs/CatKeyWord.h"
#include "app/dialogs/CatOptions.h"
#include "app/dialogs/CatProp.h"
#include "app/dialogs/catRescanningDialog.h"
#include "app/report/ReportPreview.h"
#include "core/CatalogGlobals.h"
#include "uilib/Forms.h"

#include <QPointer>

namespace {

TModalResult ResultOf(int DialogResult) {
    return DialogResult == QDialog::Accepted ? mrOk : mrCancel;
}

// Makes the real dialog windows; each dialog's method shows its window modally.
class TQtDialogFactory final : public TDialogFactory {
public:
    // ---- item properties, options, synchronizing options, about ----
    void ShowItemProperties(TBasicItem* Item, bool FollowTree) override {
        TCatPropForm Form(FollowTree, DialogParent());
        Form.SetItem(Item);
        Form.exec();
    }

    TModalResult ShowCatOptions() override {
        TfmCatOptions Form(DialogParent());
        return ResultOf(Form.exec());
    }

    TModalResult ShowRescanningDialog() override {
        TfmRescanningDialog Form(DialogParent());
        return ResultOf(Form.exec());
    }

    void ShowAboutBox() override {
        TAboutBox Box(DialogParent());
        Box.exec();
    }

    // ---- searching ----
    TModalResult ShowFind(TFindCriteria& Criteria) override {
        if (!FFind) FFind = new TfmFind(TCustomForm::MainForm());
        if (FFind->exec() != QDialog::Accepted) return mrCancel;
        Criteria = FFind->Criteria();
        return mrOk;
    }

    void ShowKeyWordSetup() override {
        if (!FKeyWord) FKeyWord = new TfmKeyWord(TCustomForm::MainForm());
        FKeyWord->exec();
        if (RefreshKeyWordsProc) RefreshKeyWordsProc();
    }

    void ShowReport(const std::vector<TReportRow>& Rows) override {
        // The preview asks its questions through the program's own dialogs.
        TReportPreviewHooks Hooks;
        Hooks.AskExportFile = [](QWidget*, TReportExportFormat Format, QString& FileName) {
            const std::string Ext = FromQString(ExportFormatExtension(Format));
            TFileDialogSpec Spec;
            Spec.Title = "Export " + FromQString(ExportFormatCaption(Format));
            Spec.Filter = FromQString(ExportFormatCaption(Format)) + " (*." + Ext + ")|*." + Ext +
                          "|All files (*.*)|*.*";
            Spec.DefaultExt = Ext;
            Spec.FileName = QStringToFileName(FileName);
            std::string Chosen;
            if (!UserDialogs().SaveFileDialog(Spec, Chosen)) return false;
            FileName = FileNameToQString(Chosen);
            return true;
        };
        Hooks.ShowError = [](QWidget*, const QString& Message) {
            UserDialogs().MessageDlg(FromQString(Message), mtError, mbOK);
        };
        ShowReportPreview(TCustomForm::MainForm(), Rows, Hooks);
    }

private:
    QPointer<TfmFind> FFind;
    QPointer<TfmKeyWord> FKeyWord;
};

TDialogFactory* GInstalled = nullptr;

TDialogFactory& QtFactory() {
    static std::unique_ptr<TDialogFactory> Instance = NewQtDialogFactory();
    return *Instance;
}

} // namespace

TDialogFactory& DialogFactory() {
    return GInstalled ? *GInstalled : QtFactory();
}

void SetDialogFactory(TDialogFactory* Factory) {
    GInstalled = Factory;
}

std::unique_ptr<TDialogFactory> NewQtDialogFactory() {
    return std::make_unique<TQtDialogFactory>();
}
