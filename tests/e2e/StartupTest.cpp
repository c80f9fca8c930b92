// The reader's start-up and navigation core as a user meets it: the command
// line, the first screen, user events, screenshots and script errors.
#include "support/ProgramRun.h"

#include <gtest/gtest.h>
#include <spng.h>

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace fs = std::filesystem;
using pregonero::e2e::ProgramRun;

namespace {

// Nothing listens on port 9 of the loopback: every download is refused fast.
constexpr const char* kDeadServer = "http://127.0.0.1:9";

struct Outcome {
    int exitCode = -1;
    std::string stdErr;
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/pregonero-startup-XXXXXX";
        root_ = mkdtemp(pattern);
        fs::create_directories(root_ + "/home");
    }
    void TearDown() override { fs::remove_all(root_); }

    // Runs the reader with `args` and no script; standard error is kept.
    Outcome RunWith(const std::vector<std::string>& args) {
        std::string errPath = root_ + "/stderr.txt";
        // Made before the fork: the child may only make async-signal-safe calls.
        std::vector<char*> argv{const_cast<char*>(PREGONERO_BINARY)};
        for (const auto& a : args) {
            argv.push_back(const_cast<char*>(a.c_str()));
        }
        argv.push_back(nullptr);
        std::vector<char*> envp;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            std::string_view text(*entry);
            if (text.rfind("DISPLAY=", 0) != 0 && text.rfind("WAYLAND_DISPLAY=", 0) != 0) {
                envp.push_back(*entry);
            }
        }
        envp.push_back(nullptr);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        pid_t pid = fork();
        if (pid == 0) {
            dup2(err, 2);
            dup2(null, 1);
            execve(PREGONERO_BINARY, argv.data(), envp.data());
            _exit(127);
        }
        close(err);
        close(null);
        int status = 0;
        waitpid(pid, &status, 0);
        std::ifstream in(errPath);
        std::stringstream text;
        text << in.rdbuf();
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, text.str()};
    }

    ProgramRun Script(const std::string& script) {
        return ProgramRun::Start(root_ + "/home", kDeadServer, script, 60);
    }

    std::string root_;
};

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

} // namespace

TEST_F(StartupTest, EventsBuildTheScreenTheyNameAndNothingElse) {
    ProgramRun run = Script("dump\n"
                            "event 105\n"
                            "dump\n"
                            "event 99\nevent 122\nevent -1\n"
                            "wait\n"
                            "dump\n"
                            "event 108\nevent 121\n"
                            "wait\n"
                            "dump\n"
                            "ok\n"
                            "wait\n"
                            "dump\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 5u);
    EXPECT_TRUE(Has(run.dumps[0], R"("forms":["FormMgr","IDF_FORM_PORTADA"])")) << run.dumps[0];
    EXPECT_TRUE(Has(run.dumps[1], R"("forms":["FormMgr","IDF_FORM_SECCION"])")) << run.dumps[1];
    EXPECT_TRUE(Has(run.dumps[1], R"("text":"ESTADO DE MEXICO")")) << run.dumps[1];
    // Ids outside the catalogue changed nothing.
    EXPECT_TRUE(Has(run.dumps[2], R"("forms":["FormMgr","IDF_FORM_SECCION"])")) << run.dumps[2];
    // No link was chosen, so the article cannot start: its box is up while the
    // article is being added, before it becomes current.
    EXPECT_TRUE(Has(run.dumps[3],
                    R"("messageBox":{"title":"TestHttpGet","text":"Lo sentimos, pero esta )"
                    R"(nota no se encuentra disponible po rel momento"})"))
        << run.dumps[3];
    EXPECT_TRUE(Has(run.dumps[4], R"("forms":["FormMgr","IDF_FORM_NOTA"])")) << run.dumps[4];
    EXPECT_TRUE(Has(run.dumps[4], R"("title":"Pregonero raviv")"));
    EXPECT_TRUE(Has(run.dumps[4], R"({"index":1,"text":"Atras","enabled":true)")) << run.dumps[4];
    EXPECT_TRUE(Has(run.dumps[4], R"("messageBox":null)"));
}

TEST_F(StartupTest, OfflineStartShowsItsBoxToTheScriptAndCarriesOn) {
    // The first screen's box opens while the application is still starting:
    // the script must already be able to see it and close it.
    ProgramRun run =
        ProgramRun::Start(root_ + "/home", kDeadServer,
                          "wait\ndump\nok\nwait\ndump\noption\ndump\n", 60, {}, {"--offline"});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_TRUE(Has(run.dumps[0],
                    R"("messageBox":{"title":"TestHttpGet","text":"Network is unavailable"})"))
        << run.dumps[0];
    EXPECT_TRUE(Has(run.dumps[1], R"("messageBox":null)"));
    EXPECT_TRUE(Has(run.dumps[1], R"("text":"Error")")) << run.dumps[1];
    EXPECT_TRUE(Has(run.dumps[2], R"("menu":{"shown":true)")) << run.dumps[2];
}

TEST_F(StartupTest, ScreenshotIsTheWholeScreenAsPng) {
    std::string shot = root_ + "/shot.png";
    ProgramRun run = Script("wait\nscreenshot " + shot + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    std::ifstream in(shot, std::ios::binary);
    std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, png.data(), png.size());
    spng_ihdr ihdr{};
    ASSERT_EQ(spng_get_ihdr(ctx, &ihdr), 0);
    EXPECT_EQ(ihdr.width, 480u);
    EXPECT_EQ(ihdr.height, 800u);
    spng_ctx_free(ctx);
}

TEST_F(StartupTest, BadCommandLinesEndWithOneLineAndStatusTwo) {
    std::string home = root_ + "/home";
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const Case cases[] = {
        {{"--headless", "--frobnicate"}, "unknown option"},
        {{"--headless", "--feed-server", "ftp://127.0.0.1/x", "--home", home}, "--feed-server"},
        {{"--headless", "--feed-server", "127.0.0.1:8080", "--home", home}, "--feed-server"},
        {{"--headless", "--feed-server"}, "needs a value"},
        {{"--headless", "--feed-server", kDeadServer, "--home", "/proc/pregonero"}, "home"},
        {{"--headless", "--feed-server", kDeadServer, "--home", home, "--script",
          root_ + "/missing.txt"},
         "script"},
    };
    for (const auto& c : cases) {
        Outcome outcome = RunWith(c.args);
        EXPECT_EQ(outcome.exitCode, 2) << c.args.back();
        EXPECT_TRUE(Has(outcome.stdErr, c.says)) << outcome.stdErr;
        EXPECT_EQ(std::count(outcome.stdErr.begin(), outcome.stdErr.end(), '\n'), 1)
            << outcome.stdErr;
    }
    EXPECT_FALSE(fs::exists("/proc/pregonero"));
    Outcome help = RunWith({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    Outcome version = RunWith({"--version"});
    EXPECT_EQ(version.exitCode, 0);
}

TEST_F(StartupTest, ScriptErrorsNameTheLineAndEndWithStatusTwo) {
    struct Case {
        std::string script;
        std::string says;
    };
    const Case cases[] = {
        {"wait\nbailar\n", "script:2: unknown command 'bailar'"},
        {"ok\n", "script:1: no message box"},
        {"# a comment\n\nselect 0\n", "script:3:"},
        {"wait\nchoose Deportes\n", "script:2: no option menu is open"},
        {"softkey 7\n", "script:1:"},
        {"event once\n", "script:1:"},
        {"network maybe\n", "script:1:"},
        {"sleep 3000\nwait 0\n", ""}, // idle already: not an error
    };
    for (const auto& c : cases) {
        ProgramRun run = Script(c.script);
        if (c.says.empty()) {
            EXPECT_EQ(run.exitCode, 0) << c.script << run.stdErr;
            continue;
        }
        EXPECT_EQ(run.exitCode, 2) << c.script;
        EXPECT_TRUE(Has(run.stdErr, c.says)) << c.script << "\n" << run.stdErr;
    }
}

TEST_F(StartupTest, WaitThatNeverReachesIdleIsAScriptError) {
    // A loopback port that listens but never answers: the download hangs on.
    int fd = socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(fd, 8), 0);
    socklen_t length = sizeof addr;
    getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &length);
    std::string silent = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port));
    ProgramRun run = ProgramRun::Start(root_ + "/home", silent, "wait 0.3\n", 60);
    close(fd);
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_TRUE(Has(run.stdErr, "script:1: idle not reached")) << run.stdErr;
}
