#include "catRescanningDialog.h"

#include "core/CatalogGlobals.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

TfmRescanningDialog::TfmRescanningDialog(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("fmRescanningDialog"));
    setWindowTitle(QStringLiteral("Synchronizing options"));
    auto Box = [](const char* Name, const char* Caption) {
        auto* C = new QCheckBox(QString::fromUtf8(Caption));
        C->setObjectName(QString::fromUtf8(Name));
        return C;
    };
    cbAddFiles = Box("cbAddFiles", "&Add new files");
    cbDeleteFiles = Box("cbDeleteFiles", "&Delete not found files");
    cbCheckVolumeInfo = Box("cbCheckVolumeInfo", "&Check volume Info");
    cbCheckVolumeInfo->setToolTip(QStringLiteral("Check volume information at rescanning"));
    cbShowRescanningDialog = Box("cbShowRescanningDialog", "&Show synchronizing dialog");
    auto* OkButton = new QPushButton(QStringLiteral("Ok"));
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    connect(OkButton, &QPushButton::clicked, this, [this] { OkButtonClick(); });
    auto* Button2 = new QPushButton(QStringLiteral("Cancel"));
    Button2->setObjectName(QStringLiteral("Button2"));
    connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
    auto* Buttons = new QHBoxLayout;
    Buttons->addStretch(1);
    Buttons->addWidget(OkButton);
    Buttons->addWidget(Button2);
    auto* L = new QVBoxLayout(this);
    for (QCheckBox* C : {cbAddFiles, cbDeleteFiles, cbCheckVolumeInfo, cbShowRescanningDialog})
        L->addWidget(C);
    L->addLayout(Buttons);
}

void TfmRescanningDialog::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    cbAddFiles->setChecked(roAdd);
    cbDeleteFiles->setChecked(roDelete);
    cbCheckVolumeInfo->setChecked(roCheck);
    cbShowRescanningDialog->setChecked(ShowRescanDialog);
}

void TfmRescanningDialog::OkButtonClick() {
    roAdd = cbAddFiles->isChecked();
    roDelete = cbDeleteFiles->isChecked();
    roCheck = cbCheckVolumeInfo->isChecked();
    ShowRescanDialog = cbShowRescanningDialog->isChecked();
    accept();
}
