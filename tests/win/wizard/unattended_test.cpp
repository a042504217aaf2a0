// install.exe as administrators and deployment tools run it: from its command
// line, without a person, reporting in its exit code and its journal; and
// the removal through the quiet command of its uninstall entry.  One case
// per fresh prefix.
#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "support/expected_texts.h"
#include "support/test_support.h"
#include "win/files.h"
#include "win/handle.h"
#include "win/shell.h"
#include "win/wide_text.h"
#include "wizard/installation_checks.h"
#include "wizard/wizard_driver.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::CopyFailure;
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
    win::RegistryKey key;
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ, key.put()) == ERROR_SUCCESS;
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

// True while a copy of the uninstaller, which does the work and then removes
// the first instance's file, still runs.
bool UninstallerCopyRuns() {
    const win::KernelHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 process{};
    process.dwSize = sizeof process;
    for (BOOL more = ::Process32First(snapshot.get(), &process); more; more = ::Process32Next(snapshot.get(), &process))
        if (Lower(process.szExeFile).rfind("~desinst", 0) == 0) return true;
    return false;
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

// What a removal cannot finish stays in the log with the uninstall entry and
// the uninstaller that the entry starts: the entry's own commands, quiet or
// not, run again, report the truth in their exit code, and finish the job
// once the obstacle is gone.  The obstacle: a shortcut that a later version
// recorded in a group it has since renamed, which the uninstaller refuses.
TEST_F(Unattended, APartialRemovalIsTriedAgainFromTheEntry) {
    ChildProcess setup(Command("/S"));
    std::set<std::string> windows;
    ASSERT_EQ(WaitWatchingWindows(setup, windows), 0u) << "installed";
    const std::string log = wizard::kDestinationFolder + "setup.log";
    const std::string uninstaller = wizard::WindowsFolder() + "uninst_Korvalix.exe";
    const std::string renamedGroup = wizard::kProgramsGroup + " 2\\Korvalix.lnk";
    std::string text = ReadWholeFile(log);
    ASSERT_TRUE(Contains(text, "Fichiers=6\r\n")) << text;
    text.replace(text.find("Fichiers=6\r\n"), 12, "Fichiers=7\r\n");
    testing_support::WriteFile(log, text + "[Fichier_7]\r\nNom=" + renamedGroup + "\r\n");

    auto expectKeptForAnotherTry = [&](const char* run) {
        ASSERT_TRUE(robot::WaitUntil([] { return !UninstallerCopyRuns(); }, 30s)) << run;
        EXPECT_TRUE(EntryExists()) << run;
        EXPECT_TRUE(win::FileExists(uninstaller)) << run << ": the entry's program stays";
        EXPECT_EQ(wizard::Profile(log, "Fichier_1", "Nom"), uninstaller) << run;
        EXPECT_EQ(wizard::Profile(log, "Fichier_2", "Nom"), renamedGroup) << run;
        EXPECT_EQ(wizard::Profile(log, "Setup", "Fichiers"), "2") << run;
        EXPECT_FALSE(win::FileExists(wizard::kDestinationFolder + "korvalix.exe")) << run;
    };

    ChildProcess quiet(wizard::UninstallValue("QuietUninstallString"));
    EXPECT_EQ(WaitWatchingWindows(quiet, windows), 1u) << "incomplete";
    EXPECT_TRUE(windows.empty()) << Listed(windows);
    expectKeptForAnotherTry("/S");

    // A person, as the list of installed programs starts it.
    ChildProcess person(wizard::UninstallValue("UninstallString"));
    HWND question = robot::WaitForCaption(robot::kAnyProcess, "Confirmation", 30s);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(robot::Click(robot::FindControl(question, "&Oui", "Button")));
    HWND report = robot::WaitForCaption(robot::kAnyProcess, "Avertissement", 60s);
    ASSERT_NE(report, nullptr);
    EXPECT_TRUE(Contains(BoxText(report), renamedGroup + " : suppression refusée par sécurité")) << BoxText(report);
    EXPECT_TRUE(Contains(BoxText(report), "vous pourrez relancer la désinstallation")) << BoxText(report);
    EXPECT_EQ(person.WaitForExit(1s), static_cast<DWORD>(STILL_ACTIVE)) << "it ends with its report";
    ASSERT_TRUE(robot::Click(robot::FindControl(report, "OK", "Button")));
    EXPECT_EQ(person.WaitForExit(), 1u) << "a script that waits learns that something stays";
    expectKeptForAnotherTry("interactive");

    // The obstacle gone (here its entry), the entry's command finishes.
    ASSERT_TRUE(::WritePrivateProfileStringA("Fichier_2", nullptr, nullptr, log.c_str()));
    ASSERT_TRUE(::WritePrivateProfileStringA("Setup", "Fichiers", "1", log.c_str()));
    ChildProcess again(wizard::UninstallValue("QuietUninstallString"));
    EXPECT_EQ(WaitWatchingWindows(again, windows), 0u);
    EXPECT_TRUE(robot::WaitUntil([&] { return !win::FileExists(uninstaller); }, 20s));
    ExpectNoInstallation();
}

// What winget, Intune and Chocolatey add by habit installs as the switches
// say; a bare /LOG leaves its journal in the temporary folder.
TEST_F(Unattended, TheSwitchesDeploymentToolsAddByHabit) {
    const auto journals = [] {
        std::set<std::string> found;
        for (const std::string& name : testing_support::ListFolder(win::TempFolder()))
            if (name.rfind("Journal d'installation ", 0) == 0) found.insert(name);
        return found;
    };
    const std::set<std::string> before = journals();
    ChildProcess setup(Command("/VERYSILENT /SUPPRESSMSGBOXES /NORESTART /SP- /LOG"));
    std::set<std::string> windows;
    ASSERT_EQ(WaitWatchingWindows(setup, windows), 0u);
    EXPECT_TRUE(windows.empty()) << Listed(windows);
    EXPECT_TRUE(win::FileExists(wizard::kDestinationFolder + "korvalix.exe"));
    const std::set<std::string> made = wizard::Difference(journals(), before);
    ASSERT_EQ(made.size(), 1u);
    const std::string journal = ReadWholeFile(win::TempFolder() + *made.begin());
    EXPECT_TRUE(Contains(journal, "L'installation s'est terminée avec succès. Code de sortie : 0.")) << journal;

    // /SILENT /NOCANCEL: the progress page offers no "Annuler".
    ChildProcess again(Command("/SILENT /NOCANCEL /NORESTART"));
    int pages = 0;
    EXPECT_EQ(WaitWatchingWindows(again, windows,
                                  [&](HWND window) {
                                      if (robot::ClassName(window) != "TForm4") return;
                                      ++pages;
                                      const HWND cancel = robot::FindControl(window, "Annuler", "Button");
                                      EXPECT_TRUE(cancel && !::IsWindowVisible(cancel) && !robot::IsEnabled(cancel));
                                  }),
              0u);
    EXPECT_EQ(pages, 1);
}

// A user whose name Windows-1252 cannot write (see wizard::UserNamedLukasz):
// his temporary folder and the installer's own folder reach the installer in
// their short form, the work folder is made there, and the removal's copy
// runs from there too.
TEST_F(Unattended, AUserNamedLukaszInstallsAndRemovesQuietly) {
    const wizard::UserNamedLukasz user;
    const std::string journal = "C:\\journal.txt";
    ChildProcess setup(L"\"" + user.installer + L"\" /S /LOG=" + win::AnsiToWide(journal), user.environment);
    std::set<std::string> windows;
    ASSERT_EQ(WaitWatchingWindows(setup, windows), 0u) << ReadWholeFile(journal);
    EXPECT_TRUE(windows.empty()) << Listed(windows);
    wizard::ExpectFilesAndLogHead(6);

    const std::string temp = win::AnsiPath(user.home + L"\\Temp").value_or("<none>") + "\\";
    EXPECT_NE(temp.find('~'), std::string::npos) << "the short form: " << temp;
    EXPECT_TRUE(Contains(ReadWholeFile(journal), "dossier de travail : " + temp + "inst")) << ReadWholeFile(journal);
    EXPECT_EQ(testing_support::ListFolder(temp), std::vector<std::string>()) << "the work folder is gone";

    ChildProcess removal(win::AnsiToWide(wizard::UninstallValue("QuietUninstallString")), user.environment);
    ASSERT_EQ(WaitWatchingWindows(removal, windows), 0u) << "removed";
    EXPECT_TRUE(windows.empty()) << Listed(windows);
    // The uninstaller's own file goes once its first instance has ended.
    const std::string uninstaller = wizard::WindowsFolder() + "uninst_Korvalix.exe";
    EXPECT_TRUE(robot::WaitUntil([&] { return !win::FileExists(uninstaller); }, 20s));
    wizard::ExpectNothingLeft();
}

// A destination Windows-1252 cannot write: the files go into that very
// folder, which the log and the entry name by its short form, and the quiet
// removal takes them away.
TEST_F(Unattended, ADestinationWindows1252CannotWriteHoldsTheFiles) {
    const std::wstring folder = L"C:\\Programmes\\\u0141\u00f3d\u017a";
    ASSERT_TRUE(::CreateDirectoryW(L"C:\\Programmes", nullptr));
    testing_support::WriteFile("C:\\Programmes\\un fichier", "");
    const std::vector<std::string> before = {"un fichier"};
    const std::wstring installer = L"\"" + win::AnsiToWide(wizard::InstallExe()) + L"\"";

    ChildProcess setup(installer + L" /S /DIR=" + folder + L" /LOG=\"" + win::AnsiToWide(journal_) + L"\"", {});
    std::set<std::string> windows;
    ASSERT_EQ(WaitWatchingWindows(setup, windows), 0u) << ReadWholeFile(journal_);
    EXPECT_TRUE(windows.empty()) << Listed(windows);
    const std::string payloads = PAYLOAD_DIR "\\";
    for (const wchar_t* name : {L"korvalix.exe", L"korvalix32.hlp", L"erreurs.log", L"setup.log"})
        EXPECT_NE(::GetFileAttributesW((folder + L"\\" + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
    EXPECT_EQ(::GetFileAttributesW(L"C:\\Programmes\\L\u00f3dz"), INVALID_FILE_ATTRIBUTES) << "no look-alike";

    const std::string shortForm = win::AnsiPath(folder).value_or("<none>") + "\\";
    EXPECT_NE(shortForm.find('~'), std::string::npos) << shortForm;
    EXPECT_EQ(ReadWholeFile(shortForm + "korvalix.exe"), ReadWholeFile(payloads + "korvalix.exe"));
    const std::string log = shortForm + "setup.log";
    EXPECT_EQ(wizard::Profile(log, "Setup", "DossierInstall"), shortForm);
    EXPECT_EQ(wizard::Profile(log, "Fichier_2", "Nom"), shortForm + "korvalix.exe");
    EXPECT_EQ(wizard::UninstallValue("InstallLocation"), shortForm);
    const std::string quiet = wizard::UninstallValue("QuietUninstallString");
    EXPECT_EQ(quiet, wizard::WindowsFolder() + "uninst_Korvalix.exe /S \"" + log + "\"");

    // An administrator names the log by its long name: the uninstaller reads
    // it from its UTF-16 command line.
    ChildProcess removal(win::AnsiToWide(wizard::WindowsFolder()) + L"uninst_Korvalix.exe /S \"" + folder +
                         L"\\setup.log\"", {});
    ASSERT_EQ(WaitWatchingWindows(removal, windows), 0u) << "removed";
    EXPECT_EQ(::GetFileAttributesW(folder.c_str()), INVALID_FILE_ATTRIBUTES) << "the folder is gone";
    EXPECT_FALSE(EntryExists());
    const std::string uninstaller = wizard::WindowsFolder() + "uninst_Korvalix.exe";
    EXPECT_TRUE(robot::WaitUntil([&] { return !win::FileExists(uninstaller); }, 20s));
    EXPECT_FALSE(win::FolderExists(wizard::kProgramsGroup));
    EXPECT_EQ(testing_support::ListFolder("C:\\Programmes\\"), before);

    // Such a folder must be made before the installer can name it: one that
    // cannot be made (its parent is a file) is named, and nothing starts.
    ChildProcess refused(installer + L" /S \"/DIR=C:\\Programmes\\un fichier\\\u0141\u00f3d\u017a\" /LOG=\"" +
                         win::AnsiToWide(journal_) + L"\"", {});
    EXPECT_EQ(WaitWatchingWindows(refused, windows), 3u);
    EXPECT_TRUE(windows.empty()) << Listed(windows);
    EXPECT_TRUE(Contains(ReadWholeFile(journal_),
                         "Erreur : Le dossier d'installation « C:\\Programmes\\un fichier\\?ód? » ne peut pas être créé."))
        << ReadWholeFile(journal_);
    EXPECT_EQ(testing_support::ListFolder("C:\\Programmes\\"), before);
    EXPECT_FALSE(EntryExists());
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
    EXPECT_TRUE(Contains(text, "  Erreur : " + CopyFailure("korvalix.exe") + "\r\n"))
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
