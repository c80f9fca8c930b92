// The pregonero executable: reads the command line, starts the runtime and
// the front end, and hands over to the application's entry point.
#include "app/CommandLine.h"
#include "app/FeedServerResolver.h"
#include "app/FrontEndChoice.h"
#include "app/HomeDirectory.h"
#include "app/Pregonero_Raviv_v101Entry.h"
#include "platform/app/AppRunner.h"
#include "platform/driver/ScriptDriver.h"
#include "platform/frontends/headless/HeadlessRunner.h"
#include "platform/frontends/sdl/SdlRunner.h"
#include "platform/frontends/sdl/SdlVideo.h"
#include "platform/frontends/terminal/TerminalRunner.h"
#include "platform/runtime/Runtime.h"

#include <csignal>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

int Fail(const std::string& message) {
    std::fprintf(stderr, "pregonero: %s\n", message.c_str());
    return 2;
}

void OnSignal(int) {
    pregonero::platform::RequestStop();
}

// Decided before anything is written or served: without a display the
// reader says so in one line and leaves no trace. A window's video is
// started here, into `video`, since trying it is how the choice is made.
FrontEnd ChooseFrontEnd(const CommandLine& cli,
                        std::unique_ptr<pregonero::platform::SdlVideo>& video) {
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
    const std::string refusal = FrontEndChoice::Explain(frontEnd, display, videoError);
    if (!refusal.empty()) {
        std::fprintf(stderr, "%s\n", refusal.c_str());
    }
    return frontEnd;
}

// Runs the application under the chosen front end; 2 when the front end or
// the script failed, else what the application returned.
int RunApplication(FrontEnd frontEnd, pregonero::platform::ScriptDriver* driver, int argc,
                   char* argv[]) {
    pregonero::platform::HeadlessRunner headless(driver);
    pregonero::platform::SdlRunner window(driver);
    pregonero::platform::TerminalRunner terminal(driver);
    pregonero::platform::AppRunner* runner = &headless;
    if (frontEnd == FrontEnd::Window) {
        runner = &window;
    } else if (frontEnd == FrontEnd::Terminal) {
        runner = &terminal;
    }
    pregonero::platform::SetAppRunner(runner);
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    const int rc = OspMain(argc, argv);
    pregonero::platform::SetAppRunner(nullptr);
    if ((driver != nullptr && driver->Failed()) || window.Failed() || terminal.Failed()) {
        return 2;
    }
    return rc;
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
    // Before anything opens a descriptor that could take a closed standard input's.
    std::unique_ptr<pregonero::platform::ScriptSource> source;
    if (cli.scriptPath == "-") {
        source = pregonero::platform::ScriptSource::FromStdin();
    } else if (!cli.scriptPath.empty()) {
        source = pregonero::platform::ScriptSource::FromFile(cli.scriptPath, &error);
        if (!source) {
            return Fail("cannot read script " + error);
        }
    }
    std::unique_ptr<pregonero::platform::SdlVideo> video;
    const FrontEnd frontEnd = ChooseFrontEnd(cli, video);
    if (frontEnd != FrontEnd::Window && frontEnd != FrontEnd::Headless &&
        frontEnd != FrontEnd::Terminal) {
        return 2;
    }
    std::string feedServer;
    // A kept edition is read whatever PREGONERO_FEED_SERVER says.
    const bool known = cli.editionDir.empty()
                           ? FeedServerResolver::Given(cli.feedServer, &feedServer, &error)
                           : (error = FeedServerResolver::CheckEdition(cli.editionDir)).empty();
    if (!known) {
        return Fail(error);
    }
    std::string home = HomeDirectory::Resolve(cli.homeDir);
    if (!HomeDirectory::Prepare(&home, &error)) {
        return Fail(error);
    }
    FeedServerResolver feeds;
    const bool serving =
        !cli.editionDir.empty()           ? feeds.ServeEdition(cli.editionDir, &feedServer, &error)
        : !cli.bridge.sourcesFile.empty() ? feeds.ServeSources(cli.bridge, &feedServer, &error)
                                          : feeds.ServeSampleUnlessGiven(home, &feedServer, &error);
    if (!serving) {
        return Fail(error);
    }

    // The runtime goes before the sample's server stops: closing its kept-alive
    // connections is what lets the server's workers end at once.
    auto runtime = std::make_unique<pregonero::runtime::Runtime>();
    auto& settings = runtime->Settings();
    settings.feedServer = feedServer;
    settings.homeDir = home;
    settings.scriptPath = cli.scriptPath;
    settings.headless = frontEnd == FrontEnd::Headless;
    settings.networkOn.store(!cli.offline);
    std::unique_ptr<pregonero::platform::ScriptDriver> driver;
    if (source) {
        driver = std::make_unique<pregonero::platform::ScriptDriver>(std::move(source));
    }
    const int rc = RunApplication(frontEnd, driver.get(), argc, argv);
    driver.reset();
    runtime.reset();
    feeds.Stop();
    return rc;
}
