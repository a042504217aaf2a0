// The portable ini reader must read every file exactly as the platform's
// profile functions do: the packaging tool checks manifests with it.

#include <gtest/gtest.h>

#include <set>

#include "core/ini.h"
#include "core/text.h"
#include "support/test_support.h"
#include "win/profile.h"

using namespace testing_support;

namespace {

const std::string kCorpus[] = {
    // case of sections and keys
    "[Setup]\r\nNom=Korvalix32\r\n[SETUP]\r\nnom=other\r\n[fichier_1]\r\nNOM=a.exe\r\n",
    // blanks around keys, values and headers
    "  [Setup]  \r\n  Nom  =  Korvalix 32  \r\n\tVersion\t=\t2.1\t\r\n[ Spaced ]\r\nk=v\r\n",
    // quoted values of every shape
    "[Q]\r\na=\"quoted\"\r\nb='single'\r\nc=\"mixed'\r\nd=\"\"\r\ne=\"\r\nf=\"in\"side\"\r\ng=x\"y\"\r\nh=  \"padded\"  \r\n"
    "i=''\r\nj='\r\n",
    // missing and empty values, lines without "="
    "[S]\r\nempty=\r\nnoequals\r\n=novalue\r\n  =  \r\nk==double\r\nl=a=b\r\n",
    // duplicate sections and keys
    "[S]\r\nk=1\r\nk=2\r\n[T]\r\nk=3\r\n[s]\r\nk=4\r\nonly=5\r\n",
    // long values, cut at the buffer
    "[L]\r\nlong=" + std::string(3000, 'x') + "\r\nq=\"" + std::string(300, 'y') + "\"\r\n",
    // CR/LF variants
    "[A]\rk=cr\r[B]\nk=lf\n[C]\r\n\r\nk=crlf\n\r[D]\r\r\nk=mixed",
    // headers that are odd
    "[Set]up] trailing\r\nk=1\r\n[NoClose\r\nk=2\r\n[]\r\nk=3\r\n[Last]\r\nk=4\r\n",
    // keys before any header, comments, accented bytes
    "k=top\r\n;comment=yes\r\n[Setup]\r\n;Nom=hidden\r\nNom=D\xE9sinstallation\r\n# hash=1\r\n",
    // whole numbers for the integer reading
    "[N]\r\na=4\r\nb= -12\r\nc=12abc\r\nd=abc\r\ne=\r\nf=0x10\r\ng=4294967295\r\nh=\"7\"\r\ni=+8\r\nj=0X10\r\n"
    "k=  9  \r\nl=$10\r\nm=0b101\r\nn=0o17\r\no=99999999999\r\np=-0x10\r\n",
    // tabs and Ctrl-Z as blanks
    "[T]\r\n\tk\t=\tv\t\r\nz=\x1avalue\x1a\r\n",
    // an empty file and a file of blanks
    "",
    "   \r\n\t\r\n",
};

// Every section and key of the file, under several spellings, and a few
// names that are missing.
std::vector<std::pair<std::string, std::string>> Queries(const core::IniFile& file) {
    std::set<std::pair<std::string, std::string>> queries;
    auto upper = [](std::string s) {
        for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        return s;
    };
    for (const auto& section : file.Sections()) {
        if (section.name.empty()) continue;  // the platform cannot be asked for the unnamed section
        for (const auto& entry : section.entries) {
            if (entry.key.empty()) continue;
            queries.insert({section.name, entry.key});
            queries.insert({upper(section.name), upper(entry.key)});
            queries.insert({" " + section.name + " ", " " + entry.key + " "});
        }
        queries.insert({section.name, "absent"});
    }
    queries.insert({"Absent", "k"});
    queries.insert({"Spaced", "k"});
    return {queries.begin(), queries.end()};
}

TEST(ProfileDifferential, PortableReaderAgreesWithThePlatform) {
    ScratchFolder folder("ini");
    int index = 0;
    for (const std::string& text : kCorpus) {
        // A new name per file: the platform caches profile files by name.
        const std::string path = folder.Path() + "corpus" + std::to_string(++index) + ".ini";
        WriteFile(path, text);
        const win::ProfileFile platform(path);
        const core::IniFile portable = core::IniFile::Parse(text);

        for (const auto& [section, key] : Queries(portable)) {
            for (size_t buffer : {250u, 2048u, 5u, 2u, 1u}) {
                EXPECT_EQ(portable.ReadString(section, key, "def", buffer),
                          platform.ReadString(section, key, "def", buffer))
                    << "file " << index << " [" << section << "] " << key << " buffer " << buffer;
            }
            EXPECT_EQ(portable.ReadString(section, key, "rien  ", 250),
                      platform.ReadString(section, key, "rien  ", 250))
                << "file " << index << " [" << section << "] " << key << " default with blanks";
            EXPECT_EQ(portable.ReadInt(section, key, -1), platform.ReadInt(section, key, -1))
                << "file " << index << " [" << section << "] " << key << " as integer";
        }
    }
}

}  // namespace
