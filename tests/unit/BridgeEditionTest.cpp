// From an OPML list and the sources' items to the edition's files: which
// section an outline fills, what a bad list says, how a section's sources
// merge, what the front page takes, and how times show in a zone.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "feedserver/bridge/EditionBuilder.h"
#include "feedserver/bridge/EditionClock.h"
#include "feedserver/bridge/OpmlReader.h"
#include "feedserver/bridge/SectionTable.h"
#include "tests/support/ReadAll.h"
#include "tests/support/HostileText.h"

namespace pregonero::feeds {
namespace {

using testing_support::ReadAll;

// 3 March 2026, 12:00 UTC.
constexpr std::int64_t kNoon = 1772539200;

std::string Opml(const std::string& body) {
    return "<?xml version=\"1.0\"?><opml version=\"2.0\"><head><title>Mis diarios</title></head>"
           "<body>" +
           body + "</body></opml>";
}

int Section(const std::string& name) {
    return SectionTable::Find(name);
}

SourceItem Item(const std::string& guid, const std::string& link,
                std::optional<std::int64_t> published, const std::string& title = "") {
    SourceItem item;
    item.guid = guid;
    item.link = link;
    item.published = published;
    item.title = title.empty() ? guid + link : title;
    return item;
}

std::vector<std::string> Titles(const std::vector<const SourceItem*>& items) {
    std::vector<std::string> titles;
    for (const auto* item : items) {
        titles.push_back(item->title);
    }
    return titles;
}

TEST(BridgeEditionTest, OutlinesFillTheSectionTheyOrTheirFolderName) {
    OpmlReader list;
    ASSERT_TRUE(list.Read(Opml(R"(
      <outline text="primera" xmlUrl="https://diario.example.com/portada.rss"/>
      <outline text="Estado de México">
        <outline text="El Valle - noticias" xmlUrl="http://valle.example.org/feed"/>
        <outline title="  ESTADO   DE mexico " xmlUrl="http://valle.example.org/otro"/>
      </outline>
      <outline title="Mis favoritos">
        <outline text="Opinión" xmlUrl="https://diario.example.com/opinion.rss"/>
        <outline text="">
          <outline text="Minuto x Minuto" xmlUrl="HTTPS://mxm.example.net/"/>
        </outline>
      </outline>
      <outline text="Letras + Artes"><outline text="x" xmlUrl="http://a.example.com/c"/></outline>
      <outline text="Fotogalería" xmlUrl="http://fotos.example.com/galerias.json"/>
      <outline text="Deportes"/>)")))
        << list.Error();
    std::vector<std::pair<std::string, int>> got;
    for (const auto& source : list.Sources()) {
        got.emplace_back(source.url, source.section);
    }
    const std::vector<std::pair<std::string, int>> expected = {
        {"https://diario.example.com/portada.rss", Section("Portada")},
        {"http://valle.example.org/feed", Section("EdoMex")},
        {"http://valle.example.org/otro", Section("EdoMex")},
        {"https://diario.example.com/opinion.rss", Section("Opinion")},
        {"HTTPS://mxm.example.net/", Section("MxM")},
        {"http://a.example.com/c", Section("letras + artes")},
        {"http://fotos.example.com/galerias.json", Section("Fotogaleria")},
    };
    EXPECT_EQ(got, expected);
    OpmlReader example;
    EXPECT_TRUE(example.ReadFile(PREGONERO_EXAMPLE_OPML)) << example.Error();
    EXPECT_EQ(example.Sources().size(), 8u);
    EXPECT_EQ(Section("Mexic"), -1);
    EXPECT_EQ(Section("Ciencia y salud"), -1);
}

TEST(BridgeEditionTest, BadListsAreRefusedWithALineNamingTheCulprit) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "not an OPML file"},
        {"<rss version=\"2.0\"><channel/></rss>", "root element"},
        {Opml(R"(<outline text="Farándula" xmlUrl="http://a.example.com/f"/>)"),
         "outline \"Farándula\" names no section"},
        {Opml(R"(<outline text="Finanzas personales"><outline text="Bolsa"
                 xmlUrl="http://a.example.com/b"/></outline>)"),
         "outline \"Finanzas personales\" names no section"},
        {Opml(R"(<outline text="Mundo" xmlUrl="http://"/>)"), "is not an http or https URL"},
        {Opml(R"(<outline text="Mundo" xmlUrl="file:///etc/passwd"/>)"), "file:///etc/passwd"},
    };
    for (const auto& [bytes, expected] : cases) {
        OpmlReader list;
        EXPECT_FALSE(list.Read(bytes)) << bytes;
        EXPECT_NE(list.Error().find(expected), std::string::npos) << list.Error();
        EXPECT_LE(std::count(list.Error().begin(), list.Error().end(), '\n'), 1) << list.Error();
        EXPECT_TRUE(list.Sources().empty());
    }
    OpmlReader unknown;
    unknown.Read(Opml(R"(<outline text="Chismes" xmlUrl="http://a.example.com/f"/>)"));
    EXPECT_NE(unknown.Error().find("Portada, Primera, Mexico"), std::string::npos);
    EXPECT_NE(unknown.Error().find("Minuto x Minuto, MxM, Fotogaleria"), std::string::npos);

    OpmlReader missing;
    EXPECT_FALSE(missing.ReadFile("no-existe/diarios.opml"));
    EXPECT_NE(missing.Error().find("no-existe/diarios.opml"), std::string::npos);
}

TEST(BridgeEditionTest, SourcesOfASectionMergeNewestFirstEachStoryOnce) {
    EditionClock clock;
    std::string error;
    ASSERT_TRUE(clock.SetZone("UTC", &error));
    const std::vector<SourceItem> first = {
        Item("a", "https://uno.example.com/a", kNoon - 60, "a primero"),
        Item("", "https://uno.example.com/sin-guid", std::nullopt, "sin fecha 1"),
        Item("c", "", kNoon + 60, "c"),
        Item("", "", std::nullopt, "nada 1"),
    };
    const std::vector<SourceItem> second = {
        Item("a", "https://dos.example.com/otra", kNoon - 30, "a repetido, más nuevo"),
        Item("", "https://uno.example.com/sin-guid", kNoon, "misma liga, con fecha"),
        Item("b", "https://uno.example.com/a", kNoon, "b, liga de a pero otra guid"),
        Item("", "", std::nullopt, "nada 2"),
        Item("", "https://uno.example.com/a", kNoon - 1, "sin guid, liga de a"),
    };
    EditionBuilder builder(clock);
    builder.Add(Section("Mundo"), first);
    builder.Add(Section("Deportes"), second);
    builder.Add(Section("Mundo"), second);
    EXPECT_EQ(Titles(builder.Merged(Section("Mundo"))),
              (std::vector<std::string>{"c", "misma liga, con fecha", "b, liga de a pero otra guid",
                                        "a repetido, más nuevo", "nada 1", "nada 2"}));
    EXPECT_TRUE(builder.Merged(Section("Ciencia")).empty());
}

TEST(BridgeEditionTest, DescriptionsAreCutAtAWordWithAnEllipsis) {
    EXPECT_EQ(EditionBuilder::CutDescription("corto", 300), "corto");
    EXPECT_EQ(EditionBuilder::CutDescription("", 300), "");
    EXPECT_EQ(EditionBuilder::CutDescription("uno dos tres cuatro", 12), "uno dos…");
    EXPECT_EQ(EditionBuilder::CutDescription("uno, dos. tres", 11), "uno, dos…");
    EXPECT_EQ(EditionBuilder::CutDescription("palabralarguísima", 8), "palabra…");
    // Counted in characters, never cutting one in half.
    const std::string cut =
        EditionBuilder::CutDescription(testing_support::Repeat("ñá ", 200), 300);
    EXPECT_TRUE(cut.ends_with("ñá…")) << cut;
    std::size_t characters = 0;
    for (unsigned char c : cut) {
        characters += (c & 0xC0) != 0x80;
    }
    EXPECT_LE(characters, 300u);
    EXPECT_GE(characters, 295u);
}

TEST(BridgeEditionTest, TimesAndSpanishDatesFollowTheZone) {
    EditionClock mexico;
    std::string error;
    ASSERT_TRUE(mexico.SetZone("America/Mexico_City", &error)) << error;
    // Five past midnight UTC on Tuesday is still Monday evening in Mexico.
    EXPECT_EQ(mexico.LongDate(1772496300), "lunes 2 de marzo de 2026");
    EXPECT_EQ(mexico.Time(1772496300), "18:05");
    EditionClock madrid;
    ASSERT_TRUE(madrid.SetZone("Europe/Madrid", &error));
    // Summer time: 1 August 2026 12:00 UTC.
    EXPECT_EQ(madrid.Time(1785585600), "14:00");
    EXPECT_EQ(madrid.LongDate(1785585600), "sábado 1 de agosto de 2026");
    EditionClock bad;
    EXPECT_FALSE(bad.SetZone("Marte/Olympus_Mons", &error));
    EXPECT_NE(error.find("Marte/Olympus_Mons"), std::string::npos);
}

TEST(BridgeEditionTest, EditionHasEveryFeedWellFormedAndAFrontPageFromTheNewest) {
    EditionClock clock;
    std::string error;
    ASSERT_TRUE(clock.SetZone("America/Mexico_City", &error));
    std::vector<SourceItem> sports;
    for (int i = 0; i < 40; ++i) {
        SourceItem item = Item("d" + std::to_string(i), "", kNoon + i * 60);
        item.summary = "Resumen <con> \"comillas\" & más";
        item.body = "\n  Primer párrafo ]]> sigue.\nSegundo\x01 párrafo.";
        item.author = i == 0 ? "Ana Pérez" : "";
        item.pictures = {{"https://fotos.example.com/" + std::to_string(i) + ".jpg", "Pie"}};
        sports.push_back(item);
    }
    std::vector<SourceItem> galleries = {Item("g1", "", kNoon, "Sin fotos"),
                                         Item("g2", "", std::nullopt, "Carnaval")};
    galleries[1].pictures = {{"https://fotos.example.com/1.jpg", "Comparsa"},
                             {"https://fotos.example.com/2.jpg", ""}};
    EditionBuilder builder(clock);
    builder.Add(Section("Deportes"), sports);
    builder.Add(Section("Fotogaleria"), galleries);
    const auto dir =
        std::filesystem::temp_directory_path() / ("bridge-edition-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    ASSERT_TRUE(builder.Write(dir, &error)) << error;

    for (const auto& section : SectionTable::Sections()) {
        const std::string feed = ReadAll(dir / section.path.substr(1));
        EXPECT_TRUE(feed.starts_with("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>"))
            << section.path;
        EXPECT_TRUE(feed.ends_with("</root>\n")) << section.path;
    }
    EXPECT_EQ(ReadAll(dir / "mobile/ciencia.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n</root>\n");
    const std::string front = ReadAll(dir / "mobile/2notashome.xml");
    EXPECT_NE(front.find("<group Title=\"Portada\">"), std::string::npos);
    EXPECT_EQ(std::count(front.begin(), front.end(), '\n') - 5, 30);
    // The newest first, linking to its article in the section.
    EXPECT_NE(front.find("<article Title=\"d39\" Link=\"{{FEED_SERVER}}/notas/deportes/1.xml\" "
                         "PubTime=\"06:39\" ImgUrl=\"https://fotos.example.com/39.jpg\" "
                         "Description=\"Resumen &lt;con&gt; &quot;comillas&quot; &amp; más\"/>"),
              std::string::npos)
        << front;
    EXPECT_EQ(front.find("Carnaval"), std::string::npos);
    EXPECT_EQ(front.find("d9\""), std::string::npos);

    EXPECT_EQ(ReadAll(dir / "notas/deportes/40.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n"
              "  <article Title=\"d0\" Author=\"Ana Pérez\" PubDate=\"martes 3 de marzo de 2026\" "
              "PubTime=\"06:00\" ImgLink=\"https://fotos.example.com/0.jpg\" ImgDes=\"Pie\">"
              "<![CDATA[Primer párrafo ]]]]><![CDATA[> sigue.\nSegundo párrafo.]]></article>\n"
              "</root>\n");
    const std::string fg = ReadAll(dir / "mobile/fg.xml");
    EXPECT_EQ(fg.find("Sin fotos"), std::string::npos);
    EXPECT_NE(fg.find("Title=\"Carnaval\" Link=\"{{FEED_SERVER}}/galerias/1.xml\" PubTime=\"\" "
                      "ImgUrl=\"https://fotos.example.com/1.jpg\""),
              std::string::npos)
        << fg;
    EXPECT_EQ(ReadAll(dir / "galerias/1.xml"),
              "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n"
              "  <article Title=\"Carnaval\" ImgUrl=\"https://fotos.example.com/1.jpg\" "
              "ImgDes=\"Comparsa\"/>\n"
              "  <article Title=\"Carnaval\" ImgUrl=\"https://fotos.example.com/2.jpg\" "
              "ImgDes=\"\"/>\n</root>\n");
    std::filesystem::remove_all(dir);
}

} // namespace
} // namespace pregonero::feeds
