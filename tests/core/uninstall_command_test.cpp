#include "core/uninstall_command.h"

#include <gtest/gtest.h>

namespace core {
namespace {

TEST(UninstallCommandLine, QuotedLogPathAsTheUninstallEntryWritesIt) {
    const auto command = ParseUninstallCommandLine("\"C:\\Program Files\\Korvalix\\setup.log\"");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->logPath, "C:\\Program Files\\Korvalix\\setup.log");
    EXPECT_FALSE(command->silent);
    EXPECT_FALSE(command->Relaunched());
}

TEST(UninstallCommandLine, UnquotedPathKeepsItsBlanks) {
    const auto command = ParseUninstallCommandLine("  C:\\Program Files\\Korvalix\\setup.log  ");
    ASSERT_TRUE(command);
    EXPECT_EQ(command->logPath, "C:\\Program Files\\Korvalix\\setup.log");
}

TEST(UninstallCommandLine, SilentOptionInEitherCase) {
    for (const char* line : {"/S \"C:\\a\\setup.log\"", "/s C:\\a\\setup.log"}) {
        const auto command = ParseUninstallCommandLine(line);
        ASSERT_TRUE(command) << line;
        EXPECT_TRUE(command->silent);
        EXPECT_EQ(command->logPath, "C:\\a\\setup.log");
    }
}

TEST(UninstallCommandLine, RefusesWhatNamesNoSingleLog) {
    for (const char* line :
         {"", "   ", "\"\"", "\"C:\\a\\setup.log", "\"C:\\a\\setup.log\" extra", "\"C:\\a.log\" \"C:\\b.log\"",
          "/X C:\\a\\setup.log", "/S", "/relance:12", "/relance:abc C:\\a.log", "/relance:0 C:\\a.log",
          "/relance: C:\\a.log", "/relance:99999999999 C:\\a.log"})
        EXPECT_FALSE(ParseUninstallCommandLine(line)) << line;
}

TEST(UninstallCommandLine, AQuietLineEvenWhenItCannotBeRead) {
    for (const char* line : {"/S", "/s /X C:\\a.log", "/X /S", "  /S  \"C:\\a\\setup.log"})
        EXPECT_TRUE(AsksForQuiet(line)) << line;
    for (const char* line : {"", "/X C:\\a.log", "\"C:\\S\\setup.log\"", "/SILENT C:\\a.log", "C:\\/S.log"})
        EXPECT_FALSE(AsksForQuiet(line)) << line;
}

TEST(UninstallCommandLine, RelaunchRoundTrip) {
    UninstallCommand first{"C:\\Program Files\\Korvalix\\setup.log", true, 0};
    const std::string arguments = RelaunchArguments(first, 1234);
    const auto command = ParseUninstallCommandLine(arguments);
    ASSERT_TRUE(command) << arguments;
    EXPECT_TRUE(command->Relaunched());
    EXPECT_EQ(command->firstInstance, 1234u);
    EXPECT_TRUE(command->silent);
    EXPECT_EQ(command->logPath, first.logPath);

    first.silent = false;
    const auto loud = ParseUninstallCommandLine(RelaunchArguments(first, 4294967295u));
    ASSERT_TRUE(loud);
    EXPECT_FALSE(loud->silent);
    EXPECT_EQ(loud->firstInstance, 4294967295u);
    EXPECT_EQ(loud->logPath, first.logPath);
}

}  // namespace
}  // namespace core
