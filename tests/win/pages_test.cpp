// The wizard's pages inside the test process, where the installer state and
// the message boxes can be seen directly: the default destination from the
// registry's Program Files folder, a click on page 1 before the later pages
// are made, what "Suivant" on page 2 stores, and the warning for an empty
// destination.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include <windows.h>

#include <optional>
#include <string>

#include "Chemin/Chemin.h"
#include "Recap/Recap.h"
#include "Variable/Variable.h"
#include "install/MainWindows.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/registry.h"

namespace {

const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Sets the registry's Program Files folder for the test's lifetime.
class ProgramFilesAs {
public:
    explicit ProgramFilesAs(const std::string& folder) : previous_(Read()) { Write(folder); }
    ~ProgramFilesAs() { Write(previous_); }
    ProgramFilesAs(const ProgramFilesAs&) = delete;
    ProgramFilesAs& operator=(const ProgramFilesAs&) = delete;

private:
    static std::string Read() {
        const auto key = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_READ);
        return key ? win::ReadRegistryString(key, "ProgramFilesDir").value_or("C:\\Program Files") : "C:\\Program Files";
    }
    static void Write(const std::string& folder) {
        const auto entry = win::CreateRegistryKey(HKEY_LOCAL_MACHINE, kCurrentVersion, KEY_SET_VALUE);
        ASSERT_TRUE(entry.key);
        win::WriteRegistryString(entry.key, "ProgramFilesDir", folder);
    }
    std::string previous_;
};

TEST(DefaultDestination, ProgramFilesFolderThenFolderName) {
    Installer = InstallerState{};
    Installer.DefaultFolderName = "Korvalix";
    {
        ProgramFilesAs folder("C:\\Program Files");
        EXPECT_EQ(DefaultDestination(), "C:\\Program Files\\Korvalix");
    }
    {
        ProgramFilesAs folder("D:\\Logiciels\\");  // no second backslash
        EXPECT_EQ(DefaultDestination(), "D:\\Logiciels\\Korvalix");
    }
    {
        ProgramFilesAs folder("");  // a relative path, as the folder name alone
        EXPECT_EQ(DefaultDestination(), "Korvalix");
    }
}

TEST(ShortcutSummary, FourChoices) {
    EXPECT_EQ(ShortcutSummary(true, true), "Menu démarrer et sur le bureau");
    EXPECT_EQ(ShortcutSummary(true, false), "Menu démarrer");
    EXPECT_EQ(ShortcutSummary(false, true), "Sur le bureau");
    EXPECT_EQ(ShortcutSummary(false, false), "Aucun");
}

class Pages : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::DropQuitMessages();
        Installer = InstallerState{};
        Installer.AppName = "Korvalix32";
        Installer.AppVersion = "2.1";
        Installer.DefaultFolderName = "Korvalix";
        Installer.WorkDir = work.Path();  // the background removes it when it goes
        windows.emplace();
    }
    void TearDown() override { windows.reset(); }

    testing_support::ScratchFolder work{"work"};
    ui::Application application;
    std::optional<MainWindows> windows;
};

// Page 1 reaches the screen before the later pages exist. A click given the
// moment it appears waits in the queue and finds page 2 made.
TEST_F(Pages, AClickAtPageOnesFirstSightReachesPageTwo) {
    ::PostMessageA(::FindWindowExA(Form1->Handle(), nullptr, "Button", "Suivant"), BM_CLICK, 0, 0);
    windows->Show();
    ASSERT_NE(Form2, nullptr);
    EXPECT_TRUE(testing_support::PumpUntil([] { return Form2->Visible(); }));
    EXPECT_EQ(SetupForm->CurrentPage, 2);
    EXPECT_FALSE(Form1->Visible());
}

class OptionsPage : public Pages {
protected:
    void SetUp() override {
        Pages::SetUp();
        windows->CreateLaterPages();
        SetupForm->CurrentPage = 2;
        Form2->Show();
    }

    HWND Control(HWND page, const char* className, const char* text) {
        return ::FindWindowExA(page, nullptr, className, text);
    }
    HWND Edit() { return Control(Form2->Handle(), "Edit", nullptr); }
    std::string EditText() {
        char text[MAX_PATH] = "";
        ::GetWindowTextA(Edit(), text, sizeof text);
        return text;
    }
    void Click(HWND page, const char* text) { ::SendMessageA(Control(page, "Button", text), BM_CLICK, 0, 0); }
};

TEST_F(OptionsPage, SuivantStoresTheFolderWithBackslashAndTheCheckBoxes) {
    ASSERT_EQ(EditText(), "C:\\Program Files\\Korvalix");
    ::SetWindowTextA(Edit(), "D:\\Jeux");
    Click(Form2->Handle(), "Ajouter un groupe de programme dans le menu démarrer");  // clears it
    Click(Form2->Handle(), "Ajouter un raccourci sur le bureau");                    // sets it
    Click(Form2->Handle(), "Suivant");
    EXPECT_EQ(Installer.InstallDir, "D:\\Jeux\\");
    EXPECT_FALSE(Installer.WantStartMenu);
    EXPECT_TRUE(Installer.WantDesktop);
    EXPECT_EQ(SetupForm->CurrentPage, 3);
    EXPECT_TRUE(Form3->Visible());
    EXPECT_FALSE(Form2->Visible());
    EXPECT_NE(Control(Form3->Handle(), "Static", "Sur le bureau"), nullptr);
    EXPECT_NE(Control(Form3->Handle(), "Static", "D:\\Jeux\\"), nullptr);

    // A folder that already ends with a backslash keeps just the one.
    Click(Form3->Handle(), "Précédent");
    ASSERT_TRUE(Form2->Visible());
    ::SetWindowTextA(Edit(), "E:\\Jeux\\");
    Click(Form2->Handle(), "Suivant");
    EXPECT_EQ(Installer.InstallDir, "E:\\Jeux\\");
}

TEST_F(OptionsPage, EmptyFolderWarnsOnceAndStoresNothing) {
    ui::ScopedDialogCapture dialogs([&](const ui::DialogRequest&) {
        EXPECT_EQ(EditText(), "") << "the default comes back once the box is closed";
        return ui::DialogResult::Ok;
    });
    ::SetWindowTextA(Edit(), "");
    Click(Form2->Handle(), "Suivant");
    const ui::DialogRequest box = testing_support::OnlyBox(dialogs);
    EXPECT_EQ(box.kind, ui::DialogKind::Warning);
    EXPECT_EQ(box.title, "Avertissement");
    EXPECT_EQ(box.text, "Veuillez choisir un dossier de destination !");
    EXPECT_EQ(box.buttons, ui::DialogButtons::Ok);
    EXPECT_EQ(EditText(), "C:\\Program Files\\Korvalix");
    EXPECT_EQ(Installer.InstallDir, "");
    EXPECT_FALSE(Installer.WantStartMenu);
    EXPECT_EQ(SetupForm->CurrentPage, 2);
    EXPECT_TRUE(Form2->Visible());
    EXPECT_FALSE(Form3->Visible());
}

}  // namespace
