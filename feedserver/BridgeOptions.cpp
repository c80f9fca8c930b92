#include "feedserver/BridgeOptions.h"

#include <cmath>
#include <cstdlib>

namespace pregonero::feeds {

bool BridgeOptions::Takes(const std::string& option) {
    return option == "--sources" || option == "--state" || option == "--refresh" ||
           option == "--time-zone";
}

bool BridgeOptions::Take(const std::string& option, const std::string& value, std::string* error) {
    if (value.empty()) {
        *error = option + " needs a value";
        return false;
    }
    if (option == "--sources") {
        sourcesFile = value;
    } else if (option == "--state") {
        stateDir = value;
    } else if (option == "--time-zone") {
        timeZone = value;
    } else {
        // Minutes, a fraction allowed; at most a week.
        char* end = nullptr;
        const double minutes = std::strtod(value.c_str(), &end);
        if (end != value.c_str() + value.size() || !std::isfinite(minutes) || minutes <= 0 ||
            minutes > 7 * 24 * 60) {
            *error = "--refresh needs a number of minutes above 0: '" + value + "'";
            return false;
        }
        refreshMinutes = minutes;
        refreshGiven = true;
    }
    return true;
}

bool BridgeOptions::Check(std::string* error) const {
    if (sourcesFile.empty() && (!stateDir.empty() || refreshGiven || !timeZone.empty())) {
        *error = "--state, --refresh and --time-zone need --sources";
        return false;
    }
    return true;
}

} // namespace pregonero::feeds
