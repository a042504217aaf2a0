// The wizard's pages 1 to 3 in install.exe, driven by the robot: the
// destination and how it is kept between pages, the shortcut summary, the
// warning for an empty destination, and every way of leaving early.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <tuple>

#include "win/files.h"
#include "wizard/wizard_driver.h"

namespace {

using wizard::kDefaultDestination;

const char* const kStartMenu = "Ajouter un groupe de programme dans le menu démarrer";
const char* const kDesktop = "Ajouter un raccourci sur le bureau";

class Wizard : public ::testing::Test {
protected:
    void SetUp() override {
        win::DeleteFileIfPresent(wizard::WorkCopy());
        running.emplace();
        ASSERT_TRUE(installer.Started()) << wizard::InstallExe();
        ASSERT_TRUE(win::FileExists(wizard::WorkCopy())) << "the program runs with its work copy";
    }

    // From page 1 to page 2.
    void ToPage2() {
        installer.Click(1, "Suivant");
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

    std::optional<wizard::Installer> running;
    // Started by SetUp, once no work copy is left from an earlier case.
    wizard::Installer& installer = *running;
};

TEST_F(Wizard, DefaultDestinationIsStoredWithBackslashAndShownBack) {
    ToPage2();
    EXPECT_EQ(installer.Destination(), kDefaultDestination);
    installer.Click(2, "Suivant");
    ASSERT_NE(installer.Page(3), nullptr);
    EXPECT_FALSE(installer.Showing(2));
    EXPECT_EQ(Summary(32), "Korvalix32");
    EXPECT_EQ(Summary(52), "2.1");
    EXPECT_EQ(Folder(), std::string(kDefaultDestination) + "\\");
    EXPECT_EQ(Shortcuts(), "Menu démarrer");

    // Back on page 2 the stored folder comes back, whatever was typed since.
    installer.Click(3, "Précédent");
    ASSERT_NE(installer.Page(2), nullptr);
    EXPECT_EQ(installer.Destination(), std::string(kDefaultDestination) + "\\");
    robot::Type(installer.Edit(), "D:\\Jeux\\Korvalix");
    installer.Click(2, "Précédent");
    ASSERT_NE(installer.Page(1), nullptr);
    installer.Click(1, "Suivant");
    ASSERT_NE(installer.Page(2), nullptr);
    EXPECT_EQ(installer.Destination(), std::string(kDefaultDestination) + "\\");

    // A typed folder goes through as typed, with its backslash.
    robot::Type(installer.Edit(), "D:\\Jeux\\Korvalix");
    installer.Click(2, "Suivant");
    ASSERT_NE(installer.Page(3), nullptr);
    EXPECT_EQ(Folder(), "D:\\Jeux\\Korvalix\\");
}

TEST_F(Wizard, BackToPage1BeforeSuivantResetsTheEditBoxButNotTheCheckBoxes) {
    ToPage2();
    robot::Type(installer.Edit(), "E:\\Ailleurs");
    EXPECT_EQ(installer.Destination(), "E:\\Ailleurs");
    installer.SetChecked(kStartMenu, false);
    installer.SetChecked(kDesktop, true);
    installer.Click(2, "Précédent");
    ASSERT_NE(installer.Page(1), nullptr);
    EXPECT_FALSE(installer.Showing(2));
    ToPage2();
    EXPECT_EQ(installer.Destination(), kDefaultDestination);
    EXPECT_FALSE(robot::IsChecked(installer.Control(2, kStartMenu)));
    EXPECT_TRUE(robot::IsChecked(installer.Control(2, kDesktop)));
}

TEST_F(Wizard, EmptyDestinationWarnsThenRestoresTheDefault) {
    ToPage2();
    robot::Type(installer.Edit(), "");
    EXPECT_EQ(installer.Destination(), "");
    installer.Click(2, "Suivant");
    HWND box = robot::WaitForCaption(installer.Id(), "Avertissement", std::chrono::seconds(10));
    ASSERT_NE(box, nullptr);
    char text[256];
    const UINT length = ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_EQ(std::string(text, length), "Veuillez choisir un dossier de destination !");
    HWND ok = robot::FindControl(box, "OK", "Button");
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(robot::Controls(box).size() - 2, 1u) << "one button beside the icon and the text";
    robot::Click(ok);
    ASSERT_TRUE(robot::WaitUntilGone(installer.Id(), "#32770"));
    EXPECT_TRUE(robot::WaitUntil([&] { return installer.Destination() == kDefaultDestination; }))
        << installer.Destination();
    EXPECT_TRUE(installer.Showing(2));
    EXPECT_FALSE(installer.Showing(3));
}

TEST_F(Wizard, BlanksAreADestination) {
    ToPage2();
    robot::Type(installer.Edit(), "   ");
    installer.Click(2, "Suivant");
    ASSERT_NE(installer.Page(3), nullptr);
    EXPECT_EQ(Folder(), "   \\");
}

TEST_F(Wizard, SummaryNamesTheChosenShortcuts) {
    ToPage2();
    const std::tuple<bool, bool, const char*> cases[] = {{true, true, "Menu démarrer et sur le bureau"},
                                                         {true, false, "Menu démarrer"},
                                                         {false, true, "Sur le bureau"},
                                                         {false, false, "Aucun"}};
    for (const auto& [startMenu, desktop, expected] : cases) {
        installer.SetChecked(kStartMenu, startMenu);
        installer.SetChecked(kDesktop, desktop);
        installer.Click(2, "Suivant");
        ASSERT_NE(installer.Page(3), nullptr);
        EXPECT_EQ(Shortcuts(), expected) << startMenu << desktop;
        installer.Click(3, "Précédent");
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
        installer.Click(2, "&Parcourir");
        HWND box = robot::WaitForCaption(installer.Id(), "Veuillez choisir le répertoire d'installation",
                                         std::chrono::seconds(10));
        if (box) {
            EXPECT_NE(robot::FindControl(box, "Dossier d'installation de Korvalix32 :", "Static"), nullptr);
        }
        ::Sleep(500);  // Wine's folder tree takes the initial selection a moment later
        return box;
    };
    const auto press = [](HWND box, int button) {
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
    };

    // OK puts the chosen folder's path in place of the whole text, as the
    // dialog gives it (no name appended).  A folder that does not exist
    // cannot be selected, so the dialog gives back its own first choice.
    robot::Type(installer.Edit(), "D:\\Nulle part");
    HWND box = browse();
    ASSERT_NE(box, nullptr);
    press(box, IDOK);
    ASSERT_TRUE(robot::WaitUntilGone(installer.Id(), "#32770"));
    EXPECT_TRUE(robot::WaitUntil([&] { return installer.Destination() != "D:\\Nulle part"; }));
    const std::string chosen = installer.Destination();
    const DWORD attributes = ::GetFileAttributesA(chosen.c_str());
    EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) << chosen;
    EXPECT_NE(chosen.back(), '\\') << chosen;

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
    ::Sleep(300);
    EXPECT_TRUE(installer.Showing(1));
    EXPECT_EQ(installer.WaitForExit(0), static_cast<DWORD>(STILL_ACTIVE));
}

// Leaving early: "Annuler" and Escape on each of pages 1 to 3.
class LeavingEarly : public Wizard, public ::testing::WithParamInterface<std::tuple<int, bool>> {};

TEST_P(LeavingEarly, EndsAtOnceWithoutWorkCopy) {
    const auto [page, escape] = GetParam();
    for (int p = 1; p < page; ++p) installer.Click(p, "Suivant");
    HWND window = installer.Page(page);
    ASSERT_NE(window, nullptr);
    if (escape)
        ASSERT_TRUE(robot::PressKeys(window, "Escape"));
    else
        installer.Click(page, "Annuler");
    ExpectEndedClean();
}

INSTANTIATE_TEST_SUITE_P(Pages, LeavingEarly,
                         ::testing::Combine(::testing::Values(1, 2, 3), ::testing::Bool()));

TEST_F(Wizard, ClosingTheBackgroundAsksNonKeepsOuiEnds) {
    ToPage2();
    robot::Close(installer.Background());
    HWND box = robot::WaitForCaption(installer.Id(), "Confirmation", std::chrono::seconds(10));
    ASSERT_NE(box, nullptr);
    robot::Click(robot::FindControl(box, "&Non", "Button"));
    ASSERT_TRUE(robot::WaitUntilGone(installer.Id(), "#32770"));
    EXPECT_EQ(installer.WaitForExit(300), static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_TRUE(installer.Showing(2));
    EXPECT_TRUE(win::FileExists(wizard::WorkCopy()));

    robot::Close(installer.Background());
    box = robot::WaitForCaption(installer.Id(), "Confirmation", std::chrono::seconds(10));
    ASSERT_NE(box, nullptr);
    robot::Click(robot::FindControl(box, "&Oui", "Button"));
    ExpectEndedClean();
}

}  // namespace
