#include "HintFilter.h"

#include "uilib/ShapedHints.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QVariant>
#include <QWidget>

namespace {

// The dynamic property that holds a widget's own hint switch.
constexpr const char* ShowHintProperty = "qmShowHint";
// The proposed hint goes this far below the cursor's tip, clear of the arrow.
constexpr int CursorHeightMargin = 16;

THintFilter* TheFilter = nullptr;

} // namespace

void SetShowHint(QWidget* Control, bool Value) {
    if (Control) Control->setProperty(ShowHintProperty, Value);
}

bool ShowHintOf(const QWidget* Control) {
    for (const QWidget* W = Control; W; W = W->isWindow() ? nullptr : W->parentWidget()) {
        const QVariant V = W->property(ShowHintProperty);
        if (V.isValid()) return V.toBool();
    }
    return true;
}

QString GetShortHint(const QString& Hint) {
    const qsizetype Bar = Hint.indexOf(QLatin1Char('|'));
    return Bar < 0 ? Hint : Hint.left(Bar);
}

THintFilter::THintFilter() {
    FHideTimer.setSingleShot(true);
    FHideTimer.setInterval(HintHidePause);
    connect(&FHideTimer, &QTimer::timeout, this, [this] {
        CancelHint();
        FTimedOut = true;
    });
}

THintFilter::~THintFilter() {
    if (TheFilter == this) TheFilter = nullptr;
}

THintFilter* THintFilter::Instance() {
    return TheFilter;
}

QWidget* THintFilter::HintControl() const {
    return FWindow && FWindow->isVisible() ? FControl.data() : nullptr;
}

void THintFilter::ReleaseWindow() {
    CancelHint();
    FWindow.reset();
}

void THintFilter::CancelHint() {
    FHideTimer.stop();
    if (FWindow) FWindow->ReleaseHint();
}

bool THintFilter::ShowHintFor(QWidget* Control, QHelpEvent* Event) {
    if (!ShowHintOf(Control)) {
        CancelHint();
        Event->accept();
        return true;
    }
    const QString Full = Control->toolTip();
    // No tool-tip of its own: the toolkit passes the event on to the parent (or lets a view
    // show the tool-tip of an item).
    if (Full.isEmpty()) return false;
    Event->accept();
    if (Control == FControl && (FTimedOut || HintControl() == Control)) return true;
    FControl = Control;
    FTimedOut = false;
    const QString Hint = GetShortHint(Full);
    if (Hint.isEmpty()) {
        CancelHint();
        return true;
    }
    FCursorRect = QRect(Control->mapToGlobal(QPoint(0, 0)), Control->size());
    if (!FWindow) FWindow = std::make_unique<TShapedHintWindow>();
    const QPoint P = Event->globalPos();
    FWindow->ActivateHint({P.x(), P.y() + CursorHeightMargin, P.x(), P.y() + CursorHeightMargin},
                          Hint, {P.x(), P.y()});
    FHideTimer.start();
    return true;
}

bool THintFilter::eventFilter(QObject* Watched, QEvent* Event) {
    switch (Event->type()) {
    case QEvent::ToolTip:
        if (Watched->isWidgetType())
            return ShowHintFor(static_cast<QWidget*>(Watched), static_cast<QHelpEvent*>(Event));
        break;
    case QEvent::Leave:
        if (Watched == FControl) {
            CancelHint();
            FControl = nullptr;
        }
        break;
    case QEvent::MouseMove:
    case QEvent::HoverMove:
    case QEvent::Enter:
        // Moves over other widgets, and those a pressed control receives from outside
        // itself: the hint goes once the cursor is off the control.
        if (FControl && Watched->isWidgetType()) {
            const QPoint Local = static_cast<QSinglePointEvent*>(Event)->position().toPoint();
            if (!FCursorRect.contains(static_cast<QWidget*>(Watched)->mapToGlobal(Local))) {
                CancelHint();
                FControl = nullptr;
            }
        }
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::WindowDeactivate:
        // Until the cursor leaves the control, as after the pause.
        if (HintControl()) {
            CancelHint();
            FTimedOut = true;
        }
        break;
    default: break;
    }
    return false;
}

void InstallHintWindowClass() {
    RemoveHintWindowClass();
    QCoreApplication* App = QApplication::instance();
    if (!App) return;
    // The filter goes with the application; its window, a widget, must go while the
    // application is still whole: when the event loop ends.
    TheFilter = new THintFilter;
    TheFilter->setParent(App);
    QObject::connect(App, &QCoreApplication::aboutToQuit, TheFilter,
                     [F = TheFilter] { F->ReleaseWindow(); });
    App->installEventFilter(TheFilter);
}

void RemoveHintWindowClass() {
    delete TheFilter;
}
