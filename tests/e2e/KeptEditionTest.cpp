// A kept edition used as a user would: the repository's example list
// exported with its pictures, then read offline from its folder with
// --edition, and published by nginx under a path that --feed-server names.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/ProgramRun.h"
#include "tests/e2e/support/WaitUntil.h"
#include "tests/support/ReadAll.h"

namespace pregonero::e2e {
namespace {

namespace fs = std::filesystem;

using testing_support::ReadAll;

// Which of our fixtures stands for each address of the example list: every
// kind of feed the list's newspapers could publish, with their pictures.
const std::map<std::string, std::string> kExampleSources = {
    {"www.example.com/rss/portada.xml", "rss-local-pictures.xml"},
    {"heraldo.example.com/feeds/mundo.rss", "rss-content-encoded.xml"},
    {"valle.example.org/atom/mundo", "atom-relative.xml"},
    {"heraldo.example.com/feeds/deportes.rss", "rss-enclosure-image.xml"},
    {"www.example.net/economia/feed.json", "jsonfeed.json"},
    {"valle.example.org/atom/cultura", "atom-xhtml.xml"},
    {"www.example.com/rss/ultima-hora.xml", "rss-media-thumbnail.xml"},
    {"heraldo.example.com/feeds/galerias.rss", "rss-media-group.xml"},
};

// The repository's example list exported into `dir` with its pictures, each
// https://HOST/PATH it or a feed names served by the fixture's server at
// /HOST/PATH: the feeds from our fixtures, every picture a real one.
void ExportExample(FeedFixture& fx, const fs::path& dir, const std::string& baseUrl) {
    const std::regex host(R"(https://([a-z0-9.-]+\.example\.(?:com|org|net))/)");
    const std::string local = fx.Url() + "/$1/";
    const std::string list = std::regex_replace(ReadAll(PREGONERO_EXAMPLE_OPML), host, local);
    const std::regex source("xmlUrl=\"" + fx.Url() + "/([^\"]+)\"");
    int sources = 0;
    for (std::sregex_iterator it(list.begin(), list.end(), source), end; it != end; ++it) {
        const std::string path = (*it)[1];
        ++sources;
        ASSERT_TRUE(kExampleSources.contains(path)) << "no fixture for " << path;
        const std::string feed = std::regex_replace(
            ReadAll(fs::path(PREGONERO_SOURCE_FIXTURES) / kExampleSources.at(path)), host, local);
        fx.WriteFeed(path, feed);
        // Relative pictures (img/...) resolve beside the feed.
        fs::copy(fs::path(PREGONERO_SOURCE_FIXTURES) / "img",
                 fx.Root() / "feeds" / fs::path(path).parent_path() / "img",
                 fs::copy_options::recursive | fs::copy_options::overwrite_existing);
        // Absolute ones get a real picture of their kind at their path.
        const std::string prefix = fx.Url() + "/";
        for (auto at = feed.find(prefix); at != std::string::npos; at = feed.find(prefix, at)) {
            at += prefix.size();
            const std::string link = feed.substr(at, feed.find_first_of("\"'<> \\", at) - at);
            if (link.ends_with(".jpg") || link.ends_with(".png")) {
                const fs::path picture = fx.Root() / "feeds" / link;
                fs::create_directories(picture.parent_path());
                fs::copy_file(fs::path(PREGONERO_SOURCE_FIXTURES) / "img" /
                                  (link.ends_with(".png") ? "mercado.png" : "estadio.jpg"),
                              picture, fs::copy_options::overwrite_existing);
            }
        }
    }
    ASSERT_EQ(sources, static_cast<int>(kExampleSources.size())) << list;
    std::ofstream(fx.Root() / "diarios.opml") << list;

    std::vector<std::string> argv = {
        PREGONERO_FEEDS_BINARY, "--sources", (fx.Root() / "diarios.opml").string(), "--export",
        dir.string(),           "--state",   (fx.Root() / "state").string(),        "--pictures"};
    if (!baseUrl.empty()) {
        argv.insert(argv.end(), {"--base-url", baseUrl});
    }
    Process exporter(argv);
    ASSERT_EQ(exporter.Wait(120), 0) << exporter.Err();
    EXPECT_NE(exporter.Out().find(" pictures (0 left out)"), std::string::npos) << exporter.Out();
    EXPECT_EQ(exporter.Out().find("failed:"), std::string::npos) << exporter.Out();
}

// Every request the fixture's server answered for a file it holds.
int FixtureRequests(FeedFixture& fx) {
    int requests = 0;
    const fs::path feeds = fx.Root() / "feeds";
    for (const auto& entry : fs::recursive_directory_iterator(feeds)) {
        requests += fx.Server().RequestCount("/" + fs::relative(entry.path(), feeds).string());
    }
    return requests;
}

// The front page, every section of the example list, an article, the
// galleries and a gallery paged.
constexpr const char* kTour =
    "wait\ndump\n"
    "option\nchoose Mundo\nwait\ndump\nselect 0\nwait\ndump\nsoftkey 1\nwait\n"
    "option\nchoose Deportes\nwait\ndump\noption\nchoose Cartera\nwait\ndump\n"
    "option\nchoose Mas...\nchoose Letras + Artes\nwait\ndump\n"
    "option\nchoose Mas...\nchoose Minuto x Minuto\nwait\ndump\n"
    "option\nchoose Mas...\nchoose Fotogaleria\nwait\ndump\n"
    "select 0\nwait\ndump\noption\nchoose Siguiente\nwait\ndump\nquit\n";

// Every screen of the tour shown whole, with its feed's texts and every
// picture in view drawn.
void ExpectWholeEdition(const ProgramRun& run) {
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    struct Screen {
        const char* form;
        const char* title; // the section's, where it has one
        const char* shows;
    };
    const Screen screens[] = {
        {"IDF_FORM_PORTADA", nullptr, "El mercado vuelve a la plaza"},
        {"IDF_FORM_SECCION", "MUNDO", "El ayuntamiento aprueba el presupuesto de 2027"},
        {"IDF_FORM_NOTA", nullptr, "Concierto en el estadio municipal"},
        {"IDF_FORM_SECCION", "DEPORTES", "El Atlético Portuario asciende a Segunda"},
        {"IDF_FORM_SECCION", "CARTERA", "El puente romano reabre tras la restauración"},
        {"IDF_FORM_SECCION", "LETRAS + ARTES", "Nueva línea de autobús al hospital"},
        {"IDF_FORM_SECCION", "MxM", "Llega el primer crucero de la temporada"},
        {"IDF_FORM_SECCION", "FOTOGALERIA", "Las fiestas de San Roque, en imágenes"},
        {"IDF_FORM_FOTOGALERIA", nullptr, "El pregón desde el balcón del ayuntamiento."},
        {"IDF_FORM_FOTOGALERIA", nullptr, "La procesión"},
    };
    ASSERT_EQ(run.dumps.size(), std::size(screens)) << run.stdErr;
    for (std::size_t i = 0; i < run.dumps.size(); ++i) {
        const Snapshot& dump = run.dumps[i];
        SCOPED_TRACE(screens[i].shows);
        EXPECT_EQ(dump.Form(), screens[i].form);
        if (screens[i].title != nullptr) {
            EXPECT_EQ(dump.Label("LabelSeccion"), screens[i].title);
        }
        EXPECT_TRUE(dump.Shows(screens[i].shows)) << dump;
        EXPECT_EQ(dump.Label("LabelCargando"), std::nullopt) << dump;
        EXPECT_EQ(dump.BoxText(), std::nullopt) << dump;
        EXPECT_FALSE(dump.Elements(-1, "bitmap").empty()) << dump;
        EXPECT_TRUE(dump.Elements(-1, "empty").empty()) << dump;
    }
    // Both sources of a section, merged.
    EXPECT_TRUE(run.dumps[1].Shows("Concierto en el estadio municipal"));
    EXPECT_EQ(run.dumps[8].Label("LabelFotogaleria"), "Foto: 1 de 4");
    EXPECT_EQ(run.dumps[9].Label("LabelFotogaleria"), "Foto: 2 de 4");
}

// A loopback port nothing listens on now, for a server that takes a port number.
int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), size);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    ::close(fd);
    return ntohs(address.sin_port);
}

bool Listening(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    const bool connected =
        ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return connected;
}

TEST(KeptEditionTest, ReadsTheFolderWithNoNetworkButTheLoopback) {
    FeedFixture fx("kept");
    const fs::path dir = fx.Root() / "edicion";
    ASSERT_NO_FATAL_FAILURE(ExportExample(fx, dir, ""));
    fx.Server().Stop();
    // In a network namespace of its own only the reader's loopback answers;
    // where namespaces are not allowed the sources' server is gone anyway.
    RunOptions options{.timeoutSeconds = 180, .launcher = {}, .args = {"--edition", dir.string()}};
    if (std::system("unshare -rn sh -c 'ip link set lo up' >/dev/null 2>&1") == 0) {
        options.launcher = {"unshare", "-rn", "sh", "-c", "ip link set lo up && exec \"$@\"", "sh"};
    }
    ExpectWholeEdition(ProgramRun::Start(fx.Home(), "", kTour, options));
    EXPECT_FALSE(fx.HomeHas("sample")) << "the kept edition, not the sample, was read";
}

// nginx (Debian's nginx-light) publishing the folder under /edicion/, as a
// newspaper would: the reader sees everything and nginx answers every
// request it gets with 200 or 304.
TEST(KeptEditionTest, NginxPublishesTheEditionUnderAPath) {
    const char* nginx = "/usr/sbin/nginx";
    if (!fs::exists(nginx)) {
        GTEST_SKIP() << "nginx is not installed (scripts/setup installs nginx-light)";
    }
    FeedFixture fx("nginx");
    const fs::path site = fx.Root() / "site";
    const fs::path logs = fx.Root() / "nginx";
    fs::create_directories(logs);
    const int port = FreePort();
    const std::string base = "http://127.0.0.1:" + std::to_string(port) + "/edicion";
    ASSERT_NO_FATAL_FAILURE(ExportExample(fx, site / "edicion", base));
    const int exported = FixtureRequests(fx);
    std::ostringstream conf;
    conf << "daemon off;\nmaster_process off;\nworker_processes 1;\n"
         << "pid " << (logs / "nginx.pid").string() << ";\n"
         << "events { worker_connections 64; }\nhttp {\n"
         << "  types { text/xml xml; image/jpeg jpg; image/png png; }\n"
         << "  log_format brief '$status $request_uri';\n"
         << "  access_log " << (logs / "access.log").string() << " brief;\n";
    for (const char* temp : {"client_body", "proxy", "fastcgi", "uwsgi", "scgi"}) {
        conf << "  " << temp << "_temp_path " << (logs / temp).string() << ";\n";
    }
    conf << "  server { listen 127.0.0.1:" << port << "; root " << site.string() << "; }\n}\n";
    std::ofstream(logs / "nginx.conf") << conf.str();
    Process server({nginx, "-e", (logs / "error.log").string(), "-p", logs.string(), "-c",
                    (logs / "nginx.conf").string()});
    ASSERT_TRUE(WaitUntil([&] { return Listening(port); }, 30)) << server.Err();

    ExpectWholeEdition(ProgramRun::Start(fx.Home(), base, kTour,
                                         {.timeoutSeconds = 180, .launcher = {}, .args = {}}));
    EXPECT_EQ(FixtureRequests(fx), exported) << "the reader went to the sources";
    server.Signal(SIGTERM);
    server.Wait(30);
    std::ifstream log(logs / "access.log");
    std::vector<std::string> answered;
    for (std::string status, path; log >> status >> path;) {
        EXPECT_TRUE(status == "200" || status == "304") << status << " " << path;
        answered.push_back(path);
    }
    for (const char* path :
         {"/edicion/mobile/2notashome.xml", "/edicion/mobile/mundo.xml", "/edicion/mobile/fg.xml",
          "/edicion/mobile/cultura.xml", "/edicion/mobile/pregoneromxm.xml"}) {
        EXPECT_NE(std::find(answered.begin(), answered.end(), path), answered.end()) << path;
    }
    EXPECT_NE(std::find_if(
                  answered.begin(), answered.end(),
                  [](const std::string& path) { return path.starts_with("/edicion/pictures/"); }),
              answered.end());
}

} // namespace
} // namespace pregonero::e2e
