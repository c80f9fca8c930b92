#include <csignal>
#include <filesystem>
#include <iostream>
#include <thread>

#include <unistd.h>

#include "feedserver/bridge/EditionExport.h"
#include "feedserver/bridge/EditionService.h"
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

// Only sigwait below sees SIGINT and SIGTERM: blocked before any thread of
// the servers exists, so that they all inherit the mask.
sigset_t BlockStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    return signals;
}

int ServeSources(const FeedsCommandLine& options) {
    sigset_t signals = BlockStopSignals();
    EditionService service;
    std::string error;
    const auto failure = service.Start(options.Bridge(), options.Port(), PREGONERO_VERSION, &error);
    if (failure != EditionService::Failure::None) {
        std::cerr << "pregonero-feeds: " << error << "\n";
        return failure == EditionService::Failure::BadInput ? 2 : 1;
    }
    std::cout << "serving " << service.SourceCount() << " sources at " << service.BaseUrl()
              << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    service.Stop();
    return 0;
}

// The export runs on a thread of its own, so that SIGINT or SIGTERM can cut
// it short and it still cleans up: the previous edition stays, no temporary
// folder is left behind.
int Export(const FeedsCommandLine& options) {
    sigset_t signals = BlockStopSignals();
    sigaddset(&signals, SIGUSR1); // the export's own "done"
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    EditionExport exporter;
    ExportSettings settings{options.Bridge(), options.Export(),
                            std::string("pregonero-feeds/") + PREGONERO_VERSION};
    ExportProgress progress(stdout, isatty(STDOUT_FILENO) == 1);
    std::string error;
    auto failure = EditionExport::Failure::None;
    std::thread worker([&] {
        failure = exporter.Run(settings, progress, &error);
        kill(getpid(), SIGUSR1);
    });
    int received = 0;
    sigwait(&signals, &received);
    if (received != SIGUSR1) {
        exporter.Interrupt();
    }
    worker.join();
    if (failure != EditionExport::Failure::None) {
        std::cerr << "pregonero-feeds: " << error << "\n";
        return failure == EditionExport::Failure::BadInput ? 2 : 1;
    }
    return 0;
}

int Serve(const FeedsCommandLine& options) {
    FaultRuleParser rules;
    if (!options.FaultsFile().empty() && !rules.ParseFile(options.FaultsFile())) {
        std::cerr << "pregonero-feeds: " << options.FaultsFile() << ": " << rules.Error() << "\n";
        return 2;
    }
    sigset_t signals = BlockStopSignals();

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
    if (options.GetMode() == FeedsCommandLine::Mode::Bridge) {
        return ServeSources(options);
    }
    if (options.GetMode() == FeedsCommandLine::Mode::Export) {
        return Export(options);
    }
    std::error_code error;
    if (!std::filesystem::is_directory(options.Directory(), error)) {
        std::cerr << "pregonero-feeds: " << options.Directory() << " is not a directory\n";
        return 2;
    }
    return Serve(options);
}
