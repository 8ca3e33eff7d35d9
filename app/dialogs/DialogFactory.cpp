#include "DialogFactory.h"

#include "app/dialogs/CatAbout.h"
#include "app/dialogs/CatOptions.h"
#include "app/dialogs/CatProp.h"
#include "app/dialogs/catRescanningDialog.h"

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
