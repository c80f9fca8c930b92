#include "app/FeedServerResolver.h"

#include <cstdlib>

#include "app/CommandLine.h"
#include "feedserver/SampleEdition.h"

namespace {

// Bumped whenever the bundled sample edition changes, so an older copy in the
// home directory is written again.
constexpr const char* kSampleStamp = "pregonero-sample 1";

// The sample edition in HOME/sample, written once per stamp.
bool PrepareSample(const std::string& home, std::string* dir, std::string* error) {
    *dir = home + "/sample";
    return pregonero::feeds::InstallSampleEdition(*dir, kSampleStamp, error);
}

} // namespace

bool FeedServerResolver::Given(const std::string& fromCommandLine, std::string* address,
                               std::string* error) {
    *address = fromCommandLine;
    const char* env = std::getenv("PREGONERO_FEED_SERVER");
    if (address->empty() && env != nullptr && *env != '\0' &&
        !CommandLine::NormalizeFeedServer(env, *address)) {
        *error = std::string("PREGONERO_FEED_SERVER must be an http or https URL: '") + env + "'";
        return false;
    }
    return true;
}

bool FeedServerResolver::ServeSampleUnlessGiven(const std::string& home, std::string* address,
                                                std::string* error) {
    if (!address->empty()) {
        return true;
    }
    std::string dir;
    if (!PrepareSample(home, &dir, error)) {
        *error = "cannot write the sample edition: " + *error;
        return false;
    }
    if (!sample_.Start(dir, 0)) {
        *error = "cannot serve the sample edition from " + dir;
        return false;
    }
    *address = sample_.BaseUrl();
    return true;
}

bool FeedServerResolver::ServeSources(const pregonero::feeds::BridgeOptions& options,
                                      std::string* address, std::string* error) {
    using pregonero::feeds::EditionService;
    sources_ = std::make_unique<EditionService>();
    if (sources_->Start(options, 0, PREGONERO_VERSION, error) != EditionService::Failure::None) {
        sources_.reset();
        return false;
    }
    *address = sources_->BaseUrl();
    return true;
}

void FeedServerResolver::Stop() {
    sample_.Stop();
    if (sources_) {
        sources_->Stop();
    }
}
