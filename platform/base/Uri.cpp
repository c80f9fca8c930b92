#include "platform/base/Uri.h"

#include <cctype>
#include <string>

namespace Osp::Base::Utility {

Uri::Uri() = default;
Uri::~Uri() = default;

result Uri::SetUri(const String& text) {
    std::string s = text.ToUtf8();
    auto colon = s.find(':');
    if (s.empty() || colon == std::string::npos || colon == 0 ||
        !std::isalpha(static_cast<unsigned char>(s[0]))) {
        return E_INVALID_ARG;
    }
    for (std::size_t i = 0; i < colon; ++i) {
        char c = s[i];
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') {
            return E_INVALID_ARG;
        }
    }
    for (unsigned char c : s) {
        if (c <= 0x20 || c == 0x7F) {
            return E_INVALID_ARG; // spaces and control characters must be escaped
        }
    }
    std::string host;
    if (s.compare(colon + 1, 2, "//") == 0) {
        std::size_t start = colon + 3;
        std::size_t end = s.find_first_of("/?#", start);
        std::string authority = s.substr(start, end == std::string::npos ? end : end - start);
        auto at = authority.rfind('@');
        if (at != std::string::npos) {
            authority.erase(0, at + 1);
        }
        if (!authority.empty() && authority[0] == '[') {
            host = authority.substr(0, authority.find(']') + 1);
        } else {
            host = authority.substr(0, authority.find(':'));
        }
    }
    std::string scheme = s.substr(0, colon);
    for (auto& c : scheme) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    text_ = text;
    scheme_ = String(scheme.c_str());
    host_ = String(host.c_str());
    return E_SUCCESS;
}

bool Uri::IsHttp() const {
    return (scheme_ == String("http") || scheme_ == String("https")) && !host_.IsEmpty();
}

} // namespace Osp::Base::Utility
