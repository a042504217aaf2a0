// The shell and registry routines against Wine's real registry, special
// folders and shell links.  Each test puts back what it changed, since the
// cases share one throw-away prefix.

#include "General/Shell.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <thread>

#include "support/test_support.h"
#include "win/files.h"
#include "win/registry.h"
#include "win/shell.h"

namespace {

const char* const kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char* const kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Registry access straight through the API, apart from the code under test.
struct StoredValue {
    DWORD type = 0;
    std::string data;  // raw bytes, terminating zero included
};

std::optional<StoredValue> QueryValue(const std::string& keyPath, const std::string& name) {
    win::RegistryKey key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    LONG status = ::RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type, nullptr, &size);
    if (status == ERROR_SUCCESS) {
        value.data.resize(size);
        status = ::RegQueryValueExA(key.get(), name.c_str(), nullptr, &value.type,
                                    reinterpret_cast<BYTE*>(value.data.data()), &size);
    }
    if (status != ERROR_SUCCESS) return std::nullopt;
    return value;
}

void SetValue(const std::string& keyPath, const std::string& name, DWORD type, const void* data, DWORD size) {
    win::RegistryKey key;
    ASSERT_EQ(::RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                                nullptr),
              ERROR_SUCCESS);
    EXPECT_EQ(::RegSetValueExA(key.get(), name.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
}

void SetText(const std::string& keyPath, const std::string& name, const std::string& text, DWORD type = REG_SZ) {
    SetValue(keyPath, name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
}

void DeleteValue(const std::string& keyPath, const std::string& name) {
    win::RegistryKey key;
    ASSERT_EQ(::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_ALL_ACCESS, key.put()), ERROR_SUCCESS);
    ::RegDeleteValueA(key.get(), name.c_str());
}

bool KeyExists(const std::string& keyPath) {
    win::RegistryKey key;
    return ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, key.put()) == ERROR_SUCCESS;
}

void DeleteKey(const std::string& keyPath) { ::RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str()); }

std::string LinkTarget(const std::string& linkPath) {
    win::ShellLink link;
    if (!link.Load(linkPath)) return "(unreadable)";
    return link.GetPath();
}

// ---- GetProgramFilesDir -------------------------------------------------

class ProgramFilesTest : public testing::Test {
protected:
    void SetUp() override {
        auto stored = QueryValue(kCurrentVersion, "ProgramFilesDir");
        ASSERT_TRUE(stored);
        original_ = *stored;
    }
    void TearDown() override {
        SetValue(kCurrentVersion, "ProgramFilesDir", original_.type, original_.data.data(),
                 static_cast<DWORD>(original_.data.size()));
    }

private:
    StoredValue original_;
};

TEST_F(ProgramFilesTest, PrefixValueIsReturnedWithoutFinalBackslash) {
    EXPECT_EQ(GetProgramFilesDir(), "C:\\Program Files");
}

TEST_F(ProgramFilesTest, ValueIsReturnedAsStored) {
    SetText(kCurrentVersion, "ProgramFilesDir", "D:\\Programmes\\");
    EXPECT_EQ(GetProgramFilesDir(), "D:\\Programmes\\");

    // Environment references stay as they are.
    SetText(kCurrentVersion, "ProgramFilesDir", "%SystemDrive%\\Logiciels", REG_EXPAND_SZ);
    EXPECT_EQ(GetProgramFilesDir(), "%SystemDrive%\\Logiciels");

    SetText(kCurrentVersion, "ProgramFilesDir", "");
    EXPECT_EQ(GetProgramFilesDir(), "");
}

TEST_F(ProgramFilesTest, ValueWithoutTerminatingZeroIsReadWhole) {
    const std::string text = "E:\\Applications";
    SetValue(kCurrentVersion, "ProgramFilesDir", REG_SZ, text.data(), static_cast<DWORD>(text.size()));
    EXPECT_EQ(GetProgramFilesDir(), text);
}

TEST_F(ProgramFilesTest, MissingValueGivesTheFallback) {
    SetText(kCurrentVersion, "ProgramFilesDir", "D:\\Ailleurs");
    DeleteValue(kCurrentVersion, "ProgramFilesDir");
    EXPECT_EQ(GetProgramFilesDir(), "C:\\Program Files");
}

TEST_F(ProgramFilesTest, ValueThatIsNoTextRaisesTheRegistryError) {
    const DWORD number = 42;
    SetValue(kCurrentVersion, "ProgramFilesDir", REG_DWORD, &number, sizeof number);
    try {
        GetProgramFilesDir();
        FAIL() << "no error raised";
    } catch (const win::RegistryError& error) {
        EXPECT_STREQ(error.what(), "Type de donn\xE9" "es incorrect pour 'ProgramFilesDir'");
    }
}

// ---- CreateStartMenuGroup -----------------------------------------------

class StartMenuTest : public testing::Test {
protected:
    void SetUp() override {
        common_ = win::SpecialFolderPath(CSIDL_COMMON_PROGRAMS);
        own_ = win::SpecialFolderPath(CSIDL_PROGRAMS);
        ASSERT_EQ(common_, "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs");
        ASSERT_FALSE(own_.empty());
        ASSERT_NE(own_, common_);
    }
    void TearDown() override {
        for (const std::string& programs : {common_, own_}) {
            const std::string group = programs + "\\" + kGroup;
            win::DeleteFileIfPresent(group + "\\lisezmoi.txt");
            ::RemoveDirectoryA(group.c_str());
            win::DeleteFileIfPresent(group);
        }
    }

    static constexpr const char* kGroup = "Groupe d'essai";
    std::string common_;
    std::string own_;
};

TEST_F(StartMenuTest, GroupIsMadeForAllUsers) {
    const std::string group = CreateStartMenuGroup(kGroup);
    EXPECT_EQ(group, common_ + "\\" + kGroup);
    EXPECT_TRUE(win::FolderExists(group));
}

TEST_F(StartMenuTest, ExistingGroupIsReturnedUnchanged) {
    const std::string group = common_ + "\\" + kGroup;
    ASSERT_TRUE(win::ForceDirectories(group));
    ASSERT_TRUE(win::CreateEmptyFile(group + "\\lisezmoi.txt"));
    EXPECT_EQ(CreateStartMenuGroup(kGroup), group);
    EXPECT_TRUE(win::FileExists(group + "\\lisezmoi.txt"));
}

TEST_F(StartMenuTest, GroupRefusedForAllUsersGoesToTheUsersOwnPrograms) {
    // A file of the group's name stands where the folder should go.
    ASSERT_TRUE(win::CreateEmptyFile(common_ + "\\" + kGroup));
    const std::string group = CreateStartMenuGroup(kGroup);
    EXPECT_EQ(group, own_ + "\\" + kGroup);
    EXPECT_TRUE(win::FolderExists(group));
    EXPECT_TRUE(win::FileExists(common_ + "\\" + kGroup));
}

TEST_F(StartMenuTest, GroupRefusedEverywhereGivesEmptyText) {
    ASSERT_TRUE(win::CreateEmptyFile(common_ + "\\" + kGroup));
    ASSERT_TRUE(win::CreateEmptyFile(own_ + "\\" + kGroup));
    EXPECT_EQ(CreateStartMenuGroup(kGroup), "");
}

TEST_F(StartMenuTest, NestedGroupIsMadeWithItsParents) {
    const std::string group = CreateStartMenuGroup("Editeur\\Korvalix");
    EXPECT_EQ(group, common_ + "\\Editeur\\Korvalix");
    EXPECT_TRUE(win::FolderExists(group));
    ::RemoveDirectoryA(group.c_str());
    ::RemoveDirectoryA((common_ + "\\Editeur").c_str());
}

// ---- CreateShortcut, CreateDesktopShortcut -------------------------------

class ShortcutTest : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(win::ForceDirectories(kFolder));
        ASSERT_TRUE(win::CreateEmptyFile(kTarget));
    }

    static constexpr const char* kFolder = "C:\\Program Files\\Korvalix";
    static constexpr const char* kTarget = "C:\\Program Files\\Korvalix\\korvalix.exe";
    win::ComApartment com_;
};

TEST_F(ShortcutTest, FolderWithoutFinalBackslashGainsOne) {
    EXPECT_TRUE(CreateShortcut(kTarget, kFolder, "Korvalix"));
    const std::string link = std::string(kFolder) + "\\Korvalix.lnk";
    ASSERT_TRUE(win::FileExists(link));
    EXPECT_EQ(LinkTarget(link), kTarget);
    win::DeleteFileIfPresent(link);
}

TEST_F(ShortcutTest, FolderWithFinalBackslashKeepsIt) {
    EXPECT_TRUE(CreateShortcut(kTarget, std::string(kFolder) + "\\", "Aide de Korvalix"));
    const std::string link = std::string(kFolder) + "\\Aide de Korvalix.lnk";
    ASSERT_TRUE(win::FileExists(link));
    EXPECT_EQ(LinkTarget(link), kTarget);
    win::DeleteFileIfPresent(link);
}

TEST_F(ShortcutTest, AccentedNameSurvivesTheWideConversion) {
    EXPECT_TRUE(CreateShortcut(kTarget, kFolder, "R\xE9sum\xE9"));
    const std::string link = std::string(kFolder) + "\\R\xE9sum\xE9.lnk";
    EXPECT_TRUE(win::FileExists(link));
    win::DeleteFileIfPresent(link);
}

TEST_F(ShortcutTest, LinkThatCannotBeSavedIsReported) {
    EXPECT_FALSE(CreateShortcut(kTarget, "C:\\Absent\\Dossier", "Korvalix"));
    EXPECT_FALSE(win::FileExists("C:\\Absent\\Dossier\\Korvalix.lnk"));
}

TEST_F(ShortcutTest, DesktopShortcutLandsOnTheUsersDesktop) {
    const std::string desktop = win::SpecialFolderPath(CSIDL_DESKTOP);
    ASSERT_FALSE(desktop.empty());
    EXPECT_TRUE(CreateDesktopShortcut(kTarget, "Korvalix"));
    const std::string link = desktop + "\\Korvalix.lnk";
    ASSERT_TRUE(win::FileExists(link));
    EXPECT_EQ(LinkTarget(link), kTarget);
    win::DeleteFileIfPresent(link);
}

// COM comes with the first shortcut, on whichever thread makes it: nothing
// at start-up has to prepare it.
TEST(ShortcutWithoutCom, TheFirstShortcutOfAThreadBringsCom) {
    const std::string folder = win::TempFolder();  // with its final backslash
    bool made = false;
    std::thread([&] { made = CreateShortcut("C:\\a.exe", folder, "sans COM"); }).join();
    EXPECT_TRUE(made);
    EXPECT_TRUE(win::FileExists(folder + "sans COM.lnk"));
    win::DeleteFileIfPresent(folder + "sans COM.lnk");
    // A COM error that does stop the run says what the system says of it.
    EXPECT_STRNE(win::ComError(CO_E_NOTINITIALIZED).what(), "");
}

// ---- RegisterUninstaller -------------------------------------------------

class UninstallerTest : public testing::Test {
protected:
    void TearDown() override { DeleteKey(kKey); }
    static constexpr const char* kKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvalix";
};

TEST_F(UninstallerTest, BothValuesAreExactStrings) {
    RegisterUninstaller("Korvalix", "Korvalix32", "C:\\windows\\uninst_Korvalix.exe",
                        "C:\\Program Files\\Korvalix\\setup.log");
    const auto name = QueryValue(kKey, "DisplayName");
    const auto command = QueryValue(kKey, "UninstallString");
    ASSERT_TRUE(name && command);
    EXPECT_EQ(name->type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(name->data, std::string("Korvalix32", 11));  // the size counts the terminating zero
    EXPECT_EQ(command->type, static_cast<DWORD>(REG_SZ));
    const std::string expected = "C:\\windows\\uninst_Korvalix.exe \"C:\\Program Files\\Korvalix\\setup.log\"";
    EXPECT_EQ(command->data, std::string(expected.c_str(), expected.size() + 1));
}

TEST_F(UninstallerTest, UninstallerPathWithBlanksIsQuoted) {
    RegisterUninstaller("Korvalix", "Korvalix32", "C:\\Program Files\\Korvalix\\uninst_Korvalix.exe",
                        "C:\\Program Files\\Korvalix\\setup.log");
    const auto command = QueryValue(kKey, "UninstallString");
    ASSERT_TRUE(command);
    EXPECT_STREQ(command->data.c_str(),
                 "\"C:\\Program Files\\Korvalix\\uninst_Korvalix.exe\" \"C:\\Program Files\\Korvalix\\setup.log\"");
}

std::string Text(const char* key, const char* name) {
    const auto value = QueryValue(key, name);
    if (!value) return "<absent>";
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ)) << name;
    EXPECT_EQ(value->data.back(), '\0') << name << ": the size counts the terminating zero";
    return value->data.c_str();
}

DWORD Number(const char* key, const char* name) {
    const auto value = QueryValue(key, name);
    if (!value || value->type != REG_DWORD || value->data.size() != sizeof(DWORD)) {
        ADD_FAILURE() << name << " is no REG_DWORD";
        return 0xDEADBEEF;
    }
    DWORD number;
    std::memcpy(&number, value->data.data(), sizeof number);
    return number;
}

// What the list of installed programs shows and package managers use.
TEST_F(UninstallerTest, TheDetailsBesideTheNameAndTheCommand) {
    const std::string folder = "C:\\Program Files\\Société Korvalix\\";
    UninstallEntryDetails details;
    details.version = "2.1";
    details.installFolder = folder;
    details.icon = folder + "korvalix.exe";
    details.publisher = "Éditions Korvalix";
    details.installedBytes = 281717;  // 275.1 KiB
    const std::string before = testing_support::TodayAsInstallDate();
    EXPECT_EQ(RegisterUninstaller("Korvalix", "Korvalix32", "C:\\windows\\uninst_Korvalix.exe", folder + "setup.log",
                                  details),
              EntryWritten::Created);
    const std::string after = testing_support::TodayAsInstallDate();

    EXPECT_EQ(Text(kKey, "DisplayVersion"), "2.1");
    EXPECT_EQ(Text(kKey, "InstallLocation"), folder);
    EXPECT_EQ(Text(kKey, "DisplayIcon"), folder + "korvalix.exe");
    EXPECT_EQ(Text(kKey, "Publisher"), "Éditions Korvalix");
    EXPECT_EQ(Number(kKey, "EstimatedSize"), 276u) << "KiB, rounded up";
    const std::string date = Text(kKey, "InstallDate");
    EXPECT_TRUE(date == before || date == after) << date;
    EXPECT_EQ(Number(kKey, "NoModify"), 1u);
    EXPECT_EQ(Number(kKey, "NoRepair"), 1u);
    EXPECT_EQ(Text(kKey, "QuietUninstallString"), "C:\\windows\\uninst_Korvalix.exe /S \"" + folder + "setup.log\"");
    EXPECT_EQ(Text(kKey, "UninstallString"), "C:\\windows\\uninst_Korvalix.exe \"" + folder + "setup.log\"");
}

// An update: the name and the command stay as the first installation wrote
// them, and the rest describes the installation as it is now.
TEST_F(UninstallerTest, AnExistingEntryKeepsItsNameAndCommandAndTakesTheNewDetails) {
    SetText(kKey, "DisplayName", "Ancienne installation");
    SetText(kKey, "UninstallString", "C:\\windows\\uninst_Korvalix.exe \"C:\\Ancien\\setup.log\"");
    SetText(kKey, "DisplayVersion", "1.0");
    SetText(kKey, "InstallDate", "20010101");
    UninstallEntryDetails details;
    details.version = "2.1";
    details.installFolder = "C:\\Ancien\\";
    details.installedBytes = 2048;
    EXPECT_EQ(RegisterUninstaller("Korvalix", "Korvalix32", "C:\\windows\\uninst_Korvalix.exe",
                                  "C:\\Ancien\\setup.log", details),
              EntryWritten::Updated);
    EXPECT_EQ(Text(kKey, "DisplayName"), "Ancienne installation");
    EXPECT_EQ(Text(kKey, "UninstallString"), "C:\\windows\\uninst_Korvalix.exe \"C:\\Ancien\\setup.log\"");
    EXPECT_EQ(Text(kKey, "DisplayVersion"), "2.1");
    EXPECT_EQ(Text(kKey, "InstallLocation"), "C:\\Ancien\\");
    EXPECT_EQ(Number(kKey, "EstimatedSize"), 2u);
    EXPECT_NE(Text(kKey, "InstallDate"), "20010101") << "today's date";
    EXPECT_EQ(Text(kKey, "QuietUninstallString"), "C:\\windows\\uninst_Korvalix.exe /S \"C:\\Ancien\\setup.log\"");
}

TEST_F(UninstallerTest, UnknownDetailsAreLeftOut) {
    EXPECT_EQ(RegisterUninstaller("Korvalix", "Korvalix32", "C:\\Mes Programmes\\uninst_Korvalix.exe",
                                  "C:\\setup.log"),
              EntryWritten::Created);
    for (const char* value : {"DisplayVersion", "InstallLocation", "DisplayIcon", "Publisher"})
        EXPECT_FALSE(QueryValue(kKey, value)) << value;
    EXPECT_EQ(Number(kKey, "EstimatedSize"), 0u);
    EXPECT_EQ(Number(kKey, "NoModify"), 1u);
    EXPECT_EQ(Text(kKey, "QuietUninstallString"), "\"C:\\Mes Programmes\\uninst_Korvalix.exe\" /S \"C:\\setup.log\"");
}

TEST_F(UninstallerTest, KeyThatCannotBeCreatedIsSkippedSilently) {
    // Key names longer than 255 characters are refused by the registry.
    const std::string name(300, 'K');
    EXPECT_NO_THROW(RegisterUninstaller(name, "Korvalix32", "C:\\windows\\uninst_Korvalix.exe", "C:\\setup.log"));
    EXPECT_FALSE(KeyExists(kUninstall + name));
}

TEST(UninstallCommand, OnlyAPathWithABlankIsQuoted) {
    EXPECT_EQ(UninstallCommand("C:\\WINDOWS\\uninst_Korvalix.exe", "C:\\Program Files\\Korvalix\\setup.log"),
              "C:\\WINDOWS\\uninst_Korvalix.exe \"C:\\Program Files\\Korvalix\\setup.log\"");
    EXPECT_EQ(UninstallCommand("C:\\Mes Programmes\\u.exe", "C:\\setup.log"),
              "\"C:\\Mes Programmes\\u.exe\" \"C:\\setup.log\"");
    EXPECT_EQ(UninstallCommand("u.exe", ""), "u.exe \"\"");
}

}  // namespace
