// pregonero-feeds --export end to end: the real program against a feed
// server on 127.0.0.1 serving our fixtures, a broken and a missing picture,
// a source that fails, and exports killed at random points.
#include <csignal>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <regex>
#include <string>
#include <tuple>
#include <vector>

#include <sys/stat.h>
#include <time.h>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/WaitUntil.h"

namespace pregonero::e2e {
namespace {

namespace fs = std::filesystem;
using feeds::PictureMaker;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file under `dir` but the manifest, with its size.
std::map<std::string, std::uintmax_t> Tree(const fs::path& dir) {
    std::map<std::string, std::uintmax_t> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        const std::string path = fs::relative(entry.path(), dir).generic_string();
        if (entry.is_regular_file() && path != "manifest.txt") {
            files[path] = entry.file_size();
        }
    }
    return files;
}

// The folder is a whole edition: its manifest names exactly the files there.
::testing::AssertionResult Whole(const fs::path& dir) {
    std::map<std::string, std::uintmax_t> listed;
    std::istringstream manifest(Read(dir / "manifest.txt"));
    std::uintmax_t size = 0;
    std::string path;
    while (manifest >> size >> path) {
        listed[path] = size;
    }
    if (listed.empty() || listed != Tree(dir)) {
        return ::testing::AssertionFailure() << dir << " is not the edition its manifest lists";
    }
    return ::testing::AssertionSuccess();
}

// A gallery source: one story with a good, a broken and a missing photo, one
// with only the broken one; and a list of four sources, one failing.
std::string PrepareSources(FeedFixture& fx) {
    fs::copy(PREGONERO_SOURCE_FIXTURES, fx.Root() / "feeds" / "src", fs::copy_options::recursive);
    const std::string plaza = Read(fx.Root() / "feeds" / "src" / "img" / "plaza.jpg");
    fx.WriteFeed("src/img/rota.jpg", plaza.substr(0, plaza.size() / 2));
    fx.WriteFeed("src/fotos.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<rss version="2.0" xmlns:media="http://search.yahoo.com/mrss/"><channel><title>Fotos</title>
<item><title>La feria de abril</title><guid>f1</guid>
<pubDate>Sun, 15 Mar 2026 10:00:00 +0100</pubDate><media:group>
<media:content url="img/plaza.jpg" medium="image"><media:description>La plaza.</media:description></media:content>
<media:content url="img/rota.jpg" medium="image"><media:description>Rota.</media:description></media:content>
<media:content url="img/falta.jpg" medium="image"><media:description>Falta.</media:description></media:content>
</media:group></item>
<item><title>Sin fotos buenas</title><guid>f2</guid>
<pubDate>Sun, 15 Mar 2026 09:00:00 +0100</pubDate>
<media:content url="img/rota.jpg" medium="image"/></item>
</channel></rss>
)");
    const std::string src = fx.Url() + "/src/";
    const fs::path list = fx.Root() / "diarios.opml";
    std::ofstream(list) << R"(<?xml version="1.0" encoding="UTF-8"?>
<opml version="2.0"><body>
  <outline text="Portada" xmlUrl=")"
                        << src << R"(rss-local-pictures.xml"/>
  <outline text="Deportes"><outline text="El Marcador" xmlUrl=")"
                        << src << R"(caido.xml"/></outline>
  <outline text="Fotogalería" xmlUrl=")"
                        << src << R"(fotos.xml"/>
  <outline text="Ciencia" xmlUrl=")"
                        << src << R"(rss-no-dates.xml"/>
</body></opml>
)";
    fx.Server().SetRule("/src/caido.xml", {.status = 500});
    return list.string();
}

struct ExportRun {
    int exitCode;
    std::string out;
    std::string err;
};

ExportRun Export(FeedFixture& fx, const std::string& list, std::vector<std::string> extra,
                 const std::string& state = "state") {
    std::vector<std::string> argv = {PREGONERO_FEEDS_BINARY,
                                     "--sources",
                                     list,
                                     "--export",
                                     (fx.Root() / "edicion").string(),
                                     "--state",
                                     (fx.Root() / state).string(),
                                     "--time-zone",
                                     "UTC"};
    argv.insert(argv.end(), extra.begin(), extra.end());
    Process process(argv);
    const int code = process.Wait(120);
    return {code, process.Out(), process.Err()};
}

std::vector<std::string> Links(const std::string& xml) {
    std::vector<std::string> links;
    const std::regex link("(?:Link|ImgUrl|ImgLink)=\"([^\"]*)\"");
    for (std::sregex_iterator it(xml.begin(), xml.end(), link), end; it != end; ++it) {
        links.push_back((*it)[1]);
    }
    return links;
}

TEST(EditionExportTest, WritesTheEditionWithItsPicturesUnderABaseUrlAndKeepsItThroughFailures) {
    FeedFixture fx("export");
    const std::string list = PrepareSources(fx);
    const fs::path dir = fx.Root() / "edicion";

    // Without pictures: links keep the server's token, pictures stay where they are.
    ExportRun plain = Export(fx, list, {});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_NE(
        plain.out.find("El Marcador (" + fx.Url() + "/src/caido.xml): HTTP 500, kept 0 items"),
        std::string::npos)
        << plain.out;
    EXPECT_NE(plain.out.find("rss-local-pictures.xml): HTTP 200, 3 items"), std::string::npos);
    EXPECT_NE(plain.out.find("; failed: El Marcador"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.out.find('\r'), std::string::npos) << "a bar drawn into a pipe";
    EXPECT_TRUE(Whole(dir));
    EXPECT_FALSE(fs::exists(dir / "pictures"));
    const std::string front = Read(dir / "mobile" / "2notashome.xml");
    EXPECT_NE(front.find("Link=\"{{FEED_SERVER}}/notas/portada/1.xml\""), std::string::npos);
    EXPECT_NE(front.find("ImgUrl=\"" + fx.Url() + "/src/img/mercado.png\""), std::string::npos);

    // With pictures and a base URL with a path (its slash dropped): every
    // link points into the folder, and only the pictures the reader shows
    // are there, each once.
    const std::string base = "http://127.0.0.1:8080/edicion";
    ExportRun full = Export(fx, list, {"--pictures", "--base-url", base + "/"});
    ASSERT_EQ(full.exitCode, 0) << full.err;
    EXPECT_NE(full.out.find(" 3 pictures (2 left out)"), std::string::npos) << full.out;
    EXPECT_TRUE(Whole(dir));
    std::size_t pictures = 0;
    for (const auto& [path, size] : Tree(dir)) {
        pictures += path.starts_with("pictures/");
        if (!path.ends_with(".xml")) {
            continue;
        }
        const std::string xml = Read(dir / path);
        EXPECT_EQ(xml.find("{{FEED_SERVER}}"), std::string::npos) << path;
        for (const std::string& link : Links(xml)) {
            if (link.empty()) {
                continue;
            }
            ASSERT_TRUE(link.starts_with(base + "/")) << path << ": " << link;
            EXPECT_TRUE(fs::is_regular_file(dir / link.substr(base.size() + 1)))
                << path << ": " << link;
        }
    }
    EXPECT_EQ(pictures, 3u);
    // The gallery keeps its good photo alone; the one with none left is gone.
    const std::string gallery = Read(dir / "galerias" / "1.xml");
    EXPECT_NE(gallery.find("ImgDes=\"La plaza.\""), std::string::npos) << gallery;
    EXPECT_EQ(Links(gallery).size(), 1u) << gallery;
    EXPECT_FALSE(fs::exists(dir / "galerias" / "2.xml"));
    // Undated stories from a feed without pictures show none.
    EXPECT_NE(Read(dir / "notas" / "ciencia" / "1.xml").find("ImgLink=\"\""), std::string::npos);

    // Every source failing: the saved items make the edition again.
    for (const char* feed :
         {"/src/rss-local-pictures.xml", "/src/fotos.xml", "/src/rss-no-dates.xml"}) {
        fx.Server().SetRule(feed, {.status = 503});
    }
    ExportRun kept = Export(fx, list, {});
    ASSERT_EQ(kept.exitCode, 0) << kept.err;
    EXPECT_NE(kept.out.find("HTTP 503, next try in"), std::string::npos) << kept.out;
    EXPECT_NE(Read(dir / "mobile" / "2notashome.xml").find("El mercado vuelve a la plaza"),
              std::string::npos);
    // The pause the 503 asked for holds for the next export: no request.
    const int asked = fx.Server().RequestCount("/src/fotos.xml");
    ExportRun paused = Export(fx, list, {});
    ASSERT_EQ(paused.exitCode, 0) << paused.err;
    EXPECT_NE(paused.out.find("fotos.xml): not fetched, HTTP 503, next try in"), std::string::npos)
        << paused.out;
    EXPECT_EQ(fx.Server().RequestCount("/src/fotos.xml"), asked);
    const auto previous = Tree(dir);

    // Nothing saved and nothing fetched: one line, and the edition stays.
    ExportRun failed = Export(fx, list, {}, "otro-estado");
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("every source failed"), std::string::npos) << failed.err;
    EXPECT_EQ(std::count(failed.err.begin(), failed.err.end(), '\n'), 1) << failed.err;
    EXPECT_EQ(Tree(dir), previous);

    // Bad input ends with 2 before anything is written.
    fs::remove_all(dir);
    std::ofstream(fx.Root() / "mala.opml") << "<opml><body><outline text=\"Mundo\"";
    for (const auto& [args, culprit] :
         std::vector<std::pair<std::vector<std::string>, std::string>>{
             {{"--base-url", "ftp://a.example.com/"}, "needs an http or https URL"},
             {{"--base-url", "http://a.example.com/?x=1"}, "no query or fragment"},
             {{"--sources", (fx.Root() / "mala.opml").string()}, "not an OPML file"},
             {{"--refresh", "5"}, "takes no"}}) {
        ExportRun bad = Export(fx, list, args);
        EXPECT_EQ(bad.exitCode, 2) << bad.err;
        EXPECT_NE(bad.err.find(culprit), std::string::npos) << bad.err;
        EXPECT_EQ(std::count(bad.err.begin(), bad.err.end(), '\n'), 1) << bad.err;
        EXPECT_FALSE(fs::exists(dir));
    }
}

// An hourly export repeats most of the last: a file whose bytes are the same
// is the same file (its inode, its time, so web servers answer 304), one that
// changed is a new file, and the edition in place is never written through.
TEST(EditionExportTest, AnUnchangedFileStaysTheSameFileAndAChangedOneIsNew) {
    FeedFixture fx("export-again");
    fx.WritePicture("src/a.jpg", PictureMaker::Format::Jpeg, 1);
    fx.WritePicture("src/b.png", PictureMaker::Format::Png, 2);
    fx.WriteFeed("src/dos.xml",
                 R"(<?xml version="1.0"?><rss version="2.0"><channel><title>Dos</title>
<item><title>La obra del puente</title><guid>a</guid><enclosure url="a.jpg" type="image/jpeg"/></item>
<item><title>El nuevo parque</title><guid>b</guid><enclosure url="b.png" type="image/png"/></item>
</channel></rss>)");
    const std::string list = (fx.Root() / "lista.opml").string();
    std::ofstream(list) << "<opml><body><outline text=\"Mundo\" xmlUrl=\"" << fx.Url()
                        << "/src/dos.xml\"/></body></opml>";
    const fs::path dir = fx.Root() / "edicion";
    const auto files = [&] {
        std::map<std::string, std::pair<ino_t, std::string>> found;
        for (const auto& [path, size] : Tree(dir)) {
            struct stat info {};
            EXPECT_EQ(::stat((dir / path).c_str(), &info), 0) << path;
            found[path] = {info.st_ino, Read(dir / path)};
        }
        return found;
    };
    ASSERT_EQ(Export(fx, list, {"--pictures"}).exitCode, 0);
    const auto first = files();
    ASSERT_EQ(first.size(), 20u + 2u + 2u); // the catalogue, the articles, the pictures
    std::string pictureA, pictureB;
    for (const auto& [path, file] : first) {
        if (path.ends_with(".jpg")) {
            pictureA = path;
        } else if (path.ends_with(".png")) {
            pictureB = path;
        }
    }
    ASSERT_FALSE(pictureA.empty());
    ASSERT_FALSE(pictureB.empty());
    // A reader still holding the old picture (here: a link of its own).
    const fs::path held = fx.Root() / "sostenida.jpg";
    fs::create_hard_link(dir / pictureA, held);

    fx.WritePicture("src/a.jpg", PictureMaker::Format::Jpeg, 3);
    ExportRun again = Export(fx, list, {"--pictures"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_NE(again.out.find(" 2 pictures (0 left out)"), std::string::npos) << again.out;
    EXPECT_TRUE(Whole(dir));
    const auto second = files();
    ASSERT_EQ(second.size(), first.size());
    for (const auto& [path, file] : second) {
        ASSERT_TRUE(first.count(path)) << path;
        if (path == pictureA) {
            EXPECT_NE(file.first, first.at(path).first) << "a changed picture written through";
            EXPECT_EQ(file.second, Read(fx.Root() / "feeds" / "src" / "a.jpg"));
        } else {
            EXPECT_EQ(file, first.at(path)) << path << " is not the same file";
        }
    }
    EXPECT_EQ(Read(held), first.at(pictureA).second) << "the old picture changed under a reader";

    // A folder without its manifest is not a whole edition: nothing is taken from it.
    fs::remove(dir / "manifest.txt");
    ASSERT_EQ(Export(fx, list, {"--pictures"}).exitCode, 0);
    for (const auto& [path, file] : files()) {
        EXPECT_NE(file.first, second.at(path).first) << path << " taken from a folder not whole";
        EXPECT_EQ(file.second, second.at(path).second) << path;
    }
}

// Killed anywhere, by SIGTERM or SIGKILL, an export leaves the folder as the
// previous whole edition or the new whole one, never half of either; the
// next export clears what a killed one left beside it; two at once take turns.
TEST(EditionExportTest, KilledAtRandomPointsOrRacedItNeverLeavesAPartialEdition) {
    FeedFixture fx("export-kill");
    std::string feed = "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel><title>Lenta</title>";
    for (int i = 0; i < 60; ++i) {
        const std::string picture = "img/" + std::to_string(i) + ".jpg";
        fx.WritePicture("src/" + picture, PictureMaker::Format::Jpeg, i);
        // Slow pictures spread the export over a while worth killing into.
        fx.Server().SetRule("/src/" + picture, {.delayMs = 15});
        feed += "<item><title>Noticia " + std::to_string(i) + "</title><guid>n" +
                std::to_string(i) + "</guid><enclosure url=\"" + picture +
                "\" type=\"image/jpeg\"/></item>";
    }
    fx.WriteFeed("src/lenta.xml", feed + "</channel></rss>");
    const std::string list = (fx.Root() / "lista.opml").string();
    std::ofstream(list) << "<opml><body><outline text=\"Mundo\" xmlUrl=\"" << fx.Url()
                        << "/src/lenta.xml\"/></body></opml>";
    const fs::path dir = fx.Root() / "edicion";
    const fs::path temporary = fx.Root() / "edicion.new";

    std::mt19937 random(std::random_device{}());
    // Files written or linked since `since`, wherever the export puts them:
    // the kill points follow its own progress, from before it writes to after
    // the rename. A linked file keeps its modification time; its change time moves.
    const auto written = [&](const timespec& since) {
        std::size_t count = 0;
        for (const fs::path& root : {dir, temporary}) {
            std::error_code ec;
            for (auto it = fs::recursive_directory_iterator(root, ec);
                 !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
                struct stat info {};
                if (::lstat(it->path().c_str(), &info) == 0 &&
                    std::tie(info.st_ctim.tv_sec, info.st_ctim.tv_nsec) >=
                        std::tie(since.tv_sec, since.tv_nsec)) {
                    ++count;
                }
            }
        }
        return count;
    };
    bool everWhole = false;
    for (int round = 0; round < 10; ++round) {
        const int signal = round % 2 == 0 ? SIGTERM : SIGKILL;
        const bool leftover = fs::exists(temporary); // by a SIGKILL before
        const std::size_t files = std::uniform_int_distribution<std::size_t>(0, 150)(random);
        timespec since{};
        ::clock_gettime(CLOCK_REALTIME, &since);
        {
            Process process({PREGONERO_FEEDS_BINARY, "--sources", list, "--export", dir.string(),
                             "--state", (fx.Root() / "state").string(), "--pictures"});
            WaitUntil([&] { return written(since) >= files || process.Wait(0) >= 0; }, 60);
            process.Signal(signal);
            const int code = process.Wait(60);
            ASSERT_TRUE(code == 0 || code == 1 || code == 128 + signal)
                << code << " " << process.Err();
            if (signal == SIGTERM && !leftover) {
                EXPECT_FALSE(fs::exists(temporary)) << "left beside the edition after SIGTERM";
            }
        }
        if (fs::exists(dir)) {
            EXPECT_TRUE(Whole(dir)) << "round " << round;
            everWhole = true;
        } else {
            EXPECT_FALSE(everWhole) << "round " << round << ": the edition went away";
        }
    }
    ASSERT_EQ(Export(fx, list, {"--pictures"}).exitCode, 0);
    EXPECT_TRUE(Whole(dir));
    EXPECT_EQ(Tree(dir).size(), 20u + 60u + 60u); // the catalogue, the articles, the pictures
    EXPECT_FALSE(fs::exists(temporary));

    // Two exports into the folder at once (a timer's and a hand's) take turns.
    const std::vector<std::string> argv = {
        PREGONERO_FEEDS_BINARY, "--sources",  list,      "--export",
        dir.string(),           "--pictures", "--state", (fx.Root() / "state").string()};
    Process first(argv);
    Process second(argv);
    EXPECT_EQ(first.Wait(60), 0) << first.Err();
    EXPECT_EQ(second.Wait(60), 0) << second.Err();
    EXPECT_TRUE(Whole(dir));
    EXPECT_FALSE(fs::exists(temporary));
}

} // namespace
} // namespace pregonero::e2e
