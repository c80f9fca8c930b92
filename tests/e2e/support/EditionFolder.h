#pragma once

#include <filesystem>
#include <string>

namespace pregonero::e2e {

// Writes a kept edition into `dir`, as an export writes it: every catalogue
// feed, article, gallery and picture. With `baseUrl` empty the links keep
// the token the bundled feed server replaces; else they are absolute under
// `baseUrl`, for a web server that serves the folder there as it is.
void WriteEditionFolder(const std::filesystem::path& dir, const std::string& baseUrl);

} // namespace pregonero::e2e
