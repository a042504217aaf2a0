// The installer hands its texts to the "A" functions in Windows-1252: an
// accented letter of the sources must be a single byte at run time.
#include <gtest/gtest.h>

#include <string>

TEST(Charset, AccentedLettersAreSingleWindows1252Bytes) {
    const std::string text = "Paramètres";
#ifdef _WIN32
    ASSERT_EQ(text.size(), 10u);
    EXPECT_EQ(static_cast<unsigned char>(text[5]), 0xE8);
    EXPECT_EQ(static_cast<unsigned char>(std::string("é")[0]), 0xE9);
#else
    // The native build keeps UTF-8: two bytes for è.
    EXPECT_EQ(text.size(), 11u);
#endif
}
