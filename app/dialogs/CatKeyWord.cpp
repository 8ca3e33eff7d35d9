#include "CatKeyWord.h"

#include "app/UiText.h"
#include "app/UserDialogs.h"
#include "core/CatalogGlobals.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/Format.h"
#include "platform/SysUtils.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

TKeyWordItems* KeyWords() {
    return CurrentCatalog ? CurrentCatalog->KeyWords() : nullptr;
}

int ClientCount(const TKeyWordItem* K) {
    return K->Clients().Count();
}

} // namespace

TfmKeyWord::TfmKeyWord(QWidget* Parent) : QDialog(Parent) {
    setObjectName(QStringLiteral("fmKeyWord"));
    setWindowTitle(QStringLiteral("Setup KeyWord"));
    setMinimumSize(260, 170);

    auto* Label1 = new QLabel(QStringLiteral("KeyWord"), this);
    Edit1 = new QLineEdit(QStringLiteral("Category 1"), this);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Label1->setBuddy(Edit1);
    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    connect(ListBox1, &QListWidget::itemClicked, this, [this] { ListBox1Click(); });
    connect(ListBox1, &QListWidget::itemSelectionChanged, this, [this] { ActionList1Update(); });

    auto Command = [this](const char* Name, const char* Caption, void (TfmKeyWord::*Execute)()) {
        auto* A = new QAction(QString::fromUtf8(Caption), this);
        A->setObjectName(QString::fromUtf8(Name));
        connect(A, &QAction::triggered, this, [this, Execute] {
            try {
                (this->*Execute)();
            } catch (const std::exception& E) {
                UserDialogs().MessageDlg(E.what(), mtError, mbOK);
            }
            ActionList1Update();
        });
        auto* B = new QToolButton(this);
        B->setObjectName(QStringLiteral("bb") + QString::fromUtf8(Caption));
        B->setDefaultAction(A);
        B->setToolButtonStyle(Qt::ToolButtonTextOnly);
        B->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        return std::pair{A, B};
    };
    auto [Add, AddButton] = Command("aAdd", "Add", &TfmKeyWord::bbAddClick);
    auto [Rename, RenameButton] = Command("aRename", "Rename", &TfmKeyWord::aRenameExecute);
    auto [Delete, DeleteButton] = Command("aDelete", "Delete", &TfmKeyWord::bbDeleteClick);
    aAdd = Add;
    aRename = Rename;
    aDelete = Delete;
    bbClose = new QPushButton(QStringLiteral("&Close"), this);
    bbClose->setObjectName(QStringLiteral("bbClose"));
    connect(bbClose, &QPushButton::clicked, this, &QDialog::accept);

    auto* Buttons = new QVBoxLayout;
    Buttons->addWidget(AddButton);
    Buttons->addWidget(RenameButton);
    Buttons->addWidget(DeleteButton);
    Buttons->addStretch(1);
    Buttons->addWidget(bbClose);
    auto* Left = new QVBoxLayout;
    Left->addWidget(Label1);
    Left->addWidget(Edit1);
    Left->addWidget(ListBox1, 1);
    auto* Layout = new QHBoxLayout(this);
    Layout->addLayout(Left, 1);
    Layout->addLayout(Buttons);
    resize(340, 260);
    ActionList1Update();
}

void TfmKeyWord::showEvent(QShowEvent* Event) {
    FormShow();
    QDialog::showEvent(Event);
    Edit1->setFocus();
}

void TfmKeyWord::FormShow() {
    ListBox1->clear();
    if (TKeyWordItems* K = KeyWords())
        for (int I = 0; I < K->Count(); ++I)
            AddEntry(K->At(I));
    ActionList1Update();
}

QListWidgetItem* TfmKeyWord::AddEntry(TKeyWordItem* KeyWord) {
    const std::string Name = KeyWord->DisplayName();
    int At = Count();
    while (At > 0 && AnsiCompareText(EntryText(At - 1), Name) > 0)
        --At;
    auto* Entry = new QListWidgetItem(ToQString(Name));
    Entry->setData(Qt::UserRole, QVariant::fromValue(reinterpret_cast<quintptr>(KeyWord)));
    ListBox1->insertItem(At, Entry);
    return Entry;
}

int TfmKeyWord::Count() const {
    return ListBox1->count();
}

std::string TfmKeyWord::EntryText(int Index) const {
    return FromQString(ListBox1->item(Index)->text());
}

TKeyWordItem* TfmKeyWord::EntryKeyWord(int Index) const {
    return reinterpret_cast<TKeyWordItem*>(
        ListBox1->item(Index)->data(Qt::UserRole).value<quintptr>());
}

void TfmKeyWord::ActionList1Update() {
    const int Selected = static_cast<int>(ListBox1->selectedItems().size());
    aDelete->setEnabled(Selected >= 1);
    aRename->setEnabled(Selected == 1);
    aAdd->setEnabled(true);
}

void TfmKeyWord::ListBox1Click() {
    if (Count() > 0 && ListBox1->currentItem()) Edit1->setText(ListBox1->currentItem()->text());
}

void TfmKeyWord::bbAddClick() {
    TKeyWordItems* K = KeyWords();
    const std::string Name = FromQString(Edit1->text());
    if (!K || K->IndexOfName(Name) != -1) return;
    auto* KeyWord = new TKeyWordItem(K);
    KeyWord->SetItemName(Name);
    // The new entry alone is selected: a Delete that follows must not take earlier ones too.
    ListBox1->setCurrentItem(AddEntry(KeyWord), QItemSelectionModel::ClearAndSelect);
}

bool TfmKeyWord::DeleteEntry(int Index) {
    TKeyWordItem* K = EntryKeyWord(Index);
    TModalResult Answer = mrYes;
    if (ClientCount(K) > 0)
        Answer = UserDialogs().MessageDlg(
            Format("KeyWord \"%s\" has %d depended\nDelete?", {K->DisplayName(), ClientCount(K)}),
            mtWarning, mbYesNoCancel);
    if (Answer == mrYes) {
        delete ListBox1->takeItem(Index);
        delete K;
    }
    return Answer != mrCancel;
}

void TfmKeyWord::bbDeleteClick() {
    // From the last entry to the first, so that the places of those still to come stay put.
    for (int I = Count() - 1; I >= 0; --I)
        if (ListBox1->item(I)->isSelected() && !DeleteEntry(I)) break;
}

void TfmKeyWord::aRenameExecute() {
    const QList<QListWidgetItem*> Selected = ListBox1->selectedItems();
    if (Selected.size() != 1) return;
    const int Index = ListBox1->row(Selected.first());
    TKeyWordItem* K = EntryKeyWord(Index);
    const std::string Name = FromQString(Edit1->text());
    if (ClientCount(K) > 0 &&
        UserDialogs().MessageBox(Format("KeyWord \"%s\" has %d depended\nRename to \"%s\"?",
                                        {K->DisplayName(), ClientCount(K), Name}),
                                 "Rename KeyWord", mtConfirmation, mbYes | mbNo) != mrYes)
        return;
    K->SetItemName(Name);
    // The entry moves to the place of its new name.
    delete ListBox1->takeItem(Index);
    ListBox1->setCurrentItem(AddEntry(K), QItemSelectionModel::ClearAndSelect);
}
