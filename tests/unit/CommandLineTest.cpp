#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <sstream>

namespace {

bool Parse(CommandLine& cli, std::vector<std::string> args, std::string* error) {
    return cli.Parse(args, error);
}

} // namespace

TEST(CommandLineTest, EveryOptionInBothForms) {
    CommandLine cli;
    std::string error;
    ASSERT_TRUE(Parse(cli,
                      {"--feed-server", "http://127.0.0.1:8080///", "--home=/tmp/h", "--headless",
                       "--script", "-", "--offline"},
                      &error))
        << error;
    EXPECT_EQ(cli.feedServer, "http://127.0.0.1:8080");
    EXPECT_EQ(cli.homeDir, "/tmp/h");
    EXPECT_EQ(cli.scriptPath, "-");
    EXPECT_TRUE(cli.headless);
    EXPECT_TRUE(cli.offline);

    // Nothing given: a window, the sample edition, no script.
    CommandLine plain;
    ASSERT_TRUE(Parse(plain, {}, &error));
    EXPECT_FALSE(plain.headless);
    EXPECT_FALSE(plain.terminal);
    EXPECT_TRUE(plain.feedServer.empty());

    CommandLine terminal;
    ASSERT_TRUE(Parse(terminal, {"--terminal"}, &error));
    EXPECT_TRUE(terminal.terminal);
}

TEST(CommandLineTest, RefusesWhatItDoesNotUnderstand) {
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"--feed-server", "ftp://example.org"},
                                               {"--feed-server", "127.0.0.1:8080"},
                                               {"--feed-server"},
                                               {"--home="},
                                               {"--script"},
                                               {"--window"},
                                               {"--terminal", "--headless"},
                                               {"extra"}}) {
        CommandLine cli;
        std::string error;
        EXPECT_FALSE(Parse(cli, args, &error)) << args[0];
        EXPECT_FALSE(error.empty()) << args[0];
    }
}

TEST(CommandLineTest, HelpListsEveryOptionWithItsDefault) {
    const std::string usage = CommandLine::Usage();
    for (const char* option : {"--feed-server", "--home", "--headless", "--terminal", "--script",
                               "--offline", "--help", "--version"}) {
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    }
    // Each option that takes effect says what happens without it.
    std::istringstream lines(usage);
    int defaults = 0;
    for (std::string line; std::getline(lines, line);) {
        defaults += line.find("default:") != std::string::npos;
    }
    EXPECT_EQ(defaults, 6);
    EXPECT_NE(usage.find("sample"), std::string::npos);
    EXPECT_NE(usage.find("--headless         run without a window; default: off"),
              std::string::npos);
    EXPECT_EQ(CommandLine::VersionText().rfind("pregonero 0.", 0), 0u);
}
