// For the tests only: with QUILLMARK_TEST_QUIT_MS set, the program reports on standard error how
// long it took from its start until the main window had painted the catalog it opened, then
// closes the window that many milliseconds later through the same close query a user's close
// would run. With QUILLMARK_TEST_FIND set as well, it first searches as a user does: Find opens
// the find dialog, the variable's text goes into its wildcard field and Find is pressed; when
// the last result row is shown it reports the rows, the seconds from pressing Find and the
// longest time its event loop stood still meanwhile.
//
// Owned by the main window (Qt parent). UI thread only.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

class TCatalogListView;
class TCatalogTreeView;
class TfmCatalogMain;

class TStartupReport : public QObject {
public:
    // Clock runs from the program's start.
    TStartupReport(const QElapsedTimer& Clock, TfmCatalogMain* Main, int QuitMs,
                   const QString& FindMask);

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Report(double Seconds);
    void Find();
    void FindEnded();

    const QElapsedTimer& FClock;
    TfmCatalogMain* FMain;
    TCatalogListView* FList;
    TCatalogTreeView* FTree;
    int FQuitMs;
    QString FFindMask;
    bool FDone = false;
    QElapsedTimer FFindClock, FGap;
    double FLongestGap = 0;
    QTimer FTicks;
};
