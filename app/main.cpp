// The pregonero executable: reads the command line, starts the runtime and
// the front end, and hands over to the application's entry point.
#include "app/CommandLine.h"
#include "app/FrontEndChoice.h"
#include "app/HomeDirectory.h"
#include "app/Pregonero_Raviv_v101Entry.h"
#include "feedserver/FeedServer.h"
#include "feedserver/SampleEdition.h"
#include "platform/app/AppRunner.h"
#include "platform/driver/ScriptDriver.h"
#include "platform/frontends/headless/HeadlessRunner.h"
#include "platform/frontends/sdl/SdlRunner.h"
#include "platform/frontends/sdl/SdlVideo.h"
#include "platform/frontends/terminal/TerminalRunner.h"
#include "platform/runtime/Runtime.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "pregonero: %s\n", message.c_str());
    return 2;
}

// Bumped whenever the bundled sample edition changes, so an older copy in the
// home directory is written again.
constexpr const char* kSampleStamp = "pregonero-sample 1";

// The sample edition in HOME/sample, written once per stamp.
bool PrepareSample(const std::string& home, std::string* dir, std::string* error) {
    *dir = home + "/sample";
    const std::string stampPath = *dir + "/.stamp";
    std::string stamp;
    std::getline(std::ifstream(stampPath), stamp);
    if (stamp == kSampleStamp) {
        return true;
    }
    std::error_code ignored;
    std::filesystem::remove_all(*dir, ignored);
    if (!pregonero::feeds::WriteSampleEdition(*dir, error)) {
        return false;
    }
    std::ofstream out(stampPath, std::ios::trunc);
    out << kSampleStamp << "\n";
    return static_cast<bool>(out);
}

void OnSignal(int) {
    pregonero::platform::RequestStop();
}

} // namespace

int main(int argc, char* argv[]) {
    std::vector<std::string> args(argv + 1, argv + argc);
    CommandLine cli;
    std::string error;
    if (!cli.Parse(args, &error)) {
        return Fail(error);
    }
    if (cli.help) {
        std::fputs(CommandLine::Usage().c_str(), stdout);
        return 0;
    }
    if (cli.version) {
        std::printf("%s\n", CommandLine::VersionText().c_str());
        return 0;
    }
    // Decided before anything is written or served: without a display the
    // reader says so in one line and leaves no trace.
    std::unique_ptr<pregonero::platform::SdlVideo> video;
    std::string videoError;
    const auto display = DisplayEnvironment::FromProcess();
    const FrontEndRequest request = cli.headless   ? FrontEndRequest::Headless
                                    : cli.terminal ? FrontEndRequest::Terminal
                                                   : FrontEndRequest::Automatic;
    const FrontEnd frontEnd = FrontEndChoice::Choose(
        request, display,
        [&] {
            video = pregonero::platform::SdlVideo::Start(display.VideoDrivers(), &videoError);
            return video != nullptr;
        },
        FrontEndChoice::TerminalOfProcess());
    if (frontEnd != FrontEnd::Window && frontEnd != FrontEnd::Headless &&
        frontEnd != FrontEnd::Terminal) {
        std::fprintf(stderr, "%s\n",
                     FrontEndChoice::Explain(frontEnd, display, videoError).c_str());
        return 2;
    }
    if (cli.feedServer.empty()) {
        const char* env = std::getenv("PREGONERO_FEED_SERVER");
        if (env != nullptr && *env != '\0' &&
            !CommandLine::NormalizeFeedServer(env, cli.feedServer)) {
            return Fail(std::string("PREGONERO_FEED_SERVER must be an http or https URL: '") + env +
                        "'");
        }
    }
    std::string home = HomeDirectory::Resolve(cli.homeDir);
    if (!HomeDirectory::Prepare(home, &error)) {
        return Fail(error);
    }
    // Without a feed server of its own choosing the reader serves the bundled
    // sample edition itself, on a free local port.
    pregonero::feeds::FeedServer sampleServer;
    if (cli.feedServer.empty()) {
        std::string sampleDir;
        if (!PrepareSample(home, &sampleDir, &error)) {
            return Fail("cannot write the sample edition: " + error);
        }
        if (!sampleServer.Start(sampleDir, 0)) {
            return Fail("cannot serve the sample edition from " + sampleDir);
        }
        cli.feedServer = sampleServer.BaseUrl();
    }
    std::unique_ptr<pregonero::platform::ScriptSource> source;
    if (cli.scriptPath == "-") {
        source = pregonero::platform::ScriptSource::FromStdin();
    } else if (!cli.scriptPath.empty()) {
        source = pregonero::platform::ScriptSource::FromFile(cli.scriptPath, &error);
        if (!source) {
            return Fail("cannot read script " + error);
        }
    }

    pregonero::runtime::Runtime runtime;
    auto& settings = runtime.Settings();
    settings.feedServer = cli.feedServer;
    settings.homeDir = home;
    settings.scriptPath = cli.scriptPath;
    settings.headless = frontEnd == FrontEnd::Headless;
    settings.networkOn.store(!cli.offline);

    std::unique_ptr<pregonero::platform::ScriptDriver> driver;
    if (source) {
        driver = std::make_unique<pregonero::platform::ScriptDriver>(std::move(source));
    }
    pregonero::platform::HeadlessRunner headless(driver.get());
    pregonero::platform::SdlRunner window(driver.get());
    pregonero::platform::TerminalRunner terminal(driver.get());
    if (frontEnd == FrontEnd::Window) {
        pregonero::platform::SetAppRunner(&window);
    } else if (frontEnd == FrontEnd::Terminal) {
        pregonero::platform::SetAppRunner(&terminal);
    } else {
        pregonero::platform::SetAppRunner(&headless);
    }
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);

    int rc = OspMain(argc, argv);
    pregonero::platform::SetAppRunner(nullptr);
    sampleServer.Stop();
    if ((driver && driver->Failed()) || window.Failed() || terminal.Failed()) {
        return 2;
    }
    return rc;
}
