#include "tests/e2e/support/EditionFolder.h"

#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "feedserver/FeedServer.h"
#include "feedserver/SampleEdition.h"

namespace pregonero::e2e {

namespace fs = std::filesystem;

// The sample edition with its token replaced stands in for an export of it.
void WriteEditionFolder(const fs::path& dir, const std::string& baseUrl) {
    std::string error;
    ASSERT_TRUE(feeds::WriteSampleEdition(dir.string(), &error)) << error;
    if (baseUrl.empty()) {
        return;
    }
    const std::string token = feeds::FeedServer::kToken;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        if (entry.path().extension() != ".xml") {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::string text((std::istreambuf_iterator<char>(in)), {});
        for (auto at = text.find(token); at != std::string::npos; at = text.find(token, at)) {
            text.replace(at, token.size(), baseUrl);
        }
        std::ofstream(entry.path(), std::ios::binary | std::ios::trunc) << text;
    }
}

} // namespace pregonero::e2e
