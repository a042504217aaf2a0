// The wizard's pages 1 to 3 in install.exe, driven by the robot: the
// destination and how it is kept between pages, the shortcut summary, the
// warning for an unsuitable destination (for an empty one: pages_test), and
// every way of leaving early.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <utility>

#include "support/test_support.h"
#include "win/files.h"
#include "wizard/wizard_driver.h"

namespace {

using wizard::kDefaultDestination;

const char* const kStartMenu = "Ajouter un groupe de programme dans le menu démarrer";
const char* const kDesktop = "Ajouter un raccourci sur le bureau";

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(installer.Started()) << wizard::InstallExe();
        ASSERT_TRUE(win::FileExists(wizard::WorkCopy())) << "the program runs with its work copy";
    }

    // From page 1 to page 2.
    void ToPage2() {
        ASSERT_TRUE(installer.Click(1, "Suivant"));
        ASSERT_NE(installer.Page(2), nullptr);
    }
    // The four value labels of page 3, at their places in the group box.
    std::string Summary(int top) { return robot::Text(installer.ControlAt(3, 16 + 144, 12 + top)); }
    std::string Folder() { return Summary(72); }
    std::string Shortcuts() { return Summary(92); }

    // The program ends at once, with status 0, leaving no work copy.
    void ExpectEndedClean() {
        EXPECT_EQ(installer.WaitForExit(), 0u);
        EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));
    }

    // The program still handles what the user does: Enter on page 1 leads to
    // page 2.  Keys come after whatever was asked of it before, so a program
    // on its way out would not show page 2.
    void ExpectStillRunningFromPage1() {
        ASSERT_TRUE(robot::PressKeys(installer.Page(1), "Return"));
        EXPECT_TRUE(robot::WaitUntil([&] { return installer.Showing(2); }));
        EXPECT_EQ(installer.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
        EXPECT_TRUE(win::FileExists(wizard::WorkCopy()));
    }

    // Declared first, so that no work copy from an earlier case is left when
    // the installer starts.
    struct NoWorkCopy {
        NoWorkCopy() { win::DeleteFileIfPresent(wizard::WorkCopy()); }
    } noWorkCopy;
    wizard::Installer installer;
};

TEST_F(Wizard, DefaultDestinationIsStoredWithBackslashAndShownBack) {
    ToPage2();
    EXPECT_EQ(installer.Destination(), kDefaultDestination);
    ASSERT_TRUE(installer.Click(2, "Suivant"));
    ASSERT_NE(installer.Page(3), nullptr);
    EXPECT_FALSE(installer.Showing(2));
    EXPECT_EQ(Summary(32), "Korvalix32");
    EXPECT_EQ(Summary(52), "2.1");
    EXPECT_EQ(Folder(), std::string(kDefaultDestination) + "\\");
    EXPECT_EQ(Shortcuts(), "Menu démarrer");

    // Back on page 2 the stored folder comes back, whatever was typed since.
    ASSERT_TRUE(installer.Click(3, "Précédent"));
    ASSERT_NE(installer.Page(2), nullptr);
    EXPECT_EQ(installer.Destination(), std::string(kDefaultDestination) + "\\");
    robot::Type(installer.Edit(), "D:\\Jeux\\Korvalix");
    ASSERT_TRUE(installer.Click(2, "Précédent"));
    ASSERT_NE(installer.Page(1), nullptr);
    ASSERT_TRUE(installer.Click(1, "Suivant"));
    ASSERT_NE(installer.Page(2), nullptr);
    EXPECT_EQ(installer.Destination(), std::string(kDefaultDestination) + "\\");

    // A typed folder goes through as typed, with its backslash.
    robot::Type(installer.Edit(), "D:\\Jeux\\Korvalix");
    ASSERT_TRUE(installer.Click(2, "Suivant"));
    ASSERT_NE(installer.Page(3), nullptr);
    EXPECT_EQ(Folder(), "D:\\Jeux\\Korvalix\\");
}

TEST_F(Wizard, BackToPage1BeforeSuivantResetsTheEditBoxButNotTheCheckBoxes) {
    ToPage2();
    robot::Type(installer.Edit(), "E:\\Ailleurs");
    EXPECT_EQ(installer.Destination(), "E:\\Ailleurs");
    ASSERT_TRUE(installer.SetChecked(kStartMenu, false));
    ASSERT_TRUE(installer.SetChecked(kDesktop, true));
    ASSERT_TRUE(installer.Click(2, "Précédent"));
    ASSERT_NE(installer.Page(1), nullptr);
    EXPECT_FALSE(installer.Showing(2));
    ToPage2();
    EXPECT_EQ(installer.Destination(), kDefaultDestination);
    EXPECT_FALSE(robot::IsChecked(installer.Control(2, kStartMenu)));
    EXPECT_TRUE(robot::IsChecked(installer.Control(2, kDesktop)));
}

// A destination that the uninstaller would never clean is refused with its
// reason, and the page stays, with what was typed, to be corrected.
TEST_F(Wizard, AFolderTheUninstallerWouldNotCleanIsRefused) {
    ToPage2();
    const std::pair<std::string, std::string> cases[] = {
        {"C:\\windows\\Korvalix", "emplacement dans un dossier du système"},
        {"C:\\", "racine d'un lecteur"},
        {"C:\\Program Files", "dossier des programmes (Program Files)"},
        {"\\\\serveur\\partage\\Korvalix", "chemin réseau"},
        {"   ", "chemin relatif"},
    };
    for (const auto& [folder, why] : cases) {
        robot::Type(installer.Edit(), folder);
        ASSERT_TRUE(robot::PressKeys(installer.Page(2), "Return")) << folder;  // "Suivant"
        HWND box = robot::WaitForCaption(installer.Id(), "Avertissement", std::chrono::seconds(10));
        ASSERT_NE(box, nullptr) << folder;
        char text[512];
        const std::string shown(text, ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text));
        EXPECT_NE(shown.find("Le dossier « " + folder + " » ne peut pas recevoir l'installation : " + why +
                             ". Le programme de désinstallation n'y supprimerait rien."),
                  std::string::npos)
            << shown;
        EXPECT_NE(robot::FindControl(box, "OK", "Button"), nullptr);
        ASSERT_TRUE(robot::PressKeys(box, "Return"));  // "OK"
        ASSERT_TRUE(robot::WaitUntilGone(installer.Id(), "#32770"));
        EXPECT_TRUE(installer.Showing(2)) << folder;
        EXPECT_FALSE(installer.Showing(3)) << folder;
        EXPECT_EQ(installer.Destination(), folder);
    }
    // Corrected, it goes through.
    robot::Type(installer.Edit(), "C:\\Jeux\\Korvalix");
    ASSERT_TRUE(robot::PressKeys(installer.Page(2), "Return"));
    ASSERT_NE(installer.Page(3), nullptr);
    EXPECT_EQ(Folder(), "C:\\Jeux\\Korvalix\\");
}

TEST_F(Wizard, SummaryNamesTheChosenShortcuts) {
    ToPage2();
    const std::tuple<bool, bool, const char*> cases[] = {{true, true, "Menu démarrer et sur le bureau"},
                                                         {true, false, "Menu démarrer"},
                                                         {false, true, "Sur le bureau"},
                                                         {false, false, "Aucun"}};
    for (const auto& [startMenu, desktop, expected] : cases) {
        ASSERT_TRUE(installer.SetChecked(kStartMenu, startMenu));
        ASSERT_TRUE(installer.SetChecked(kDesktop, desktop));
        ASSERT_TRUE(installer.Click(2, "Suivant"));
        ASSERT_NE(installer.Page(3), nullptr);
        EXPECT_EQ(Shortcuts(), expected) << startMenu << desktop;
        ASSERT_TRUE(installer.Click(3, "Précédent"));
        ASSERT_NE(installer.Page(2), nullptr);
    }
}

TEST_F(Wizard, EnterActsAsSuivantAndFocusStartsInTheEditBox) {
    ASSERT_TRUE(robot::PressKeys(installer.Page(1), "Return"));
    HWND page2 = installer.Page(2);
    ASSERT_NE(page2, nullptr);
    EXPECT_TRUE(robot::WaitUntil([&] { return robot::FocusOf(page2) == installer.Edit(); }));
    ASSERT_TRUE(robot::PressKeys(page2, "Return"));
    ASSERT_NE(installer.Page(3), nullptr);
    EXPECT_EQ(Folder(), std::string(kDefaultDestination) + "\\");
}

TEST_F(Wizard, FolderDialogReplacesTheEditBoxOrLeavesItAlone) {
    ToPage2();
    const auto browse = [&]() -> HWND {
        if (!installer.Click(2, "&Parcourir")) return static_cast<HWND>(nullptr);
        HWND box = robot::WaitForCaption(installer.Id(), "Veuillez choisir le répertoire d'installation",
                                         std::chrono::seconds(10));
        if (box) {
            EXPECT_NE(robot::FindControl(box, "Dossier d'installation de Korvalix32 :", "Static"), nullptr);
        }
        return box;
    };
    const auto press = [](HWND box, int button) { ASSERT_TRUE(robot::Click(::GetDlgItem(box, button))); };

    // OK puts the folder the person picks in place of the whole text, as
    // the dialog gives it (no name appended): the one folder inside the
    // folder the box names.
    const std::string parent = "C:\\Parcourir";
    const std::string picked = parent + "\\Choisi";
    ::CreateDirectoryA(parent.c_str(), nullptr);
    ::CreateDirectoryA(picked.c_str(), nullptr);
    ASSERT_TRUE(win::FolderExists(picked));
    robot::Type(installer.Edit(), parent);
    HWND box = browse();
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(wizard::PickFirstFolderInside(box));
    press(box, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(installer.Id(), "#32770"));
    EXPECT_TRUE(robot::WaitUntil([&] { return installer.Destination() == picked; })) << installer.Destination();
    testing_support::RemoveTree(parent);

    // Cancel leaves whatever the box holds.
    robot::Type(installer.Edit(), "D:\\Ailleurs");
    box = browse();
    ASSERT_NE(box, nullptr);
    press(box, IDCANCEL);
    ASSERT_TRUE(robot::WaitUntilGone(installer.Id(), "#32770"));
    EXPECT_EQ(installer.Destination(), "D:\\Ailleurs");
}

TEST_F(Wizard, PageCloseBoxDoesNothing) {
    robot::Close(installer.Page(1));
    ExpectStillRunningFromPage1();
}

// Leaving early: "Annuler" and Escape on each of pages 1 to 3.
class LeavingEarly : public Wizard, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(LeavingEarly, EndsAtOnceWithoutWorkCopy) {
    const auto [page, escape] = GetParam();
    for (int p = 1; p < page; ++p) ASSERT_TRUE(installer.Click(p, "Suivant"));
    HWND window = installer.Page(page);
    ASSERT_NE(window, nullptr);
    if (escape)
        ASSERT_TRUE(robot::PressKeys(window, "Escape"));
    else
        ASSERT_TRUE(installer.Click(page, "Annuler"));
    ExpectEndedClean();
}

INSTANTIATE_TEST_SUITE_P(Pages, LeavingEarly,
                         ::testing::Combine(::testing::Values(1, 2, 3), ::testing::Bool()));

TEST_F(Wizard, ClosingTheBackgroundAsksNonKeepsOuiEnds) {
    // The person clicks the background's close box, which brings the
    // background in front; after "Non" the keys go to the page again.
    ASSERT_TRUE(robot::ClickCloseBox(installer.Background()));
    HWND box = robot::WaitForCaption(installer.Id(), "Confirmation", std::chrono::seconds(10));
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(robot::Click(robot::FindControl(box, "&Non", "Button")));
    ASSERT_TRUE(robot::WaitUntilGone(installer.Id(), "#32770"));
    ExpectStillRunningFromPage1();

    robot::Close(installer.Background());
    box = robot::WaitForCaption(installer.Id(), "Confirmation", std::chrono::seconds(10));
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(robot::Click(robot::FindControl(box, "&Oui", "Button")));
    ExpectEndedClean();
}

}  // namespace
