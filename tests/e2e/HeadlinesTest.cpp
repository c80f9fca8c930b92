#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"

namespace pregonero::e2e {
namespace {

const char* kFrontPage = "mobile/2notashome.xml";

// The texts of element `id` of every row shown, in order.
std::vector<std::string> RowTexts(const std::string& dump, int id) {
    const std::regex element("\\{\"id\":" + std::to_string(id) +
                             ",\"kind\":\"text\",\"bounds\":\\[[^\\]]*\\],\"text\":\"([^\"]*)\"");
    std::vector<std::string> out;
    for (std::sregex_iterator it(dump.begin(), dump.end(), element), end; it != end; ++it) {
        out.push_back((*it)[1]);
    }
    return out;
}

bool ListShown(const std::string& dump) {
    return dump.find("\"type\":\"CustomList\"") != std::string::npos;
}

bool MenuOpen(const std::string& dump) {
    return dump.find("\"menu\":{\"shown\":true") != std::string::npos;
}

std::string FormName(const std::string& dump) {
    return JsonText(dump, "name", "\"form\":");
}

std::string Header(const std::string& dump) {
    return JsonText(dump, "text", "\"name\":\"LabelSeccion\"");
}

std::string Loading(const std::string& dump) {
    return JsonText(dump, "text", "\"name\":\"LabelCargando\"");
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) {
        ++n;
    }
    return n;
}

TEST(HeadlinesTest, FrontPageReadsItsGroupsAndShowsAtOnceWithoutPictures) {
    FeedFixture fx("groups");
    ASSERT_TRUE(fx.Started());
    fx.WriteFeed(kFrontPage, R"(<?xml version="1.0" encoding="UTF-8"?>
<root>
  <article Title="Suelto" PubTime="00:01"/>
  <group Title="Portada">Texto que no cuenta
    <article Title="¿Qué pasó en Peñón?" PubTime="10:00" Description="¡Sí, señor!"/>
    <nota Title="Otra cosa"/>
  </group>
  <group Title="Opinion"><article Title="Columna" PubTime="08:00"/></group>
  <group Title=""><article Title="Sin grupo" PubTime="99:99"/></group>
  <group Title="PORTADA"><article Title="Mayúsculas" PubTime="11:00"/></group>
</root>)");
    ProgramRun run =
        ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(), "wait\ndump\noption\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 2u);
    const std::string& shown = run.dumps[0];
    EXPECT_TRUE(ListShown(shown));
    EXPECT_EQ(Loading(shown), "<absent>");
    EXPECT_EQ(RowTexts(shown, 101),
              (std::vector<std::string>{"¿Qué pasó en Peñón?", "Sin grupo", "Mayúsculas"}));
    // The untitled group's time is not shown, whatever its attribute says.
    EXPECT_EQ(RowTexts(shown, 102), (std::vector<std::string>{"10:00", "", "11:00"}));
    EXPECT_EQ(RowTexts(shown, 103)[0], "¡Sí, señor!");
    EXPECT_EQ(Count(shown, "\"id\":105"), 0);
    EXPECT_FALSE(MenuOpen(shown));
    EXPECT_TRUE(MenuOpen(run.dumps[1]));
}

TEST(HeadlinesTest, ListWaitsForTheLastThumbnailEvenWhenAllFail) {
    FeedFixture fx("thumbs");
    ASSERT_TRUE(fx.Started());
    fx.WriteFeed("img/texto.jpg", "no es una foto");
    fx.WriteFeed(kFrontPage, R"(<root><group Title="Portada">
      <article Title="uno" ImgUrl="{{FEED_SERVER}}/img/texto.jpg"/>
      <article Title="dos" ImgUrl="{{FEED_SERVER}}/img/nada.jpg"/>
      <article Title="tres" ImgUrl="{{FEED_SERVER}}/img/lenta.jpg"/>
      <article Title="cuatro"/></group></root>)");
    feeds::FaultRule slow;
    slow.delayMs = 2500;
    slow.status = 404;
    fx.Server().SetRule("/img/lenta.jpg", slow);
    // The slow picture is still out after a second: the menu stays closed.
    ProgramRun run =
        ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(),
                          "sleep 1000\noption\ndump\nwait\ndump\noption\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_EQ(fx.Server().RequestCount("/mobile/2notashome.xml"), 1);
    EXPECT_FALSE(ListShown(run.dumps[0]));
    EXPECT_EQ(Loading(run.dumps[0]), "Cargando...");
    EXPECT_FALSE(MenuOpen(run.dumps[0]));
    EXPECT_TRUE(ListShown(run.dumps[1]));
    EXPECT_EQ(RowTexts(run.dumps[1], 101).size(), 4u);
    EXPECT_EQ(Count(run.dumps[1], "\"id\":105"), 3);
    EXPECT_EQ(Count(run.dumps[1], "\"id\":105,\"kind\":\"empty\""), 3);
    EXPECT_TRUE(MenuOpen(run.dumps[2]));
}

TEST(HeadlinesTest, MenuOpensAfterErrorAndSendsTheEventOfEachItem) {
    FeedFixture fx("menu");
    ASSERT_TRUE(fx.Started());
    // No feed at all: every screen ends on "Error", which lets the menu open.
    const char* script = "wait\ndump\n"
                         "option\nchoose Mas...\nchoose Destinos\nwait\ndump\n"
                         "option\nchoose Mas...\nchoose Letras + Artes\nwait\ndump\n"
                         "option\nchoose Mas...\nchoose Fotogaleria\nwait\ndump\n"
                         "option\nchoose Mas...\nchoose Minuto x Minuto\nwait\ndump\n"
                         "option\nchoose EdoMex\nwait\ndump\n"
                         "option\nchoose Primera\nwait\ndump\n"
                         "option\nchoose Salir\nwait\ndump\n";
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(), script);
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 7u) << "Salir ends the program before the last dump";
    EXPECT_EQ(Loading(run.dumps[0]), "Error");
    EXPECT_EQ(Header(run.dumps[1]), "DESTINOS");
    EXPECT_EQ(Header(run.dumps[2]), "LETRAS + ARTES");
    EXPECT_EQ(Header(run.dumps[3]), "FOTOGALERIA");
    EXPECT_EQ(FormName(run.dumps[3]), "IDF_FORM_SECCION");
    EXPECT_EQ(Header(run.dumps[4]), "MxM");
    EXPECT_EQ(Header(run.dumps[5]), "ESTADO DE MEXICO");
    EXPECT_EQ(FormName(run.dumps[6]), "IDF_FORM_PORTADA");
    EXPECT_EQ(fx.Server().RequestCount("/mobile/destinos.xml"), 1);
    EXPECT_EQ(fx.Server().RequestCount("/mobile/cultura.xml"), 1);
    EXPECT_EQ(fx.Server().RequestCount("/mobile/fg.xml"), 1);
    EXPECT_EQ(fx.Server().RequestCount("/mobile/2notashome.xml"), 2);
}

TEST(HeadlinesTest, SectionRowsOpenGalleriesArticlesOrSayTheyCannot) {
    FeedFixture fx("sections");
    ASSERT_TRUE(fx.Started());
    fx.WriteFeed(kFrontPage, "<root/>");
    fx.WriteFeed("mobile/mexico.xml",
                 R"(<root><group Title=""><article Title="envuelto"/></group></root>)");
    fx.WriteFeed("mobile/deportes.xml", R"(<root><article Title="sin liga" PubTime="1:00"/>
      <article Title="con liga" Link="{{FEED_SERVER}}/nota1.xml"/></root>)");
    fx.WriteFeed("mobile/fg.xml",
                 R"(<root><article Title="Galería" Link="{{FEED_SERVER}}/galeria1.xml"/></root>)");
    fx.WriteFeed("galeria1.xml", "<root/>");
    // ISO-8859-1 bytes for "Año España".
    fx.WriteFeed("mobile/mundo.xml", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"
                                     "<root><article Title=\"A\xf1o Espa\xf1"
                                     "a\"/></root>");
    const char* script = "event 101\nwait\ndump\n"
                         "event 102\nwait\ndump\n"
                         "event 108\nwait\nselect 0\ndump\nok\nwait\ndump\n"
                         "event 119\nwait\nselect 0\nwait\ndump\nquit\n";
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Server().BaseUrl(), script);
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 5u);
    EXPECT_TRUE(ListShown(run.dumps[0]));
    EXPECT_TRUE(RowTexts(run.dumps[0], 101).empty());
    EXPECT_EQ(Loading(run.dumps[0]), "<absent>");
    EXPECT_EQ(RowTexts(run.dumps[1], 101), (std::vector<std::string>{"Año España"}));
    EXPECT_EQ(JsonText(run.dumps[2], "text", "\"messageBox\":"),
              "Lo sentimos, esta nota no esta disponible por el momento.");
    EXPECT_EQ(JsonText(run.dumps[2], "title", "\"messageBox\":"), "TestHttpGet");
    EXPECT_EQ(Header(run.dumps[3]), "DEPORTES");
    EXPECT_EQ(JsonText(run.dumps[3], "messageBox"), "null");
    EXPECT_EQ(RowTexts(run.dumps[3], 102)[0], "1:00");
    EXPECT_EQ(fx.Server().RequestCount("/nota1.xml"), 0);
    EXPECT_EQ(FormName(run.dumps[4]), "IDF_FORM_FOTOGALERIA");
    EXPECT_EQ(fx.Server().RequestCount("/galeria1.xml"), 1);
}

TEST(HeadlinesTest, EverySampleScreenShowsItsHeadlinesWithThumbnails) {
    FeedFixture fx("sample");
    ASSERT_TRUE(fx.Started());
    const std::vector<std::string> mainItems = {
        "Mexico", "Mundo", "Estados", "DF", "EdoMex", "Vialidad", "Cartera", "Deportes", "Showbis"};
    const std::vector<std::string> moreItems = {
        "Fotogaleria", "Minuto x Minuto", "Estilos",  "Tecno",    "Letras + Artes",
        "Autopistas",  "Ciencia",         "Destinos", "Sociedad", "Opinion"};
    std::string script = "wait 30\ndump\n";
    for (const auto& item : mainItems) {
        script += "option\nchoose " + item + "\nwait 30\ndump\n";
    }
    for (const auto& item : moreItems) {
        script += "option\nchoose Mas...\nchoose " + item + "\nwait 30\ndump\n";
    }
    script += "quit\n";
    // No feed server given: the program serves its own sample edition.
    ProgramRun run = ProgramRun::Start(fx.Home(), "", script, 300);
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 20u);
    for (std::size_t i = 0; i < run.dumps.size(); ++i) {
        const std::string& dump = run.dumps[i];
        EXPECT_TRUE(ListShown(dump)) << i;
        EXPECT_FALSE(RowTexts(dump, 101).empty()) << i;
        EXPECT_GT(Count(dump, "\"bitmap\":{\"width\":176,\"height\":176"), 0) << i;
        EXPECT_EQ(Count(dump, "\"kind\":\"empty\""), 0) << i;
    }
}

} // namespace
} // namespace pregonero::e2e
