#include "net/HttpDownloader.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "feedserver/faults/FaultyFeedServer.h"
#include "platform/runtime/Runtime.h"

namespace {

namespace fs = std::filesystem;
using Osp::Base::String;
using pregonero::runtime::LoopMode;
using pregonero::runtime::Runtime;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class HttpDownloaderTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("pregonero-dl-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_ / "feeds/mobile");
        fs::create_directories(root_ / "home");
        runtime_.Settings().homeDir = (root_ / "home").string();
        ASSERT_TRUE(server_.Start((root_ / "feeds").string()));
    }
    void TearDown() override {
        server_.Stop();
        fs::remove_all(root_);
    }
    String Url(const std::string& path) const { return String((server_.BaseUrl() + path).c_str()); }
    bool RunUntilIdle() {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        bool timedOut = false;
        runtime_.Loop().RunUntil(
            [&] {
                timedOut = std::chrono::steady_clock::now() > deadline;
                return timedOut || runtime_.Idle(LoopMode::All);
            },
            LoopMode::All);
        return !timedOut;
    }

    fs::path root_;
    Runtime runtime_;
    pregonero::feeds::FaultyFeedServer server_;
};

TEST_F(HttpDownloaderTest, KeepsBodyAsTextAndWritesItToTheFile) {
    const std::string body = "<root><article Title=\"Ni\xc3\xb1o\"/></root>\n";
    std::ofstream(root_ / "feeds/mobile/a.xml", std::ios::binary) << body;
    fs::create_directories(root_ / "home/Res");
    std::ofstream(root_ / "home/Res/a.xml") << std::string(500, 'o'); // an older, longer copy

    HttpDownloader downloader(String(server_.BaseUrl().c_str()), Url("/mobile/a.xml"),
                              L"/Home/Res/a.xml");
    ASSERT_EQ(downloader.requestSearch(), E_SUCCESS);
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_EQ(ReadAll(root_ / "home/Res/a.xml"), body);
    EXPECT_EQ(downloader.getContent(), String(body.c_str()));

    // A second request starts from an empty content; a 404 leaves it so and
    // writes nothing.
    pregonero::feeds::FaultRule missing;
    missing.status = 404;
    server_.SetRule("/mobile/a.xml", missing);
    ASSERT_EQ(downloader.requestSearch(), E_SUCCESS);
    EXPECT_TRUE(downloader.getContent().IsEmpty());
    ASSERT_TRUE(RunUntilIdle());
    EXPECT_TRUE(downloader.getContent().IsEmpty());
    EXPECT_EQ(ReadAll(root_ / "home/Res/a.xml"), body);
}

TEST_F(HttpDownloaderTest, RefusesBadLinksAndOutsidePathsAndStopsWhenDeleted) {
    for (const char* link : {"file:///etc/passwd", "", "gopher://127.0.0.1/"}) {
        HttpDownloader downloader(String(server_.BaseUrl().c_str()), String(link), L"/Home/x.xml");
        EXPECT_EQ(downloader.requestSearch(), E_INVALID_ARG) << link;
    }
    std::ofstream(root_ / "feeds/mobile/b.xml") << "<root/>";
    {
        HttpDownloader outside(String(server_.BaseUrl().c_str()), Url("/mobile/b.xml"),
                               String((root_ / "stolen.xml").string().c_str()));
        ASSERT_EQ(outside.requestSearch(), E_SUCCESS);
        ASSERT_TRUE(RunUntilIdle());
        EXPECT_EQ(outside.getContent(), String(L"<root/>"));
    }
    EXPECT_FALSE(fs::exists(root_ / "stolen.xml"));

    pregonero::feeds::FaultRule slow;
    slow.delayMs = 300;
    server_.SetRule("/mobile/b.xml", slow);
    {
        HttpDownloader gone(String(server_.BaseUrl().c_str()), Url("/mobile/b.xml"),
                            L"/Home/b.xml");
        ASSERT_EQ(gone.requestSearch(), E_SUCCESS);
    }
    ASSERT_TRUE(RunUntilIdle()); // a use after free here would show under ASan
    EXPECT_FALSE(fs::exists(root_ / "home/b.xml"));
}

} // namespace
