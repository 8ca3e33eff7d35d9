// The properties window at work: loading an item into the pages, storing them back, the note,
// keyword and volume commands, and Up and Down.
#include "CatProp.h"

#include "app/ItemTexts.h"
#include "app/ListView.h"
#include "app/TreeView.h"
#include "app/UiText.h"
#include "app/ViewTypes.h"
#include "app/dialogs/CatPropFiles.h"
#include "app/dialogs/CatPropNote.h"
#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "core/FileTypes.h"
#include "core/KeyWords.h"
#include "core/TreeItems.h"
#include "platform/Format.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>

std::function<void()> ShowKeyWordSetupProc;

namespace {

const char* const NoteFilter = "Text Files(*.*)|*.*|MSDOS Text Files (*.*)|*.*";

TKeyWordItem* KeyWordOf(const QVariant& V) {
    return reinterpret_cast<TKeyWordItem*>(V.value<quintptr>());
}

QVariant KeyWordData(TKeyWordItem* K) {
    return QVariant::fromValue(reinterpret_cast<quintptr>(K));
}

// Sorted lists keep their entries in the order of the program's caption comparison; an entry
// equal to others goes behind them.
int SortedRow(int Count, const std::function<QString(int)>& TextAt, const QString& Text) {
    const std::string Key = FromQString(Text);
    int Row = Count;
    while (Row > 0 && CompareCaptions(FromQString(TextAt(Row - 1)), Key) > 0)
        --Row;
    return Row;
}

void AddSorted(QListWidget* List, const QString& Text, TKeyWordItem* K) {
    const int Row = SortedRow(
        List->count(), [List](int I) { return List->item(I)->text(); }, Text);
    auto* Entry = new QListWidgetItem(Text);
    Entry->setData(Qt::UserRole, KeyWordData(K));
    List->insertItem(Row, Entry);
}

void AddSorted(QComboBox* Box, const QString& Text, TKeyWordItem* K) {
    const int Row = SortedRow(
        Box->count(), [Box](int I) { return Box->itemText(I); }, Text);
    Box->insertItem(Row, Text, KeyWordData(K));
}

// The tree's node of an item, and the nodes before and after a node in depth-first order.
TTreeViewNode* NodeOf(const TBasicItem* Item) {
    return Item ? dynamic_cast<TTreeViewNode*>(Item->TreeNode()) : nullptr;
}

int SiblingCount(const TTreeViewNode* N) {
    return N->Parent() ? N->Parent()->ChildCount() : N->TreeView()->TopCount();
}

TTreeViewNode* Sibling(const TTreeViewNode* N, int I) {
    return N->Parent() ? N->Parent()->Child(I) : N->TreeView()->TopItem(I);
}

int SiblingIndex(const TTreeViewNode* N) {
    for (int I = 0; I < SiblingCount(N); ++I)
        if (Sibling(N, I) == N) return I;
    return -1;
}

TTreeViewNode* PreviousNode(TTreeViewNode* N) {
    const int I = SiblingIndex(N);
    if (I <= 0) return N->Parent();
    TTreeViewNode* P = Sibling(N, I - 1);
    while (P->ChildCount() > 0)
        P = P->Child(P->ChildCount() - 1);
    return P;
}

TTreeViewNode* NextNode(TTreeViewNode* N) {
    if (N->ChildCount() > 0) return N->Child(0);
    for (TTreeViewNode* A = N; A; A = A->Parent()) {
        const int I = SiblingIndex(A);
        if (I >= 0 && I + 1 < SiblingCount(A)) return Sibling(A, I + 1);
    }
    return nullptr;
}

TListViewItem* RowOf(const TBasicItem* Item) {
    return Item ? dynamic_cast<TListViewItem*>(Item->ListItem()) : nullptr;
}

} // namespace

TCatPropForm::TCatPropForm(bool FollowTree, QWidget* Parent)
    : QDialog(Parent), FFollowTree(FollowTree) {
    setObjectName(QStringLiteral("CatPropForm"));
    setWindowTitle(QStringLiteral("CatPropForm"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    OpenDialog1.Filter = NoteFilter;
    SaveDialog1.Filter = NoteFilter;
    CreatePages();
    // Not sizeable: as large as the pages need with every tab shown (so that no tab is cut and
    // walking from item to item keeps the size), and never below the designed client area.
    ensurePolished();
    setFixedSize(sizeHint().expandedTo(QSize(308, 243)));
}

void TCatPropForm::ShowPage(QWidget* Page, bool Visible) {
    // A hidden tab is disabled as well: Ctrl+Tab passes over disabled tabs only.
    const int I = PageControl1->indexOf(Page);
    PageControl1->setTabVisible(I, Visible);
    PageControl1->setTabEnabled(I, Visible);
}

bool TCatPropForm::PageShown(QWidget* Page) const {
    return PageControl1->isTabVisible(PageControl1->indexOf(Page));
}

TCatPropForm::~TCatPropForm() = default;

void TCatPropForm::Guard(const std::function<void()>& Command) {
    try {
        Command();
    } catch (const std::exception& E) {
        ShowCatalogError(E);
    }
}

// ---- loading -----------------------------------------------------------------------------------

void TCatPropForm::showEvent(QShowEvent* Event) {
    QDialog::showEvent(Event);
    PageControl1->setCurrentWidget(tsGlobal);
    SetModified(false);
    if (e_Name->isEnabled()) e_Name->setFocus();
}

void TCatPropForm::SetItem(TBasicItem* Item) {
    FItem = Item;
    setWindowTitle(ToQString("Properties : " + Item->DisplayName()));
    FillGeneral();
    FillKeyWords();
    FillLocation();
    FillFileInfo();
    FLocationChanged = false;
    SetModified(false);
    ShowInMainWindow();
    UpdateActions();
}

void TCatPropForm::FillGeneral() {
    e_Name->setEnabled(FItem->CanRename());
    e_Name->setText(ToQString(FItem->DisplayName()));
    const QString Path = ToQString(GetCatalogPath(FItem));
    e_FullName->setText(Path);
    e_FullName->setToolTip(Path);
    e_Comment->setText(ToQString(FItem->Comment()));
    FShownNote = NoteToText(FItem->Note());
    e_note->SetNote(FShownNote);
    FShownName = e_Name->text();
    FShownComment = e_Comment->text();
    const auto* Large = dynamic_cast<const TIconSource*>(LargeImages);
    const QIcon Icon = Large ? Large->Icon(FItem->GetImageIndex()) : QIcon();
    Image1->setPixmap(Icon.pixmap(32, 32));
}

void TCatPropForm::FillKeyWords() {
    const bool Visible = FItem != CurrentCatalog;
    ShowPage(tsKeywords, Visible);
    e_List->clear();
    ListBox1->clear();
    if (!Visible) return;
    if (TKeyWordItems* K = CurrentCatalog->KeyWords())
        for (int I = 0; I < K->Count(); ++I)
            AddSorted(e_List, ToQString(K->At(I)->DisplayName()), K->At(I));
    if (e_List->count() > 0) e_List->setCurrentIndex(0);
    for (TKeyWordItem* K : FItem->KeyWords())
        AddSorted(ListBox1, ToQString(K->DisplayName()), K);
}

void TCatPropForm::FillFileInfo() {
    auto* F = dynamic_cast<TFileItem*>(FItem);
    ShowPage(tsFile, F != nullptr);
    if (!F) return;
    const TFileInfo& Info = F->FileInfo();
    e_RelatedLocation->setText(ToQString(Info.Name.View()));
    e_FileType->setText(F->TypeRow() ? ToQString(F->TypeRow()->DisplayName()) : QString());
    e_Date->setText(DateOrDateTimeText(Info.Date));
    if (TBasicItems* C = F->Children()) {
        int64_t Folders = 0, Files = 0;
        uint64_t Total = 0;
        CountItems(C, Folders, Files, Total);
        e_Size->setText(ToQString(FolderStatisticsText(Folders, Files, Total)));
    } else {
        e_Size->setText(QString::number(Info.Size));
    }
    const uint32_t Bits[] = {0x01, 0x20, 0x02, 0x04, 0x800};
    for (int I = 0; I < 5; ++I)
        CheckBox[I]->setChecked(Info.Attr & Bits[I]);
    e_FilePath->setText(FileNameToQString(F->GetFullPath()));
}

void TCatPropForm::FillLocation() {
    auto* C = dynamic_cast<TFileCollection*>(FItem);
    auto* F = dynamic_cast<TFileItem*>(FItem);
    ShowPage(tsLocation, C || F);
    if (!C && !F) return;
    const TVolumeInfo* V = F ? F->GetVolume() : nullptr;
    e_RelatedDir->setText(FileNameToQString(C ? C->GetRootPath() : (V ? V->Path : "")));
    ShowVolume(nullptr);
    e_RelatedDir->setEnabled(C || dynamic_cast<TFileLocItem*>(FItem));
}

void TCatPropForm::ShowVolume(const TVolumeInfo* V) {
    if (!V) {
        if (auto* C = dynamic_cast<TFileCollection*>(FItem))
            V = &C->Volume();
        else if (auto* F = dynamic_cast<TFileItem*>(FItem))
            V = F->GetVolume();
    }
    e_VolName->setText(V ? ToQString(V->VolumeName) : QString());
    e_VolSerial->setText(V ? ToQString(VolumeSerialText(V->Serial)) : QString());
    e_FileSystem->setText(V ? ToQString(V->FileSystem) : QString());
    e_DriveType->setText(V ? ToQString(DriveTypeName(V->DriveType)) : QString());
}

void TCatPropForm::ShowInMainWindow() {
    if (FFollowTree) {
        if (TTreeViewNode* Node = NodeOf(FItem)) {
            Node->TreeView()->SetSelected(Node);
            Node->TreeView()->scrollTo(Node->TreeView()->IndexOfNode(Node));
        }
        return;
    }
    // A located file whose row its caller adds after the window closes has none yet.
    if (TListViewItem* Row = RowOf(FItem)) {
        TCustomListView* List = Row->ListView();
        List->ClearSelection();
        Row->SetSelected(true);
        List->SetItemFocused(Row);
        List->MakeVisible(Row);
    }
}

// ---- storing -----------------------------------------------------------------------------------

void TCatPropForm::ApplyActionClick() {
    StoreItem();
    if (TListItem* Row = FItem->ListItem(); Row && FillListItemProc) FillListItemProc(Row);
    SetModified(false);
}

void TCatPropForm::StoreItem() {
    if (e_Name->text() != FShownName) FItem->SetItemName(FromQString(e_Name->text()));
    if (e_Comment->text() != FShownComment) FItem->SetComment(FromQString(e_Comment->text()));
    const QString Note = e_note->Note();
    if (Note != FShownNote) FItem->SetNote(TextToNote(Note));
    FShownName = e_Name->text();
    FShownComment = e_Comment->text();
    FShownNote = Note;
    if (TListViewItem* Row = RowOf(FItem)) {
        if (FillListItemProc) FillListItemProc(Row);
        Row->ListView()->MakeVisible(Row);
    }
    StoreKeyWords();
    StoreLocation();
}

void TCatPropForm::StoreKeyWords() {
    // The root shows no keyword page; what its lists held for the item before is not its own.
    if (!PageShown(tsKeywords)) return;
    FItem->ClearKeyWords();
    for (int I = 0; I < ListBox1->count(); ++I)
        if (TKeyWordItem* K = KeyWordOf(ListBox1->item(I)->data(Qt::UserRole))) K->AddClient(FItem);
}

void TCatPropForm::StoreLocation() {
    if (!PageShown(tsLocation)) return;
    const std::string Path = WithTrailingSeparator(QStringToFileName(e_RelatedDir->text()));
    if (auto* C = dynamic_cast<TFileCollection*>(FItem)) {
        if (FLocationChanged || Path != C->GetRootPath()) {
            TVolumeInfo Read;
            if (ReadVolume(Path, Read)) {
                C->Volume() = Read;
                CatalogModified = true;
            } else {
                // The disk is not there: the folder keeps the identity of the disk it was
                // scanned from, so that synchronising still recognises that disk.
                if (Path != C->GetRootPath()) {
                    C->Volume().Path = Path;
                    CatalogModified = true;
                }
                TellVolumeNotRead(Path);
            }
        }
    } else if (auto* L = dynamic_cast<TFileLocItem*>(FItem)) {
        // Only a located file edits its location; a file of a scanned folder shows its folder's.
        if (L->Volume().Path != Path) {
            L->Volume().Path = Path;
            CatalogModified = true;
        }
    }
    FLocationChanged = false;
    ShowVolume(nullptr);
}

// ---- edits -------------------------------------------------------------------------------------

void TCatPropForm::SetModified(bool Value) {
    FModified = Value;
    ApplyButton->setEnabled(Value);
}

void TCatPropForm::e_noteChange() {
    if (!FItem) return;
    const QString Path = ToQString(GetCatalogPath(FItem));
    if (e_FullName->text() != Path) e_FullName->setText(Path);
    e_FullName->setToolTip(Path);
    SetModified(true);
}

void TCatPropForm::e_RelatedDirChange() {
    FLocationChanged = true;
    SetModified(true);
}

void TCatPropForm::e_RelatedDirExit() {
    const std::string Text = QStringToFileName(e_RelatedDir->text());
    const std::string With = WithTrailingSeparator(Text);
    if (With != Text) e_RelatedDir->setText(FileNameToQString(With));
}

void TCatPropForm::tsFileShow() {
    // An edited location shows in the file's path before it is applied.
    if (auto* L = dynamic_cast<TFileLocItem*>(FItem))
        e_FilePath->setText(e_RelatedDir->text() + ToQString(L->FileInfo().Name.View()));
}

void TCatPropForm::Button3Click() {
    const std::string Path = WithTrailingSeparator(QStringToFileName(e_RelatedDir->text()));
    TVolumeInfo Read;
    if (!ReadVolume(Path, Read)) {
        TellVolumeNotRead(Path);
        return;
    }
    FLocationChanged = true;
    ShowVolume(&Read);
    SetModified(true);
}

void TCatPropForm::BitBtn5Click() {
    int Filter = 1;
    TFileDialogSpec Spec = OpenDialog1;
    Spec.ChosenFilter = &Filter;
    std::string FileName;
    if (!UserDialogs().OpenFileDialog(Spec, FileName)) return;
    bool NotUtf8 = false;
    const QString Text = ImportNote(FileName, Filter == 2, NotUtf8);
    // As with a file that is no DOS text, the note stays as it is unless the user says otherwise.
    if (NotUtf8 && UserDialogs().MessageDlg(
                       Format("%s is not UTF-8 text: the bytes that are not UTF-8 would show "
                              "as \"\xEF\xBF\xBD\". Replace the note with it all the same?",
                              {FileName}),
                       mtWarning, mbYes | mbNo) != mrYes)
        return;
    e_note->SetNote(Text);
}

void TCatPropForm::BitBtn6Click() {
    int Filter = 1;
    TFileDialogSpec Spec = SaveDialog1;
    Spec.ChosenFilter = &Filter;
    std::string FileName;
    if (!UserDialogs().SaveFileDialog(Spec, FileName)) return;
    ExportNote(FileName, e_note->Note(), Filter == 2);
}

// ---- keywords ----------------------------------------------------------------------------------

void TCatPropForm::BitBtn1Click() {
    const int I = e_List->currentIndex();
    if (I < 0) return;
    AddSorted(ListBox1, e_List->itemText(I), KeyWordOf(e_List->itemData(I)));
    SetModified(true);
}

void TCatPropForm::BitBtn2Click() {
    ListBox1->clear();
    for (int I = 0; I < e_List->count(); ++I)
        AddSorted(ListBox1, e_List->itemText(I), KeyWordOf(e_List->itemData(I)));
    SetModified(true);
}

void TCatPropForm::BitBtn3Click() {
    const QList<QListWidgetItem*> Selected = ListBox1->selectedItems();
    if (Selected.isEmpty()) return;
    for (int I = ListBox1->count() - 1; I >= 0; --I)
        if (ListBox1->item(I)->isSelected()) delete ListBox1->takeItem(I);
    SetModified(true);
}

void TCatPropForm::BitBtn4Click() {
    ListBox1->clear();
    SetModified(true);
}

void TCatPropForm::BitBtn7Click() {
    if (!ShowKeyWordSetupProc) return;
    ShowKeyWordSetupProc();
    e_List->clear();
    TKeyWordItems* K = CurrentCatalog->KeyWords();
    for (int I = 0; K && I < K->Count(); ++I)
        AddSorted(e_List, ToQString(K->At(I)->DisplayName()), K->At(I));
    if (e_List->count() > 0) e_List->setCurrentIndex(0);
    // Keywords deleted in the setup leave the list; renamed ones show their new names.
    for (int I = ListBox1->count() - 1; I >= 0; --I) {
        TKeyWordItem* W = KeyWordOf(ListBox1->item(I)->data(Qt::UserRole));
        if (!K || K->IndexOfItem(W) < 0)
            delete ListBox1->takeItem(I);
        else
            ListBox1->item(I)->setText(ToQString(W->DisplayName()));
    }
    if (RefreshKeyWordsProc) RefreshKeyWordsProc();
}

// ---- Up and Down -------------------------------------------------------------------------------

TBasicItem* TCatPropForm::NeighbourItem(int Step) const {
    if (FFollowTree) {
        TTreeViewNode* N = NodeOf(FItem);
        TTreeViewNode* P = !N ? nullptr : Step < 0 ? PreviousNode(N) : NextNode(N);
        return P ? P->Data() : nullptr;
    }
    TListViewItem* Row = RowOf(FItem);
    const int To = Row && Row->Index() >= 0 ? Row->Index() + Step : -1;
    if (To < 0 || To >= Row->ListView()->Count()) return nullptr;
    return Row->ListView()->Item(To)->Data();
}

void TCatPropForm::UpdateActions() {
    UpAction->setEnabled(NeighbourItem(-1) != nullptr);
    DownAction->setEnabled(NeighbourItem(1) != nullptr);
    BitBtn7->setEnabled(static_cast<bool>(ShowKeyWordSetupProc));
}
