// Faults during the installation run, one test each, over an earlier
// installation of the application.  Each test checks the boxes the user
// sees, word for word, and that every file that was there before is still
// whole afterwards: its old bytes, or the complete new file, never a part.
//
// The run happens in this process, which carries the default installer's
// manifest and payloads, as the progress page starts it: an error that
// leaves the run reaches the general error handler.

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <cstdlib>
#include <map>
#include <optional>
#include <thread>

#include "Deroulement/InstallationRun.h"
#include "General/SetupList.h"
#include "General/WorkDir.h"
#include "SetupLog/SetupLog.h"
#include "install/MainWindows.h"
#include "Variable/Variable.h"
#include "support/expected_texts.h"
#include "support/run_support.h"
#include "support/test_support.h"
#include "ui/application.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/registry.h"
#include "win/shell.h"

using namespace testing_support;

namespace {

// The file as the build made it, before it was packed.
std::string NewPayload(const std::string& name) { return ReadWholeFile(PAYLOAD_DIR "/" + name); }

struct Box {
    std::string title;
    std::string text;
    bool operator==(const Box&) const = default;
};
void PrintTo(const Box& box, std::ostream* out) { *out << "[" << box.title << "] " << box.text; }

// A file held open without sharing, as a running program holds its own.
class HeldFile {
public:
    explicit HeldFile(const std::string& path)
        : handle_(::CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {}
    explicit operator bool() const { return static_cast<bool>(handle_); }

private:
    win::FileHandle handle_;
};

class FaultTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartUpForRun(work_.Path(), InstallRoot() + "Korvalix\\"));
        RemoveInstallation();
        LayEarlierInstallation();
    }
    void TearDown() override {
        if (!Installer.InstallDir.empty()) RemoveInstallation();  // empty when SetUp skipped the test
        Installer = InstallerState{};
    }

    virtual std::string InstallRoot() const { return "C:\\Program Files\\"; }

    // What version 2.0 left: its files with bytes of their own, the user's
    // own files beside them, and its uninstall log.
    void LayEarlierInstallation() {
        ASSERT_TRUE(win::ForceDirectories(Installer.InstallDir));
        AddEarlierFile(WindowsDir() + "uninst_Korvalix.exe", "d\xE9sinstalleur 2.0", "uninst_Korvalix.exe");
        AddEarlierFile(Installer.InstallDir + "korvalix.exe", "korvalix 2.0", "korvalix.exe");
        AddEarlierFile(Installer.InstallDir + "korvalix32.hlp", "aide 2.0", "korvalix32.hlp");
        AddEarlierFile(Installer.InstallDir + "erreurs.log", "journal de l'utilisateur");
        AddEarlierFile(Installer.InstallDir + "mes notes.txt", "notes de l'utilisateur");
        {
            TSetupLog log(Installer.InstallDir + "setup.log");
            log.SetName("Korvalix32");
            log.SetInstallFolder(Installer.InstallDir);
            log.SetUninstallName("Korvalix");
            log.SetRunName("Korvalix32");
            log.AddFile(WindowsDir() + "uninst_Korvalix.exe");
            log.AddFile(Installer.InstallDir + "korvalix.exe");
            log.AddFile(Installer.InstallDir + "korvalix32.hlp");
            log.AddFile(Installer.InstallDir + "erreurs.log");
        }
        earlierLog_ = ReadWholeFile(Installer.InstallDir + "setup.log");
    }

    // `payload` names the packed file that may legitimately replace it.
    void AddEarlierFile(const std::string& path, const std::string& bytes, const std::string& payload = {}) {
        WriteFile(path, bytes);
        earlier_[path] = {bytes, payload.empty() ? bytes : NewPayload(payload)};
    }

    void RemoveInstallation() { RemoveDefaultInstallation(Installer.InstallDir); }

    // Edits the work copy of the manifest as a packager would edit the file.
    void SetManifestValue(int fileNumber, const char* key, const char* value) const {
        const std::string section = "Fichier_" + std::to_string(fileNumber);
        ASSERT_TRUE(::WritePrivateProfileStringA(section.c_str(), key, value,
                                                 (work_.Path() + "SETUP.LST").c_str()));
    }

    void Run() { RunInstallationShowingErrors(page_); }

    std::vector<Box> Boxes() const {
        std::vector<Box> boxes;
        for (const ui::DialogRequest& request : dialogs_->Requests()) boxes.push_back({request.title, request.text});
        return boxes;
    }

    // Every earlier file holds its old bytes or the whole new file; the
    // earlier log's entries are all still there; no temporary file is left.
    void ExpectNothingLost() const {
        for (const auto& [path, contents] : earlier_) {
            const std::string now = ReadWholeFile(path);
            EXPECT_TRUE(win::FileExists(path)) << path;
            EXPECT_TRUE(now == contents.old || now == contents.replacement)
                << path << " holds " << now.size() << " bytes that are neither the old nor the new file";
        }
        const std::string log = ReadWholeFile(Installer.InstallDir + "setup.log");
        size_t start = 0;
        for (size_t end; (end = earlierLog_.find("\r\n", start)) != std::string::npos; start = end + 2) {
            const std::string line = earlierLog_.substr(start, end - start);
            if (line.rfind("Fichiers=", 0) == 0) continue;  // the count grows
            EXPECT_NE(log.find(line + "\r\n"), std::string::npos) << "the log lost: " << line;
        }
        for (const std::string& name : ListFolder(Installer.InstallDir))
            EXPECT_TRUE(earlier_.contains(Installer.InstallDir + name) || name == "setup.log")
                << "left behind: " << name;
    }

    // Files are compared whole, but only their sizes are printed.
    void ExpectUnchanged(const std::string& path) const { ExpectHolds(path, earlier_.at(path).old, "its old bytes"); }
    void ExpectReplaced(const std::string& path) const {
        ExpectHolds(path, earlier_.at(path).replacement, "the new file");
    }
    static void ExpectHolds(const std::string& path, const std::string& expected, const char* what) {
        const std::string now = ReadWholeFile(path);
        EXPECT_TRUE(now == expected) << path << " holds " << now.size() << " bytes, not " << what << " ("
                                     << expected.size() << " bytes)";
    }

    struct Contents {
        std::string old;
        std::string replacement;
    };
    std::map<std::string, Contents> earlier_;
    std::string earlierLog_;
    ScratchFolder work_{"work"};
    ui::Application application_;  // COM for shell links, and the general error handler
    std::optional<ui::ScopedDialogCapture> dialogs_{std::in_place};  // reset for the real boxes
    RecordingPage page_;
};

TEST_F(FaultTest, AProgramHoldingItsFileKeepsItAndIsNamed) {
    {
        HeldFile running(Installer.InstallDir + "korvalix.exe");
        ASSERT_TRUE(running);
        Run();
    }
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Erreur", CopyFailure("korvalix.exe")}}));
    EXPECT_TRUE(page_.failed);
    ExpectNothingLost();
    ExpectUnchanged(Installer.InstallDir + "korvalix.exe");
    ExpectUnchanged(Installer.InstallDir + "korvalix32.hlp");  // the run stopped before it
}

TEST_F(FaultTest, AStreamShorterThanItsSizeKeepsTheOldFile) {
    const std::string size = std::to_string(NewPayload("korvalix32.hlp").size() + 1);
    SetManifestValue(3, "Taille", size.c_str());
    Run();
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Erreur", DecompressionFailure("korvalix32.hlp")}}));
    EXPECT_TRUE(page_.failed);
    ExpectNothingLost();
    ExpectUnchanged(Installer.InstallDir + "korvalix32.hlp");
    ExpectReplaced(Installer.InstallDir + "korvalix.exe");
}

TEST_F(FaultTest, ACorruptStreamKeepsTheOldFile) {
    // AIDE.HLP.Z, packed into this program, is damaged at its start.
    AddEarlierFile(Installer.InstallDir + "aide.hlp", "aide 2.0");
    SetManifestValue(3, "Nom", "aide.hlp");
    SetManifestValue(3, "Taille", "4390");
    Run();
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Erreur", DecompressionFailure("aide.hlp")}}));
    EXPECT_TRUE(page_.failed);
    ExpectNothingLost();
    ExpectUnchanged(Installer.InstallDir + "aide.hlp");
}

TEST_F(FaultTest, AStreamLongerThanItsSizeIsCutWithoutAMessage) {
    const std::string help = NewPayload("korvalix32.hlp");
    const size_t size = help.size() - 1000;
    SetManifestValue(3, "Taille", std::to_string(size).c_str());
    earlier_[Installer.InstallDir + "korvalix32.hlp"].replacement = help.substr(0, size);
    Run();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(page_.failed);
    ExpectNothingLost();
    ExpectReplaced(Installer.InstallDir + "korvalix32.hlp");
}

TEST_F(FaultTest, AMissingPayloadResourceIsNamed) {
    SetManifestValue(3, "Nom", "absent.hlp");
    Run();
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Erreur", ExtractionFailure("absent.hlp")}}));
    EXPECT_TRUE(page_.failed);
    ExpectNothingLost();
    ExpectUnchanged(Installer.InstallDir + "korvalix32.hlp");
}

TEST_F(FaultTest, AWorkFolderThatRefusesTheWorkCopy) {
    // A folder of the work copy's name cannot be written as a file.
    ASSERT_TRUE(::CreateDirectoryA((work_.Path() + "korvalix.exe.Z").c_str(), nullptr));
    Run();
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Erreur", ExtractionFailure("korvalix.exe")}}));
    EXPECT_TRUE(page_.failed);
    ExpectNothingLost();
    ExpectUnchanged(Installer.InstallDir + "korvalix.exe");
}

TEST_F(FaultTest, ADestinationFolderThatCannotBeCreated) {
    // The user's file stands where the folder would go.
    AddEarlierFile(Installer.InstallDir + "Nouveau", "fichier de l'utilisateur");
    const std::string earlierFolder = Installer.InstallDir;
    Installer.InstallDir = earlierFolder + "Nouveau\\";
    Run();
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"fault_test", "Impossible d'\xE9\x63rire dans " + Installer.InstallDir +
                                                            "setup.log."}}));
    Installer.InstallDir = earlierFolder;
    EXPECT_TRUE(page_.completed) << "the page lets the user leave";
    EXPECT_TRUE(page_.failed);
    ExpectNothingLost();
    ExpectUnchanged(Installer.InstallDir + "Nouveau");
    ExpectUnchanged(WindowsDir() + "uninst_Korvalix.exe");
}

TEST_F(FaultTest, ALogHeldByAnotherProgramIsNamedAndKept) {
    {
        HeldFile held(Installer.InstallDir + "setup.log");
        ASSERT_TRUE(held);
        Run();
    }
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"fault_test", "Impossible d'\xE9\x63rire dans " + Installer.InstallDir +
                                                            "setup.log."}}));
    EXPECT_TRUE(page_.completed);
    EXPECT_TRUE(page_.failed);
    EXPECT_EQ(ReadWholeFile(Installer.InstallDir + "setup.log"), earlierLog_);
    ExpectNothingLost();
    ExpectUnchanged(Installer.InstallDir + "korvalix.exe");  // the run stopped before the files
}

// The same fault on the real progress page, met by a person with the keys:
// the error box comes over page 4 and Enter closes it; the page then ends
// as a failure with "Terminer" holding the focus, and Enter ends the
// program.  The person acts from a thread of their own while this one runs
// the program's message loop.
TEST_F(FaultTest, ALogHeldOnTheRealPageLeavesEnterToTerminer) {
    dialogs_.reset();
    auto held = std::make_optional<HeldFile>(Installer.InstallDir + "setup.log");
    ASSERT_TRUE(*held);
    MainWindows windows;
    windows.Show();
    SetupForm->SwitchPage(*Form1, *Form4, 4);  // its timer starts the run

    const DWORD loopThread = ::GetCurrentThreadId();
    std::string boxText, focus;
    bool boxClosed = false, failureShown = false, terminerPressed = false;
    std::thread person([&] {
        using namespace std::chrono_literals;
        HWND box = robot::WaitForCaption(::GetCurrentProcessId(), "fault_test", 60s);
        if (box) {
            for (HWND control : robot::Controls(box))
                if (robot::ClassName(control) == "Static" && !robot::Text(control).empty())
                    boxText = robot::Text(control);
            boxClosed = robot::PressKeys(box, "Return") && robot::WaitUntil([&] { return !::IsWindow(box); });
        }
        HWND page4 = Form4->Handle();
        HWND terminer = robot::FindControl(page4, "Terminer", "Button");
        if (boxClosed && robot::WaitUntil([&] { return robot::IsEnabled(terminer); }, 60s)) {
            robot::WaitUntil([&] { return robot::FocusedControl(page4) == terminer; }, 5s);
            HWND focused = robot::FocusedControl(page4);
            focus = focused ? robot::Text(focused) : "<none>";
            failureShown = robot::FindControl(page4, kFailureText, "Static") != nullptr;
            terminerPressed = robot::PressKeys(page4, "Return");
        }
        // Whatever happened, the loop must not wait for a key that never comes.
        if (!terminerPressed) ::PostThreadMessageA(loopThread, WM_QUIT, 0, 0);
    });
    application_.Run();
    person.join();
    held.reset();

    EXPECT_EQ(boxText, "Impossible d'\xE9\x63rire dans " + Installer.InstallDir + "setup.log.");
    EXPECT_TRUE(boxClosed) << "Enter closes the error box";
    EXPECT_TRUE(failureShown);
    EXPECT_EQ(focus, "Terminer");
    EXPECT_TRUE(terminerPressed);
    EXPECT_TRUE(application_.Terminated()) << "Enter on \"Terminer\" ends the program";
    EXPECT_EQ(ReadWholeFile(Installer.InstallDir + "setup.log"), earlierLog_);
}

TEST_F(FaultTest, AStartMenuGroupThatCannotBeCreatedMakesNoStartMenuShortcut) {
    // Files of the group's name where the group would go, for all users and
    // for this one.
    AddEarlierFile(CommonPrograms() + "Korvalix", "fichier de l'utilisateur");
    AddEarlierFile(UserPrograms() + "Korvalix", "autre fichier de l'utilisateur");
    Run();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(page_.failed);
    ExpectNothingLost();
    ExpectUnchanged(CommonPrograms() + "Korvalix");
    ExpectUnchanged(UserPrograms() + "Korvalix");
    EXPECT_TRUE(win::FileExists(Desktop() + "Korvalix.lnk"));
    EXPECT_NE(ReadWholeFile(Installer.InstallDir + "setup.log").find("DossierDemarrage=\r\n"), std::string::npos);
}

TEST_F(FaultTest, AnExistingUninstallEntryKeepsItsNameAndCommand) {
    {
        win::CreatedRegistryKey key = win::CreateRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_WRITE);
        ASSERT_TRUE(key.key);
        win::WriteRegistryString(key.key, "DisplayName", "Korvalix32 2.0");
        win::WriteRegistryString(key.key, "UninstallString", "C:\\ancien\\uninst_Korvalix.exe");
    }
    Run();
    EXPECT_TRUE(Boxes().empty());
    EXPECT_FALSE(page_.failed);
    ExpectNothingLost();
    win::RegistryKey key = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ);
    EXPECT_EQ(win::ReadRegistryString(key, "DisplayName"), "Korvalix32 2.0");
    EXPECT_EQ(win::ReadRegistryString(key, "UninstallString"), "C:\\ancien\\uninst_Korvalix.exe");
    EXPECT_EQ(win::ReadRegistryString(key, "DisplayVersion"), "2.1");
}

// A run that dies in the middle, as in a crash: the process ends at once,
// with no destructor and no flush.  The uninstaller must find every file the
// run put there, in exactly the bytes the profile functions write.
struct KilledRun {
    const char* name;
    bool overEarlierInstallation;
    const char* dyingStatus;  // the status the run had set last
    bool duringInflation;     // dies while inflating, else as the status is set
};
const KilledRun kKilledRuns[] = {
    // Each replaced file's entry is in the log once the file is in place.
    {"MovingOnToTheThirdFile", true, "Extraction du fichier korvalix32.hlp...", false},
    // A new file's entry goes into the log before the file: what there is of
    // it is listed too.
    {"HalfWayThroughANewFile", false, "D\xE9\x63ompression du fichier korvalix.exe...", true},
};

class KilledRunTest : public FaultTest, public ::testing::WithParamInterface<KilledRun> {};

TEST_P(KilledRunTest, LeavesEveryFileItPutThereInTheLog) {
    constexpr DWORD kKilled = 77;
    const KilledRun& killed = GetParam();
    if (!killed.overEarlierInstallation) RemoveInstallation();
    if (std::getenv("FAULT_TEST_KILLED_RUN")) {
        class KillingPage final : public RecordingPage {
        public:
            explicit KillingPage(const KilledRun& killed) : killed_(killed) {}
            void SetStatus(const std::string& text, bool processMessages) override {
                RecordingPage::SetStatus(text, processMessages);
                if (!killed_.duringInflation) DieAt(text);
            }
            void ProcessMessages() override {
                if (killed_.duringInflation) DieAt(statuses.back());
            }

        private:
            void DieAt(const std::string& status) const {
                if (status == killed_.dyingStatus) ::TerminateProcess(::GetCurrentProcess(), kKilled);
            }
            const KilledRun& killed_;
        } page(killed);
        RunInstallationShowingErrors(page);
        FAIL() << "the run went to its end";
    }
    char self[MAX_PATH];
    ASSERT_NE(::GetModuleFileNameA(nullptr, self, MAX_PATH), 0u);
    const std::string test = ::testing::UnitTest::GetInstance()->current_test_info()->test_suite_name() +
                             std::string(".") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ChildProcess child("\"" + std::string(self) + "\" --gtest_filter=" + test, {"FAULT_TEST_KILLED_RUN=1"});
    ASSERT_EQ(child.WaitForExit(std::chrono::seconds(120)), kKilled);

    const std::string log = ReadWholeFile(Installer.InstallDir + "setup.log");
    if (killed.overEarlierInstallation) {
        std::string expected = earlierLog_;
        expected.replace(expected.find("Fichiers=4"), 10, "Fichiers=6");
        expected += "[Fichier_5]\r\nNom=" + WindowsDir() + "uninst_Korvalix.exe\r\n[Fichier_6]\r\nNom=" +
                    Installer.InstallDir + "korvalix.exe\r\n";
        EXPECT_EQ(log, expected);
        ExpectNothingLost();
        ExpectReplaced(WindowsDir() + "uninst_Korvalix.exe");
        ExpectReplaced(Installer.InstallDir + "korvalix.exe");
        ExpectUnchanged(Installer.InstallDir + "korvalix32.hlp");
    } else {
        const std::string expected =
            "[Information]\r\nAttention=NE PAS SUPPRIMER CE FICHIER\r\n"
            "Commentaire=Ce fichier sert \xE0 la d\xE9sinstallation du logiciel\r\n"
            "[Setup]\r\nNom=Korvalix32\r\nDossierInstall=" + Installer.InstallDir +
            "\r\nDesinstall=Korvalix\r\nRun=Korvalix32\r\nFichiers=2\r\n"
            "[Fichier_1]\r\nNom=" + WindowsDir() + "uninst_Korvalix.exe\r\n"
            "[Fichier_2]\r\nNom=" + Installer.InstallDir + "korvalix.exe\r\n";
        EXPECT_EQ(log, expected);
        EXPECT_EQ(ListFolder(Installer.InstallDir), (std::vector<std::string>{"korvalix.exe", "setup.log"}));
    }
}

INSTANTIATE_TEST_SUITE_P(FaultTest, KilledRunTest, ::testing::ValuesIn(kKilledRuns),
                         [](const auto& info) { return std::string(info.param.name); });

// Every error in a file's section of the manifest gives the same box, and the
// files listed before it are installed.
struct ManifestFault {
    const char* what;
    const char* key;
    const char* value;  // nullptr removes the key
};
void PrintTo(const ManifestFault& fault, std::ostream* out) { *out << fault.what; }

class ManifestFaultTest : public FaultTest, public ::testing::WithParamInterface<ManifestFault> {};

TEST_P(ManifestFaultTest, GivesTheManifestErrorAndKeepsTheLaterFiles) {
    SetManifestValue(3, GetParam().key, GetParam().value);
    Run();
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Erreur", kManifestError}}));
    EXPECT_TRUE(page_.failed);
    ExpectNothingLost();
    ExpectReplaced(Installer.InstallDir + "korvalix.exe");
    ExpectUnchanged(Installer.InstallDir + "korvalix32.hlp");
    EXPECT_FALSE(win::FileExists("C:\\korvalix32.hlp"));
    EXPECT_FALSE(win::FileExists("C:\\Program Files\\korvalix32.hlp"));
}

INSTANTIATE_TEST_SUITE_P(
    EveryFileEntryError, ManifestFaultTest,
    ::testing::Values(ManifestFault{"an empty name", "Nom", ""}, ManifestFault{"no size", "Taille", nullptr},
                      ManifestFault{"a negative size", "Taille", "-1"},
                      ManifestFault{"a size that is no number", "Taille", "beaucoup"},
                      ManifestFault{"a name with folders", "Nom", "..\\..\\korvalix32.hlp"},
                      ManifestFault{"a name with a drive", "Nom", "C:korvalix32.hlp"},
                      ManifestFault{"a device name", "Nom", "NUL"}));

// A disk that fills up while a payload inflates: run by its own CTest entry,
// which mounts a small file system and names it in SMALL_DISK.
class FullDiskTest : public FaultTest {
protected:
    void SetUp() override {
        const char* smallDisk = std::getenv("SMALL_DISK");
        if (!smallDisk) GTEST_SKIP() << "needs a small disk: see the win.fault_test_full_disk test";
        smallDisk_ = smallDisk;
        FaultTest::SetUp();
    }
    std::string InstallRoot() const override { return smallDisk_ + "\\"; }

    std::string smallDisk_;
};

TEST_F(FullDiskTest, ADiskThatFillsUpDuringInflationKeepsTheOldFile) {
    // Room for the log to grow, not for korvalix.exe.
    ULARGE_INTEGER free{};
    ASSERT_TRUE(::GetDiskFreeSpaceExA(Installer.InstallDir.c_str(), &free, nullptr, nullptr));
    const uint64_t room = 8 * 1024;
    ASSERT_GT(free.QuadPart, room);
    ASSERT_GT(NewPayload("korvalix.exe").size(), room);
    AddEarlierFile(Installer.InstallDir + "remplissage.bin", std::string(free.QuadPart - room, 'r'));
    Run();
    EXPECT_EQ(Boxes(), (std::vector<Box>{{"Erreur", DecompressionFailure("korvalix.exe")}}));
    EXPECT_TRUE(page_.failed);
    ExpectNothingLost();
    ExpectUnchanged(Installer.InstallDir + "korvalix.exe");
    ExpectReplaced(WindowsDir() + "uninst_Korvalix.exe");  // the Windows folder is on another disk
}

}  // namespace
