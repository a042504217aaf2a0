#include "core/command_line.h"

#include <gtest/gtest.h>

namespace core {
namespace {

using Words = std::vector<std::string>;

TEST(SplitCommandLine, UninstallEntriesAsTheInstallerWritesThem) {
    EXPECT_EQ(SplitCommandLine("C:\\WINDOWS\\uninst_Korvalix.exe \"C:\\Program Files\\Korvalix\\setup.log\""),
              (Words{"C:\\WINDOWS\\uninst_Korvalix.exe", "C:\\Program Files\\Korvalix\\setup.log"}));
    // After falling back to a destination with a blank, the program is quoted too.
    EXPECT_EQ(SplitCommandLine("\"C:\\Program Files\\Korvalix\\uninst_Korvalix.exe\" "
                               "\"C:\\Program Files\\Korvalix\\setup.log\""),
              (Words{"C:\\Program Files\\Korvalix\\uninst_Korvalix.exe", "C:\\Program Files\\Korvalix\\setup.log"}));
    EXPECT_EQ(SplitCommandLine("uninst_Korvalix.exe \"C:\\setup.log\""), (Words{"uninst_Korvalix.exe", "C:\\setup.log"}));
    EXPECT_EQ(SplitCommandLine("u.exe /S  \t\"C:\\a b\\setup.log\"  "), (Words{"u.exe", "/S", "C:\\a b\\setup.log"}));
}

TEST(SplitCommandLine, QuotesAndBackslashesFollowTheRuntimesRules) {
    EXPECT_EQ(SplitCommandLine(""), (Words{""}));
    EXPECT_EQ(SplitCommandLine("\"C:\\Mes programmes\"\\u.exe"), (Words{"C:\\Mes programmes\\u.exe"}));
    EXPECT_EQ(SplitCommandLine("\"C:\\a b\\u.exe"), (Words{"C:\\a b\\u.exe"}));  // an unclosed quote runs to the end
    EXPECT_EQ(SplitCommandLine("p a\\\\b \"c\\\\\" \"d\\\"e\" f\\\\\\\"g"),
              (Words{"p", "a\\\\b", "c\\", "d\"e", "f\\\"g"}));
    EXPECT_EQ(SplitCommandLine("p \"a\"\"b\" x\"y z\"w \"\""), (Words{"p", "a\"b", "xy zw", ""}));
    EXPECT_EQ(SplitCommandLine("p C:\\dossier\\ \"C:\\dossier\\\\\""), (Words{"p", "C:\\dossier\\", "C:\\dossier\\"}));
}

}  // namespace
}  // namespace core
