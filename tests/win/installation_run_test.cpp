// The installation run inside the test process, which carries the default
// installer's manifest and payloads, against Wine's real files, registry and
// shell links.  A recording page stands in for the progress page.

#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <cctype>
#include <set>

#include "Deroulement/InstallationRun.h"
#include "General/Integrity.h"
#include "General/SetupList.h"
#include "General/Shell.h"
#include "General/WorkDir.h"
#include "Journal/Journal.h"
#include "Variable/Variable.h"
#include "support/expected_texts.h"
#include "support/run_support.h"
#include "support/test_support.h"
#include "ui/message_dialog.h"
#include "win/files.h"
#include "win/registry.h"
#include "win/shell.h"
#include "common/setup_log_text.h"

using namespace testing_support;

namespace {

std::string LinkTarget(const std::string& link) {
    win::ShellLink shellLink;
    return shellLink.Load(link) ? shellLink.GetPath() : std::string();
}

std::optional<std::string> UninstallValue(const std::string& name) {
    win::RegistryKey key = win::OpenRegistryKey(HKEY_LOCAL_MACHINE, kUninstallKey, KEY_READ);
    if (!key) return std::nullopt;
    return win::ReadRegistryString(key, name);
}

std::optional<DWORD> UninstallNumber(const char* name) {
    DWORD number = 0;
    DWORD size = sizeof number;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, name, RRF_RT_REG_DWORD, nullptr, &number, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    return number;
}

// The events of a journal, each line checked for its date and time first.
std::vector<std::string> JournalEvents(const std::string& text) {
    std::vector<std::string> events;
    for (size_t at = 0; at < text.size();) {
        const size_t end = text.find("\r\n", at);
        if (end == std::string::npos) {
            ADD_FAILURE() << "a line without its end: " << text.substr(at);
            break;
        }
        const std::string line = text.substr(at, end - at);
        at = end + 2;
        const std::string stamp = line.substr(0, 21);
        bool stamped = stamp.size() == 21 && stamp.substr(19) == "  ";
        for (size_t i : {0, 1, 2, 3, 5, 6, 8, 9, 11, 12, 14, 15, 17, 18}) stamped = stamped && std::isdigit(stamp[i]);
        EXPECT_TRUE(stamped) << line;
        events.push_back(line.substr(stamped ? 21 : 0));
    }
    return events;
}

// The manifest the test process carries, as the run's work copy, with
// `edit` applied to its text.
class InstallationRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(StartUpForRun(work_.Path(), "C:\\Program Files\\Korvalix " + std::to_string(++testNumber_) + "\\"));
        RemoveDefaultInstallation(Installer.InstallDir);
    }
    void TearDown() override {
        Journal.Close();
        RemoveDefaultInstallation(Installer.InstallDir);
        Installer = InstallerState{};
    }

    std::string Manifest() const { return ReadWholeFile(work_.Path() + "SETUP.LST"); }
    void SetManifest(const std::string& text) const { WriteFile(work_.Path() + "SETUP.LST", text); }
    void ReplaceInManifest(const std::string& from, const std::string& to) const {
        std::string text = Manifest();
        const size_t at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        SetManifest(text.replace(at, from.size(), to));
    }
    std::string Log() const { return ReadWholeFile(Installer.InstallDir + "setup.log"); }
    bool WorkFolderHoldsPayloads() const {
        for (const std::string& name : ListFolder(work_.Path()))
            if (name.size() > 2 && name.substr(name.size() - 2) == ".Z") return true;
        return false;
    }

    win::ComApartment com;  // shell links need COM, as the application sets it up
    ui::ScopedDialogCapture dialogs;  // no test may wait on a real box
    RecordingPage page;
    ScratchFolder work_{"work"};
    static inline int testNumber_ = 0;
};

TEST_F(InstallationRunTest, TheEmbeddedManifestWithBothOptions) {
    RunInstallation(page);

    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_TRUE(page.completed);
    EXPECT_FALSE(page.failed);
    EXPECT_EQ(Installer.Result, core::SetupResult::Installed) << "for the exit code";
    EXPECT_EQ(page.step_, 6);
    EXPECT_LT(page.steps * page.step_, 100) << "the bar stays below 100 until the end";
    EXPECT_EQ(page.position, 100);

    const std::string dir = Installer.InstallDir;
    EXPECT_TRUE(win::FileExists(WindowsDir() + "uninst_Korvalix.exe"));
    EXPECT_TRUE(win::FileExists(dir + "korvalix.exe"));
    EXPECT_TRUE(win::FileExists(dir + "korvalix32.hlp"));
    EXPECT_TRUE(win::FileExists(dir + "erreurs.log"));
    EXPECT_EQ(ReadWholeFile(dir + "erreurs.log"), "");
    EXPECT_FALSE(win::FileExists(dir + "korvalix.quit"));
    EXPECT_FALSE(WorkFolderHoldsPayloads());

    const std::string group = CommonPrograms() + "Korvalix";
    EXPECT_EQ(LinkTarget(group + "\\Korvalix.lnk"), dir + "korvalix.exe");
    EXPECT_EQ(LinkTarget(group + "\\Aide de Korvalix.lnk"), dir + "korvalix32.hlp");
    EXPECT_EQ(LinkTarget(Desktop() + "Korvalix.lnk"), dir + "korvalix.exe");

    EXPECT_EQ(Log(),
              kSetupLogInformation +
              "[Setup]\r\n"
              "Nom=Korvalix32\r\n"
              "DossierInstall=" + dir + "\r\n"
              "Desinstall=Korvalix\r\n"
              "Run=Korvalix32\r\n"
              "Fichiers=7\r\n"
              "DossierDemarrage=" + group + "\r\n"
              "[Fichier_1]\r\nNom=" + WindowsDir() + "uninst_Korvalix.exe\r\n"
              "[Fichier_2]\r\nNom=" + dir + "korvalix.exe\r\n"
              "[Fichier_3]\r\nNom=" + dir + "korvalix32.hlp\r\n"
              "[Fichier_4]\r\nNom=" + dir + "erreurs.log\r\n"
              "[Fichier_5]\r\nNom=" + group + "\\Korvalix.lnk\r\n"
              "[Fichier_6]\r\nNom=%desktop%\\Korvalix.lnk\r\n"
              "[Fichier_7]\r\nNom=" + group + "\\Aide de Korvalix.lnk\r\n");

    EXPECT_EQ(UninstallValue("DisplayName"), "Korvalix32");
    EXPECT_EQ(UninstallValue("UninstallString"),
              WindowsDir() + "uninst_Korvalix.exe \"" + dir + "setup.log\"");

    EXPECT_EQ(page.statuses, (std::vector<std::string>{
                                 "V\xE9rifications en cours...",
                                 "Extraction du fichier uninst_Korvalix.exe...",
                                 "D\xE9\x63ompression du fichier uninst_Korvalix.exe...",
                                 "Extraction du fichier korvalix.exe...",
                                 "D\xE9\x63ompression du fichier korvalix.exe...",
                                 "Extraction du fichier korvalix32.hlp...",
                                 "D\xE9\x63ompression du fichier korvalix32.hlp...",
                                 "Cr\xE9\x61tion du dossier de d\xE9marrage...",
                                 "Cr\xE9\x61tion du raccourci dans le dossier de d\xE9marrage...",
                                 "Cr\xE9\x61tion du raccourci sur le bureau...",
                                 "Cr\xE9\x61tion du raccourci dans le dossier de d\xE9marrage...",
                             }));
    EXPECT_GT(page.messageRounds, 0) << "inflation lets the page handle messages";
}

// What the list of installed programs and package managers read.
TEST_F(InstallationRunTest, TheUninstallEntryTellsVersionFolderIconPublisherAndSize) {
    RunInstallation(page);
    ASSERT_FALSE(page.failed);
    const std::string dir = Installer.InstallDir;
    EXPECT_EQ(UninstallValue("DisplayVersion"), "2.1");
    EXPECT_EQ(UninstallValue("InstallLocation"), dir);
    EXPECT_EQ(UninstallValue("DisplayIcon"), dir + "korvalix.exe") << "the program of the first shortcut";
    EXPECT_EQ(UninstallValue("Publisher"), "Éditions Korvalix");
    uint64_t bytes = 0;
    for (const std::string& file : {WindowsDir() + "uninst_Korvalix.exe", dir + "korvalix.exe", dir + "korvalix32.hlp"})
        bytes += ReadWholeFile(file).size();
    EXPECT_EQ(UninstallNumber("EstimatedSize"), (bytes + 1023) / 1024);
    EXPECT_EQ(UninstallNumber("NoModify"), 1u);
    EXPECT_EQ(UninstallNumber("NoRepair"), 1u);
    EXPECT_EQ(UninstallValue("QuietUninstallString"), WindowsDir() + "uninst_Korvalix.exe /S \"" + dir + "setup.log\"");
}

TEST_F(InstallationRunTest, WithoutAShortcutTheIconIsTheUninstallers) {
    ReplaceInManifest("Raccourci=Korvalix\r\nRaccourciBureau=Korvalix\r\n", "");
    ReplaceInManifest("Raccourci=Aide de Korvalix\r\n", "");
    RunInstallation(page);
    EXPECT_EQ(UninstallValue("DisplayIcon"), WindowsDir() + "uninst_Korvalix.exe");
}

// The journal that /LOG asks for, over a run that keeps a newer file and
// meets an error: each step, each file and each error, in the order they
// came, each line after its date and time.
TEST_F(InstallationRunTest, TheJournalTellsEachStepFileAndError) {
    ASSERT_TRUE(win::ForceDirectories(Installer.InstallDir));
    ASSERT_TRUE(CopyFileTo(TestFolder() + "version_5_0_2195_1.exe", Installer.InstallDir + "korvalix.exe"));
    ReplaceInManifest("Nom=korvalix32.hlp", "Nom=absent.hlp");
    const std::string journal = work_.Path() + "journal.txt";
    ASSERT_TRUE(Journal.Open(journal));
    {
        const ui::ScopedDialogObserver boxes(JournalBox);
        RunInstallation(page);
    }
    Journal.Close();
    EXPECT_TRUE(page.failed);

    const std::string dir = Installer.InstallDir;
    EXPECT_EQ(JournalEvents(ReadWholeFile(journal)),
              (std::vector<std::string>{
                  "Dossier d'installation : " + dir + " ; groupe du menu Démarrer : oui ; raccourci sur le bureau : oui",
                  "Vérifications en cours...",
                  "Extraction du fichier uninst_Korvalix.exe...",
                  "Décompression du fichier uninst_Korvalix.exe...",
                  "Fichier installé : " + WindowsDir() + "uninst_Korvalix.exe",
                  "Extraction du fichier korvalix.exe...",
                  "Décompression du fichier korvalix.exe...",
                  "Fichier conservé, celui en place a une version plus récente : " + dir + "korvalix.exe",
                  "Extraction du fichier absent.hlp...",
                  "Erreur : Impossible d'extraire le fichier \"absent.hlp\". Le fichier install.exe est probablement "
                  "erroné.",
                  "Création du dossier de démarrage...",
                  "Groupe du menu Démarrer : " + CommonPrograms() + "Korvalix",
                  "Entrée de désinstallation créée : HKEY_LOCAL_MACHINE\\" + std::string(kUninstallKey),
              }));
}

TEST_F(InstallationRunTest, TheWindowsFolderRefusingTheUninstallerPutsItInTheDestination) {
    // A folder of that name cannot be opened as a file.
    ASSERT_TRUE(::CreateDirectoryA((WindowsDir() + "uninst_Korvalix.exe").c_str(), nullptr));
    RunInstallation(page);
    ::RemoveDirectoryA((WindowsDir() + "uninst_Korvalix.exe").c_str());

    EXPECT_EQ(OnlyBox(dialogs).text, CopyFailure("uninst_Korvalix.exe"));
    EXPECT_FALSE(page.failed) << "the second attempt succeeded";
    EXPECT_TRUE(win::FileExists(Installer.InstallDir + "uninst_Korvalix.exe"));
    // The destination holds a blank, so the uninstaller's path is quoted.
    EXPECT_EQ(UninstallValue("UninstallString"),
              "\"" + Installer.InstallDir + "uninst_Korvalix.exe\" \"" + Installer.InstallDir + "setup.log\"");
    EXPECT_NE(Log().find("[Fichier_1]\r\nNom=" + Installer.InstallDir + "uninst_Korvalix.exe\r\n"), std::string::npos);
}

TEST_F(InstallationRunTest, WithoutAWindowsFileTheUninstallerPathHasNoFolder) {
    ReplaceInManifest("Dossier=windows", "Dossier=program");
    RunInstallation(page);
    EXPECT_FALSE(page.failed);
    EXPECT_EQ(UninstallValue("UninstallString"), "uninst_Korvalix.exe \"" + Installer.InstallDir + "setup.log\"");
}

TEST_F(InstallationRunTest, AnotherCaseOfDossierInstallsNothingAndIsNoFailure) {
    // Its version is never read: one that is no number stops nothing.
    ReplaceInManifest("Dossier=windows\r\nTaille=", "Dossier=Windows\r\nTaille=");
    ReplaceInManifest("Version=1.0.0", "Version=2.1.1b");
    ReplaceInManifest("Dossier=program\r\nRaccourci=Korvalix", "Dossier=PROGRAM\r\nRaccourci=Korvalix");
    RunInstallation(page);
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_TRUE(page.completed);
    EXPECT_FALSE(page.failed);
    EXPECT_TRUE(win::FolderExists(CommonPrograms() + "Korvalix")) << "the Start-menu group is made";
    EXPECT_TRUE(UninstallValue("DisplayName").has_value()) << "the uninstall entry is made";
    EXPECT_FALSE(win::FileExists(WindowsDir() + "uninst_Korvalix.exe"));
    EXPECT_FALSE(win::FileExists(Installer.InstallDir + "uninst_Korvalix.exe"));
    EXPECT_FALSE(win::FileExists(Installer.InstallDir + "korvalix.exe"));
    EXPECT_FALSE(WorkFolderHoldsPayloads()) << "the written-out payloads are deleted again";
    EXPECT_EQ(Log().find("uninst_Korvalix.exe\r\n[Fichier"), std::string::npos);
    EXPECT_EQ(Log().find("Nom=" + Installer.InstallDir + "korvalix.exe"), std::string::npos);
}

// A page that looks into the destination folder each time the run lets it
// handle messages, as it does between chunks of a file.
class WatchingPage : public RecordingPage {
public:
    void ProcessMessages() override {
        RecordingPage::ProcessMessages();
        for (const std::string& name : ListFolder(Installer.InstallDir))
            if (name.find(".tmp") != std::string::npos) seen.insert(name);
    }
    std::set<std::string> seen;
};

TEST_F(InstallationRunTest, WhatACrashLeftBesideTheFilesGoesAndNothingElse) {
    // The new file being written says what it is and whose.
    ASSERT_TRUE(win::ForceDirectories(Installer.InstallDir));
    const std::string leftovers[] = {Installer.InstallDir + "korvalix.exe.3f09a1c2.Korvalix-install.tmp",
                                     WindowsDir() + "uninst_Korvalix.exe.0badc0de.korvalix-INSTALL.tmp"};
    const std::string others[] = {Installer.InstallDir + "notes.tmp",
                                  Installer.InstallDir + "ins1A2B.tmp",
                                  Installer.InstallDir + "korvalix.exe.3f09a1c2.Autre-install.tmp",
                                  Installer.InstallDir + "korvalix.exe.3f09a1c.Korvalix-install.tmp",
                                  Installer.InstallDir + ".3f09a1c2.Korvalix-install.tmp",
                                  Installer.InstallDir + "korvalix.exe.3f09a1c2.Korvalix-install.tmp.txt",
                                  WindowsDir() + "uninst_Korvalix.exe.0badc0de.Autre-install.tmp"};
    for (const std::string& path : leftovers) WriteFile(path, "moitié d'un fichier");
    for (const std::string& path : others) WriteFile(path, "à garder");
    // One of that name that someone made a link: what it leads to stays.
    const std::string linked = Installer.InstallDir + "korvalix.exe.0123abcd.Korvalix-install.tmp";
    const std::string target = work_.Path() + "ailleurs.txt";
    WriteFile(target, "à garder");
    ASSERT_TRUE(MakeSymbolicLink(linked, target));

    WatchingPage watching;
    RunInstallation(watching);
    EXPECT_FALSE(watching.failed);
    for (const std::string& path : leftovers) EXPECT_FALSE(win::FileExists(path)) << path;
    for (const std::string& path : others) {
        EXPECT_EQ(ReadWholeFile(path), "à garder") << path;
        ::DeleteFileA(path.c_str());
    }
    EXPECT_EQ(ReadWholeFile(target), "à garder");
    const auto written = std::find_if(watching.seen.begin(), watching.seen.end(), [](const std::string& name) {
        return name.rfind("korvalix.exe.", 0) == 0 && name.size() == 42 && name.find(".Korvalix-install.tmp") == 21;
    });
    EXPECT_NE(written, watching.seen.end()) << "korvalix.exe.<8 digits>.Korvalix-install.tmp while it is written";
    for (const std::string& name : ListFolder(Installer.InstallDir)) {
        if (Installer.InstallDir + name == linked) continue;
        EXPECT_EQ(name.find("-install.tmp"), std::string::npos) << name << " stays after the run";
    }
}

TEST_F(InstallationRunTest, AnExistingEmptyFileIsLeftAloneAndStillRecorded) {
    ASSERT_TRUE(win::ForceDirectories(Installer.InstallDir));
    WriteFile(Installer.InstallDir + "erreurs.log", "journal de l'utilisateur");
    RunInstallation(page);
    EXPECT_EQ(ReadWholeFile(Installer.InstallDir + "erreurs.log"), "journal de l'utilisateur");
    EXPECT_NE(Log().find("Nom=" + Installer.InstallDir + "erreurs.log\r\n"), std::string::npos);
}

TEST_F(InstallationRunTest, ANewerFileLeftByTheVersionGateCountsAsInstalled) {
    ASSERT_TRUE(win::ForceDirectories(Installer.InstallDir));
    ASSERT_TRUE(CopyFileTo(TestFolder() + "version_5_0_2195_1.exe", Installer.InstallDir + "korvalix.exe"));
    const std::string before = ReadWholeFile(Installer.InstallDir + "korvalix.exe");
    RunInstallation(page);
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_FALSE(page.failed);
    EXPECT_EQ(ReadWholeFile(Installer.InstallDir + "korvalix.exe"), before);
    // Recorded, and marked as not the installation's own, so that the
    // uninstaller leaves it to whoever put it there.
    EXPECT_NE(Log().find("[Fichier_2]\r\nConserver=1\r\nNom=" + Installer.InstallDir + "korvalix.exe\r\n"),
              std::string::npos)
        << Log();
    EXPECT_NE(Log().find("[Fichier_3]\r\nNom=" + Installer.InstallDir + "korvalix32.hlp\r\n"), std::string::npos);
}

// The run answers for the names of the folder it made from what it put
// there, not from the disk: a name listed again, in other capitals, is the
// file already there and replaces it, as it would in a folder that existed.
TEST_F(InstallationRunTest, ANameListedAgainIntoTheNewFolderIsTheFileAlreadyThere) {
    std::string manifest = Manifest();
    const size_t third = manifest.find("[Fichier_3]");
    std::string again = manifest.substr(third, manifest.find("[Fichier_4]") - third);
    again.replace(again.find("[Fichier_3]"), 11, "[Fichier_5]");
    again.replace(again.find("Nom=korvalix32.hlp"), 18, "Nom=KORVALIX32.HLP");
    manifest.replace(manifest.find("Fichiers=4"), 10, "Fichiers=5");
    SetManifest(manifest + again);
    ASSERT_EQ(ReadSetupList(), 0);
    ASSERT_EQ(Installer.FileCount, 5);
    ASSERT_FALSE(win::FolderExists(Installer.InstallDir));
    RunInstallation(page);
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_FALSE(page.failed);
    EXPECT_EQ(ListFolder(Installer.InstallDir).size(), 4u) << "korvalix.exe, korvalix32.hlp, erreurs.log, setup.log";
    EXPECT_NE(Log().find("[Fichier_5]\r\nNom=" + Installer.InstallDir + "KORVALIX32.HLP\r\n"), std::string::npos)
        << Log();
}

TEST_F(InstallationRunTest, AnEmptyNameStopsTheFilesButNotTheGroupAndTheEntry) {
    ReplaceInManifest("Nom=korvalix.exe", "Nom=");
    RunInstallation(page);
    ExpectErrorBox(OnlyBox(dialogs), kManifestError);
    EXPECT_TRUE(page.failed);
    EXPECT_EQ(Installer.Result, core::SetupResult::Failed);
    EXPECT_TRUE(win::FileExists(WindowsDir() + "uninst_Korvalix.exe"));
    EXPECT_FALSE(win::FileExists(Installer.InstallDir + "korvalix32.hlp"));
    EXPECT_FALSE(win::FileExists(Installer.InstallDir + "erreurs.log"));
    EXPECT_TRUE(win::FolderExists(CommonPrograms() + "Korvalix"));
    EXPECT_TRUE(ListFolder(CommonPrograms() + "Korvalix\\").empty()) << "no shortcuts at all";
    EXPECT_FALSE(win::FileExists(Desktop() + "Korvalix.lnk"));
    EXPECT_TRUE(UninstallValue("DisplayName").has_value());
}

// A manifest entry the run cannot follow: one box, and the run fails.  (A
// missing payload is a fault of the run: fault_test.)
TEST_F(InstallationRunTest, AnEntryTheRunCannotFollowFailsItWithOneBox) {
    struct Case {
        const char* from;
        const char* to;
        std::string box;
    };
    const std::string manifest = Manifest();
    for (const Case& c : {
             // The payload would otherwise land two folders above the destination.
             Case{"Nom=korvalix32.hlp", "Nom=..\\..\\korvalix32.hlp", kManifestError},
             Case{"Taille=0", "Taille=rien", kManifestError},
         }) {
        SCOPED_TRACE(c.to);
        RemoveDefaultInstallation(Installer.InstallDir);
        SetManifest(manifest);
        ReplaceInManifest(c.from, c.to);
        ui::ScopedDialogCapture boxes;
        RecordingPage run;
        RunInstallation(run);
        ExpectErrorBox(OnlyBox(boxes), c.box);
        EXPECT_TRUE(run.failed);
        EXPECT_FALSE(win::FileExists("C:\\korvalix32.hlp"));
        EXPECT_FALSE(win::FileExists("C:\\Program Files\\korvalix32.hlp"));
    }
}

TEST_F(InstallationRunTest, ShortcutAndGroupNamesCannotLeaveTheirFolder) {
    const std::string startUp = CommonPrograms() + "StartUp\\";
    ASSERT_TRUE(win::FolderExists(startUp));
    const std::string manifest = Manifest();

    // A shortcut named out of its group: it would start with the session.
    ReplaceInManifest("Raccourci=Aide de Korvalix", "Raccourci=..\\StartUp\\Aide");
    RunInstallation(page);
    EXPECT_TRUE(page.failed);
    EXPECT_FALSE(win::FileExists(startUp + "Aide.lnk"));
    EXPECT_EQ(Log().find("Aide.lnk"), std::string::npos);

    // A group named out of the Programs folder: nothing is made there.
    SetManifest(manifest);
    Installer.StartMenuGroupName = "..\\..\\Korvalix";
    RecordingPage outOfPrograms;
    RunInstallation(outOfPrograms);
    EXPECT_TRUE(outOfPrograms.failed);
    EXPECT_FALSE(win::FolderExists(CommonPrograms() + "..\\..\\Korvalix"));
    EXPECT_NE(Log().find("DossierDemarrage=\r\n"), std::string::npos);

    // A file name that Windows would make without its final dot.
    Installer.StartMenuGroupName = "Korvalix";
    ASSERT_TRUE(::DeleteFileA((Installer.InstallDir + "korvalix32.hlp").c_str()));
    ReplaceInManifest("Nom=korvalix32.hlp", "Nom=\"korvalix32.hlp.\"");
    RecordingPage trailingDot;
    RunInstallation(trailingDot);
    EXPECT_TRUE(trailingDot.failed);
    EXPECT_FALSE(win::FileExists(Installer.InstallDir + "korvalix32.hlp"));

    ASSERT_EQ(dialogs.Requests().size(), 3u);
    for (const ui::DialogRequest& box : dialogs.Requests())
        EXPECT_EQ(box.text, kManifestError);
}

// A desktop whose path the ANSI code page cannot hold, as for a user named
// Łukasz: the shell's folder is asked for, and the link saved, in UTF-16.
TEST_F(InstallationRunTest, ADesktopOutsideTheCodePageGetsItsShortcut) {
    const std::wstring desktop = L"C:\\users\\\u0141ukasz\\Desktop\\";
    ScopedDesktopFolder lukasz(desktop);
    Installer.WantStartMenu = false;
    RunInstallation(page);
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_FALSE(page.failed);
    EXPECT_NE(::GetFileAttributesW((desktop + L"Korvalix.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(Log().find("Nom=%desktop%\\Korvalix.lnk\r\n"), std::string::npos);
    ::DeleteFileW((desktop + L"Korvalix.lnk").c_str());
}

TEST_F(InstallationRunTest, AShortcutThatCannotBeMadeIsSaidAndNotRecorded) {
    // A folder stands where the link file would go.
    const std::string link = Desktop() + "Korvalix.lnk";
    ASSERT_TRUE(::CreateDirectoryA(link.c_str(), nullptr));
    RunInstallation(page);
    ::RemoveDirectoryA(link.c_str());

    const ui::DialogRequest box = OnlyBox(dialogs);
    EXPECT_EQ(box.kind, ui::DialogKind::Warning);
    EXPECT_EQ(box.buttons, ui::DialogButtons::Ok);
    EXPECT_EQ(box.text, "Le raccourci \"Korvalix\" n'a pas pu \xEAtre cr\xE9\xE9 sur le bureau.");
    EXPECT_FALSE(page.failed) << "the application itself is installed";
    EXPECT_EQ(Log().find("%desktop%"), std::string::npos);
    EXPECT_NE(Log().find("Korvalix\\Aide de Korvalix.lnk"), std::string::npos) << "the other shortcuts are made";
}

TEST_F(InstallationRunTest, NeitherOptionMakesNoShortcut) {
    Installer.WantStartMenu = false;
    Installer.WantDesktop = false;
    RunInstallation(page);
    EXPECT_FALSE(page.failed);
    EXPECT_FALSE(win::FolderExists(CommonPrograms() + "Korvalix"));
    EXPECT_FALSE(win::FileExists(Desktop() + "Korvalix.lnk"));
    EXPECT_EQ(Log().find("DossierDemarrage"), std::string::npos);
    EXPECT_EQ(Log().find(".lnk"), std::string::npos);
    EXPECT_EQ(page.steps, 1 + 2 + 2 + 2 + 1) << "no steps for the group or the shortcut loop";
}

TEST_F(InstallationRunTest, ADesktopShortcutIsRecordedUnderItsOwnName) {
    ReplaceInManifest("RaccourciBureau=Korvalix", "RaccourciBureau=Bureau Korvalix");
    Installer.WantStartMenu = false;
    RunInstallation(page);
    EXPECT_EQ(LinkTarget(Desktop() + "Bureau Korvalix.lnk"), Installer.InstallDir + "korvalix.exe");
    EXPECT_NE(Log().find("Nom=%desktop%\\Bureau Korvalix.lnk\r\n"), std::string::npos);
}

TEST_F(InstallationRunTest, NoFilesAtAll) {
    ReplaceInManifest("Fichiers=4", "Fichiers=0");
    ASSERT_EQ(ReadSetupList(), 0);
    RunInstallation(page);
    EXPECT_FALSE(page.failed);
    EXPECT_EQ(page.step_, 33);
    EXPECT_EQ(page.steps, 2) << "the checks and the group";
    EXPECT_FALSE(win::FileExists(Installer.InstallDir + "korvalix.exe"));
    EXPECT_EQ(UninstallValue("UninstallString"), "uninst_Korvalix.exe \"" + Installer.InstallDir + "setup.log\"");
}

TEST_F(InstallationRunTest, CancelIsHonouredAtTheNextFileAsAFailure) {
    page.cancelAfterSteps = 3;  // the checks, then both steps of the first file
    RunInstallation(page);
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_TRUE(page.failed);
    EXPECT_EQ(Installer.Result, core::SetupResult::Cancelled);
    EXPECT_TRUE(win::FileExists(WindowsDir() + "uninst_Korvalix.exe"));
    EXPECT_FALSE(win::FileExists(Installer.InstallDir + "korvalix.exe"));
    EXPECT_NE(Log().find("uninst_Korvalix.exe"), std::string::npos) << "what was installed stays recorded";
    EXPECT_TRUE(UninstallValue("DisplayName").has_value());
}

// The check before the run, on the resources this process carries as the
// default installer does: it fills the bar, lets the page handle messages,
// and "Annuler" during it ends the program as a cancel, without a box.
TEST_F(InstallationRunTest, TheCheckBeforeTheRunFillsTheBarAndHonoursCancel) {
    EXPECT_TRUE(VerifyInstaller(page));
    EXPECT_EQ(page.statuses, std::vector<std::string>{"V\xE9rification du programme d'installation..."});
    EXPECT_EQ(page.position, 100);
    EXPECT_GE(page.messageRounds, 1);

    page.cancel = true;
    Installer.Result = core::SetupResult::Installed;
    EXPECT_FALSE(VerifyInstaller(page));
    EXPECT_EQ(Installer.Result, core::SetupResult::Cancelled);
    EXPECT_TRUE(dialogs.Requests().empty());
}

TEST_F(InstallationRunTest, ALogThatCannotBeWrittenLeavesTheRun) {
    Installer.InstallDir = "C:\\Program Files\\Korvalix ?*\\";  // no folder can have that name
    try {
        RunInstallation(page);
        FAIL() << "the run went on without its log";
    } catch (const core::Error& error) {
        EXPECT_EQ(std::string(error.what()), "Impossible d'\xE9\x63rire dans " + Installer.InstallDir + "setup.log");
    }
    EXPECT_FALSE(page.completed);
}

TEST_F(InstallationRunTest, TheQuitSignalClosesTheRunningApplicationBeforeItIsReplaced) {
    RunInstallation(page);
    ASSERT_FALSE(page.failed);
    ChildProcess application("\"" + Installer.InstallDir + "korvalix.exe\"");
    ASSERT_TRUE(robot::WaitUntil([&] { return !robot::TopLevelWindows(application.Id()).empty(); }, 20s))
        << "the demo application runs";

    RecordingPage again;
    Installer.QuitSignalWait = InstallerState{}.QuitSignalWait;
    RunInstallation(again);
    // It saw the signal during the run's two-second wait; how soon it then
    // ends is its own affair.
    EXPECT_NE(application.WaitForExit(20s), STILL_ACTIVE) << "the signal closes it";
    EXPECT_TRUE(dialogs.Requests().empty());
    EXPECT_FALSE(again.failed);
    EXPECT_NE(Log().find("[Fichier_8]"), std::string::npos) << "the second run continues the log";
}

// Install, then uninstall through the command the uninstall entry names:
// everything the installation made is gone again.
TEST_F(InstallationRunTest, TheUninstallerUndoesTheInstallation) {
    RunInstallation(page);
    ASSERT_FALSE(page.failed);
    const std::optional<std::string> command = UninstallValue("UninstallString");
    ASSERT_TRUE(command.has_value());
    const size_t logStart = command->find(" \"");
    ASSERT_NE(logStart, std::string::npos);
    // Without questions: "/S" before the log path.
    ChildProcess uninstaller(command->substr(0, logStart) + " /S" + command->substr(logStart));

    const std::string dir = Installer.InstallDir;
    const std::string group = CommonPrograms() + "Korvalix";
    // The uninstaller hands over to a copy of itself in the temporary folder,
    // so wait for the work rather than for the first process.
    robot::WaitUntil([&] { return !win::FolderExists(dir) && !UninstallValue("DisplayName"); }, 30s);
    EXPECT_FALSE(win::FolderExists(dir)) << "files, setup.log and the folder itself";
    EXPECT_FALSE(UninstallValue("DisplayName").has_value());
    EXPECT_FALSE(win::FolderExists(group));
    EXPECT_FALSE(win::FileExists(Desktop() + "Korvalix.lnk"));
    robot::WaitUntil([&] { return !win::FileExists(WindowsDir() + "uninst_Korvalix.exe"); }, 10s);
    EXPECT_FALSE(win::FileExists(WindowsDir() + "uninst_Korvalix.exe")) << "it removes itself once it has ended";
}

// Deployment services run installers as the SYSTEM account, whose own
// desktop no one sees: the shortcut goes to everyone's, and the uninstaller,
// whoever runs it, takes it away again.
TEST_F(InstallationRunTest, UnderTheSystemAccountTheShortcutIsOnEveryonesDesktopUntilTheRemoval) {
    Installer.RunsAsSystem = true;
    Installer.WantStartMenu = false;
    RunInstallation(page);
    ASSERT_FALSE(page.failed);
    const std::string everyones = win::SpecialFolderPath(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\Korvalix.lnk";
    EXPECT_EQ(LinkTarget(everyones), Installer.InstallDir + "korvalix.exe");
    EXPECT_FALSE(win::FileExists(Desktop() + "Korvalix.lnk"));
    EXPECT_NE(Log().find("Nom=%commondesktop%\\Korvalix.lnk\r\n"), std::string::npos) << Log();

    const std::optional<std::string> command = UninstallValue("QuietUninstallString");
    ASSERT_TRUE(command.has_value());
    ChildProcess uninstaller(*command);
    EXPECT_EQ(uninstaller.WaitForExit(60s), 0u);
    EXPECT_FALSE(win::FileExists(everyones));
}

}  // namespace
