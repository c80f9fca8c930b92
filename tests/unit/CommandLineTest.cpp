#include "app/CommandLine.h"

#include <gtest/gtest.h>

namespace {

TEST(CommandLineTest, EveryOptionInBothFormsAndNothingElse) {
    CommandLine cli;
    std::string error;
    ASSERT_TRUE(cli.Parse({"--feed-server", "http://127.0.0.1:8080///", "--home=/tmp/h",
                           "--headless", "--script", "-", "--offline"},
                          &error))
        << error;
    EXPECT_EQ(cli.feedServer, "http://127.0.0.1:8080");
    EXPECT_EQ(cli.homeDir, "/tmp/h");
    EXPECT_EQ(cli.scriptPath, "-");
    EXPECT_TRUE(cli.headless && cli.offline && !cli.terminal);

    CommandLine terminal;
    ASSERT_TRUE(terminal.Parse({"--terminal", "--feed-server=https://example.org/"}, &error));
    EXPECT_TRUE(terminal.terminal);
    EXPECT_EQ(terminal.feedServer, "https://example.org");

    for (const auto& args : std::vector<std::vector<std::string>>{
             {"--home="}, {"--script"}, {"--window"}, {"--terminal", "--headless"}, {"extra"}}) {
        CommandLine refused;
        error.clear();
        EXPECT_FALSE(refused.Parse(args, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

} // namespace
