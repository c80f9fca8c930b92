#include "platform/ui/IndicatorClock.h"

#include <cstdlib>

namespace pregonero::ui {

std::time_t IndicatorClock::lastMinute_ = 0;

bool IndicatorClock::IsTimeOfDay(const std::string& text) {
    auto digit = [&](std::size_t i) { return text[i] >= '0' && text[i] <= '9'; };
    if (text.size() != 5 || text[2] != ':' || !digit(0) || !digit(1) || !digit(3) || !digit(4)) {
        return false;
    }
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int minutes = (text[3] - '0') * 10 + (text[4] - '0');
    return hours < 24 && minutes < 60;
}

std::string& IndicatorClock::Fixed() {
    // An unusable value is ignored: the live clock is still a clock.
    static std::string fixed = [] {
        const char* env = std::getenv("PREGONERO_CLOCK");
        return env != nullptr && IsTimeOfDay(env) ? std::string(env) : std::string();
    }();
    return fixed;
}

bool IndicatorClock::Fix(const std::string& hhmm) {
    if (!IsTimeOfDay(hhmm)) {
        return false;
    }
    Fixed() = hhmm;
    return true;
}

std::string IndicatorClock::Text() {
    if (!Fixed().empty()) {
        return Fixed();
    }
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    char text[8] = "00:00";
    if (localtime_r(&now, &local) != nullptr) {
        std::strftime(text, sizeof text, "%H:%M", &local);
    }
    return text;
}

bool IndicatorClock::MinuteTurned() {
    // Every zone's offset is whole minutes, so the local minute turns with
    // the universal one; asking the zone is left to the drawing.
    const std::time_t minute = std::time(nullptr) / 60;
    if (minute == lastMinute_) {
        return false;
    }
    lastMinute_ = minute;
    return Fixed().empty();
}

} // namespace pregonero::ui
