// The folder dialog under Wine, driven from a second thread as a user would:
// found by its caption, read, and closed with OK or Cancel.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <future>
#include <string>
#include <vector>

#include "ShBrowseU/ShBrowseU.h"
#include "core/background.h"
#include "ui/application.h"
#include "support/test_support.h"
#include "win/files.h"
#include "win/handle.h"

using namespace testing_support;

namespace {

const char* const kCaption = "Veuillez choisir le répertoire d'installation";

struct DialogSeen {
    bool found = false;
    bool clicked = false;
    RECT rect{};
    std::string caption;
};

// Waits for the dialog and its initial selection, notes what it shows, then
// clicks `button`.
std::future<DialogSeen> Press(int button) {
    return WhenWindowShows(kCaption, [button](HWND dialog) {
        DialogSeen seen;
        if (!dialog) return seen;
        seen.found = true;
        robot::WaitUntil([&] { return _stricmp(FolderDialogSelection(dialog).c_str(), "windows") == 0; });
        ::GetWindowRect(dialog, &seen.rect);
        seen.caption = robot::Text(dialog);
        seen.clicked = robot::Click(::GetDlgItem(dialog, button));
        return seen;
    });
}

class ShBrowseTest : public ::testing::Test {
protected:
    ui::Application application;
    std::string folder = win::WindowsFolder();
};

TEST_F(ShBrowseTest, CreationValues) {
    TShBrowse browser;
    EXPECT_EQ(browser.Handle, nullptr);
    EXPECT_EQ(browser.Caption, "Browse for Folder");
    EXPECT_EQ(browser.Title, "Select folder");
    EXPECT_TRUE(browser.Folder.empty());
    EXPECT_TRUE(browser.InitialFolder.empty());
    EXPECT_EQ(browser.Left, 0);
    EXPECT_EQ(browser.Top, 0);
    EXPECT_EQ(browser.ImageIndex, 0);
    EXPECT_EQ(browser.Flags, 0u);
    EXPECT_FALSE(browser.OnValidate);
}

TEST_F(ShBrowseTest, OkReturnsTheInitialFolderFromACentredDialog) {
    TShBrowse browser;
    browser.Caption = kCaption;
    browser.Title = "Dossier d'installation de Korvalix32 :";
    browser.InitialFolder = folder;
    browser.Left = 100;  // Top still 0: both are replaced
    auto person = Press(IDOK);
    const bool chosen = browser.Execute();
    const DialogSeen seen = person.get();

    ASSERT_TRUE(seen.clicked);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(seen.caption, kCaption);
    EXPECT_EQ(browser.Folder, folder);
    RECT workArea;
    ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    EXPECT_EQ(browser.Left, core::CentredOffset(workArea.right - workArea.left, seen.rect.right - seen.rect.left));
    EXPECT_EQ(browser.Top, core::CentredOffset(workArea.bottom - workArea.top, seen.rect.bottom - seen.rect.top));
    EXPECT_EQ(seen.rect.left, browser.Left);
    EXPECT_EQ(seen.rect.top, browser.Top);
    EXPECT_NE(browser.Handle, nullptr);  // the dialog's own window
}

TEST_F(ShBrowseTest, CancelReturnsFalseAndKeepsFolder) {
    TShBrowse browser;
    browser.Caption = kCaption;
    browser.InitialFolder = folder;
    browser.Folder = "inchangé";
    browser.Left = 40;
    browser.Top = 30;  // both set: kept
    auto person = Press(IDCANCEL);
    EXPECT_FALSE(browser.Execute());
    const DialogSeen seen = person.get();
    ASSERT_TRUE(seen.clicked);
    EXPECT_EQ(browser.Folder, "inchangé");
    EXPECT_EQ(seen.rect.left, 40);
    EXPECT_EQ(seen.rect.top, 30);
}

// What the dialog is told about its OK button, as it is told: Wine's dialog
// applies its own rules to OK right after the callback, so the button's
// state cannot show the handler's answer.
std::vector<std::pair<HWND, LPARAM>> okRequests;

LRESULT CALLBACK RecordOkRequests(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
    if (code == HC_ACTION && call->message == BFFM_ENABLEOK) okRequests.emplace_back(call->hwnd, call->lParam);
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// The handler refuses the initial folder and accepts the next one a person
// moves to with the keyboard: OK is disabled, then enabled, and gives that
// folder.
TEST_F(ShBrowseTest, ValidationDecidesAtEverySelectionChange) {
    TShBrowse browser;
    browser.Caption = kCaption;
    browser.InitialFolder = folder;
    std::vector<std::string> validated;
    std::atomic<int> accepted = 0;
    browser.OnValidate = [&](TShBrowse& sender, const std::string& path) {
        EXPECT_EQ(&sender, &browser);
        validated.push_back(path);
        if (path == folder) return false;
        ++accepted;
        return true;
    };
    okRequests.clear();
    const win::WindowHook hook(::SetWindowsHookExA(WH_CALLWNDPROC, RecordOkRequests, nullptr, ::GetCurrentThreadId()));
    ASSERT_TRUE(hook);
    auto person = WhenWindowShows(kCaption, [&accepted](HWND dialog) {
        const auto treeHasFocus = [&] { return robot::ClassName(robot::FocusedControl(dialog)) == "SysTreeView32"; };
        const bool movedOn =
            dialog && robot::WaitUntil([&] { return _stricmp(FolderDialogSelection(dialog).c_str(), "windows") == 0; }) &&
            robot::PressUntil(dialog, "shift+Tab", treeHasFocus) &&
            robot::PressUntil(dialog, "Up", [&] { return accepted > 0; });
        if (movedOn) return robot::Click(::GetDlgItem(dialog, IDOK));
        // Left open, the dialog would hold the test until CTest's timeout.
        if (dialog) robot::Close(dialog);
        return false;
    });
    const bool chosen = browser.Execute();
    ASSERT_TRUE(person.get());
    EXPECT_TRUE(chosen);
    EXPECT_NE(browser.Folder, folder);
    ASSERT_FALSE(validated.empty());
    EXPECT_EQ(validated.back(), browser.Folder) << "the last folder asked about is the one chosen";

    std::vector<LPARAM> told;
    for (const auto& [window, enable] : okRequests)
        if (window == browser.Handle) told.push_back(enable);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.front(), 0) << "the initial folder is refused: OK disabled";
    EXPECT_EQ(told.back(), 1) << "the folder chosen is accepted: OK enabled";
}

TEST_F(ShBrowseTest, ItemWithoutFileSystemPathGivesEmptyText) {
    LPITEMIDLIST computer = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &computer), S_OK);
    EXPECT_EQ(TShBrowse::ItemListToPath(computer, true), "");

    LPITEMIDLIST windows = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_WINDOWS, &windows), S_OK);
    EXPECT_EQ(TShBrowse::ItemListToPath(windows, false), folder);
    EXPECT_EQ(TShBrowse::ItemListToPath(windows, true), folder);
}

}  // namespace
