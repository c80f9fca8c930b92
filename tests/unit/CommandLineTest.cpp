// The reader's feed server address: a bare host and a base URL with a path
// alike; how the catalogue's paths join it is checked end to end.
#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

TEST(CommandLineTest, FeedServerKeepsItsPathAndRefusesQueriesAndFragments) {
    const std::pair<const char*, const char*> kept[] = {
        {"http://127.0.0.1:9", "http://127.0.0.1:9"},
        {"http://127.0.0.1:9/", "http://127.0.0.1:9"},
        {"https://feeds.example.com/edicion", "https://feeds.example.com/edicion"},
        {"http://feeds.example.com:8080/edicion//", "http://feeds.example.com:8080/edicion"},
        {"HTTP://feeds.example.com/a/b/", "HTTP://feeds.example.com/a/b"},
    };
    for (const auto& [given, normalized] : kept) {
        CommandLine cli;
        std::string error;
        ASSERT_TRUE(cli.Parse({"--feed-server", given}, &error)) << given << ": " << error;
        EXPECT_EQ(cli.feedServer, normalized);
    }
    const std::pair<const char*, const char*> refused[] = {
        {"http://feeds.example.com/edicion#portada", "no query"},
        {"http://feeds.example.com/?", "no query"},
        {"http:///edicion", "with a host"},
        {"http://", "with a host"},
        {"feeds.example.com/edicion", "with a host"},
        {"http://feeds.example.com/mi edicion", "with a host"},
    };
    for (const auto& [given, says] : refused) {
        CommandLine cli;
        std::string error;
        EXPECT_FALSE(cli.Parse({"--feed-server=" + std::string(given)}, &error)) << given;
        EXPECT_NE(error.find(says), std::string::npos) << error;
    }
    // A kept edition stands instead of a feed server, never beside one.
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"--sources", "f.opml", "--edition=e"},
          std::vector<std::string>{"--edition="}}) {
        CommandLine cli;
        std::string error;
        EXPECT_FALSE(cli.Parse(args, &error)) << args[0];
        EXPECT_NE(error.find("--edition"), std::string::npos) << error;
    }
}

} // namespace
