// The article and gallery screens: they wait for their picture with the way
// back closed, page through photos, and keep the way back from a gallery
// without any. Feeds they cannot read are the fault matrix's.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"
#include "tests/support/HostileText.h"

namespace pregonero::e2e {
namespace {

using feeds::PictureMaker;
using nlohmann::json;

std::string Headlines(std::initializer_list<const char*> links) {
    std::string feed = "<root>";
    for (const char* link : links) {
        feed += std::string("<article Title=\"t\" PubTime=\"10:00\" Link=\"{{FEED_SERVER}}/") +
                link + "\"/>";
    }
    return feed + "</root>";
}

// Once the server has been asked for `path`: the screen is waiting for it.
ScriptPart Requested(FeedFixture& fx, const std::string& path, const std::string& commands) {
    return {[&fx, path] { return fx.Server().RequestCount(path) > 0; }, commands};
}

TEST(ArticleScreensTest, ArticleWaitsForItsPictureAndGalleryPagesOnePhotoAtATime) {
    FeedFixture fx("nota");
    fx.WritePicture("img/a.jpg", PictureMaker::Format::Jpeg);
    fx.WritePicture("img/b.PNG", PictureMaker::Format::Png);
    fx.Server().SetRule("/img/a.jpg", {.delayMs = 2500});
    fx.WriteFeed("mobile/deportes.xml", Headlines({"notas/1.xml", "notas/2.xml", "notas/3.xml"}));
    fx.WriteFeed("notas/1.xml",
                 "<root><article Title=\"Uno\" ImgLink=\"{{FEED_SERVER}}/img/a.jpg\" "
                 "ImgDes=\"Pie\"><![CDATA[<p>Hola</p>]]></article>"
                 "<article Title=\"Dos\">texto</article></root>");
    fx.WriteFeed("notas/2.xml", "<root><article Title=\"Sin foto\">cuerpo</article></root>");
    fx.WriteFeed("notas/3.xml", "<root><article ImgLink=\"{{FEED_SERVER}}/img/b.PNG\"/></root>");
    fx.WritePicture("img/1.jpg", PictureMaker::Format::Jpeg);
    fx.WritePicture("img/2.png", PictureMaker::Format::Png);
    fx.Server().SetRule("/img/2.png", {.delayMs = 2500});
    fx.WriteFeed("mobile/fg.xml", Headlines({"g/1.xml", "g/2.xml"}));
    fx.WriteFeed("g/1.xml", "<root><article Title=\"A\" ImgUrl=\"{{FEED_SERVER}}/img/1.jpg\"/>"
                            "<article Title=\"B\" ImgUrl=\"{{FEED_SERVER}}/img/2.png\"/>"
                            "<article Title=\"C\" ImgUrl=\"\"/></root>");
    fx.WriteFeed("g/2.xml", "<root><foto Title=\"x\"/></root>");
    const ProgramRun run = ProgramRun::Start(
        fx.Home(), fx.Url(),
        {{nullptr, "wait\nevent 108\nwait\nselect 0\n"},
         Requested(fx, "/img/a.jpg",
                   "dump\nsoftkey 1\nwait\ndump\nsoftkey 1\nwait\ndump\n"
                   "select 1\nwait\ndump\nsoftkey 1\nwait\nselect 2\nwait\ndump\nsoftkey 1\nwait\n"
                   "dump\n"
                   "event 119\nwait\nselect 0\nwait\ndump\noption\nchoose Anterior\nwait\n"
                   "dump\noption\nchoose Siguiente\n"),
         Requested(fx, "/img/2.png",
                   "option\ndump\nwait\noption\nchoose Siguiente\nwait\noption\n"
                   "choose Siguiente\nwait\ndump\nsoftkey 1\nwait\nselect 1\nwait\noption\ndump\n"
                   "softkey 1\nwait\ndump\nquit\n")});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 12u);
    // Waiting for the picture: list added but hidden, ids 1 and 3, back off
    // (the softkey pressed meanwhile did nothing).
    const Snapshot& waiting = run.dumps[0];
    EXPECT_EQ(waiting.Form(), "IDF_FORM_NOTA");
    EXPECT_EQ(waiting.Back(), "off");
    EXPECT_EQ(waiting.List()["visible"], false);
    EXPECT_EQ(waiting.List()["bounds"], json({0, 0, 480, 618}));
    EXPECT_EQ(waiting.ItemIds(), (std::vector<int>{1, 3})) << waiting;
    EXPECT_EQ(waiting.Label("LabelCargando"), std::nullopt);
    EXPECT_TRUE(waiting.Shows("Hola"));
    const Snapshot& shown = run.dumps[1];
    EXPECT_EQ(shown.Form(), "IDF_FORM_NOTA");
    EXPECT_EQ(shown.Back(), "on");
    EXPECT_EQ(shown.List()["visible"], true);
    ASSERT_EQ(shown.Elements(-1, "bitmap").size(), 1u);
    EXPECT_EQ(shown.Elements(-1, "bitmap")[0]["bitmap"],
              json({{"width", 440}, {"height", 440}, {"format", "RGB565"}}));
    EXPECT_EQ(run.dumps[2].Form(), "IDF_FORM_SECCION");
    EXPECT_EQ(fx.Server().RequestCount("/mobile/deportes.xml"), 4);
    // No picture: shown at once.
    EXPECT_EQ(run.dumps[3].Back(), "on");
    EXPECT_TRUE(run.dumps[3].Shows("cuerpo"));
    // "PNG" keeps the alpha channel.
    ASSERT_EQ(run.dumps[4].Elements(-1, "bitmap").size(), 1u) << run.dumps[4];
    EXPECT_EQ(run.dumps[4].Elements(-1, "bitmap")[0]["bitmap"]["format"], "ARGB8888");
    EXPECT_EQ(run.dumps[5].Form(), "IDF_FORM_SECCION");

    // The gallery's photos, one at a time.
    const std::vector<Snapshot> gallery(run.dumps.begin() + 6, run.dumps.end());
    auto counter = [](const Snapshot& dump) { return dump.Label("LabelFotogaleria"); };
    EXPECT_EQ(counter(gallery[0]), "Foto: 1 de 3");
    EXPECT_EQ(gallery[0].ItemIds(), std::vector<int>{0});
    ASSERT_EQ(gallery[0].Elements(-1, "bitmap").size(), 1u);
    EXPECT_EQ(gallery[0].Elements(-1, "bitmap")[0]["bitmap"]["format"], "RGB565");
    EXPECT_EQ(gallery[0].Back(), "on");
    EXPECT_EQ(counter(gallery[1]), "Foto: 1 de 3");
    // The second photo's picture is held back: back off, the option key opens nothing.
    EXPECT_EQ(counter(gallery[2]), "Foto: 2 de 3");
    EXPECT_EQ(gallery[2].Back(), "off");
    EXPECT_EQ(gallery[2].Menu(), "closed");
    EXPECT_EQ(gallery[2].ItemIds(), std::vector<int>{1});
    // The last photo has no picture: complete at once, and "Siguiente" there stays.
    EXPECT_EQ(counter(gallery[3]), "Foto: 3 de 3");
    EXPECT_EQ(gallery[3].Back(), "on");
    EXPECT_TRUE(gallery[3].Elements(-1, "bitmap").empty());
    EXPECT_EQ(fx.Server().RequestCount("/img/2.png"), 1);
    // No photo at all: an empty list, an empty label, back works, no menu.
    EXPECT_EQ(counter(gallery[4]), "");
    EXPECT_EQ(gallery[4].List()["items"], json::array());
    EXPECT_EQ(gallery[4].Menu(), "closed");
    EXPECT_EQ(gallery[4].Back(), "on");
    EXPECT_EQ(gallery[5].Form(), "IDF_FORM_SECCION");
}

// Whole headlines and whole articles: on the sample edition's front page a
// title longer than a line shows on two; every article of the sample, and
// bodies of many short lines that one pixel per character cannot hold, show
// to their last line.
TEST(ArticleScreensTest, HeadlinesTakeTwoLinesAndEveryArticleShowsWhole) {
    FeedFixture fx("enteras");
    fx.WriteSampleEdition();
    std::vector<std::string> links;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(fx.Root() / "feeds" / "notas")) {
        if (entry.is_regular_file()) {
            links.push_back(std::filesystem::relative(entry.path(), fx.Root() / "feeds").string());
        }
    }
    ASSERT_GT(links.size(), 150u);
    const std::pair<const char*, int> shortLines[] = {
        {"Sí.\n", 150}, {"\n", 400}, {"Ya<br/>\n", 90}};
    for (const auto& [line, times] : shortLines) {
        links.push_back("cortas/" + std::to_string(links.size()) + ".xml");
        fx.WriteFeed(links.back(), "<root><article Title=\"Renglones cortos\"><![CDATA[" +
                                       testing_support::Repeat(line, times) +
                                       "Fin de la nota.]]></article></root>");
    }
    std::string section = "<root>";
    std::string script = "wait\ndump\nevent 108\nwait\n";
    for (std::size_t i = 0; i < links.size(); ++i) {
        section += "<article Title=\"n\" Link=\"{{FEED_SERVER}}/" + links[i] + "\"/>";
        script += "select " + std::to_string(i) + "\nwait\ndump\nsoftkey 1\nwait\n";
    }
    fx.WriteFeed("mobile/deportes.xml", section + "</root>");
    const ProgramRun run = ProgramRun::Start(fx.Home(), fx.Url(), script + "quit\n",
                                             {.timeoutSeconds = 300, .launcher = {}, .args = {}});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), links.size() + 1);
    // A row below the screen is not drawn and has no lines yet.
    int twoLines = 0;
    for (const auto& title : run.dumps[0].Elements(101, "text")) {
        if (title["lines"] == 0) {
            continue;
        }
        EXPECT_TRUE(title["lines"] == 2 || (title["lines"] == 1 && title["cut"] == false)) << title;
        twoLines += title["lines"] == 2 ? 1 : 0;
    }
    EXPECT_GE(twoLines, 3) << run.dumps[0];
    for (std::size_t i = 1; i < run.dumps.size(); ++i) {
        const Snapshot& article = run.dumps[i];
        SCOPED_TRACE(links[i - 1]);
        EXPECT_EQ(article.Form(), "IDF_FORM_NOTA");
        const auto bodies = article.Elements(107, "text");
        ASSERT_FALSE(bodies.empty()) << article;
        EXPECT_GT(bodies[0]["lines"], 0);
        for (const auto& body : bodies) {
            EXPECT_EQ(body["cut"], false) << body["text"];
        }
    }
}

} // namespace
} // namespace pregonero::e2e
