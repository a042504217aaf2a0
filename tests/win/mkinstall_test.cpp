// Installers packed by mkinstall, checked through the Windows loader: the
// resources are found by name whatever its case, inflate back to the input
// files, and the stub's own resources survive; an installer whose payload has
// an accented name installs it.
#include <windows.h>
#include <imagehlp.h>
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "core/ini.h"
#include "core/inflate.h"
#include "core/setup_manifest.h"
#include "packer.h"
#include "pe_resources.h"
#include "support/test_support.h"
#include "win/files.h"
#include "win/handle.h"
#include "win/shell.h"
#include "win/profile.h"
#include "win/version_info.h"
#include "wizard/wizard_driver.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Inflate(const Bytes& stream, uint64_t size) {
    struct Sink : core::InflateSink {
        Bytes data;
        bool Write(std::span<const uint8_t> bytes) override {
            data.insert(data.end(), bytes.begin(), bytes.end());
            return true;
        }
    } sink;
    core::MemorySource source(stream);
    EXPECT_EQ(core::InflateExactly(source, sink, size), core::InflateStatus::Ok);
    return sink.data;
}

// An executable opened for its resources only.
class ResourceModule {
public:
    explicit ResourceModule(const std::string& path)
        : module_(::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
    bool ok() const { return bool(module_); }
    std::optional<Bytes> Find(const std::string& name) const {
        HRSRC found = ::FindResourceA(module_.get(), name.c_str(), MAKEINTRESOURCEA(10));
        if (!found) return std::nullopt;
        const auto* bytes = static_cast<const uint8_t*>(::LockResource(::LoadResource(module_.get(), found)));
        return Bytes(bytes, bytes + ::SizeofResource(module_.get(), found));
    }

private:
    win::Module module_;
};

std::string Text(const Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

class Packing : public testing::Test {
protected:
    void SetUp() override {
        folder_ = win::TempFolder() + "mkinstall_test_" + std::to_string(::GetCurrentProcessId()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
        ASSERT_TRUE(win::ForceDirectories(folder_ + "payload\\"));
        std::mt19937 random(5);
        for (int i = 0; i < 200000; ++i) big_.push_back(static_cast<uint8_t>("abcdefgh"[random() % 8]));
        mkinstall::WriteBytes(folder_ + "payload\\Big.Bin", big_);
        mkinstall::WriteBytes(folder_ + "payload\\aide.txt", Bytes{'a', 'i', 'd', 'e'});
        const std::string manifest =
            "[Setup]\r\nNom=Essai\r\nVersion=1\r\nDossierInstall=Essai\r\nDossierDemarrage=Essai\r\nFichiers=3\r\n"
            "[Fichier_1]\r\nNom=Big.Bin\r\nDossier=program\r\nTaille=200000\r\n"
            "[Fichier_2]\r\nNom=aide.txt\r\nTaille=4\r\n"
            "[Fichier_3]\r\nNom=vide.log\r\nTaille=0\r\n";
        manifest_.assign(manifest.begin(), manifest.end());
    }

    Bytes Pack(const std::string& stub) {
        return mkinstall::Pack(mkinstall::ReadBytes(stub), manifest_, folder_ + "payload");
    }

    std::string folder_;
    Bytes big_;
    Bytes manifest_;
};

TEST_F(Packing, ResourcesInflateBackAndStubResourcesSurvive) {
    const std::string packed = folder_ + "packed.exe";
    mkinstall::WriteBytes(packed, Pack(win::ExecutableFolder() + "versioned_fixture.exe"));

    const ResourceModule module(packed);
    ASSERT_TRUE(module.ok());
    const auto manifest = module.Find("setup.lst");
    ASSERT_TRUE(manifest);
    EXPECT_EQ(*manifest, manifest_);

    const auto big = module.Find("big.bin.z");  // stored as BIG.BIN.Z
    ASSERT_TRUE(big);
    ASSERT_GE(big->size(), 2u);
    EXPECT_EQ((*big)[0], 0x78);
    EXPECT_EQ((*big)[1], 0xDA);
    EXPECT_LT(big->size(), big_.size() / 2);
    EXPECT_EQ(Inflate(*big, big_.size()), big_);

    const auto help = module.Find("AIDE.TXT.Z");
    ASSERT_TRUE(help);
    EXPECT_EQ(Text(Inflate(*help, 4)), "aide");

    EXPECT_FALSE(module.Find("vide.log.Z")) << "a file of size 0 has no payload";
    EXPECT_EQ(win::GetFileVersionText(packed), "2.1.1");
}

uint32_t Read32(const Bytes& bytes, size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | uint32_t{bytes[at + 3]} << 24;
}

// The symbol and string tables of an unstripped stub, as they stand in the file.
Bytes SymbolTables(const Bytes& image) {
    const size_t coff = Read32(image, 0x3C) + 4;
    const uint32_t at = Read32(image, coff + 8);
    if (at == 0) return {};
    return Bytes(image.begin() + at, image.end());
}

TEST_F(Packing, SymbolTableOfAnUnstrippedStubMovesAlong) {
    const Bytes stub = mkinstall::ReadBytes(win::ExecutableFolder() + "versioned_fixture.exe");
    const Bytes symbols = SymbolTables(stub);
    ASSERT_FALSE(symbols.empty()) << "the fixture is linked without -s";
    EXPECT_EQ(SymbolTables(Pack(win::ExecutableFolder() + "versioned_fixture.exe")), symbols);
}

TEST_F(Packing, IsReproducibleAndRepackingReplaces) {
    const std::string stub = win::ExecutableFolder() + "versioned_fixture.exe";
    const Bytes once = Pack(stub);
    EXPECT_EQ(Pack(stub), once);
    // Packing an installer again replaces its resources instead of adding.
    mkinstall::WriteBytes(folder_ + "once.exe", once);
    EXPECT_EQ(Pack(folder_ + "once.exe"), once);
}

// Authenticode signing keeps the checksum field as it finds it, and Windows
// checks it for drivers and some services: it must be the one Windows computes.
TEST_F(Packing, ChecksumIsTheOneWindowsComputes) {
    for (const std::string& stub : {win::ExecutableFolder() + "versioned_fixture.exe", std::string(INSTALL_EXE)}) {
        const std::string packed = folder_ + "checksum.exe";
        mkinstall::WriteBytes(packed, Pack(stub));
        DWORD inHeader = 0, computed = 0;
        ASSERT_EQ(::MapFileAndCheckSumA(packed.c_str(), &inHeader, &computed), CHECKSUM_SUCCESS) << stub;
        EXPECT_NE(computed, 0u) << stub;
        EXPECT_EQ(inHeader, computed) << stub;
    }
}

TEST_F(Packing, PackedProgramStillRunsAndQuitsOnItsSignal) {
    // The demo application is a real program: after packing it must still
    // load, run, and close when korvalix.quit appears beside it.
    const std::string program = folder_ + "korvalix.exe";
    mkinstall::WriteBytes(program, Pack(std::string(PAYLOAD_DIR) + "/korvalix.exe"));
    EXPECT_EQ(win::GetFileVersionText(program), "2.1.1");

    ::DeleteFileA((folder_ + "korvalix.quit").c_str());  // a signal left by an earlier run
    using namespace std::chrono_literals;
    testing_support::ChildProcess application("\"" + program + "\"");
    ASSERT_TRUE(robot::WaitUntil([&] { return !robot::TopLevelWindows(application.Id()).empty(); }, 20s))
        << "it runs";
    EXPECT_EQ(application.WaitForExit(500ms), static_cast<DWORD>(STILL_ACTIVE)) << "it quit by itself";

    ASSERT_TRUE(win::CreateEmptyFile(folder_ + "korvalix.quit"));
    // Generous: the program polls every 200 ms, Wine may be slow.
    EXPECT_EQ(application.WaitForExit(5s), 0u);
}

// Drops every "Taille=..." line, the only lines the build rewrites.
std::string WithoutSizes(const std::string& manifest) {
    std::string out;
    size_t at = 0;
    while (at < manifest.size()) {
        size_t end = manifest.find('\n', at);
        end = end == std::string::npos ? manifest.size() : end + 1;
        const std::string line = manifest.substr(at, end - at);
        if (line.rfind("Taille=", 0) != 0) out += line;
        at = end;
    }
    return out;
}

TEST(DefaultInstaller, CarriesTheExampleManifestAndTheDemoPayloads) {
    const ResourceModule installer(INSTALL_EXE);
    ASSERT_TRUE(installer.ok());
    const auto manifestBytes = installer.Find("SETUP.LST");
    ASSERT_TRUE(manifestBytes);
    const std::string manifestText = Text(*manifestBytes);
    EXPECT_EQ(WithoutSizes(manifestText), WithoutSizes(Text(mkinstall::ReadBytes(MANIFEST_TEMPLATE))));
    EXPECT_NE(manifestText.find("d\xE9sinstallation"), std::string::npos) << "é must stay one byte";

    const core::IniFile manifest = core::IniFile::Parse(manifestText);
    core::SetupValues values;
    ASSERT_EQ(core::ReadSetupSection(manifest, values), 0);
    ASSERT_EQ(values.FileCount, 4);
    int payloads = 0;
    for (int32_t n = 1; n <= values.FileCount; ++n) {
        const core::FileEntry entry = core::ReadFileEntry(manifest, n);
        if (entry.Taille == 0) continue;
        ++payloads;
        const Bytes file = mkinstall::ReadBytes(std::string(PAYLOAD_DIR) + "/" + entry.Nom);
        EXPECT_EQ(static_cast<size_t>(entry.Taille), file.size()) << entry.Nom;
        const auto stream = installer.Find(entry.Nom + ".Z");
        ASSERT_TRUE(stream) << entry.Nom;
        EXPECT_EQ((*stream)[0], 0x78);
        EXPECT_EQ((*stream)[1], 0xDA);
        EXPECT_EQ(Inflate(*stream, file.size()), file) << entry.Nom;
    }
    EXPECT_EQ(payloads, 3);
    EXPECT_EQ(win::GetFileVersionText(std::string(PAYLOAD_DIR) + "/korvalix.exe"), "2.1.1");
    EXPECT_EQ(win::GetFileVersionText(std::string(PAYLOAD_DIR) + "/uninst_Korvalix.exe"), "1.0.0");
}

// The stub's application manifest survives packing.
TEST(DefaultInstaller, AsksForAdministratorAndDeclaresDpiAwareness) {
    const std::string manifest = testing_support::ApplicationManifest(INSTALL_EXE);
    EXPECT_NE(manifest.find("level=\"requireAdministrator\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
    EXPECT_NE(manifest.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_NE(manifest.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"), std::string::npos);
}

// A resource name with any character of Windows-1252, as mkinstall stores
// it, is found by the loader under the name as the installer writes it.
TEST(ResourceNames, EveryWindows1252CharacterIsFoundAsWritten) {
    std::vector<std::string> names;
    std::vector<pe::Resource> resources;
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        const std::string name = std::string("n") + static_cast<char>(byte) + ".z";
        names.push_back(name);
        resources.push_back({pe::Id::Number(pe::kRcData), pe::Id::Name(name), 0, 0, Bytes(name.begin(), name.end())});
    }
    const std::string packed = win::TempFolder() + "noms_" + std::to_string(::GetCurrentProcessId()) + ".exe";
    mkinstall::WriteBytes(packed, pe::WriteResources(mkinstall::ReadBytes(win::ExecutableFolder() + "versioned_fixture.exe"),
                                                     resources));
    {
        const ResourceModule module(packed);
        ASSERT_TRUE(module.ok());
        for (const std::string& name : names) {
            const auto found = module.Find(name);
            ASSERT_TRUE(found) << "byte 0x" << std::hex << (static_cast<unsigned>(name[1]) & 0xFF);
            // Names that differ in case only share one resource: the system's
            // own comparison says whether it is the right one.
            const std::wstring wanted = win::AnsiToWide(name), got = win::AnsiToWide(Text(*found));
            EXPECT_EQ(::CompareStringOrdinal(wanted.c_str(), -1, got.c_str(), -1, TRUE), CSTR_EQUAL) << name;
        }
    }
    ::DeleteFileA(packed.c_str());
}

// The installer packed at build time by the host's mkinstall, from a payload
// folder that spells "\xE9t\xE9.txt" in UTF-8 (tests/win/fixtures/accented), walked
// through as a person does.
TEST(AccentedPayload, InstallsEndToEnd) {
    const std::string folder = "C:\\Program Files\\Essai accentu\xE9\\";
    wizard::Installer installer(win::ExecutableFolder() + "installer_accented.exe");
    ASSERT_TRUE(installer.Started());
    HWND page4 = installer.InstallWithDefaults();
    ASSERT_NE(page4, nullptr);
    EXPECT_NE(robot::FindControl(page4, "L'installation s'est termin\xE9\x65 avec succ\xE8s !", "Static"), nullptr);
    ASSERT_TRUE(robot::Click(robot::FindControl(page4, "Terminer", "Button")));
    EXPECT_EQ(installer.WaitForExit(), 0u);

    const std::string installed = folder + "\xE9t\xE9.txt";
    ASSERT_TRUE(win::FileExists(installed));
    EXPECT_EQ(Text(mkinstall::ReadBytes(installed)), "Le fichier de d\xE9monstration au nom accentu\xE9.\r\n");
    EXPECT_EQ(win::ProfileFile(folder + "setup.log").ReadString("Fichier_1", "Nom", "", 260), installed);
}

}  // namespace
