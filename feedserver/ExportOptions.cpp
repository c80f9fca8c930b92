#include "feedserver/ExportOptions.h"

namespace pregonero::feeds {

bool ExportOptions::Takes(const std::string& option) {
    return option == "--export" || option == "--base-url" || option == "--pictures";
}

bool ExportOptions::Take(const std::string& option, const std::string& value, std::string* error) {
    if (option == "--pictures") {
        pictures = true;
        return true;
    }
    if (value.empty()) {
        *error = option + " needs a value";
        return false;
    }
    if (option == "--export") {
        dir = value;
        return true;
    }
    baseUrl = NormalisedBaseUrl(value, error);
    return !baseUrl.empty();
}

std::string ExportOptions::NormalisedBaseUrl(const std::string& url, std::string* error) {
    const auto scheme = url.find("://");
    const std::string name = scheme == std::string::npos ? "" : url.substr(0, scheme);
    const std::string rest = scheme == std::string::npos ? "" : url.substr(scheme + 3);
    if (name != "http" && name != "https") {
        *error = "--base-url needs an http or https URL: '" + url + "'";
    } else if (rest.empty() || rest.front() == '/' || rest.front() == ':') {
        *error = "--base-url names no host: '" + url + "'";
    } else if (rest.find_first_of("?#") != std::string::npos) {
        *error = "--base-url takes no query or fragment: '" + url + "'";
    } else if (rest.find_first_of(" \t\r\n\"'<>\\") != std::string::npos) {
        *error = "--base-url holds a character a link cannot: '" + url + "'";
    } else {
        std::string base = url;
        while (base.ends_with("/")) {
            base.pop_back();
        }
        return base;
    }
    return "";
}

} // namespace pregonero::feeds
