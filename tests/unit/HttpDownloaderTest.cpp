#include "net/HttpDownloader.h"

#include "support/AppHarness.h"
#include "support/ScreenFeeds.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using Osp::Base::String;

} // namespace

TEST(HttpDownloaderTest, KeepsTheBodyAsTextStaysUnderHomeAndStopsWhenDeleted) {
    testing_support::ScreenFeeds feeds; // outlives the runtime, so its connections close first
    testing_support::TestRuntime runtime;
    ASSERT_TRUE(feeds.Started());
    const String host(feeds.Server().BaseUrl().c_str());
    auto url = [&feeds](const char* path) { return String(feeds.Url(path).c_str()); };
    // The cache write and a failed fetch are checked end to end; here, the
    // content as text, emptied when a new request starts.
    const std::string body = "<root><article Title=\"Ni\xc3\xb1o\"/></root>\n";
    feeds.Write("mobile/a.xml", body);
    HttpDownloader downloader(host, url("mobile/a.xml"), L"/Home/Res/a.xml");
    ASSERT_EQ(downloader.requestSearch(), E_SUCCESS);
    ASSERT_TRUE(runtime.RunUntilIdle());
    EXPECT_EQ(downloader.getContent(), String(body.c_str()));
    ASSERT_EQ(downloader.requestSearch(), E_SUCCESS);
    EXPECT_TRUE(downloader.getContent().IsEmpty());
    ASSERT_TRUE(runtime.RunUntilIdle());

    // Links other than HTTP are refused; a cache path outside home is not written.
    for (const char* link : {"file:///etc/passwd", "", "gopher://127.0.0.1/"}) {
        HttpDownloader refused(host, String(link), L"/Home/x.xml");
        EXPECT_EQ(refused.requestSearch(), E_INVALID_ARG) << link;
    }
    feeds.Write("mobile/b.xml", "<root/>");
    const std::string stolen = runtime.Home() + "-stolen.xml"; // a system path, not under /Home
    {
        HttpDownloader outside(host, url("mobile/b.xml"), String(stolen.c_str()));
        ASSERT_EQ(outside.requestSearch(), E_SUCCESS);
        ASSERT_TRUE(runtime.RunUntilIdle());
        EXPECT_EQ(outside.getContent(), String(L"<root/>"));
    }
    EXPECT_FALSE(fs::exists(stolen));

    pregonero::feeds::FaultRule slow;
    slow.delayMs = 300;
    feeds.Server().SetRule("/mobile/b.xml", slow);
    {
        HttpDownloader gone(host, url("mobile/b.xml"), L"/Home/b.xml");
        ASSERT_EQ(gone.requestSearch(), E_SUCCESS);
    }
    ASSERT_TRUE(runtime.RunUntilIdle()); // a use after free here would show under ASan
    EXPECT_FALSE(fs::exists(fs::path(runtime.Home()) / "b.xml"));
}
