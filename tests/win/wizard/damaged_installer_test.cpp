// A damaged install.exe, as a cut download or a flipped byte on a disk
// leaves it: it refuses with one box before it changes anything, whether the
// manifest or a payload is damaged, and whether a person or a deployment
// tool starts it.  An installer packed before it carried checksums still
// installs.  One case per fresh prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "core/checksums.h"
#include "packer.h"
#include "pe_resources.h"
#include "support/test_support.h"
#include "win/files.h"
#include "wizard/installation_checks.h"
#include "wizard/wizard_driver.h"

namespace {

using Bytes = std::vector<uint8_t>;
using testing_support::ChildProcess;

const char* const kDamagedText =
    "Le programme d'installation est endommag\xE9.\rT\xE9l\xE9\x63hargez-le \xE0 nouveau.\r\r"
    "L'installation ne peut pas continuer.";

std::string Windows(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The default installer's resources, and the places of their bytes in its file.
class DefaultInstaller {
public:
    DefaultInstaller()
        : image_(mkinstall::ReadBytes(wizard::InstallExe())), resources_(pe::ReadResources(image_)) {}

    // The installer with one byte of the resource, at `offset` in it, changed
    // where it lies in the file, as a disk would change it.
    Bytes WithByteChanged(const std::string& resource, size_t offset) const {
        Bytes image = image_;
        const Bytes& data = Find(resource);
        const auto at = std::search(image.begin(), image.end(), data.begin(), data.end());
        EXPECT_NE(at, image.end()) << resource << " lies whole in the file";
        if (at != image.end() && offset < data.size()) *(at + offset) ^= 0x01;
        return image;
    }

    // The installer packed again from the stub without that resource.
    Bytes Without(const std::string& resource) const {
        std::vector<pe::Resource> kept;
        for (const pe::Resource& r : resources_)
            if (!(r.name == pe::Id::Name(resource))) kept.push_back(r);
        EXPECT_EQ(kept.size() + 1, resources_.size()) << resource;
        return pe::WriteResources(mkinstall::ReadBytes(Windows(INSTALL_STUB)), kept);
    }

    const Bytes& Find(const std::string& name) const {
        static const Bytes none;
        for (const pe::Resource& r : resources_)
            if (r.name == pe::Id::Name(name)) return r.data;
        ADD_FAILURE() << name << " is not in the installer";
        return none;
    }

private:
    Bytes image_;
    std::vector<pe::Resource> resources_;
};

// The refusal: one error box with the one button, and no other window.
void AnswerTheRefusal(DWORD processId) {
    HWND box = robot::WaitForCaption(processId, "Erreur", std::chrono::seconds(60));
    ASSERT_NE(box, nullptr) << "the refusal box";
    char text[1024];
    const UINT length = ::GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    EXPECT_EQ(std::string(text, length), kDamagedText);
    const std::vector<HWND> buttons = testing_support::ChildrenOfClass(box, "Button");
    ASSERT_EQ(buttons.size(), 1u);
    EXPECT_EQ(robot::Text(buttons[0]), "Annuler");
    ASSERT_TRUE(robot::Click(buttons[0]));
}

class DamagedInstaller : public ::testing::Test {
protected:
    std::string Write(const std::string& name, const Bytes& image) const {
        const std::string path = folder_.Path() + name;
        mkinstall::WriteBytes(path, image);
        return path;
    }

    testing_support::ScratchFolder folder_{"damaged"};
    const DefaultInstaller installer_;
};

TEST_F(DamagedInstaller, IsRefusedWithNothingChanged) {
    // Only the damage may refuse: the intact installer agrees with its list.
    const auto listed = core::ParseChecksums(installer_.Find(core::kChecksumResourceName));
    ASSERT_TRUE(listed);
    ASSERT_EQ(core::VerifyChecksums(*listed,
                                    [&](const std::string& name) -> std::optional<std::span<const uint8_t>> {
                                        return installer_.Find(name);
                                    }),
              core::Integrity::Intact);
    const Bytes& program = installer_.Find("KORVALIX.EXE.Z");
    const std::string flipped = Write("octet.exe", installer_.WithByteChanged("KORVALIX.EXE.Z", program.size() / 2));
    const std::string missing = Write("manquant.exe", installer_.Without("KORVALIX32.HLP.Z"));
    // "Version=2.1" becomes "Version=2.0": a manifest that still reads well.
    const Bytes& list = installer_.Find("SETUP.LST");
    const std::string version = "Version=2.1";
    const size_t at = std::search(list.begin(), list.end(), version.begin(), version.end()) - list.begin();
    const std::string manifest = Write("manifeste.exe", installer_.WithByteChanged("SETUP.LST", at + version.size() - 1));
    const std::vector<std::string> temp = testing_support::ListFolder(win::TempFolder());
    const std::set<std::string> before = wizard::DriveContents();

    // A damaged manifest: the box comes at once, before any window.
    {
        SCOPED_TRACE("the manifest changed");
        ChildProcess setup("\"" + manifest + "\"");
        ASSERT_NE(robot::WaitForCaption(setup.Id(), "Erreur"), nullptr);
        EXPECT_EQ(robot::TopLevelWindows(setup.Id()).size(), 1u) << "no wizard window";
        AnswerTheRefusal(setup.Id());
        EXPECT_EQ(setup.WaitForExit(), 1u) << "a bare start that cannot start";
    }
    // A damaged payload: found when "Suivant" leaves page 3, before page 4
    // changes anything; the program then ends.
    for (const std::string& program : {flipped, missing}) {
        SCOPED_TRACE(program);
        wizard::Installer setup(program);
        ASSERT_TRUE(setup.Started());
        ASSERT_TRUE(setup.Click(1, "Suivant") && setup.Page(2));
        ASSERT_TRUE(setup.Click(2, "Suivant") && setup.Page(3));
        ASSERT_TRUE(setup.Click(3, "Suivant"));
        AnswerTheRefusal(setup.Id());
        EXPECT_EQ(setup.WaitForExit(), 1u);
    }
    // Without a person: exit code 3, and the reason in the journal.
    const std::string journal = folder_.Path() + "journal.txt";
    ChildProcess silent("\"" + flipped + "\" /S /LOG=\"" + journal + "\"");
    EXPECT_EQ(silent.WaitForExit(std::chrono::seconds(60)), 3u);
    const std::string text = testing_support::ReadWholeFile(journal);
    EXPECT_NE(text.find("  Erreur : Le programme d'installation est endommag\xE9."), std::string::npos) << text;
    EXPECT_NE(text.find("Code de sortie : 3."), std::string::npos) << text;

    wizard::ExpectSameDrive(before);
    EXPECT_EQ(testing_support::ListFolder(win::TempFolder()), temp) << "no work folder is left";
}

TEST_F(DamagedInstaller, WithoutChecksumsItInstallsAsBefore) {
    const std::string old = Write("ancien.exe", installer_.Without(core::kChecksumResourceName));
    ChildProcess silent("\"" + old + "\" /S");
    ASSERT_EQ(silent.WaitForExit(std::chrono::seconds(120)), 0u);
    EXPECT_EQ(testing_support::ReadWholeFile(wizard::kDestinationFolder + "korvalix.exe"),
              testing_support::ReadWholeFile(Windows(PAYLOAD_DIR) + "\\korvalix.exe"));
}

}  // namespace
