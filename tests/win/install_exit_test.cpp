// install.exe from start to end, driven as a user would: each way of ending
// the program removes the work copy of the manifest.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "win/files.h"
#include "win/handle.h"

namespace {

std::string InstallExe() {
    std::string path = INSTALL_EXE;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

struct FindArgs {
    DWORD process;
    const char* className;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM argument) {
    auto* args = reinterpret_cast<FindArgs*>(argument);
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    char name[64];
    if (process == args->process && ::IsWindowVisible(window) && ::GetClassNameA(window, name, sizeof name) &&
        std::string(name) == args->className) {
        args->found = window;
        return FALSE;
    }
    return TRUE;
}

// The visible top-level window of that class in the process, waiting for it.
HWND WaitForWindow(DWORD process, const char* className) {
    for (int i = 0; i < 300; ++i) {
        FindArgs args{process, className, nullptr};
        ::EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&args));
        if (args.found) return args.found;
        ::Sleep(50);
    }
    return nullptr;
}

HWND ChildWithText(HWND parent, const char* text) {
    return ::FindWindowExA(parent, nullptr, "Button", text);
}

class InstallExit : public ::testing::Test {
protected:
    void SetUp() override {
        workCopy = win::TempFolder() + "SETUP.LST";
        win::DeleteFileIfPresent(workCopy);
        std::string command = "\"" + InstallExe() + "\"";
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        // As Explorer starts a program: the launcher's show command is given.
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_SHOWNORMAL;
        PROCESS_INFORMATION info{};
        ASSERT_TRUE(::CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                                     &info))
            << command << " error " << ::GetLastError();
        process.reset(info.hProcess);
        win::KernelHandle thread(info.hThread);
        processId = info.dwProcessId;
        background = WaitForWindow(processId, "TSetupForm");
        page = WaitForWindow(processId, "TForm1");
        ASSERT_NE(background, nullptr);
        ASSERT_NE(page, nullptr);
        ASSERT_TRUE(win::FileExists(workCopy)) << "the program runs with its work copy";
    }
    void TearDown() override {
        if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT) ::TerminateProcess(process.get(), 9);
    }
    // Ends with status 0 within the time a user would wait.
    bool Ended() {
        if (::WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0) return false;
        DWORD status = 1;
        ::GetExitCodeProcess(process.get(), &status);
        return status == 0;
    }
    void AnswerCloseQuestion(int button) {
        ::PostMessageA(background, WM_CLOSE, 0, 0);
        HWND box = WaitForWindow(processId, "#32770");
        ASSERT_NE(box, nullptr);
        char title[64];
        ::GetWindowTextA(box, title, sizeof title);
        EXPECT_STREQ(title, "Confirmation");
        ::PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
    }

    std::string workCopy;
    win::KernelHandle process;
    DWORD processId = 0;
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
    ::PostMessageA(ChildWithText(page, "Annuler"), BM_CLICK, 0, 0);
    EXPECT_TRUE(Ended());
}

TEST_F(InstallExit, AnnulerOnThePage) {
    HWND annuler = ChildWithText(page, "Annuler");
    ASSERT_NE(annuler, nullptr);
    ::PostMessageA(annuler, BM_CLICK, 0, 0);
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(win::FileExists(workCopy));
}

TEST_F(InstallExit, OuiToTheCloseQuestion) {
    AnswerCloseQuestion(IDOK);
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(win::FileExists(workCopy));
}

TEST_F(InstallExit, NonKeepsTheProgramThenAnnulerEndsIt) {
    AnswerCloseQuestion(IDCANCEL);
    ::Sleep(500);
    EXPECT_EQ(::WaitForSingleObject(process.get(), 0), WAIT_TIMEOUT);
    EXPECT_TRUE(::IsWindowVisible(page));
    EXPECT_TRUE(win::FileExists(workCopy));
    ::PostMessageA(ChildWithText(page, "Annuler"), BM_CLICK, 0, 0);
    ASSERT_TRUE(Ended());
    EXPECT_FALSE(win::FileExists(workCopy));
}

TEST(InstallManifest, AsksForAdministratorAndDeclaresDpiAwareness) {
    const std::string path = InstallExe();
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
