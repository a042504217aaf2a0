#include "core/checksums.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace core {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ToBytes(const std::string& text) { return Bytes(text.begin(), text.end()); }

Bytes RandomBytes(size_t size, unsigned seed) {
    std::mt19937 random(seed);
    Bytes out(size);
    for (uint8_t& b : out) b = static_cast<uint8_t>(random());
    return out;
}

// What packagers read in the resource: the CRC-32 of zlib ("123456789" gives
// the standard check value cbf43926), the size, the name as the manifest
// spells it, blanks and accents included.
TEST(Checksums, TextIsTheDocumentedOneAndReadsBack) {
    const std::vector<ResourceChecksum> entries = {ChecksumOf("SETUP.LST", ToBytes("123456789")),
                                                   {"Mon \xE9t\xE9.txt.Z", 1234567890123, 0x0000abcd},
                                                   ChecksumOf("vide.Z", {})};
    EXPECT_EQ(FormatChecksums(entries),
              "CRC32 3\r\n"
              "cbf43926 9 SETUP.LST\r\n"
              "0000abcd 1234567890123 Mon \xE9t\xE9.txt.Z\r\n"
              "00000000 0 vide.Z\r\n");
    EXPECT_EQ(ParseChecksums(ToBytes(FormatChecksums(entries))), entries);
    EXPECT_EQ(ParseChecksums(ToBytes("CRC32 0\r\n")), std::vector<ResourceChecksum>{});
}

// The list is damaged input too: any byte changed, and any cut, must not
// read as a list that still agrees with what it was.
TEST(Checksums, AnyDamageToTheListIsSeen) {
    const std::vector<ResourceChecksum> entries = {ChecksumOf("SETUP.LST", ToBytes("[Setup]")),
                                                   ChecksumOf("KORVALIX.EXE.Z", RandomBytes(300, 1))};
    const Bytes text = ToBytes(FormatChecksums(entries));
    for (size_t at = 0; at < text.size(); ++at) {
        for (uint8_t flip : {0x01, 0x20, 0x80}) {
            Bytes damaged = text;
            damaged[at] ^= flip;
            const auto read = ParseChecksums(damaged);
            // It may still read (a name whose letter changed case), but never
            // as the same list.
            if (read) {
                EXPECT_NE(*read, entries) << "byte " << at << " ^ " << int(flip);
            }
        }
    }
    for (size_t size = 0; size < text.size(); ++size)
        EXPECT_FALSE(ParseChecksums(std::span(text).first(size))) << "cut to " << size;
    // Only the one spelling reads.
    for (const char* variant : {"CRC32 1\r\nCBF43926 9 A\r\n", "CRC32 01\r\ncbf43926 9 A\r\n",
                                "CRC32 1\r\ncbf43926 09 A\r\n", "CRC32 1\r\ncbf43926  9 A\r\n",
                                "CRC32 2\r\ncbf43926 9 A\r\n", "CRC32 1\r\ncbf43926 9 \r\n",
                                "CRC32 1\r\ncbf43926 9 A\n", "crc32 1\r\ncbf43926 9 A\r\n",
                                "CRC32 1\r\ncbf43926 99999999999999999999 A\r\n", ""})
        EXPECT_FALSE(ParseChecksums(ToBytes(variant))) << variant;
}

class Verifying : public ::testing::Test {
protected:
    void SetUp() override {
        resources_["SETUP.LST"] = ToBytes("[Setup]\r\nNom=Essai\r\n");
        // Larger than one piece, so that its CRC is carried from piece to piece.
        resources_["GRAND.BIN.Z"] = RandomBytes(kIntegrityPiece * 2 + 12345, 2);
        for (const auto& [name, bytes] : resources_) entries_.push_back(ChecksumOf(name, bytes));
    }

    Integrity Verify(const IntegrityProgress& progress = {}) const {
        return VerifyChecksums(
            entries_,
            [this](const std::string& name) -> std::optional<std::span<const uint8_t>> {
                const auto found = resources_.find(name);
                if (found == resources_.end()) return std::nullopt;
                return std::span<const uint8_t>(found->second);
            },
            progress);
    }

    std::map<std::string, Bytes> resources_;
    std::vector<ResourceChecksum> entries_;
};

TEST_F(Verifying, AnIntactInstallerPassesAndEveryDamageIsFound) {
    EXPECT_EQ(Verify(), Integrity::Intact);

    resources_["GRAND.BIN.Z"][kIntegrityPiece + 7] ^= 0x10;
    EXPECT_EQ(Verify(), Integrity::Damaged) << "a flipped byte in the second piece";
    resources_["GRAND.BIN.Z"][kIntegrityPiece + 7] ^= 0x10;

    resources_["SETUP.LST"].back() = '!';
    EXPECT_EQ(Verify(), Integrity::Damaged) << "a changed manifest";
    resources_["SETUP.LST"].pop_back();
    EXPECT_EQ(Verify(), Integrity::Damaged) << "a shorter manifest";

    resources_.erase("SETUP.LST");
    EXPECT_EQ(Verify(), Integrity::Damaged) << "a missing resource";
}

TEST_F(Verifying, ProgressCoversEveryByteAndCanStop) {
    std::vector<uint64_t> seen;
    uint64_t total = 0;
    EXPECT_EQ(Verify([&](uint64_t done, uint64_t all) {
                  seen.push_back(done);
                  total = all;
                  return true;
              }),
              Integrity::Intact);
    EXPECT_EQ(total, resources_["SETUP.LST"].size() + resources_["GRAND.BIN.Z"].size());
    ASSERT_GE(seen.size(), 4u) << "once at the start, then once per piece";
    EXPECT_EQ(seen.front(), 0u);
    EXPECT_EQ(seen.back(), total);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    int calls = 0;
    EXPECT_EQ(Verify([&](uint64_t, uint64_t) { return ++calls < 2; }), Integrity::Stopped);
    EXPECT_EQ(calls, 2);
}

}  // namespace
}  // namespace core
