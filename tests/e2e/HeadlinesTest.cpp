// The headline screens: the front page shows its headlines, a list waits for
// its thumbnails, the menu reaches every section of the catalogue and each
// section's rows lead where they should.
#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "feedserver/SampleSections.h"
#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"

namespace pregonero::e2e {
namespace {

const char* kFrontPage = "mobile/2notashome.xml";

using Strings = std::vector<std::string>;

TEST(HeadlinesTest, ListWaitsForTheLastThumbnailEvenWhenAllFail) {
    FeedFixture fx("thumbs");
    fx.WriteFeed("img/texto.jpg", "no es una foto");
    fx.WriteFeed(kFrontPage, R"(<root><group Title="Portada">
      <article Title="uno" ImgUrl="{{FEED_SERVER}}/img/texto.jpg"/>
      <article Title="dos" ImgUrl="{{FEED_SERVER}}/img/nada.jpg"/>
      <article Title="tres" ImgUrl="{{FEED_SERVER}}/img/lenta.jpg"/>
      <article Title="cuatro"/></group></root>)");
    fx.Server().SetRule("/img/lenta.jpg", {.status = 404, .delayMs = 2500});
    // While the slow picture is out the list stays hidden and the menu closed.
    const ProgramRun run =
        ProgramRun::Start(fx.Home(), fx.Url(),
                          {{[&] { return fx.Server().RequestCount("/img/lenta.jpg") > 0; },
                            "option\ndump\nwait\ndump\noption\ndump\nquit\n"}});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_EQ(fx.Server().RequestCount("/mobile/2notashome.xml"), 1);
    EXPECT_TRUE(run.dumps[0].List().is_null());
    EXPECT_EQ(run.dumps[0].Label("LabelCargando"), "Cargando...");
    EXPECT_EQ(run.dumps[0].Menu(), "closed");
    EXPECT_FALSE(run.dumps[1].List().is_null());
    EXPECT_EQ(run.dumps[1].Texts(101).size(), 4u);
    EXPECT_EQ(run.dumps[1].Elements(105).size(), 3u);
    EXPECT_EQ(run.dumps[1].Elements(105, "empty").size(), 3u);
    EXPECT_EQ(run.dumps[2].Menu(), "shown");
}

TEST(HeadlinesTest, FrontPageShowsItsHeadlinesAndSectionRowsLeadWhereTheyShould) {
    FeedFixture fx("sections");
    // Which groups and articles a front page reads is the feed readers' own test.
    fx.WriteFeed(kFrontPage, R"(<?xml version="1.0" encoding="UTF-8"?><root><group Title="Portada">
      <article Title="¿Qué pasó en Peñón?" PubTime="10:00" Description="¡Sí, señor!"/>
      <article Title="Mayúsculas" PubTime="11:00"/></group></root>)");
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
    const char* script = "wait\ndump\noption\ndump\nchoose Mexico\nwait\ndump\n"
                         "event 102\nwait\ndump\n"
                         "event 108\nwait\nselect 0\ndump\nok\nwait\ndump\n"
                         "event 119\nwait\nselect 0\nwait\ndump\nquit\n";
    ProgramRun run = ProgramRun::Start(fx.Home(), fx.Url(), script);
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 7u);
    const Snapshot& shown = run.dumps[0];
    EXPECT_FALSE(shown.List().is_null());
    EXPECT_EQ(shown.Label("LabelCargando"), std::nullopt);
    EXPECT_EQ(shown.Texts(101), Strings({"¿Qué pasó en Peñón?", "Mayúsculas"}));
    EXPECT_EQ(shown.Texts(102), Strings({"10:00", "11:00"}));
    EXPECT_EQ(shown.Texts(103).at(0), "¡Sí, señor!");
    EXPECT_EQ(shown.Elements(105).size(), 0u);
    EXPECT_EQ(shown.Menu(), "closed");
    EXPECT_EQ(run.dumps[1].Menu(), "shown");
    // A group in a section is not read; rows without a link say so, with
    // links they open.
    EXPECT_FALSE(run.dumps[2].List().is_null());
    EXPECT_TRUE(run.dumps[2].Texts(101).empty());
    EXPECT_EQ(run.dumps[2].Label("LabelCargando"), std::nullopt);
    EXPECT_EQ(run.dumps[3].Texts(101), Strings({"Año España"}));
    EXPECT_EQ(run.dumps[4].BoxText(), "Lo sentimos, esta nota no esta disponible por el momento.");
    EXPECT_EQ(run.dumps[4].BoxTitle(), "TestHttpGet");
    EXPECT_EQ(run.dumps[5].Label("LabelSeccion"), "DEPORTES");
    EXPECT_EQ(run.dumps[5].BoxText(), std::nullopt);
    EXPECT_EQ(run.dumps[5].Texts(102).at(0), "1:00");
    EXPECT_EQ(fx.Server().RequestCount("/nota1.xml"), 0);
    EXPECT_EQ(run.dumps[6].Form(), "IDF_FORM_FOTOGALERIA");
    EXPECT_EQ(fx.Server().RequestCount("/galeria1.xml"), 1);
}

// Every screen of the catalogue, opened from the menu on the program's own
// sample edition, shows its title and its own feed's headlines with their
// thumbnails, and keeps that feed in its cache file; "Primera" leads back
// to the front page and "Salir" ends the program.
TEST(HeadlinesTest, EveryCatalogueScreenShowsItsTitleAndHeadlines) {
    struct Screen {
        const char* choose; // the menu path
        const char* title;
        const char* feed;
        const char* cache;
    };
    const Screen screens[] = {
        {"Mexico", "MEXICO", "/mobile/mexico.xml", "mexico.xml"},
        {"Mundo", "MUNDO", "/mobile/mundo.xml", "mundo.xml"},
        {"Estados", "ESTADOS", "/mobile/estados.xml", "estados.xml"},
        {"DF", "DF", "/mobile/df.xml", "df.xml"},
        {"EdoMex", "ESTADO DE MEXICO", "/mobile/edomex.xml", "edomex.xml"},
        {"Vialidad", "VIALIDAD", "/mobile/notas/vialidad.xml", "vialidad.xml"},
        {"Cartera", "CARTERA", "/mobile/finanzas.xml", "finanzas.xml"},
        {"Deportes", "DEPORTES", "/mobile/deportes.xml", "deportes.xml"},
        {"Showbis", "SHOWBIS", "/mobile/espectaculos.xml", "espectaculos.xml"},
        {"Mas...\nchoose Fotogaleria", "FOTOGALERIA", "/mobile/fg.xml", "fotogaleria.xml"},
        {"Mas...\nchoose Minuto x Minuto", "MxM", "/mobile/pregoneromxm.xml", "mxm.xml"},
        {"Mas...\nchoose Estilos", "ESTILOS", "/mobile/estilos.xml", "estilos.xml"},
        {"Mas...\nchoose Tecno", "TECNO", "/mobile/computo.xml", "computo.xml"},
        {"Mas...\nchoose Letras + Artes", "LETRAS + ARTES", "/mobile/cultura.xml", "cultura.xml"},
        {"Mas...\nchoose Autopistas", "AUTOPISTAS", "/mobile/autopistas.xml", "autopistas.xml"},
        {"Mas...\nchoose Ciencia", "CIENCIA", "/mobile/ciencia.xml", "ciencia.xml"},
        {"Mas...\nchoose Destinos", "DESTINOS", "/mobile/destinos.xml", "destinos.xml"},
        {"Mas...\nchoose Sociedad", "SOCIEDAD", "/mobile/sociedad.xml", "sociedad.xml"},
        {"Mas...\nchoose Opinion", "OPINION", "/mobile/editorial.xml", "opinion.xml"},
    };
    FeedFixture fx("catalogue");
    std::string script = "wait 30\ndump\n";
    for (const Screen& screen : screens) {
        script += std::string("option\nchoose ") + screen.choose + "\nwait 30\ndump\n";
    }
    script += "option\nchoose Primera\nwait 30\ndump\noption\nchoose Salir\nwait 30\ndump\n";
    // No feed server given: the program writes and serves its own sample edition.
    const ProgramRun run = ProgramRun::Start(fx.Home(), "", script,
                                             {.timeoutSeconds = 300, .launcher = {}, .args = {}});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), std::size(screens) + 2) << "Salir ends before the last dump";
    EXPECT_TRUE(fx.HomeHas("sample/.stamp"));
    const std::string front = fx.ReadHome("Res/2notashome.xml");
    EXPECT_NE(front.find("<root"), std::string::npos);
    EXPECT_EQ(front.find("{{FEED_SERVER}}"), std::string::npos);
    for (std::size_t i = 0; i < run.dumps.size(); ++i) {
        const Snapshot& dump = run.dumps[i];
        SCOPED_TRACE(i == 0 ? "PRIMERA" : i <= std::size(screens) ? screens[i - 1].title : "back");
        EXPECT_FALSE(dump.Texts(101).empty());
        EXPECT_FALSE(dump.Elements(-1, "bitmap").empty());
        for (const auto& picture : dump.Elements(-1, "bitmap")) {
            EXPECT_EQ(picture["bitmap"]["width"], 176);
            EXPECT_EQ(picture["bitmap"]["height"], 176);
        }
        EXPECT_TRUE(dump.Elements(-1, "empty").empty());
        if (i == 0 || i > std::size(screens)) {
            EXPECT_EQ(dump.Form(), "IDF_FORM_PORTADA");
            EXPECT_EQ(dump.Label("LabelPortada"), "PRIMERA");
            continue;
        }
        const Screen& screen = screens[i - 1];
        EXPECT_EQ(dump.Form(), "IDF_FORM_SECCION");
        EXPECT_EQ(dump.Label("LabelSeccion"), screen.title);
        EXPECT_TRUE(fx.HomeHas(std::string("Res/") + screen.cache)) << screen.cache;
        // The headlines are those of the section's own feed: each is about one
        // of the topics the sample edition gives that feed.
        const auto& sections = feeds::SampleSections();
        const auto section = std::find_if(sections.begin(), sections.end(),
                                          [&](const auto& s) { return s.path == screen.feed; });
        ASSERT_NE(section, sections.end()) << screen.feed;
        for (const std::string& headline : dump.Texts(101)) {
            EXPECT_TRUE(std::any_of(section->topics.begin(), section->topics.end(),
                                    [&](const std::string& topic) {
                                        return headline.find(topic) != std::string::npos;
                                    }))
                << headline << " is not about a topic of " << screen.feed;
        }
    }
}

} // namespace
} // namespace pregonero::e2e
