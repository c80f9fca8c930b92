// The edition built from newspapers' feeds, end to end: the reader started
// with --sources against a server on 127.0.0.1 serving our fixtures, and
// pregonero-feeds --sources refreshing, failing and refusing bad lists.
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <httplib.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/ProgramRun.h"
#include "tests/e2e/support/WaitUntil.h"

namespace pregonero::e2e {
namespace {

namespace fs = std::filesystem;

// The fixtures under /src of the fixture's server, and a list naming them.
std::string PrepareSources(FeedFixture& fx) {
    fs::copy(PREGONERO_SOURCE_FIXTURES, fx.Root() / "feeds" / "src", fs::copy_options::recursive);
    const std::string src = fx.Url() + "/src/";
    const std::string list = (fx.Root() / "diarios.opml").string();
    std::ofstream(list) << R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="2.0"><head><title>Mis diarios</title></head><body>
  <outline text="Portada" xmlUrl=")"
                        << src << R"(rss-local-pictures.xml"/>
  <outline text="Mundo"><outline text="El Heraldo" xmlUrl=")"
                        << src << R"(rss-content-encoded.xml"/></outline>
  <outline text="Fotogalería" xmlUrl=")"
                        << src << R"(rss-local-pictures.xml"/>
  <outline text="CIENCIA" xmlUrl=")"
                        << src << R"(rss-stray-ampersand.xml"/>
</body></opml>
)";
    return list;
}

std::vector<std::string> BridgeArgs(const std::string& list, FeedFixture& fx,
                                    const std::string& zone) {
    return {"--sources", list, "--state", (fx.Root() / "state").string(), "--time-zone", zone};
}

RunOptions WithArgs(std::vector<std::string> args) {
    RunOptions options;
    options.args = std::move(args);
    return options;
}

TEST(SourcesEditionTest, ReaderShowsTheFeedsAndARestartServesThemBeforeAnyFetch) {
    FeedFixture fx("sources");
    const std::string list = PrepareSources(fx);
    const char* script = "wait\ndump\nevent 102\nwait\ndump\nselect 0\nwait\ndump\nsoftkey 1\n"
                         "wait\nevent 119\nwait\nselect 2\nwait\ndump\noption\n"
                         "choose Siguiente\nwait\ndump\nquit\n";
    const ProgramRun run = ProgramRun::Start(fx.Home(), "", script,
                                             WithArgs(BridgeArgs(list, fx, "America/Mexico_City")));
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 5u);
    // The front page from the "Portada" source, newest first, times in
    // Mexico City and the local pictures shown.
    const Snapshot& front = run.dumps[0];
    EXPECT_EQ(front.Texts(101), (std::vector<std::string>{"El mercado vuelve a la plaza",
                                                          "Gran ambiente en el estadio",
                                                          "Atardecer en la plaza Mayor"}))
        << front;
    EXPECT_EQ(front.Texts(102), (std::vector<std::string>{"03:00", "02:00", "01:00"}));
    EXPECT_EQ(front.Elements(105, "bitmap").size(), 3u);
    const Snapshot& mundo = run.dumps[1];
    EXPECT_EQ(mundo.Label("LabelSeccion"), "MUNDO");
    EXPECT_EQ(mundo.Texts(101)[0], "El ayuntamiento aprueba el presupuesto de 2027");
    EXPECT_EQ(mundo.Texts(103)[0], "El pleno votó las cuentas tras seis horas de debate.");
    // The article: author, Spanish date, and the body cleaned of its markup
    // and script.
    const Snapshot& article = run.dumps[2];
    EXPECT_EQ(article.Form(), "IDF_FORM_NOTA");
    EXPECT_EQ(article.Texts(102), std::vector<std::string>{"María Fernández"});
    EXPECT_EQ(article.Texts(103), std::vector<std::string>{"martes 3 de marzo de 2026"});
    EXPECT_EQ(article.Texts(104), std::vector<std::string>{"02:15"});
    EXPECT_EQ(article.Texts(106), std::vector<std::string>{"Los concejales, durante la votación."});
    EXPECT_EQ(article.Texts(107),
              std::vector<std::string>{"El pleno municipal aprobó anoche el presupuesto.\n"
                                       "La oposición votó en contra y anunció un recurso."});
    // The media:group story is a gallery of its three photos, paged.
    EXPECT_EQ(run.dumps[3].Label("LabelFotogaleria"), "Foto: 1 de 3");
    EXPECT_EQ(run.dumps[3].Texts(103), std::vector<std::string>{"La plaza, al caer el sol."});
    EXPECT_EQ(run.dumps[3].Elements(102, "bitmap").size(), 1u);
    EXPECT_EQ(run.dumps[4].Label("LabelFotogaleria"), "Foto: 2 de 3");
    EXPECT_EQ(run.dumps[4].Texts(103), std::vector<std::string>{"Los toldos del mercado."});

    // Again with the same state, another zone, and sources that answer only
    // after the reader is done: the saved items show at once, in Madrid time.
    fx.Server().SetRule("/src/rss-local-pictures.xml", {.delayMs = 30000});
    fx.Server().SetRule("/src/rss-content-encoded.xml", {.delayMs = 30000});
    const ProgramRun again = ProgramRun::Start(fx.Home(), "", "wait\ndump\nquit\n",
                                               WithArgs(BridgeArgs(list, fx, "Europe/Madrid")));
    ASSERT_EQ(again.exitCode, 0) << again.stdErr;
    ASSERT_EQ(again.dumps.size(), 1u);
    EXPECT_EQ(again.dumps[0].Texts(102), (std::vector<std::string>{"10:00", "09:00", "08:00"}))
        << again.dumps[0];
}

// pregonero-feeds on a free port; its address from the line it prints.
struct FeedsProgram {
    Process process;
    std::string url;

    explicit FeedsProgram(const std::vector<std::string>& args)
        : process([&] {
              std::vector<std::string> argv = {PREGONERO_FEEDS_BINARY};
              argv.insert(argv.end(), args.begin(), args.end());
              return argv;
          }()) {
        const std::regex serving("serving \\d+ sources at (http://127\\.0\\.0\\.1:\\d+)");
        WaitUntil(
            [&] {
                std::smatch match;
                const std::string out = process.Out();
                if (std::regex_search(out, match, serving)) {
                    url = match[1];
                }
                return !url.empty();
            },
            60);
    }
    std::string Get(const std::string& path) const {
        httplib::Client client(url);
        auto response = client.Get(path);
        return response ? response->body : "";
    }
};

TEST(SourcesEditionTest, RefreshShowsNewItemsAndAFailingSourceKeepsItsOwn) {
    FeedFixture fx("refresh");
    const std::string list = PrepareSources(fx);
    auto args = BridgeArgs(list, fx, "UTC");
    args.insert(args.end(), {"--refresh", "0.01"});
    FeedsProgram feeds(args);
    ASSERT_FALSE(feeds.url.empty()) << feeds.process.Err();
    EXPECT_NE(feeds.Get("/mobile/mundo.xml").find("El ayuntamiento aprueba"), std::string::npos);

    const fs::path heraldo = fx.Root() / "feeds" / "src" / "rss-content-encoded.xml";
    std::ifstream in(heraldo);
    std::string feed((std::istreambuf_iterator<char>(in)), {});
    feed = std::regex_replace(feed, std::regex("El ayuntamiento aprueba"), "El cabildo rechaza");
    fx.WriteFeed("src/rss-content-encoded.xml", feed);
    EXPECT_TRUE(WaitUntil(
        [&] {
            return feeds.Get("/mobile/mundo.xml").find("El cabildo rechaza") != std::string::npos;
        },
        30));

    fx.Server().SetRule("/src/rss-content-encoded.xml", {.status = 503});
    EXPECT_TRUE(WaitUntil([&] { return feeds.Get("/").find("HTTP 503") != std::string::npos; }, 30))
        << feeds.Get("/");
    const std::string mundo = feeds.Get("/mobile/mundo.xml");
    EXPECT_NE(mundo.find("El cabildo rechaza"), std::string::npos);
    EXPECT_NE(mundo.find("Cortes de tráfico"), std::string::npos);
    const std::string status = feeds.Get("/");
    EXPECT_NE(status.find("El Heraldo</a></td><td>Mundo</td>"), std::string::npos) << status;
    EXPECT_NE(status.find("ill-formed"), std::string::npos) << status;
    feeds.process.Signal(SIGTERM);
    EXPECT_EQ(feeds.process.Wait(30), 0);
}

TEST(SourcesEditionTest, BadListsEndBothProgramsWithOneLineNamingTheCulprit) {
    FeedFixture fx("badlists");
    const std::vector<std::pair<std::string, std::string>> lists = {
        {"<opml><body><outline text=\"Mundo\"", "not an OPML file"},
        {"<opml><body><outline text=\"Chismes\" xmlUrl=\"http://a.example.com/\"/></body></opml>",
         "outline \"Chismes\" names no section"},
        {"<opml><body><outline text=\"Mundo\"/></body></opml>", "no outline with an xmlUrl"},
        {"<opml><body><outline text=\"Mundo\" xmlUrl=\"ftp://a.example.com/m.xml\"/></body></opml>",
         "\"ftp://a.example.com/m.xml\" is not an http or https URL"},
        // Bytes its declared encoding refuses: libxml2 must not add lines of its own.
        {"<?xml version=\"1.0\" encoding=\"Shift_JIS\"?><opml><body>"
         "<outline text=\"Mundo \xE9 \xE9\" xmlUrl=\"http://a.example.com/m.xml\"/></body></opml>",
         "not an OPML file"},
    };
    const std::string list = (fx.Root() / "lista.opml").string();
    for (const auto& [bytes, culprit] : lists) {
        std::ofstream(list, std::ios::trunc) << bytes;
        const ProgramRun reader =
            ProgramRun::Command({"--headless", "--home", fx.Home(), "--sources", list, "--state",
                                 (fx.Root() / "state").string()});
        Process feeds(
            {PREGONERO_FEEDS_BINARY, "--sources", list, "--state", (fx.Root() / "state").string()});
        const int feedsExit = feeds.Wait(30);
        for (const auto& [exitCode, err] :
             {std::pair{reader.exitCode, reader.stdErr}, std::pair{feedsExit, feeds.Err()}}) {
            EXPECT_EQ(exitCode, 2) << err;
            EXPECT_NE(err.find(culprit), std::string::npos) << err;
            EXPECT_NE(err.find(list), std::string::npos) << err;
            EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 3) << err;
            EXPECT_EQ(err.find(" error : "), std::string::npos) << "libxml2's own: " << err;
        }
        EXPECT_TRUE(feeds.Out().empty());
    }
    EXPECT_FALSE(fs::exists(fx.Root() / "state" / "edition"));
}

} // namespace
} // namespace pregonero::e2e
