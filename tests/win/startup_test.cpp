// Start-up inside the test process: the work folder, the work copy of the
// manifest and the [Setup] values, against Wine's real files and profile
// functions.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>

#include "General/SetupList.h"
#include "General/WorkDir.h"
#include "Variable/Variable.h"
#include "install/StartUp.h"
#include "support/expected_texts.h"
#include "support/test_support.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/resources.h"
#include "core/setup_command.h"

using namespace testing_support;

namespace {

// Sets an environment variable for the test's lifetime.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const std::string& value) : name_(name) {
        char old[4096];
        const DWORD length = ::GetEnvironmentVariableA(name, old, sizeof old);
        had_ = length > 0 && length < sizeof old;
        if (had_) old_.assign(old, length);
        ::SetEnvironmentVariableA(name, value.c_str());
    }
    ~ScopedVariable() { ::SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

private:
    const char* name_;
    bool had_ = false;
    std::string old_;
};

bool HasProbeFiles(const std::string& folder) {
    for (const std::string& name : ListFolder(folder))
        if (name.rfind("tmpinst", 0) == 0) return true;
    return false;
}

// The folder that holds `folder` (which ends with "\\"), with its final "\\".
std::string Parent(const std::string& folder) {
    return folder.substr(0, folder.find_last_of('\\', folder.size() - 2) + 1);
}

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override { Installer = InstallerState{}; }
    void TearDown() override {
        RemoveWorkDir();
        Installer = InstallerState{};
    }
};

TEST_F(StartUpTest, WorkFolderIsANewPrivateFolderInTheTemporaryFolder) {
    ScratchFolder temp("tmp");
    ScopedVariable tmp("TMP", temp.Path() + "\\\\");  // extra backslashes are the system's to tidy, not ours
    ScopedVariable tmp2("TEMP", temp.Path());
    Installer.WorkDir = FindWorkDir();
    const std::string& workDir = Installer.WorkDir;
    ASSERT_FALSE(workDir.empty());
    EXPECT_EQ(Parent(workDir), temp.Path());
    EXPECT_EQ(workDir.back(), '\\');
    EXPECT_NE(workDir.substr(workDir.size() - 2), "\\\\");
    EXPECT_EQ(workDir.substr(temp.Path().size(), 4), "inst");
    EXPECT_EQ(workDir.size(), temp.Path().size() + 4 + 16 + 1) << "sixteen random hexadecimal digits";
    EXPECT_TRUE(win::FolderExists(workDir));
    EXPECT_TRUE(ListFolder(workDir).empty()) << "no probe file is left";
    EXPECT_FALSE(HasProbeFiles(temp.Path()));

    // Each run has its own.
    const std::string second = FindWorkDir();
    EXPECT_EQ(Parent(second), temp.Path());
    EXPECT_NE(second, workDir);
    win::RemoveFolderIfEmpty(second);

    RemoveWorkDir();
    EXPECT_TRUE(ListFolder(temp.Path()).empty());
}

TEST_F(StartUpTest, TemporaryFolderWithoutBackslashGainsOne) {
    ScratchFolder temp("tmp");
    std::string withoutBackslash = temp.Path();
    withoutBackslash.pop_back();
    ScopedVariable tmp("TMP", withoutBackslash);
    Installer.WorkDir = FindWorkDir();
    EXPECT_EQ(Parent(Installer.WorkDir), temp.Path());
}

TEST_F(StartUpTest, UnwritableTemporaryFolderFallsBackToTheProgramFolder) {
    ScopedVariable tmp("TMP", "C:\\dossier\\qui\\n'existe\\pas\\");
    Installer.WorkDir = FindWorkDir();
    EXPECT_EQ(Parent(Installer.WorkDir), TestFolder());
    EXPECT_FALSE(HasProbeFiles(TestFolder()));
}

TEST_F(StartUpTest, TemporaryFolderLongerThan255CharactersCountsAsAFailedAttempt) {
    ScratchFolder temp("long");
    std::string longPath = temp.Path();
    while (longPath.size() < 300) longPath += "dossier_tres_long\\";
    ScopedVariable tmp("TMP", longPath);
    Installer.WorkDir = FindWorkDir();
    EXPECT_EQ(Parent(Installer.WorkDir), TestFolder());
}

// The names a user of a shared temporary folder could take first: the work
// copies of the manifest and of a payload.  The installer neither reads nor
// writes them, and works in a folder of its own.
TEST_F(StartUpTest, FilesPreparedInTheTemporaryFolderAreNeitherUsedNorTouched) {
    ScratchFolder temp("tmp");
    ScopedVariable tmp("TMP", temp.Path());
    const std::string planted = "[Setup]\r\nNom=Pirate\r\n";
    WriteFile(temp.Path() + "SETUP.LST", planted);
    WriteFile(temp.Path() + "KORVALIX.EXE.Z", "pas un flux zlib");
    ui::ScopedDialogCapture dialogs;
    ASSERT_TRUE(StartUp());
    EXPECT_EQ(Installer.AppName, "Korvalix32");
    EXPECT_EQ(Parent(Installer.WorkDir), temp.Path());
    EXPECT_EQ(ReadWholeFile(temp.Path() + "SETUP.LST"), planted);
    EXPECT_EQ(ReadWholeFile(temp.Path() + "KORVALIX.EXE.Z"), "pas un flux zlib");
    RemoveWorkDir();
    EXPECT_EQ(ListFolder(temp.Path()), (std::vector<std::string>{"KORVALIX.EXE.Z", "SETUP.LST"}));
}

// Under Wine the access list of a folder is not kept on the disk, so the
// one handed to the system is checked: the running account alone, with full
// access inherited by everything the folder will hold, nothing from above.
// Each mode's decisions, as the windows and the start-up ask them: a switch
// that belongs to one mode changes nothing in the others.
TEST(SetupSwitches, EachModeDecidesItsQuestions) {
    struct Case {
        const char* line;
        bool nobodyAnswers, noWindow, progressPageFirst, hidesCancel, defaultAnswers;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"", false, false, false, false, false},
             {"/SILENT", true, false, true, false, false},
             {"/S", true, true, false, false, false},
             {"/SILENT /NOCANCEL", true, false, true, true, false},
             {"/NOCANCEL", false, false, false, false, false},
             {"/VERYSILENT /NOCANCEL", true, true, false, false, false},
             {"/SUPPRESSMSGBOXES", false, false, false, false, true},
             {"/SILENT /SUPPRESSMSGBOXES", true, false, true, false, false},
         }) {
        SCOPED_TRACE(c.line);
        const core::SetupCommandLine parsed = core::ParseSetupCommandLine(c.line);
        ASSERT_TRUE(parsed.problem.empty());
        const SetupSwitches switches(parsed.options);
        EXPECT_EQ(switches.NobodyAnswers(), c.nobodyAnswers);
        EXPECT_EQ(switches.ShowsNoWindow(), c.noWindow);
        EXPECT_EQ(switches.StartsOnTheProgressPage(), c.progressPageFirst);
        EXPECT_EQ(switches.HidesCancel(), c.hidesCancel);
        EXPECT_EQ(switches.AnswersBoxesByDefault(), c.defaultAnswers);
        EXPECT_EQ(switches.Given(), *c.line != '\0');
    }
}

TEST(PrivateSecurity, GrantsTheRunningAccountAloneFullAccess) {
    win::PrivateSecurity security;
    SECURITY_ATTRIBUTES* attributes = security.Attributes();
    ASSERT_NE(attributes, nullptr);
    const auto descriptor = static_cast<PSECURITY_DESCRIPTOR>(attributes->lpSecurityDescriptor);
    ASSERT_TRUE(::IsValidSecurityDescriptor(descriptor));
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    ASSERT_TRUE(::GetSecurityDescriptorControl(descriptor, &control, &revision));
    EXPECT_TRUE(control & SE_DACL_PROTECTED) << "nothing inherited from the parent folder";

    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    ASSERT_TRUE(::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted));
    ASSERT_TRUE(present && acl);
    ASSERT_EQ(acl->AceCount, 1);
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(::GetAce(acl, 0, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    EXPECT_EQ(ace->Mask, static_cast<DWORD>(FILE_ALL_ACCESS));

    win::KernelHandle token;
    ASSERT_TRUE(::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, token.put()));
    char user[256];
    DWORD size = 0;
    ASSERT_TRUE(::GetTokenInformation(token.get(), TokenUser, user, sizeof user, &size));
    EXPECT_TRUE(::EqualSid(&ace->SidStart, reinterpret_cast<TOKEN_USER*>(user)->User.Sid));
}

TEST_F(StartUpTest, ExtractSetupListWritesTheResourceUnchanged) {
    ScratchFolder work("work");
    Installer.WorkDir = work.Path();
    ASSERT_TRUE(ExtractSetupList());
    const auto resource = win::FindRawData("setup.lst");  // names match without regard to case
    ASSERT_TRUE(resource.has_value());
    // The bytes of the manifest the test program was built with, exactly.
    const std::string written = ReadWholeFile(work.Path() + "SETUP.LST");
    EXPECT_EQ(written, ReadWholeFile(EMBEDDED_MANIFEST));
    EXPECT_EQ(written, std::string(reinterpret_cast<const char*>(resource->data()), resource->size()));
}

TEST_F(StartUpTest, ExtractSetupListFailsForAFolderThatDoesNotExist) {
    Installer.WorkDir = "C:\\dossier\\absent\\";
    EXPECT_FALSE(ExtractSetupList());
}

TEST_F(StartUpTest, TheEmbeddedManifestFillsTheState) {
    ScratchFolder work("work");
    Installer.WorkDir = work.Path();
    ASSERT_TRUE(ExtractSetupList());
    ASSERT_EQ(ReadSetupList(), 0);
    EXPECT_EQ(Installer.AppName, "Korvalix32");
    EXPECT_EQ(Installer.AppVersion, "2.1");
    EXPECT_EQ(Installer.DefaultFolderName, "Korvalix");
    EXPECT_EQ(Installer.StartMenuGroupName, "Korvalix");
    EXPECT_EQ(Installer.UninstallName, "Korvalix");
    EXPECT_EQ(Installer.RunName, "Korvalix32");
    EXPECT_EQ(Installer.FileCount, 4);
    EXPECT_TRUE(Installer.InstallDir.empty());
    EXPECT_FALSE(Installer.WantStartMenu);
    EXPECT_FALSE(Installer.WantDesktop);
}

TEST_F(StartUpTest, StatusesThroughThePlatformProfileFunctions) {
    ScratchFolder work("work");
    Installer.WorkDir = work.Path();
    struct Case {
        const char* text;
        int status;
    };
    const std::string rest = "DossierDemarrage=D\r\nDesinstall=E\r\nRun=F\r\nFichiers=2\r\n";
    for (const Case& c : {Case{"[Setup]\r\nDossierInstall=B\r\n", 1}, Case{"[Setup]\r\nNom=rien\r\n", 1},
                          Case{"[Setup]\r\nNom=A\r\nDossierInstall=\r\n", 2},
                          Case{"[Setup]\r\nNom=A\r\nDossierInstall=B\r\nVersion=\r\n", 3},
                          Case{"[Setup]\r\nNom=A\r\nDossierInstall=B\r\nVersion=C\r\n", 4},
                          Case{"[Setup]\r\nNom=A\r\nDossierInstall=B\r\nVersion=C\r\nDossierDemarrage=D\r\nRun=rien\r\n", 5},
                          Case{"[Setup]\r\nNom=A\r\nDossierInstall=B\r\nVersion=C\r\nDossierDemarrage=D\r\nDesinstall=\r\n", 5},
                          Case{"[Setup]\r\nNom=A\r\nDossierInstall=B\r\nVersion=C\r\nDossierDemarrage=D\r\n", 6},
                          Case{"[setup]\r\nnom=Rien\r\nDossierInstall=B\r\nVersion=C\r\n", 4}}) {
        WriteFile(work.Path() + "SETUP.LST", c.text);
        EXPECT_EQ(ReadSetupList(), c.status) << c.text;
    }
    WriteFile(work.Path() + "SETUP.LST", "[Setup]\r\nNom=A\r\nDossierInstall=B\r\nVersion=C\r\n" + rest);
    EXPECT_EQ(ReadSetupList(), 0);
    EXPECT_EQ(Installer.FileCount, 2);
}

TEST_F(StartUpTest, AMissingWorkCopyReadsAsNoName) {
    ScratchFolder work("work");
    Installer.WorkDir = work.Path();
    EXPECT_EQ(ReadSetupList(), 1);
}

TEST_F(StartUpTest, AWorkFolderTooLongForThePathBufferReadsAsNoName) {
    ScratchFolder work("work");
    std::string deep = work.Path();
    while (deep.size() < 245) {
        deep += "sous_dossier\\";
        ASSERT_TRUE(::CreateDirectoryA(deep.c_str(), nullptr));
    }
    Installer.WorkDir = deep;
    ASSERT_TRUE(ExtractSetupList());  // the file is there and readable...
    EXPECT_EQ(ReadSetupList(), 1);    // ...but its path does not fit 249 characters
}

TEST_F(StartUpTest, FailedStartUpShowsTheErrorBoxAndLeavesNoWorkCopy) {
    // A temporary folder that just leaves room for the work folder and its
    // probe file, but not for a readable path to the manifest's work copy
    // (at most 249 characters): the copy is written, then cannot be read.
    ScratchFolder base("tmp");
    std::string temp = base.Path();
    while (temp.size() < 222) {
        temp += std::string(std::min<size_t>(222 - temp.size() - 1, 40), 'd') + "\\";
        ASSERT_TRUE(::CreateDirectoryA(temp.c_str(), nullptr)) << temp;
    }
    ASSERT_EQ(temp.size(), 222u);
    ScopedVariable tmp("TMP", temp);
    ui::ScopedDialogCapture dialogs;
    EXPECT_FALSE(StartUp());
    ExpectErrorBox(OnlyBox(dialogs), kStartUpError);
    EXPECT_EQ(Parent(Installer.WorkDir), temp) << "the work folder was made there";
    EXPECT_TRUE(ListFolder(temp).empty()) << "neither the work copy nor the work folder is left";
}

TEST_F(StartUpTest, SuccessfulStartUpLeavesTheWorkCopyForTheRun) {
    ScratchFolder temp("tmp");
    ScopedVariable tmp("TMP", temp.Path());
    ui::ScopedDialogCapture dialogs;
    ASSERT_TRUE(StartUp());
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_EQ(Parent(Installer.WorkDir), temp.Path());
    EXPECT_TRUE(win::FileExists(Installer.WorkDir + "SETUP.LST"));
    RemoveWorkDir();
    EXPECT_TRUE(ListFolder(temp.Path()).empty());
}

}  // namespace
