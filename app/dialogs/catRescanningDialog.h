// TfmRescanningDialog: "Synchronizing options", asked before a catalog item is synchronised with
// its disk: whether new files are added, files not found deleted, the volume checked first, and
// whether the question comes again next time. Ok stores the choices in the option globals and
// answers that the synchronisation may start; Cancel (or the close box) stores nothing.
//
// Made for one showing by the dialog factory, which owns it. UI thread only.
#pragma once

#include <QDialog>

class QCheckBox;

class TfmRescanningDialog : public QDialog {
    Q_OBJECT

public:
    explicit TfmRescanningDialog(QWidget* Parent = nullptr);

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void OkButtonClick();

    QCheckBox* cbAddFiles = nullptr;
    QCheckBox* cbDeleteFiles = nullptr;
    QCheckBox* cbCheckVolumeInfo = nullptr;
    QCheckBox* cbShowRescanningDialog = nullptr;
};
