// The installer and the uninstaller by keyboard alone, with real key presses
// into the test's own X server (robot::PressKeys): the keys reach only the
// window in front, and only through the control that holds the focus, as a
// person's do.  After each step some control of the window must hold the
// focus, or the next keys would go nowhere.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "support/test_support.h"
#include "win/files.h"
#include "wizard/installation_checks.h"
#include "wizard/wizard_driver.h"

namespace {

using namespace wizard;
using namespace std::chrono_literals;

// As page 4 says it.
const char* const kFailureText = "L'installation a échouée !";
const char* const kStartMenu = "Ajouter un groupe de programme dans le menu démarrer";
const char* const kDesktop = "Ajouter un raccourci sur le bureau";

// The text of the control that holds the focus in `window`, once the focus
// is `expected`'s; what it is after a while otherwise ("<none>" when no
// control has it).
std::string FocusAfterKeys(HWND window, const std::string& expected) {
    const auto text = [&] {
        HWND focus = robot::FocusedControl(window);
        return focus ? robot::Text(focus) : std::string("<none>");
    };
    robot::WaitUntil([&] { return text() == expected; }, 5s);
    return text();
}

// Presses Tab (or Shift+Tab) once for each control of `order` after the
// first, and checks that the focus goes from one to the next.
void ExpectTabOrder(HWND page, const std::vector<std::string>& order, const char* key) {
    ASSERT_EQ(FocusAfterKeys(page, order.front()), order.front());
    for (size_t i = 1; i < order.size(); ++i) {
        ASSERT_TRUE(robot::PressKeys(page, key)) << "before " << order[i];
        EXPECT_EQ(FocusAfterKeys(page, order[i]), order[i]) << key << " from " << order[i - 1];
    }
}

// The close question of the blue background, answered by `keys`.
void AnswerCloseQuestion(const Installer& installer, const std::string& keys) {
    robot::Close(installer.Background());
    HWND box = robot::WaitForCaption(installer.Id(), "Confirmation", 10s);
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(robot::PressKeys(box, keys));
    EXPECT_TRUE(robot::WaitUntilGone(installer.Id(), "#32770")) << keys;
}

// Through pages 1 to 3 with Enter, waiting for each page.
HWND ReturnToPage4(const Installer& installer) {
    for (int page = 1; page <= 3; ++page) {
        HWND window = installer.Page(page);
        if (!window || !robot::PressKeys(window, "Return")) return nullptr;
        if (!robot::WaitUntil([&] { return installer.Showing(page + 1); })) return nullptr;
    }
    return installer.Page(4);
}

class KeyboardWalk : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
    void SetUp() override { win::DeleteFileIfPresent(WorkCopy()); }
};

TEST_F(KeyboardWalk, InstallsAndUninstallsWithKeysAlone) {
    ASSERT_FALSE(win::FileExists(kDestinationFolder + "setup.log")) << "the prefix is fresh";
    Installer installer;
    ASSERT_TRUE(installer.Started());

    // Page 1: the question of the background keeps the program on Escape and
    // on Alt+N, and the focus comes back to the page.
    HWND page1 = installer.Page(1);
    EXPECT_EQ(FocusAfterKeys(page1, "Suivant"), "Suivant");
    AnswerCloseQuestion(installer, "Escape");
    AnswerCloseQuestion(installer, "alt+n");
    EXPECT_EQ(installer.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(FocusAfterKeys(page1, "Suivant"), "Suivant");
    ASSERT_TRUE(robot::PressKeys(page1, "Return"));

    // Page 2, in the order of its controls: the folder, "Parcourir", the two
    // options, then the row of buttons from the forward one; Tab wraps round.
    HWND page2 = installer.Page(2);
    ASSERT_NE(page2, nullptr);
    const std::string folder = kDestinationFolder.substr(0, kDestinationFolder.size() - 1);
    const std::vector<std::string> tabOrder = {folder, "&Parcourir", kStartMenu, kDesktop,
                                               "Suivant", "Précédent", "Annuler", folder};
    ExpectTabOrder(page2, tabOrder, "Tab");
    ExpectTabOrder(page2, {folder, "Annuler", "Précédent"}, "shift+Tab");
    // Space ticks the desktop option.
    ExpectTabOrder(page2, {"Précédent", "Suivant", kDesktop}, "shift+Tab");
    HWND desktop = installer.Control(2, kDesktop);
    ASSERT_FALSE(robot::IsChecked(desktop));
    ASSERT_TRUE(robot::PressKeys(page2, "space"));
    EXPECT_TRUE(robot::WaitUntil([&] { return robot::IsChecked(desktop); }));
    // Alt+P opens the folder dialog; Escape leaves it and the folder alone.
    ASSERT_TRUE(robot::PressKeys(page2, "alt+p"));
    HWND dialog = robot::WaitForCaption(installer.Id(), "Veuillez choisir le répertoire d'installation", 10s);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(robot::PressKeys(dialog, "Escape"));
    ASSERT_TRUE(robot::WaitUntil([&] { return !::IsWindow(dialog); }));
    EXPECT_EQ(installer.Destination(), folder);
    EXPECT_EQ(FocusAfterKeys(page2, "&Parcourir"), "&Parcourir");

    // Enter presses the focused button ("Parcourir" would open the dialog
    // again); from a check box it presses the default one, "Suivant".
    ASSERT_TRUE(robot::PressKeys(page2, "Tab"));
    EXPECT_EQ(FocusAfterKeys(page2, kStartMenu), kStartMenu);
    ASSERT_TRUE(robot::PressKeys(page2, "Return"));

    // Page 3, then back with Précédent and forward again: every page keeps a
    // focused control.
    HWND page3 = installer.Page(3);
    ASSERT_NE(page3, nullptr);
    EXPECT_EQ(FocusAfterKeys(page3, "Suivant"), "Suivant");
    ASSERT_TRUE(robot::PressKeys(page3, "Tab Return"));  // to "Précédent", and press it
    ASSERT_TRUE(robot::WaitUntil([&] { return installer.Showing(2); }));
    EXPECT_NE(robot::FocusedControl(installer.Page(2)), nullptr);
    ASSERT_TRUE(robot::PressKeys(installer.Page(2), "Return"));
    ASSERT_TRUE(robot::WaitUntil([&] { return installer.Showing(3); }));
    // A page shown again gives the focus back where it was.
    EXPECT_EQ(FocusAfterKeys(page3, "Précédent"), "Précédent");
    ASSERT_TRUE(robot::PressKeys(page3, "shift+Tab"));
    EXPECT_EQ(FocusAfterKeys(page3, "Suivant"), "Suivant");
    ASSERT_TRUE(robot::PressKeys(page3, "Return"));

    // Page 4: once the run is over, "Terminer" has the focus and Enter ends
    // the program.
    HWND page4 = installer.Page(4);
    ASSERT_NE(page4, nullptr);
    HWND terminer = robot::FindControl(page4, "Terminer", "Button");
    ASSERT_TRUE(robot::WaitUntil([&] { return robot::IsEnabled(terminer); }, 120s)) << "the run did not end";
    EXPECT_NE(robot::FindControl(page4, "L'installation s'est terminée avec succès !", "Static"), nullptr);
    EXPECT_EQ(FocusAfterKeys(page4, "Terminer"), "Terminer");
    ASSERT_TRUE(robot::PressKeys(page4, "Return"));
    ASSERT_EQ(installer.WaitForExit(), 0u);
    ExpectFilesAndLogHead(7);
    EXPECT_EQ(LinkTarget(DesktopFolder() + "Korvalix.lnk"), kDestinationFolder + "korvalix.exe");

    // The uninstaller, as the list of installed programs starts it: Alt+O
    // confirms, Enter closes the final report.
    testing_support::ChildProcess uninstaller(UninstallValue("UninstallString"));
    ASSERT_NE(uninstaller.Id(), 0u);
    HWND question = robot::WaitForCaption(robot::kAnyProcess, "Confirmation");
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(robot::PressKeys(question, "alt+o"));
    HWND report = robot::WaitForCaption(robot::kAnyProcess, "Information", 60s);
    ASSERT_NE(report, nullptr) << "no final report";
    DWORD reporter = 0;
    ::GetWindowThreadProcessId(report, &reporter);
    ASSERT_TRUE(robot::PressKeys(report, "Return"));
    EXPECT_TRUE(robot::WaitUntilGone(reporter, "#32770"));
    // The program the entry started ends with the report, and says all went.
    EXPECT_EQ(uninstaller.WaitForExit(), 0u);
    ExpectNothingLeft();
}

// The other answers of the background's question end the program, as does
// Enter on "Terminer" after a run that Escape cancelled.
TEST_F(KeyboardWalk, EndingKeys) {
    {
        Installer installer;
        ASSERT_TRUE(installer.Started());
        AnswerCloseQuestion(installer, "alt+o");
        EXPECT_EQ(installer.WaitForExit(), 0u) << "Alt+O";
    }
    {
        Installer installer;
        ASSERT_TRUE(installer.Started());
        AnswerCloseQuestion(installer, "Return");
        EXPECT_EQ(installer.WaitForExit(), 0u) << "Enter";
    }
    // An earlier installation's folder, so that the run begins with its
    // two-second wait for running copies, with the quit signal in that
    // folder; an empty prefix would leave the key no time to arrive.
    ASSERT_TRUE(::CreateDirectoryA(kDestinationFolder.c_str(), nullptr) ||
                ::GetLastError() == ERROR_ALREADY_EXISTS);
    Installer installer;
    ASSERT_TRUE(installer.Started());
    HWND page4 = ReturnToPage4(installer);
    ASSERT_NE(page4, nullptr);
    // Escape during the run asks for cancellation, as "Annuler" does: the run
    // stops before its first file.  The key waits for the run to begin: during
    // the installer's check of itself, which comes first, "Annuler" ends the
    // program instead.
    ASSERT_TRUE(robot::WaitUntil([&] { return win::FileExists(kDestinationFolder + "korvalix.quit"); }));
    ASSERT_TRUE(robot::PressKeys(page4, "Escape"));
    HWND terminer = robot::FindControl(page4, "Terminer", "Button");
    ASSERT_TRUE(robot::WaitUntil([&] { return robot::IsEnabled(terminer); }, 120s));
    EXPECT_NE(robot::FindControl(page4, kFailureText, "Static"), nullptr);
    EXPECT_EQ(FocusAfterKeys(page4, "Terminer"), "Terminer");
    ASSERT_TRUE(robot::PressKeys(page4, "Return"));
    EXPECT_EQ(installer.WaitForExit(), 0u);
}

}  // namespace
