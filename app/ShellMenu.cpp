#include "ShellMenu.h"

#include "app/UserDialogs.h"
#include "platform/DesktopEntries.h"
#include "platform/SysUtils.h"

namespace {

enum TCommand : int { cmOpen = 1, cmContainingFolder, cmCopyPath, cmFirstApplication = 100 };

// A name as a menu caption: "&" is itself, not the mark of a shortcut letter.
std::string MenuCaption(const std::string& Name) {
    std::string R;
    for (char C : Name) {
        R += C;
        if (C == '&') R += '&';
    }
    return R;
}

TShellCommand Command(std::string Caption, int Id = -1) {
    TShellCommand C;
    C.Caption = std::move(Caption);
    C.Id = Id;
    return C;
}

class TDesktopContextMenu final : public TShellContextMenu {
public:
    std::vector<TShellCommand> QueryContextMenu(const std::string& Path) override {
        FApplications =
            ApplicationsForMimeTypes(MimeTypesOfFile(Path), XdgFoldersFromEnvironment());
        std::vector<TShellCommand> Menu;
        Menu.push_back(Command("Open", cmOpen));
        if (!FApplications.empty()) {
            TShellCommand With = Command("Open With");
            for (size_t I = 0; I < FApplications.size(); ++I)
                With.Children.push_back(Command(MenuCaption(FApplications[I].Name),
                                                cmFirstApplication + static_cast<int>(I)));
            Menu.push_back(std::move(With));
        }
        Menu.push_back(Command("Open Containing Folder", cmContainingFolder));
        Menu.push_back(Command("-"));
        Menu.push_back(Command("Copy Path", cmCopyPath));
        return Menu;
    }

    void InvokeCommand(const std::string& Path, int Id) override {
        switch (Id) {
        case cmOpen: ShellOpenOrSay(Path); return;
        case cmContainingFolder: ShellOpenOrSay(ContainingFolder(Path)); return;
        case cmCopyPath: UserDialogs().CopyPath(Path); return;
        default: break;
        }
        const size_t I = static_cast<size_t>(Id - cmFirstApplication);
        if (Id < cmFirstApplication || I >= FApplications.size()) return;
        std::vector<std::string> Argv;
        if (ExecArguments(FApplications[I].Exec, Path, Argv)) UserDialogs().StartProgram(Argv);
    }

private:
    static std::string ContainingFolder(const std::string& Path) {
        std::string P = Path;
        while (P.size() > 1 && P.back() == '/')
            P.pop_back();
        const std::string Folder = ExtractFilePath(P);
        return Folder.empty() ? std::string("/") : Folder;
    }

    std::vector<TDesktopApp> FApplications; // those of the last query, by command identifier
};

} // namespace

std::unique_ptr<TShellContextMenu> NewDesktopContextMenu() {
    return std::make_unique<TDesktopContextMenu>();
}

std::function<std::unique_ptr<TShellContextMenu>()> ShellContextMenuFactory = NewDesktopContextMenu;
