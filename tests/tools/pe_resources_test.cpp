// The resource writer, and the packer around it, against a minimal hand-made
// PE image, so that they run natively under the sanitizers too.
#include "pe_resources.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>

#include "core/checksums.h"
#include "packer.h"

namespace pe {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(Bytes& b, size_t at, uint16_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

// MZ header, PE32 headers, one .text section of 0x200 bytes at 0x1000 (or
// at `textAt`).
Bytes MinimalImage(uint32_t textAt = 0x1000) {
    Bytes image(0x400, 0);
    image[0] = 'M';
    image[1] = 'Z';
    Put32(image, 0x3C, 0x40);
    Put32(image, 0x40, 0x00004550);
    const size_t coff = 0x44, optional = coff + 20;
    Put16(image, coff, 0x14C);
    Put16(image, coff + 2, 1);
    Put16(image, coff + 16, 224);
    Put16(image, optional, 0x10B);
    Put32(image, optional + 32, 0x1000);  // section alignment
    Put32(image, optional + 36, 0x200);   // file alignment
    Put32(image, optional + 56, 0x2000);  // size of image
    Put32(image, optional + 60, 0x200);   // size of headers
    Put32(image, optional + 92, 16);
    const size_t section = optional + 224;
    std::copy_n(".text", 5, image.begin() + section);
    Put32(image, section + 8, 0x200);
    Put32(image, section + 12, textAt);
    Put32(image, section + 16, 0x200);
    Put32(image, section + 20, 0x200);
    return image;
}

Resource RcData(const std::string& name, Bytes data) { return {Id::Number(kRcData), Id::Name(name), 0, 0, data}; }

TEST(PeResources, WrittenResourcesReadBack) {
    const Bytes image = MinimalImage();
    EXPECT_TRUE(ReadResources(image).empty());
    const Bytes packed = WriteResources(
        image, {RcData("setup.lst", {1, 2, 3}), RcData("KORVALIX.EXE.Z", Bytes(1000, 7)), RcData("a", {})});
    const std::vector<Resource> read = ReadResources(packed);
    ASSERT_EQ(read.size(), 3u);
    // Stored in capitals, sorted as the loader searches them.
    EXPECT_EQ(read[0].name.name, u"A");
    EXPECT_EQ(read[1].name.name, u"KORVALIX.EXE.Z");
    EXPECT_EQ(read[1].data, Bytes(1000, 7));
    EXPECT_EQ(read[2].name.name, u"SETUP.LST");
    EXPECT_EQ(read[2].data, (Bytes{1, 2, 3}));
    // The original section is untouched.
    EXPECT_TRUE(std::equal(image.begin() + 0x200, image.end(), packed.begin() + 0x200));
}

TEST(PeResources, RepackingReplacesAndKeepsOtherResources) {
    Resource icon{Id::Number(3), Id::Number(1), 0x409, 0, {9, 9}};
    const Bytes first = WriteResources(MinimalImage(), {icon, RcData("SETUP.LST", {1})});
    const Bytes second = WriteResources(first, {RcData("setup.lst", {2, 2})});
    const std::vector<Resource> read = ReadResources(second);
    ASSERT_EQ(read.size(), 2u);
    // Numbered types in ascending order: the icon (3) before RCDATA (10).
    EXPECT_EQ(read[0].type, Id::Number(3));
    EXPECT_EQ(read[0].language, 0x409);
    EXPECT_EQ(read[0].data, (Bytes{9, 9}));
    EXPECT_EQ(read[1].name.name, u"SETUP.LST");
    EXPECT_EQ(read[1].data, (Bytes{2, 2}));
    // The last section is reused: packing again does not grow the file.
    EXPECT_EQ(second.size(), first.size());
    EXPECT_EQ(WriteResources(second, {RcData("setup.lst", {1})}),
              WriteResources(MinimalImage(), {icon, RcData("SETUP.LST", {1})}));
}

TEST(PeResources, NamesAreCapitalisedAsTheLoaderCapitalisesWhatItLooksFor) {
    EXPECT_EQ(Id::Name("\xE9t\xE9\x80.z").name, u"\u00C9T\u00C9\u20AC.Z");  // été€.z
    EXPECT_EQ(Id::Name("\xE0\xE7\xF6\xFE\xFF\x9A\x9C\x9E\x83").name, u"\u00C0\u00C7\u00D6\u00DE\u0178\u0160\u0152\u017D\u0191");
    // No capital: ß, µ, and the division sign, which sits among the letters.
    EXPECT_EQ(Id::Name("\xDF\xB5\xF7\xD7").name, u"\u00DF\u00B5\u00F7\u00D7");
}

TEST(PeResources, RefusesWhatIsNoExecutable) {
    EXPECT_THROW(ReadResources(Bytes(10, 0)), FormatError);
    Bytes image = MinimalImage();
    image[0x40] = 'X';
    EXPECT_THROW(WriteResources(image, {}), FormatError);
    Bytes truncated = MinimalImage();
    truncated.resize(0x60);  // inside the optional header
    EXPECT_THROW(ReadResources(truncated), FormatError);
    // An optional header too short for the data directories it counts: they
    // would overlap the section table that a rewrite changes.
    Bytes shortHeader = MinimalImage();
    Put16(shortHeader, 0x44 + 16, 27);
    EXPECT_THROW(ReadResources(shortHeader), FormatError);
    EXPECT_THROW(WriteResources(shortHeader, {}), FormatError);
}

// The header offset is any 32-bit value: near its top, a bounds check that
// adds to it wraps around in the 32-bit tool, which then reads far outside
// the file.
TEST(PeResources, AHeaderOffsetNearFourGigabytesIsRefused) {
    for (const uint32_t peAt : {0xFFFFFFFFu, 0xFFFFFFFEu, 0xFFFFFFFDu, 0xFFFFFFFCu, 0xFFFFFFE8u, 0x3FDu}) {
        Bytes image = MinimalImage();
        Put32(image, 0x3C, peAt);
        EXPECT_THROW(ReadResources(image), FormatError) << std::hex << peAt;
        EXPECT_THROW(ReadImageKind(image), FormatError) << std::hex << peAt;
    }
}

// Damaged images must be refused or read, never read out of bounds (the
// sanitizers of the native build watch every access); an image that can be
// rewritten gives one that reads back with the added resource.
TEST(PeResources, DamagedImagesAreRefusedOrRewrittenWhole) {
    const Bytes packed = WriteResources(MinimalImage(), {RcData("SETUP.LST", Bytes(300, 1)), RcData("B", {2})});
    std::mt19937 random(1);
    int rewritten = 0, refused = 0;
    for (int round = 0; round < 5000; ++round) {
        Bytes damaged = packed;
        for (int i = 0, n = 1 + random() % 4; i < n; ++i) damaged[random() % damaged.size()] = random();
        if (round % 5 == 0) damaged.resize(random() % damaged.size());
        Bytes out;
        try {
            ReadResources(damaged);
            out = WriteResources(damaged, {RcData("C", {3})});
        } catch (const FormatError&) {
            ++refused;
            continue;
        }
        // What the writer made must read back: no FormatError from here on.
        const auto back = ReadResources(out);
        const auto added =
            std::find_if(back.begin(), back.end(), [](const Resource& r) { return r.name == Id::Name("C"); });
        ASSERT_NE(added, back.end()) << "round " << round;
        EXPECT_EQ(added->data, Bytes{3}) << "round " << round;
        ++rewritten;
    }
    // Both outcomes were met, so the loop tested both.
    EXPECT_GT(rewritten, 100);
    EXPECT_GT(refused, 100);
}

// The image with a resource section of its own at 0x2000, holding `tree`
// (whose data entries may point anywhere in it).
Bytes ImageWithResources(const Bytes& tree) {
    Bytes image = MinimalImage();
    const size_t coff = 0x44, optional = coff + 20, section = optional + 224 + 40;
    Put16(image, coff + 2, 2);
    const uint32_t rawSize = static_cast<uint32_t>((tree.size() + 0x1FF) / 0x200 * 0x200);
    std::copy_n(".rsrc", 5, image.begin() + section);
    Put32(image, section + 8, static_cast<uint32_t>(tree.size()));
    Put32(image, section + 12, 0x2000);
    Put32(image, section + 16, rawSize);
    Put32(image, section + 20, 0x400);
    Put32(image, optional + 96 + 2 * 8, 0x2000);
    Put32(image, optional + 96 + 2 * 8 + 4, static_cast<uint32_t>(tree.size()));
    image.resize(0x400 + rawSize, 0);
    std::copy(tree.begin(), tree.end(), image.begin() + 0x400);
    return image;
}

// A directory at `at` of numbered or named entries, each pointing at `targets[i]`.
void PutDirectory(Bytes& tree, size_t at, const std::vector<uint32_t>& ids, const std::vector<uint32_t>& targets,
                  bool named) {
    Put16(tree, at + (named ? 12 : 14), static_cast<uint16_t>(ids.size()));
    for (size_t i = 0; i < ids.size(); ++i) {
        Put32(tree, at + 16 + i * 8, ids[i]);
        Put32(tree, at + 16 + i * 8 + 4, targets[i]);
    }
}

constexpr uint32_t kDirectory = 0x80000000;

TEST(PeResources, TreesThatAskMoreReadingThanTheFileHoldsAreRefused) {
    // 300 types that all lead to one shared directory of names: each would
    // list the same resource again.
    {
        Bytes tree(0x4000, 0);
        std::vector<uint32_t> types, shared;
        for (uint32_t t = 1; t <= 300; ++t) types.push_back(t), shared.push_back(0x3000 | kDirectory);
        PutDirectory(tree, 0, types, shared, false);
        PutDirectory(tree, 0x3000, {1}, {0x3100 | kDirectory}, false);
        PutDirectory(tree, 0x3100, {0}, {0x3200}, false);
        Put32(tree, 0x3200, 0x2000);  // the data: the tree's own first bytes
        Put32(tree, 0x3204, 16);
        EXPECT_THROW(ReadResources(ImageWithResources(tree)), FormatError);
    }
    // 200 names of 65535 characters, each starting one character after the
    // one before: reading them all would take 200 times the file.
    {
        const size_t names = 0x100, directories = 0x30000;
        Bytes tree(directories + 0x800 + 200 * 0x40, 0);
        Put16(tree, names, 0xFFFF);
        for (size_t c = 1; c <= 0xFFFF + 200; ++c) Put16(tree, names + 2 * c, 0xFFFF);  // lengths and letters alike
        PutDirectory(tree, 0, {kRcData}, {static_cast<uint32_t>(directories) | kDirectory}, false);
        std::vector<uint32_t> nameIds, languages;
        for (uint32_t i = 0; i < 200; ++i) {
            nameIds.push_back(static_cast<uint32_t>(names + 2 * i) | 0x80000000);
            const uint32_t language = static_cast<uint32_t>(directories + 0x800 + i * 0x40);
            languages.push_back(language | kDirectory);
            PutDirectory(tree, language, {0}, {language + 0x20}, false);
            Put32(tree, language + 0x20, 0x2000);
        }
        PutDirectory(tree, directories, nameIds, languages, true);
        EXPECT_THROW(ReadResources(ImageWithResources(tree)), FormatError);
    }
}

// One long name shared by a directory of 65535 languages: copied into each
// resource, it would ask for 8 GiB from a file of 660 KiB.
TEST(PeResources, ANameSharedByEveryEntryOfALargeDirectoryIsRefused) {
    const size_t name = 0x100, languages = 0x20100, entries = 0xFFFF;
    const size_t data = languages + 16 + entries * 8;
    Bytes tree(data + 16, 0);
    Put16(tree, name, 0xFFFF);
    for (size_t c = 1; c <= 0xFFFF; ++c) Put16(tree, name + 2 * c, 'A');
    PutDirectory(tree, 0, {kRcData}, {0x18 | kDirectory}, false);
    PutDirectory(tree, 0x18, {static_cast<uint32_t>(name) | 0x80000000},
                 {static_cast<uint32_t>(languages) | kDirectory}, true);
    PutDirectory(tree, languages, std::vector<uint32_t>(entries, 0), std::vector<uint32_t>(entries, data), false);
    Put32(tree, data, 0x2000);  // no bytes: the data bound does not stop it
    EXPECT_THROW(ReadResources(ImageWithResources(tree)), FormatError);
}

// Sections are found by address whatever their order in the table, so that
// the lookup can be a binary search; overlapping ones are refused, as the
// loader refuses them.
TEST(PeResources, SectionsAreFoundByAddressAndMustNotOverlap) {
    Bytes tree(0x80, 0);
    PutDirectory(tree, 0, {kRcData}, {0x18 | kDirectory}, false);
    PutDirectory(tree, 0x18, {1}, {0x30 | kDirectory}, false);
    PutDirectory(tree, 0x30, {0}, {0x48}, false);
    Put32(tree, 0x48, 0x2000 + 0x60);
    Put32(tree, 0x4C, 3);
    std::copy_n("abc", 3, tree.begin() + 0x60);
    Bytes image = ImageWithResources(tree);
    // The two section headers swapped: .rsrc (0x2000) first, .text (0x1000) second.
    const size_t table = 0x44 + 20 + 224;
    std::swap_ranges(image.begin() + table, image.begin() + table + 40, image.begin() + table + 40);
    const std::vector<Resource> read = ReadResources(image);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0].data, (Bytes{'a', 'b', 'c'}));

    Put32(image, table + 40 + 8, 0x1001);  // .text now runs into .rsrc
    EXPECT_THROW(ReadResources(image), FormatError);
}

TEST(PeResources, ResourcesOfAStubWithNoOtherSectionFollowItsHeaders) {
    // The stub's only section holds its resources, one RCDATA numbered 1.
    Bytes image = MinimalImage();
    const size_t optional = 0x44 + 20, section = optional + 224;
    std::copy_n(".rsrc\0\0", 8, image.begin() + section);
    Bytes tree(0x200, 0);
    PutDirectory(tree, 0, {kRcData}, {0x18 | kDirectory}, false);
    PutDirectory(tree, 0x18, {1}, {0x30 | kDirectory}, false);
    PutDirectory(tree, 0x30, {0}, {0x48}, false);
    Put32(tree, 0x48, 0x1000 + 0x60);
    Put32(tree, 0x4C, 2);
    tree[0x60] = 4;
    tree[0x61] = 2;
    std::copy(tree.begin(), tree.end(), image.begin() + 0x200);
    Put32(image, optional + 96 + 2 * 8, 0x1000);
    Put32(image, optional + 96 + 2 * 8 + 4, 0x200);
    ASSERT_EQ(ReadResources(image).size(), 1u);

    const std::vector<Resource> read = ReadResources(WriteResources(image, {RcData("B", {7})}));
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(read[0].name.name, u"B");
    EXPECT_EQ(read[1].data, (Bytes{4, 2}));
}

TEST(PeResources, AnImageAnExecutableCannotHoldIsRefusedBeforeItIsBuilt) {
    // The stub already ends a few kilobytes below 2 GiB.
    const Bytes high = MinimalImage(0x7FFFE000);
    EXPECT_NO_THROW(WriteResources(high, {RcData("A", Bytes(100, 1))}));
    try {
        WriteResources(high, {RcData("B", Bytes(64 << 10, 1))});
        FAIL() << "an image beyond 2 GiB was built";
    } catch (const TooLargeError& error) {
        EXPECT_NE(std::string(error.what()).find("MiB an executable can hold"), std::string::npos) << error.what();
    }
}

// The packer with a payload folder spelt as Linux spells names.
TEST(Packer, AccentedNamesAreFoundInUtf8AndPackedUnderTheLoadersCapitals) {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("packer_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()));
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    std::ofstream(folder / u8"\u00E9t\u00E9.txt") << "\xE9t\xE9";        // été.txt
    std::ofstream(folder / "\xE0 l'ancienne.txt") << "latin-1";         // bytes as a Windows copy left them
    const std::string manifestText =
        "[Setup]\r\nNom=E\r\nVersion=1\r\nDossierInstall=E\r\nDossierDemarrage=E\r\nFichiers=2\r\n"
        "[Fichier_1]\r\nNom=\xE9t\xE9.txt\r\nDossier=program\r\nTaille=3\r\n"
        "[Fichier_2]\r\nNom=\xE0 l'ancienne.txt\r\nDossier=program\r\nTaille=7\r\n";
    const Bytes manifest(manifestText.begin(), manifestText.end());

    for (const core::ManifestProblem& problem : mkinstall::Check(manifest, folder))
        EXPECT_NE(problem.severity, core::ManifestProblem::Severity::Error) << core::Describe(problem);
    const std::vector<Resource> packed = ReadResources(mkinstall::Pack(MinimalImage(), manifest, folder));
    std::vector<std::u16string> names;
    for (const Resource& r : packed) names.push_back(r.name.name);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"SETUP.CRC", u"SETUP.LST", u"\u00C0 L'ANCIENNE.TXT.Z",
                                                  u"\u00C9T\u00C9.TXT.Z"}));

    // The checksum list names the manifest and each payload as the installer
    // looks them up, and agrees with the bytes packed under those names.
    const auto list = core::ParseChecksums(packed[0].data);
    ASSERT_TRUE(list);
    std::vector<std::string> listed;
    for (const core::ResourceChecksum& entry : *list) {
        listed.push_back(entry.name);
        const auto found = std::find_if(packed.begin(), packed.end(),
                                        [&](const Resource& r) { return r.name == Id::Name(entry.name); });
        ASSERT_NE(found, packed.end()) << entry.name;
        EXPECT_EQ(entry, core::ChecksumOf(entry.name, found->data));
    }
    EXPECT_EQ(listed, (std::vector<std::string>{"SETUP.LST", "\xE9t\xE9.txt.Z", "\xE0 l'ancienne.txt.Z"}));
    std::filesystem::remove_all(folder);
}

// Compression in steps, for the progress line, must not change a byte of
// what one zlib call gives: installers stay the same from version to version.
TEST(Packer, CompressionInStepsGivesTheOneCallStream) {
    std::mt19937 random(16);
    Bytes data;
    while (data.size() < (7u << 19)) {  // three and a half steps
        const uint8_t byte = static_cast<uint8_t>(random());
        data.insert(data.end(), random() % 2 ? 1 : 300, byte);
    }
    uLongf size = compressBound(static_cast<uLong>(data.size()));
    Bytes expected(size);
    ASSERT_EQ(compress2(expected.data(), &size, data.data(), static_cast<uLong>(data.size()), Z_BEST_COMPRESSION), Z_OK);
    expected.resize(size);

    std::vector<uint64_t> steps;
    EXPECT_EQ(mkinstall::Compress(data, [&](uint64_t done) { steps.push_back(done); }), expected);
    EXPECT_EQ(steps, (std::vector<uint64_t>{1u << 20, 2u << 20, 3u << 20, data.size()}));
    EXPECT_EQ(mkinstall::Compress({}).size(), 8u) << "an empty payload is still a whole zlib stream";
}

}  // namespace
}  // namespace pe
