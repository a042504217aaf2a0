// Start-up inside the test process: the work folder, the work copy of the
// manifest and the [Setup] values, against Wine's real files and profile
// functions.

#include <gtest/gtest.h>
#include <windows.h>

#include "General/SetupList.h"
#include "General/WorkDir.h"
#include "Variable/Variable.h"
#include "install/StartUp.h"
#include "support/test_support.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/resources.h"

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

class StartUpTest : public ::testing::Test {
protected:
    void SetUp() override { Installer = InstallerState{}; }
    void TearDown() override { Installer = InstallerState{}; }
};

TEST_F(StartUpTest, WorkFolderIsTheTemporaryFolderWithOneBackslash) {
    ScratchFolder temp("tmp");
    ScopedVariable tmp("TMP", temp.Path() + "\\\\");  // extra backslashes are the system's to tidy, not ours
    ScopedVariable tmp2("TEMP", temp.Path());
    const std::string workDir = FindWorkDir();
    ASSERT_FALSE(workDir.empty());
    EXPECT_EQ(workDir.back(), '\\');
    EXPECT_NE(workDir.substr(workDir.size() - 2), "\\\\");
    EXPECT_TRUE(win::FolderExists(workDir));
    EXPECT_FALSE(HasProbeFiles(workDir));
}

TEST_F(StartUpTest, TemporaryFolderWithoutBackslashGainsOne) {
    ScratchFolder temp("tmp");
    std::string withoutBackslash = temp.Path();
    withoutBackslash.pop_back();
    ScopedVariable tmp("TMP", withoutBackslash);
    EXPECT_EQ(FindWorkDir(), temp.Path());
    EXPECT_FALSE(HasProbeFiles(temp.Path()));
}

TEST_F(StartUpTest, UnwritableTemporaryFolderFallsBackToTheProgramFolder) {
    ScopedVariable tmp("TMP", "C:\\dossier\\qui\\n'existe\\pas\\");
    EXPECT_EQ(FindWorkDir(), TestFolder());
    EXPECT_FALSE(HasProbeFiles(TestFolder()));
}

TEST_F(StartUpTest, TemporaryFolderLongerThan255CharactersCountsAsAFailedAttempt) {
    ScratchFolder temp("long");
    std::string longPath = temp.Path();
    while (longPath.size() < 300) longPath += "dossier_tres_long\\";
    ScopedVariable tmp("TMP", longPath);
    EXPECT_EQ(FindWorkDir(), TestFolder());
}

TEST_F(StartUpTest, ExtractSetupListWritesTheResourceUnchanged) {
    ScratchFolder work("work");
    Installer.WorkDir = work.Path();
    ASSERT_TRUE(ExtractSetupList());
    const auto resource = win::FindRawData("setup.lst");  // names match without regard to case
    ASSERT_TRUE(resource.has_value());
    const std::string written = ReadWholeFile(work.Path() + "SETUP.LST");
    EXPECT_EQ(written.size(), 576u);
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
    ScratchFolder temp("tmp");
    ScopedVariable tmp("TMP", temp.Path());
    ui::ScopedDialogCapture dialogs;
    // The test executable carries a good manifest; make it unreadable by
    // pre-empting the work copy's name with a folder.
    ASSERT_TRUE(::CreateDirectoryA((temp.Path() + "SETUP.LST").c_str(), nullptr));
    EXPECT_FALSE(StartUp());
    ASSERT_EQ(dialogs.Requests().size(), 1u);
    const ui::DialogRequest& box = dialogs.Requests()[0];
    EXPECT_EQ(box.kind, ui::DialogKind::Error);
    EXPECT_EQ(box.title, "Erreur");
    EXPECT_EQ(box.buttons, ui::DialogButtons::Cancel);
    EXPECT_EQ(box.text,
              "Param\xE8tres d'installation erron\xE9s,\rou impossible d'\xE9\x63rire dans le dossier temporaire.\r\r"
              "L'installation ne peut pas continuer.");
}

TEST_F(StartUpTest, SuccessfulStartUpLeavesTheWorkCopyForTheRun) {
    ScratchFolder temp("tmp");
    ScopedVariable tmp("TMP", temp.Path());
    ui::ScopedDialogCapture dialogs;
    ASSERT_TRUE(StartUp());
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_EQ(Installer.WorkDir, temp.Path());
    EXPECT_TRUE(win::FileExists(temp.Path() + "SETUP.LST"));
}

}  // namespace
