#pragma once

#include <string>

namespace pregonero::feeds {

// The options that make a feed server build its edition from newspapers'
// feeds, shared by pregonero-feeds and the reader's in-process server:
//   --sources FILE [--state DIR] [--refresh MINUTES] [--time-zone ZONE]
struct BridgeOptions {
    std::string sourcesFile; // empty: not asked for
    std::string stateDir;    // empty: the default place
    double refreshMinutes = 15;
    std::string timeZone; // empty: the machine's zone
    bool refreshGiven = false;

    // Whether `option` is one of these four.
    static bool Takes(const std::string& option);
    // Records the value of `option`; false with a one-line reason.
    bool Take(const std::string& option, const std::string& value, std::string* error);
    // The other three need --sources; false with a reason when given alone.
    bool Check(std::string* error) const;
};

} // namespace pregonero::feeds
