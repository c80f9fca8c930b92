#pragma once

#include <string>

namespace testing_support {

// `part` `times` over: the long inputs the limits are tested with.
inline std::string Repeat(const std::string& part, int times) {
    std::string out;
    while (times-- > 0) {
        out += part;
    }
    return out;
}

// A document type for `root` whose entity &j; would expand to 10^10 bytes
// (a billion laughs).
inline std::string LaughsDoctype(const std::string& root) {
    std::string doctype = "<!DOCTYPE " + root + " [<!ENTITY a \"aaaaaaaaaa\">";
    for (char c = 'b'; c <= 'j'; ++c) {
        doctype += std::string("<!ENTITY ") + c + " \"" +
                   Repeat(std::string("&") + static_cast<char>(c - 1) + ";", 10) + "\">";
    }
    return doctype + "]>";
}

} // namespace testing_support
