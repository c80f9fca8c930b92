// Feeds as the screens download them: the cache file gets the body byte for
// byte, and failures show "Error" or their message once.
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"

namespace pregonero::e2e {
namespace {

const char* kFrontPage = "mobile/2notashome.xml";
const char* kFrontCache = "Res/2notashome.xml";

TEST(FeedDownloadTest, FrontPageBodyReplacesCacheByteForByteAndCreatesRes) {
    FeedFixture fx("save");
    // Bytes a text conversion would damage: a NUL, a lone 0xFF, CR LF.
    const std::string body = std::string("<root>\r\n\xff", 9) + std::string(1, '\0') +
                             std::string(100000, 'a') + "</root>";
    fx.WriteFeed(kFrontPage, body);
    ASSERT_FALSE(fx.HomeHas("Res"));
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Url(), "wait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    EXPECT_EQ(fx.ReadHome(kFrontCache), body);
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(run.dumps[0].BoxText(), std::nullopt);

    // A second run writes a shorter body over the longer one; a chunked one
    // arrives whole.
    pregonero::feeds::FaultRule chunked;
    chunked.chunkSize = 1;
    fx.Server().SetRule("/mobile/2notashome.xml", chunked);
    fx.WriteFeed(kFrontPage, "<root>short</root>");
    run = ProgramRun::Start(fx.Home(), fx.Url(), "wait\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    EXPECT_EQ(fx.ReadHome(kFrontCache), "<root>short</root>");
}

TEST(FeedDownloadTest, HeadlineScreenShowsErrorOnNotFoundOrAbort) {
    FeedFixture fx("fail");
    fx.WriteFeed("mobile/mexico.xml", std::string(5000, 'm'));
    pregonero::feeds::FaultRule dropped;
    dropped.dropAfterBytes = 100;
    fx.Server().SetRule("/mobile/mexico.xml", dropped);
    // No front-page feed: the server answers 404.
    ProgramRun run =
        ProgramRun::Start(fx.Home(), fx.Url(), "wait\ndump\nevent 101\nwait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(run.dumps[0].Label("LabelCargando"), "Error");
    EXPECT_EQ(run.dumps[0].BoxText(), std::nullopt);
    EXPECT_FALSE(fx.HomeHas(kFrontCache));
    EXPECT_EQ(run.dumps[1].Form(), "IDF_FORM_SECCION");
    EXPECT_EQ(run.dumps[1].Label("LabelCargando"), "Error");
    EXPECT_EQ(run.dumps[1].Label("LabelSeccion"), "MEXICO");
    EXPECT_FALSE(fx.HomeHas("Res/mexico.xml"));
}

TEST(FeedDownloadTest, StartFailuresShowTheirMessageOnce) {
    FeedFixture fx("offline");
    fx.WriteFeed(kFrontPage, "<root/>");
    fx.WriteFeed("mobile/mundo.xml", "<root/>");
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Url(),
                                       "wait\nnetwork off\nevent 102\ndump\nok\nwait\ndump\n"
                                       "network on\nevent 121\ndump\nok\nwait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 4u);
    EXPECT_EQ(run.dumps[0].BoxText(), "Network is unavailable");
    EXPECT_EQ(run.dumps[0].BoxTitle(), "TestHttpGet");
    EXPECT_EQ(run.dumps[1].BoxText(), std::nullopt);
    EXPECT_EQ(fx.Server().RequestCount("/mobile/mundo.xml"), 0);
    // linkUrl is still empty: the article cannot start and says so.
    EXPECT_EQ(run.dumps[2].BoxText(),
              "Lo sentimos, pero esta nota no se encuentra disponible po rel momento");
    EXPECT_EQ(run.dumps[3].BoxText(), std::nullopt);
    EXPECT_EQ(run.dumps[3].Form(), "IDF_FORM_NOTA");
    EXPECT_EQ(run.dumps[3].Back(), "on");
    EXPECT_EQ(run.dumps[3].Label("LabelCargando"), "Cargando nota...");
}

} // namespace
} // namespace pregonero::e2e
