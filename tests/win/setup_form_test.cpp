// The background window under Wine and Xvfb: its gradient and title as
// pixels, the page it keeps in front, the close question, and the removal of
// the work copy of the manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

#include "General/WorkDir.h"
#include "SetupFrm/SetupFrm.h"
#include "Variable/Variable.h"
#include "install/StandInPage.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "win/files.h"

namespace {

class SetupFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        Installer = InstallerState{};
        Installer.AppName = "Korvalix32";
        Installer.WorkDir = win::TempFolder();
        ASSERT_FALSE(Installer.WorkDir.empty());
        setupForm = ui::CreateForm<TSetupForm>();
        SetupForm = setupForm.get();
        page = ui::CreateForm<TStandInPage>();
        Form1 = page.get();
    }
    void TearDown() override {
        Form1 = nullptr;
        page.reset();
        SetupForm = nullptr;
        setupForm.reset();
    }
    // Lets the windows handle what is waiting, for a while.
    void Pump(int milliseconds = 300) {
        const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
        while (static_cast<int>(end - ::GetTickCount()) > 0) {
            application.ProcessMessages();
            ::Sleep(10);
        }
    }

    ui::Application application;
    ui::FormPtr<TSetupForm> setupForm;
    ui::FormPtr<TStandInPage> page;
};

TEST_F(SetupFormTest, CreationSetsTheCaptionAndFirstShowRaisesPageOne) {
    EXPECT_EQ(SetupForm->Caption(), "Installation de Korvalix32");
    EXPECT_EQ(Form1->Caption(), "Installation de Korvalix32");
    EXPECT_EQ(SetupForm->CurrentPage, 0);
    EXPECT_EQ(application.MainForm(), SetupForm);
    EXPECT_FALSE(SetupForm->Visible());
    EXPECT_FALSE(Form1->Visible());

    SetupForm->Show();
    Pump();
    EXPECT_EQ(SetupForm->CurrentPage, 1);
    EXPECT_TRUE(::IsZoomed(SetupForm->Handle()));
    EXPECT_TRUE(Form1->Visible());
    // The page is centred on the screen the first time it shows.
    RECT rect;
    ::GetWindowRect(Form1->Handle(), &rect);
    EXPECT_NEAR((rect.left + rect.right) / 2, ::GetSystemMetrics(SM_CXSCREEN) / 2, 1);
    EXPECT_NEAR((rect.top + rect.bottom) / 2, ::GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    RECT client;
    ::GetClientRect(Form1->Handle(), &client);
    EXPECT_EQ(client.right, 458);
    EXPECT_EQ(client.bottom, 209);
}

}  // namespace
