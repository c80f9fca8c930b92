#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"

namespace pregonero::e2e {
namespace {

const char* kFrontPage = "mobile/2notashome.xml";
const char* kFrontCache = "Res/2notashome.xml";

std::string LoadingLabel(const std::string& dump) {
    return JsonText(dump, "text", "\"name\":\"LabelCargando\"");
}

TEST(FeedDownloadTest, FrontPageBodyReplacesCacheByteForByteAndCreatesRes) {
    FeedFixture fx("save");
    ASSERT_TRUE(fx.Started());
    // Bytes a text conversion would damage: a NUL, a lone 0xFF, CR LF.
    const std::string body = std::string("<root>\r\n\xff", 9) + std::string(1, '\0') +
                             std::string(100000, 'a') + "</root>";
    fx.WriteFeed(kFrontPage, body);
    ASSERT_FALSE(fx.HomeHas("Res"));
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(), "wait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    EXPECT_EQ(fx.ReadHome(kFrontCache), body);
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(JsonText(run.dumps[0], "messageBox"), "null");

    // A second run writes a shorter body over the longer one; a chunked one
    // arrives whole.
    pregonero::feeds::FaultRule chunked;
    chunked.chunkSize = 1;
    fx.Server().SetRule("/mobile/2notashome.xml", chunked);
    fx.WriteFeed(kFrontPage, "<root>short</root>");
    run = ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(), "wait\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    EXPECT_EQ(fx.ReadHome(kFrontCache), "<root>short</root>");
}

TEST(FeedDownloadTest, HeadlineScreenShowsErrorOnNotFoundOrAbort) {
    FeedFixture fx("fail");
    ASSERT_TRUE(fx.Started());
    fx.WriteFeed("mobile/mexico.xml", std::string(5000, 'm'));
    pregonero::feeds::FaultRule dropped;
    dropped.dropAfterBytes = 100;
    fx.Server().SetRule("/mobile/mexico.xml", dropped);
    // No front-page feed: the server answers 404.
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(),
                                       "wait\ndump\nevent 101\nwait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_EQ(LoadingLabel(run.dumps[0]), "Error");
    EXPECT_EQ(JsonText(run.dumps[0], "messageBox"), "null");
    EXPECT_FALSE(fx.HomeHas(kFrontCache));
    EXPECT_EQ(JsonText(run.dumps[1], "name", "\"form\":"), "IDF_FORM_SECCION");
    EXPECT_EQ(LoadingLabel(run.dumps[1]), "Error");
    EXPECT_EQ(JsonText(run.dumps[1], "text", "\"name\":\"LabelSeccion\""), "MEXICO");
    EXPECT_FALSE(fx.HomeHas("Res/mexico.xml"));
}

TEST(FeedDownloadTest, StartFailuresShowTheirMessageOnce) {
    FeedFixture fx("offline");
    ASSERT_TRUE(fx.Started());
    fx.WriteFeed(kFrontPage, "<root/>");
    fx.WriteFeed("mobile/mundo.xml", "<root/>");
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(),
                                       "wait\nnetwork off\nevent 102\ndump\nok\nwait\ndump\n"
                                       "network on\nevent 121\ndump\nok\nwait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 4u);
    EXPECT_EQ(JsonText(run.dumps[0], "text", "\"messageBox\":"), "Network is unavailable");
    EXPECT_EQ(JsonText(run.dumps[0], "title", "\"messageBox\":"), "TestHttpGet");
    EXPECT_EQ(JsonText(run.dumps[1], "messageBox"), "null");
    EXPECT_EQ(fx.Server().RequestCount("/mobile/mundo.xml"), 0);
    // linkUrl is still empty: the article cannot start and says so.
    EXPECT_EQ(JsonText(run.dumps[2], "text", "\"messageBox\":"),
              "Lo sentimos, pero esta nota no se encuentra disponible po rel momento");
    EXPECT_EQ(JsonText(run.dumps[3], "messageBox"), "null");
    EXPECT_EQ(JsonText(run.dumps[3], "name", "\"form\":"), "IDF_FORM_NOTA");
    EXPECT_NE(run.dumps[3].find("\"text\":\"Atras\",\"enabled\":true"), std::string::npos);
    EXPECT_EQ(LoadingLabel(run.dumps[3]), "Cargando nota...");
}

TEST(FeedDownloadTest, WithoutFeedServerServesTheSampleEdition) {
    FeedFixture fx("sample");
    ProgramRun run = ProgramRun::Start(fx.Home(), "", "wait\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    EXPECT_TRUE(fx.HomeHas("sample/.stamp"));
    const std::string cached = fx.ReadHome(kFrontCache);
    EXPECT_NE(cached.find("<root"), std::string::npos);
    EXPECT_EQ(cached.find("{{FEED_SERVER}}"), std::string::npos);
}

} // namespace
} // namespace pregonero::e2e
