#include <csignal>
#include <filesystem>
#include <iostream>

#include "feedserver/faults/FaultRuleParser.h"
#include "feedserver/faults/FaultyFeedServer.h"
#include "feedserver/FeedsCommandLine.h"
#include "feedserver/SampleEdition.h"

using namespace pregonero::feeds;

namespace {

int WriteSample(const std::string& dir) {
    std::string error;
    if (!WriteSampleEdition(dir, &error)) {
        std::cerr << "pregonero-feeds: " << error << "\n";
        return 1;
    }
    return 0;
}

int Serve(const FeedsCommandLine& options) {
    FaultRuleParser rules;
    if (!options.FaultsFile().empty() && !rules.ParseFile(options.FaultsFile())) {
        std::cerr << "pregonero-feeds: " << options.FaultsFile() << ": " << rules.Error() << "\n";
        return 2;
    }
    // Block the signals before the server's threads exist so that they all
    // inherit the mask and only sigwait below sees SIGINT and SIGTERM.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    FaultyFeedServer server;
    for (const auto& [path, rule] : rules.Rules()) {
        server.SetRule(path, rule);
    }
    if (!server.Start(options.Directory(), options.Port())) {
        std::cerr << "pregonero-feeds: cannot serve " << options.Directory() << " on port "
                  << options.Port() << "\n";
        return 1;
    }
    std::cout << "serving " << options.Directory() << " at " << server.BaseUrl() << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    server.Stop();
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    FeedsCommandLine options;
    if (!options.Parse(argc, argv)) {
        std::cerr << "pregonero-feeds: " << options.Error() << " (" << FeedsCommandLine::Usage()
                  << ")\n";
        return 2;
    }
    if (options.GetMode() == FeedsCommandLine::Mode::Help) {
        std::cout << FeedsCommandLine::Usage() << "\n";
        return 0;
    }
    if (options.GetMode() == FeedsCommandLine::Mode::WriteSample) {
        return WriteSample(options.Directory());
    }
    std::error_code error;
    if (!std::filesystem::is_directory(options.Directory(), error)) {
        std::cerr << "pregonero-feeds: " << options.Directory() << " is not a directory\n";
        return 2;
    }
    return Serve(options);
}
