#include "feedserver/sources/FeedDate.h"
#include "feedserver/sources/FeedEncoding.h"
#include "feedserver/sources/HtmlText.h"
#include "feedserver/sources/SourceFeedReader.h"
#include "feedserver/sources/SourceUrl.h"
#include "tests/support/ReadAll.h"
#include "tests/support/HostileText.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace pregonero::feeds;
using testing_support::LaughsDoctype;
using testing_support::Repeat;

namespace {

const std::string kFeedUrl = "http://127.0.0.1:8080/feeds/seccion.xml";

std::string Fixture(const std::string& name) {
    return testing_support::ReadAll(std::string(PREGONERO_SOURCE_FIXTURES) + "/" + name);
}

SourceFeed Read(const std::string& bytes, const std::string& contentType = "") {
    SourceFeed feed;
    std::string error;
    EXPECT_TRUE(SourceFeedReader::Read(bytes, kFeedUrl, contentType, &feed, &error)) << error;
    return feed;
}

SourceFeed ReadFixture(const std::string& name) {
    SCOPED_TRACE(name);
    return Read(Fixture(name));
}

// "url|caption" per picture, in order.
std::vector<std::string> Pictures(const SourceItem& item) {
    std::vector<std::string> out;
    for (const SourcePicture& picture : item.pictures) {
        out.push_back(picture.url + "|" + picture.caption);
    }
    return out;
}

// Every fixture file but the README.
std::vector<std::string> FixtureNames() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(PREGONERO_SOURCE_FIXTURES)) {
        if (entry.is_regular_file() && entry.path().filename() != "README") {
            names.push_back(entry.path().filename().string());
        }
    }
    return names;
}

bool IsWeb(const std::string& url) {
    return url.rfind("http://", 0) == 0 || url.rfind("https://", 0) == 0;
}

std::string Rss(const std::string& items, const std::string& prologue = "") {
    return prologue +
           "<rss version=\"2.0\" xmlns:media=\"http://search.yahoo.com/mrss/\"><channel><title>T"
           "</title>" +
           items + "</channel></rss>";
}

} // namespace

TEST(SourceFeedReaderTest, EveryFixtureReadsAndOnlyTheBrokenOnesAreIllFormed) {
    const std::set<std::string> illFormed = {"rss-content-outside.xml", "rss-stray-ampersand.xml",
                                             "rss-undeclared-entities.xml", "rss-unclosed.xml",
                                             "rss-windows-1252.xml"};
    const std::vector<std::string> names = FixtureNames();
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        SourceFeed feed = Read(Fixture(name));
        EXPECT_FALSE(feed.title.empty());
        EXPECT_EQ(feed.items.empty(), name == "rss-empty.xml");
        EXPECT_EQ(feed.illFormed, illFormed.count(name) == 1);
        for (const SourceItem& item : feed.items) {
            EXPECT_TRUE(item.link.empty() || IsWeb(item.link)) << item.link;
            for (const SourcePicture& picture : item.pictures) {
                EXPECT_TRUE(IsWeb(picture.url)) << picture.url;
            }
            for (const std::string* text : {&item.title, &item.summary, &item.body}) {
                if (name != "atom-text.xml") { // its text speaks of tags
                    EXPECT_EQ(text->find('<'), std::string::npos) << *text;
                }
                EXPECT_EQ(text->find("&nbsp;"), std::string::npos) << *text;
                EXPECT_EQ(text->find("  "), std::string::npos) << *text;
            }
        }
    }
    EXPECT_GE(names.size(), 40u);
}

TEST(SourceFeedReaderTest, FieldsComeOutAsEachFormatSaysThem) {
    SourceFeed rss = ReadFixture("rss-content-encoded.xml");
    ASSERT_EQ(rss.items.size(), 2u);
    // Its first item's title, author, summary, body and date are checked end to end.
    EXPECT_EQ(rss.items[0].link, "https://heraldo.example.com/local/presupuesto-2027");
    EXPECT_EQ(rss.items[0].guid, "heraldo-10231");

    SourceItem atom = ReadFixture("atom-xhtml.xml").items.at(0);
    EXPECT_EQ(atom.title, "Nueva línea de autobús al hospital"); // type="html", markup dropped
    EXPECT_EQ(atom.author, "Pablo Ortega");
    EXPECT_EQ(atom.guid, "tag:heraldo.example.com,2026:20771");
    EXPECT_EQ(atom.published, 1772533200); // published, not updated
    EXPECT_EQ(atom.body,
              "La línea 9 empezará a funcionar el lunes.\n• Cada 15 minutos\n• De 6 a 23 horas");

    SourceItem text = ReadFixture("atom-text.xml").items.at(0);
    EXPECT_EQ(text.title, "Cómo funciona <html> en la escuela"); // type="text" is not markup
    EXPECT_EQ(text.body,
              "Los alumnos aprenden que <p> marca un párrafo.\nSegunda línea del texto.");

    SourceFeed atomHtml = ReadFixture("atom-html.xml");
    EXPECT_EQ(atomHtml.items.at(0).body, "El partido, disputado bajo la lluvia, terminó 0-0.\n"
                                         "Las claves\nDos paradas del portero local.");
    EXPECT_EQ(atomHtml.items.at(1).author, "");            // never invented
    EXPECT_EQ(atomHtml.items.at(1).published, 1772992800); // updated when not published
    EXPECT_EQ(ReadFixture("atom-enclosure.xml").items.at(0).author, "Redacción de Llanos");
    // Content kept elsewhere (src) is not the body: the summary is.
    SourceFeed outOfLine =
        Read("<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>A</title><entry><title>E</title>"
             "<summary>Resumen.</summary><content src=\"https://a.example.com/c\" "
             "type=\"text/html\"/></entry></feed>");
    EXPECT_EQ(outOfLine.items.at(0).body, "Resumen.");
    // RSS 0.9x put items beside the channel, not in it.
    EXPECT_EQ(
        Read("<rss><channel><title>C</title></channel><item><title>Fuera</title></item></rss>")
            .items.at(0)
            .title,
        "Fuera");

    SourceFeed rdf = ReadFixture("rdf.xml");
    EXPECT_EQ(rdf.items.at(0).author, "Servicio de Aguas");
    EXPECT_EQ(rdf.items.at(0).guid, "https://boletin.example.com/avisos/agua");
    EXPECT_EQ(rdf.items.at(1).published, 1773187200); // a date alone is its midnight UTC

    SourceFeed json = ReadFixture("jsonfeed.json");
    EXPECT_EQ(json.items.at(0).author, "Sara Molina, Iván Prieto");
    EXPECT_EQ(json.items.at(1).guid, "3002");
    EXPECT_EQ(json.items.at(1).author, "Redacción del Valle"); // the feed's authors
    EXPECT_EQ(json.items.at(1).body,
              "La fuente de los leones vuelve a manar.\nCon agua reciclada.");
    EXPECT_EQ(json.items.at(1).title,
              "La fuente de los leones vuelve a manar. Con agua reciclada.");
    EXPECT_EQ(json.items.at(2).link, ""); // "url": 42
    EXPECT_FALSE(json.items.at(2).published);
    EXPECT_EQ(ReadFixture("jsonfeed-v1.json").items.at(0).author, "Mónica Soler");

    SourceFeed people = ReadFixture("rss-guid-permalink.xml");
    EXPECT_EQ(people.items.at(0).link, "https://puerto.example.net/estados/agua");
    EXPECT_EQ(people.items.at(0).author, "Ana López");
    EXPECT_EQ(people.items.at(1).link, "");
    EXPECT_EQ(ReadFixture("rss-itunes.xml").items.at(0).author, "Carmen Vidal");
    EXPECT_EQ(ReadFixture("rss-other-prefixes.xml").items.at(0).author, "Elena Castro");
}

TEST(SourceFeedReaderTest, ItemsWithoutTitleOrDateKeepWhatTheyHave) {
    SourceFeed feed = ReadFixture("rss-no-titles.xml");
    ASSERT_EQ(feed.items.size(), 2u);
    EXPECT_EQ(feed.items[0].title,
              "Se reabre al tráfico la carretera de la costa tras el desprendimiento…");
    EXPECT_EQ(feed.items[1].title, "");
    EXPECT_EQ(feed.items[1].guid, "mxm-2");
    for (const SourceItem& item : ReadFixture("rss-no-dates.xml").items) {
        EXPECT_FALSE(item.published) << item.title;
    }
    SourceItem lone =
        Read(Rss("<item><description>" + std::string(150, 'x') + "</description></item>"))
            .items.at(0);
    EXPECT_LE(lone.title.size(), 100 + std::string("…").size());
    EXPECT_EQ(lone.title.substr(lone.title.size() - 3), "…");
}

TEST(SourceFeedReaderTest, LenientOnBrokenXmlAndWrongEncodings) {
    EXPECT_EQ(ReadFixture("rss-undeclared-entities.xml").items.at(0).title,
              "José Muñoz, el pastor que cumple 100 años");
    SourceItem amp = ReadFixture("rss-stray-ampersand.xml").items.at(0);
    EXPECT_EQ(amp.title, "Pérez & Hijos abre su tercera tienda");
    EXPECT_EQ(amp.link, "https://valle.example.org/cartera/perez?id=7&ref=portada");
    SourceFeed unclosed = ReadFixture("rss-unclosed.xml");
    EXPECT_EQ(unclosed.items.at(0).summary, "Los delegados llegan a un acuerdo parcial.");
    EXPECT_EQ(ReadFixture("rss-content-outside.xml").items.size(), 1u);
    EXPECT_EQ(ReadFixture("rss-windows-1252.xml").items.at(0).title,
              "“Nunca vimos una helada así”, dicen los agricultores");
    EXPECT_EQ(ReadFixture("rss-latin1.xml").items.at(0).title,
              "El coro de la catedral cumple cien años");
    EXPECT_EQ(ReadFixture("rss-utf8-bom.xml").items.at(0).title,
              "Año nuevo, nieve nueva en la estación");
    // An internal entity reads; an external one is never loaded.
    SourceItem entities = ReadFixture("rss-doctype-entities.xml").items.at(0);
    EXPECT_EQ(entities.title, "Hola desde el valle");
    EXPECT_EQ(entities.summary, "Entidad externa: []");

    // No declaration, Windows-1252 bytes, served as UTF-8: read as Windows-1252.
    SourceFeed undeclared = Read(Rss("<item><title>Caf\xE9 \x93solo\x94</title></item>"),
                                 "application/rss+xml; charset=utf-8");
    EXPECT_EQ(undeclared.items.at(0).title, "Café “solo”");
    EXPECT_TRUE(undeclared.illFormed);
    // UTF-8 text declared ISO-8859-1: the bytes win.
    SourceFeed utf8 = Read(
        Rss("<item><title>Café</title></item>", "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"));
    EXPECT_EQ(utf8.items.at(0).title, "Café");
    // A server's charset is a hint the declaration overrides.
    // UTF-16 with its byte-order mark is decoded by the parser.
    std::string ascii =
        Rss("<item><title>Ni&#241;o</title></item>", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>");
    std::string utf16 = "\xFF\xFE";
    for (char c : ascii) {
        utf16 += c;
        utf16 += '\0';
    }
    EXPECT_EQ(Read(utf16).items.at(0).title, "Niño");
    SourceFeed latin = Read(Rss("<item><title>Ni\xF1o</title></item>",
                                "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>"),
                            "text/xml; charset=utf-8");
    EXPECT_EQ(latin.items.at(0).title, "Niño");
    EXPECT_FALSE(latin.illFormed);
}

// Newspapers outside the West often label their feeds only in the HTTP header.
TEST(SourceFeedReaderTest, AServersCharsetReadsADocumentThatDeclaresNone) {
    struct Case {
        const char* label;
        std::string title;
        std::string expected;
    };
    for (const Case& c : std::vector<Case>{
             {"koi8-r", "\xEE\xCF\xD7\xCF\xD3\xD4\xC9 \xC4\xCE\xD1", "Новости дня"},
             {"Windows-1251", "\xCF\xEE\xE3\xEE\xE4\xE0 \xED\xE0 \xE7\xE0\xE2\xF2\xF0\xE0",
              "Погода на завтра"},
             {"\"ISO-8859-2\"", "\xA6nieg w g\xF3rach, mr\xF3z w \xA3odzi",
              "Śnieg w górach, mróz w Łodzi"},
             {"shift_jis", "\x8D\xA1\x93\xFA\x82\xCC\x83j\x83\x85\x81[\x83X", "今日のニュース"},
             // Bytes that are valid UTF-8 are UTF-8 whatever the label.
             {"koi8-r", "Новости дня", "Новости дня"}}) {
        SCOPED_TRACE(c.label);
        std::string type = std::string("application/rss+xml; charset=") + c.label;
        std::string item = "<item><title>" + c.title + "</title></item>";
        EXPECT_EQ(Read(Rss(item), type).items.at(0).title, c.expected);
        EXPECT_EQ(Read(Rss(item, "<?xml version=\"1.0\"?>\n"), type).items.at(0).title, c.expected);
    }
    // A document that declares its encoding is read by its declaration.
    SourceFeed declared = Read(Rss("<item><title>\xCF\xEE\xE3\xEE\xE4\xE0</title></item>",
                                   "<?xml version=\"1.0\" encoding=\"windows-1251\"?>"),
                               "text/xml; charset=koi8-r");
    EXPECT_EQ(declared.items.at(0).title, "Погода");
}

// libxml2 prints on its own unless told not to: neither bytes that are not
// UTF-8, left in an xhtml attribute by the recovering parse (a server's
// charset no converter reads), nor a declared encoding the bytes break may
// put its complaints on the terminal. A charset that names nothing is as if
// the server had sent none to the parser, which still tells UTF-16 by its
// first bytes.
TEST(SourceFeedReaderTest, HostileEncodingsLeaveStderrAlone) {
    const std::string atom =
        "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>Diario</title><entry>"
        "<id>urn:nota:1</id><title>Nota</title><content type=\"xhtml\">"
        "<div xmlns=\"http://www.w3.org/1999/xhtml\"><p title=\"\xA1"
        "Caf\xE9 fr\xED"
        "o!\">"
        "Texto de la nota.</p></div></content></entry></feed>";
    std::string utf16;
    for (char c : Rss("<item><title>Ni\xF1o</title></item>", "<?xml version=\"1.0\"?>")) {
        utf16 += c;
        utf16 += '\0';
    }
    testing::internal::CaptureStderr();
    for (const std::string& label :
         {std::string("x-nonsense"), std::string("utf-16"), Repeat("koi8-r", 1700),
          std::string("\"koi8-r\\\"\""), std::string("koi8-r\0\xFF", 8)}) {
        SCOPED_TRACE(label.substr(0, 20));
        SourceFeed text = Read(atom, "application/atom+xml; charset=" + label);
        SourceFeed wide = Read(utf16, "text/xml; charset=" + label);
        EXPECT_EQ(text.items.empty() ? "" : text.items[0].body, "Texto de la nota.");
        EXPECT_EQ(wide.items.empty() ? "" : wide.items[0].title, "Niño");
    }
    SourceFeed declared = Read("<?xml version=\"1.0\" encoding=\"Shift_JIS\"?>" + atom);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(declared.items.at(0).title, "Nota");
}

TEST(SourceFeedReaderTest, NothingReadableIsAOneLineFailure) {
    for (const std::string& bytes :
         {std::string(), std::string("   \n"), std::string("<html><body>Hola</body></html>"),
          std::string("no es XML"), std::string("{\"version\": \"1\", \"items\": []}"),
          std::string("{\"version\": \"https://jsonfeed.org/version/1.1\"}"), std::string("{ roto"),
          std::string("<rss version=\"2.0\"></rss>")}) {
        SourceFeed feed;
        feed.items.push_back({});
        std::string error;
        EXPECT_FALSE(SourceFeedReader::Read(bytes, kFeedUrl, "", &feed, &error)) << bytes;
        EXPECT_FALSE(error.empty()) << bytes;
        EXPECT_EQ(error.find('\n'), std::string::npos);
        EXPECT_TRUE(feed.items.empty()) << "a failed read leaves no items behind";
    }
}

TEST(SourceFeedReaderTest, DatesInEveryFormFeedsUse) {
    const std::int64_t noon = 1772539200; // 2026-03-03 12:00 UTC
    for (const SourceItem& item : ReadFixture("rss-date-zones.xml").items) {
        EXPECT_EQ(item.published, noon) << item.title;
    }
    for (const SourceItem& item : ReadFixture("rss-broken-dates.xml").items) {
        if (item.title == "Fecha no-es-fecha") {
            EXPECT_FALSE(item.published);
        } else if (item.title == "Fecha miercoles") {
            EXPECT_EQ(item.published, 1767528000) << item.title; // 4 de enero
        } else {
            EXPECT_EQ(item.published, noon) << item.title;
        }
    }
    struct Case {
        const char* text;
        std::optional<std::int64_t> epoch;
    };
    const Case cases[] = {
        {"2026-03-03T12:00:00.123456Z", noon},
        {"2026-03-03T13:30:00+01:30", noon},
        {"2026-03-03T07:00:00-0500", noon},
        {"2026-03-03t12:00z", noon},
        {"  Tue, 03 Mar 2026 12:00:00 GMT\n", noon},
        {"Tue, 03 Mar 2026 12:00:00 GMT+0100", noon - 3600},
        {"Tue, 03 Mar 2026 13:00:00 CET", noon},
        {"Wed, 04 Mar 2026 00:00:00 M", noon}, // military M is +12
        {"Tue, 03 Mar 2026 00:00:00 Y", noon}, // and Y is -12
        {"3 de marzo de 2026 12:00", noon},
        {"March 3, 2026 12:00:00 UTC", noon},
        {"Mar 3, 2026 7:00 PM EST", noon + 12 * 3600},
        {"Mar 4, 2026 12:00 am +1200", noon},
        {"Tue, 03 Mar 99 12:00:00 GMT", 920462400}, // 1999
        {"2024-02-29", 1709164800},
        {"1 ene 1970 00:00:00", 0},
        {"Sat, 31 Dec 2016 23:59:60 GMT", 1483228799}, // a leap second
        {"2026-02-29T00:00:00Z", std::nullopt},
        {"2026-13-01", std::nullopt},
        {"Tue, 32 Mar 2026 12:00:00 GMT", std::nullopt},
        {"Tue, 03 Mar 2026 25:00:00 GMT", std::nullopt},
        {"12/03/2026", std::nullopt},
        {"03 2026", std::nullopt},
        {"ayer por la tarde", std::nullopt},
        {"2026-03-03T12:00:00+99:00", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FeedDate::Parse(c.text), c.epoch) << c.text;
    }
}

TEST(SourceFeedReaderTest, HtmlBecomesTheTextTheReaderShows) {
    struct Case {
        const char* html;
        const char* body;
    };
    const Case cases[] = {
        {"<p>Uno</p><p>Dos</p>", "Uno\nDos"},
        {"<h2>Título</h2>texto<br>otra<br><br><br>línea", "Título\ntexto\notra\nlínea"},
        {"<ul><li>a</li><li><b>b</b> c</li></ul><ol><li>d</ol>", "• a\n• b c\n• d"},
        {"<p>Ver <a href=\"https://x.example.com/\">el vídeo</a>.</p>", "Ver el vídeo."},
        {"a<script>x()</script><style>p{}</style><iframe>i</iframe><form><label>f</label><input>"
         "</form>b",
         "ab"},
        {"  muchos \t\n espacios&nbsp;&nbsp;y&#160;más  ", "muchos espacios y más"},
        {"&eacute;&lt;&amp;&gt;&#8364;&#x1F600;&bogus;", "é<&>€😀&bogus;"},
        {"<p>sin cerrar<p>otro<div>bloque", "sin cerrar\notro\nbloque"},
        {"<table><tr><td>1</td><td>2</td></tr><tr><td>3</td></tr></table>", "1 2\n3"},
        {"<noscript>activa JS</noscript><!-- nota -->visible", "visible"},
        {"texto plano sin marcas", "texto plano sin marcas"},
        {"control\x01\x7F chars", "control chars"},
        {"<p>malo \xC3\x28 \xFF</p>", "malo \xEF\xBF\xBD( \xEF\xBF\xBD"},
        {"malo \xE2\x82", "malo \xEF\xBF\xBD\xEF\xBF\xBD"},
        // What a one-pass reader of markup could get wrong.
        {"a<!-- <p>x</p> -->b<!-->c<!--->d<![CDATA[e]]>f<?php g ?>h<!DOCTYPE html>i", "abcdfhi"},
        {"<img alt='a > b' src=x>uno<p title=\"<p>\">dos</p>tres<b", "uno\ndos\ntres"},
        {"<script>if (a</p>b) {}</script>sí<SCRIPT>x</SCRIPT >no", "síno"},
        {"&#0;&#x110000;&#xD800;&#128;&#150;&#65&#x42;",
         "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD€–AB"},
        {"&amp &copy2026 &notit; &apos;&#;&#x;& fin", "& ©2026 ¬it; '&#;&#x;& fin"},
        {"<svg/>uno<embed src=x>dos<form><form>x</form>y</form>tres", "unodostres"},
        {"<title>Tí&iacute;tulo</title><select><option>x</select>", "Tíítulo"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HtmlText::Body(c.html, "", nullptr), c.body) << c.html;
    }
    EXPECT_EQ(HtmlText::Line("<p>Uno</p><ul><li>dos</li></ul>"), "Uno dos");
    EXPECT_EQ(HtmlText::PlainBody("  línea uno \r\n\n\n  línea   dos "), "línea uno\nlínea dos");
    EXPECT_EQ(ReadFixture("rss-html-body.xml").items.at(0).body,
              "Cuándo\nEl 12 de agosto, al atardecer.\nDónde verlo\n• En la sierra\n"
              "• En la costa norte\nPrimera línea\nsegunda línea\n• Gafas homologadas\n"
              "Más en «Ciencia» & “Tecno”.");
}

TEST(SourceFeedReaderTest, PicturesComeInTheChosenOrderWithCaptions) {
    using V = std::vector<std::string>;
    // Each fixture's first item: its pictures as "url|caption", in order.
    const std::pair<const char*, V> fixtures[] = {
        {"rss-media-widths.xml", {"https://valle.example.org/f/vendimia-1600.jpg|"}},
        {"rss-media-group.xml",
         {"https://valle.example.org/g/roque-1.jpg|El pregón desde el balcón del ayuntamiento.",
          "https://valle.example.org/g/roque-2.jpg|La procesión",
          "https://valle.example.org/g/roque-3.jpg|Fuegos artificiales sobre el río.",
          "https://valle.example.org/g/roque-4.jpg|Una peña en la plaza"}},
        {"rss-media-thumbnail.xml",
         {"https://puerto.example.net/m/crucero-thumb.jpg|El buque atraca al amanecer"}},
        {"rss-enclosure-image.xml", {"https://puerto.example.net/d/ascenso.jpg|"}},
        {"rss-itunes.xml", {"https://heraldo.example.com/podcast/portada-41.jpg|"}},
        {"rss-media-type.xml",
         {"https://heraldo.example.com/c/retablo.webp|",
          "https://heraldo.example.com/c/caliz.jpg|"}},
        {"rss-tracking-pixel.xml",
         {"https://heraldo.example.com/fotos/fibra.jpg|Operarios tienden el cable en la calle "
          "Real."}},
        {"rss-figure-caption.xml",
         {"https://heraldo.example.com/d/faro.jpg|El faro de Punta Negra, encendido desde 1890.",
          "https://heraldo.example.com/d/cala.jpg|Cala escondida."}},
        {"rss-unsafe-urls.xml", {"https://valle.example.org/f/buena.jpg|La única buena"}},
        {"jsonfeed.json",
         {"https://valle.example.org/f/puente.jpg|",
          "https://valle.example.org/f/puente-inline.jpg|El puente"}},
        {"jsonfeed-v1.json", {"https://puerto.example.net/j/regata.jpg|"}},
    };
    for (const auto& [name, pictures] : fixtures) {
        EXPECT_EQ(Pictures(ReadFixture(name).items.at(0)), pictures) << name;
    }
    EXPECT_TRUE(ReadFixture("rss-media-group.xml").items.at(1).pictures.empty());
    EXPECT_EQ(Pictures(ReadFixture("atom-media-gallery.xml").items.at(0)).size(), 2u)
        << "a thumbnail is not a photo of its own";
    // Same-width media:content are a gallery, not renditions; the picture
    // named twice appears once, with the caption one of its mentions gives.
    SourceFeed gallery = Read(Rss(
        "<item><media:content url=\"https://f.example.com/1.jpg\" medium=\"image\" width=\"800\"/>"
        "<media:content url=\"https://f.example.com/2.jpg\" medium=\"image\" width=\"800\"/>"
        "<media:content url=\"https://f.example.com/3.jpg\" medium=\"image\" width=\"3000\"/>"
        "<enclosure url=\"https://f.example.com/1.jpg\" type=\"image/jpeg\"/>"
        "<description>&lt;img src='https://f.example.com/2.jpg' alt='Dos'&gt;</description>"
        "</item>"));
    // Renditions all wider than the screen wants: the narrowest.
    SourceFeed wide =
        Read(Rss("<item><media:content url=\"https://f.example.com/4000.jpg\" width=\"4000\"/>"
                 "<media:content url=\"https://f.example.com/2000.jpg\" width=\"2000\"/></item>"));
    EXPECT_EQ(Pictures(wide.items.at(0)), V{"https://f.example.com/2000.jpg|"});
    EXPECT_EQ(Pictures(gallery.items.at(0)),
              (V{"https://f.example.com/1.jpg|", "https://f.example.com/2.jpg|Dos",
                 "https://f.example.com/3.jpg|"}));
}

TEST(SourceFeedReaderTest, RelativeUrlsResolveAgainstXmlBaseThenTheFeed) {
    SourceFeed relative = ReadFixture("rss-relative-links.xml");
    EXPECT_EQ(relative.items.at(0).link, "http://127.0.0.1:8080/feeds/estilos/mercado.html");
    EXPECT_EQ(Pictures(relative.items.at(0)),
              std::vector<std::string>{"http://127.0.0.1:8080/feeds/img/mercado.png|Los toldos "
                                       "del mercado"});
    EXPECT_EQ(relative.items.at(1).pictures.at(0).url, "http://127.0.0.1:8080/feeds/img/plaza.jpg");
    SourceFeed base = ReadFixture("rss-xml-base.xml");
    EXPECT_EQ(base.items.at(0).link, "https://sierra.example.org/seccion/rutas/tres-picos");
    EXPECT_EQ(base.items.at(0).pictures.at(0).url, "https://sierra.example.org/fotos/picos.jpg");
    EXPECT_EQ(base.items.at(1).link, "https://otra.example.net/blog/refugios");
    EXPECT_EQ(base.items.at(1).pictures.at(0).url, "https://otra.example.net/fotos/refugio.jpg");
    SourceItem atom = ReadFixture("atom-xml-base.xml").items.at(0);
    EXPECT_EQ(atom.link, "https://puerto.example.net/atom/ciencia/robot");
    EXPECT_EQ(atom.pictures.at(0).url, "https://puerto.example.net/media/robot.jpg");
    EXPECT_EQ(ReadFixture("rss-unsafe-urls.xml").items.at(0).link, "");

    const std::string page = "https://diario.example.com/seccion/nota.html";
    struct Case {
        const char* reference;
        const char* resolved;
    };
    const Case cases[] = {
        {"foto.jpg", "https://diario.example.com/seccion/foto.jpg"},
        {"../foto.jpg?a=1#x", "https://diario.example.com/foto.jpg?a=1#x"},
        {"//cdn.example.net/f.jpg", "https://cdn.example.net/f.jpg"},
        {"  /f.jpg \n", "https://diario.example.com/f.jpg"},
        {"foto con espacios.jpg", "https://diario.example.com/seccion/foto%20con%20espacios.jpg"},
        {"HTTP://otro.example.org/x", "http://otro.example.org/x"},
        {"/f.jpg?", "https://diario.example.com/f.jpg"},
        {"https://cdn.example.net/a/./b/../c.jpg?t=1&u=2",
         "https://cdn.example.net/a/c.jpg?t=1&u=2"},
        {"javascript:alert(1)", ""},
        {"data:image/png;base64,AAAA", ""},
        {"ftp://diario.example.com/f.jpg", ""},
        {"mailto:redaccion@example.com", ""},
        {"https://valle.ex\x9F\x92ple.org/", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SourceUrl::Resolve(page, c.reference), c.resolved) << c.reference;
    }
    EXPECT_EQ(SourceUrl::Resolve("", "relativa.jpg"), "");
}

TEST(SourceFeedReaderTest, HostileInputStaysWithinTheLimits) {
    std::string many;
    for (int i = 0; i < 600; ++i) {
        many += "<item><title>n" + std::to_string(i) + "</title></item>";
    }
    EXPECT_EQ(Read(Rss(many)).items.size(), 500u);

    // A body of several MiB comes out at most 1 MiB, cut on a character.
    const std::string huge = Repeat("<p>añadido ñandú</p>", 140000);
    ASSERT_GT(huge.size(), 3u << 20);
    std::string body = HtmlText::Body(huge, "", nullptr);
    EXPECT_LE(body.size(), 1u << 20);
    EXPECT_GT(body.size(), 1u << 19);
    EXPECT_TRUE(FeedEncoding::IsValidUtf8(body));

    // Nested elements by the hundred thousand, formatting elements that never close, and a
    // nested list: read, text kept, nothing recursing past the bound.
    EXPECT_EQ(HtmlText::Body(Repeat("<div><b>", 100000) + "fondo", "", nullptr), "fondo");
    std::string formatting;
    for (int i = 0; i < 20000; ++i) {
        formatting += "<p><i id=" + std::to_string(i) + ">x</p>";
    }
    EXPECT_EQ(HtmlText::Line(formatting).size(), 2 * 20000 - 1);

    // Exponential entities in the document type stay small.
    SourceFeed feed;
    std::string error;
    if (SourceFeedReader::Read(Rss("<item><title>&j;</title></item>", LaughsDoctype("rss")),
                               kFeedUrl, "", &feed, &error)) {
        ASSERT_EQ(feed.items.size(), 1u);
        EXPECT_LT(feed.items[0].title.size(), 1000u);
    }

    // JSON nested far deeper than a feed is discarded, not recursed into.
    std::string nested = "{\"version\":\"https://jsonfeed.org/version/1.1\",\"items\":[{\"title\":"
                         "\"hondo\",\"x\":" +
                         std::string(100000, '[') + std::string(100000, ']') + "}]}";
    SourceFeed json = Read(nested);
    ASSERT_EQ(json.items.size(), 1u);
    EXPECT_EQ(json.items[0].title, "hondo");
}

TEST(SourceFeedReaderTest, SeveralThreadsReadAlike) {
    std::vector<std::string> feeds;
    for (const std::string& name : FixtureNames()) {
        feeds.push_back(Fixture(name));
    }
    // What a feed reads as, in one line per item.
    auto summary = [](const std::string& bytes) {
        SourceFeed feed;
        std::string error;
        SourceFeedReader::Read(bytes, kFeedUrl, "", &feed, &error);
        std::string out = feed.title;
        for (const SourceItem& item : feed.items) {
            out += "\n" + item.title + "|" + item.link + "|" + item.body + "|" +
                   std::to_string(item.pictures.size());
        }
        return out;
    };
    std::vector<std::string> expected;
    for (const std::string& bytes : feeds) {
        expected.push_back(summary(bytes));
    }
    std::vector<std::vector<std::string>> seen(4);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < seen.size(); ++t) {
        threads.emplace_back([&, t] {
            for (const std::string& bytes : feeds) {
                seen[t].push_back(summary(bytes));
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (const auto& results : seen) {
        EXPECT_EQ(results, expected);
    }
}
