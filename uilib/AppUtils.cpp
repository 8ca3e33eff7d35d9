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
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QScreen>

#include <algorithm>
#include <cstdint>
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
    // Menus are widgets in Qt but components, not controls, of a form: "TfmX.Menu1".
    const bool Menu =
        qobject_cast<const QMenu*>(Component) || qobject_cast<const QMenuBar*>(Component);
    if (auto* W = qobject_cast<const QWidget*>(Component); W && !Menu) {
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

// A + B, held within the range of int (stored numbers may be any integers).
int SaturatedSum(int A, int B) {
    const int64_t S = int64_t{A} + B;
    return static_cast<int>(std::clamp<int64_t>(S, INT32_MIN, INT32_MAX));
}

// A stored normal rectangle made safe to apply: at least the window's minimum size (and at most
// its maximum), and wholly inside the available area of one screen, the one that holds most of
// it (the primary screen when none does). A rectangle stored on a larger or since removed
// monitor, or one of absurd size, is shrunk to that area and moved into it. Stored numbers are
// any integers: the sums are taken in 64 bits.
TRect FitNormalPosition(const TCustomForm& Form, const TRect& R) {
    const QSize MinSize = Form.minimumSize(), MaxSize = Form.maximumSize();
    auto Fit = [](int64_t V, int Min, int Max) {
        return static_cast<int>(std::max<int64_t>(std::min<int64_t>(V, std::max(Max, Min)), Min));
    };
    int W = Fit(int64_t{R.Right} - R.Left, MinSize.width(), MaxSize.width());
    int H = Fit(int64_t{R.Bottom} - R.Top, MinSize.height(), MaxSize.height());

    const QScreen* Best = QGuiApplication::primaryScreen();
    int64_t BestArea = 0;
    for (const QScreen* S : QGuiApplication::screens()) {
        const QRect A = S->availableGeometry();
        const int64_t Wide = std::min<int64_t>(int64_t{A.x()} + A.width(), int64_t{R.Left} + W) -
                             std::max<int64_t>(A.x(), R.Left);
        const int64_t High = std::min<int64_t>(int64_t{A.y()} + A.height(), int64_t{R.Top} + H) -
                             std::max<int64_t>(A.y(), R.Top);
        if (Wide > 0 && High > 0 && Wide * High > BestArea) {
            BestArea = Wide * High;
            Best = S;
        }
    }
    if (!Best) return {R.Left, R.Top, SaturatedSum(R.Left, W), SaturatedSum(R.Top, H)};
    const QRect Area = Best->availableGeometry();
    W = std::max(std::min(W, Area.width()), MinSize.width());
    H = std::max(std::min(H, Area.height()), MinSize.height());
    const int Left = static_cast<int>(std::max<int64_t>(
        Area.x(), std::min<int64_t>(R.Left, int64_t{Area.x()} + Area.width() - W)));
    const int Top = static_cast<int>(std::max<int64_t>(
        Area.y(), std::min<int64_t>(R.Top, int64_t{Area.y()} + Area.height() - H)));
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
                R = {R.Left, R.Top, SaturatedSum(R.Left, Form->width()),
                     SaturatedSum(R.Top, Form->height())};
            if (int64_t{R.Right} > R.Left && int64_t{R.Bottom} > R.Top) {
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
