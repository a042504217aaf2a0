#include "core/version.h"

#include <gtest/gtest.h>

#include "core/errors.h"

namespace core {
namespace {

struct VersionCase {
    const char* text;
    int32_t number;
    friend void PrintTo(const VersionCase& c, std::ostream* os) { *os << '"' << c.text << '"'; }
};

class VersionToNumberTable : public testing::TestWithParam<VersionCase> {};

TEST_P(VersionToNumberTable, GivesItsNumber) {
    EXPECT_EQ(VersionToNumber(GetParam().text), GetParam().number) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(Versions, VersionToNumberTable,
                         testing::Values(VersionCase{"2.1.1", 20101}, VersionCase{"1.0.0", 10000},
                                         VersionCase{"2.1", 20100}, VersionCase{"1.0", 10000},
                                         VersionCase{"2", 20000}, VersionCase{"1", 10000},
                                         VersionCase{"0", 0}, VersionCase{"", 0},
                                         VersionCase{"1.2.3.4", 10203}, VersionCase{"1.100.0", 20000},
                                         VersionCase{"2.0.0", 20000}, VersionCase{"1.2.150", 10350},
                                         VersionCase{"1.3.0", 10300}, VersionCase{"5.0.2195", 52195},
                                         VersionCase{"65535.65535.65535", 661969035},
                                         VersionCase{"$A.0.0", 100000}, VersionCase{" 2.1", 20100},
                                         VersionCase{"-1.0.0", -10000}, VersionCase{"1.2.3.4.5", 10203}));

TEST(VersionToNumber, NotANumberIsAConversionError) {
    EXPECT_THROW(VersionToNumber("2.1.1b"), ConvertError);
    EXPECT_THROW(VersionToNumber("2..1"), ConvertError);
    EXPECT_THROW(VersionToNumber("."), ConvertError);
    EXPECT_THROW(VersionToNumber("2.1."), ConvertError);
    EXPECT_THROW(VersionToNumber("1.2.3.x"), ConvertError);  // weight 0, still converted
}

TEST(VersionToNumber, ConversionErrorNamesThePiece) {
    try {
        VersionToNumber("2.1.1b");
        FAIL();
    } catch (const ConvertError& error) {
        EXPECT_EQ(std::string(error.what()), "'1b' n'est pas une valeur entière correcte");
    }
}

TEST(VersionToNumber, TotalsBeyond32BitsOverflow) {
    EXPECT_THROW(VersionToNumber("214749.0.0"), OverflowError);
    EXPECT_EQ(VersionToNumber("214748.36.47"), 2147483647);
    EXPECT_THROW(VersionToNumber("214748.36.48"), OverflowError);
}

}  // namespace
}  // namespace core
