// The fault matrix: every screen kind against every way a feed server, a
// feed, a picture or the home directory can misbehave. Each cell checks what
// the snapshot shows and that the user still has a way on; no cell may crash,
// hang or write outside the home directory.
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <future>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "feedserver/faults/GzipBomb.h"
#include "feedserver/faults/HostilePictures.h"
#include "tests/e2e/support/FaultCells.h"
#include "tests/support/HostileText.h"
#include "tests/support/ReadAll.h"

namespace pregonero::e2e {
namespace {

using feeds::FaultRule;
using feeds::HostilePictures;
using testing_support::Repeat;

struct Fault {
    const char* name;
    FaultTarget target;
    Headline headline; // what a headline screen ends on
    std::function<void(FeedFixture&, const std::string& path)> apply;
    const char* detail = "jpg"; // picture extension, or the URL of a PictureUrl fault
    std::function<void(const ProgramRun&)> alsoExpect = nullptr; // more checks on the dumps
};

// Names the cell in test listings instead of dumping the struct's bytes.
void PrintTo(const Fault& fault, std::ostream* out) {
    *out << fault.name;
}

FaultRule Body(std::string body) {
    return {.bodyOverride = std::move(body)};
}

auto Rule(FaultRule rule) {
    return [rule](FeedFixture& fx, const std::string& path) { fx.Server().SetRule(path, rule); };
}

// The front page reads only articles inside groups, the other screens only
// those outside; a body that starts with <root> is grouped for the front page.
auto Serve(const std::string& body) {
    return [body](FeedFixture& fx, const std::string& path) {
        const bool front = path == "/mobile/2notashome.xml" && body.starts_with("<root>");
        fx.Server().SetRule(path,
                            Body(front ? "<root><group Title=\"Portada\">" +
                                             body.substr(6, body.size() - 13) + "</group></root>"
                                       : body));
    };
}

// Every list shows its first 10,000 rows, the gallery as many photos.
void ExpectFirstRowsOnly(const ProgramRun& run) {
    for (std::size_t dump : {0u, 2u, 4u}) {
        const std::vector<int> ids = run.dumps[dump].ItemIds();
        EXPECT_EQ(ids.size(), 10000u) << run.dumps[dump].Form();
    }
    EXPECT_TRUE(run.dumps[6].Shows("Foto: 1 de 10000")) << run.dumps[6];
}

std::vector<Fault> Faults() {
    using enum FaultTarget;
    using enum Headline;
    const FaultRule silence{.stallMs = 30000, .stallAfterBytes = 0};
    const FaultRule bomb{.gzipBombBytes = 40u << 20};
    FaultRule manyHeaders;
    for (int i = 0; i < 20000; ++i) {
        manyHeaders.extraHeaders.emplace_back("X-Relleno-" + std::to_string(i), "1");
    }
    const std::string big(1 << 20, 'A');
    const std::string jpeg = HostilePictures::PlainJpeg(256);
    // A letter under 65,535 acute accents, as title and as body.
    const std::string marks = "b" + Repeat("\xCC\x81", 65535);
    std::string manyAttributes; // 20,000 on one element: seconds of the parser's checks
    for (int i = 0; i < 20000; ++i) {
        manyAttributes += " a" + std::to_string(i) + "=\"\"";
    }
    return {
        {"Refused", Refused, Error, nullptr},
        {"Status404", Feed, Error, Rule({.status = 404})},
        {"Status500", Feed, Error, Rule({.status = 500})},
        {"Empty200", Feed, Error, Rule(Body(""))},
        {"DroppedMidBody", Feed, Error, Rule({.dropAfterBytes = 40})},
        {"HeadersThenSilence", Feed, Error, Rule(silence)},
        {"Drip", Feed, Error, Rule({.dripMs = 1000})},
        {"OneByteChunks", Feed, List, Rule({.chunkSize = 1})},
        {"EndlessChunks", Feed, Error, Rule({.endlessChunks = true})},
        {"GzipBomb", Feed, Error, Rule(bomb)},
        {"ShorterThanLength", Feed, Error, Rule({.contentLengthDelta = 100})},
        {"ManyHeaders", Feed, Error, Rule(manyHeaders)},
        {"HugeHeader", Feed, Error,
         Rule({.extraHeaders = {{"X-Enorme", std::string(300 * 1024, 'h')}}})},
        {"RedirectLoop", Feed, Error,
         [](FeedFixture& fx, const std::string& path) {
             fx.Server().SetRule(path,
                                 {.status = 302, .extraHeaders = {{"Location", fx.Url() + path}}});
         }},
        {"RedirectToFile", Feed, Error,
         Rule({.status = 302, .extraHeaders = {{"Location", "file:///etc/passwd"}}})},
        {"NotXml", Feed, Error, Rule(Body("esto { no es xml"))},
        {"OtherRoot", Feed, Error, Rule(Body("<raiz><article Title=\"x\"/></raiz>"))},
        {"InvalidUtf8", Feed, Error,
         Rule(Body("<?xml version=\"1.0\" encoding=\"UTF-8\"?><root><article Title=\"mal \xC3\x28 "
                   "\xFF\xFE\" Link=\"x\xE2\x82\" Description=\"\xED\xA0\x80\"/></root>"))},
        {"MegabyteAttribute", Feed, List,
         Serve("<root><article Title=\"" + big + "\" Description=\"" + big + "\">" + big +
               "</article></root>")},
        {"ManyArticles", Feed, List,
         Serve("<root>" + Repeat("<article Title=\"t\"/>", 20000) + "</root>"), "jpg",
         ExpectFirstRowsOnly},
        {"ManyAttributes", Feed, Error,
         Serve("<root><article Title=\"t\"" + manyAttributes + "/></root>")},
        {"GzipCacheFile", Feed, Error, Rule(Body(feeds::GzipBomb::Make(1 << 20)))},
        {"BillionLaughs", Feed, Any,
         Rule(Body(testing_support::LaughsDoctype("root") +
                   "<root><article Title=\"&j;\">&j;</article></root>"))},
        {"ExternalEntity", Feed, Any,
         Rule(Body("<?xml version=\"1.0\"?><!DOCTYPE root [<!ENTITY x SYSTEM "
                   "\"file:///etc/passwd\">]><root><article Title=\"&x;\">&x;</article></root>"))},
        {"CombiningMarks", Feed, List,
         Serve("<root><article Title=\"" + marks + "\">" + marks + "</article></root>")},
        {"DeepNesting", Feed, Any,
         Serve("<root>" + Repeat("<a>", 100000) + Repeat("</a>", 100000) + "</root>")},
        {"PictureRefused", RefusedPicture, List, nullptr},
        {"PictureStatus500", Picture, List, Rule({.status = 500})},
        {"PictureSilence", Picture, List, Rule(silence)},
        {"PictureEndless", Picture, List, Rule({.endlessChunks = true})},
        {"PictureGzipBomb", Picture, List, Rule(bomb)},
        {"PictureText", Picture, List, Rule(Body("esto no es una foto"))},
        {"PictureEmpty", Picture, List, Rule(Body(""))},
        {"PictureTruncated", Picture, List, Rule(Body(jpeg.substr(0, jpeg.size() / 2)))},
        {"PictureManyScans", Picture, List, Rule(Body(HostilePictures::ManyScanJpeg()))},
        {"PictureCmyk", OddPicture, List, Rule(Body(HostilePictures::CmykJpeg(64)))},
        {"PictureClaimsHugePng", Picture, List,
         Rule(Body(HostilePictures::PngClaiming(100000, 100000))), "png"},
        {"PictureClaimsHugeJpeg", Picture, List,
         Rule(Body(HostilePictures::JpegClaiming(65000, 65000)))},
        {"PictureUrlFile", PictureUrl, List, nullptr, "file:///etc/passwd"},
        {"PictureUrlFtp", PictureUrl, List, nullptr, "ftp://127.0.0.1/a.jpg"},
        {"PictureUrlJavascript", PictureUrl, List, nullptr, "javascript:alert(1)"},
    };
}

class FaultMatrixTest : public ::testing::TestWithParam<Fault> {};

TEST_P(FaultMatrixTest, EveryScreenKindKeepsAWayOn) {
    const Fault& fault = GetParam();
    FaultCells cells(fault.name);
    cells.WriteHealthyEdition(fault.target, fault.detail);
    if (fault.apply) {
        for (const std::string& path : cells.FaultPaths(fault.target)) {
            fault.apply(cells.Fixture(), path);
        }
    }
    const ProgramRun run = cells.Run(fault.target);
    cells.ExpectAllCells(run, fault.headline, fault.target);
    if (fault.alsoExpect && run.dumps.size() == FaultCells::kDumps) {
        fault.alsoExpect(run);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, FaultMatrixTest, ::testing::ValuesIn(Faults()),
                         [](const ::testing::TestParamInfo<Fault>& info) {
                             return std::string(info.param.name);
                         });

// Links that are not http(s) never reach the network: the article or gallery
// says it cannot load, and back leads to the section; an empty link is
// refused by the section itself.
TEST(FaultLinkTest, LinksOtherThanHttpAreRefusedWithAWayBack) {
    FaultCells cells("links");
    cells.WriteHealthyEdition(FaultTarget::Feed);
    const char* bad[] = {"file:///etc/passwd", "ftp://127.0.0.1/notas/1.xml",
                         "javascript:alert(1)"};
    std::string rows;
    for (const char* link : bad) {
        rows += std::string("<article Title=\"x\" Link=\"") + link + "\"/>";
    }
    cells.Fixture().WriteFeed("mobile/deportes.xml",
                              "<root>" + rows + "<article Title=\"e\" Link=\"\"/></root>");
    cells.Fixture().WriteFeed("mobile/fg.xml", "<root>" + rows + "</root>");
    // Each bad row: its box, the screen after it, and back to the section.
    std::string visits;
    for (int row = 0; row < 3; ++row) {
        visits += "select " + std::to_string(row) +
                  "\nwait 10\ndump\nok\nwait 10\ndump\nsoftkey 1\nwait 30\n";
    }
    const std::string script = "event 108\nwait 30\n" + visits +
                               "select 3\nwait 10\ndump\nok\nevent 119\nwait 30\n" + visits +
                               "dump\nquit\n";
    const ProgramRun run = cells.Run(FaultTarget::Feed, script);
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 14u);
    for (std::size_t row = 0; row < 3; ++row) {
        const Snapshot& article = run.dumps[row * 2 + 1];
        EXPECT_EQ(run.dumps[row * 2].BoxText(),
                  "Lo sentimos, pero esta nota no se encuentra disponible po rel momento");
        EXPECT_EQ(article.Form(), "IDF_FORM_NOTA");
        EXPECT_EQ(article.Back(), "on");
        const Snapshot& gallery = run.dumps[7 + row * 2 + 1];
        EXPECT_EQ(run.dumps[7 + row * 2].BoxText(), "Previous transaction is being processed");
        EXPECT_EQ(gallery.Form(), "IDF_FORM_FOTOGALERIA");
        EXPECT_EQ(gallery.Back(), "on");
    }
    EXPECT_EQ(run.dumps[6].BoxText(), "Lo sentimos, esta nota no esta disponible por el momento.");
    EXPECT_EQ(run.dumps[13].Form(), "IDF_FORM_SECCION");
    cells.ExpectNothingOutsideHome();
}

// A feed on a slow but live link arrives however long it takes; one that
// trickles below 100 bytes a second for the low-speed window (lowered to a
// second, as in the matrix) is given up long before it would have ended.
TEST(FaultSlowFeedTest, ASlowFeedArrivesAndATrickleIsGivenUp) {
    FaultCells cells("slow");
    cells.WriteHealthyEdition(FaultTarget::Feed);
    ::unsetenv("PREGONERO_TOTAL_TIMEOUT_MS"); // the ceiling stays at its ten minutes
    auto feed = [](const char* title, std::size_t bytes) {
        return "<root><article Title=\"" + std::string(title) + "\"/><!--" +
               std::string(bytes, '.') + "--></root>";
    };
    FeedFixture& fx = cells.Fixture();
    // 1,000 bytes a second for three seconds; 50 a second for eight.
    fx.Server().SetRule("/mobile/mexico.xml",
                        {.dripMs = 100, .dripBytes = 100, .bodyOverride = feed("Lenta", 3000)});
    fx.Server().SetRule("/mobile/deportes.xml",
                        {.dripMs = 200, .dripBytes = 10, .bodyOverride = feed("Goteo", 400)});
    const ProgramRun run =
        cells.Run(FaultTarget::Feed, "wait 30\noption\nchoose Mexico\nwait 30\ndump\n"
                                     "option\nchoose Deportes\nwait 30\ndump\nquit\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 2u);
    EXPECT_TRUE(run.dumps[0].Shows("Lenta")) << run.dumps[0];
    EXPECT_EQ(run.dumps[1].Label("LabelCargando"), "Error") << run.dumps[1];
    EXPECT_TRUE(run.dumps[1].List().is_null());
}

// Faults of the home directory: a full disk and a read-only cache folder.
// Each run gets a private mount namespace with a small tmpfs over HOME/Res;
// root ignores permission bits, so read-only must come from the mount.

std::vector<std::string> WithRes(const std::string& home, const std::string& mountThenFill) {
    std::filesystem::create_directories(home + "/Res");
    return {"/usr/bin/unshare",
            "-m",
            "/bin/sh",
            "-c",
            "cd \"$0\" && " + mountThenFill + " && cd / && exec \"$@\"",
            home};
}

TEST(FaultHomeTest, FullDiskAndReadOnlyCacheLeaveEveryScreenAWayOn) {
    if (std::system("unshare -m true >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "unshare -m is not permitted here";
    }
    const std::pair<const char*, std::string> cases[] = {
        {"FullDisk", "mount -t tmpfs -o size=4k tmpfs Res && "
                     "(dd if=/dev/zero of=Res/fill bs=4k count=2 2>/dev/null; true)"},
        {"ReadOnlyRes", "mount -t tmpfs -o ro,size=64k tmpfs Res"},
    };
    for (const auto& [name, setup] : cases) {
        SCOPED_TRACE(name);
        FaultCells cells(name);
        cells.WriteHealthyEdition(FaultTarget::Feed);
        // Every screen reads its feed back from the cache, so with none the
        // section rows that lead to articles and galleries never appear:
        // only the headline screens are reachable, and they must not trap.
        const ProgramRun run = cells.Run(FaultTarget::Feed, FaultCells::kHeadlineWalk,
                                         WithRes(cells.Fixture().Home(), setup));
        ASSERT_EQ(run.exitCode, 0) << run.stdErr;
        ASSERT_EQ(run.dumps.size(), 4u);
        for (std::size_t screen = 0; screen < 2; ++screen) {
            const Snapshot& shown = run.dumps[screen * 2];
            EXPECT_EQ(shown.Label("LabelCargando"), "Error") << shown;
            EXPECT_TRUE(shown.List().is_null());
            EXPECT_EQ(run.dumps[screen * 2 + 1].Menu(), "shown");
        }
        cells.ExpectNothingOutsideHome();
    }
}

// Links below the home directory are never written through: a cache folder
// that is a link, or a cache file that is one, takes the screen down the
// "cannot be saved" path, and what they point at stays as it was.
TEST(FaultHomeTest, LinksBelowTheHomeAreNotWrittenThrough) {
    namespace fs = std::filesystem;
    for (const bool folder : {true, false}) {
        SCOPED_TRACE(folder ? "Res is a link" : "Res/deportes.xml is a link");
        FaultCells cells(folder ? "ResLink" : "FileLink");
        cells.WriteHealthyEdition(FaultTarget::Feed);
        const fs::path home = cells.Fixture().Home();
        const fs::path elsewhere = home.parent_path() / "elsewhere";
        fs::create_directories(elsewhere);
        std::ofstream(elsewhere / "deportes.xml") << "<root>ajeno</root>";
        const fs::path link = folder ? home / "Res" : home / "Res/deportes.xml";
        fs::create_directories(link.parent_path());
        fs::create_symlink(folder ? elsewhere : elsewhere / "deportes.xml", link);
        const ProgramRun run = cells.Run(
            FaultTarget::Feed,
            "wait 30\ndump\noption\nchoose Deportes\nwait 30\ndump\noption\ndump\nquit\n");
        ASSERT_EQ(run.exitCode, 0) << run.stdErr;
        ASSERT_EQ(run.dumps.size(), 3u);
        EXPECT_EQ(run.dumps[0].List().is_null(), folder) << run.dumps[0];
        const Snapshot& section = run.dumps[1];
        EXPECT_EQ(section.Form(), "IDF_FORM_SECCION");
        EXPECT_EQ(section.Label("LabelCargando"), "Error") << section;
        EXPECT_TRUE(section.List().is_null());
        EXPECT_EQ(run.dumps[2].Menu(), "shown");
        EXPECT_EQ(testing_support::ReadAll(elsewhere / "deportes.xml"), "<root>ajeno</root>");
        EXPECT_EQ(std::distance(fs::directory_iterator(elsewhere), fs::directory_iterator()), 1);
        EXPECT_TRUE(fs::is_symlink(link));
        fs::remove(link); // the check below would follow it out of the home
        cells.ExpectNothingOutsideHome();
    }
}

// Two readers started together on a fresh home: one writes the sample
// edition while the other writes or reuses it, and both show the front page.
TEST(FaultHomeTest, TwoReadersStartedTogetherOnAFreshHome) {
    FeedFixture fixture("two-readers");
    auto reader = [&fixture] {
        return ProgramRun::Start(fixture.Home(), "", "wait 30\ndump\nquit\n");
    };
    auto first = std::async(std::launch::async, reader);
    auto second = std::async(std::launch::async, reader);
    // Meanwhile the edition is never seen half written: it appears whole,
    // with the stamp that is written last.
    const std::filesystem::path sample = std::filesystem::path(fixture.Home()) / "sample";
    int halfWritten = 0;
    while (first.wait_for(std::chrono::milliseconds(2)) != std::future_status::ready ||
           second.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
        halfWritten +=
            std::filesystem::exists(sample) && !std::filesystem::exists(sample / ".stamp");
    }
    EXPECT_EQ(halfWritten, 0);
    for (const ProgramRun& run : {first.get(), second.get()}) {
        ASSERT_EQ(run.exitCode, 0) << run.stdErr;
        ASSERT_EQ(run.dumps.size(), 1u);
        EXPECT_EQ(run.dumps[0].Form(), "IDF_FORM_PORTADA");
        EXPECT_FALSE(run.dumps[0].List().is_null()) << run.dumps[0];
    }
}

// A picture that takes seconds to decode (few bytes, many empty scans over a
// large image) gives up at its request's time-out, lowered here through the
// same test hook, on every screen kind; in a section of many such rows the
// pictures whose time ran out while they waited are never started.
TEST(FaultPictureTest, PicturesSlowToDecodeGiveUpAtTheirTimeOut) {
    FaultCells cells("SlowDecode");
    ::setenv("PREGONERO_TOTAL_TIMEOUT_MS", "800", 1);
    cells.WriteHealthyEdition(FaultTarget::Picture);
    const FaultRule slow = Body(HostilePictures::SlowJpeg());
    for (const std::string& path : cells.FaultPaths(FaultTarget::Picture)) {
        cells.Fixture().Server().SetRule(path, slow);
    }
    cells.Fixture().WriteFeed(
        "mobile/mexico.xml",
        "<root>" +
            Repeat("<article Title=\"Lenta\" ImgUrl=\"{{FEED_SERVER}}/img/seccion.jpg\"/>", 12) +
            "</root>");
    const ProgramRun run = cells.Run(FaultTarget::Picture);
    ::setenv("PREGONERO_TOTAL_TIMEOUT_MS", "5000", 1);
    cells.ExpectAllCells(run, Headline::List, FaultTarget::Picture);
}

// Leaving a screen while its work is still under way: before the connection
// is made, mid-body, and while many picture decodes and callbacks are queued.
// Late callbacks must reach nothing that is gone.
TEST(FaultLifecycleTest, LeavingScreensWithWorkInFlight) {
    FaultCells cells("lifecycle");
    cells.WriteHealthyEdition(FaultTarget::Feed);
    FeedFixture& fx = cells.Fixture();
    std::string many = "<root><group Title=\"Portada\">";
    for (int i = 0; i < 60; ++i) {
        many += "<article Title=\"n\" ImgUrl=\"{{FEED_SERVER}}/img/portada.jpg\"/>";
    }
    fx.WriteFeed("mobile/mexico.xml", many + "</group></root>");
    fx.WriteFeed("mobile/mundo.xml", many + "</group></root>");
    fx.Server().SetRule("/mobile/2notashome.xml", {.delayMs = 1500});
    fx.Server().SetRule("/mobile/estados.xml", {.stallMs = 3000, .stallAfterBytes = 30});
    // 101 and 102 hold sixty thumbnails each: leave them at several moments
    // while fetches, decodes and deliveries are queued.
    std::string script = "sleep 100\nevent 103\nsleep 300\n";
    for (int ms : {0, 5, 20, 60, 150}) {
        script += "event 101\nsleep " + std::to_string(ms) + "\nevent 102\nsleep " +
                  std::to_string(ms) + "\n";
    }
    script += "event 108\nwait 30\nselect 0\nsleep 20\nevent 101\nwait 30\ndump\nquit\n";
    const ProgramRun run = cells.Run(FaultTarget::Feed, script);
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 1u);
    EXPECT_EQ(run.dumps[0].Form(), "IDF_FORM_SECCION");
    EXPECT_FALSE(run.dumps[0].List().is_null());
    cells.ExpectNothingOutsideHome();
}

} // namespace
} // namespace pregonero::e2e
