// The uninstaller against Wine's real files, folders and registry: hand-made
// logs over files and entries the tests create, run in-process with the boxes
// captured, and the program itself run as a child process.

#include "Uninstaller.h"
#include "Removal.h"

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "core/installation_folder.h"
#include "support/test_support.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/registry.h"
#include "win/shell.h"
#include "win/wide_text.h"
#include "common/setup_log_text.h"

namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;

const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\KorvalixTest";
const char* const kInstallDir = "C:\\Program Files\\Korvalix\\";
const char* const kLogPath = "C:\\Program Files\\Korvalix\\setup.log";
const char* const kWindowsFile = "C:\\windows\\uninst_KorvalixTest.exe";

bool Exists(const std::string& path) { return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void MakeFile(const std::string& path, const std::string& bytes = "contenu") {
    testing_support::WriteFile(path, bytes);
    ASSERT_TRUE(win::FileExists(path)) << path;
}

bool KeyExists(const std::string& path) {
    return static_cast<bool>(win::OpenRegistryKey(HKEY_LOCAL_MACHINE, path, KEY_QUERY_VALUE));
}

void MakeUninstallKey(const std::string& uninstallString) {
    auto created = win::CreateRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_ALL_ACCESS);
    ASSERT_TRUE(created.key);
    win::WriteRegistryString(created.key, "DisplayName", "Korvalix32");
    win::WriteRegistryString(created.key, "UninstallString", uninstallString);
}

// The paths waiting for the next restart, as the system keeps them.
std::string PendingRemovals() {
    const win::RegistryKey key =
        win::OpenRegistryKey(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager", KEY_READ);
    if (!key) return {};
    DWORD size = 0;
    std::string data;
    if (::RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        data.resize(size);
        ::RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(data.data()), &size);
    }
    for (char& c : data)
        if (c == '\0') c = '|';
    return data;
}

bool ContainsIgnoringCase(std::string text, std::string part) {
    for (std::string* s : {&text, &part})
        for (char& c : *s) c = static_cast<char>(::tolower(static_cast<unsigned char>(c)));
    return text.find(part) != std::string::npos;
}

// The same file under another name: through the drive that maps the whole
// Unix file system, named through Wine's "drive_c" folder, which no Windows
// path could spell otherwise.
std::string UnixDriveAlias(const std::string& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
    if (!unixName) return {};
    const std::wstring wide(path.begin(), path.end());
    char* unix = unixName(wide.c_str());
    if (!unix) return {};
    std::string alias = std::string("Z:") + unix;
    ::HeapFree(::GetProcessHeap(), 0, unix);
    const size_t drive = alias.find("/dosdevices/c:/");
    if (drive == std::string::npos) return {};
    alias.replace(drive, 15, "/drive_c/");
    for (char& c : alias)
        if (c == '/') c = '\\';
    return alias;
}

// Starts hold_file on the path and waits until the file is really held:
// opening it for deletion is refused.
bool HeldBy(ChildProcess& holder, const std::string& path) {
    if (holder.Id() == 0) return false;
    for (int i = 0; i < 600; ++i) {
        // Closed at once: the holder cannot take the file while it is open.
        if (!win::FileHandle(::CreateFileA(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                           nullptr, OPEN_EXISTING, 0, nullptr)))
            return true;
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

// One section per entry, numbered from 1.
std::string Entries(const std::vector<std::string>& paths, int first = 1) {
    std::string text;
    for (size_t i = 0; i < paths.size(); ++i)
        text += "[Fichier_" + std::to_string(first + static_cast<int>(i)) + "]\r\nNom=" + paths[i] + "\r\n";
    return text;
}

class UninstallTest : public testing::Test {
protected:
    void SetUp() override {
        group_ = win::SpecialFolderPath(CSIDL_COMMON_PROGRAMS) + "\\Korvalix";
        desktop_ = win::SpecialFolderPath(CSIDL_DESKTOP);
        ASSERT_FALSE(desktop_.empty());
        ASSERT_TRUE(win::ForceDirectories(kInstallDir));
        ASSERT_TRUE(win::ForceDirectories(group_));
    }

    void TearDown() override {
        testing_support::RemoveTree(kInstallDir);
        testing_support::RemoveTree(group_);
        ::DeleteFileA((desktop_ + "\\Korvalix.lnk").c_str());
        ::DeleteFileA(kWindowsFile);
        ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUninstallKey);
    }

    // A log as the installer writes it, with the given counter and entries.
    void WriteLog(const std::string& fichiers, const std::string& entries, const std::string& logPath = kLogPath) {
        testing_support::WriteFile(logPath,
                                   kSetupLogInformation + "[Setup]\r\nNom=Korvalix32\r\nDossierInstall=" +
                                       std::string(kInstallDir) + "\r\nDesinstall=KorvalixTest\r\nRun=Korvalix32\r\n" +
                                       (fichiers.empty() ? "" : "Fichiers=" + fichiers + "\r\n") +
                                       "DossierDemarrage=" + group_ + "\r\n" + entries);
    }

    // The installation of the example manifest: its files, shortcuts and entry.
    std::vector<std::string> MakeInstallation() {
        const std::vector<std::string> paths = {
            kWindowsFile,
            std::string(kInstallDir) + "korvalix.exe",
            std::string(kInstallDir) + "korvalix32.hlp",
            std::string(kInstallDir) + "erreurs.log",
            group_ + "\\Korvalix.lnk",
            desktop_ + "\\Korvalix.lnk",
            group_ + "\\Aide de Korvalix.lnk",
        };
        for (const std::string& path : paths) MakeFile(path);
        MakeUninstallKey(std::string(kWindowsFile) + " \"" + kLogPath + "\"");
        return paths;
    }

    std::vector<std::string> ExampleEntries() {
        return {kWindowsFile,
                std::string(kInstallDir) + "korvalix.exe",
                std::string(kInstallDir) + "korvalix32.hlp",
                std::string(kInstallDir) + "erreurs.log",
                group_ + "\\Korvalix.lnk",
                "%desktop%\\Korvalix.lnk",
                group_ + "\\Aide de Korvalix.lnk"};
    }

    // The uninstaller on the test's log, answering its question with `answer`.
    int RunOnTheLog(ui::DialogResult answer = ui::DialogResult::Yes, unsigned quitWait = 0) {
        return Run(std::string("\"") + kLogPath + "\"", answer, quitWait);
    }
    int Run(const std::string& arguments, ui::DialogResult answer = ui::DialogResult::Yes, unsigned quitWait = 0) {
        ui::ScopedDialogCapture capture([&](const ui::DialogRequest& request) {
            return request.buttons == ui::DialogButtons::YesNo ? answer : ui::DialogResult::Ok;
        });
        UninstallOptions options;
        options.quitSignalWait = quitWait;
        const int code = RunUninstaller(arguments, options);
        dialogs_ = capture.Requests();
        return code;
    }

    const ui::DialogRequest& LastDialog() const { return dialogs_.back(); }

    void ExpectNothingChanged(const std::vector<std::string>& paths) {
        for (const std::string& path : paths) EXPECT_TRUE(win::FileExists(path)) << path;
        EXPECT_TRUE(win::FileExists(kLogPath));
        EXPECT_TRUE(KeyExists(kUninstallKey));
    }

    std::string group_;
    std::string desktop_;
    std::vector<ui::DialogRequest> dialogs_;
};

TEST_F(UninstallTest, RemovesAnInstallationAndEverythingItRecorded) {
    const auto paths = MakeInstallation();
    WriteLog("7", Entries(ExampleEntries()));

    EXPECT_EQ(RunOnTheLog(), kUninstallDone);

    for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(Exists(kLogPath));
    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(Exists(group_));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_TRUE(Exists("C:\\Program Files"));
    EXPECT_TRUE(Exists(desktop_));

    ASSERT_EQ(dialogs_.size(), 2u);
    EXPECT_EQ(dialogs_[0].kind, ui::DialogKind::Confirmation);
    EXPECT_EQ(dialogs_[0].title, "Confirmation");
    EXPECT_EQ(dialogs_[0].buttons, ui::DialogButtons::YesNo);
    EXPECT_NE(dialogs_[0].text.find("Korvalix32"), std::string::npos);
    EXPECT_NE(dialogs_[0].text.find(kInstallDir), std::string::npos);
    EXPECT_EQ(dialogs_[1].kind, ui::DialogKind::Information);
    // Seven entries, the group, the log, the folder and the registry entry.
    EXPECT_EQ(dialogs_[1].text, "Korvalix32 a été désinstallé.\r\r11 éléments ont été supprimés.");
    // The texts reach the screen in Windows-1252.
    EXPECT_NE(dialogs_[1].text.find("\xE9"), std::string::npos);
}

TEST_F(UninstallTest, AcceptsTheLogPathUnquoted) {
    const auto paths = MakeInstallation();
    WriteLog("7", Entries(ExampleEntries()));
    EXPECT_EQ(Run(std::string("  ") + kLogPath + " "), kUninstallDone);
    for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(Exists(kInstallDir));
}

TEST_F(UninstallTest, WithoutAReadableLogNothingChanges) {
    const auto paths = MakeInstallation();
    WriteLog("7", Entries(ExampleEntries()));
    const std::string missing = std::string(kInstallDir) + "absent.log";

    for (const std::string& arguments :
         {std::string(), "\"" + missing + "\"", std::string("\"") + kInstallDir + "\""}) {
        EXPECT_EQ(Run(arguments), arguments.empty() ? kUninstallBadCommandLine : kUninstallNoLog) << arguments;
        ASSERT_EQ(dialogs_.size(), 1u) << arguments;
        EXPECT_EQ(LastDialog().kind, ui::DialogKind::Error);
        EXPECT_NE(LastDialog().text.find("rien n'a été modifié"), std::string::npos) << LastDialog().text;
        ExpectNothingChanged(paths);
    }
    EXPECT_NE(LastDialog().text.find("introuvable ou illisible"), std::string::npos);
}

TEST_F(UninstallTest, ALogWithoutSetupSectionChangesNothing) {
    const auto paths = MakeInstallation();
    testing_support::WriteFile(
        kLogPath, kSetupLogInformation + Entries(ExampleEntries()));
    EXPECT_EQ(RunOnTheLog(), kUninstallNoLog);
    ASSERT_EQ(dialogs_.size(), 1u);
    EXPECT_EQ(LastDialog().kind, ui::DialogKind::Error);
    EXPECT_NE(LastDialog().text.find("[Setup]"), std::string::npos);
    ExpectNothingChanged(paths);
}

TEST_F(UninstallTest, AnsweringNoChangesNothing) {
    const auto paths = MakeInstallation();
    WriteLog("7", Entries(ExampleEntries()));
    EXPECT_EQ(RunOnTheLog(ui::DialogResult::No), kUninstallCancelled);
    ASSERT_EQ(dialogs_.size(), 1u);
    ExpectNothingChanged(paths);
}

TEST_F(UninstallTest, SilentRunAsksAndShowsNothing) {
    const auto paths = MakeInstallation();
    WriteLog("7", Entries(ExampleEntries()));
    EXPECT_EQ(Run(std::string("/S \"") + kLogPath + "\""), kUninstallDone);
    EXPECT_TRUE(dialogs_.empty());
    for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(KeyExists(kUninstallKey));

    EXPECT_EQ(Run("/S \"C:\\nowhere\\setup.log\""), kUninstallNoLog);
    EXPECT_TRUE(dialogs_.empty());
    EXPECT_EQ(Run("/S /X \"C:\\nowhere\\setup.log\""), kUninstallBadCommandLine);
    EXPECT_TRUE(dialogs_.empty()) << "not even to say the line is wrong";
}

TEST_F(UninstallTest, EntriesAlreadyGoneAreSkippedSilently) {
    auto paths = MakeInstallation();
    ASSERT_TRUE(::DeleteFileA(paths[2].c_str()));
    ASSERT_TRUE(::DeleteFileA(paths[5].c_str()));
    WriteLog("7", Entries(ExampleEntries()));

    EXPECT_EQ(RunOnTheLog(), kUninstallDone);
    for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << path;
    EXPECT_EQ(LastDialog().kind, ui::DialogKind::Information);
    EXPECT_EQ(LastDialog().text, "Korvalix32 a été désinstallé.\r\r9 éléments ont été supprimés.");
}

// The application still running from its file, and another file that it
// holds open: both go at the restart, and the exit code is the one that
// deployment tools read as "done, restart needed".
TEST_F(UninstallTest, AFileInUseIsReportedAndScheduledForTheRestart) {
    const auto paths = MakeInstallation();
    WriteLog("7", Entries(ExampleEntries()));
    const std::string running = paths[1], held = paths[2];
    ASSERT_TRUE(::CopyFileA((testing_support::TestFolder() + "hold_file.exe").c_str(), running.c_str(), FALSE));

    ChildProcess holder("\"" + running + "\" \"" + held + "\"");
    ASSERT_TRUE(HeldBy(holder, held));

    EXPECT_EQ(RunOnTheLog(), kUninstallRestartNeeded);
    for (const std::string& path : paths) {
        if (path == held || path == running) continue;
        EXPECT_FALSE(Exists(path)) << path;
    }
    EXPECT_FALSE(KeyExists(kUninstallKey));

    const std::string pending = PendingRemovals();
    EXPECT_EQ(LastDialog().kind, ui::DialogKind::Warning);
    for (const std::string& path : {running, held}) {
        EXPECT_TRUE(win::FileExists(path)) << path;
        EXPECT_TRUE(ContainsIgnoringCase(pending, path)) << pending;
        EXPECT_NE(LastDialog().text.find(path + " : suppression prévue au prochain redémarrage de l'ordinateur "
                                                "(fichier en cours d'utilisation)"),
                  std::string::npos)
            << LastDialog().text;
    }
    // Nothing else is left in the folder, so it goes at the restart too.
    EXPECT_TRUE(ContainsIgnoringCase(pending, "C:\\Program Files\\Korvalix|")) << pending;
}

// A held file goes at the restart only by a path that still leads to it,
// judged through a handle: a path that leads elsewhere by now (here the
// same file under another name) is refused, and nothing is scheduled by it.
TEST_F(UninstallTest, AHeldFileIsScheduledOnlyByThePathJudged) {
    // A name no other case schedules: the pending list outlives each case.
    const std::string held = std::string(kInstallDir) + "tenu par un autre.dll";
    MakeFile(held);
    ChildProcess holder("\"" + testing_support::TestFolder() + "hold_file.exe\" \"" + held + "\"");
    ASSERT_TRUE(HeldBy(holder, held));
    const std::string alias = UnixDriveAlias(held);
    ASSERT_FALSE(alias.empty());

    const RemovalResult elsewhere = RemoveFile(alias);
    EXPECT_EQ(elsewhere.outcome, core::Outcome::Refused) << elsewhere.reason;
    EXPECT_EQ(elsewhere.reason, "le chemin ne mène plus au même endroit");
    EXPECT_FALSE(ContainsIgnoringCase(PendingRemovals(), "drive_c")) << PendingRemovals();

    const RemovalResult judged = RemoveFile(held);
    EXPECT_EQ(judged.outcome, core::Outcome::Scheduled) << judged.reason;
    EXPECT_TRUE(ContainsIgnoringCase(PendingRemovals(), held)) << PendingRemovals();
}

TEST_F(UninstallTest, ABrokenOrHugeCounterDoesNotMatter) {
    for (const char* counter : {"abc", "2147483647", "-1", "0x7FFFFFFF", ""}) {
        ASSERT_TRUE(win::ForceDirectories(kInstallDir));
        ASSERT_TRUE(win::ForceDirectories(group_));
        const auto paths = MakeInstallation();
        WriteLog(counter, Entries(ExampleEntries()));

        // The work is bounded by the sections present, not by the counter
        // (the plan's own tests show it); here the removal itself.
        EXPECT_EQ(RunOnTheLog(), kUninstallDone) << counter;
        for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << counter << " " << path;
        EXPECT_FALSE(Exists(kInstallDir)) << counter;
    }
}

// Refused entries stay, so the log, reduced to them, and the uninstall entry
// stay too: the user can try again once they are dealt with.
TEST_F(UninstallTest, DangerousEntriesAreRefusedAndReportedAndTheLogKeepsThem) {
    const auto paths = MakeInstallation();
    MakeFile("C:\\windows\\system32\\korvalix_test.dll");
    MakeFile(std::string(kInstallDir) + "relatif.exe");
    const std::string userFolder = std::string(kInstallDir) + "Mes documents";
    ASSERT_TRUE(win::ForceDirectories(userFolder));
    MakeFile(userFolder + "\\lettre.txt");

    std::vector<std::string> entries = ExampleEntries();
    const std::vector<std::string> dangerous = {
        "C:\\", "C:\\windows", "C:\\Program Files", "C:\\Program Files\\", "relatif.exe",
        "C:\\Program Files\\Korvalix\\..\\..\\windows\\win.ini", "%desktop%\\",
        "C:\\windows\\system32\\korvalix_test.dll", "C:\\Program Files\\Korvalix\\Mes documents"};
    entries.insert(entries.end(), dangerous.begin(), dangerous.end());
    WriteLog(std::to_string(entries.size()), Entries(entries));

    EXPECT_EQ(RunOnTheLog(), kUninstallIncomplete);
    // The uninstaller that the entry starts stays with the entry, so that
    // the entry still works; everything else of the installation goes.
    EXPECT_TRUE(win::FileExists(kWindowsFile));
    for (const std::string& path : paths) {
        if (path == kWindowsFile) continue;
        EXPECT_FALSE(Exists(path)) << path;
    }
    for (const char* kept : {"C:\\windows\\win.ini", "C:\\windows\\system32\\korvalix_test.dll",
                             "C:\\Program Files\\Korvalix\\Mes documents\\lettre.txt"})
        EXPECT_TRUE(win::FileExists(kept)) << kept;
    EXPECT_TRUE(win::FolderExists(desktop_));
    ::DeleteFileA("C:\\windows\\system32\\korvalix_test.dll");

    // "C:\Program Files" and "C:\Program Files\" are one path, listed once;
    // the uninstaller keeps its place.
    std::vector<std::string> left = dangerous;
    left.erase(left.begin() + 2);
    left.insert(left.begin(), kWindowsFile);
    EXPECT_EQ(testing_support::ReadWholeFile(kLogPath),
              kSetupLogInformation + "[Setup]\r\nNom=Korvalix32\r\nDossierInstall=" + std::string(kInstallDir) +
                  "\r\nDesinstall=KorvalixTest\r\nRun=Korvalix32\r\nFichiers=9\r\nDossierDemarrage=" + group_ +
                  "\r\n" + Entries(left));
    EXPECT_TRUE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(group_)) << "the group is empty again";

    ASSERT_FALSE(dialogs_.empty());
    const std::string& report = LastDialog().text;
    EXPECT_EQ(LastDialog().kind, ui::DialogKind::Warning);
    for (const char* line :
         {"- C:\\ : suppression refusée par sécurité (racine d'un lecteur)\r",
          "- C:\\windows : suppression refusée par sécurité (dossier Windows)\r",
          "- C:\\Program Files\\ : suppression refusée par sécurité (dossier des programmes (Program Files))\r",
          "- C:\\Program Files\\Korvalix\\..\\..\\windows\\win.ini : suppression refusée par "
          "sécurité (chemin contenant « . » ou « .. »)\r",
          "- relatif.exe : suppression refusée par sécurité (chemin relatif)\r",
          "- %desktop%\\ : suppression refusée par sécurité (dossier du Bureau)\r",
          "- C:\\windows\\system32\\korvalix_test.dll : suppression refusée par sécurité",
          "- C:\\Program Files\\Korvalix\\Mes documents : suppression refusée par sécurité (un "
          "dossier est désigné là où un fichier est attendu)\r",
          "\rLe journal de désinstallation et l'entrée de la liste des programmes installés sont conservés pour ces "
          "éléments : vous pourrez relancer la désinstallation.\r\r"})
        EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;
}

// The paths a log that anyone may edit could name to reach other files: the
// files stay, the installation's own go.
TEST_F(UninstallTest, OnlyWhatAnInstallationCreatesWhereItCreatesItIsRemoved) {
    const std::string folder = "C:\\Korvalix\\";  // outside Program Files, as a user may choose
    ASSERT_TRUE(win::ForceDirectories(folder));
    MakeFile(folder + "korvalix.exe");
    ASSERT_TRUE(win::ForceDirectories("C:\\Program Files\\Autre"));
    const std::string documents = win::SpecialFolderPath(CSIDL_PERSONAL) + "\\";
    const std::string system32 = win::WindowsFolder() + "\\system32\\korvalix_test.dll";
    const std::vector<std::string> others = {"C:\\Program Files\\Autre\\autre.exe", documents + "lettre.docx",
                                             "C:\\bootmgr", desktop_ + "\\rapport.lnkdoc", system32};
    for (const std::string& path : others) MakeFile(path);

    // The same disk under other names: a network share, and the drive that
    // maps the whole Unix file system, through which C:\ is a plain folder.
    const std::string alias = UnixDriveAlias(system32);
    ASSERT_FALSE(alias.empty());
    char shortName[MAX_PATH];
    ASSERT_GT(::GetShortPathNameA((desktop_ + "\\rapport.lnkdoc").c_str(), shortName, sizeof shortName), 0u);
    ASSERT_NE(std::string(shortName).find(".LNK"), std::string::npos) << shortName;

    testing_support::WriteFile(
        folder + "setup.log",
        "[Setup]\r\nNom=Korvalix32\r\nDossierInstall=" + folder + "\r\nDesinstall=KorvalixTest\r\n" +
            Entries({folder + "korvalix.exe", others[0], others[1], others[2], "%desktop%\\rapport.lnkdoc",
                     "%desktop%\\" + std::string(shortName).substr(desktop_.size() + 1), alias,
                     "\\\\localhost\\C$\\windows\\system32\\korvalix_test.dll"}));
    EXPECT_EQ(Run("\"" + folder + "setup.log\""), kUninstallIncomplete);
    for (const std::string& path : others) EXPECT_TRUE(win::FileExists(path)) << path;
    EXPECT_FALSE(win::FileExists(folder + "korvalix.exe"));
    const std::string& report = LastDialog().text;
    for (const std::string& line : std::vector<std::string>{
             others[0] + " : suppression refusée par sécurité (emplacement où le programme d'installation ne crée rien)",
          "C:\\bootmgr : suppression refusée par sécurité (emplacement où le programme d'installation ne crée rien)",
          // Both name the same file, and are judged once, in its long name.
          "%desktop%\\" + std::string(shortName).substr(desktop_.size() + 1) +
              " : suppression refusée par sécurité (seuls les raccourcis y sont supprimés)",
          alias + " : suppression refusée par sécurité (emplacement dans un dossier du système)",
          std::string("\\\\localhost\\C$\\windows\\system32\\korvalix_test.dll : suppression refusée par sécurité "
                      "(chemin réseau)")})
        EXPECT_NE(report.find(line), std::string::npos) << line << "\n" << report;

    // An installation folder that is the system's own, under another name.
    const std::string aliasFolder = alias.substr(0, alias.find_last_of('\\') + 1);
    testing_support::WriteFile(folder + "setup.log", "[Setup]\r\nNom=Korvalix32\r\nDossierInstall=" + aliasFolder +
                                                         "\r\n" + Entries({alias}));
    EXPECT_EQ(Run("\"" + folder + "setup.log\""), kUninstallIncomplete);
    EXPECT_TRUE(win::FileExists(system32));
    EXPECT_NE(LastDialog().text.find(aliasFolder + " : suppression refusée par sécurité"), std::string::npos)
        << LastDialog().text;

    for (const std::string& path : others) ::DeleteFileA(path.c_str());
    testing_support::RemoveTree(folder);
    testing_support::RemoveTree("C:\\Program Files\\Autre");
}

// The core's rule for "the same path" folds every Windows-1252 character as
// the system's own comparison of names does, neither more nor less.
TEST(SamePath, FoldsAsTheSystemComparesNames) {
    for (int a = 1; a < 256; ++a) {
        for (int b = 1; b < 256; ++b) {
            if (a == '/' || b == '/') continue;  // the core reads it as "\\"
            const std::string first(1, static_cast<char>(a)), second(1, static_cast<char>(b));
            const std::wstring wideFirst = win::AnsiToWide(first), wideSecond = win::AnsiToWide(second);
            const bool system = ::CompareStringOrdinal(wideFirst.data(), static_cast<int>(wideFirst.size()),
                                                       wideSecond.data(), static_cast<int>(wideSecond.size()),
                                                       TRUE) == CSTR_EQUAL;
            ASSERT_EQ(core::SamePath(first, second), system) << a << " " << b;
        }
    }
}

// A desktop whose name differs from the log's in the case of an accented
// letter is still the desktop, as Windows compares names.
TEST_F(UninstallTest, TheDesktopIsRecognisedWhateverTheCaseOfItsLetters) {

    testing_support::ScopedDesktopFolder zoe(L"C:\\users\\Zo\u00E9\\Desktop");
    const std::string desktop = "C:\\users\\Zo\xE9\\Desktop\\";
    MakeFile(desktop + "lettre.docx");
    const std::string shouting = "C:\\users\\ZO\xC9\\DESKTOP\\";
    testing_support::WriteFile(kLogPath, "[Setup]\r\nNom=Korvalix32\r\nDossierInstall=" + shouting + "\r\n" +
                                             Entries({shouting + "lettre.docx"}));
    EXPECT_EQ(RunOnTheLog(), kUninstallIncomplete);
    EXPECT_TRUE(win::FileExists(desktop + "lettre.docx"));
    EXPECT_NE(LastDialog().text.find(shouting + " : suppression refusée par sécurité (dossier du Bureau)"),
              std::string::npos)
        << LastDialog().text;
    testing_support::RemoveTree("C:\\users\\Zo\xE9");
}

// A desktop whose path the ANSI code page cannot hold, as for a user named
// Łukasz: the shortcut the installer put there goes.
TEST_F(UninstallTest, TheDesktopOutsideTheCodePageIsFound) {
    const std::wstring desktop = L"C:\\users\\\u0141ukasz\\Desktop\\";
    testing_support::ScopedDesktopFolder lukasz(desktop);
    win::FileHandle link(::CreateFileW((desktop + L"Korvalix.lnk").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(link);
    link.reset();
    WriteLog("1", Entries({"%desktop%\\Korvalix.lnk"}));
    EXPECT_EQ(RunOnTheLog(), kUninstallDone) << LastDialog().text;
    EXPECT_EQ(::GetFileAttributesW((desktop + L"Korvalix.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
}

// A newer file that the installation found and left belongs to another
// program; and an entry whose uninstaller path is quoted is this one's.
TEST_F(UninstallTest, AFileTheInstallationKeptIsLeftToItsOwner) {
    const auto paths = MakeInstallation();
    const std::string shared = "C:\\windows\\partage_korvalix.dll";
    MakeFile(shared, "version 9");
    MakeUninstallKey("\"C:\\Program Files\\Korvalix\\uninst_KorvalixTest.exe\" \"" + std::string(kLogPath) + "\"");
    WriteLog("8", Entries(ExampleEntries()) + "[Fichier_8]\r\nConserver=1\r\nNom=" + shared + "\r\n");

    EXPECT_EQ(RunOnTheLog(), kUninstallDone) << LastDialog().text;
    EXPECT_EQ(testing_support::ReadWholeFile(shared), "version 9");
    for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(LastDialog().text, "Korvalix32 a été désinstallé.\r\r11 éléments ont été supprimés.");
    ::DeleteFileA(shared.c_str());
}

TEST_F(UninstallTest, TheUsersOwnFilesInTheFolderSurvive) {
    const auto paths = MakeInstallation();
    const std::string own = std::string(kInstallDir) + "mes notes.txt";
    const std::string ownFolder = std::string(kInstallDir) + "Sauvegardes";
    MakeFile(own);
    ASSERT_TRUE(win::ForceDirectories(ownFolder));
    MakeFile(ownFolder + "\\partie1.sav");
    MakeFile(group_ + "\\Mon raccourci.lnk");
    WriteLog("7", Entries(ExampleEntries()));

    EXPECT_EQ(RunOnTheLog(), kUninstallIncomplete);
    for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << path;
    EXPECT_TRUE(win::FileExists(own));
    EXPECT_TRUE(win::FileExists(ownFolder + "\\partie1.sav"));
    EXPECT_TRUE(win::FileExists(group_ + "\\Mon raccourci.lnk"));
    EXPECT_FALSE(Exists(kLogPath));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(testing_support::ListFolder(kInstallDir), (std::vector<std::string>{"Sauvegardes", "mes notes.txt"}));
    EXPECT_NE(LastDialog().text.find(std::string(kInstallDir) + " : dossier conservé"), std::string::npos);
    EXPECT_NE(LastDialog().text.find(group_ + " : dossier conservé"), std::string::npos);
}

TEST_F(UninstallTest, AContinuedLogOfTwoInstallationsIsUndoneAtOnce) {
    auto paths = MakeInstallation();
    // The second installation into the same folder added a file of its own
    // and recorded the same paths again from Fichier_8 on.
    const std::string added = std::string(kInstallDir) + "nouveau.dll";
    MakeFile(added);
    std::vector<std::string> second = ExampleEntries();
    second.insert(second.begin() + 2, added);
    WriteLog("15", Entries(ExampleEntries()) + Entries(second, 8));

    EXPECT_EQ(RunOnTheLog(), kUninstallDone);
    paths.push_back(added);
    for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << path;
    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(Exists(group_));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(LastDialog().text, "Korvalix32 a été désinstallé.\r\r12 éléments ont été supprimés.");
}

TEST_F(UninstallTest, TheEntryOfAnotherInstallationIsKept) {
    MakeInstallation();
    MakeUninstallKey(std::string(kWindowsFile) + " \"D:\\Autre\\setup.log\"");
    WriteLog("7", Entries(ExampleEntries()));

    EXPECT_EQ(RunOnTheLog(), kUninstallIncomplete);
    EXPECT_TRUE(KeyExists(kUninstallKey));
    EXPECT_NE(LastDialog().text.find("Entrée « KorvalixTest » de la liste des programmes installés : entrée "
                                     "conservée car elle appartient à une autre installation"),
              std::string::npos)
        << LastDialog().text;
}

TEST_F(UninstallTest, RunningCopiesAreAskedToQuitFirst) {
    MakeInstallation();
    WriteLog("7", Entries(ExampleEntries()));
    const std::string signal = std::string(kInstallDir) + "korvalix.quit";

    std::atomic<bool> seen = false, stop = false;
    std::thread watcher([&] {
        while (!stop && !seen) {
            if (win::FileExists(signal)) seen = true;
            std::this_thread::sleep_for(20ms);
        }
    });
    EXPECT_EQ(RunOnTheLog(ui::DialogResult::Yes, 1500), kUninstallDone);
    stop = true;
    watcher.join();
    EXPECT_TRUE(seen);
    EXPECT_FALSE(Exists(signal));
}

TEST_F(UninstallTest, ASignalFileOfTheUsersIsLeftAlone) {
    MakeInstallation();
    WriteLog("7", Entries(ExampleEntries()));
    const std::string signal = std::string(kInstallDir) + "korvalix.quit";
    MakeFile(signal, "à moi");
    EXPECT_EQ(RunOnTheLog(), kUninstallIncomplete);
    EXPECT_EQ(testing_support::ReadWholeFile(signal), "à moi");
}

// The program itself, started as the uninstall entry starts it, from the
// Windows folder where the installer put it.
class UninstallProgramTest : public UninstallTest {
protected:
    std::string Program() const { return testing_support::TestFolder() + "..\\..\\uninst_Korvalix.exe"; }

    template <typename Done>
    static bool WaitFor(Done done, std::chrono::seconds timeout = 60s) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(100ms);
        }
        return true;
    }
};

// Quiet, as a deployment tool runs it: the first instance ends only once its
// copy has done the work, with the copy's result; the copy then removes the
// first instance's file, which nobody holds any more.
TEST_F(UninstallProgramTest, QuietlyWaitsForItsCopyAndRemovesItsOwnFile) {
    const auto paths = MakeInstallation();
    ASSERT_TRUE(::CopyFileA(Program().c_str(), kWindowsFile, FALSE));
    WriteLog("7", Entries(ExampleEntries()));

    ChildProcess uninstaller(std::string(kWindowsFile) + " /S \"" + kLogPath + "\"");
    ASSERT_NE(uninstaller.Id(), 0u);
    EXPECT_EQ(uninstaller.WaitForExit(60s), static_cast<DWORD>(kUninstallDone));

    // Done by the time it ended.
    for (const std::string& path : paths) {
        if (path == kWindowsFile) continue;
        EXPECT_FALSE(Exists(path)) << path;
    }
    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_FALSE(Exists(group_));
    // Its own file goes now, not at the next restart: nothing held it.
    EXPECT_TRUE(WaitFor([&] { return !Exists(kWindowsFile); }, 20s));
    // The copy in the temporary folder goes at the next restart.
    EXPECT_TRUE(WaitFor([] { return ContainsIgnoringCase(PendingRemovals(), "~desinst"); }, 20s)) << PendingRemovals();
    EXPECT_FALSE(ContainsIgnoringCase(PendingRemovals(), kWindowsFile)) << PendingRemovals();
}

TEST_F(UninstallProgramTest, QuietlyReturnsWhatWasLeftOrWhyNothingChanged) {
    MakeInstallation();
    ASSERT_TRUE(::CopyFileA(Program().c_str(), kWindowsFile, FALSE));
    WriteLog("7", Entries(ExampleEntries()));
    const std::string own = std::string(kInstallDir) + "mes notes.txt";
    MakeFile(own);

    ChildProcess uninstaller(std::string(kWindowsFile) + " /S \"" + kLogPath + "\"");
    EXPECT_EQ(uninstaller.WaitForExit(60s), static_cast<DWORD>(kUninstallIncomplete)) << "the folder stays";
    EXPECT_TRUE(win::FileExists(own));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_TRUE(WaitFor([&] { return !Exists(kWindowsFile); }, 20s));

    // Nothing to do, said in the code alone: a box would keep them running.
    ChildProcess noLog("\"" + Program() + "\" /S \"C:\\nulle part\\setup.log\"");
    EXPECT_EQ(noLog.WaitForExit(), static_cast<DWORD>(kUninstallNoLog));
    ChildProcess badLine("\"" + Program() + "\" /S /Z \"C:\\nulle part\\setup.log\"");
    EXPECT_EQ(badLine.WaitForExit(), static_cast<DWORD>(kUninstallBadCommandLine));
}

TEST_F(UninstallProgramTest, KeepsAnUninstallerTheLogDoesNotName) {
    MakeInstallation();
    const std::string other = "C:\\windows\\uninst_Ailleurs.exe";
    ASSERT_TRUE(::CopyFileA(Program().c_str(), other.c_str(), FALSE));
    WriteLog("7", Entries(ExampleEntries()));

    ChildProcess uninstaller(other + " /S \"" + kLogPath + "\"");
    EXPECT_EQ(uninstaller.WaitForExit(20s), 0u);
    EXPECT_TRUE(WaitFor([&] { return !Exists(kWindowsFile) && !KeyExists(kUninstallKey) && !Exists(kInstallDir); }));
    EXPECT_TRUE(win::FileExists(other));
    ::DeleteFileA(other.c_str());
}

TEST_F(UninstallProgramTest, AsksThenReportsAsAUserSeesIt) {
    const auto paths = MakeInstallation();
    ASSERT_TRUE(::CopyFileA(Program().c_str(), kWindowsFile, FALSE));
    WriteLog("7", Entries(ExampleEntries()));

    ChildProcess uninstaller(std::string(kWindowsFile) + " \"" + kLogPath + "\"");
    ASSERT_NE(uninstaller.Id(), 0u);
    // The boxes come from the copy that does the work, a process the test
    // did not start.
    HWND question = robot::WaitForCaption(robot::kAnyProcess, "Confirmation", 30s);
    ASSERT_NE(question, nullptr);
    EXPECT_TRUE(Exists(kInstallDir));  // nothing goes before the answer
    ASSERT_TRUE(robot::Click(robot::FindControl(question, "&Oui", "Button")));

    HWND report = robot::WaitForCaption(robot::kAnyProcess, "Information", 60s);
    ASSERT_NE(report, nullptr);
    // All but the file of the first instance, which waits for the result.
    for (const std::string& path : paths) {
        if (path == kWindowsFile) continue;
        EXPECT_FALSE(Exists(path)) << path;
    }
    EXPECT_FALSE(Exists(kInstallDir));
    EXPECT_FALSE(KeyExists(kUninstallKey));
    EXPECT_EQ(uninstaller.WaitForExit(1s), static_cast<DWORD>(STILL_ACTIVE)) << "it waits for its copy";
    ASSERT_TRUE(robot::Click(robot::FindControl(report, "OK", "Button")));
    EXPECT_TRUE(robot::WaitUntil([&] { return !::IsWindow(report); }, 20s));
    EXPECT_EQ(uninstaller.WaitForExit(20s), static_cast<DWORD>(kUninstallDone));
    EXPECT_TRUE(WaitFor([&] { return !Exists(kWindowsFile); }, 20s));
}

// Its windows are sharp at any resolution and drawn with the system's
// theme, as the installer's are.
TEST_F(UninstallProgramTest, DeclaresDpiAwarenessAndThemedControls) {
    const std::string manifest = testing_support::ApplicationManifest(Program());
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
}

TEST_F(UninstallProgramTest, ReadsALogPathRelativeToTheCurrentFolder) {
    const auto paths = MakeInstallation();
    ASSERT_TRUE(::CopyFileA(Program().c_str(), kWindowsFile, FALSE));
    WriteLog("7", Entries(ExampleEntries()));

    ASSERT_TRUE(::SetCurrentDirectoryA(kInstallDir));
    ChildProcess uninstaller(std::string(kWindowsFile) + " /S setup.log");
    // The test must not hold the folder that is to go.
    ::SetCurrentDirectoryA(win::TempFolder().c_str());
    ASSERT_NE(uninstaller.Id(), 0u);
    EXPECT_EQ(uninstaller.WaitForExit(20s), 0u);
    EXPECT_TRUE(WaitFor([&] { return !Exists(kWindowsFile) && !Exists(kInstallDir); }));
    for (const std::string& path : paths) EXPECT_FALSE(Exists(path)) << path;
}

TEST_F(UninstallProgramTest, ShowsAnErrorBoxWithoutALog) {
    ChildProcess uninstaller("\"" + Program() + "\" \"C:\\nulle part\\setup.log\"");
    ASSERT_NE(uninstaller.Id(), 0u);
    HWND box = robot::WaitForCaption(uninstaller.Id(), "Erreur");
    ASSERT_NE(box, nullptr);
    ASSERT_TRUE(robot::Click(robot::FindControl(box, "OK", "Button")));
    EXPECT_EQ(uninstaller.WaitForExit(20s), static_cast<DWORD>(kUninstallNoLog));
}

}  // namespace
