#include "feedserver/FeedsCommandLine.h"

#include <vector>

#include <gtest/gtest.h>

using pregonero::feeds::FeedsCommandLine;

namespace {

bool Parse(FeedsCommandLine& line, const std::vector<const char*>& args) {
    std::vector<const char*> argv = {"pregonero-feeds"};
    argv.insert(argv.end(), args.begin(), args.end());
    return line.Parse(static_cast<int>(argv.size()), argv.data());
}

TEST(FeedsCommandLineTest, ServeAndSampleForms) {
    FeedsCommandLine serve;
    ASSERT_TRUE(Parse(serve, {"--port", "8080", "edition", "--faults", "rules.txt"}));
    EXPECT_EQ(serve.GetMode(), FeedsCommandLine::Mode::Serve);
    EXPECT_EQ(serve.Directory(), "edition");
    EXPECT_EQ(serve.Port(), 8080);
    EXPECT_EQ(serve.FaultsFile(), "rules.txt");

    FeedsCommandLine plain;
    ASSERT_TRUE(Parse(plain, {"edition"}));
    EXPECT_EQ(plain.Port(), 0);
    EXPECT_TRUE(plain.FaultsFile().empty());

    FeedsCommandLine sample;
    ASSERT_TRUE(Parse(sample, {"--sample", "out"}));
    EXPECT_EQ(sample.GetMode(), FeedsCommandLine::Mode::WriteSample);
    EXPECT_EQ(sample.Directory(), "out");
}

TEST(FeedsCommandLineTest, RejectsBadArguments) {
    const std::vector<std::vector<const char*>> bad = {
        {},
        {"a", "b"},
        {"dir", "--port"},
        {"dir", "--port", "http"},
        {"dir", "--port", "70000"},
        {"dir", "--port", "-1"},
        {"dir", "--verbose"},
        {"--sample"},
        {"--sample", "out", "dir"},
        {"--sample", "out", "--port", "80"},
    };
    for (const auto& args : bad) {
        FeedsCommandLine line;
        EXPECT_FALSE(Parse(line, args)) << args.size();
        EXPECT_FALSE(line.Error().empty());
        EXPECT_EQ(line.Error().find('\n'), std::string::npos);
    }
}

} // namespace
