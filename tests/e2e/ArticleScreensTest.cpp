#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "feedserver/PictureMaker.h"
#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"

namespace pregonero::e2e {
namespace {

using feeds::PictureMaker;

void WritePicture(FeedFixture& fx, const std::string& path, PictureMaker::Format format) {
    fx.WriteFeed(path, "");
    const auto file = std::filesystem::path(fx.Home()).parent_path() / "feeds" / path;
    std::string error;
    ASSERT_TRUE(PictureMaker::Write(file.string(), format, 320, 240, 7, &error)) << error;
}

std::string Headlines(std::initializer_list<const char*> links) {
    std::string feed = "<root>";
    for (const char* link : links) {
        feed += std::string("<article Title=\"t\" PubTime=\"10:00\" Link=\"{{FEED_SERVER}}/") +
                link + "\"/>";
    }
    return feed + "</root>";
}

bool Has(const std::string& dump, const std::string& text) {
    return dump.find(text) != std::string::npos;
}

const char* kBackOn = "\"text\":\"Atras\",\"enabled\":true";
const char* kBackOff = "\"text\":\"Atras\",\"enabled\":false";

std::string FormName(const std::string& dump) {
    return JsonText(dump, "name", "\"form\":");
}

TEST(ArticleScreensTest, ArticleWaitsForItsPictureAndBackRebuildsTheSection) {
    FeedFixture fx("nota");
    ASSERT_TRUE(fx.Started());
    WritePicture(fx, "img/a.jpg", PictureMaker::Format::Jpeg);
    WritePicture(fx, "img/b.PNG", PictureMaker::Format::Png);
    feeds::FaultRule slow;
    slow.delayMs = 2500;
    fx.Server().SetRule("/img/a.jpg", slow);
    fx.WriteFeed("mobile/deportes.xml",
                 Headlines({"notas/1.xml", "notas/2.xml", "notas/3.xml", "notas/4.xml"}));
    fx.WriteFeed("notas/1.xml",
                 "<root><article Title=\"Uno\" ImgLink=\"{{FEED_SERVER}}/img/a.jpg\" "
                 "ImgDes=\"Pie\"><![CDATA[<p>Hola</p>]]></article>"
                 "<article Title=\"Dos\">texto</article></root>");
    fx.WriteFeed("notas/2.xml", "<root><article Title=\"Sin foto\">cuerpo</article></root>");
    fx.WriteFeed("notas/3.xml", "<root><article ImgLink=\"{{FEED_SERVER}}/img/b.PNG\"/></root>");
    fx.WriteFeed("notas/4.xml", "<Root><article Title=\"x\">y</article></Root>");
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(),
                                       "wait\nevent 108\nwait\nselect 0\nsleep 1000\ndump\n"
                                       "softkey 1\nwait\ndump\nsoftkey 1\nwait\ndump\n"
                                       "select 1\nwait\ndump\nsoftkey 1\nwait\n"
                                       "select 2\nwait\ndump\nsoftkey 1\nwait\n"
                                       "select 3\nwait\ndump\nsoftkey 1\nwait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 7u);
    // Waiting for the picture: list added but hidden, ids 1 and 3, back off
    // (the softkey pressed meanwhile did nothing).
    const std::string& waiting = run.dumps[0];
    EXPECT_EQ(FormName(waiting), "IDF_FORM_NOTA");
    EXPECT_TRUE(Has(waiting, kBackOff));
    EXPECT_TRUE(Has(waiting, "\"type\":\"CustomList\",\"name\":\"\",\"bounds\":[0,0,480,618],"
                             "\"visible\":false"));
    EXPECT_TRUE(Has(waiting, "\"itemId\":1,")) << waiting;
    EXPECT_TRUE(Has(waiting, "\"itemId\":3,"));
    EXPECT_FALSE(Has(waiting, "LabelCargando"));
    EXPECT_TRUE(Has(waiting, "\"text\":\"Hola\""));
    const std::string& shown = run.dumps[1];
    EXPECT_EQ(FormName(shown), "IDF_FORM_NOTA");
    EXPECT_TRUE(Has(shown, kBackOn));
    EXPECT_TRUE(Has(shown, "\"visible\":true,\"focusedIndex\""));
    EXPECT_TRUE(Has(shown, "\"bitmap\":{\"width\":440,\"height\":440,\"format\":\"RGB565\"}"));
    EXPECT_EQ(FormName(run.dumps[2]), "IDF_FORM_SECCION");
    EXPECT_EQ(fx.Server().RequestCount("/mobile/deportes.xml"), 5);
    // No picture: shown at once.
    EXPECT_TRUE(Has(run.dumps[3], kBackOn));
    EXPECT_TRUE(Has(run.dumps[3], "\"text\":\"cuerpo\""));
    // "PNG" keeps the alpha channel.
    EXPECT_TRUE(Has(run.dumps[4], "\"format\":\"ARGB8888\"")) << run.dumps[4];
    // A root named "Root" is not read; the way back stays open.
    EXPECT_EQ(FormName(run.dumps[5]), "IDF_FORM_NOTA");
    EXPECT_EQ(JsonText(run.dumps[5], "text", "\"name\":\"LabelCargando\""), "Cargando nota...");
    EXPECT_FALSE(Has(run.dumps[5], "CustomList"));
    EXPECT_TRUE(Has(run.dumps[5], kBackOn));
    EXPECT_EQ(FormName(run.dumps[6]), "IDF_FORM_SECCION");
}

TEST(ArticleScreensTest, GalleryPagesOnePhotoAtATime) {
    FeedFixture fx("galeria");
    ASSERT_TRUE(fx.Started());
    WritePicture(fx, "img/1.jpg", PictureMaker::Format::Jpeg);
    WritePicture(fx, "img/2.png", PictureMaker::Format::Png);
    feeds::FaultRule slow;
    slow.delayMs = 2500;
    fx.Server().SetRule("/img/2.png", slow);
    fx.WriteFeed("mobile/fg.xml", Headlines({"g/1.xml", "g/2.xml", "g/3.xml"}));
    fx.WriteFeed("g/1.xml", "<root><article Title=\"A\" ImgUrl=\"{{FEED_SERVER}}/img/1.jpg\"/>"
                            "<article Title=\"B\" ImgUrl=\"{{FEED_SERVER}}/img/2.png\"/>"
                            "<article Title=\"C\" ImgUrl=\"{{FEED_SERVER}}/img/1.jpg\"/></root>");
    fx.WriteFeed("g/2.xml", "<root><foto Title=\"x\"/></root>");
    fx.WriteFeed("g/3.xml", "<Root><article Title=\"x\"/></Root>");
    ProgramRun run =
        ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(),
                          "wait\nevent 119\nwait\nselect 0\nwait\ndump\n"
                          "option\nchoose Anterior\nwait\ndump\n"
                          "option\nchoose Siguiente\nsleep 500\noption\ndump\nwait\n"
                          "option\nchoose Siguiente\nwait\noption\nchoose Siguiente\nwait\ndump\n"
                          "softkey 1\nwait\nselect 1\nwait\noption\ndump\n"
                          "softkey 1\nwait\nselect 2\nwait\ndump\nsoftkey 1\nwait\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 7u);
    auto counter = [](const std::string& dump) {
        return JsonText(dump, "text", "\"name\":\"LabelFotogaleria\"");
    };
    EXPECT_EQ(counter(run.dumps[0]), "Foto: 1 de 3");
    EXPECT_TRUE(Has(run.dumps[0], "\"itemId\":0,"));
    EXPECT_TRUE(Has(run.dumps[0], "\"format\":\"RGB565\""));
    EXPECT_TRUE(Has(run.dumps[0], kBackOn));
    EXPECT_EQ(counter(run.dumps[1]), "Foto: 1 de 3");
    // The second photo's picture is held back: back off, the option key opens nothing.
    EXPECT_EQ(counter(run.dumps[2]), "Foto: 2 de 3");
    EXPECT_TRUE(Has(run.dumps[2], kBackOff));
    EXPECT_TRUE(Has(run.dumps[2], "\"menu\":{\"shown\":false"));
    EXPECT_TRUE(Has(run.dumps[2], "\"itemId\":1,"));
    EXPECT_EQ(counter(run.dumps[3]), "Foto: 3 de 3");
    EXPECT_TRUE(Has(run.dumps[3], kBackOn));
    EXPECT_EQ(fx.Server().RequestCount("/img/2.png"), 1);
    // No photo at all: an empty list, an empty label, back works, no menu.
    EXPECT_EQ(counter(run.dumps[4]), "");
    EXPECT_TRUE(Has(run.dumps[4], "\"items\":[]"));
    EXPECT_TRUE(Has(run.dumps[4], "\"menu\":{\"shown\":false"));
    EXPECT_TRUE(Has(run.dumps[4], kBackOn));
    // A root named "Root": no list at all.
    EXPECT_FALSE(Has(run.dumps[5], "CustomList"));
    EXPECT_TRUE(Has(run.dumps[5], kBackOn));
    EXPECT_EQ(FormName(run.dumps[6]), "IDF_FORM_SECCION");
}

} // namespace
} // namespace pregonero::e2e
