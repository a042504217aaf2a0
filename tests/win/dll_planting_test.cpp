// DLLs of system names planted in a "Downloads" folder beside a program: none
// may be loaded.  Wine prefers its builtin copies unless WINEDLLOVERRIDES
// says "n,b" for a name, which makes it take a DLL found beside the program
// first, as Windows does for names outside KnownDLLs.  Wine 8 reads that
// variable from the Unix environment a process inherits, not from the
// CreateProcess environment block, so tests/win/CMakeLists.txt runs this
// program twice with different overrides, and each case runs under the
// overrides it needs.  The control program shows that the override works, so
// the test can fail.

#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_support.h"
#include "wizard/wizard_driver.h"

using namespace testing_support;

namespace {

const char* const kPlanted[] = {"version", "uxtheme", "dwmapi", "cryptbase", "msimg32",
                                "shfolder", "comctl32", "winmm", "profapi", "userenv"};

std::string PlantedFolder() { return TestFolder() + "planted\\"; }

// Whether this run makes Wine prefer a DLL of that name beside the program.
bool PrefersPlanted(const std::string& name) {
    char value[1024];
    const DWORD length = ::GetEnvironmentVariableA("WINEDLLOVERRIDES", value, sizeof value);
    if (length == 0 || length >= sizeof value) return false;
    const std::string overrides(value, length);
    for (size_t start = 0; start < overrides.size();) {
        size_t end = overrides.find(';', start);
        if (end == std::string::npos) end = overrides.size();
        const std::string entry = overrides.substr(start, end - start);
        start = end + 1;
        const size_t equals = entry.find('=');
        if (equals == std::string::npos || entry.substr(equals + 1) != "n,b") continue;
        const std::string names = "," + entry.substr(0, equals) + ",";
        if (names.find("," + name + ",") != std::string::npos) return true;
    }
    return false;
}

// A scratch Downloads folder holding every planted DLL.
class Downloads {
public:
    Downloads() {
        for (const char* name : kPlanted) {
            const std::string file = std::string(name) + ".dll";
            EXPECT_TRUE(CopyFileTo(PlantedFolder() + file, Path() + file)) << file;
        }
    }
    const std::string& Path() const { return folder_.Path(); }

    std::string Add(const std::string& from, const std::string& name) const {
        EXPECT_TRUE(CopyFileTo(from, Path() + name)) << from;
        return Path() + name;
    }

    // The markers the planted DLLs left, that is the DLLs that were loaded.
    std::vector<std::string> Markers() const {
        std::vector<std::string> markers;
        for (const std::string& name : ListFolder(Path()))
            if (name.rfind("planted_", 0) == 0) markers.push_back(name);
        return markers;
    }

private:
    ScratchFolder folder_{"downloads"};
};

const std::vector<std::string> kNone;

#define REQUIRE_PLANTED_VERSION_PREFERRED()                                                       \
    if (!PrefersPlanted("version")) GTEST_SKIP() << "needs version=n,b in WINEDLLOVERRIDES"

TEST(DllPlanting, APlainImportOfVersionDllLoadsThePlantedCopy) {
    REQUIRE_PLANTED_VERSION_PREFERRED();
    Downloads downloads;
    ChildProcess control(downloads.Add(PlantedFolder() + "implicit_version.exe", "control.exe"));
    EXPECT_NE(control.WaitForExit(), STILL_ACTIVE);

    const std::vector<std::string> markers = downloads.Markers();
    EXPECT_NE(std::find(markers.begin(), markers.end(), "planted_version.marker"), markers.end())
        << "the override must make the loader prefer the program's folder, or these tests prove nothing";
}

// The version gate reads file versions through version.dll, loaded at run
// time by full path: it must be the system's copy, with or without the
// start-up restriction of the DLL search.
TEST(DllPlanting, ReadingAFileVersionLoadsNoDllFromTheProgramFolder) {
    REQUIRE_PLANTED_VERSION_PREFERRED();
    for (const char* mode : {"", "--unrestricted "}) {
        SCOPED_TRACE(mode);
        Downloads downloads;
        const std::string probe = downloads.Add(PlantedFolder() + "version_probe.exe", "probe.exe");
        const std::string fixture = downloads.Add(TestFolder() + "version_2_1_1_0.exe", "fixture.exe");
        ChildProcess reader("\"" + probe + "\" " + mode + "\"" + fixture + "\" 2.1.1");
        EXPECT_EQ(reader.WaitForExit(), 0u) << "the system's version.dll reads the version";
        EXPECT_EQ(downloads.Markers(), kNone);
    }
}

// Wine's own user32 imports version.dll (Windows' user32, a KnownDLL, does
// not), so any window program would load a planted version.dll under the
// override: the installer runs without it, and the version reading is
// covered above.  The run goes through every page to "Terminer": the common
// controls, the version gate over an earlier korvalix.exe, shell links and
// the registry.
TEST(DllPlanting, AWholeInstallationLoadsNoDllFromTheInstallersFolder) {
    if (PrefersPlanted("version")) GTEST_SKIP() << "runs without version=n,b (Wine's user32 imports version.dll)";
    bool anyPreferred = false;
    for (const char* name : kPlanted) anyPreferred = anyPreferred || PrefersPlanted(name);
    ASSERT_TRUE(anyPreferred) << "no override: Wine would ignore every planted DLL";

    const std::string destination = std::string(wizard::kDefaultDestination) + "\\";
    ASSERT_TRUE(::CreateDirectoryA(destination.c_str(), nullptr));
    ASSERT_TRUE(CopyFileTo(TestFolder() + "version_2_1_1_0.exe", destination + "korvalix.exe"));

    Downloads downloads;
    const std::string program = downloads.Add(wizard::InstallExe(), "install.exe");
    {
        // A planted DLL that lacks what the installer needs may stop it
        // early; the markers still tell which one was loaded.
        wizard::Installer installer(program);
        EXPECT_TRUE(installer.Started());
        HWND page4 = installer.Started() ? installer.InstallWithDefaults() : nullptr;
        EXPECT_NE(page4, nullptr) << "the installation did not reach its end";
        if (page4) {
            EXPECT_NE(robot::FindControl(page4, "L'installation s'est termin\xE9\x65 avec succ\xE8s !", "Static"),
                      nullptr);
            ASSERT_TRUE(installer.Click(4, "Terminer"));
            EXPECT_EQ(installer.WaitForExit(), 0u);
        }
    }
    EXPECT_FALSE(ReadWholeFile(destination + "korvalix.exe") == ReadWholeFile(TestFolder() + "version_2_1_1_0.exe"))
        << "an equal version is replaced";
    EXPECT_EQ(downloads.Markers(), kNone);
}

}  // namespace
