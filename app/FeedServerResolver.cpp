#include "app/FeedServerResolver.h"

#include <cstdlib>
#include <filesystem>

#include "app/CommandLine.h"
#include "feedserver/SampleEdition.h"
#include "nav/SectionCatalogue.h"

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
    std::string why;
    if (address->empty() && env != nullptr && *env != '\0' &&
        !CommandLine::NormalizeFeedServer(env, *address, &why)) {
        *error = "PREGONERO_FEED_SERVER " + why + ": '" + env + "'";
        return false;
    }
    return true;
}

std::string FeedServerResolver::CheckEdition(const std::string& dir) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(dir, error);
    if (!fs::exists(status)) {
        return "--edition: no such folder: " + dir;
    }
    if (!fs::is_directory(status)) {
        return "--edition: not a folder: " + dir;
    }
    // Without the front page there is nothing to open first: most likely a
    // folder other than an edition, or one whose export never completed.
    const std::string frontPage = SectionCatalogue::Find(SectionCatalogue::kFirstId)->path;
    if (!fs::is_regular_file(fs::path(dir) / frontPage.substr(1), error)) {
        return "--edition: " + dir + " holds no edition (" + frontPage.substr(1) + " is missing)";
    }
    return {};
}

bool FeedServerResolver::ServeEdition(const std::string& dir, std::string* address,
                                      std::string* error) {
    *error = CheckEdition(dir);
    if (!error->empty()) {
        return false;
    }
    if (!folder_.Start(dir, 0)) {
        *error = "cannot serve the edition in " + dir;
        return false;
    }
    *address = folder_.BaseUrl();
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
    if (!folder_.Start(dir, 0)) {
        *error = "cannot serve the sample edition from " + dir;
        return false;
    }
    *address = folder_.BaseUrl();
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
    folder_.Stop();
    if (sources_) {
        sources_->Stop();
    }
}
