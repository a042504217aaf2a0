// install.exe from start to end, driven as a user would: each way of ending
// the program removes the work copy of the manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <optional>
#include <string>

#include "win/files.h"
#include "win/handle.h"
#include "wizard/wizard_driver.h"

namespace {

class InstallExit : public ::testing::Test {
protected:
    void SetUp() override {
        win::DeleteFileIfPresent(wizard::WorkCopy());
        installer.emplace();
        ASSERT_TRUE(installer->Started());
        background = installer->Background();
        page = installer->Page(1);
        ASSERT_TRUE(win::FileExists(wizard::WorkCopy())) << "the program runs with its work copy";
    }
    // Ends with status 0 within the time a user would wait.
    bool Ended() { return installer->WaitForExit() == 0; }
    void ClickAnnuler() { robot::Click(robot::FindControl(page, "Annuler", "Button")); }
    void AnswerCloseQuestion(int button) {
        ::PostMessageA(background, WM_CLOSE, 0, 0);
        HWND box = robot::WaitForClass(installer->Id(), "#32770");
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(robot::Text(box), "Confirmation");
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
    }

    std::optional<wizard::Installer> installer;  // ends the program if a test leaves it running
    HWND background = nullptr;
    HWND page = nullptr;
};

TEST_F(InstallExit, BackgroundIsMaximizedBehindThePage) {
    // The state only: on a bare X server without a window manager, Wine
    // leaves the size of a maximized window to the (absent) manager.
    EXPECT_TRUE(::IsZoomed(background));
    WINDOWPLACEMENT placement{sizeof placement};
    ASSERT_TRUE(::GetWindowPlacement(background, &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    POINT corner{0, 0};
    ::ClientToScreen(page, &corner);
    EXPECT_GT(corner.x, 0);
    ClickAnnuler();
    EXPECT_TRUE(Ended());
}

TEST_F(InstallExit, AnnulerOnThePage) {
    ASSERT_NE(robot::FindControl(page, "Annuler", "Button"), nullptr);
    ClickAnnuler();
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));
}

TEST_F(InstallExit, OuiToTheCloseQuestion) {
    AnswerCloseQuestion(IDOK);
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));
}

TEST_F(InstallExit, NonKeepsTheProgramThenAnnulerEndsIt) {
    AnswerCloseQuestion(IDCANCEL);
    ::Sleep(500);
    EXPECT_EQ(installer->WaitForExit(0), STILL_ACTIVE);
    EXPECT_TRUE(::IsWindowVisible(page));
    EXPECT_TRUE(win::FileExists(wizard::WorkCopy()));
    ClickAnnuler();
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));
}

TEST(InstallManifest, AsksForAdministratorAndDeclaresDpiAwareness) {
    const std::string path = wizard::InstallExe();
    win::Module module(::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(module);
    HRSRC resource = ::FindResourceA(module.get(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));  // RT_MANIFEST
    ASSERT_NE(resource, nullptr);
    const char* bytes = static_cast<const char*>(::LockResource(::LoadResource(module.get(), resource)));
    const std::string manifest(bytes, ::SizeofResource(module.get(), resource));
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"), std::string::npos);
}

}  // namespace
