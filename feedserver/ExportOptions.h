#pragma once

#include <string>

namespace pregonero::feeds {

// The options of an export of the edition into a folder:
//   --export DIR [--base-url URL] [--pictures]
struct ExportOptions {
    std::string dir;     // empty: no export asked for
    std::string baseUrl; // without a trailing slash; empty: links keep the server's token
    bool pictures = false;

    // Whether `option` is one of these three; --pictures takes no value.
    static bool Takes(const std::string& option);
    static bool TakesValue(const std::string& option) { return option != "--pictures"; }
    // Records `option` (and its value); false with a one-line reason.
    bool Take(const std::string& option, const std::string& value, std::string* error);

    // `url` without trailing slashes, or empty with a reason when it is no
    // http(s) base: no host, a query, a fragment, a character a link cannot hold.
    static std::string NormalisedBaseUrl(const std::string& url, std::string* error);
};

} // namespace pregonero::feeds
