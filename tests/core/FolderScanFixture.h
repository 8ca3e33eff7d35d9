// The fixture of the scan and synchronise tests: a catalog, a temporary folder, and hooks that
// record what the user would see (properties dialogs, messages, the main window's state).
#pragma once

#include "CatalogTestSupport.h"
#include "core/FolderScan.h"
#include "tests/TestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// Waits for every running scan, serving their calls, until each thread is gone. A scan is
// alive while it is in ScanThreads (it leaves the list through a call this thread serves).
inline void WaitForScans() {
    while (!ScanThreads.IsEmpty())
        ScanThreads.Last()->WaitFor();
}

inline TBasicItem* Child(TBasicItem* Parent, std::string_view Name) {
    TBasicItems* C = Parent->Children();
    for (int I = 0; I < C->Count(); ++I)
        if (C->At(I)->Name() == Name) return C->At(I);
    return nullptr;
}

inline std::vector<std::string> ChildNames(TBasicItem* Parent) {
    std::vector<std::string> R;
    for (int I = 0; I < Parent->Children()->Count(); ++I)
        R.emplace_back(Parent->Children()->At(I)->Name());
    return R;
}

// A progress window through which a test acts at the moments a run shows itself: when the
// window appears (before the walk) and at each new label (after a folder was read).
struct ScriptedWindow : TProgressWindow {
    TThread* T = nullptr;
    std::function<void(TThread*)> OnShow, OnText;
    void SetMode(uint8_t) override {}
    uint8_t Mode() const override { return 2; }
    void SetThread(TThread* Th) override { T = Th; }
    TThread* Thread() const override { return T; }
    void ShowProgress() override {
        if (OnShow) OnShow(T);
    }
    void HideProgress() override {}
    void SetText(const std::string&) override {
        if (OnText && T) OnText(T);
    }
    std::string Text() const override { return {}; }
};

struct Scan : ::testing::Test {
    TempDir D;
    TestCatalog Cat;
    std::vector<TBasicItem*> Dialogs;
    std::vector<std::string> Messages; // what the user was told
    int Disabled = 0, Enabled = 0;

    void SetUp() override {
        SetDefaultOptions();
        ShowItemPropertiesProc = [this](TBasicItem* I) { Dialogs.push_back(I); };
        EnableMainWindowProc = [this](bool E) { ++(E ? Enabled : Disabled); };
        ShowCatalogErrorHook = [this](const std::string& M) { Messages.push_back(M); };
        VolumeQuestionProc = nullptr;
    }
    void TearDown() override {
        ShowItemPropertiesProc = nullptr;
        EnableMainWindowProc = nullptr;
        ShowCatalogErrorHook = nullptr;
        VolumeQuestionProc = nullptr;
        CreateProgressWindowProc = nullptr;
    }
    // The next runs act through a ScriptedWindow with these hooks.
    void Script(std::function<void(TThread*)> OnShow, std::function<void(TThread*)> OnText) {
        CreateProgressWindowProc = [OnShow, OnText](TProgressOwner) {
            auto W = std::make_unique<ScriptedWindow>();
            W->OnShow = OnShow;
            W->OnText = OnText;
            return W;
        };
    }
    TFileCollection* FirstScan(const std::string& Path) {
        auto* C = new TFileCollection(Cat->Children());
        C->SetItemName("Disk");
        C->SetRootPath(Path);
        Cat->Types()->AddItem(C);
        C->StartScan();
        WaitForScans();
        return C;
    }
    void Synchronise(TBasicItem* Item) {
        auto* T = new TFolderScanThread(Item, 1);
        T->Resume();
        WaitForScans();
    }
};
