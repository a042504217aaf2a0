// The real message boxes under Wine: our captions, our titles, centred on the
// screen, and the answers that Escape and the buttons give.

#include <gtest/gtest.h>
#include <windows.h>

#include <future>

#include "support/test_support.h"
#include "ui/application.h"
#include "ui/message_dialog.h"

using namespace testing_support;

namespace {

struct SeenBox {
    std::string title;
    std::string text;
    std::vector<std::string> buttons;
    bool centred = false;
    bool answered = false;  // the click or the keys reached it
};

// Waits on another thread for the box titled `title`, records it, then acts
// on it with `act`, as a person would: a click or keys.
std::future<SeenBox> WatchForBox(const std::string& title, std::function<bool(HWND)> act) {
    return WhenWindowShows(title, [act](HWND box) {
        SeenBox seen;
        if (!box) return seen;
        seen.title = robot::Text(box);
        char text[1024];
        const UINT length = ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        seen.text.assign(text, length);
        for (HWND button : ChildrenOfClass(box, "Button")) seen.buttons.push_back(robot::Text(button));
        RECT rect;
        ::GetWindowRect(box, &rect);
        const int centreX = (rect.left + rect.right) / 2, centreY = (rect.top + rect.bottom) / 2;
        seen.centred = std::abs(centreX - ::GetSystemMetrics(SM_CXSCREEN) / 2) <= 1 &&
                       std::abs(centreY - ::GetSystemMetrics(SM_CYSCREEN) / 2) <= 1;
        seen.answered = act(box);
        return seen;
    });
}

bool ClickButton(HWND box, int id) { return robot::Click(::GetDlgItem(box, id)); }

TEST(MessageDialog, ErrorBoxHasOneAnnulerButton) {
    auto watcher = WatchForBox("Erreur", [](HWND box) { return ClickButton(box, IDOK); });
    ui::ShowErrorBox("Ligne un\r\rLigne trois");
    const SeenBox seen = watcher.get();
    EXPECT_TRUE(seen.answered);
    EXPECT_EQ(seen.title, "Erreur");
    EXPECT_EQ(seen.text, "Ligne un\r\rLigne trois");
    EXPECT_EQ(seen.buttons, std::vector<std::string>{"Annuler"});
    EXPECT_TRUE(seen.centred);
}

TEST(MessageDialog, QuestionAnswersOuiAndNon) {
    auto yes = WatchForBox("Confirmation", [](HWND box) { return ClickButton(box, IDOK); });
    EXPECT_EQ(ui::ShowDialog(ui::DialogKind::Confirmation, "Vraiment ?", ui::DialogButtons::YesNo),
              ui::DialogResult::Yes);
    const SeenBox seen = yes.get();
    EXPECT_TRUE(seen.answered);
    EXPECT_EQ(seen.buttons, (std::vector<std::string>{"&Oui", "&Non"}));
    EXPECT_TRUE(seen.centred);

    auto no = WatchForBox("Confirmation", [](HWND box) { return ClickButton(box, IDCANCEL); });
    EXPECT_EQ(ui::ShowDialog(ui::DialogKind::Confirmation, "Vraiment ?", ui::DialogButtons::YesNo),
              ui::DialogResult::No);
    EXPECT_TRUE(no.get().answered);
}

TEST(MessageDialog, EscapeAnswersNon) {
    auto escape = WatchForBox("Confirmation", [](HWND box) { return robot::PressKeys(box, "Escape"); });
    EXPECT_EQ(ui::ShowDialog(ui::DialogKind::Confirmation, "Vraiment ?", ui::DialogButtons::YesNo),
              ui::DialogResult::No);
    EXPECT_TRUE(escape.get().answered);
}

TEST(MessageDialog, WarningHasOk) {
    auto watcher = WatchForBox("Avertissement", [](HWND box) { return ClickButton(box, IDOK); });
    EXPECT_EQ(ui::ShowDialog(ui::DialogKind::Warning, "Attention", ui::DialogButtons::Ok), ui::DialogResult::Ok);
    EXPECT_EQ(watcher.get().buttons, std::vector<std::string>{"OK"});
}

TEST(MessageDialog, CaptureRecordsInsteadOfShowing) {
    ui::ScopedDialogCapture capture([](const ui::DialogRequest&) { return ui::DialogResult::Yes; });
    EXPECT_EQ(ui::ShowDialog(ui::DialogKind::Information, "Fini", ui::DialogButtons::YesNo), ui::DialogResult::Yes);
    const ui::DialogRequest box = OnlyBox(capture);
    EXPECT_EQ(box.title, "Information");
    EXPECT_EQ(box.text, "Fini");
}

TEST(GeneralErrorHandler, AddsAFinalDotOnlyAfterCharactersThatSortAfterIt) {
    EXPECT_EQ(ui::ErrorBoxText("Impossible d'\xE9\x63rire dans C:\\x\\setup.log"),
              "Impossible d'\xE9\x63rire dans C:\\x\\setup.log.");
    EXPECT_EQ(ui::ErrorBoxText("Termin\xE9"), "Termin\xE9.");  // é sorts after "."
    EXPECT_EQ(ui::ErrorBoxText("Fini."), "Fini.");
    EXPECT_EQ(ui::ErrorBoxText("Fini !"), "Fini !");
    EXPECT_EQ(ui::ErrorBoxText("'x'"), "'x'");
    EXPECT_EQ(ui::ErrorBoxText("2"), "2.");
    EXPECT_EQ(ui::ErrorBoxText(""), "");
}

TEST(GeneralErrorHandler, TitleComesFromTheExecutableName) {
    EXPECT_EQ(ui::ApplicationTitle("C:\\Downloads\\install.exe"), "install");
    EXPECT_EQ(ui::ApplicationTitle("C:\\Downloads\\INSTALL.EXE"), "Install");
    EXPECT_EQ(ui::ApplicationTitle("C:\\a.b\\Setup.Korvalix.exe"), "Setup");
    EXPECT_EQ(ui::ApplicationTitle("noext"), "noext");
}

TEST(GeneralErrorHandler, ShowsTheErrorWithTheApplicationTitle) {
    ui::Application application;
    ui::ScopedDialogCapture capture;
    application.HandleException(std::runtime_error("'1b' n'est pas une valeur enti\xE8re correcte"));
    const ui::DialogRequest box = OnlyBox(capture);
    EXPECT_EQ(box.kind, ui::DialogKind::Error);
    EXPECT_EQ(box.title, "dialog_test");
    EXPECT_EQ(box.text, "'1b' n'est pas une valeur enti\xE8re correcte.");
    EXPECT_EQ(box.buttons, ui::DialogButtons::Ok);
}

// The standard library's own errors, which the programs raise as their own,
// reach the general error handler with their whole text.
TEST(GeneralErrorHandler, ShowsTheStandardLibrarysOwnErrors) {
    ui::Application application;
    ui::ScopedDialogCapture capture;
    try {
        (void)std::string("ab").substr(5);
        ADD_FAILURE() << "no error";
    } catch (const std::exception& error) {
        application.HandleException(error);
    }
    EXPECT_EQ(OnlyBox(capture).text, "basic_string::substr: __pos (which is 5) > this->size() (which is 2)");
}

TEST(GeneralErrorHandler, BoxesOpenedAfterTerminateCloseAtOnce) {
    ui::Application application;
    application.Terminate();
    EXPECT_EQ(ui::ShowDialog(ui::DialogKind::Confirmation, "?", ui::DialogButtons::YesNo), ui::DialogResult::No);
    EXPECT_EQ(ui::ShowDialog(ui::DialogKind::Error, "!", ui::DialogButtons::Cancel), ui::DialogResult::Cancel);
    DropQuitMessages();  // leave no quit request for later tests
}

}  // namespace
