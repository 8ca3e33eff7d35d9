#include "AppUtils.h"

#include "platform/Format.h"
#include "platform/IniFiles.h"
#include "platform/Registry.h"
#include "platform/SysUtils.h"
#include "uilib/Forms.h"
#include "uilib/StrUtils.h"
#include "uilib/WindowPlacement.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>

#include <unistd.h>

std::function<std::string()> DefaultIniNameHook;
std::string RegistryCompanyName;
bool RegistryUseAppTitle = false;

namespace {

std::string ExecutableName() {
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    char Buf[4096];
    ssize_t N = ::readlink("/proc/self/exe", Buf, sizeof Buf - 1);
    return N > 0 ? ExtractFileName(std::string(Buf, static_cast<size_t>(N))) : "";
}

std::string WithoutExtension(const std::string& Name) {
    return Name.substr(0, Name.size() - ExtractFileExt(Name).size());
}

const TCustomForm* ParentForm(const QWidget* W) {
    const QWidget* Top = W;
    while (Top->parentWidget())
        Top = Top->parentWidget();
    return Top != W ? qobject_cast<const TCustomForm*>(Top) : nullptr;
}

} // namespace

std::string DefaultStorageSection(const QObject* Component) {
    if (!Component) return {};
    if (auto* Form = qobject_cast<const TCustomForm*>(Component)) return Form->ClassName();
    const std::string Name = Component->objectName().toStdString();
    if (auto* W = qobject_cast<const QWidget*>(Component)) {
        if (const TCustomForm* Form = ParentForm(W)) return Form->ClassName() + Name;
        if (W->parentWidget()) return W->parentWidget()->objectName().toStdString() + Name;
        return Name;
    }
    if (auto* Owner = qobject_cast<const TCustomForm*>(Component->parent()))
        return Format("%s.%s", {Owner->ClassName(), Name});
    return Name;
}

std::string DefaultIniFileName() {
    if (DefaultIniNameHook) return DefaultIniNameHook();
    return WithoutExtension(ExecutableName()) + ".INI";
}

std::string DefaultRegistryKey() {
    std::string Base;
    if (RegistryUseAppTitle && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        Base = QGuiApplication::applicationDisplayName().toStdString();
    if (Base.empty()) Base = WithoutExtension(ExecutableName());
    if (!RegistryCompanyName.empty()) Base = RegistryCompanyName + "\\" + Base;
    return "Software\\" + Base;
}

std::string StorageReadString(TCustomIniFile* Storage, const std::string& Section,
                              const std::string& Ident, const std::string& Default) {
    return Storage ? Storage->ReadString(Section, Ident, Default) : Default;
}

void StorageWriteString(TCustomIniFile* Storage, const std::string& Section,
                        const std::string& Ident, const std::string& Value) {
    if (!Storage) return;
    if (dynamic_cast<TIniFile*>(Storage) && !Value.empty() && Value.front() == Value.back() &&
        (Value.front() == '"' || Value.front() == '\'')) {
        Storage->WriteString(Section, Ident, '"' + Value + '"');
        return;
    }
    Storage->WriteString(Section, Ident, Value);
}

int StorageReadInteger(TCustomIniFile* Storage, const std::string& Section,
                       const std::string& Ident, int Default) {
    return Storage ? Storage->ReadInteger(Section, Ident, Default) : Default;
}

void StorageWriteInteger(TCustomIniFile* Storage, const std::string& Section,
                         const std::string& Ident, int Value) {
    if (Storage) Storage->WriteInteger(Section, Ident, Value);
}

void StorageEraseSection(TCustomIniFile* Storage, const std::string& Section) {
    if (Storage) Storage->EraseSection(Section);
}

void StorageDeleteKey(TCustomIniFile* Storage, const std::string& Section,
                      const std::string& Ident) {
    if (Storage) Storage->DeleteKey(Section, Ident);
}

std::string ScreenSizeSuffix() {
    return Format("(%dx%d)", {ScreenWidth(), ScreenHeight()});
}

std::string StorageReadScreenString(TCustomIniFile* Storage, const std::string& Section,
                                    const std::string& Ident) {
    std::string S = StorageReadString(Storage, Section, Ident + ScreenSizeSuffix(), "");
    return S.empty() ? StorageReadString(Storage, Section, Ident, "") : S;
}

void StorageWriteScreenString(TCustomIniFile* Storage, const std::string& Section,
                              const std::string& Ident, const std::string& Value) {
    StorageWriteString(Storage, Section, Ident + ScreenSizeSuffix(), Value);
    StorageWriteString(Storage, Section, Ident, Value);
}

// ---- window placement ------------------------------------------------------------------------

namespace {

const TCharSet PlacementDelims = " ,";

int Word(const std::string& S, int N, int Default) {
    return StrToIntDef(GetWord(N, S, PlacementDelims), Default);
}

// A stored normal rectangle made safe to apply: at least the window's minimum size (and at most
// its maximum), and on a screen. A window must show a piece of its top edge, where the title
// bar is grabbed, on some screen; one stored on a larger or since removed monitor is moved, and
// if need be shrunk, into the primary screen's available area.
TRect FitNormalPosition(const TCustomForm& Form, TRect R) {
    const QSize MinSize = Form.minimumSize(), MaxSize = Form.maximumSize();
    int W = std::max(RectWidth(R), MinSize.width());
    int H = std::max(RectHeight(R), MinSize.height());
    W = std::min(W, std::max(MaxSize.width(), MinSize.width()));
    H = std::min(H, std::max(MaxSize.height(), MinSize.height()));
    R.Right = R.Left + W;
    R.Bottom = R.Top + H;

    const QRect TopEdge(R.Left, R.Top, W, std::min(H, 32));
    for (const QScreen* S : QGuiApplication::screens()) {
        const QRect Seen = S->availableGeometry().intersected(TopEdge);
        if (Seen.height() == TopEdge.height() && Seen.width() >= std::min(W, 64)) return R;
    }
    const QScreen* Primary = QGuiApplication::primaryScreen();
    if (!Primary) return R;
    const QRect Area = Primary->availableGeometry();
    W = std::max(std::min(W, Area.width()), MinSize.width());
    H = std::max(std::min(H, Area.height()), MinSize.height());
    const int Left = std::max(Area.x(), std::min(R.Left, Area.x() + Area.width() - W));
    const int Top = std::max(Area.y(), std::min(R.Top, Area.y() + Area.height() - H));
    return {Left, Top, Left + W, Top + H};
}

} // namespace

void SaveWindowPlacement(TCustomForm* Form, TCustomIniFile* Storage, const std::string& Section) {
    if (!Form) return;
    TWindowPlacement WP;
    GetWindowPlacement(*Form, WP);
    StorageWriteInteger(Storage, Section, "Flags", static_cast<int>(WP.flags));
    StorageWriteInteger(Storage, Section, "ShowCmd", static_cast<int>(WP.showCmd));
    StorageWriteInteger(Storage, Section, "PixelsPerInch", ScreenPixelsPerInch());
    StorageWriteScreenString(Storage, Section, "MinMaxPos",
                             Format("%d,%d,%d,%d", {WP.ptMinPosition.X, WP.ptMinPosition.Y,
                                                    WP.ptMaxPosition.X, WP.ptMaxPosition.Y}));
    const TRect& N = WP.rcNormalPosition;
    StorageWriteScreenString(Storage, Section, "NormPos",
                             Format("%d,%d,%d,%d", {N.Left, N.Top, N.Right, N.Bottom}));
}

void LoadWindowPlacement(TCustomForm* Form, TCustomIniFile* Storage, const std::string& Section,
                         bool LoadState, bool LoadPosition) {
    if (!Form || (!LoadState && !LoadPosition)) return;
    TWindowPlacement WP;
    GetWindowPlacement(*Form, WP);
    if (!Form->isVisible()) WP.showCmd = SW_HIDE;

    if (LoadPosition) {
        bool Found = false;
        WP.flags = static_cast<uint32_t>(
            StorageReadInteger(Storage, Section, "Flags", static_cast<int>(WP.flags)));
        std::string S = StorageReadScreenString(Storage, Section, "MinMaxPos");
        if (!S.empty()) {
            Found = true;
            WP.ptMinPosition = {Word(S, 1, 0), Word(S, 2, 0)};
            WP.ptMaxPosition = {Word(S, 3, 0), Word(S, 4, 0)};
        }
        S = StorageReadScreenString(Storage, Section, "NormPos");
        if (!S.empty()) {
            Found = true;
            const QRect G = Form->geometry();
            WP.rcNormalPosition = {Word(S, 1, G.x()), Word(S, 2, G.y()),
                                   Word(S, 3, G.x() + G.width()), Word(S, 4, G.y() + G.height())};
        }
        const int Ppi = ScreenPixelsPerInch();
        if (StorageReadInteger(Storage, Section, "PixelsPerInch", Ppi) != Ppi) Found = false;
        if (Found) {
            TRect& R = WP.rcNormalPosition;
            if (Form->BorderStyle() != bsSizeable && Form->BorderStyle() != bsSizeToolWin)
                R = {R.Left, R.Top, R.Left + Form->width(), R.Top + Form->height()};
            if (RectWidth(R) > 0 && RectHeight(R) > 0) {
                R = FitNormalPosition(*Form, R);
                if (Form->Position() == poScreenCenter || Form->Position() == poDesktopCenter)
                    Form->SetPosition(poDesigned);
                SetWindowPlacement(*Form, WP);
            }
        }
    }

    if (LoadState) {
        TWindowState State = wsNormal;
        const bool IsMain = !TCustomForm::MainForm() || Form->IsMainForm();
        if (IsMain && Form->Position() == poDefault) State = wsMaximized;
        switch (StorageReadInteger(Storage, Section, "ShowCmd", 0)) {
        case 1:
        case 5:
        case 9: State = wsNormal; break;
        case 2:
        case 6:
        case 7: State = wsMinimized; break;
        case 3: State = wsMaximized; break;
        default: break;
        }
        if (State == wsMinimized && IsMain) {
            // The main window is minimized once it is up, not while it is still being shown.
            QPointer<TCustomForm> Guard(Form);
            QMetaObject::invokeMethod(
                Form,
                [Guard] {
                    if (Guard) Guard->SetWindowState(wsMinimized);
                },
                Qt::QueuedConnection);
            return;
        }
        Form->SetWindowState(State);
    }
    Form->update();
}

void SaveWindowPlacementToRegistry(TCustomForm* Form, TRegIniFile* Storage,
                                   const std::string& Section) {
    SaveWindowPlacement(Form, Storage, Section);
}

void SaveWindowPlacementToIni(TCustomForm* Form, TIniFile* Storage, const std::string& Section) {
    SaveWindowPlacement(Form, Storage, Section);
}

void LoadWindowPlacementFromRegistry(TCustomForm* Form, TRegIniFile* Storage,
                                     const std::string& Section, bool LoadState,
                                     bool LoadPosition) {
    LoadWindowPlacement(Form, Storage, Section, LoadState, LoadPosition);
}

void LoadWindowPlacementFromIni(TCustomForm* Form, TIniFile* Storage, const std::string& Section,
                                bool LoadState, bool LoadPosition) {
    LoadWindowPlacement(Form, Storage, Section, LoadState, LoadPosition);
}
