// TCustomForm: the base of the program's top-level windows. It gives a Qt main window what the
// settings store and the window placement expect of a form:
//
// - OnShow runs for every show the program asks for (non-spontaneous show events) but not when
//   the window manager de-iconifies the window: restoring settings there would overwrite
//   options the user changed since.
// - OnCloseQuery decides whether a close request closes the window; the form's own handler runs
//   first, then the attached hooks (the settings store saves there).
// - OnDestroy runs once, before the form's members are destroyed: a derived form calls
//   BeforeDestruction() first thing in its destructor (the base destructor calls it too, for
//   forms whose handlers need no members of their own). Hooks run before the form's handler.
// - BorderStyle, BorderIcons, Position and WindowState as the window system knew them, the
//   component name (the object name) and the class name (the Qt class name without namespace:
//   derived forms declare Q_OBJECT), owner and parent.
//
// The first form created is the application's main form until it is destroyed.
//
// Exceptions never leave a Qt event handler: what a handler raises goes to HandleException,
// which shows the message (ShowExceptionHook replaces the message box, in tests for example).
// Everything here belongs to the UI thread.
#pragma once

#include "uilib/CtlUtils.h"

#include <QMainWindow>

#include <cstdint>
#include <exception>
#include <functional>
#include <string>
#include <vector>

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon : unsigned { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = unsigned;
inline constexpr TBorderIcons DefaultBorderIcons = biSystemMenu | biMinimize | biMaximize;
enum TPosition {
    poDesigned,
    poDefault,
    poDefaultPosOnly,
    poDefaultSizeOnly,
    poScreenCenter,
    poDesktopCenter,
    poMainFormCenter,
    poOwnerFormCenter
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };

using TNotifyEvent = std::function<void(QObject* Sender)>;
using TCloseQueryEvent = std::function<void(QObject* Sender, bool& CanClose)>;

// Shows the message of the exception being handled (call inside a catch block) or of E.
void HandleException();
void HandleException(const std::exception& E);
// Replaces the message box of HandleException when set.
extern std::function<void(const std::string& Message)> ShowExceptionHook;

class TCustomForm;
struct TWindowPlacement;

// Something that follows a form's show, close query and destroy. A hook detaches itself when it
// goes away; a form that goes away first forgets its hooks (HookedForm() becomes null).
class TFormHook {
public:
    TFormHook() = default;
    virtual ~TFormHook();
    TFormHook(const TFormHook&) = delete;
    TFormHook& operator=(const TFormHook&) = delete;

    TCustomForm* HookedForm() const { return FHookedForm; }

protected:
    // Before the form's own OnShow.
    virtual void FormShow() {}
    // After the form's own OnCloseQuery.
    virtual void FormCloseQuery(bool& CanClose) { (void)CanClose; }
    // Before the form's own OnDestroy.
    virtual void FormDestroy() {}

private:
    friend class TCustomForm;
    TCustomForm* FHookedForm = nullptr;
};

class TCustomForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TCustomForm(QWidget* Parent = nullptr);
    ~TCustomForm() override;

    std::string Name() const;
    void SetName(const std::string& Value);
    // The class name without namespace ("TfmCatalogMain").
    std::string ClassName() const;
    QObject* Owner() const { return parent(); }
    QWidget* Parent() const { return parentWidget(); }

    // bsDialog makes a dialog window, the tool styles a tool window and bsNone a frameless one.
    // Whether the user may resize the window stays with the form (its size limits); the
    // placement reads the style to keep the size of a window that is not sizeable.
    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle Value);
    // The buttons of the title bar; changing them re-creates a shown window without a new OnShow.
    TBorderIcons BorderIcons() const { return FBorderIcons; }
    void SetBorderIcons(TBorderIcons Value);
    // Where the window goes when shown: poScreenCenter and poDesktopCenter centre it on the
    // primary screen, poMainFormCenter and poOwnerFormCenter over that form; the others leave
    // it where it is.
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition Value) { FPosition = Value; }
    TWindowState WindowState() const;
    void SetWindowState(TWindowState Value);

    TNotifyEvent OnShow;
    TCloseQueryEvent OnCloseQuery;
    TNotifyEvent OnDestroy;

    // Asks the form's own handler, then the hooks; true when the form may close.
    bool CloseQuery();
    // Runs the hooks' and the form's destroy handlers, once.
    void BeforeDestruction();

    void AttachHook(TFormHook* Hook);
    void DetachHook(TFormHook* Hook);

    static TCustomForm* MainForm();
    bool IsMainForm() const { return MainForm() == this; }

protected:
    void showEvent(QShowEvent* Event) override;
    void closeEvent(QCloseEvent* Event) override;
    // The show handling: hooks, then OnShow.
    virtual void DoShow();

private:
    friend bool GetWindowPlacement(const TCustomForm& Form, TWindowPlacement& WP);
    friend bool SetWindowPlacement(TCustomForm& Form, const TWindowPlacement& WP);

    void ApplyWindowFlags();
    void PlaceOnShow();

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = DefaultBorderIcons;
    TPosition FPosition = poDesigned;
    std::vector<TFormHook*> FHooks;
    bool FDestroyed = false;
    bool FRecreating = false;
    // What the window system kept with a window's placement and Qt does not: the positions of
    // the minimized and maximized window and the placement flags.
    TPoint FMinPosition{-1, -1};
    TPoint FMaxPosition{-1, -1};
    uint32_t FPlacementFlags = 0;
};
