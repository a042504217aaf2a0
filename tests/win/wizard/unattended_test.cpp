// install.exe as administrators and deployment tools run it: from its command
// line, without a person, reporting in its exit code and its journal; and
// the removal through the quiet command of its uninstall entry.  One case
// per fresh prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "win/files.h"
#include "win/shell.h"
#include "wizard/installation_checks.h"
#include "wizard/wizard_driver.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::ReadWholeFile;

const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvalix";

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string Command(const std::string& arguments, const std::string& program = wizard::InstallExe()) {
    return "\"" + program + "\" " + arguments;
}

// Waits for the program to end, noting the class of every visible window
// that any program shows meanwhile; `onWindow` sees each new one.  The exit
// code, or STILL_ACTIVE when it did not end within two minutes.
DWORD WaitWatchingWindows(ChildProcess& process, std::set<std::string>& seen,
                          const std::function<void(HWND)>& onWindow = {}) {
    std::set<HWND> known;
    const auto deadline = std::chrono::steady_clock::now() + 120s;
    while (std::chrono::steady_clock::now() < deadline) {
        for (HWND window : robot::TopLevelWindows(robot::kAnyProcess)) {
            if (!known.insert(window).second) continue;
            seen.insert(robot::ClassName(window));
            if (onWindow) onWindow(window);
        }
        const DWORD code = process.WaitForExit(20ms);
        if (code != STILL_ACTIVE) return code;
    }
    return STILL_ACTIVE;
}

std::string Listed(const std::set<std::string>& names) {
    std::string text;
    for (const std::string& name : names) text += name + " ";
    return text;
}

bool EntryExists() {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
}

DWORD EntryNumber(const char* name) {
    DWORD number = 0;
    DWORD size = sizeof number;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &number, &size) !=
        ERROR_SUCCESS)
        return 0xDEADBEEF;
    return number;
}

// The texts of a message box's labels.
std::string BoxText(HWND box) {
    std::string text;
    for (HWND control : robot::Controls(box))
        if (Lower(robot::ClassName(control)) == "static") text += robot::Text(control);
    return text;
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// Nothing of an installation of the default manifest is there.
void ExpectNoInstallation() {
    EXPECT_FALSE(win::FolderExists(wizard::kDestinationFolder));
    EXPECT_FALSE(win::FileExists(wizard::WindowsFolder() + "uninst_Korvalix.exe"));
    EXPECT_FALSE(win::FolderExists(wizard::kProgramsGroup));
    EXPECT_FALSE(EntryExists());
    EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));
}

class Unattended : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ::CoInitialize(nullptr); }
    static void TearDownTestSuite() { ::CoUninitialize(); }
    void SetUp() override { ASSERT_FALSE(EntryExists()) << "the prefix is fresh"; }

    const std::string journal_ = win::TempFolder() + "journal d'installation.txt";
};

TEST_F(Unattended, SilentInstallationThenQuietRemovalLeaveTheDriveAsItWas) {
    const std::string folder = "C:\\Program Files\\Société Korvalix\\";
    const std::set<std::string> before = wizard::DriveContents();

    ChildProcess setup(Command("/S /DESKTOP /DIR=\"" + folder + "\" /LOG=\"" + journal_ + "\""));
    std::set<std::string> windows;
    ASSERT_EQ(WaitWatchingWindows(setup, windows), 0u) << "installed";
    EXPECT_TRUE(windows.empty()) << "no window at all: " << Listed(windows);

    // The files, the uninstall log and the shortcuts, in the folder asked for.
    const std::string payloads = PAYLOAD_DIR "\\";
    const std::string uninstaller = wizard::WindowsFolder() + "uninst_Korvalix.exe";
    EXPECT_EQ(ReadWholeFile(uninstaller), ReadWholeFile(payloads + "uninst_Korvalix.exe"));
    EXPECT_EQ(ReadWholeFile(folder + "korvalix.exe"), ReadWholeFile(payloads + "korvalix.exe"));
    EXPECT_EQ(ReadWholeFile(folder + "korvalix32.hlp"), ReadWholeFile(payloads + "korvalix32.hlp"));
    EXPECT_TRUE(win::FileExists(folder + "erreurs.log"));
    const std::string log = folder + "setup.log";
    EXPECT_EQ(wizard::Profile(log, "Setup", "DossierInstall"), folder);
    EXPECT_EQ(wizard::Profile(log, "Setup", "Fichiers"), "7") << "four files and three shortcuts";
    EXPECT_EQ(wizard::LinkTarget(wizard::DesktopFolder() + "Korvalix.lnk"), folder + "korvalix.exe");
    EXPECT_EQ(wizard::LinkTarget(wizard::kProgramsGroup + "\\Korvalix.lnk"), folder + "korvalix.exe");
    EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));

    // The uninstall entry, as Windows and the package managers read it.
    EXPECT_EQ(wizard::UninstallValue("DisplayName"), "Korvalix32");
    EXPECT_EQ(wizard::UninstallValue("DisplayVersion"), "2.1");
    EXPECT_EQ(wizard::UninstallValue("Publisher"), "Éditions Korvalix");
    EXPECT_EQ(wizard::UninstallValue("InstallLocation"), folder);
    EXPECT_EQ(wizard::UninstallValue("DisplayIcon"), folder + "korvalix.exe");
    EXPECT_EQ(wizard::UninstallValue("InstallDate"), testing_support::TodayAsInstallDate());
    const uint64_t bytes = ReadWholeFile(uninstaller).size() + ReadWholeFile(folder + "korvalix.exe").size() +
                           ReadWholeFile(folder + "korvalix32.hlp").size();
    EXPECT_EQ(EntryNumber("EstimatedSize"), (bytes + 1023) / 1024);
    EXPECT_EQ(EntryNumber("NoModify"), 1u);
    EXPECT_EQ(EntryNumber("NoRepair"), 1u);
    EXPECT_EQ(wizard::UninstallValue("UninstallString"), uninstaller + " \"" + log + "\"");
    const std::string quiet = wizard::UninstallValue("QuietUninstallString");
    EXPECT_EQ(quiet, uninstaller + " /S \"" + log + "\"");

    // The journal, in Windows-1252, a dated line per event, ending with the verdict.
    const std::string text = ReadWholeFile(journal_);
    for (const std::string& event : std::vector<std::string>
         {"Ligne de commande : /S /DESKTOP", "Fichier installé : " + folder + "korvalix.exe",
          "Fichier installé : " + uninstaller, "Raccourci créé : " + wizard::DesktopFolder() + "Korvalix.lnk",
          "L'installation s'est terminée avec succès. Code de sortie : 0.\r\n"})
        EXPECT_TRUE(Contains(text, "  " + event)) << event << "\n" << text;
    EXPECT_TRUE(Contains(text, "\xE9")) << "Windows-1252";
    EXPECT_EQ(text.substr(0, 2), "20");
    EXPECT_EQ(text.find("Erreur"), std::string::npos) << text;

    // The quiet removal ends when everything is gone, and says so.
    ChildProcess removal(quiet);
    ASSERT_EQ(WaitWatchingWindows(removal, windows), 0u) << "removed";
    EXPECT_TRUE(windows.empty()) << "no window at all: " << Listed(windows);
    EXPECT_FALSE(win::FolderExists(folder));
    EXPECT_FALSE(EntryExists());
    EXPECT_FALSE(win::FolderExists(wizard::kProgramsGroup));
    EXPECT_FALSE(win::FileExists(wizard::DesktopFolder() + "Korvalix.lnk"));
    // The uninstaller's own file goes as soon as its first instance has
    // ended, not at the next restart.
    EXPECT_TRUE(robot::WaitUntil([&] { return !win::FileExists(uninstaller); }, 20s));

    wizard::ExpectSameDrive(before);
}

TEST_F(Unattended, ProgressOnlyAndEndsByItself) {
    ChildProcess setup(Command("-silent -NoStartMenu"));
    std::set<std::string> windows;
    int closeRequests = 0;
    const DWORD code = WaitWatchingWindows(setup, windows, [&](HWND window) {
        // Closing the background asks nothing, and changes nothing.
        if (robot::ClassName(window) == "TSetupForm") {
            robot::Close(window);
            ++closeRequests;
        }
    });
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(closeRequests, 1);
    EXPECT_EQ(windows, (std::set<std::string>{"TSetupForm", "TForm4"})) << "no page before the progress, no box";

    EXPECT_TRUE(win::FileExists(wizard::kDestinationFolder + "korvalix.exe"));
    EXPECT_TRUE(win::FileExists(wizard::WindowsFolder() + "uninst_Korvalix.exe"));
    EXPECT_FALSE(win::FolderExists(wizard::kProgramsGroup)) << "/NOSTARTMENU";
    EXPECT_FALSE(win::FileExists(wizard::DesktopFolder() + "Korvalix.lnk")) << "the desktop option stays off";
    EXPECT_TRUE(EntryExists());
    EXPECT_FALSE(win::FileExists(wizard::WorkCopy()));
}

TEST_F(Unattended, ABadCommandLineChangesNothing) {
    const std::set<std::string> before = wizard::DriveContents();
    std::set<std::string> windows;
    // Among them, destinations that the uninstaller would never clean.
    for (const char* arguments : {"/S /FOO", "-s /DIR=Korvalix", "/VERYSILENT /LOG=\"C:\\nulle part\\journal.txt\"",
                                  "/SILENT /D=", "/S /DIR=\"C:\\Program Files\\Korvalix",
                                  "/S /DIR=\"C:\\windows\\Korvalix\"", "/S /DIR=C:\\", "/SILENT /DIR=\"C:\\Program Files\"",
                                  "/S /D=\\\\serveur\\partage\\Korvalix"}) {
        ChildProcess setup(Command(arguments));
        EXPECT_EQ(WaitWatchingWindows(setup, windows), 4u) << arguments;
    }
    EXPECT_TRUE(windows.empty()) << "the silent modes show no box: " << Listed(windows);

    // The line is judged before the journal is touched: one from an earlier
    // run keeps its bytes, and none is made.
    testing_support::WriteFile(journal_, "journal d'hier");
    ChildProcess logged(Command("/S /LOG=\"" + journal_ + "\" /NOSTARTMENU=oui"));
    EXPECT_EQ(WaitWatchingWindows(logged, windows), 4u);
    EXPECT_EQ(ReadWholeFile(journal_), "journal d'hier");
    ASSERT_TRUE(::DeleteFileA(journal_.c_str()));
    ChildProcess unlogged(Command("/S /DIR=\"C:\\windows\\Korvalix\" /LOG=\"" + journal_ + "\""));
    EXPECT_EQ(WaitWatchingWindows(unlogged, windows), 4u);
    EXPECT_FALSE(win::FileExists(journal_));

    // A person is shown the switch in the error box.
    ChildProcess shown(Command("/DIR=\"C:\\Mon dossier\" /Foo"));
    HWND box = robot::WaitForCaption(shown.Id(), "Erreur");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(Contains(BoxText(box), "Option inconnue : « /Foo »")) << BoxText(box);
    EXPECT_EQ(robot::ClassName(box), "#32770");
    ASSERT_TRUE(robot::PressKeys(box, "Return"));  // "Annuler"
    EXPECT_EQ(shown.WaitForExit(), 4u);

    ExpectNoInstallation();
    EXPECT_EQ(wizard::Difference(wizard::DriveContents(), before), std::set<std::string>()) << "left behind";
}

// A journal that another user prepared cannot make an elevated run empty
// another file: a link, a second name of a file, or a folder at its path
// refuses the command line and is left as it was.
TEST_F(Unattended, AJournalThatIsALinkOrAnotherNameIsRefusedUntouched) {
    const std::string journal = win::TempFolder() + "journal.txt";
    const std::string target = win::TempFolder() + "autre.txt";
    testing_support::WriteFile(target, "précieux");
    std::set<std::string> windows;
    auto expectRefused = [&](const char* what) {
        ChildProcess setup(Command("/S /LOG=\"" + journal + "\""));
        EXPECT_EQ(WaitWatchingWindows(setup, windows), 4u) << what;
        EXPECT_EQ(ReadWholeFile(target), "précieux") << what;
    };
    ASSERT_TRUE(testing_support::MakeHardLink(journal, target));
    expectRefused("a hard link");
    ASSERT_TRUE(::DeleteFileA(journal.c_str()));
    ASSERT_TRUE(::CreateDirectoryA(journal.c_str(), nullptr));
    expectRefused("a folder");
    ASSERT_TRUE(::RemoveDirectoryA(journal.c_str()));
    // Last: deleting the link under Wine would delete what it leads to.
    ASSERT_TRUE(testing_support::MakeSymbolicLink(journal, target));
    expectRefused("a symbolic link");
    EXPECT_TRUE(windows.empty()) << Listed(windows);
    ExpectNoInstallation();

    // A plain journal from an earlier run is emptied, then written.
    const std::string plain = win::TempFolder() + "journal de la veille.txt";
    testing_support::WriteFile(plain, std::string(100000, '\x01'));
    ChildProcess setup(Command("/S /NOSTARTMENU /LOG=\"" + plain + "\""));
    EXPECT_EQ(WaitWatchingWindows(setup, windows), 0u);
    const std::string text = ReadWholeFile(plain);
    EXPECT_EQ(text.find('\x01'), std::string::npos) << "nothing of the old journal stays";
    EXPECT_TRUE(Contains(text, "  L'installation s'est terminée avec succès. Code de sortie : 0.\r\n")) << text;
}

TEST_F(Unattended, AnErrorGoesToTheJournalAndTheExitCode) {
    // The application runs and holds its file: in silent mode the run stops
    // there as it does after the box, which nobody sees.
    ASSERT_TRUE(win::ForceDirectories(wizard::kDestinationFolder));
    const std::string held = wizard::kDestinationFolder + "korvalix.exe";
    testing_support::WriteFile(held, "ancienne version");
    ChildProcess holder("\"" + testing_support::TestFolder() + "hold_file.exe\" \"" + held + "\"");
    ASSERT_TRUE(robot::WaitUntil([&] {
        win::FileHandle probe(::CreateFileA(held.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, 0, nullptr));
        return !probe;
    })) << "the file is held";

    ChildProcess setup(Command("/S /LOG=\"" + journal_ + "\""));
    std::set<std::string> windows;
    EXPECT_EQ(WaitWatchingWindows(setup, windows), 1u) << "the run failed";
    EXPECT_TRUE(windows.empty()) << Listed(windows);
    EXPECT_EQ(ReadWholeFile(held), "ancienne version");
    EXPECT_FALSE(win::FileExists(wizard::kDestinationFolder + "korvalix32.hlp")) << "the files after it wait";
    EXPECT_TRUE(win::FileExists(wizard::WindowsFolder() + "uninst_Korvalix.exe")) << "the file before it stays";
    EXPECT_TRUE(EntryExists()) << "what was installed can be removed";
    const std::string text = ReadWholeFile(journal_);
    EXPECT_TRUE(Contains(text, "  Erreur : Impossible de copier le fichier \"korvalix.exe\". Vérifiez que Korvalix32 "
                               "n'est pas déjà lancé !\r\n"))
        << text;
    EXPECT_TRUE(Contains(text, "  L'installation a échoué. Code de sortie : 1.\r\n")) << text;
    holder.Kill();

    // An installer whose manifest is bad cannot start: its code, and no box.
    ChildProcess broken(Command("/S", testing_support::TestFolder() + "installer_no_name.exe"));
    EXPECT_EQ(WaitWatchingWindows(broken, windows), 3u);
    EXPECT_TRUE(windows.empty()) << Listed(windows);
}

TEST_F(Unattended, TheWizardProposesTheSwitchesAndEndsWithTheTable) {
    const std::string folder = "C:\\Mes programmes\\Korvalix";
    ChildProcess setup(Command("/DIR=\"" + folder + "\" /NOSTARTMENU /DESKTOP"));
    HWND page1 = robot::WaitForClass(setup.Id(), "TForm1");
    ASSERT_NE(page1, nullptr);
    ASSERT_TRUE(robot::PressKeys(page1, "Return"));
    HWND page2 = robot::WaitForClass(setup.Id(), "TForm2");
    ASSERT_NE(page2, nullptr);
    EXPECT_EQ(robot::Text(robot::FindControlOfClass(page2, "Edit")), folder);
    EXPECT_FALSE(robot::IsChecked(robot::FindControl(page2, "Ajouter un groupe de programme dans le menu démarrer")));
    EXPECT_TRUE(robot::IsChecked(robot::FindControl(page2, "Ajouter un raccourci sur le bureau")));
    // Leaving the wizard is cancelling.
    ASSERT_TRUE(robot::PressKeys(page2, "Escape"));
    EXPECT_EQ(setup.WaitForExit(), 2u);

    // /? lists the switches.
    ChildProcess help(Command("/?"));
    HWND box = robot::WaitForCaption(help.Id(), "Information");
    ASSERT_NE(box, nullptr);
    for (const char* item : {"/VERYSILENT", "/DIR=\"<dossier>\"", "/LOG=\"<fichier>\"", "4 ligne de commande incorrecte"})
        EXPECT_TRUE(Contains(BoxText(box), item)) << item;
    ASSERT_TRUE(robot::PressKeys(box, "Return"));
    EXPECT_EQ(help.WaitForExit(), 0u);
    ExpectNoInstallation();
}

}  // namespace
