// The window layer under Wine: events, keyboard handling, focus, labels and
// pictures.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include <windows.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/errors.h"
#include "ui/application.h"
#include "ui/controls.h"
#include "ui/dpi.h"
#include "ui/form.h"
#include "ui/message_dialog.h"

using namespace testing_support;

namespace {

// A small page with every kind of control and a record of its events.
class TestForm : public ui::Form {
public:
    explicit TestForm(std::vector<std::string>& log)
        : ui::Form({.className = "TTestForm", .caption = "Essai", .clientWidth = 458, .clientHeight = 210,
                    .border = ui::FormBorder::Single, .centreOnDesktop = true}),
          log_(log) {}

    ui::GroupBox Group{*this, {.caption = "&Groupe", .bounds = {16, 12, 429, 153}}};
    ui::Edit Path{Group, {.text = "C:\\", .bounds = {36, 52, 249, 22}}};
    ui::CheckBox Check{Group, {.caption = "Cocher", .bounds = {36, 92, 301, 17}, .checked = true}};
    ui::Label Auto{Group, {.caption = "Version :", .bounds = {32, 120, 10, 10}, .autoSize = true}};
    ui::Button Forward{*this, {.caption = "Suivant", .bounds = {292, 176, 75, 21}, .role = ui::ButtonRole::Default,
                               .onClick = [this] { log_.push_back("Suivant"); }}};
    ui::Button Back{*this, {.caption = "Précédent", .bounds = {212, 176, 73, 21},
                            .onClick = [this] { log_.push_back("Précédent"); }}};
    ui::Button Cancel{*this, {.caption = "Annuler", .bounds = {372, 176, 73, 21}, .role = ui::ButtonRole::Cancel,
                              .onClick = [this] { log_.push_back("Annuler"); }}};
    ui::ProgressBar Progress{*this, {.bounds = {24, 104, 100, 17}}};
    ui::Timer Ticker{*this, {.interval = 50, .enabled = false, .onTimer = [this] {
                                 log_.push_back("tick");
                                 Ticker.SetEnabled(false);
                             }}};

protected:
    void FormCreate() override { log_.push_back("create"); }
    void FormShow() override { log_.push_back("show"); }
    void FormDestroy() override { log_.push_back("destroy"); }

private:
    std::vector<std::string>& log_;
};

class FormTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::DropQuitMessages();
        form = ui::CreateForm<TestForm>(log);
    }
    // Makes the form the active window, as a click would; activation goes
    // through the X server under Wine, so wait for it.
    void Activate() {
        ::SetForegroundWindow(form->Handle());
        ASSERT_TRUE(PumpUntil([&] { return InFront(); }));
    }
    bool InFront() const {
        return ::GetForegroundWindow() == form->Handle() && ::GetActiveWindow() == form->Handle();
    }
    // Real keys into the X server, then this thread's messages until
    // `handled` shows their effect.  The messages already on their way are
    // handled first, so that the robot sees the form as it is; nothing
    // activates the form again, so a form that loses the keyboard fails.
    void Press(const char* keys, const std::function<bool()>& handled) {
        ASSERT_TRUE(PumpUntil([&] { return InFront(); })) << "the form is no longer in front before " << keys;
        ASSERT_TRUE(robot::PressKeys(form->Handle(), keys)) << keys;
        EXPECT_TRUE(PumpUntil(handled)) << keys;
    }
    bool Logged(const std::vector<std::string>& expected) const { return log == expected; }

    ui::Application application;
    std::vector<std::string> log;
    ui::FormPtr<TestForm> form;
};

TEST_F(FormTest, EventsRunInOrderAndShowOnlyFromHidden) {
    EXPECT_EQ(log, (std::vector<std::string>{"create"}));
    form->Show();
    form->Show();  // already visible: brought to the front only
    Pump();
    EXPECT_EQ(log, (std::vector<std::string>{"create", "show"}));
    form->Hide();
    form->Show();
    EXPECT_EQ(log.back(), "show");
    EXPECT_EQ(log.size(), 3u);
    form.reset();
    EXPECT_EQ(log.back(), "destroy");
}

TEST_F(FormTest, EnterPressesTheDefaultButtonEscapeTheCancelButton) {
    form->Show();
    Activate();
    ASSERT_EQ(::GetFocus(), form->Path.Handle()) << "the first tab stop gets the focus";
    Press("Return Escape", [&] { return Logged({"create", "show", "Suivant", "Annuler"}); });

    // Enter on another push button presses that one.
    form->Back.SetFocus();
    Press("Return", [&] { return log.back() == "Précédent"; });

    // A button disabled while it has the focus hands the focus on, and is
    // not pressed: Escape does nothing, the Enter after it reaches "Suivant".
    form->Cancel.SetFocus();
    form->Cancel.SetEnabled(false);
    EXPECT_EQ(::GetFocus(), form->Path.Handle());
    log.clear();
    Press("Escape Return", [&] { return !log.empty(); });
    EXPECT_EQ(log, std::vector<std::string>{"Suivant"}) << "a disabled cancel button is not pressed";
    form->Cancel.SetEnabled(true);

    // A disabled default button is not pressed either.
    form->Forward.SetEnabled(false);
    log.clear();
    Press("Return Escape", [&] { return !log.empty(); });
    EXPECT_EQ(log, std::vector<std::string>{"Annuler"});
}

TEST_F(FormTest, TabFollowsCreationOrderAndFocusComesBack) {
    form->Show();
    Activate();
    std::vector<HWND> order{::GetFocus()};
    for (int i = 0; i < 5; ++i) {
        Press("Tab", [&] { return ::GetFocus() != order.back(); });
        order.push_back(::GetFocus());
    }
    EXPECT_EQ(order, (std::vector<HWND>{form->Path.Handle(), form->Check.Handle(), form->Forward.Handle(),
                                        form->Back.Handle(), form->Cancel.Handle(), form->Path.Handle()}));

    // Focus on "Annuler", another window activated, then this one again.
    form->Cancel.SetFocus();
    HWND other = ::CreateWindowExA(0, "Static", "autre", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100, nullptr,
                                   nullptr, nullptr, nullptr);
    ::SetActiveWindow(other);
    Pump();
    Activate();
    EXPECT_EQ(::GetFocus(), form->Cancel.Handle());
    ::DestroyWindow(other);
}

TEST_F(FormTest, ControlsKeepTheirValuesAndPlaces) {
    EXPECT_EQ(form->Path.Text(), "C:\\");
    EXPECT_TRUE(form->Check.Checked());
    form->Check.SetChecked(false);
    EXPECT_FALSE(form->Check.Checked());
    form->Progress.SetPosition(42);
    EXPECT_EQ(form->Progress.Position(), 42);

    // Inside a group box, places count from the group box's corner.
    RECT rect;
    ::GetWindowRect(form->Path.Handle(), &rect);
    POINT corner{rect.left, rect.top};
    ::ScreenToClient(form->Handle(), &corner);
    EXPECT_EQ(corner.x, ui::Scale(16 + 36));
    EXPECT_EQ(corner.y, ui::Scale(12 + 52));
    EXPECT_EQ(rect.right - rect.left, ui::Scale(249));

    // A label that sizes itself follows its text.
    RECT before, after;
    ::GetWindowRect(form->Auto.Handle(), &before);
    EXPECT_GT(before.right - before.left, 10);
    form->Auto.SetText("Version : une ligne bien plus longue");
    ::GetWindowRect(form->Auto.Handle(), &after);
    EXPECT_GT(after.right - after.left, before.right - before.left);
    EXPECT_EQ(form->Auto.Text(), "Version : une ligne bien plus longue");
}

TEST_F(FormTest, PictureTakesItsBitmapsSize) {
    ui::Picture picture(form->Group, {.bounds = {24, 68, 10, 10}, .transparentColour = RGB(255, 255, 255)});
    const win::WindowDc screen;
    win::GdiObject bitmap(::CreateCompatibleBitmap(screen.get(), 28, 30));
    picture.SetBitmap(std::move(bitmap));
    RECT rect;
    ::GetWindowRect(picture.Handle(), &rect);
    EXPECT_EQ(rect.right - rect.left, 28);
    EXPECT_EQ(rect.bottom - rect.top, 30);
    form->Show();
    Pump(100ms);  // draws without failing
}

TEST_F(FormTest, TimerTicksThroughTheMessageLoop) {
    form->Ticker.SetEnabled(true);
    ASSERT_TRUE(PumpUntil([&] { return !log.empty() && log.back() == "tick"; }));
    Pump(200ms);  // four more intervals: a timer still running would tick again
    EXPECT_EQ(std::count(log.begin(), log.end(), "tick"), 1);
    EXPECT_FALSE(form->Ticker.Enabled());
}

TEST_F(FormTest, HandlerErrorsGoToTheGeneralErrorHandler) {
    form->Forward.OnClick = [] { throw std::runtime_error("Panne"); };
    ui::ScopedDialogCapture capture;
    ::SendMessageA(form->Handle(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(form->Forward.Handle()), BN_CLICKED),
                   reinterpret_cast<LPARAM>(form->Forward.Handle()));
    const ui::DialogRequest box = OnlyBox(capture);
    EXPECT_EQ(box.text, "Panne.");
    EXPECT_EQ(box.kind, ui::DialogKind::Error);
}

// A window that Windows refuses (here its class: a name longer than an atom
// holds is never registered) raises an error at once, and leaves the
// application no main form without a window.
TEST(Form, AWindowThatCannotBeMadeRaisesAnError) {
    ui::Application application;
    const std::string unregistrable(300, 'T');
    try {
        ui::Form form({.className = unregistrable.c_str()});
        ADD_FAILURE() << "a form was made without a window";
    } catch (const core::Error& error) {
        EXPECT_STREQ(error.what(), "Erreur lors de la création de la fenêtre");
    }
    EXPECT_EQ(application.MainForm(), nullptr);
}

TEST(TransparentBitmap, PixelsOfTheTransparentColourKeepTheBackground) {
    const win::WindowDc screen;
    win::MemoryDc target(::CreateCompatibleDC(screen.get()));
    win::GdiObject targetBitmap(::CreateCompatibleBitmap(screen.get(), 4, 1));
    win::MemoryDc source(::CreateCompatibleDC(screen.get()));
    win::GdiObject picture(::CreateCompatibleBitmap(screen.get(), 4, 1));
    {
        ui::ScopedSelect select(source.get(), picture.get());
        ::SetPixel(source.get(), 0, 0, RGB(255, 255, 255));  // transparent
        ::SetPixel(source.get(), 1, 0, RGB(200, 0, 0));
        ::SetPixel(source.get(), 2, 0, RGB(255, 255, 255));  // transparent
        ::SetPixel(source.get(), 3, 0, RGB(0, 0, 0));
    }
    ui::ScopedSelect select(target.get(), targetBitmap.get());
    for (int x = 0; x < 4; ++x) ::SetPixel(target.get(), x, 0, RGB(10, 120, 30));
    ui::DrawTransparentBitmap(target.get(), 0, 0, static_cast<HBITMAP>(picture.get()), RGB(255, 255, 255));
    EXPECT_EQ(::GetPixel(target.get(), 0, 0), RGB(10, 120, 30));
    EXPECT_EQ(::GetPixel(target.get(), 1, 0), RGB(200, 0, 0));
    EXPECT_EQ(::GetPixel(target.get(), 2, 0), RGB(10, 120, 30));
    EXPECT_EQ(::GetPixel(target.get(), 3, 0), RGB(0, 0, 0));
}

TEST(Dpi, NinetySixDotsPerInchIsTheIdentity) {
    ASSERT_GT(ui::SystemDpi(), 0);
    EXPECT_EQ(ui::Scale(458), ::MulDiv(458, ui::SystemDpi(), 96));
    if (ui::SystemDpi() == 96) {
        EXPECT_EQ(ui::Scale(21), 21);
    }
}

}  // namespace
