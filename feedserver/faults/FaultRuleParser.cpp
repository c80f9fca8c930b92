#include "feedserver/faults/FaultRuleParser.h"

#include <charconv>
#include <fstream>
#include <limits>
#include <sstream>

namespace pregonero::feeds {

namespace {

// Whole-string decimal with an optional sign, within [low, high].
bool ParseNumber(const std::string& text, long long low, long long high, long long* value) {
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') {
        ++first;
    }
    auto [end, error] = std::from_chars(first, last, *value);
    return first != last && error == std::errc() && end == last && *value >= low && *value <= high;
}

bool ApplyStall(const std::string& value, FaultRule* rule) {
    const auto at = value.find('@');
    long long ms = 0;
    long long after = 0;
    if (!ParseNumber(value.substr(0, at), 1, std::numeric_limits<int>::max(), &ms)) {
        return false;
    }
    if (at != std::string::npos &&
        !ParseNumber(value.substr(at + 1), 0, std::numeric_limits<long long>::max(), &after)) {
        return false;
    }
    rule->stallMs = static_cast<int>(ms);
    rule->stallAfterBytes = static_cast<std::size_t>(after);
    return true;
}

bool ApplyHeader(const std::string& value, FaultRule* rule) {
    const auto colon = value.find(':');
    if (colon == std::string::npos || colon == 0) {
        return false;
    }
    rule->extraHeaders.emplace_back(value.substr(0, colon), value.substr(colon + 1));
    return true;
}

bool ApplyOption(const std::string& key, const std::string& value, FaultRule* rule) {
    constexpr long long kIntMax = std::numeric_limits<int>::max();
    constexpr long long kLongMax = std::numeric_limits<long long>::max();
    long long n = 0;
    if (key == "status" && ParseNumber(value, 100, 599, &n)) {
        rule->status = static_cast<int>(n);
    } else if (key == "delay" && ParseNumber(value, 0, kIntMax, &n)) {
        rule->delayMs = static_cast<int>(n);
    } else if (key == "chunk" && ParseNumber(value, 1, kIntMax, &n)) {
        rule->chunkSize = static_cast<std::size_t>(n);
    } else if (key == "drop" && ParseNumber(value, 0, kLongMax, &n)) {
        rule->dropAfterBytes = n;
    } else if (key == "cl" && (value[0] == '+' || value[0] == '-') &&
               ParseNumber(value, -kIntMax, kIntMax, &n)) {
        rule->contentLengthDelta = n;
    } else if (key == "stall") {
        return ApplyStall(value, rule);
    } else if (key == "header") {
        return ApplyHeader(value, rule);
    } else if (key == "body") {
        rule->bodyOverride = value;
    } else {
        return false;
    }
    return true;
}

} // namespace

bool FaultRuleParser::ParseLine(const std::string& line, PathRule* out, std::string* error) {
    std::istringstream words(line);
    PathRule parsed;
    if (!(words >> parsed.path) || parsed.path.front() != '/') {
        *error = "a rule starts with a request path beginning with '/'";
        return false;
    }
    std::string option;
    while (words >> option) {
        const auto equals = option.find('=');
        if (equals == std::string::npos || equals + 1 == option.size()) {
            *error = "expected key=value, got '" + option + "'";
            return false;
        }
        if (!ApplyOption(option.substr(0, equals), option.substr(equals + 1), &parsed.rule)) {
            *error = "bad option '" + option + "'";
            return false;
        }
    }
    *out = std::move(parsed);
    return true;
}

bool FaultRuleParser::Parse(const std::string& text) {
    rules_.clear();
    error_.clear();
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        const auto start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#') {
            continue;
        }
        PathRule rule;
        std::string reason;
        if (!ParseLine(line, &rule, &reason)) {
            error_ = "line " + std::to_string(number) + ": " + reason;
            rules_.clear();
            return false;
        }
        rules_.push_back(std::move(rule));
    }
    return true;
}

bool FaultRuleParser::ParseFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) {
        rules_.clear();
        error_ = "cannot read " + fileName;
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return Parse(text.str());
}

} // namespace pregonero::feeds
