#include "wizard/installation_checks.h"

#include <gtest/gtest.h>
#include <shlobj.h>
#include <windows.h>

#include <algorithm>
#include <functional>
#include <iterator>

#include "core/text.h"
#include "support/test_support.h"
#include "win/files.h"
#include "win/shell.h"

namespace wizard {

namespace {
const char* const kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvalix";
}

std::set<std::string> DriveContents() {
    std::set<std::string> paths;
    const std::string temp = core::LowerAscii(win::TempFolder());
    const std::function<void(const std::string&)> walk = [&](const std::string& folder) {
        for (const win::FolderEntry& entry : win::FolderEntries(folder)) {
            const std::string& name = entry.name;
            const std::string path = core::LowerAscii(folder + name);
            if (entry.IsFolder()) {
                if (path + "\\" == temp) continue;
                // The profile's folders lead into the Linux home, whose hidden
                // folders other programs change meanwhile (and where Wine
                // puts Linux menu entries for new shortcuts).
                if (name[0] == '.') continue;
                paths.insert(path + "\\");
                walk(folder + name + "\\");
            } else {
                paths.insert(path);
            }
        }
    };
    walk("C:\\");
    return paths;
}

std::set<std::string> Difference(const std::set<std::string>& a, const std::set<std::string>& b) {
    std::set<std::string> out;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(out, out.begin()));
    return out;
}

void ExpectSameDrive(const std::set<std::string>& before) {
    const std::set<std::string> after = DriveContents();
    EXPECT_EQ(Difference(after, before), std::set<std::string>()) << "left behind";
    EXPECT_EQ(Difference(before, after), std::set<std::string>()) << "removed";
}

std::string WindowsFolder() { return win::WindowsFolder() + "\\"; }
std::string DesktopFolder() { return win::SpecialFolderPath(CSIDL_DESKTOPDIRECTORY) + "\\"; }

std::string Profile(const std::string& file, const char* section, const char* key) {
    char value[1024];
    const DWORD length = ::GetPrivateProfileStringA(section, key, "<absent>", value, sizeof value, file.c_str());
    return std::string(value, length);
}

std::string UninstallValue(const char* value) {
    char text[1024];
    DWORD size = sizeof text;
    if (::RegGetValueA(HKEY_LOCAL_MACHINE, kUninstallKey, value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS)
        return "<absent>";
    return text;
}

std::string LinkTarget(const std::string& path) {
    win::ShellLink link;
    return link.Load(path) ? link.GetPath() : "<unreadable>";
}

void ExpectFilesAndLogHead(int entries) {
    using testing_support::ReadWholeFile;
    const std::string uninstaller = WindowsFolder() + "uninst_Korvalix.exe";
    const std::string payloads = PAYLOAD_DIR "\\";
    EXPECT_EQ(ReadWholeFile(uninstaller), ReadWholeFile(payloads + "uninst_Korvalix.exe"));
    EXPECT_EQ(ReadWholeFile(kDestinationFolder + "korvalix.exe"), ReadWholeFile(payloads + "korvalix.exe"));
    EXPECT_EQ(ReadWholeFile(kDestinationFolder + "korvalix32.hlp"), ReadWholeFile(payloads + "korvalix32.hlp"));
    EXPECT_TRUE(win::FileExists(kDestinationFolder + "erreurs.log"));
    EXPECT_EQ(ReadWholeFile(kDestinationFolder + "erreurs.log"), "");
    EXPECT_FALSE(win::FileExists(kDestinationFolder + "korvalix.quit"));

    const std::string log = kDestinationFolder + "setup.log";
    EXPECT_EQ(Profile(log, "Information", "Attention"), "NE PAS SUPPRIMER CE FICHIER");
    EXPECT_EQ(Profile(log, "Setup", "Nom"), "Korvalix32");
    EXPECT_EQ(Profile(log, "Setup", "DossierInstall"), kDestinationFolder);
    EXPECT_EQ(Profile(log, "Setup", "Desinstall"), "Korvalix");
    EXPECT_EQ(Profile(log, "Setup", "Run"), "Korvalix32");
    EXPECT_EQ(Profile(log, "Setup", "Fichiers"), std::to_string(entries));
    EXPECT_EQ(Profile(log, "Fichier_1", "Nom"), uninstaller);
    EXPECT_EQ(Profile(log, "Fichier_2", "Nom"), kDestinationFolder + "korvalix.exe");
    EXPECT_EQ(Profile(log, "Fichier_3", "Nom"), kDestinationFolder + "korvalix32.hlp");
    EXPECT_EQ(Profile(log, "Fichier_4", "Nom"), kDestinationFolder + "erreurs.log");
    EXPECT_EQ(Profile(log, ("Fichier_" + std::to_string(entries + 1)).c_str(), "Nom"), "<absent>");

    EXPECT_EQ(UninstallValue("DisplayName"), "Korvalix32");
    EXPECT_EQ(UninstallValue("UninstallString"), uninstaller + " \"" + log + "\"");
}

void ExpectNothingLeft() {
    // The uninstaller's own file goes last, once the program started has
    // ended with the result.
    EXPECT_TRUE(robot::WaitUntil([] { return !win::FileExists(WindowsFolder() + "uninst_Korvalix.exe"); },
                                  std::chrono::seconds(20)));
    EXPECT_FALSE(win::FileExists(kDestinationFolder + "setup.log"));
    EXPECT_EQ(::GetFileAttributesA(kDestinationFolder.c_str()), INVALID_FILE_ATTRIBUTES) << "the folder is gone";
    EXPECT_EQ(::GetFileAttributesA(kProgramsGroup.c_str()), INVALID_FILE_ATTRIBUTES) << "the group is gone";
    EXPECT_FALSE(win::FileExists(DesktopFolder() + "Korvalix.lnk"));
    EXPECT_EQ(UninstallValue("UninstallString"), "<absent>");
}

}  // namespace wizard
