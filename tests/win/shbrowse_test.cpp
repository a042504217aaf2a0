// The folder dialog under Wine, driven from a second thread as a user would:
// found by its caption, read, and closed with OK or Cancel.
#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <future>
#include <string>

#include "ShBrowseU/ShBrowseU.h"
#include "core/background.h"
#include "ui/application.h"
#include "support/test_support.h"
#include "win/files.h"

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

TEST_F(ShBrowseTest, ValidationDecidesAtEverySelectionChange) {
    TShBrowse browser;
    browser.Caption = kCaption;
    browser.InitialFolder = folder;
    int calls = 0;
    std::string seenPath;
    browser.OnValidate = [&](TShBrowse& sender, const std::string& path) {
        EXPECT_EQ(&sender, &browser);
        ++calls;
        seenPath = path;
        return true;
    };
    auto person = Press(IDOK);
    EXPECT_TRUE(browser.Execute());
    EXPECT_TRUE(person.get().clicked);
    EXPECT_GE(calls, 1);
    EXPECT_EQ(seenPath, folder);
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
