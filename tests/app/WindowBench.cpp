// app_window_bench CATALOG: how fast the main window shows a big catalog. Not a test: it prints
// seconds, measured in this process on the platform Qt is given (offscreen, or a real display).
//
//   open     from OpenCatalog until the window has painted the root of the catalog
//   folder   from choosing the catalog's largest folder until the list has painted its rows
//   repaint  one full repaint of the list after scrolling to its end
//   sort     a click on the Size header, and a second one (descending)
//   refresh  refilling the list of that folder (F5)
//   icons    the list-icon thread working through the rows in the background, with the longest
//            time the event loop went without running meanwhile (what a user would feel)
#include "app/CatalogMain.h"
#include "app/ListPanes.h"
#include "app/UserDialogs.h"
#include "core/CatalogExt.h"
#include "core/CatalogGlobals.h"
#include "core/TreeItems.h"
#include "platform/Thread.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <memory>

namespace {

double Seconds(const QElapsedTimer& T) {
    return static_cast<double>(T.nsecsElapsed()) / 1e9;
}

// Lets the window lay out and paint what changed.
void Settle(QWidget* W) {
    QApplication::processEvents();
    W->repaint();
    QApplication::processEvents();
}

TBasicItem* LargestFolder(TBasicItem* Item) {
    TBasicItem* Best = Item;
    std::vector<TBasicItem*> Stack{Item};
    while (!Stack.empty()) {
        TBasicItem* X = Stack.back();
        Stack.pop_back();
        if (!X->Children()) continue;
        if (X->Children()->Count() > Best->Children()->Count()) Best = X;
        for (int I = 0; I < X->Children()->Count(); ++I)
            Stack.push_back(X->Children()->At(I));
    }
    return Best;
}

} // namespace

int main(int argc, char** argv) {
    QApplication App(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: app_window_bench CATALOG\n");
        return 2;
    }
    InitCatalogExt();
    CatalogMainInitialization();
    InstallDialogHooks();
    auto Main = std::make_unique<TfmCatalogMain>();
    Main->resize(1000, 700);
    Main->show();
    Settle(Main.get());

    QElapsedTimer T;
    T.start();
    Main->OpenCatalog(argv[1]);
    Settle(Main.get());
    const double Open = Seconds(T);

    TBasicItem* Folder = LargestFolder(CurrentCatalog);
    T.restart();
    Main->SetCurrentFolder(Folder);
    Settle(Main.get());
    const double Show = Seconds(T);
    auto* List = Main->findChild<TCatalogListView*>(QStringLiteral("lvMain"));
    const int Rows = List->Count();

    QAbstractItemView* Pane = List->ActivePane();
    Pane->verticalScrollBar()->setValue(Pane->verticalScrollBar()->maximum());
    QApplication::processEvents();
    T.restart();
    Pane->viewport()->repaint();
    const double Repaint = Seconds(T);

    T.restart();
    List->ColumnClickHandler(1);
    Settle(Main.get());
    const double SortSize = Seconds(T);
    T.restart();
    List->ColumnClickHandler(1);
    Settle(Main.get());
    const double SortDesc = Seconds(T);
    List->SortByColumn(0, true);

    T.restart();
    List->SortByColumn(0, false);
    Settle(Main.get());
    const double SortNameDesc = Seconds(T);
    List->SortByColumn(0, true);

    T.restart();
    Main->RefreshList(false);
    Settle(Main.get());
    const double Refresh = Seconds(T);

    // The refill started the list-icon thread; the event loop keeps running beside it.
    T.restart();
    QElapsedTimer Gap;
    Gap.start();
    double LongestGap = 0;
    while (Main->ListImageRunning() && Seconds(T) < 60) {
        QApplication::processEvents(QEventLoop::AllEvents, 5);
        LongestGap = std::max(LongestGap, Seconds(Gap));
        Gap.restart();
    }
    const double Icons = Seconds(T);

    int64_t Folders = 0, Files = 0;
    uint64_t Bytes = 0;
    CountItems(CurrentCatalog->Children(), Folders, Files, Bytes);
    std::printf("entries %lld\ntree_nodes %d\nopen_seconds %.3f\nfolder_rows %d\n"
                "folder_seconds %.3f\nrepaint_seconds %.4f\nsort_size_seconds %.3f\n"
                "sort_size_descending_seconds %.3f\nsort_name_descending_seconds %.3f\n"
                "refresh_seconds %.3f\nicons_seconds %.3f\nlongest_event_gap_seconds %.4f\n",
                static_cast<long long>(Folders + Files),
                Main->findChild<TCatalogTreeView*>(QStringLiteral("tvMain"))->NodeCount(), Open,
                Rows, Show, Repaint, SortSize, SortDesc, SortNameDesc, Refresh, Icons, LongestGap);

    T.restart();
    Main.reset();
    while (CheckSynchronize(0)) {
    }
    std::printf("close_seconds %.3f\n", Seconds(T));
    RemoveDialogHooks();
    return 0;
}
