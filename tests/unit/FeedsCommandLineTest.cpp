#include "feedserver/FeedsCommandLine.h"

#include <vector>

#include <gtest/gtest.h>

using pregonero::feeds::FeedsCommandLine;

namespace {

bool Parse(FeedsCommandLine& line, std::vector<const char*> args) {
    args.insert(args.begin(), "pregonero-feeds");
    return line.Parse(static_cast<int>(args.size()), args.data());
}

TEST(FeedsCommandLineTest, ServeAndSampleFormsAndBadArguments) {
    FeedsCommandLine serve;
    ASSERT_TRUE(Parse(serve, {"--port", "8080", "edition", "--faults", "rules.txt"}));
    EXPECT_EQ(serve.GetMode(), FeedsCommandLine::Mode::Serve);
    EXPECT_EQ(serve.Directory(), "edition");
    EXPECT_EQ(serve.Port(), 8080);
    EXPECT_EQ(serve.FaultsFile(), "rules.txt");

    FeedsCommandLine sample;
    ASSERT_TRUE(Parse(sample, {"--sample", "out"}));
    EXPECT_EQ(sample.GetMode(), FeedsCommandLine::Mode::WriteSample);
    EXPECT_EQ(sample.Directory(), "out");

    // Asking for help is never a mistake, whatever comes with it.
    for (const auto& args : std::vector<std::vector<const char*>>{{"--help"}, {"dir", "--help"}}) {
        FeedsCommandLine help;
        ASSERT_TRUE(Parse(help, args)) << help.Error();
        EXPECT_EQ(help.GetMode(), FeedsCommandLine::Mode::Help);
    }
    FeedsCommandLine sources;
    ASSERT_TRUE(Parse(sources, {"--sources", "diarios.opml", "--refresh", "0.5", "--port", "81",
                                "--time-zone", "America/Merida"}));
    EXPECT_EQ(sources.GetMode(), FeedsCommandLine::Mode::Bridge);
    EXPECT_EQ(sources.Bridge().sourcesFile, "diarios.opml");
    EXPECT_EQ(sources.Bridge().refreshMinutes, 0.5);
    EXPECT_EQ(sources.Bridge().timeZone, "America/Merida");
    EXPECT_EQ(sources.Port(), 81);

    // A base URL keeps its path and loses its trailing slashes.
    FeedsCommandLine exported;
    ASSERT_TRUE(Parse(exported, {"--pictures", "--sources", "a.opml", "--export", "out",
                                 "--base-url", "https://cdn.example.net/edicion//"}));
    EXPECT_EQ(exported.GetMode(), FeedsCommandLine::Mode::Export);
    EXPECT_EQ(exported.Export().dir, "out");
    EXPECT_EQ(exported.Export().baseUrl, "https://cdn.example.net/edicion");
    EXPECT_TRUE(exported.Export().pictures);

    for (const auto& args : std::vector<std::vector<const char*>>{
             {},
             {"--sources", "a.opml", "dir"},
             {"--sources", "a.opml", "--faults", "f"},
             {"--sample", "out", "--sources", "a.opml"},
             {"dir", "--state", "s"},
             {"--sources", "a.opml", "--refresh", "0"},
             {"--sources", "a.opml", "--refresh", "5m"},
             {"--sources", ""},
             {"a", "b"},
             {"dir", "--port"},
             {"dir", "--port", "http"},
             {"dir", "--port", "70000"},
             {"dir", "--port", "-1"},
             {"dir", "--verbose"},
             {"--sample", "out", "dir"},
             {"--sample", "out", "--port", "80"},
             {"--export", "out"},
             {"--sources", "a.opml", "--pictures"},
             {"--sources", "a.opml", "--export", "o", "d"},
             {"--sources", "a.opml", "--export", "o", "--port", "80"},
             {"--sources", "a.opml", "--export", "o", "--base-url", "example.net/e"},
             {"--sources", "a.opml", "--export", "o", "--base-url", "http:///e"},
             {"--sources", "a.opml", "--export", "o", "--base-url", "http://example.net/e#a"}}) {
        FeedsCommandLine line;
        EXPECT_FALSE(Parse(line, args)) << args.size();
        EXPECT_FALSE(line.Error().empty());
        EXPECT_EQ(line.Error().find('\n'), std::string::npos);
    }
}

} // namespace
