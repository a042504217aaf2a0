// The background window under Wine and Xvfb: its gradient and title as
// pixels, the page it keeps in front, the close question, and the removal of
// the work copy of the manifest.
#include <gtest/gtest.h>

#include "support/test_support.h"
#include <windows.h>

#include <future>
#include <string>

#include "General/WorkDir.h"
#include "SetupFrm/SetupFrm.h"
#include "Variable/Variable.h"
#include "Accueil/Accueil.h"
#include "Recap/Recap.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "win/files.h"

using namespace testing_support;

namespace {

class SetupFormTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::DropQuitMessages();
        Installer = InstallerState{};
        Installer.AppName = "Korvalix32";
        Installer.WorkDir = work.Path();
        setupForm = ui::CreateForm<TSetupForm>();
        SetupForm = setupForm.get();
        page = ui::CreateForm<TForm1>();
        Form1 = page.get();
    }
    void TearDown() override {
        Form1 = nullptr;
        page.reset();
        SetupForm = nullptr;
        setupForm.reset();
    }
    testing_support::ScratchFolder work{"work"};
    ui::Application application;
    ui::FormPtr<TSetupForm> setupForm;
    ui::FormPtr<TForm1> page;
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

// Counts pixels of one colour in a rectangle of the window's client area.
int CountPixels(HWND window, RECT area, COLORREF colour) {
    const win::WindowDc dc(window);
    int count = 0;
    for (int y = area.top; y < area.bottom; ++y)
        for (int x = area.left; x < area.right; ++x)
            if (::GetPixel(dc.get(), x, y) == colour) ++count;
    return count;
}

TEST_F(SetupFormTest, PaintsTheGradientAndTheShadowedTitle) {
    ASSERT_EQ(::GetSystemMetrics(SM_CYSCREEN), 768) << "run under Xvfb at 1024x768";
    SetupForm->Show();
    Form1->Hide();  // keep the page out of the way of the pixels read below
    SetupForm->CurrentPage = 0;
    ::InvalidateRect(SetupForm->Handle(), nullptr, FALSE);
    Pump();

    HWND window = SetupForm->Handle();
    RECT client;
    ::GetClientRect(window, &client);
    ASSERT_GT(client.bottom, 400);
    {
        const win::WindowDc dc(window);
        const int x = client.right - 5;  // right of the title
        EXPECT_EQ(::GetPixel(dc.get(), x, 0), RGB(0, 0, 255));
        EXPECT_EQ(::GetPixel(dc.get(), x, 2), RGB(0, 0, 254));    // band 1 covers rows 1 and 2
        EXPECT_EQ(::GetPixel(dc.get(), x, 1), RGB(0, 0, 254));
        EXPECT_EQ(::GetPixel(dc.get(), x, 128), RGB(0, 0, 212));  // 212.5, half to even
        EXPECT_EQ(::GetPixel(dc.get(), x, 384), RGB(0, 0, 128));  // 127.5, half to even
        EXPECT_EQ(::GetPixel(dc.get(), x, 383), RGB(0, 0, 128));
    }

    // White letters from (15, 15), their black shadow 5 pixels lower right.
    const RECT title{15, 15, 400, 60};
    EXPECT_GT(CountPixels(window, title, RGB(255, 255, 255)), 100);
    EXPECT_GT(CountPixels(window, title, RGB(0, 0, 0)), 100);
    EXPECT_EQ(CountPixels(window, RECT{0, 0, 15, 15}, RGB(255, 255, 255)), 0);
}

TEST_F(SetupFormTest, RepaintRaisesTheCurrentPageOnlyWhenThereIsOne) {
    SetupForm->Show();
    Pump();
    // The background in front of the page: its repaint brings page 1 back.
    ::SetWindowPos(SetupForm->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::InvalidateRect(SetupForm->Handle(), nullptr, FALSE);
    Pump();
    EXPECT_EQ(::GetWindow(Form1->Handle(), GW_HWNDNEXT) != nullptr, true);
    auto above = [](HWND upper, HWND lower) {
        for (HWND w = ::GetWindow(upper, GW_HWNDNEXT); w; w = ::GetWindow(w, GW_HWNDNEXT))
            if (w == lower) return true;
        return false;
    };
    EXPECT_TRUE(above(Form1->Handle(), SetupForm->Handle()));

    // With no current page, a repaint leaves the background in front.
    SetupForm->CurrentPage = 0;
    ::SetWindowPos(SetupForm->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ::InvalidateRect(SetupForm->Handle(), nullptr, FALSE);
    Pump();
    EXPECT_TRUE(above(SetupForm->Handle(), Form1->Handle()));
}

TEST_F(SetupFormTest, PageSwitchHidesOneShowsTheOtherAndSetsTheNumber) {
    auto second = ui::CreateForm<TForm3>();
    Form2 = second.get();
    SetupForm->Show();
    Pump();
    SetupForm->SwitchPage(*Form1, *Form2, 2);
    EXPECT_EQ(SetupForm->CurrentPage, 2);
    EXPECT_FALSE(Form1->Visible());
    EXPECT_TRUE(Form2->Visible());
    Pump();
    SetupForm->SwitchPage(*Form2, *Form1, 1);
    EXPECT_EQ(SetupForm->CurrentPage, 1);
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(Form2->Visible());
    Form2 = nullptr;
}

TEST_F(SetupFormTest, ClosingAsksAndNonKeepsEverything) {
    SetupForm->Show();
    Pump();
    int pageDuringQuestion = -1;
    ui::ScopedDialogCapture capture([&](const ui::DialogRequest&) {
        pageDuringQuestion = SetupForm->CurrentPage;
        return ui::DialogResult::No;
    });
    SetupForm->Close();
    const ui::DialogRequest question = OnlyBox(capture);
    EXPECT_EQ(question.kind, ui::DialogKind::Confirmation);
    EXPECT_EQ(question.title, "Confirmation");
    EXPECT_EQ(question.buttons, ui::DialogButtons::YesNo);
    EXPECT_EQ(question.text,
              "Si vous quittez maintenant, l'installation ne sera pas terminée.\r"
              "Désirez vous annuler l'installation en cours ?");
    EXPECT_EQ(pageDuringQuestion, 0);  // no page raised over the question
    EXPECT_EQ(SetupForm->CurrentPage, 1);
    EXPECT_TRUE(SetupForm->Visible());
    EXPECT_TRUE(Form1->Visible());
    EXPECT_FALSE(application.Terminated());
}

TEST_F(SetupFormTest, ClosingWithOuiEndsTheProgram) {
    SetupForm->Show();
    Pump();
    ui::ScopedDialogCapture capture([](const ui::DialogRequest&) { return ui::DialogResult::Yes; });
    SetupForm->Close();
    EXPECT_EQ(capture.Requests().size(), 1u);
    EXPECT_TRUE(application.Terminated());
    EXPECT_EQ(SetupForm->CurrentPage, 1);
}

TEST_F(SetupFormTest, APageRefusesToClose) {
    SetupForm->Show();
    Pump();
    ui::ScopedDialogCapture capture;
    ::SendMessageA(Form1->Handle(), WM_CLOSE, 0, 0);
    ::SendMessageA(Form1->Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(100ms);
    EXPECT_TRUE(Form1->Visible());
    EXPECT_TRUE(capture.Requests().empty());
    EXPECT_FALSE(application.Terminated());
}

// The real question box, answered with a click from another thread, as a
// person would while the program waits for the answer.
struct BoxSeen {
    std::string text, yes, no;
    bool clicked = false;
};

std::future<BoxSeen> AnswerQuestion(int button) {
    return WhenWindowShows("Confirmation", [button](HWND box) {
        BoxSeen seen;
        if (!box) return seen;
        char text[512];
        ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        seen.text = text;
        seen.yes = robot::Text(::GetDlgItem(box, IDOK));
        seen.no = robot::Text(::GetDlgItem(box, IDCANCEL));
        seen.clicked = robot::Click(::GetDlgItem(box, button));
        return seen;
    });
}

TEST_F(SetupFormTest, RealQuestionBoxAnsweredNonThenOui) {
    SetupForm->Show();
    Pump();
    auto answer = AnswerQuestion(IDCANCEL);
    robot::Close(SetupForm->Handle());
    PumpUntil([&] { return answer.wait_for(0s) == std::future_status::ready; }, 40s);
    const BoxSeen first = answer.get();
    ASSERT_TRUE(first.clicked);
    EXPECT_EQ(first.yes, "&Oui");
    EXPECT_EQ(first.no, "&Non");
    // The box shows the carriage return as a line break.
    EXPECT_NE(first.text.find("pas terminée."), std::string::npos);
    EXPECT_NE(first.text.find("Désirez vous annuler l'installation en cours ?"), std::string::npos);
    EXPECT_EQ(SetupForm->CurrentPage, 1);
    EXPECT_FALSE(application.Terminated());
    EXPECT_TRUE(Form1->Visible());
    // "Non" leaves the same page in front, with the keyboard.
    EXPECT_TRUE(PumpUntil([] { return ::GetActiveWindow() == Form1->Handle(); }));

    answer = AnswerQuestion(IDOK);
    robot::Close(SetupForm->Handle());
    EXPECT_TRUE(PumpUntil([&] { return application.Terminated(); }, 40s));
    EXPECT_TRUE(answer.get().clicked);
}

TEST_F(SetupFormTest, DestructionRemovesTheWorkCopyOfTheManifestAndTheWorkFolder) {
    const std::string path = Installer.WorkDir + kSetupListName;
    ASSERT_TRUE(win::CreateEmptyFile(path));
    Form1 = nullptr;
    page.reset();
    EXPECT_TRUE(win::FileExists(path));  // the pages leave it alone
    SetupForm = nullptr;
    setupForm.reset();
    EXPECT_FALSE(win::FileExists(path));
    EXPECT_FALSE(win::FolderExists(Installer.WorkDir));
}

}  // namespace
