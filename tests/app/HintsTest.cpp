// The program's own hints over its windows: an action's short hint above the main window's
// tool bar, and none in the find dialog, whose hints are off.
#include "AppTestSupport.h"

#include "uilib/HintFilter.h"
#include "uilib/ShapedHints.h"

#include <QApplication>
#include <QHelpEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolTip>

namespace {

// The program's hint style while it lives; the toolkit's tooltips afterwards.
struct TProgramHints {
    TProgramHints() { SetHintStyle(1, 2, true, taCenter); }
    ~TProgramHints() {
        RemoveHintWindowClass();
        SetHintStyle(0, 0, false, taLeftJustify);
        RemoveHintWindowClass();
    }
};

// What the toolkit sends when the mouse rests on W; whether our hint shows then.
bool HintShownOver(QWidget* W) {
    const QPoint Local(W->width() / 2, W->height() / 2);
    QHelpEvent E(QEvent::ToolTip, Local, W->mapToGlobal(Local));
    QApplication::sendEvent(W, &E);
    THintFilter* F = THintFilter::Instance();
    return F && F->HintWindow() && F->HintWindow()->isVisible();
}

} // namespace

TEST_F(MainWindowTest, ActionsShowTheirShortHintAndTheFindDialogNone) {
    CreateWindow();
    TProgramHints Hints;
    QWidget* Button = Part<QToolBar>("FileToolbar")->widgetForAction(Action("aNew"));
    ASSERT_TRUE(HintShownOver(Button));
    EXPECT_EQ(THintFilter::Instance()->HintWindow()->Hint(), QStringLiteral("New"));
    EXPECT_EQ(Action("aNew")->statusTip(), QStringLiteral("Creates a new catalog"));
    EXPECT_FALSE(QToolTip::isVisible());

    auto Factory = NewQtDialogFactory();
    bool Shown = true;
    QTimer::singleShot(0, [&] {
        auto* D = qobject_cast<TfmFind*>(QApplication::activeModalWidget());
        ASSERT_NE(D, nullptr);
        EXPECT_TRUE(D->e_KeyWord->toolTip().startsWith(QStringLiteral("Search on describing")));
        Shown = HintShownOver(D->e_KeyWord) || QToolTip::isVisible();
        D->bbClose->click();
    });
    TFindCriteria C;
    Factory->ShowFind(C);
    EXPECT_FALSE(Shown);
}
