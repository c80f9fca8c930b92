#pragma once

#include <string>
#include <vector>

#include "feedserver/faults/FaultRule.h"

namespace pregonero::feeds {

struct PathRule {
    std::string path;
    FaultRule rule;
};

// Reads fault rules, one per line, so a test can hand them to the
// pregonero-feeds process:
//   /mobile/mexico.xml status=404 delay=200 chunk=1 drop=100 stall=5000@0 cl=+100
// Also header=Name:Value (repeatable) and body=TEXT (no spaces). Blank lines
// and lines starting with '#' are skipped.
class FaultRuleParser {
public:
    bool Parse(const std::string& text);
    bool ParseFile(const std::string& fileName);

    const std::vector<PathRule>& Rules() const { return rules_; }
    // "line N: reason" after a failed Parse.
    const std::string& Error() const { return error_; }

    static bool ParseLine(const std::string& line, PathRule* out, std::string* error);

private:
    std::vector<PathRule> rules_;
    std::string error_;
};

} // namespace pregonero::feeds
