// Feeds as the screens download them: the cache file gets the body byte for
// byte, and failures show "Error" or their message once.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"

namespace pregonero::e2e {
namespace {

const char* kFrontPage = "mobile/2notashome.xml";
const char* kFrontCache = "Res/2notashome.xml";

TEST(FeedDownloadTest, CacheGetsTheBodyByteForByteAndNothingOnFailure) {
    FeedFixture fx("save");
    fx.WriteFeed("mobile/mexico.xml", std::string(5000, 'm'));
    fx.Server().SetRule("/mobile/mexico.xml", {.dropAfterBytes = 100});
    // No front-page feed yet: the server answers 404; the section's is cut
    // short. What the screens show then is the fault matrix's concern.
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Url(), "wait\nevent 101\nwait\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    EXPECT_FALSE(fx.HomeHas(kFrontCache));
    EXPECT_FALSE(fx.HomeHas("Res/mexico.xml"));
    EXPECT_GE(fx.Server().RequestCount("/mobile/mexico.xml"), 1);

    // Bytes a text conversion would damage: a NUL, a lone 0xFF, CR LF; and
    // no cache folder yet, so the program makes it.
    std::filesystem::remove_all(fx.Home() + "/Res");
    const std::string body = std::string("<root>\r\n\xff", 9) + std::string(1, '\0') +
                             std::string(100000, 'a') + "</root>";
    fx.WriteFeed(kFrontPage, body);
    run = ProgramRun::Start(fx.Home(), fx.Url(), "wait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    EXPECT_EQ(fx.ReadHome(kFrontCache), body);
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(run.dumps[0].BoxText(), std::nullopt);

    // A third run writes a shorter body over the longer one; a chunked one
    // arrives whole.
    fx.Server().SetRule("/mobile/2notashome.xml", {.chunkSize = 1});
    fx.WriteFeed(kFrontPage, "<root>short</root>");
    run = ProgramRun::Start(fx.Home(), fx.Url(), "wait\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    EXPECT_EQ(fx.ReadHome(kFrontCache), "<root>short</root>");
}

// A network switched off mid-run refuses the next screen's download with
// its message, once, and asks nothing of the server.
TEST(FeedDownloadTest, NetworkOffShowsItsMessageOnce) {
    FeedFixture fx("offline");
    fx.WriteFeed(kFrontPage, "<root/>");
    fx.WriteFeed("mobile/mundo.xml", "<root/>");
    ProgramRun run = ProgramRun::Start(
        fx.Home(), fx.Url(), "wait\nnetwork off\nevent 102\ndump\nok\nwait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(run.dumps[0].BoxText(), "Network is unavailable");
    EXPECT_EQ(run.dumps[0].BoxTitle(), "TestHttpGet");
    EXPECT_EQ(run.dumps[1].BoxText(), std::nullopt);
    EXPECT_EQ(fx.Server().RequestCount("/mobile/mundo.xml"), 0);
}

} // namespace
} // namespace pregonero::e2e
