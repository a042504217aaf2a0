// Every control of pages 1 to 3 at 96 dpi (Wine's resolution): its class,
// text and rectangle in the page's client area, in tab order, and the page's
// own size and caption.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "wizard/wizard_driver.h"

namespace {

struct Expected {
    const char* className;
    std::string text;
    int left, top, width, height;  // width and height 0: sized to the text
};

// The pages' layout tables, as a person sees each page: every control with
// its text, and its left, top, width and height in 96-dpi pixels; contents of
// a group box are placed from the group box's corner (x, y here).  A control
// that sizes itself to its text has width and height 0.  The tables fix the
// layout; the test compares the live windows against them, control by
// control, in the order Tab walks the page.
std::vector<Expected> Page1() {
    const int x = 12, y = 8;
    return {
        {"Button", "Bienvenue dans l'installation de Korvalix32", 12, 8, 433, 157},
        {"Static", "Bienvenue dans le programme d'installation de Korvalix32", x + 20, y + 32, 393, 16},
        {"Static", "Vous êtes sur le point d'installer le logiciel", x + 92, y + 64, 201, 13},
        {"Static", "Korvalix32 2.1", x + 296, y + 64, 0, 0},
        {"Static", "", x + 24, y + 68, 28, 30},
        {"Static",
         "Veuillez fermer les anciennes version de Korvalix qui pourraient être lancées afin d'en effectuer la mise à "
         "jour.",
         x + 92, y + 88, 317, 29},
        {"Static", "Cliquez sur Suivant pour continuer...", x + 92, y + 128, 317, 14},
        {"Button", "Suivant", 292, 176, 75, 21},
        {"Button", "Précédent", 212, 176, 73, 21},
        {"Button", "Annuler", 372, 176, 73, 21},
    };
}

std::vector<Expected> Page2() {
    const int x = 16, y = 12;
    return {
        {"Button", "Options d'installation de Korvalix32", 16, 12, 429, 153},
        {"Static", "Veuillez choisir le chemin où installer Korvalix32 :", x + 36, y + 32, 361, 16},
        {"Edit", wizard::kDefaultDestination, x + 36, y + 52, 249, 22},
        {"Button", "&Parcourir", x + 292, y + 52, 65, 21},
        {"Button", "Ajouter un groupe de programme dans le menu démarrer", x + 36, y + 92, 301, 17},
        {"Button", "Ajouter un raccourci sur le bureau", x + 36, y + 112, 201, 17},
        {"Button", "Suivant", 292, 176, 75, 21},
        {"Button", "Précédent", 212, 176, 73, 21},
        {"Button", "Annuler", 372, 176, 73, 21},
    };
}

std::vector<Expected> Page3() {
    const int x = 16, y = 12;
    return {
        {"Button", "Récapitulatif de l'installation", 16, 12, 429, 153},
        {"Static", "Application :", x + 32, y + 32, 0, 0},
        {"Static", "Korvalix32", x + 144, y + 32, 273, 14},
        {"Static", "Version :", x + 32, y + 52, 0, 0},
        {"Static", "2.1", x + 144, y + 52, 273, 14},
        {"Static", "Dossier destination :", x + 32, y + 72, 0, 0},
        {"Static", "C:\\Program Files\\Korvalix\\", x + 144, y + 72, 273, 14},
        {"Static", "Raccourci :", x + 32, y + 92, 0, 0},
        {"Static", "Menu démarrer", x + 144, y + 92, 273, 14},
        {"Static", "Cliquez sur \"Suivant\" pour démarrer l'installation...", x + 32, y + 120, 369, 14},
        {"Button", "Suivant", 292, 176, 75, 21},
        {"Button", "Précédent", 212, 176, 73, 21},
        {"Button", "Annuler", 372, 176, 73, 21},
    };
}

// The controls in tab order (the order Tab walks them), for comparison.
void ExpectLayout(HWND page, int clientHeight, const std::vector<Expected>& expected) {
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(robot::Text(page), "Installation de Korvalix32");
    RECT client;
    ::GetClientRect(page, &client);
    EXPECT_EQ(client.right, 458);
    EXPECT_EQ(client.bottom, clientHeight);
    const LONG style = ::GetWindowLongA(page, GWL_STYLE);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(style & WS_SYSMENU);

    // The group box lies under the controls drawn on it, at the bottom of the
    // z-order; it is no tab stop, and comes first in the table.
    std::vector<HWND> controls = robot::Controls(page);
    std::stable_partition(controls.begin(), controls.end(), [](HWND control) {
        return (::GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX &&
               robot::ClassName(control) == "Button";
    });
    ASSERT_EQ(controls.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        const Expected& e = expected[i];
        SCOPED_TRACE("control " + std::to_string(i) + " \"" + e.text + "\"");
        EXPECT_STRCASEEQ(robot::ClassName(controls[i]).c_str(), e.className);
        EXPECT_EQ(robot::Text(controls[i]), e.text);
        const RECT r = robot::RectIn(controls[i], page);
        EXPECT_EQ(r.left, e.left);
        EXPECT_EQ(r.top, e.top);
        if (e.width) {
            EXPECT_EQ(r.right - r.left, e.width);
            EXPECT_EQ(r.bottom - r.top, e.height);
        } else {
            EXPECT_GT(r.right - r.left, 0);
            EXPECT_GT(r.bottom - r.top, 0);
        }
    }
}

bool IsDefault(HWND button) { return (::GetWindowLongA(button, GWL_STYLE) & 0x0F) == BS_DEFPUSHBUTTON; }

TEST(WizardLayout, PagesOneToThreeMatchTheirTables) {
    wizard::Installer installer;
    ASSERT_TRUE(installer.Started());

    ExpectLayout(installer.Page(1), 209, Page1());
    EXPECT_FALSE(robot::IsEnabled(installer.Control(1, "Précédent")));
    EXPECT_TRUE(IsDefault(installer.Control(1, "Suivant")));

    ASSERT_TRUE(installer.Click(1, "Suivant"));
    ExpectLayout(installer.Page(2), 210, Page2());
    EXPECT_TRUE(robot::IsChecked(installer.Control(2, "Ajouter un groupe de programme dans le menu démarrer")));
    EXPECT_FALSE(robot::IsChecked(installer.Control(2, "Ajouter un raccourci sur le bureau")));
    EXPECT_TRUE(robot::IsEnabled(installer.Control(2, "Précédent")));

    ASSERT_TRUE(installer.Click(2, "Suivant"));
    ExpectLayout(installer.Page(3), 210, Page3());
}

TEST(WizardLayout, PagesAreCentredOnTheScreenAndTheBackgroundIsBehind) {
    wizard::Installer installer;
    ASSERT_TRUE(installer.Started());
    // The background's state only: on a bare X server without a window
    // manager, Wine leaves the size of a maximized window to the (absent)
    // manager.
    EXPECT_TRUE(::IsZoomed(installer.Background()));
    WINDOWPLACEMENT placement{sizeof placement};
    ASSERT_TRUE(::GetWindowPlacement(installer.Background(), &placement));
    EXPECT_EQ(placement.showCmd, static_cast<UINT>(SW_SHOWMAXIMIZED));
    RECT page;
    ::GetWindowRect(installer.Page(1), &page);
    const int screenWidth = ::GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = ::GetSystemMetrics(SM_CYSCREEN);
    EXPECT_NEAR(page.left + (page.right - page.left) / 2, screenWidth / 2, 1);
    EXPECT_NEAR(page.top + (page.bottom - page.top) / 2, screenHeight / 2, 1);
    // Once the background has painted, the page is in front of it.
    const auto pageInFront = [&] {
        const std::vector<HWND> windows = robot::TopLevelWindows(installer.Id());
        const auto position = [&](HWND window) { return std::find(windows.begin(), windows.end(), window); };
        return position(installer.Page(1)) < position(installer.Background());
    };
    EXPECT_TRUE(robot::WaitUntil(pageInFront, std::chrono::seconds(5)));
}

}  // namespace
