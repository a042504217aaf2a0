// The resource writer against a minimal hand-made PE image, so that it runs
// natively under the sanitizers too.
#include "pe_resources.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

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

// MZ header, PE32 headers, one .text section of 0x200 bytes at 0x1000.
Bytes MinimalImage() {
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
    Put32(image, section + 12, 0x1000);
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

TEST(PeResources, Windows1252NamesBecomeUtf16) {
    EXPECT_EQ(Id::Name("\xE9t\xE9\x80.z").name, u"\u00E9T\u00E9\u20AC.Z");
}

TEST(PeResources, RefusesWhatIsNoExecutable) {
    EXPECT_THROW(ReadResources(Bytes(10, 0)), FormatError);
    Bytes image = MinimalImage();
    image[0x40] = 'X';
    EXPECT_THROW(WriteResources(image, {}), FormatError);
    Bytes truncated = MinimalImage();
    truncated.resize(0x60);  // inside the optional header
    EXPECT_THROW(ReadResources(truncated), FormatError);
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

}  // namespace
}  // namespace pe
