// A kept edition read as a user would: offline from its folder with
// --edition, and published by a web server under a path that --feed-server
// names, our own feed server or nginx.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/EditionFolder.h"
#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/ProgramRun.h"
#include "tests/e2e/support/WaitUntil.h"

namespace pregonero::e2e {
namespace {

namespace fs = std::filesystem;

// The front page, a section, its first article, the galleries and a photo.
constexpr const char* kTour = "wait\ndump\nevent 102\nwait\ndump\nselect 0\nwait\ndump\n"
                              "event 119\nwait\ndump\nselect 0\nwait\ndump\nquit\n";

// Every screen of the tour shown whole: its feed read and every picture in view drawn.
void ExpectWholeEdition(const ProgramRun& run) {
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 5u) << run.stdErr;
    const char* forms[] = {"IDF_FORM_PORTADA", "IDF_FORM_SECCION", "IDF_FORM_NOTA",
                           "IDF_FORM_SECCION", "IDF_FORM_FOTOGALERIA"};
    for (std::size_t i = 0; i < run.dumps.size(); ++i) {
        const Snapshot& dump = run.dumps[i];
        EXPECT_EQ(dump.Form(), forms[i]);
        EXPECT_EQ(dump.Label("LabelCargando"), std::nullopt) << dump;
        EXPECT_EQ(dump.BoxText(), std::nullopt) << dump;
        EXPECT_FALSE(dump.Elements(-1, "bitmap").empty()) << dump;
        EXPECT_TRUE(dump.Elements(-1, "empty").empty()) << dump;
    }
    EXPECT_EQ(run.dumps[1].Label("LabelSeccion"), "MUNDO");
    EXPECT_EQ(run.dumps[4].Label("LabelFotogaleria").value_or("").rfind("Foto: 1 de ", 0), 0u);
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
    WriteEditionFolder(dir, "");
    // In a network namespace of its own only the reader's loopback answers;
    // where namespaces are not allowed the folder still names no other host.
    RunOptions options{.timeoutSeconds = 120, .launcher = {}, .args = {"--edition", dir.string()}};
    if (std::system("unshare -rn sh -c 'ip link set lo up' >/dev/null 2>&1") == 0) {
        options.launcher = {"unshare", "-rn", "sh", "-c", "ip link set lo up && exec \"$@\"", "sh"};
    }
    ExpectWholeEdition(ProgramRun::Start(fx.Home(), "", kTour, options));
    EXPECT_FALSE(fx.HomeHas("sample")) << "the kept edition, not the sample, was read";
}

TEST(KeptEditionTest, FeedServerUnderAPathServesTheWholeEdition) {
    FeedFixture fx("mounted");
    WriteEditionFolder(fx.Root() / "feeds" / "edicion", fx.Url() + "/edicion");
    ExpectWholeEdition(ProgramRun::Start(fx.Home(), fx.Url() + "/edicion/", kTour,
                                         {.timeoutSeconds = 120, .launcher = {}, .args = {}}));
    EXPECT_EQ(fx.Server().RequestCount("/edicion/mobile/2notashome.xml"), 1);
    EXPECT_EQ(fx.Server().RequestCount("/mobile/2notashome.xml"), 0);
    EXPECT_GT(fx.Server().RequestCount("/edicion/mobile/mundo.xml"), 0);
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
    WriteEditionFolder(site / "edicion", base);
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
                                         {.timeoutSeconds = 120, .launcher = {}, .args = {}}));
    server.Signal(SIGTERM);
    server.Wait(30);
    std::ifstream log(logs / "access.log");
    std::vector<std::string> answered;
    for (std::string status, path; log >> status >> path;) {
        EXPECT_TRUE(status == "200" || status == "304") << status << " " << path;
        answered.push_back(path);
    }
    for (const char* path : {"/edicion/mobile/2notashome.xml", "/edicion/mobile/mundo.xml",
                             "/edicion/mobile/fg.xml"}) {
        EXPECT_NE(std::find(answered.begin(), answered.end(), path), answered.end()) << path;
    }
    EXPECT_NE(
        std::find_if(answered.begin(), answered.end(),
                     [](const std::string& path) { return path.starts_with("/edicion/img/"); }),
        answered.end());
    EXPECT_EQ(fx.Server().RequestCount("/edicion/mobile/2notashome.xml"), 0);
}

} // namespace
} // namespace pregonero::e2e
