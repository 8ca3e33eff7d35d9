#include "DialogFactory.h"

namespace {

// Makes the real dialog windows; each dialog's method shows its window modally.
class TQtDialogFactory final : public TDialogFactory {};

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
