// When the program's hints show and hide.
//
// THintFilter is an application event filter: it takes the toolkit's tool-tip event of a widget
// and shows the shaped hint window (ShapedHints.h) in place of the toolkit's tooltip. A hint is
// the widget's tool-tip text up to its first "|" (an action's hint holds its tool-tip and its
// status-bar text divided by a bar). A widget without a tool-tip leaves the event to the
// toolkit, which passes it on to the parent. A form whose hints are off (SetShowHint) shows no
// hint at all, neither ours nor the toolkit's.
//
// The hint goes when the cursor leaves the widget, on a click, a key, the wheel, when the
// window loses the activation, and after HintHidePause; after that pause it stays away until the
// cursor has left the widget.
//
// Owns the hint window; belongs to the application object. UI thread only.
#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QTimer>

#include <memory>

class QHelpEvent;
class QWidget;
class TShapedHintWindow;

// How long a hint stays up, in milliseconds.
inline constexpr int HintHidePause = 2500;

// Switches the hints of Control and the widgets inside it that do not set their own (a form
// with hints off shows none).
void SetShowHint(QWidget* Control, bool Value);
// Whether Control shows hints: the setting of Control or of its nearest parent that has one,
// up to its window; true when none has.
bool ShowHintOf(const QWidget* Control);
// The part of Hint before the first "|" (all of it without a bar).
QString GetShortHint(const QString& Hint);

class THintFilter : public QObject {
    Q_OBJECT

public:
    THintFilter();
    ~THintFilter() override;

    // The filter installed by InstallHintWindowClass, or null.
    static THintFilter* Instance();

    TShapedHintWindow* HintWindow() const { return FWindow.get(); }
    // The widget whose hint is up, or null.
    QWidget* HintControl() const;
    // Hides the hint.
    void CancelHint();
    // Frees the hint window (a new one is made for the next hint).
    void ReleaseWindow();

protected:
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    bool ShowHintFor(QWidget* Control, QHelpEvent* Event);

    std::unique_ptr<TShapedHintWindow> FWindow;
    QPointer<QWidget> FControl;
    QRect FCursorRect; // the control in screen coordinates
    bool FTimedOut = false;
    QTimer FHideTimer;
};

// Makes the shaped hint window the application's hint window: installs a new THintFilter
// (freeing an earlier one and its window). Needs the QApplication; the filter is its child and
// frees its window when the event loop ends.
void InstallHintWindowClass();
// Takes the filter out again (the toolkit's tooltips come back).
void RemoveHintWindowClass();
