// The main window's settings: the 21 options and the layout of the window (panes and their
// sizes, bars and their places, the columns of the two lists, the recent catalogs). They are
// read from the settings store when the window is first shown, after its placement, and written
// back when it closes; every value lives in the section "General" as text.
#include "CatalogMain.h"

#include "core/CatalogGlobals.h"
#include "platform/StringList.h"
#include "platform/SysUtils.h"
#include "uilib/MRUList.h"
#include "uilib/Placemnt.h"

#include <QAction>
#include <QLayout>
#include <QSplitter>
#include <QToolBar>

#include <algorithm>

namespace {

// Larger than any screen: a damaged stored size cannot make a pane or column absurdly wide.
constexpr int MaxStoredSize = 16384;
// The largest recent list the options dialog offers.
constexpr int MaxRecentListCount = 10;

// A stored number is taken only within its bounds; outside them (a damaged or hand-edited
// file) it counts as missing and Current stands, as it does for a text that is no number.
int InBounds(int Stored, int Min, int Max, int Current) {
    return Stored >= Min && Stored <= Max ? Stored : Current;
}

// Flags are 16-bit booleans: all bits set for True; any non-zero low 16 bits read as True.
void ReadFlag(TFormPlacement& S, const char* Name, bool& Flag) {
    Flag = (S.ReadInteger(Name, Flag ? -1 : 0) & 0xFFFF) != 0;
}

void ReadByte(TFormPlacement& S, const char* Name, uint8_t& Value) {
    Value = static_cast<uint8_t>(S.ReadInteger(Name, Value) & 0xFF);
}

void ReadText(TFormPlacement& S, const char* Name, std::string& Value) {
    Value = S.ReadString(Name, Value);
}

void WriteFlag(TFormPlacement& S, const char* Name, bool Flag) {
    S.WriteInteger(Name, Flag ? -1 : 0);
}

} // namespace

// ---- the options ------------------------------------------------------------------------------

void LoadSettings(TFormPlacement& S) {
    ReadFlag(S, "SaveSetting", SaveSetting);
    ReadFlag(S, "ShowHidden", ShowHidden);
    gRecentListCount = InBounds(S.ReadInteger("gRecentListCount", gRecentListCount), 0,
                                MaxRecentListCount, gRecentListCount);
    ReadFlag(S, "DisplayDefaultIcons", DisplayDefaultIcons);
    ReadFlag(S, "AutoOpen", AutoOpen);
    ReadByte(S, "DoubleClick", DoubleClick);
    ReadFlag(S, "ShowRescanDialog", ShowRescanDialog);
    ReadFlag(S, "roAdd", roAdd);
    ReadFlag(S, "roDelete", roDelete);
    ReadFlag(S, "roCheck", roCheck);
    ReadFlag(S, "HTMLDescription", HTMLDescription);
    ReadFlag(S, "ConvertKOI8", ConvertKOI8);
    ReadFlag(S, "GraphicDescription", GraphicDescription);
    ReadFlag(S, "FolderDescription", FolderDescription);
    ReadFlag(S, "FileDescription", FileDescription);
    ReadFlag(S, "ConvertOEMtoAnsi", ConvertOEMtoAnsi);
    ReadByte(S, "DescriptionMode", DescriptionMode);
    ReadText(S, "FileDescriptionFiles", FileDescriptionFiles);
    ReadText(S, "FolderDescriptionFiles", FolderDescriptionFiles);
    ReadText(S, "ActiveFileDescriptionFiles", ActiveFileDescriptionFiles);
    ReadText(S, "ActiveFolderDescriptionFiles", ActiveFolderDescriptionFiles);
}

void SaveSettings(TFormPlacement& S) {
    WriteFlag(S, "SaveSetting", SaveSetting);
    if (!SaveSetting) return;
    WriteFlag(S, "ShowHidden", ShowHidden);
    S.WriteInteger("gRecentListCount", gRecentListCount);
    WriteFlag(S, "DisplayDefaultIcons", DisplayDefaultIcons);
    WriteFlag(S, "AutoOpen", AutoOpen);
    S.WriteInteger("DoubleClick", DoubleClick);
    WriteFlag(S, "ShowRescanDialog", ShowRescanDialog);
    WriteFlag(S, "roAdd", roAdd);
    WriteFlag(S, "roDelete", roDelete);
    WriteFlag(S, "roCheck", roCheck);
    WriteFlag(S, "HTMLDescription", HTMLDescription);
    WriteFlag(S, "ConvertKOI8", ConvertKOI8);
    WriteFlag(S, "GraphicDescription", GraphicDescription);
    WriteFlag(S, "FolderDescription", FolderDescription);
    WriteFlag(S, "FileDescription", FileDescription);
    WriteFlag(S, "ConvertOEMtoAnsi", ConvertOEMtoAnsi);
    S.WriteInteger("DescriptionMode", DescriptionMode);
    S.WriteString("FileDescriptionFiles", FileDescriptionFiles);
    S.WriteString("FolderDescriptionFiles", FolderDescriptionFiles);
    S.WriteString("ActiveFileDescriptionFiles", ActiveFileDescriptionFiles);
    S.WriteString("ActiveFolderDescriptionFiles", ActiveFolderDescriptionFiles);
}

// ---- columns -----------------------------------------------------------------------------------

std::string GetColumnOrder(const TCustomListView& List) {
    const int N = List.ColumnCount();
    std::vector<int> Order(static_cast<size_t>(N));
    for (int ID = 0; ID < N; ++ID)
        Order[static_cast<size_t>(List.ColumnPosition(ID))] = List.Column(ID).Tag;
    TStringList S;
    for (int Tag : Order)
        S.Add(IntToStr(Tag));
    return S.CommaText();
}

void SetColumnOrder(TCustomListView& List, const std::string& Text) {
    if (Text.empty()) return;
    const TStringList S(Text);
    for (int I = 0; I < S.Count() && I < List.ColumnCount(); ++I) {
        int Tag = 0;
        // An entry that is no number keeps the column that stands there.
        if (!TryStrToInt(S[I], Tag)) continue;
        for (int ID = 0; ID < List.ColumnCount(); ++ID)
            if (List.Column(ID).Tag == Tag) {
                List.MoveColumn(ID, I);
                break;
            }
    }
}

std::string GetColumnWidths(const TCustomListView& List) {
    std::vector<std::string> Widths(static_cast<size_t>(List.ColumnCount()));
    for (int ID = 0; ID < List.ColumnCount(); ++ID) {
        const int Tag = List.Column(ID).Tag;
        if (Tag >= 0 && Tag < List.ColumnCount())
            Widths[static_cast<size_t>(Tag)] = IntToStr(List.ColumnWidth(ID));
    }
    TStringList S;
    for (std::string& W : Widths)
        S.Add(std::move(W));
    return S.CommaText();
}

void SetColumnWidths(TCustomListView& List, const std::string& Text) {
    if (Text.empty()) return;
    const TStringList S(Text);
    for (int I = 0; I < S.Count(); ++I) {
        int Width = 0;
        if (!TryStrToInt(S[I], Width)) continue;
        for (int ID = 0; ID < List.ColumnCount(); ++ID)
            if (List.Column(ID).Tag == I) {
                List.SetColumnWidth(ID, InBounds(Width, List.Column(ID).MinWidth, MaxStoredSize,
                                                 List.ColumnWidth(ID)));
                break;
            }
    }
}

// ---- panes -------------------------------------------------------------------------------------

int TfmCatalogMain::PaneSize(QWidget* Pane) const {
    if (Pane->isVisibleTo(this)) return Pane == BottomPanel ? Pane->height() : Pane->width();
    return Pane == LeftPanel ? FLeftSize : Pane == RightPanel ? FRightSize : FBottomSize;
}

void TfmCatalogMain::SetPaneSize(QWidget* Pane, int Size) {
    Size = InBounds(Size, 1, MaxStoredSize, PaneSize(Pane));
    (Pane == LeftPanel ? FLeftSize : Pane == RightPanel ? FRightSize : FBottomSize) = Size;
    QSplitter* S = Pane == LeftPanel ? spLeft : Pane == RightPanel ? SpRight : spBottom;
    const int I = S->indexOf(Pane);
    QList<int> Sizes = S->sizes();
    int Total = 0;
    for (int X : Sizes)
        Total += X;
    // The splitter keeps the size of a hidden pane until it shows it again.
    Sizes[I] = Size;
    Sizes[1 - I] = std::max(Total - Size, 1);
    S->setSizes(Sizes);
}

void TfmCatalogMain::ShowPane(QWidget* Pane, bool Show) {
    if (!Show && Pane->isVisibleTo(this)) RememberPaneSizes();
    Pane->setVisible(Show);
}

void TfmCatalogMain::RememberPaneSizes() {
    if (LeftPanel->isVisibleTo(this)) FLeftSize = LeftPanel->width();
    if (RightPanel->isVisibleTo(this)) FRightSize = RightPanel->width();
    if (BottomPanel->isVisibleTo(this)) FBottomSize = BottomPanel->height();
}

// ---- bars --------------------------------------------------------------------------------------

std::vector<TfmCatalogMain::TBarPlace> TfmCatalogMain::StoredBars() const {
    // The view-style bar is kept too: left to its default place, it lands on a row of its own
    // whenever the user has moved the others.
    return {{FileToolbar, "FTL", "FTT"},
            {ToolsToolBar, "TTL", "TTT"},
            {ViewToolBar, "VTL", "VTT"},
            {MenuToolBar, "MTL", "MTT"},
            {ViewStyleToolbar, "VSTL", "VSTT"}};
}

QPoint TfmCatalogMain::BarPosition(QToolBar* Bar) const {
    if (Bar->isVisibleTo(this)) return Bar->pos();
    for (const auto& [B, Place] : FBarPlaces)
        if (B == Bar) return Place;
    // A bar never shown keeps its place in the layout: right behind the bar before it.
    const QToolBar* const Design[] = {MenuToolBar, FileToolbar, ToolsToolBar, ViewToolBar,
                                      ViewStyleToolbar};
    for (size_t I = 1; I < std::size(Design); ++I)
        if (Design[I] == Bar)
            return BarPosition(const_cast<QToolBar*>(Design[I - 1])) + QPoint(1, 0);
    return {};
}

void TfmCatalogMain::WatchBarPlaces() {
    for (QToolBar* Bar : {MenuToolBar, FileToolbar, ToolsToolBar, ViewToolBar, ViewStyleToolbar})
        connect(Bar, &QToolBar::visibilityChanged, this, [this, Bar](bool Visible) {
            // Hidden by the user while the window is up: the bar's last place stays its own.
            if (Visible || !isVisible()) return;
            auto It = std::find_if(FBarPlaces.begin(), FBarPlaces.end(),
                                   [Bar](const auto& P) { return P.first == Bar; });
            if (It == FBarPlaces.end()) It = FBarPlaces.insert(FBarPlaces.end(), {Bar, QPoint()});
            It->second = Bar->pos();
        });
}

void TfmCatalogMain::RestoreToolbarPositions() {
    if (layout()) layout()->activate();
    struct TPlace {
        QToolBar* Bar;
        QPoint Pos;
        bool Visible;
    };
    std::vector<TPlace> Places;
    int Tolerance = MaxStoredSize;
    for (const TBarPlace& B : StoredBars()) {
        const QPoint Now = BarPosition(B.Bar);
        // Places only order the bars, so a wild one is brought back into the window.
        const int Left = std::clamp(FormStorage1->ReadInteger(B.Left, Now.x()), 0, MaxStoredSize);
        const int Top = std::clamp(FormStorage1->ReadInteger(B.Top, Now.y()), 0, MaxStoredSize);
        Places.push_back({B.Bar, QPoint(Left, Top), B.Bar->isVisibleTo(this)});
        Tolerance = std::min(Tolerance, B.Bar->sizeHint().height() / 2);
    }
    // Qt lays bars out by their order and rows, not by coordinates. Tops a bar's half height
    // apart or less are one row: a bar's top moves by a pixel or two with the bars beside it
    // (and a place never stored is the default's). Within a row the bars go by their lefts.
    std::stable_sort(Places.begin(), Places.end(),
                     [](const TPlace& A, const TPlace& B) { return A.Pos.y() < B.Pos.y(); });
    std::vector<int> Row(Places.size(), 0);
    for (size_t I = 1, First = 0; I < Places.size(); ++I) {
        Row[I] = Row[I - 1];
        if (Places[I].Pos.y() - Places[First].Pos.y() > std::max(Tolerance, 1)) {
            ++Row[I];
            First = I;
        }
    }
    std::vector<size_t> Order(Places.size());
    for (size_t I = 0; I < Order.size(); ++I)
        Order[I] = I;
    std::stable_sort(Order.begin(), Order.end(), [&](size_t A, size_t B) {
        return Row[A] != Row[B] ? Row[A] < Row[B] : Places[A].Pos.x() < Places[B].Pos.x();
    });
    for (const TPlace& P : Places)
        removeToolBar(P.Bar);
    FBarPlaces.clear();
    for (size_t K = 0; K < Order.size(); ++K) {
        const TPlace& P = Places[Order[K]];
        if (K > 0 && Row[Order[K]] != Row[Order[K - 1]]) addToolBarBreak(Qt::TopToolBarArea);
        addToolBar(Qt::TopToolBarArea, P.Bar);
        P.Bar->setVisible(P.Visible);
        FBarPlaces.emplace_back(P.Bar, P.Pos);
    }
}

// ---- restore and save --------------------------------------------------------------------------

void TfmCatalogMain::FormStorage1RestorePlacement() {
    TFormStorage& S = *FormStorage1;
    LoadSettings(S);
    auto Switch = [&](const char* Name, QAction* Item) {
        const bool Shown = S.ReadInteger(Name, Item->isChecked() ? 1 : 0) != 0;
        if (Shown != Item->isChecked()) Item->trigger();
    };
    Switch("StatusBar", StatusBar2);
    Switch("ToolBar", bar11);
    Switch("ToolBar2", Bar21);
    Switch("FileToolBar", Bar3);
    Switch("Folder", aLeft);
    SetPaneSize(LeftPanel, S.ReadInteger("FolderSize", PaneSize(LeftPanel)));
    Switch("Find", aRight);
    SetPaneSize(RightPanel, S.ReadInteger("FindSize", PaneSize(RightPanel)));
    Switch("SearchResult", aBottom);
    SetPaneSize(BottomPanel, S.ReadInteger("SearchSize", PaneSize(BottomPanel)));
    RestoreToolbarPositions();
    SetColumnOrder(*lvMain, S.ReadString("ColumnOrder", GetColumnOrder(*lvMain)));
    SetColumnWidths(*lvMain, S.ReadString("ColumnWidth", GetColumnWidths(*lvMain)));
    SetColumnOrder(*lvResult, S.ReadString("RColumnOrder", GetColumnOrder(*lvResult)));
    SetColumnWidths(*lvResult, S.ReadString("RColumnWidth", GetColumnWidths(*lvResult)));
    TRecentStrings& Recent = MRUManager1->RecentList();
    Recent.SetCommaText(S.ReadString("Recent", Recent.CommaText()));
    MRUManager1->RebuildMenu();
}

void TfmCatalogMain::FormStorage1SavePlacement() {
    TFormStorage& S = *FormStorage1;
    SaveSettings(S);
    if (!SaveSetting) return;
    RememberPaneSizes();
    S.WriteInteger("Folder", aLeft->isChecked() ? 1 : 0);
    S.WriteInteger("FolderSize", PaneSize(LeftPanel));
    S.WriteInteger("Find", aRight->isChecked() ? 1 : 0);
    S.WriteInteger("FindSize", PaneSize(RightPanel));
    S.WriteInteger("SearchResult", aBottom->isChecked() ? 1 : 0);
    S.WriteInteger("SearchSize", PaneSize(BottomPanel));
    S.WriteInteger("StatusBar", StatusBar2->isChecked() ? 1 : 0);
    S.WriteInteger("ToolBar", bar11->isChecked() ? 1 : 0);
    S.WriteInteger("ToolBar2", Bar21->isChecked() ? 1 : 0);
    S.WriteInteger("FileToolBar", Bar3->isChecked() ? 1 : 0);
    for (const TBarPlace& B : StoredBars()) {
        const QPoint P = BarPosition(B.Bar);
        S.WriteInteger(B.Left, P.x());
        S.WriteInteger(B.Top, P.y());
    }
    S.WriteString("ColumnOrder", GetColumnOrder(*lvMain));
    S.WriteString("ColumnWidth", GetColumnWidths(*lvMain));
    S.WriteString("RColumnOrder", GetColumnOrder(*lvResult));
    S.WriteString("RColumnWidth", GetColumnWidths(*lvResult));
    S.WriteString("Recent", MRUManager1->RecentList().CommaText());
}
