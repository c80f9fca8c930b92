#include "feedserver/SampleEdition.h"

#include <filesystem>

#include "feedserver/EditionWriter.h"

namespace pregonero::feeds {

bool WriteSampleEdition(const std::string& dir, std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
        if (error) {
            *error = "cannot create directory " + dir;
        }
        return false;
    }
    EditionWriter writer{std::filesystem::path(dir)};
    return writer.Run(error);
}

} // namespace pregonero::feeds
